#pragma once
// Section and key names of the settings file, and the one key table of the settings dialog's values and of the
// security record. The bursts, the start settings and the profiles all walk these tables.
#include "core/Settings.h"

#include <array>
#include <variant>

namespace settings_keys {

inline constexpr wchar_t kDateien[] = L"Dateien";
inline constexpr wchar_t kEingabedateien[] = L"Eingabedateien";
inline constexpr wchar_t kStart[] = L"Start";
inline constexpr wchar_t kKompatibilitaet[] = L"Kompatibilität";
inline constexpr wchar_t kAufloesung[] = L"Auflösung";
inline constexpr wchar_t kDistiller[] = L"Distiller";
inline constexpr wchar_t kTimer[] = L"Timer";
inline constexpr wchar_t kEMail[] = L"eMail";
inline constexpr wchar_t kPosition[] = L"Position";
inline constexpr wchar_t kVerzeichnisse[] = L"Verzeichnisse";
inline constexpr wchar_t kAnsicht[] = L"Ansicht";
inline constexpr wchar_t kSprache[] = L"Sprache";
inline constexpr wchar_t kVerschluesselung[] = L"Verschlüsselung";

} // namespace settings_keys

// How a dialog value is stored and what its control allows.
enum class DialogValueKind { Text, Radio, Check, Spin };

struct DialogKey {
    const wchar_t* Section;
    const wchar_t* Key;              // as written
    const wchar_t* DialogReadKey;    // as the dialog's readers (dialog start, load start settings, profile) spell it
    const wchar_t* LoadStartReadKey; // as load start settings spells it
    DialogValueKind Kind;
    std::variant<std::wstring DialogSettings::*, int DialogSettings::*, bool DialogSettings::*> Member;
    int Min;              // Radio: -1; Spin: lowest value a stored value may have
    int Max;              // Radio: count - 1; Spin: highest value
    bool InDialogExitSet; // false only for [Start] Wasserzeichen: the 23-key set leaves it out
};

// The 24 keys in the order every burst reads and writes them.
extern const std::array<DialogKey, 24> kDialogKeys;

struct SecurityKey {
    const wchar_t* Key; // in section [Verschlüsselung]
    std::variant<std::wstring SecuritySettings::*, int SecuritySettings::*, bool SecuritySettings::*> Member;
};

// The 11 security keys in their stored order.
extern const std::array<SecurityKey, 11> kSecurityKeys;

#include "core/SettingsKeys.h"

#include <limits>

namespace {

using namespace settings_keys;
using D = DialogSettings;
using S = SecuritySettings;

constexpr int kNoUpperLimit = std::numeric_limits<int>::max();
// An image resolution of 0 makes every conversion fail: a stored one is at least 1.
constexpr int kStoredImageDpiMin = 1;

DialogKey Text(const wchar_t* section, const wchar_t* key, std::wstring D::*member) {
    return {section, key, key, key, DialogValueKind::Text, member, 0, 0, true};
}

DialogKey Radio(const wchar_t* section, const wchar_t* key, int D::*member, int count,
                const wchar_t* dialogReadKey = nullptr, const wchar_t* loadStartReadKey = nullptr) {
    const wchar_t* dialogKey = dialogReadKey ? dialogReadKey : key;
    return {
        section, key,       dialogKey, loadStartReadKey ? loadStartReadKey : dialogKey, DialogValueKind::Radio, member,
        -1,      count - 1, true};
}

DialogKey Check(const wchar_t* section, const wchar_t* key, bool D::*member, bool inDialogExitSet = true) {
    return {section, key, key, key, DialogValueKind::Check, member, 0, 0, inDialogExitSet};
}

DialogKey Spin(const wchar_t* section, const wchar_t* key, int D::*member, int min, int max) {
    return {section, key, key, key, DialogValueKind::Spin, member, min, max, true};
}

} // namespace

const std::array<DialogKey, 24> kDialogKeys = {
    Text(kDateien, L"Programmdatei", &D::Edit1),
    Text(kDateien, L"Wasserzeichen", &D::WasserzeichenEdit),
    Radio(kEingabedateien, L"Löschen", &D::loeschenRG1, kRadioCountYesNo),
    Radio(kStart, L"Autostart", &D::AutostartRG1, kRadioCountYesNo),
    Radio(kKompatibilitaet, L"Level", &D::LevelRG1, kRadioCountLevelRG1),
    Radio(kKompatibilitaet, L"Leveländerung", &D::JNRG1, kRadioCountYesNo, L"Leveländerung "),
    Radio(kAufloesung, L"dpi", &D::GrafikenRG1, kRadioCountGrafikenRG1),
    Radio(kDistiller, L"Parameter", &D::DPRG1, kRadioCountDPRG1),
    Radio(kDistiller, L"AutoRotatePages", &D::AutoRP, kRadioCountYesNo, nullptr, L"AutorotatePages"),
    Spin(kTimer, L"Sekunden", &D::SpinEdit1, kPollSecondsMin, kNoUpperLimit),
    Radio(kEMail, L"Versand", &D::MailRG1, kRadioCountYesNo),
    Text(kEMail, L"Name", &D::NameEdit),
    Text(kEMail, L"Adresse", &D::MailEdit),
    Text(kEMail, L"Domänenname", &D::DomainEdit),
    Text(kEMail, L"Benutzername-Ende", &D::BenutzerEdit),
    Text(kEMail, L"Benutzername-Stellen danach", &D::RestEdit),
    Radio(kEMail, L"Betrieb", &D::NSRG1, kRadioCountNSRG1),
    Check(kEMail, L"Dialog", &D::MDCB1),
    Check(kStart, L"Anzeigen", &D::AnzeigenCB),
    Check(kStart, L"Wasserzeichen", &D::WasserzeichenCB, false),
    Radio(kStart, L"Format", &D::AuswahlRG, kRadioCountAuswahlRG),
    Check(kStart, L"SeiteJN", &D::SeiteCB),
    Spin(kAufloesung, L"dpi2", &D::SpinEdit2, kStoredImageDpiMin, kSpinEdit2Max),
    Spin(kAufloesung, L"Qualität", &D::SpinEdit3, kSpinEdit3Min, kSpinEdit3Max),
};

const std::array<SecurityKey, 11> kSecurityKeys = {{
    {L"Sicherheit", &S::Sicherheit},
    {L"BerechtigungCheck", &S::BerechtigungCheck},
    {L"BerechtigungText", &S::BerechtigungText},
    {L"KennwortCheck", &S::KennwortCheck},
    {L"KennwortText", &S::KennwortText},
    {L"Drucken", &S::Drucken},
    {L"Hohe Auflösung", &S::HoheAufloesung},
    {L"Dokuaendern", &S::Dokuaendern},
    {L"Kopieren", &S::Kopieren},
    {L"Inhalt", &S::Inhalt},
    {L"Formular", &S::Formular},
}};

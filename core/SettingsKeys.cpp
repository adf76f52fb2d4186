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
    Text(kDateien, L"Programmdatei", &D::GhostscriptProgram),
    Text(kDateien, L"Wasserzeichen", &D::WatermarkFile),
    Radio(kEingabedateien, L"Löschen", &D::DeleteInputs, kRadioCountYesNo),
    Radio(kStart, L"Autostart", &D::AutoStart, kRadioCountYesNo),
    Radio(kKompatibilitaet, L"Level", &D::PdfLevel, kPdfLevelCount),
    Radio(kKompatibilitaet, L"Leveländerung", &D::MayChangePdfLevel, kRadioCountYesNo, L"Leveländerung "),
    Radio(kAufloesung, L"dpi", &D::PdfResolution, kPdfResolutionCount),
    Radio(kDistiller, L"Parameter", &D::PdfPreset, kPdfPresetCount),
    Radio(kDistiller, L"AutoRotatePages", &D::AutoRotatePages, kRadioCountYesNo, nullptr, L"AutorotatePages"),
    Spin(kTimer, L"Sekunden", &D::PollSeconds, kPollSecondsMin, kNoUpperLimit),
    Radio(kEMail, L"Versand", &D::SendMail, kRadioCountYesNo),
    Text(kEMail, L"Name", &D::MailName),
    Text(kEMail, L"Adresse", &D::MailAddress),
    Text(kEMail, L"Domänenname", &D::MailDomain),
    Text(kEMail, L"Benutzername-Ende", &D::MailUserNameEnd),
    Text(kEMail, L"Benutzername-Stellen danach", &D::MailUserNameDigits),
    Radio(kEMail, L"Betrieb", &D::MailMode, kMailModeCount),
    Check(kEMail, L"Dialog", &D::ShowMailDialog),
    Check(kStart, L"Anzeigen", &D::ShowInReader),
    Check(kStart, L"Wasserzeichen", &D::StampWatermark, false),
    Radio(kStart, L"Format", &D::OutputType, kOutputTypeCount),
    Check(kStart, L"SeiteJN", &D::FilePerPage),
    Spin(kAufloesung, L"dpi2", &D::ImageResolution, kStoredImageDpiMin, kImageResolutionMax),
    Spin(kAufloesung, L"Qualität", &D::JpegQuality, kJpegQualityMin, kJpegQualityMax),
};

const std::array<SecurityKey, 11> kSecurityKeys = {{
    {L"Sicherheit", &S::KeyLength},
    {L"BerechtigungCheck", &S::OwnerPasswordOn},
    {L"BerechtigungText", &S::OwnerPassword},
    {L"KennwortCheck", &S::UserPasswordOn},
    {L"KennwortText", &S::UserPassword},
    {L"Drucken", &S::DenyPrinting},
    {L"Hohe Auflösung", &S::DenyHighQualityPrinting},
    {L"Dokuaendern", &S::DenyChanging},
    {L"Kopieren", &S::DenyCopying},
    {L"Inhalt", &S::DenyContentAccess},
    {L"Formular", &S::DenyFormFilling},
}};

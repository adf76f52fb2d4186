#include "core/GhostscriptCommand.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr const wchar_t* kCompatLevels[] = {L" -dCompatibilityLevel=1.2", L" -dCompatibilityLevel=1.3",
                                            L" -dCompatibilityLevel=1.4"};
constexpr const wchar_t* kResolutions[] = {L" -r72", L" -r96", L" -r300", L" -r600"};
constexpr const wchar_t* kPdfSettings[] = {L" -dPDFSETTINGS=/default", L" -dPDFSETTINGS=/screen",
                                           L" -dPDFSETTINGS=/ebook", L" -dPDFSETTINGS=/printer",
                                           L" -dPDFSETTINGS=/prepress"};
constexpr const wchar_t* kAutoRotate[] = {L"-dAutoRotatePages=/PageByPage ", L"-dAutoRotatePages=/None "};
constexpr wchar_t kFixedCompatLevel[] = L" -dCompatibilityLevel=1.3";
constexpr wchar_t kMaskedPassword[] = L"***";

template <size_t N> void SetFromTable(std::wstring& target, const wchar_t* const (&table)[N], int index) {
    if (index >= 0 && static_cast<size_t>(index) < N)
        target = table[index];
}

bool NeedsQuoting(const std::wstring& value) {
    return value.find_first_of(L" \t\"") != std::wstring::npos;
}

// One argument between double quotes as the C runtime splits a command line: a quote is escaped with a
// backslash, and backslashes are doubled where they precede a quote (including the closing one).
std::wstring QuoteArgument(const std::wstring& arg) {
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
            out += L'"';
        } else {
            out.append(backslashes, L'\\');
            out += c;
        }
        backslashes = 0;
    }
    out.append(backslashes * 2, L'\\');
    out += L'"';
    return out;
}

// " -sOwnerPassword=value": kept as it stands unless the value would split the argument. The "=" form is the one
// Ghostscript masks when it writes its command line into the files it makes; with "#" the password would stand
// there in clear.
std::wstring PasswordSwitch(const wchar_t* name, const std::wstring& value, PasswordForm form) {
    if (form == PasswordForm::Masked)
        return std::wstring(L" ") + name + (value.empty() ? L"" : kMaskedPassword);
    const std::wstring sw = name + value;
    return L" " + (NeedsQuoting(value) ? QuoteArgument(sw) : sw);
}

} // namespace

void SetCompatLevelOption(GsOptions& options, int levelIndex) {
    SetFromTable(options.GsCompatLevelOption, kCompatLevels, levelIndex);
}

void SetResolutionOption(GsOptions& options, int dpiIndex) {
    SetFromTable(options.GsResolutionOption, kResolutions, dpiIndex);
}

void SetPdfSettingsOption(GsOptions& options, int parameterIndex) {
    SetFromTable(options.GsPdfSettingsOption, kPdfSettings, parameterIndex);
}

void SetAutoRotateOption(GsOptions& options, int autoRotateIndex) {
    SetFromTable(options.GsAutoRotateOption, kAutoRotate, autoRotateIndex);
}

void SetGsOptions(GsOptions& options, const GsOptionIndexes& indexes) {
    SetCompatLevelOption(options, indexes.Level);
    SetResolutionOption(options, indexes.Dpi);
    SetPdfSettingsOption(options, indexes.Parameter);
    SetAutoRotateOption(options, indexes.AutoRotatePages);
}

std::uint32_t TimerIntervalFor(std::int64_t pollSeconds) {
    const std::int64_t ms = std::clamp<std::int64_t>(pollSeconds, 0, kUserTimerMaximum) * 1000;
    return static_cast<std::uint32_t>(std::min<std::int64_t>(ms, kUserTimerMaximum));
}

SettingsDialogClosed RebuildAfterSettingsDialog(const DialogSettings& dialog, const GsOptions& previous) {
    SettingsDialogClosed r;
    r.DeleteInputs = dialog.DeleteInputs == 0;
    r.Options = previous;
    if (dialog.MayChangePdfLevel == 0)
        SetCompatLevelOption(r.Options, dialog.PdfLevel);
    else
        r.Options.GsCompatLevelOption = kFixedCompatLevel;
    SetResolutionOption(r.Options, dialog.PdfResolution);
    SetPdfSettingsOption(r.Options, dialog.PdfPreset);
    SetAutoRotateOption(r.Options, dialog.AutoRotatePages);
    r.PollSeconds = dialog.PollSeconds;
    r.TimerInterval = TimerIntervalFor(dialog.PollSeconds);
    return r;
}

std::optional<std::wstring> GsDeviceSwitchesFor(int outputType, const GsOptions& options, int jpegQuality,
                                                int imageDpi) {
    const std::wstring q = std::to_wstring(jpegQuality), d = std::to_wstring(imageDpi);
    switch (outputType) {
    case GsOutputPdf:
        return L"-q -dSAFER -dNOPAUSE -dDOPDFMARKS -dBATCH " + options.GsAutoRotateOption + L"-sDEVICE=pdfwrite";
    case GsOutputPostScript:
        return L"-dNOPAUSE -dBATCH -dSAFER -sDEVICE=pswrite";
    case GsOutputJpeg:
        return L"-q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=jpeg -dJPEGQ=" + q + L" " + L"-r" + d;
    case GsOutputTiffG4:
        return L"-q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=tiffg4 -r" + d;
    case GsOutputTiffLzw:
        return L"-q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=tifflzw -r" + d;
    case GsOutputTiff24:
        return L"-q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=tiff24nc -r" + d;
    default:
        return std::nullopt;
    }
}

std::int32_t PermissionValue(const SecuritySettings& s, bool keyLength128) {
    std::int32_t value = -4;
    if (keyLength128) {
        value += (s.DenyPrinting ? -4 : 0) + (s.DenyHighQualityPrinting ? -2048 : 0) + (s.DenyChanging ? -1032 : 0) +
                 (s.DenyCopying ? -16 : 0) + (s.DenyContentAccess ? -512 : 0) + (s.DenyFormFilling ? -288 : 0);
    } else {
        value += (s.DenyPrinting ? -4 : 0) + (s.DenyChanging ? -8 : 0) + (s.DenyCopying ? -16 : 0) +
                 (s.DenyFormFilling ? -32 : 0);
    }
    return value;
}

std::wstring GsSecuritySwitches(const SecuritySettings& s, int encryptComboIndex, PasswordForm form) {
    if (!s.OwnerPasswordOn || s.OwnerPassword.empty())
        return {};
    const bool bits128 = encryptComboIndex == 1;
    std::wstring out = bits128 ? L" -dEncryptionR#3 -dKeyLength#128" : L" -dEncryptionR#2 -dKeyLength#40";
    if (s.UserPasswordOn)
        out += PasswordSwitch(L"-sUserPassword=", s.UserPassword, form);
    out += PasswordSwitch(L"-sOwnerPassword=", s.OwnerPassword, form);
    out += L" -dPermissions#" + std::to_wstring(PermissionValue(s, bits128));
    return out;
}

std::optional<GsPassSwitches> BuildPassSwitches(const DialogSettings& dialog, const GsOptions& options,
                                                const SecuritySettings& security, int encryptComboIndex) {
    std::optional<std::wstring> device =
        GsDeviceSwitchesFor(dialog.OutputType, options, dialog.JpegQuality, dialog.ImageResolution);
    if (!device)
        return std::nullopt;
    GsPassSwitches r;
    r.GhostscriptProgram = dialog.GhostscriptProgram;
    r.GsDeviceSwitches = *device + GsSecuritySwitches(security, encryptComboIndex, PasswordForm::Real);
    r.GsDeviceSwitchesDisplay = *device + GsSecuritySwitches(security, encryptComboIndex, PasswordForm::Masked);
    return r;
}

std::wstring QuotedProgram(const std::wstring& program) {
    if (program.size() >= 2 && program.front() == L'"' && program.back() == L'"')
        return program; // quoted by the user already
    return L"\"" + program + L"\"";
}

std::wstring MakeGsInputArgument(const std::wstring& inputPath) {
    return L" \"" + inputPath;
}

std::wstring BuildGsCommandLine(const std::wstring& ghostscriptProgram, const std::wstring& deviceSwitches,
                                GsOptions& options, int outputType, int mayChangePdfLevel,
                                const std::wstring& gsOutputSwitch, const std::wstring& gsInputArgument) {
    if (mayChangePdfLevel == 1)
        options.GsCompatLevelOption.clear();
    std::wstring cmd = QuotedProgram(ghostscriptProgram) + L" " + deviceSwitches;
    if (outputType == GsOutputPdf)
        cmd += options.GsPdfSettingsOption + options.GsResolutionOption + options.GsCompatLevelOption;
    cmd += gsOutputSwitch + L"\"" + gsInputArgument + L"\"";
    return cmd;
}

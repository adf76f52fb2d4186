#pragma once
// The Ghostscript command line of a conversion: option strings from the stored indexes, the device switches of the
// six output types, the security switches, and the joined command of one file. Pure text, no system calls.
#include "core/Settings.h"

#include <cstdint>
#include <optional>
#include <string>

// The four option strings derived from the settings; rebuilt at start-up and after the settings dialog.
struct GsOptions {
    std::wstring GsCompatLevelOption;
    std::wstring GsResolutionOption;
    std::wstring GsPdfSettingsOption;
    std::wstring GsAutoRotateOption;
};

// The stored indexes the option strings come from.
struct GsOptionIndexes {
    int Level = 1;           // [Kompatibilität] Level / PdfLevel
    int Dpi = 2;             // [Auflösung] dpi / PdfResolution
    int Parameter = 0;       // [Distiller] Parameter / PdfPreset
    int AutoRotatePages = 0; // [Distiller] AutoRotatePages
};

// Each sets one string from its table; an index outside the table leaves the string as it was.
void SetCompatLevelOption(GsOptions& options, int levelIndex);
void SetResolutionOption(GsOptions& options, int dpiIndex);
void SetPdfSettingsOption(GsOptions& options, int parameterIndex);
void SetAutoRotateOption(GsOptions& options, int autoRotateIndex);
void SetGsOptions(GsOptions& options, const GsOptionIndexes& indexes);

// The poll timer's interval for a period in seconds: computed in 64 bits, negative gives 0 (no ticks), and held
// at the timer maximum USER_TIMER_MAXIMUM.
inline constexpr std::uint32_t kUserTimerMaximum = 0x7FFFFFFF;
std::uint32_t TimerIntervalFor(std::int64_t pollSeconds);

// What the main window takes from the settings dialog whenever it closes (Einstellungen1Click).
struct SettingsDialogClosed {
    bool DeleteInputs = false; // DeleteInputs is "Ja"
    GsOptions Options;
    int PollSeconds = 0;
    std::uint32_t TimerInterval = 0; // milliseconds for Timer1
};
SettingsDialogClosed RebuildAfterSettingsDialog(const DialogSettings& dialog, const GsOptions& previous);

// Output types: item indexes of OutputType.
enum GsOutputType : int {
    GsOutputPdf = 0,
    GsOutputPostScript = 1,
    GsOutputJpeg = 2,
    GsOutputTiffG4 = 3,
    GsOutputTiffLzw = 4,
    GsOutputTiff24 = 5,
};

// The device row of an output type; nullopt for an index outside 0..5.
std::optional<std::wstring> GsDeviceSwitchesFor(int outputType, const GsOptions& options, int jpegQuality,
                                                int imageDpi);

// -4 plus the value of every denied right; with 40 bits high-quality printing and content access do not count.
std::int32_t PermissionValue(const SecuritySettings& security, bool keyLength128);

// How the password values appear: Real for Ghostscript, Masked ("***") for the memo and the log.
enum class PasswordForm { Real, Masked };

// The security switches, empty unless OwnerPasswordOn is set and OwnerPassword is not empty. The key length
// follows the encryption dialog's current selection (encryptComboIndex 1 = 128-bit). A password switch whose value
// holds a blank, a tab or a double quote is quoted as one argument by the C runtime's rules.
std::wstring GsSecuritySwitches(const SecuritySettings& security, int encryptComboIndex, PasswordForm form);

// What a pass computes once before its first file.
struct GsPassSwitches {
    std::wstring GhostscriptProgram;
    std::wstring GsDeviceSwitches;        // device row + security switches, for Ghostscript
    std::wstring GsDeviceSwitchesDisplay; // the same with "***" for the passwords, for the memo and the log
};
// nullopt when OutputType is outside 0..5 (no output type: no pass).
std::optional<GsPassSwitches> BuildPassSwitches(const DialogSettings& dialog, const GsOptions& options,
                                                const SecuritySettings& security, int encryptComboIndex);

// A program path as the first word of a command line: between double quotes, so that a blank in it can never start
// another program ("C:\Program Files\..." would otherwise run "C:\Program.exe"). A path the user already put
// between quotes stays as it is.
std::wstring QuotedProgram(const std::wstring& program);

// GsInputArgument of an input path: a blank and the opening quote, then the path.
std::wstring MakeGsInputArgument(const std::wstring& inputPath);

// The command line of one file: the quoted program, then the switches. options.GsCompatLevelOption is emptied first
// when MayChangePdfLevel is 1 (the level may not be changed) and stays empty until the next rebuild. deviceSwitches is
// GsDeviceSwitches (or its display form for the memo); gsOutputSwitch is " -sOutputFile=" plus the opening quote and
// the output path.
std::wstring BuildGsCommandLine(const std::wstring& ghostscriptProgram, const std::wstring& deviceSwitches,
                                GsOptions& options, int outputType, int mayChangePdfLevel,
                                const std::wstring& gsOutputSwitch, const std::wstring& gsInputArgument);

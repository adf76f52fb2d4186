#pragma once
// The plain settings model of the main program: what the settings file stores, held without any window. The
// settings dialog binds its controls to DialogSettings, the main window keeps MainSettings and
// MainWindowSettings, the encryption dialog edits SecuritySettings; the conversion reads them all.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr wchar_t kDefaultGhostscriptProgram[] = L"C:\\gs\\gs8.54\\bin\\gswin32c.exe";
inline constexpr wchar_t kDefaultEditorProgram[] = L"notepad.exe";
inline constexpr wchar_t kDefaultReaderProgram[] = L"acrord32.exe";

// Module values of the main window that are settings.
struct MainSettings {
    int PollSeconds = 90;
    int StartMode = 1;           // 1 = manual at start, anything else automatic
    bool OnlyPsPrn = true;       // shown by AbfragePSPRN
    bool MailDialog = true;      // copied into ShowMailDialog at the first showing
    bool TrayOnMinimize = false; // shown by Tray1
    bool KeepSecurity = false;   // shown by VSpeichern1
    bool CounterInFront = false; // shown by Zhlervorne1
    std::wstring EditorProgram = kDefaultEditorProgram;
    std::wstring ReaderProgram = kDefaultReaderProgram;
    std::wstring LanguageChoice;
    int DateFormatIndex = 0; // 0 date+time+seconds, 1 date+time, 2 date; other values change nothing
    bool operator==(const MainSettings&) const = default;
};

// The security record, stored under [Verschlüsselung].
struct SecuritySettings {
    int KeyLength = 0;            // 0 = 40-bit, 1 = 128-bit
    bool OwnerPasswordOn = false; // encryption is on only with an owner password
    std::wstring OwnerPassword;
    bool UserPasswordOn = false; // the document asks for a password to be opened
    std::wstring UserPassword;
    // The rights the produced document denies.
    bool DenyPrinting = false;
    bool DenyHighQualityPrinting = false;
    bool DenyChanging = false;
    bool DenyCopying = false;
    bool DenyContentAccess = false;
    bool DenyFormFilling = false;
    bool operator==(const SecuritySettings&) const = default;
};

// The 24 values the settings dialog edits. Choices hold the item index of their group (-1 = none selected); the
// yes/no choices hold 0 for yes and 1 for no.
struct DialogSettings {
    std::wstring GhostscriptProgram = kDefaultGhostscriptProgram; // empty: none chosen
    std::wstring WatermarkFile;                                   // the PDF pdftk stamps onto every page
    int DeleteInputs = 1;      // yes/no: the inputs are deleted after their conversion
    int AutoStart = 1;         // yes/no: the program starts in automatic mode (the poll timer converts)
    int OutputType = 0;        // GsOutputType
    bool ShowInReader = false; // a produced PDF is opened in the reader
    bool StampWatermark = false;
    bool FilePerPage = false;  // image types write one file per page
    int PdfLevel = 1;          // 0..2: compatibility level 1.2, 1.3, 1.4
    int MayChangePdfLevel = 1; // yes/no: the level above is passed to Ghostscript
    int PdfResolution = 2;     // 0..3: 72, 96, 300, 600 dpi for the images in a PDF
    int PdfPreset = 0;         // 0..4: default, screen, ebook, printer, prepress
    int AutoRotatePages = 0;   // yes/no: Ghostscript turns each page by its text
    int PollSeconds = 90;      // how often the input folder is looked at
    int SendMail = 1;          // yes/no: every output is mailed
    bool ShowMailDialog = true;
    int MailMode = 0; // 0: to the address below, 1: server mode, the addressee is taken from the output's name
    std::wstring MailName;
    std::wstring MailAddress;
    std::wstring MailDomain;         // server mode: the domain of the addressee
    std::wstring MailUserNameEnd;    // server mode: the one-character marker in an output's name
    std::wstring MailUserNameDigits; // server mode: how many characters behind the marker go with it
    int ImageResolution = 300;       // dpi of image outputs
    int JpegQuality = 75;
    bool operator==(const DialogSettings&) const = default;
};

// Item counts of the dialog's radio groups and the ranges of its spin edits.
inline constexpr int kRadioCountYesNo = 2; // DeleteInputs, AutoStart, MayChangePdfLevel, AutoRotatePages, SendMail
inline constexpr int kOutputTypeCount = 6; // PDF, PS, JPEG, TIFF G4, TIFF LZW, TIFF 24-bit
inline constexpr int kPdfLevelCount = 3;
inline constexpr int kPdfResolutionCount = 4;
inline constexpr int kPdfPresetCount = 5;
inline constexpr int kMailModeCount = 2;
inline constexpr int kPollSecondsControlMin = 0; // no upper limit
// The least a stored poll period may be: under one second the poll timer never ticks.
inline constexpr int kPollSecondsMin = 1;
inline constexpr int kImageResolutionMin = 0, kImageResolutionMax = 600;
inline constexpr int kJpegQualityMin = 0, kJpegQualityMax = 100;

// What setting the control would leave: a radio group's index within -1..count-1, a spin value within its range.
int ClampRadioIndex(int index, int count);
int ClampSpinValue(int value, int min, int max);
// Clamps every radio index and spin value of the record as its control would.
void ClampToControls(DialogSettings& s);

// Font styles the panes' font carries; the settings file stores them as one code (see EncodeFontStyle).
struct FontStyle {
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    bool operator==(const FontStyle&) const = default;
};

inline constexpr std::int32_t clWindow = static_cast<std::int32_t>(0xFF000005u);

// The main window's settings that the start, show and exit bursts move: menu check marks, position, the panes'
// columns, sort, font and colour, the two history lists and the folders. The window fills it from its controls
// before a write and applies it after a read.
struct MainWindowSettings {
    // Menu check marks.
    bool Logdatei = false;
    bool Kommandozeile = false;
    bool SortExtL = true;
    bool SortExtR = true;
    bool SysHid = false;
    bool Gitternetzlinien = false;
    bool Attr1 = true;
    bool Deutsch = true; // language menu; exit stores "Deutsch", "English" or ""
    bool English = false;
    // Tray1, Zhlervorne1, AbfragePSPRN and VSpeichern1 show the MainSettings flags of the same meaning.

    // [Position]
    int Left = 405;
    int Top = 364;
    int Width = 786;
    int Height = 581;

    // Panes: DirView1 (left) is stored, DirView2 follows it.
    bool LeftGridLines = false;
    std::array<int, 5> ColumnWidths{150, 80, 125, 130, 45};
    int SortColumn1 = 0;
    int SortColumn2 = 0;
    bool SortAscending1 = true;
    bool SortAscending2 = true;
    std::wstring FontName; // left pane's font name; empty = the design font
    int FontSize = 0;      // points; 0 = the design size
    FontStyle Style;
    std::int32_t PaneColor = clWindow; // colour value: 0x00BBGGRR, or 0xFF0000nn for system colour nn

    // Items of PathComboBox1 / PathComboBox2, newest first; the first 20 are stored.
    std::vector<std::wstring> LeftHistory;
    std::vector<std::wstring> RightHistory;

    // [Verzeichnisse]: as read by show and written by first run; save folders writes the path boxes' texts.
    std::wstring InputFolder;
    std::wstring OutputFolder;
    bool operator==(const MainWindowSettings&) const = default;
};

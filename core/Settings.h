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
    bool MailDialog = true;      // copied into MDCB1 at the first showing
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
    int Sicherheit = 0; // 0 = 40-bit, 1 = 128-bit
    bool BerechtigungCheck = false;
    std::wstring BerechtigungText;
    bool KennwortCheck = false;
    std::wstring KennwortText;
    bool Drucken = false;
    bool HoheAufloesung = false; // key "Hohe Auflösung"
    bool Dokuaendern = false;
    bool Kopieren = false;
    bool Inhalt = false;
    bool Formular = false;
    bool operator==(const SecuritySettings&) const = default;
};

// The 24 values the settings dialog's controls hold, under the controls' names. Radio groups hold their item index
// (-1 = none selected), check boxes their state, spin edits their value, edits their text.
struct DialogSettings {
    std::wstring Edit1 = kDefaultGhostscriptProgram;
    std::wstring WasserzeichenEdit;
    int loeschenRG1 = 1;
    int AutostartRG1 = 1;
    int AuswahlRG = 0;
    bool AnzeigenCB = false;
    bool WasserzeichenCB = false;
    bool SeiteCB = false;
    int LevelRG1 = 1;
    int JNRG1 = 1;
    int GrafikenRG1 = 2;
    int DPRG1 = 0;
    int AutoRP = 0;
    int SpinEdit1 = 90;
    int MailRG1 = 1;
    bool MDCB1 = true;
    int NSRG1 = 0;
    std::wstring NameEdit;
    std::wstring MailEdit;
    std::wstring DomainEdit;
    std::wstring BenutzerEdit;
    std::wstring RestEdit;
    int SpinEdit2 = 300;
    int SpinEdit3 = 75;
    bool operator==(const DialogSettings&) const = default;
};

// Item counts of the dialog's radio groups and the ranges of its spin edits.
inline constexpr int kRadioCountYesNo = 2;     // loeschenRG1, AutostartRG1, JNRG1, AutoRP, MailRG1
inline constexpr int kRadioCountAuswahlRG = 6; // PDF, PS, JPEG, TIFF G4, TIFF LZW, TIFF 24-bit
inline constexpr int kRadioCountLevelRG1 = 3;
inline constexpr int kRadioCountGrafikenRG1 = 4;
inline constexpr int kRadioCountDPRG1 = 5;
inline constexpr int kRadioCountNSRG1 = 2;
inline constexpr int kSpinEdit1Min = 0; // no upper limit
// The least a stored poll period may be: under one second the poll timer never ticks.
inline constexpr int kPollSecondsMin = 1;
inline constexpr int kSpinEdit2Min = 0, kSpinEdit2Max = 600;
inline constexpr int kSpinEdit3Min = 0, kSpinEdit3Max = 100;

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

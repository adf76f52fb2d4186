#pragma once
// The bursts that move settings between the model and a settings file (Ostrel.ini or a profile). Each opens the
// file by name, runs its reads or writes in the fixed order, and closes it. Every read passes the target's current
// value as default, so a missing key keeps what the model holds; the few fixed-default reads are noted. A write the
// system refuses throws EIniFileException (win/IniFile.h) and the rest of that burst is not written.
#include "core/GhostscriptCommand.h"
#include "core/Settings.h"

#include <optional>
#include <string>

inline constexpr wchar_t kSettingsFileName[] = L"Ostrel.ini";

// Ostrel.ini beside the running program.
std::wstring OstrelIniPath();
// True when the file exists as a file (a folder of that name does not count).
bool SettingsFileExists(const std::wstring& iniPath);

// --- Main window -------------------------------------------------------------------------------------------------

// What start 1 leaves for the window to apply beyond the values it stored in the model.
struct Start1Result {
    GsOptionIndexes OptionIndexes; // fixed defaults 1, 2, 0, 0; for start 2
    bool FontNameSet = false;      // Font-Name was not empty: FontName holds it
    bool FontSizeSet = false;      // Font-Size was not 0: FontSize holds it
    bool FontStyleSet = false;     // Font-Style was 1..5: Style holds it
    bool FontSpreads = false;      // Font-Style was not 0: the right pane and both path boxes take the left font
    bool ColorSet = false;         // Hintergrundfarbe was a colour: PaneColor holds it for boxes, panes and memo
};

// start 1: position, the option indexes, the flags and programs, view, language, columns, font, colour, history.
// Then an empty editor becomes "notepad.exe", an empty reader "acrord32.exe", Attr1 follows column 5 (> 0), and a
// checked Gitternetzlinien turns the left pane's grid lines on.
Start1Result ReadStart1(const std::wstring& iniPath, MainSettings& main, MainWindowSettings& window);

// start 2: without a file the option strings get their defaults; PollSeconds := 90, StartMode := 1,
// OnlyPsPrn := true, then the three keys are read over them; then the option strings from start 1's indexes.
// Returns whether the file existed.
bool ReadStart2(const std::wstring& iniPath, MainSettings& main, GsOptions& options, const GsOptionIndexes& indexes);

// start 3: [Verzeichnisse] Ausgabeverzeichnis (fixed default: empty).
std::wstring ReadStart3(const std::wstring& iniPath);

// [Verzeichnisse] Eingabeverzeichnis and Ausgabeverzeichnis as stored (fixed default: empty), in one burst.
struct StoredFolders {
    std::wstring input;
    std::wstring output;
};
StoredFolders ReadStoredFolders(const std::wstring& iniPath);

// first run: writes the default folders "C:\PDF\IN" and "C:\PDF\OUT" (creating the file).
void WriteFirstRunFolders(const std::wstring& iniPath);

// The enabling that show leaves for the settings dialog's mail controls.
struct ShowResult {
    bool MDCB1Enabled = true;
    bool ShowInReaderEnabled = true;
};

// show: Leveländerung (fixed 1), the mail texts (fixed empty), Betrieb (fixed 0), the folders (fixed empty) into
// window.InputFolder/OutputFolder, and the security record when KeepSecurity; then the values go to the dialog
// (PollSeconds, MayChangePdfLevel, ShowMailDialog with the mail rule, the mail texts, MailMode) and GsCompatLevelOption
// is set again.
ShowResult ReadShow(const std::wstring& iniPath, const MainSettings& main, MainWindowSettings& window,
                    SecuritySettings& security, DialogSettings& dialog, GsOptions& options);

// exit: the main window's keys, and the security record when KeepSecurity. Nothing at all is written when
// noLanguageFile is set. Returns whether the burst ran.
bool WriteExit(const std::wstring& iniPath, const MainSettings& main, const MainWindowSettings& window,
               const SecuritySettings& security, bool noLanguageFile);

// save position: [Position] Links, Oben, Breite, Höhe.
void SavePosition(const std::wstring& iniPath, const MainWindowSettings& window);

// save folders: the texts of PathComboBox1 and PathComboBox2.
void SaveFolders(const std::wstring& iniPath, const std::wstring& inputFolder, const std::wstring& outputFolder);

// --- Settings dialog and profiles ---------------------------------------------------------------------------------

// dialog start: the 24 keys into the dialog's values. [Dateien] Programmdatei is read with lastGhostscriptProgram
// (the path the program last took from GhostscriptProgram; empty at start) as its default, and an empty result becomes
// "C:\gs\gs8.54\bin\gswin32c.exe". Radio indexes and spin values are clamped as their controls would.
void ReadDialogStart(const std::wstring& iniPath, DialogSettings& dialog, const std::wstring& lastGhostscriptProgram);

// dialog exit: only when the file does not exist, the 23 keys (all but [Start] Wasserzeichen). Returns whether it
// wrote. (The poll timer's interval beforehand is TimerIntervalFor(dialog.PollSeconds).)
bool WriteDialogExit(const std::wstring& iniPath, const DialogSettings& dialog);

// save start settings: all 24 keys.
void SaveStartSettings(const std::wstring& iniPath, const DialogSettings& dialog);

// load start settings: the 23 keys; Programmdatei with lastGhostscriptProgram as default. Switching encryption off
// afterwards is the caller's.
void LoadStartSettings(const std::wstring& iniPath, DialogSettings& dialog, const std::wstring& lastGhostscriptProgram);

// Profile save: the 23 keys, then the 11 security keys.
void SaveProfile(const std::wstring& profilePath, const DialogSettings& dialog, const SecuritySettings& security);

// Profile load: [Dateien] Programmdatei first (default lastGhostscriptProgram); when empty the file is no profile:
// returns false and changes nothing. Otherwise the 23 keys and the 11 security keys, returns true.
bool LoadProfile(const std::wstring& profilePath, DialogSettings& dialog, SecuritySettings& security,
                 const std::wstring& lastGhostscriptProgram);

// The security record alone, in its stored order (used by show, exit and the profiles).
void ReadSecurity(const std::wstring& iniPath, SecuritySettings& security);
void WriteSecurity(const std::wstring& iniPath, const SecuritySettings& security);

#include "app/main/SettingsFile.h"

#include "core/SettingsKeys.h"
#include "core/SettingsValues.h"
#include "win/IniFile.h"
#include "win/FileSystem.h"

#include <algorithm>
#include <limits>
#include <type_traits>
#include <vector>
#include <windows.h>

using namespace settings_keys;

namespace {

enum class KeySet { All24, Without23 };
enum class ReadSpelling { Dialog, LoadStart };

constexpr wchar_t kFixedCompatLevel[] = L" -dCompatibilityLevel=1.3";
constexpr int kHistoryCount = 20;

bool InSet(const DialogKey& k, KeySet set) {
    return set == KeySet::All24 || k.InDialogExitSet;
}

void ReadDialogKeys(const TIniFile& ini, DialogSettings& d, KeySet set, ReadSpelling spelling,
                    const std::wstring& lastGhostscriptProgram) {
    for (const DialogKey& k : kDialogKeys) {
        if (!InSet(k, set))
            continue;
        const std::wstring key = spelling == ReadSpelling::Dialog ? k.DialogReadKey : k.LoadStartReadKey;
        std::visit(
            [&](auto member) {
                auto& value = d.*member;
                using T = std::remove_reference_t<decltype(value)>;
                if constexpr (std::is_same_v<T, std::wstring>) {
                    // The program path's default is the one last run, not what the field shows.
                    const bool program = member == &DialogSettings::GhostscriptProgram;
                    value = ini.ReadString(k.Section, key, program ? lastGhostscriptProgram : value);
                } else if constexpr (std::is_same_v<T, int>) {
                    const int stored = ini.ReadInteger(k.Section, key, value);
                    // An index that names no item keeps the current choice (the last item would be a silent,
                    // different one); a number is brought into the range the program runs.
                    value = k.Kind == DialogValueKind::Radio ? IndexWithin(stored, k.Max + 1, value)
                                                             : std::clamp(stored, k.Min, k.Max);
                } else {
                    value = ini.ReadBool(k.Section, key, value);
                }
            },
            k.Member);
    }
}

void WriteDialogKeys(TIniFile& ini, const DialogSettings& d, KeySet set) {
    for (const DialogKey& k : kDialogKeys) {
        if (!InSet(k, set))
            continue;
        std::visit(
            [&](auto member) {
                const auto& value = d.*member;
                using T = std::remove_cvref_t<decltype(value)>;
                if constexpr (std::is_same_v<T, std::wstring>)
                    ini.WriteString(k.Section, k.Key, value);
                else if constexpr (std::is_same_v<T, int>)
                    ini.WriteInteger(k.Section, k.Key, value);
                else
                    ini.WriteBool(k.Section, k.Key, value);
            },
            k.Member);
    }
}

// The key lengths the encryption offers: 40 and 128 bit.
constexpr int kKeyLengthCount = 2;

void ReadSecurityKeys(const TIniFile& ini, SecuritySettings& s) {
    for (const SecurityKey& k : kSecurityKeys) {
        std::visit(
            [&](auto member) {
                auto& value = s.*member;
                using T = std::remove_reference_t<decltype(value)>;
                if constexpr (std::is_same_v<T, std::wstring>)
                    value = ini.ReadString(kVerschluesselung, k.Key, value);
                else if constexpr (std::is_same_v<T, int>)
                    value = IndexWithin(ini.ReadInteger(kVerschluesselung, k.Key, value), kKeyLengthCount, value);
                else
                    value = ini.ReadBool(kVerschluesselung, k.Key, value);
            },
            k.Member);
    }
}

void WriteSecurityKeys(TIniFile& ini, const SecuritySettings& s) {
    for (const SecurityKey& k : kSecurityKeys) {
        std::visit(
            [&](auto member) {
                const auto& value = s.*member;
                using T = std::remove_cvref_t<decltype(value)>;
                if constexpr (std::is_same_v<T, std::wstring>)
                    ini.WriteString(kVerschluesselung, k.Key, value);
                else if constexpr (std::is_same_v<T, int>)
                    ini.WriteInteger(kVerschluesselung, k.Key, value);
                else
                    ini.WriteBool(kVerschluesselung, k.Key, value);
            },
            k.Member);
    }
}

constexpr int kPaneColumns = 5;

// The work area of the screen nearest to the stored window (the primary one when the system tells none).
WorkAreaRect WorkAreaNear(const WindowBounds& window) {
    const RECT rect{window.Left, window.Top, window.Left + std::max(window.Width, 1),
                    window.Top + std::max(window.Height, 1)};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT work{};
    if (GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info))
        work = info.rcWork;
    else if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
        work = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return {work.left, work.top, work.right, work.bottom};
}

std::wstring HistoryKey(const wchar_t* prefix, int i) {
    return prefix + std::to_wstring(i);
}

void ReadHistory(const TIniFile& ini, const wchar_t* prefix, std::vector<std::wstring>& items) {
    for (int i = 0; i < kHistoryCount; ++i) {
        const auto pos = items.begin() + std::min<std::ptrdiff_t>(i, static_cast<std::ptrdiff_t>(items.size()));
        items.insert(pos, ini.ReadString(kAnsicht, HistoryKey(prefix, i), L""));
    }
}

void WriteHistory(TIniFile& ini, const wchar_t* prefix, const std::vector<std::wstring>& items) {
    for (int i = 0; i < kHistoryCount; ++i)
        ini.WriteString(kAnsicht, HistoryKey(prefix, i), i < static_cast<int>(items.size()) ? items[i] : L"");
}

std::wstring ColumnKey(int i) {
    return L"Spalte" + std::to_wstring(i + 1);
}

} // namespace

std::wstring OstrelIniPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1) + kSettingsFileName;
}

bool SettingsFileExists(const std::wstring& iniPath) {
    return FileExists(iniPath);
}

Start1Result ReadStart1(const std::wstring& iniPath, MainSettings& m, MainWindowSettings& w) {
    const TIniFile ini(iniPath);
    Start1Result r;

    const WindowBounds stored{ini.ReadInteger(kPosition, L"Links", w.Left), ini.ReadInteger(kPosition, L"Oben", w.Top),
                              ini.ReadInteger(kPosition, L"Breite", w.Width),
                              ini.ReadInteger(kPosition, L"Höhe", w.Height)};
    // A position saved on another screen (or written by hand) must not open the window where nobody sees it.
    const WindowBounds fitted = FitIntoWorkArea(stored, {w.Left, w.Top, w.Width, w.Height}, WorkAreaNear(stored));
    w.Left = fitted.Left;
    w.Top = fitted.Top;
    w.Width = fitted.Width;
    w.Height = fitted.Height;

    r.OptionIndexes.Level = ini.ReadInteger(kKompatibilitaet, L"Level", 1);
    r.OptionIndexes.Dpi = ini.ReadInteger(kAufloesung, L"dpi", 2);
    r.OptionIndexes.Parameter = ini.ReadInteger(kDistiller, L"Parameter", 0);
    r.OptionIndexes.AutoRotatePages = ini.ReadInteger(kDistiller, L"AutoRotatePages", 0);

    m.MailDialog = ini.ReadBool(kEMail, L"Dialog", true);
    m.TrayOnMinimize = ini.ReadBool(kStart, L"Tray", m.TrayOnMinimize);
    m.KeepSecurity = ini.ReadBool(kStart, L"Encryptspeichern", false);
    m.CounterInFront = ini.ReadBool(kStart, L"Zähler vorne", false);
    w.Logdatei = ini.ReadBool(kStart, L"Logdatei", w.Logdatei);
    w.Kommandozeile = ini.ReadBool(kStart, L"Kommandozeile", w.Kommandozeile);
    m.EditorProgram = ini.ReadString(kStart, L"Editor", m.EditorProgram);
    m.ReaderProgram = ini.ReadString(kStart, L"PDF-Reader", m.ReaderProgram);

    w.SortExtL = ini.ReadBool(kAnsicht, L"Linke Ansicht", w.SortExtL);
    w.SortExtR = ini.ReadBool(kAnsicht, L"Rechte Ansicht", w.SortExtR);
    w.SysHid = ini.ReadBool(kAnsicht, L"Versteckte und Systemdateien", w.SysHid);
    w.Gitternetzlinien = ini.ReadBool(kAnsicht, L"Gitternetzlinien", w.LeftGridLines);
    m.DateFormatIndex = ini.ReadInteger(kAnsicht, L"DTS", m.DateFormatIndex);

    m.LanguageChoice = ini.ReadString(kSprache, L"Auswahl", m.LanguageChoice);

    for (int i = 0; i < 5; ++i)
        w.ColumnWidths[i] = ini.ReadInteger(kAnsicht, ColumnKey(i), w.ColumnWidths[i]);
    w.SortColumn1 = IndexWithin(ini.ReadInteger(kAnsicht, L"Spalte-View1", w.SortColumn1), kPaneColumns, w.SortColumn1);
    w.SortColumn2 = IndexWithin(ini.ReadInteger(kAnsicht, L"Spalte-View2", w.SortColumn2), kPaneColumns, w.SortColumn2);
    w.SortAscending1 = ini.ReadBool(kAnsicht, L"SortAscending1", w.SortAscending1);
    w.SortAscending2 = ini.ReadBool(kAnsicht, L"SortAscending2", w.SortAscending2);

    const std::wstring fontName = ini.ReadString(kAnsicht, L"Font-Name", L"");
    if (!fontName.empty()) {
        w.FontName = fontName;
        r.FontNameSet = true;
    }
    const int fontSize = ini.ReadInteger(kAnsicht, L"Font-Size", 0);
    if (fontSize != 0) {
        w.FontSize = fontSize;
        r.FontSizeSet = true;
    }
    const int fontStyle = ini.ReadInteger(kAnsicht, L"Font-Style", 0);
    if (fontStyle != 0) {
        if (std::optional<FontStyle> style = DecodeFontStyle(fontStyle)) {
            w.Style = *style;
            r.FontStyleSet = true;
        }
        r.FontSpreads = true;
    }

    const std::wstring colorText = ini.ReadString(kAnsicht, L"Hintergrundfarbe", L"");
    if (!colorText.empty()) {
        // Text that is no colour leaves the design colour rather than stopping the start.
        if (std::optional<std::int32_t> color = TextToColor(colorText)) {
            w.PaneColor = *color;
            r.ColorSet = true;
        }
    }

    ReadHistory(ini, L"Links-History", w.LeftHistory);
    ReadHistory(ini, L"Rechts-History", w.RightHistory);

    if (m.EditorProgram.empty())
        m.EditorProgram = kDefaultEditorProgram;
    if (m.ReaderProgram.empty())
        m.ReaderProgram = kDefaultReaderProgram;
    if (w.Gitternetzlinien)
        w.LeftGridLines = true;
    w.Attr1 = w.ColumnWidths[4] > 0;
    return r;
}

bool ReadStart2(const std::wstring& iniPath, MainSettings& m, GsOptions& options, const GsOptionIndexes& indexes) {
    const bool exists = SettingsFileExists(iniPath);
    if (!exists) {
        options.GsCompatLevelOption = kFixedCompatLevel;
        options.GsResolutionOption = L" -r300";
        options.GsPdfSettingsOption = L" -dPDFSETTINGS=/default";
    }
    const TIniFile ini(iniPath);
    m.PollSeconds = 90;
    m.StartMode = 1;
    m.OnlyPsPrn = true;
    // Below one second the poll timer never ticks while automatic mode claims to run.
    m.PollSeconds = std::max(ini.ReadInteger(kTimer, L"Sekunden", m.PollSeconds), kPollSecondsMin);
    m.StartMode = ini.ReadInteger(kStart, L"Autostart", m.StartMode);
    m.OnlyPsPrn = ini.ReadBool(kStart, L"Abfrage auf PS/PRN", m.OnlyPsPrn);
    SetGsOptions(options, indexes);
    return exists;
}

std::wstring ReadStart3(const std::wstring& iniPath) {
    return TIniFile(iniPath).ReadString(kVerzeichnisse, L"Ausgabeverzeichnis", L"");
}

StoredFolders ReadStoredFolders(const std::wstring& iniPath) {
    const TIniFile ini(iniPath);
    return {ini.ReadString(kVerzeichnisse, L"Eingabeverzeichnis", L""),
            ini.ReadString(kVerzeichnisse, L"Ausgabeverzeichnis", L"")};
}

void WriteFirstRunFolders(const std::wstring& iniPath) {
    TIniFile ini(iniPath);
    ini.WriteString(kVerzeichnisse, L"Eingabeverzeichnis", L"C:\\PDF\\IN");
    ini.WriteString(kVerzeichnisse, L"Ausgabeverzeichnis", L"C:\\PDF\\OUT");
}

ShowResult ReadShow(const std::wstring& iniPath, const MainSettings& m, MainWindowSettings& w,
                    SecuritySettings& security, DialogSettings& d, GsOptions& options) {
    const TIniFile ini(iniPath);
    const int levelChange = ini.ReadInteger(kKompatibilitaet, L"Leveländerung", 1);
    const std::wstring name = ini.ReadString(kEMail, L"Name", L"");
    const std::wstring address = ini.ReadString(kEMail, L"Adresse", L"");
    const std::wstring domain = ini.ReadString(kEMail, L"Domänenname", L"");
    const std::wstring userEnd = ini.ReadString(kEMail, L"Benutzername-Ende", L"");
    const std::wstring userRest = ini.ReadString(kEMail, L"Benutzername-Stellen danach", L"");
    const int mode = ini.ReadInteger(kEMail, L"Betrieb", 0);
    w.InputFolder = ini.ReadString(kVerzeichnisse, L"Eingabeverzeichnis", L"");
    w.OutputFolder = ini.ReadString(kVerzeichnisse, L"Ausgabeverzeichnis", L"");
    if (m.KeepSecurity)
        ReadSecurityKeys(ini, security);

    ShowResult r;
    d.PollSeconds = ClampSpinValue(m.PollSeconds, kPollSecondsControlMin, std::numeric_limits<int>::max());
    d.MayChangePdfLevel = ClampRadioIndex(levelChange, kRadioCountYesNo);
    d.ShowMailDialog = m.MailDialog;
    if (d.SendMail == 1) {
        d.ShowMailDialog = false;
        r.MDCB1Enabled = false;
        r.ShowInReaderEnabled = true;
    } else {
        r.MDCB1Enabled = true;
        d.ShowInReader = false;
        r.ShowInReaderEnabled = false;
    }
    d.MailDomain = domain;
    d.MailUserNameEnd = userEnd;
    d.MailUserNameDigits = userRest;
    d.MailMode = ClampRadioIndex(mode, kMailModeCount);
    d.MailName = name;
    d.MailAddress = address;
    if (d.MayChangePdfLevel == 0)
        SetCompatLevelOption(options, d.PdfLevel);
    else
        options.GsCompatLevelOption = kFixedCompatLevel;
    return r;
}

bool WriteExit(const std::wstring& iniPath, const MainSettings& m, const MainWindowSettings& w,
               const SecuritySettings& security, bool noLanguageFile) {
    if (noLanguageFile)
        return false;
    TIniFile ini(iniPath);
    ini.WriteBool(kStart, L"Logdatei", w.Logdatei);
    ini.WriteBool(kStart, L"Kommandozeile", w.Kommandozeile);
    ini.WriteBool(kStart, L"Tray", m.TrayOnMinimize);
    ini.WriteBool(kStart, L"Abfrage auf PS/PRN", m.OnlyPsPrn);
    ini.WriteBool(kStart, L"Encryptspeichern", m.KeepSecurity);
    ini.WriteBool(kStart, L"Zähler vorne", m.CounterInFront);
    ini.WriteString(kStart, L"Editor", m.EditorProgram);
    ini.WriteString(kStart, L"PDF-Reader", m.ReaderProgram);

    ini.WriteBool(kAnsicht, L"Linke Ansicht", w.SortExtL);
    ini.WriteBool(kAnsicht, L"Rechte Ansicht", w.SortExtR);
    ini.WriteBool(kAnsicht, L"Versteckte und Systemdateien", w.SysHid);
    ini.WriteBool(kAnsicht, L"Gitternetzlinien", w.LeftGridLines);
    ini.WriteInteger(kAnsicht, L"DTS", m.DateFormatIndex);

    ini.WriteString(kSprache, L"Auswahl", w.Deutsch ? L"Deutsch" : w.English ? L"English" : L"");

    for (int i = 0; i < 4; ++i)
        ini.WriteInteger(kAnsicht, ColumnKey(i), w.ColumnWidths[i]);
    ini.WriteInteger(kAnsicht, ColumnKey(4), w.Attr1 ? w.ColumnWidths[4] : 0);
    ini.WriteInteger(kAnsicht, L"Spalte-View1", w.SortColumn1);
    ini.WriteInteger(kAnsicht, L"Spalte-View2", w.SortColumn2);
    ini.WriteBool(kAnsicht, L"SortAscending1", w.SortAscending1);
    ini.WriteBool(kAnsicht, L"SortAscending2", w.SortAscending2);
    ini.WriteString(kAnsicht, L"Font-Name", w.FontName);
    ini.WriteInteger(kAnsicht, L"Font-Size", w.FontSize);
    ini.WriteInteger(kAnsicht, L"Font-Style", EncodeFontStyle(w.Style));
    ini.WriteString(kAnsicht, L"Hintergrundfarbe", ColorToText(w.PaneColor));
    WriteHistory(ini, L"Links-History", w.LeftHistory);
    WriteHistory(ini, L"Rechts-History", w.RightHistory);

    if (m.KeepSecurity)
        WriteSecurityKeys(ini, security);
    return true;
}

void SavePosition(const std::wstring& iniPath, const MainWindowSettings& w) {
    TIniFile ini(iniPath);
    ini.WriteInteger(kPosition, L"Links", w.Left);
    ini.WriteInteger(kPosition, L"Oben", w.Top);
    ini.WriteInteger(kPosition, L"Breite", w.Width);
    ini.WriteInteger(kPosition, L"Höhe", w.Height);
}

void SaveFolders(const std::wstring& iniPath, const std::wstring& inputFolder, const std::wstring& outputFolder) {
    TIniFile ini(iniPath);
    ini.WriteString(kVerzeichnisse, L"Eingabeverzeichnis", inputFolder);
    ini.WriteString(kVerzeichnisse, L"Ausgabeverzeichnis", outputFolder);
}

void ReadDialogStart(const std::wstring& iniPath, DialogSettings& d, const std::wstring& lastGhostscriptProgram) {
    ReadDialogKeys(TIniFile(iniPath), d, KeySet::All24, ReadSpelling::Dialog, lastGhostscriptProgram);
    if (d.GhostscriptProgram.empty())
        d.GhostscriptProgram = kDefaultGhostscriptProgram;
}

bool WriteDialogExit(const std::wstring& iniPath, const DialogSettings& d) {
    if (SettingsFileExists(iniPath))
        return false;
    TIniFile ini(iniPath);
    WriteDialogKeys(ini, d, KeySet::Without23);
    return true;
}

void SaveStartSettings(const std::wstring& iniPath, const DialogSettings& d) {
    TIniFile ini(iniPath);
    WriteDialogKeys(ini, d, KeySet::All24);
}

void LoadStartSettings(const std::wstring& iniPath, DialogSettings& d, const std::wstring& lastGhostscriptProgram) {
    ReadDialogKeys(TIniFile(iniPath), d, KeySet::Without23, ReadSpelling::LoadStart, lastGhostscriptProgram);
}

void SaveProfile(const std::wstring& profilePath, const DialogSettings& d, const SecuritySettings& security) {
    TIniFile ini(profilePath);
    WriteDialogKeys(ini, d, KeySet::Without23);
    WriteSecurityKeys(ini, security);
}

bool LoadProfile(const std::wstring& profilePath, DialogSettings& d, SecuritySettings& security,
                 const std::wstring& lastGhostscriptProgram) {
    const TIniFile ini(profilePath);
    const DialogKey& program = kDialogKeys.front();
    if (ini.ReadString(program.Section, program.DialogReadKey, lastGhostscriptProgram).empty())
        return false;
    ReadDialogKeys(ini, d, KeySet::Without23, ReadSpelling::Dialog, lastGhostscriptProgram);
    ReadSecurityKeys(ini, security);
    return true;
}

void ReadSecurity(const std::wstring& iniPath, SecuritySettings& security) {
    ReadSecurityKeys(TIniFile(iniPath), security);
}

void WriteSecurity(const std::wstring& iniPath, const SecuritySettings& security) {
    TIniFile ini(iniPath);
    WriteSecurityKeys(ini, security);
}

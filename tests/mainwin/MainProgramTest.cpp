// Ostrel.exe as a real process in a program folder of its own: the main window with its German texts, the single
// copy, the command-line conversion, a file handed over by a second start, the end without a language file, and the
// stored pane view applied at start and written back at exit.
#include "support/GuiDriver.h"
#include "support/HostProcesses.h"
#include "support/ProgramUnderTest.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testenv::ReadFileBytes;
using testenv::WriteFileBytes;

const char kSamplePostScript[] = "%!PS-Adobe-3.0\n%%Pages: 1\n%%EndComments\n/Helvetica findfont 24 scalefont "
                                 "setfont\n%%Page: 1 1\n72 700 moveto (Ostrel) show showpage\n%%EOF\n";

using programtest::CountWindows;
using programtest::DescribeWindows;
using programtest::kExitTimeoutMs;
using programtest::kStartTimeoutMs;
using programtest::Narrow;
using programtest::Process;
using programtest::WaitForBoxSaying;
using programtest::WaitForWindow;
using programtest::WindowsOf;

// Every program folder of this program is tagged with its name.
class ProgramFolder : public programtest::ProgramFolder {
public:
    explicit ProgramFolder(bool withLanguages = true) : programtest::ProgramFolder(L"mainwin", withLanguages) {}
};

// Closes the main window and waits for the program to end.
void CloseProgram(const Process& process, HWND main) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(process.WaitExit(kExitTimeoutMs), std::optional<DWORD>(0));
}

TEST(MainProgram, ShowsTheMainWindowWithGermanTextsAndKeepsOneCopy) {
    ProgramFolder folder;
    folder.WriteIni();
    Process first;
    folder.Start(first);
    HWND main = WaitForWindow(first, L"TOstrel_Form");
    ASSERT_NE(main, nullptr) << "no main window appeared";

    struct Expected {
        const wchar_t* control; // nullptr: the window itself
        std::wstring text;
    };
    const Expected expected[] = {
        {nullptr, L"Ostrel - manueller Betrieb"},
        {L"PDF_Erstellung", L"Umwandeln in PDF"},
        {L"F12Bt", L"F12 Aktualisieren"},
        {L"Timerbutton", L"Automatik starten"},
        {L"ZaehlerLabel", L"000 "},
        {L"PathComboBox1", folder.in().wstring()},
        {L"PathComboBox2", folder.out().wstring()},
    };
    for (const Expected& e : expected) {
        HWND hwnd = e.control ? guidriver::FindControl(main, e.control) : main;
        ASSERT_NE(hwnd, nullptr) << Narrow(e.control);
        std::wstring text = guidriver::WindowText(hwnd);
        // The path boxes show the folders as the trees give them, with or without the last backslash.
        if (e.control && std::wstring(e.control).rfind(L"PathComboBox", 0) == 0 && text.size() > 3 &&
            text.back() == L'\\') {
            text.pop_back();
        }
        EXPECT_EQ(Narrow(text), Narrow(e.text)) << (e.control ? Narrow(e.control) : "caption");
    }
    RECT rect{};
    GetWindowRect(main, &rect);
    EXPECT_GE(rect.right - rect.left, 612);

    // A second start raises the first and ends without a window of its own.
    Process second;
    folder.Start(second);
    EXPECT_EQ(second.WaitExit(kExitTimeoutMs), std::optional<DWORD>(0));
    EXPECT_EQ(CountWindows(L"TOstrel_Form"), 1);
    EXPECT_TRUE(WindowsOf(second.Id(), L"TOstrel_Form").empty());

    CloseProgram(first, main);
    // The exit burst kept the folders (they are written only by their save command).
    const std::string ini = ReadFileBytes(folder.ini());
    EXPECT_NE(ini.find("Eingabeverzeichnis=" + Narrow(folder.in().wstring())), std::string::npos) << ini;
    EXPECT_NE(ini.find("[Start]"), std::string::npos) << "the exit burst ran";
}

TEST(MainProgram, KeepsItsMinimumSizeAndGoesToTheTrayWhenMinimised) {
    ProgramFolder folder;
    folder.WriteIni();
    WriteFileBytes(folder.ini(), ReadFileBytes(folder.ini()) + "[Start]\r\nTray=1\r\n");
    Process process;
    folder.Start(process);
    HWND main = WaitForWindow(process, L"TOstrel_Form");
    ASSERT_NE(main, nullptr);

    SetWindowPos(main, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT rect{};
    GetWindowRect(main, &rect);
    EXPECT_EQ(rect.right - rect.left, 612);
    EXPECT_EQ(rect.bottom - rect.top, 290);

    // Minimised with the tray item checked, the window leaves the taskbar; a left click on the icon brings it back.
    PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(guidriver::PumpUntil([&] { return !IsWindowVisible(main); }, kStartTimeoutMs));
    PostMessageW(main, WM_USER + 1, 0, WM_LBUTTONUP);
    EXPECT_TRUE(guidriver::PumpUntil([&] { return IsWindowVisible(main) && !IsIconic(main); }, kStartTimeoutMs));
    CloseProgram(process, main);
}

TEST(MainProgram, EqualFoldersForceManualModeWithTheNotice) {
    ProgramFolder folder;
    const std::string in = Narrow(folder.in().wstring());
    // Automatic mode is asked for, but both panes would show the same folder.
    WriteFileBytes(folder.ini(), "[Verzeichnisse]\r\nEingabeverzeichnis=" + in + "\r\nAusgabeverzeichnis=" + in +
                                     "\r\n[Start]\r\nAutostart=0\r\n");
    Process process;
    folder.Start(process);
    auto [box, text] = WaitForBoxSaying(process, L"Eingabe- und Ausgabeverzeichnis sind gleich!");
    ASSERT_NE(box, nullptr) << DescribeWindows(process.Id());
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    HWND main = WaitForWindow(process, L"TOstrel_Form");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(Narrow(guidriver::WindowText(main)), "Ostrel - manueller Betrieb");
    HWND start = guidriver::FindControl(main, L"PDF_Erstellung");
    ASSERT_NE(start, nullptr);
    EXPECT_TRUE(IsWindowEnabled(start)) << "manual mode enables the conversion button";
    CloseProgram(process, main);
}

// Automatic start, keeping its inputs or deleting them: merging stays off. (The reader choice that the start rule
// disables belongs to the settings dialog, which has no window at start: the layout test, which makes the program's
// windows in its own process, checks it.)
TEST(MainProgram, AutomaticStartKeepingInputsDisablesTheReaderChoice) {
    for (const char* deleteChoice : {"1", "0"}) {
        SCOPED_TRACE(deleteChoice);
        ProgramFolder folder;
        WriteFileBytes(folder.ini(),
                       "[Verzeichnisse]\r\nEingabeverzeichnis=" + Narrow(folder.in().wstring()) +
                           "\r\nAusgabeverzeichnis=" + Narrow(folder.out().wstring()) +
                           "\r\n[Start]\r\nAutostart=0\r\n[Eingabedateien]\r\nL\xf6schen=" + deleteChoice + "\r\n");
        Process process;
        folder.Start(process);
        HWND main = WaitForWindow(process, L"TOstrel_Form");
        ASSERT_NE(main, nullptr) << DescribeWindows(process.Id());
        EXPECT_TRUE(WindowsOf(process.Id(), L"TEinstellungen_Form").empty());
        // Automatic mode converts on its timer: merging stays off, also while the timer waits for the first showing.
        HWND merge = guidriver::FindControl(main, L"MergeBitBtn");
        ASSERT_NE(merge, nullptr);
        EXPECT_FALSE(IsWindowEnabled(merge));
        CloseProgram(process, main);
    }
}

// The dialogs the program makes at start keep their windows back until they are first opened.
const wchar_t* const kDialogClasses[] = {
    L"TUpdate_Form",        L"TEinstellungen_Form", L"TEncrypt_Form",      L"TInfo_Form",    L"TStartbild_Form",
    L"TAuswahl_Form",       L"TDokuInfo1_Form",     L"TInfo_Sprache_Form", L"TBeenden_Form", L"TAnleitung_Form",
    L"TSprachhinweis_Form", L"TMerge_Form",         L"TEin_Info_Form",
};

// The first visible window of the class in the process; null when none came in time.
HWND WaitForShown(const Process& process, const wchar_t* className, DWORD timeoutMs = kStartTimeoutMs) {
    HWND shown = nullptr;
    guidriver::PumpUntil(
        [&] {
            for (HWND hwnd : WindowsOf(process.Id(), className))
                if (IsWindowVisible(hwnd))
                    shown = hwnd;
            return shown != nullptr;
        },
        timeoutMs);
    return shown;
}

// The caption of the checked radio button of a group box; empty when none is checked.
std::wstring CheckedItem(HWND group) {
    for (HWND button = GetWindow(group, GW_CHILD); button; button = GetWindow(button, GW_HWNDNEXT))
        if (SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED)
            return guidriver::WindowText(button);
    return {};
}

TEST(MainProgram, MakesNoDialogWindowAtStartAndShowsTheStoredSettingsWhenTheDialogOpens) {
    ProgramFolder folder;
    folder.WriteIni("[Timer]\r\nSekunden=7\r\n[eMail]\r\nName=Probe Name\r\n[Start]\r\nAutostart=1\r\n"
                    "Anzeigen=1\r\n[Dateien]\r\nWasserzeichen=C:\\stamp.pdf\r\n");
    Process process;
    folder.Start(process);
    HWND main = WaitForWindow(process, L"TOstrel_Form");
    ASSERT_NE(main, nullptr) << DescribeWindows(process.Id());
    // The first showing has run once the window answers; no dialog has made a window by then.
    DWORD_PTR answer = 0;
    ASSERT_NE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, kStartTimeoutMs, &answer), 0);
    for (const wchar_t* dialog : kDialogClasses)
        EXPECT_TRUE(WindowsOf(process.Id(), dialog).empty()) << Narrow(dialog) << " has a window at start";

    // Options (Alt+O), its first item: the settings dialog.
    PostMessageW(main, WM_SYSCOMMAND, SC_KEYMENU, 'o');
    ASSERT_NE(WaitForShown(process, L"#32768"), nullptr) << "the menu did not open";
    guidriver::PostKey(main, VK_RETURN);
    HWND dialog = WaitForShown(process, L"TEinstellungen_Form");
    ASSERT_NE(dialog, nullptr) << DescribeWindows(process.Id());
    const struct {
        const wchar_t* control;
        std::wstring text;
    } texts[] = {{L"SpinEdit1", L"7"}, {L"NameEdit", L"Probe Name"}, {L"WasserzeichenEdit", L"C:\\stamp.pdf"}};
    for (const auto& t : texts) {
        HWND control = guidriver::FindControl(dialog, t.control);
        ASSERT_NE(control, nullptr) << Narrow(t.control);
        EXPECT_EQ(Narrow(guidriver::WindowText(control)), Narrow(t.text)) << Narrow(t.control);
    }
    HWND reader = guidriver::FindControl(dialog, L"AnzeigenCB");
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(SendMessageW(reader, BM_GETCHECK, 0, 0), BST_CHECKED);
    HWND autostart = guidriver::FindControl(dialog, L"AutostartRG1");
    ASSERT_NE(autostart, nullptr);
    EXPECT_EQ(Narrow(CheckedItem(autostart)), "Nein");
    // The spin box's arrows were made with it and step its value.
    HWND spin = guidriver::FindControl(dialog, L"SpinEdit1");
    bool arrowsFound = false;
    for (HWND child : guidriver::ChildWindows(dialog))
        if (guidriver::ClassName(child) == UPDOWN_CLASSW &&
            reinterpret_cast<HWND>(SendMessageW(child, UDM_GETBUDDY, 0, 0)) == spin)
            arrowsFound = IsWindowVisible(child) != FALSE;
    EXPECT_TRUE(arrowsFound) << "no arrows beside the poll interval";

    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(guidriver::PumpUntil([&] { return !IsWindowVisible(dialog); }, kStartTimeoutMs));
    CloseProgram(process, main);
}

TEST(MainProgram, ConvertsTheFileOnItsCommandLineAndEnds) {
    ProgramFolder folder;
    folder.WriteIni();
    const fs::path input = folder.in() / L"Beispiel.ps";
    WriteFileBytes(input, kSamplePostScript);
    Process process;
    folder.Start(process, input.wstring());
    ASSERT_EQ(process.WaitExit(kExitTimeoutMs), std::optional<DWORD>(0)) << "the program did not end by itself";
    const fs::path pdf = folder.out() / L"Beispiel.pdf";
    ASSERT_TRUE(fs::exists(pdf));
    EXPECT_EQ(ReadFileBytes(pdf).substr(0, 5), "%PDF-");
    EXPECT_TRUE(fs::exists(input)) << "the input stays: deleting inputs is off";
}

// A run for one file converts that file alone, never waits for a person, says in the log what went wrong and
// ends with 0 only when the file was converted.
TEST(MainProgram, OneFileRunEndsWithItsOutcome) {
    struct Case {
        const char* what;
        const wchar_t* name; // below the folder "handed", beside the stored folders
        std::string content; // empty: the file is not there
        bool automatic;      // automatic start with a one-second poll
        DWORD exitCode;
        const char* logged; // a text the log holds
    };
    const std::string broken = std::string(kSamplePostScript) + "this_is_undefined\n";
    const Case cases[] = {
        {"converted", L"a.ps", kSamplePostScript, false, 0, "<none>"},
        {"converted in automatic mode", L"a.ps", kSamplePostScript, true, 0, "<none>"},
        {"missing", L"missing.ps", "", false, 1, "File not found! "},
        {"missing in automatic mode", L"missing.ps", "", true, 1, "File not found! "},
        {"broken", L"broken.ps", broken, false, 1, "Conversion failed! "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFolder folder;
        WriteFileBytes(folder.ini(), "[Verzeichnisse]\r\nEingabeverzeichnis=" + Narrow(folder.in().wstring()) +
                                         "\r\nAusgabeverzeichnis=" + Narrow(folder.out().wstring()) +
                                         "\r\n[Start]\r\nLogdatei=1\r\nAutostart=" + (c.automatic ? "0" : "1") +
                                         "\r\n[Timer]\r\nSekunden=1\r\n");
        // The watched folder holds a job of its own: a run for one file must leave it alone.
        WriteFileBytes(folder.in() / L"waiting.ps", kSamplePostScript);
        const fs::path handed = folder.in().parent_path() / L"handed";
        fs::create_directories(handed);
        const fs::path input = handed / c.name;
        if (!c.content.empty()) {
            WriteFileBytes(input, c.content);
        }
        Process process;
        folder.Start(process, input.wstring());
        ASSERT_EQ(process.WaitExit(kExitTimeoutMs), std::optional<DWORD>(c.exitCode)) << DescribeWindows(process.Id());
        const fs::path pdf = folder.out() / fs::path(c.name).replace_extension(L".pdf");
        EXPECT_EQ(fs::exists(pdf), c.exitCode == 0);
        EXPECT_FALSE(fs::exists(folder.out() / L"waiting.pdf"));
        EXPECT_EQ(ReadFileBytes(folder.in() / L"waiting.ps"), kSamplePostScript);
        const fs::path log = folder.ini().parent_path() / L"OstrelLog.txt";
        if (c.exitCode != 0) {
            ASSERT_TRUE(fs::exists(log));
            EXPECT_NE(ReadFileBytes(log).find(c.logged + Narrow(input.wstring())), std::string::npos)
                << ReadFileBytes(log);
        }
    }
}

// A job on which Ghostscript never ends: the window keeps answering while it runs, and closing the program ends the
// Ghostscript run with it and keeps the job.
TEST(MainProgram, ClosingWhileGhostscriptLoopsEndsItAndKeepsTheInput) {
    ProgramFolder folder;
    folder.WriteIni();
    const fs::path input = folder.in() / L"endless-job.ps";
    WriteFileBytes(input, "%!PS\n{ 1 pop } loop\n");
    Process process;
    folder.Start(process, input.wstring());
    HWND main = WaitForWindow(process, L"TOstrel_Form");
    ASSERT_NE(main, nullptr) << DescribeWindows(process.Id());
    ASSERT_TRUE(
        guidriver::PumpUntil([] { return !testenv::HostProcessesWith("endless-job.ps").empty(); }, kStartTimeoutMs))
        << "Ghostscript never ran the job";

    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer), 0)
        << "the window does not answer while Ghostscript runs";

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(process.WaitExit(kExitTimeoutMs).has_value()) << "the program did not end";
    EXPECT_TRUE(guidriver::PumpUntil([] { return testenv::HostProcessesWith("endless-job.ps").empty(); }, 10000))
        << "Ghostscript outlived the program";
    EXPECT_TRUE(fs::exists(input)) << "the job stays";
}

TEST(MainProgram, ASecondStartWithAFileHandsItToTheRunningCopy) {
    ProgramFolder folder;
    folder.WriteIni();
    Process first;
    folder.Start(first);
    HWND main = WaitForWindow(first, L"TOstrel_Form");
    ASSERT_NE(main, nullptr);

    const fs::path input = folder.in() / L"Nachgereicht.ps";
    WriteFileBytes(input, kSamplePostScript);
    Process second;
    folder.Start(second, input.wstring());
    EXPECT_EQ(second.WaitExit(kExitTimeoutMs), std::optional<DWORD>(0));
    const fs::path pdf = folder.out() / L"Nachgereicht.pdf";
    EXPECT_TRUE(guidriver::PumpUntil([&] { return fs::exists(pdf) && fs::file_size(pdf) > 0; }, kExitTimeoutMs))
        << "the running copy did not convert the handed-over file";
    // The command memo shows the command line as a line of its own, ended in CR LF.
    HWND memo = guidriver::FindControl(main, L"Memo1");
    ASSERT_NE(memo, nullptr);
    std::wstring memoText;
    EXPECT_TRUE(guidriver::PumpUntil(
        [&] {
            memoText = guidriver::WindowText(memo);
            return memoText.find(L"Nachgereicht.ps") != std::wstring::npos;
        },
        kExitTimeoutMs));
    EXPECT_TRUE(memoText.ends_with(L"\r\n")) << Narrow(memoText);
    for (size_t at = memoText.find(L'\r'); at != std::wstring::npos; at = memoText.find(L'\r', at + 1)) {
        EXPECT_EQ(memoText.substr(at, 2), L"\r\n") << "a line ends in a bare CR at " << at;
    }
    EXPECT_EQ(WaitForSingleObject(first.Handle(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the running copy keeps running";
    CloseProgram(first, main);
}

// A job its writer still holds waits, but not in front of the jobs handed over after it; once let go it is converted.
TEST(MainProgram, AHeldHandedOverFileDoesNotHoldUpTheNextOne) {
    ProgramFolder folder;
    folder.WriteIni();
    Process first;
    folder.Start(first);
    HWND main = WaitForWindow(first, L"TOstrel_Form");
    ASSERT_NE(main, nullptr);

    const fs::path held = folder.in() / L"Gehalten.ps";
    const fs::path free = folder.in() / L"Frei.ps";
    WriteFileBytes(held, kSamplePostScript);
    WriteFileBytes(free, kSamplePostScript);
    HANDLE writer = CreateFileW(held.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    for (const fs::path& input : {held, free}) {
        Process second;
        folder.Start(second, input.wstring());
        EXPECT_EQ(second.WaitExit(kExitTimeoutMs), std::optional<DWORD>(0));
    }
    EXPECT_TRUE(guidriver::PumpUntil([&] { return fs::exists(folder.out() / L"Frei.pdf"); }, kExitTimeoutMs))
        << "the file handed over second waited behind the held one";
    EXPECT_FALSE(fs::exists(folder.out() / L"Gehalten.pdf")) << "a job still being written was converted";
    CloseHandle(writer);
    EXPECT_TRUE(guidriver::PumpUntil([&] { return fs::exists(folder.out() / L"Gehalten.pdf"); }, kExitTimeoutMs))
        << "the held job was not converted once its writer let go";
    CloseProgram(first, main);
}

// In automatic mode a handed-over file is converted on its own: the watched folder stays the stored one, and what
// lies beside the handed-over file is never touched by the ticks that follow.
TEST(MainProgram, AHandedOverFileDoesNotMoveTheWatchedFolder) {
    ProgramFolder folder;
    WriteFileBytes(folder.ini(), "[Verzeichnisse]\r\nEingabeverzeichnis=" + Narrow(folder.in().wstring()) +
                                     "\r\nAusgabeverzeichnis=" + Narrow(folder.out().wstring()) +
                                     "\r\n[Start]\r\nAutostart=0\r\n[Timer]\r\nSekunden=1\r\n");
    const fs::path handed = folder.in().parent_path() / L"handed";
    fs::create_directories(handed);
    WriteFileBytes(handed / L"sibling.ps", kSamplePostScript);
    Process first;
    folder.Start(first);
    HWND main = WaitForWindow(first, L"TOstrel_Form");
    ASSERT_NE(main, nullptr) << DescribeWindows(first.Id());

    const fs::path input = handed / L"given.ps";
    WriteFileBytes(input, kSamplePostScript);
    Process second;
    folder.Start(second, input.wstring());
    EXPECT_EQ(second.WaitExit(kExitTimeoutMs), std::optional<DWORD>(0));
    EXPECT_TRUE(guidriver::PumpUntil([&] { return fs::exists(folder.out() / L"given.pdf"); }, kExitTimeoutMs))
        << "the running copy did not convert the handed-over file";

    // A job that arrives in the watched folder afterwards shows that the ticks go on there.
    WriteFileBytes(folder.in() / L"later.ps", kSamplePostScript);
    EXPECT_TRUE(guidriver::PumpUntil([&] { return fs::exists(folder.out() / L"later.pdf"); }, kExitTimeoutMs))
        << "the timer did not convert the job in the stored input folder";
    EXPECT_FALSE(fs::exists(folder.out() / L"sibling.pdf"));
    EXPECT_EQ(ReadFileBytes(handed / L"sibling.ps"), kSamplePostScript);
    CloseProgram(first, main);
}

TEST(MainProgram, EndsWithTheNoticeWhenNoLanguageFileIsThere) {
    struct Case {
        const char* name;
        bool withIni;
    };
    for (const Case& c : {Case{"with settings file", true}, Case{"without settings file", false}}) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder(false);
        if (c.withIni) {
            folder.WriteIni();
        }
        const std::string before = c.withIni ? ReadFileBytes(folder.ini()) : std::string();
        Process process;
        folder.Start(process);
        HWND notice = WaitForWindow(process, L"TInfo_Sprache_Form");
        ASSERT_NE(notice, nullptr) << "the notice did not appear";
        HWND memo = guidriver::FindControl(notice, L"Memo1");
        ASSERT_NE(memo, nullptr);
        EXPECT_FALSE(guidriver::WindowText(memo).empty());
        // The click may come before the notice's modal loop runs, and Wine now and then drops a click on a window
        // of another process; it is repeated, followed by the notification a click sends, until the notice goes.
        EXPECT_TRUE(guidriver::PumpUntil(
            [&] {
                HWND ok = IsWindowVisible(notice) ? guidriver::FindControl(notice, L"BitBtn1") : nullptr;
                if (!ok) {
                    return true;
                }
                guidriver::Click(ok);
                if (IsWindowVisible(notice)) {
                    SendMessageTimeoutW(GetParent(ok), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ok), BN_CLICKED),
                                        reinterpret_cast<LPARAM>(ok), SMTO_ABORTIFHUNG, 1000, nullptr);
                }
                return false;
            },
            kStartTimeoutMs))
            << DescribeWindows(process.Id());
        EXPECT_EQ(process.WaitExit(kExitTimeoutMs), std::optional<DWORD>(0));
        if (c.withIni) {
            EXPECT_EQ(ReadFileBytes(folder.ini()), before) << "the settings file must stay as it was";
        } else {
            EXPECT_FALSE(fs::exists(folder.ini())) << "no settings file may be created";
        }
    }
}

// The pane settings that start reads from [Ansicht], as a window of another process shows them.
struct PaneState {
    std::vector<int> widths;
    bool gridLines = false;
    COLORREF background = 0;
};

PaneState ReadPane(HWND list) {
    PaneState state;
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int count = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int column = 0; column < count; ++column) {
        state.widths.push_back(static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0)));
    }
    state.gridLines = (SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_GRIDLINES) != 0;
    state.background = static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0));
    return state;
}

std::string AnsichtValue(const fs::path& ini, const wchar_t* key) {
    wchar_t value[256]{};
    GetPrivateProfileStringW(L"Ansicht", key, L"<missing>", value, 256, ini.wstring().c_str());
    return Narrow(value);
}

TEST(MainProgram, AppliesTheStoredPaneViewAndWritesItBackAtExit) {
    struct Case {
        const char* name;
        std::string ansicht;                                         // the [Ansicht] lines
        std::vector<int> widths;                                     // both panes' columns after the start
        std::vector<std::pair<const wchar_t*, std::string>> written; // [Ansicht] after the exit
    };
    const Case cases[] = {
        {"attribute column removed, bold font, grid and colour",
         "Spalte1=201\r\nSpalte2=72\r\nSpalte3=133\r\nSpalte4=144\r\nSpalte5=0\r\nGitternetzlinien=1\r\n"
         "Font-Name=Courier New\r\nFont-Size=12\r\nFont-Style=2\r\nHintergrundfarbe=$00C08040\r\n"
         "Spalte-View1=2\r\nSpalte-View2=3\r\nSortAscending1=0\r\nSortAscending2=1\r\nDTS=2\r\n",
         {201, 72, 133, 144},
         {{L"Spalte1", "201"},
          {L"Spalte4", "144"},
          {L"Spalte5", "0"},
          {L"Gitternetzlinien", "1"},
          {L"Font-Name", "Courier New"},
          {L"Font-Size", "12"},
          {L"Font-Style", "2"},
          {L"Hintergrundfarbe", "$00C08040"},
          {L"Spalte-View1", "2"},
          {L"Spalte-View2", "3"},
          {L"SortAscending1", "0"},
          {L"SortAscending2", "1"},
          {L"DTS", "2"}}},
        {"attribute column kept, plain font",
         "Spalte1=180\r\nSpalte2=90\r\nSpalte3=100\r\nSpalte4=110\r\nSpalte5=60\r\nFont-Name=Courier New\r\n"
         "Font-Style=0\r\nDTS=1\r\n",
         {180, 90, 100, 110, 60},
         {{L"Spalte1", "180"},
          {L"Spalte5", "60"},
          {L"Gitternetzlinien", "0"},
          {L"DTS", "1"},
          {L"Font-Name", "Courier New"},
          {L"Font-Style", "1"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder;
        folder.WriteIni();
        WriteFileBytes(folder.ini(), ReadFileBytes(folder.ini()) + "[Ansicht]\r\n" + c.ansicht);
        Process process;
        folder.Start(process);
        HWND main = WaitForWindow(process, L"TOstrel_Form");
        ASSERT_NE(main, nullptr) << DescribeWindows(process.Id());
        HWND left = guidriver::FindControl(main, L"DirView1");
        HWND right = guidriver::FindControl(main, L"DirView2");
        ASSERT_TRUE(left && right);

        const PaneState leftState = ReadPane(left);
        const PaneState rightState = ReadPane(right);
        const bool colourSet = c.ansicht.find("Hintergrundfarbe") != std::string::npos;
        for (const PaneState* pane : {&leftState, &rightState}) {
            EXPECT_EQ(pane->widths, c.widths);
            EXPECT_EQ(pane->gridLines, c.ansicht.find("Gitternetzlinien=1") != std::string::npos);
            if (colourSet) {
                EXPECT_EQ(pane->background, RGB(0x40, 0x80, 0xC0));
            }
        }
        // The stored view comes back from the exit burst as it was read.
        WriteFileBytes(folder.ini(), "");
        CloseProgram(process, main);
        for (const auto& [key, value] : c.written) {
            EXPECT_EQ(AnsichtValue(folder.ini(), key), value) << Narrow(key);
        }
    }
}

} // namespace

namespace {

TEST(MainProgram, ASettingsFileThatCannotBeWrittenAtExitIsReported) {
    ProgramFolder folder;
    folder.WriteIni();
    Process process;
    folder.Start(process);
    HWND main = WaitForWindow(process, L"TOstrel_Form");
    ASSERT_NE(main, nullptr) << DescribeWindows(process.Id());
    // A folder in the settings file's place: every write the exit burst makes is refused.
    fs::remove(folder.ini());
    fs::create_directory(folder.ini());
    PostMessageW(main, WM_CLOSE, 0, 0);

    auto [box, text] = WaitForBoxSaying(process, L"geschrieben");
    ASSERT_NE(box, nullptr) << "no message at exit; windows: " << DescribeWindows(process.Id());
    EXPECT_NE(text.find(L"In " + folder.ini().wstring() + L" kann nicht geschrieben werden"), std::wstring::npos)
        << Narrow(text);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(process.WaitExit(kExitTimeoutMs), std::optional<DWORD>(0))
        << "windows: " << DescribeWindows(process.Id());
}

} // namespace

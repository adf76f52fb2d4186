#include "components/BrowseFolder.h"

#include "support/GuiDriver.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlobj.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace {

struct FlagCase {
    const char* name;
    TOptionsDir options;
    DWORD version;
    UINT expected;
};

class BrowseFlagsTest : public ::testing::TestWithParam<FlagCase> {};

TEST_P(BrowseFlagsTest, FollowsOptionsAndShellVersion) {
    const FlagCase& c = GetParam();
    EXPECT_EQ(BrowseFlags(c.options, c.version), c.expected) << c.name;
}

constexpr DWORD kShell471 = 0x40047;
constexpr DWORD kShell4113 = 0x40071;
constexpr DWORD kShell6 = 0x60000;

INSTANTIATE_TEST_SUITE_P(
    Table, BrowseFlagsTest,
    ::testing::Values(
        FlagCase{"defaults", TOptionsDir{odStatusAvailable, odNewDialogStyle}, kShell6,
                 BIF_STATUSTEXT | BIF_NEWDIALOGSTYLE},
        FlagCase{"new style needs 5.0", TOptionsDir{odStatusAvailable, odNewDialogStyle}, kShell4113, BIF_STATUSTEXT},
        FlagCase{"4.71 gets no edit box or files", TOptionsDir{odEditBox, odIncludeFiles, odOnlyDirectory}, kShell471,
                 0},
        FlagCase{"4.113 gets edit box and files", TOptionsDir{odEditBox, odIncludeFiles}, kShell4113,
                 BIF_EDITBOX | BIF_BROWSEINCLUDEFILES},
        FlagCase{"5.0 parts", TOptionsDir{odIncludeUrls, odShareable}, 0x50000, BIF_BROWSEINCLUDEURLS | BIF_SHAREABLE},
        FlagCase{"plain flags", TOptionsDir{odNoBelowDomain, odSystemAncestorsOnly, odFileSystemDirectoryOnly}, kShell6,
                 BIF_DONTGOBELOWDOMAIN | BIF_RETURNFSANCESTORS | BIF_RETURNONLYFSDIRS},
        FlagCase{"computer replaces what came before", TOptionsDir{odBrowseForComputer, odNoBelowDomain}, kShell6,
                 BIF_BROWSEFORCOMPUTER | BIF_DONTGOBELOWDOMAIN},
        FlagCase{"printers replace computer", TOptionsDir{odBrowseForComputer, odOnlyPrinters, odStatusAvailable},
                 kShell6, BIF_BROWSEFORPRINTER | BIF_STATUSTEXT}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

// How often a test opens the dialog again when Wine did not select the requested folder.
constexpr int kAttempts = 5;

TEST(BrowseForFolder, RootFolderIds) {
    const std::pair<TFromDirectory, int> table[] = {
        {fdRootFolder, 0},  {fdRecycleBin, 10}, {fdControlPanel, 3}, {fdDesktop, 0},  {fdDesktopDirectory, 16},
        {fdMyComputer, 17}, {fdFonts, 20},      {fdNetHood, 19},     {fdNetWork, 18}, {fdPersonal, 5},
        {fdPrinters, 4},    {fdPrograms, 2},    {fdRecent, 8},       {fdSendTo, 9},   {fdStartMenu, 11},
        {fdStartup, 7},     {fdTemplates, 21}};
    for (auto [root, id] : table) {
        EXPECT_EQ(RootFolderId(root), id) << root;
    }
}

TEST(BrowseForFolder, DefaultsAndShellVersion) {
    TBrowseForFolderDialog dialog;
    EXPECT_EQ(dialog.Options, (TOptionsDir{odStatusAvailable, odNewDialogStyle}));
    EXPECT_EQ(dialog.Position, fpDefault);
    EXPECT_EQ(dialog.RootDirectory, fdRootFolder);
    EXPECT_TRUE(dialog.Directory.empty());
    EXPECT_GE(ShellVersion(), 0x40000u);
}

TEST(BrowseForFolder, AnOldShellIsRefused) {
    const DWORD real = ShellVersion();
    SetShellVersionOverride(0x30051);
    EXPECT_EQ(ShellVersion(), 0x30051u);
    TBrowseForFolderDialog dialog;
    try {
        dialog.Execute();
        ADD_FAILURE() << "no exception";
    } catch (const EBrowseFolderError& e) {
        EXPECT_STREQ(e.what(), "Shell not compatible with BrowseForFolder");
    }
    SetShellVersionOverride(0);
    EXPECT_EQ(ShellVersion(), real);
}

// What the helper thread saw of the open dialog; read on the test thread after Execute returned.
struct Observed {
    bool found = false;
    std::wstring selectedText;
    std::wstring statusText;
    RECT rect{};
    RECT client{};
    bool okEnabled = true;
};

std::wstring ControlText(HWND control) {
    wchar_t buffer[1024] = {};
    SendMessageW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

std::wstring SelectedTreeText(HWND dialog) {
    for (HWND child : guidriver::ChildWindows(dialog)) {
        if (guidriver::ClassName(child) != WC_TREEVIEWW) {
            continue;
        }
        auto item = reinterpret_cast<HTREEITEM>(SendMessageW(child, TVM_GETNEXTITEM, TVGN_CARET, 0));
        wchar_t buffer[MAX_PATH] = {};
        TVITEMW tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = buffer;
        tv.cchTextMax = MAX_PATH;
        if (item != nullptr && SendMessageW(child, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) {
            return buffer;
        }
    }
    return {};
}

// Runs the dialog; a helper thread waits for OnInitialized, observes the dialog until settled(seen) holds or a
// deadline passes (the shell opens the tree to the selection step by step), and then acts.
bool ExecuteDriven(
    TBrowseForFolderDialog& dialog, Observed& seen, const std::function<void(HWND)>& act,
    const std::function<bool(const Observed&)>& settled = [](const Observed&) { return true; }) {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<HWND> window{nullptr};
    auto previous = dialog.OnInitialized;
    dialog.OnInitialized = [&](TBrowseForFolderDialog* Sender) {
        if (previous) {
            previous(Sender);
        }
        window = Sender->DialogHandle();
        SetEvent(ready);
    };
    std::thread helper([&] {
        if (WaitForSingleObject(ready, 10000) != WAIT_OBJECT_0) {
            return;
        }
        HWND dlg = window.load();
        const ULONGLONG deadline = GetTickCount64() + 5000;
        while (!IsWindowVisible(dlg) && GetTickCount64() < deadline) {
            Sleep(20); // poll interval
        }
        const ULONGLONG settleDeadline = GetTickCount64() + 3000;
        for (;;) {
            // A posted round trip: the dialog has handled everything queued before this.
            PostMessageW(dlg, WM_NULL, 0, 0);
            SendMessageW(dlg, WM_NULL, 0, 0);
            seen.found = IsWindowVisible(dlg) != FALSE;
            seen.selectedText = SelectedTreeText(dlg);
            seen.statusText = ControlText(GetDlgItem(dlg, 14147));
            GetWindowRect(dlg, &seen.rect);
            GetClientRect(dlg, &seen.client);
            seen.okEnabled = IsWindowEnabled(GetDlgItem(dlg, IDOK)) != FALSE;
            if (settled(seen) || GetTickCount64() >= settleDeadline) {
                break;
            }
            Sleep(50); // poll interval
        }
        act(dlg);
    });
    bool result = dialog.Execute();
    helper.join();
    CloseHandle(ready);
    return result;
}

// A fresh folder on the scratch drive T:, removed afterwards. The shell's tree is opened down to the selection;
// a short, quiet path keeps that walk away from folders that other programs change meanwhile.
class ScratchFolder {
public:
    ScratchFolder() {
        static int counter = 0;
        path_ = L"T:\\bff-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::filesystem::path operator/(const std::wstring& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

TEST(BrowseForFolder, OpensOnTheInitialFolderAndReturnsTheChosenOne) {
    ScratchFolder dir;
    const std::filesystem::path longParent =
        dir / L"a folder name far too long to fit into the status line of the folder dialog at all";
    const std::filesystem::path first = longParent / L"First";
    const std::filesystem::path second = dir / L"Second";
    std::filesystem::create_directories(first);
    std::filesystem::create_directories(second);

    // Wine's dialog now and then fails to open its tree to a path it was asked to select (about one run in eight,
    // also without this component). Such a run is cancelled and the dialog opened again; a component that never
    // selected the folder fails every attempt.
    std::unique_ptr<TBrowseForFolderDialog> dialogOwner;
    Observed seen;
    std::vector<std::wstring> changes;
    int initialized = 0;
    bool result = false;
    bool driven = false;
    POINT cursor{};
    const std::wstring target = second.wstring();
    for (int attempt = 0; attempt < kAttempts && !driven; ++attempt) {
        dialogOwner = std::make_unique<TBrowseForFolderDialog>();
        TBrowseForFolderDialog& dialog = *dialogOwner;
        dialog.Directory = first.wstring();
        dialog.Position = fpCustom;
        ASSERT_TRUE(SetCursorPos(120 + attempt, 90));
        GetCursorPos(&cursor);
        initialized = 0;
        changes.clear();
        seen = Observed{};
        dialog.OnInitialized = [&](TBrowseForFolderDialog*) { ++initialized; };
        dialog.OnChange = [&](TBrowseForFolderDialog*, const std::wstring& folder) { changes.push_back(folder); };
        result = ExecuteDriven(
            dialog, seen,
            [&](HWND dlg) {
                if (seen.selectedText != L"First") {
                    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
                    return;
                }
                // Choose the other folder as a user would.
                SendMessageW(dlg, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(target.c_str()));
                PostMessageW(dlg, WM_NULL, 0, 0);
                SendMessageW(dlg, WM_NULL, 0, 0);
                driven = SelectedTreeText(dlg) == L"Second";
                PostMessageW(dlg, WM_COMMAND, driven ? IDOK : IDCANCEL, 0);
            },
            [](const Observed& o) { return o.selectedText == L"First" && o.statusText.ends_with(L"\\First"); });
    }
    ASSERT_TRUE(driven) << "the dialog never showed the initial folder selected; last seen: " << seen.selectedText;
    TBrowseForFolderDialog& dialog = *dialogOwner;

    ASSERT_TRUE(seen.found) << "the dialog never showed";
    EXPECT_EQ(initialized, 1);
    EXPECT_EQ(seen.selectedText, L"First");
    ASSERT_FALSE(changes.empty());
    EXPECT_TRUE(SamePath(changes.front(), first.wstring())) << changes.front();
    EXPECT_EQ(seen.rect.left, cursor.x);
    EXPECT_EQ(seen.rect.top, cursor.y);
    // The status line shows the path with an ellipsis in its middle, keeping the drive and the last folder.
    EXPECT_NE(seen.statusText.find(L"..."), std::wstring::npos) << seen.statusText;
    EXPECT_LT(seen.statusText.size(), first.wstring().size());
    EXPECT_TRUE(SamePath(seen.statusText.substr(0, 3), first.wstring().substr(0, 3))) << seen.statusText;
    EXPECT_TRUE(seen.statusText.ends_with(L"\\First")) << seen.statusText;

    EXPECT_TRUE(result);
    EXPECT_TRUE(SamePath(dialog.Directory, target)) << dialog.Directory;
    // The shell's display name: the folder's name, or under some shells its whole path.
    EXPECT_TRUE(dialog.DisplayName.ends_with(L"Second")) << dialog.DisplayName;
    EXPECT_TRUE(SamePath(changes.back(), target));
    EXPECT_EQ(dialog.DialogHandle(), nullptr);
}

TEST(BrowseForFolder, CancelReturnsFalseAndRefusedSelectionsKeepOkDisabled) {
    ScratchFolder dir;
    const std::filesystem::path folder = dir / L"Folder";
    std::filesystem::create_directories(folder);

    TBrowseForFolderDialog dialog;
    dialog.Directory = folder.wstring();
    dialog.StatusText = L"Choose the output folder";
    // The old dialog style: placed at once from the callback rather than on showing.
    dialog.Options = {odStatusAvailable};
    dialog.Position = fpTopRight;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    std::vector<std::wstring> offered;
    dialog.OnAcceptChange = [&](TBrowseForFolderDialog*, const std::wstring& folderText, bool& accept) {
        offered.push_back(folderText);
        accept = false;
    };
    Observed seen;
    bool result = true;
    // Wine's dialog now and then does not open its tree to the requested folder (see above); retried likewise.
    for (int attempt = 0; attempt < kAttempts && (attempt == 0 || offered.empty()); ++attempt) {
        offered.clear();
        seen = Observed{};
        result = ExecuteDriven(
            dialog, seen, [](HWND dlg) { PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0); },
            [](const Observed& o) { return o.selectedText == L"Folder"; });
    }

    ASSERT_TRUE(seen.found) << "the dialog never showed";
    EXPECT_FALSE(result);
    EXPECT_FALSE(seen.okEnabled);
    // The top right corner: reckoned from the client size the frame would stand past the edge; the dialog is kept
    // on the work area, flush with its right edge.
    EXPECT_EQ(seen.rect.right, work.right);
    EXPECT_EQ(seen.rect.top, work.top);
    EXPECT_EQ(seen.statusText, L"Choose the output folder");
    EXPECT_FALSE(offered.empty());
    EXPECT_EQ(dialog.Directory, folder.wstring()) << "Cancel leaves Directory as it was";
}

TEST(BrowseForFolder, AnItemWithoutPathGivesFalse) {
    TBrowseForFolderDialog dialog;
    dialog.RootDirectory = fdMyComputer;
    dialog.DisplayName = L"stale";
    Observed seen;
    // The root, the computer itself, is selected first; it has no file-system path.
    bool result = ExecuteDriven(dialog, seen, [](HWND dlg) { PostMessageW(dlg, WM_COMMAND, IDOK, 0); });
    ASSERT_TRUE(seen.found);
    EXPECT_FALSE(result);
    EXPECT_TRUE(dialog.Directory.empty());
    EXPECT_NE(dialog.DisplayName, L"stale") << "DisplayName is set from the dialog even without a path";
}

} // namespace

// The routines against the real shell on scratch folders: a file's and a folder's menu is built, chosen commands
// and named verbs reach the clipboard, name lists keep only the items of their folder, and failures run nothing.
#include "components/ShellDialogs.h"
#include "ctxmenu/ChooseCommand.h"
#include "support/TestEnv.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using ctxmenu_test::CommandWithVerb;
using ctxmenu_test::ScopedTracker;

namespace {

std::vector<std::wstring> Lower(std::vector<std::wstring> names) {
    for (auto& n : names) {
        CharLowerBuffW(n.data(), static_cast<DWORD>(n.size()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The file names the clipboard offers as CF_HDROP, lower-cased and sorted; empty when it offers none.
std::vector<std::wstring> ClipboardFiles() {
    std::vector<std::wstring> files;
    IDataObject* data = nullptr;
    if (FAILED(OleGetClipboard(&data))) {
        return files;
    }
    FORMATETC format{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (SUCCEEDED(data->GetData(&format, &medium))) {
        auto drop = static_cast<HDROP>(GlobalLock(medium.hGlobal));
        const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            wchar_t name[MAX_PATH * 2] = {};
            DragQueryFileW(drop, i, name, MAX_PATH * 2);
            files.emplace_back(name);
        }
        GlobalUnlock(medium.hGlobal);
        ReleaseStgMedium(&medium);
    }
    data->Release();
    return Lower(files);
}

void ClearClipboard() {
    OleSetClipboard(nullptr);
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

// What the tracker saw of a real menu; it then chooses Verb (empty: dismiss).
struct Seen {
    int calls = 0;
    int items = 0;
    bool hasCopy = false;
};

TContextMenuTracker Choose(std::wstring verb, Seen& seen) {
    return [verb, &seen](HMENU menu, HWND, POINT, IContextMenu* commands) -> UINT {
        ++seen.calls;
        seen.items = GetMenuItemCount(menu);
        seen.hasCopy = CommandWithVerb(menu, commands, L"copy") != 0;
        return verb.empty() ? 0 : CommandWithVerb(menu, commands, verb);
    };
}

class ShellDialogs : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The shell's clipboard commands go through the OLE clipboard.
        OleInitialize(nullptr);
    }
    void SetUp() override {
        ClearClipboard();
        fs::create_directory(dir.path() / L"sub");
        for (const auto* name : {L"a.txt", L"b.txt", L"sub\\c.txt"}) {
            testenv::WriteFileBytes(dir / name, "x");
        }
    }
    void TearDown() override { ClearClipboard(); }
    std::wstring PathOf(const std::wstring& name) const { return (dir / name).wstring(); }
    std::vector<std::wstring> Expect(std::vector<std::wstring> names) const {
        for (auto& n : names) {
            n = PathOf(n);
        }
        return Lower(names);
    }

    testenv::TempDir dir{L"ctxmenu"};
};

} // namespace

TEST_F(ShellDialogs, FileMenuIsBuiltAndCopyPutsTheFileOnTheClipboard) {
    Seen seen;
    ScopedTracker tracker(Choose(L"copy", seen));
    std::wstring verb;
    ShellDisplayContextMenu(nullptr, POINT{5, 5}, PathOf(L"a.txt"), true, verb);
    ASSERT_EQ(seen.calls, 1);
    EXPECT_GT(seen.items, 0);
    EXPECT_TRUE(seen.hasCopy);
    EXPECT_EQ(verb, L"copy");
    EXPECT_EQ(ClipboardFiles(), Expect({L"a.txt"}));
    EXPECT_TRUE(fs::exists(dir / L"a.txt"));
}

TEST_F(ShellDialogs, CutIsRunByTheShellAndReported) {
    Seen seen;
    ScopedTracker tracker(Choose(L"cut", seen));
    std::wstring verb;
    ShellDisplayContextMenu(nullptr, POINT{5, 5}, PathOf(L"b.txt"), true, verb);
    EXPECT_EQ(verb, L"cut");
    EXPECT_EQ(ClipboardFiles(), Expect({L"b.txt"}));
    // A cut only marks the file: it stays until pasted.
    EXPECT_TRUE(fs::exists(dir / L"b.txt"));
}

TEST_F(ShellDialogs, FolderMenuIsBuiltAndDismissingLeavesTheVerbEmpty) {
    Seen seen;
    ScopedTracker tracker(Choose(L"", seen));
    std::wstring verb = L"stale";
    ShellDisplayContextMenu(nullptr, POINT{5, 5}, PathOf(L"sub"), true, verb);
    ASSERT_EQ(seen.calls, 1);
    EXPECT_GT(seen.items, 0);
    EXPECT_TRUE(verb.empty());
    EXPECT_TRUE(ClipboardFiles().empty());
}

TEST_F(ShellDialogs, NamedVerbOnOnePath) {
    EXPECT_TRUE(ShellExecuteContextVerb(nullptr, L"copy", PathOf(L"sub\\c.txt")));
    EXPECT_EQ(ClipboardFiles(), Expect({L"sub\\c.txt"}));
    EXPECT_TRUE(ShellExecuteContextVerb(nullptr, L"copy", PathOf(L"sub")));
    EXPECT_EQ(ClipboardFiles(), Expect({L"sub"}));
}

TEST_F(ShellDialogs, ListMenuShowsTheItemsThatExist) {
    Seen seen;
    ScopedTracker tracker(Choose(L"copy", seen));
    std::wstring verb;
    ShellDisplayContextMenuList(nullptr, POINT{5, 5}, dir.path().wstring(), {L"a.txt", L"gone.txt", L"b.txt"}, verb);
    ASSERT_EQ(seen.calls, 1);
    EXPECT_GT(seen.items, 0);
    EXPECT_EQ(verb, L"copy");
    EXPECT_EQ(ClipboardFiles(), Expect({L"a.txt", L"b.txt"}));
}

struct ListCase {
    const char* name;
    std::vector<std::wstring> names;
    bool result;
    std::vector<std::wstring> copied;
};

class ShellDialogsList : public ShellDialogs, public ::testing::WithParamInterface<ListCase> {};

// Only items directly in the named folder take part; a name reaching into another folder is left out like a name
// that no longer exists.
TEST_P(ShellDialogsList, NamedVerbOnTheItemsOfOneFolder) {
    const ListCase& c = GetParam();
    EXPECT_EQ(ShellExecuteContextVerbList(nullptr, L"copy", dir.path().wstring(), c.names), c.result);
    EXPECT_EQ(ClipboardFiles(), Expect(c.copied));

    Seen seen;
    ScopedTracker tracker(Choose(L"", seen));
    std::wstring verb;
    ShellDisplayContextMenuList(nullptr, POINT{5, 5}, dir.path().wstring(), c.names, verb);
    EXPECT_EQ(seen.calls, c.result ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, ShellDialogsList,
                         ::testing::Values(ListCase{"Both", {L"a.txt", L"b.txt"}, true, {L"a.txt", L"b.txt"}},
                                           ListCase{"SomeGone", {L"gone.txt", L"b.txt"}, true, {L"b.txt"}},
                                           ListCase{"AllGone", {L"gone.txt", L"gone2.txt"}, false, {}},
                                           ListCase{"Empty", {}, false, {}},
                                           ListCase{"OtherFolderLeftOut", {L"a.txt", L"sub\\c.txt"}, true, {L"a.txt"}},
                                           ListCase{"OnlyOtherFolder", {L"sub\\c.txt"}, false, {}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShellDialogs, FailuresRunNothing) {
    Seen seen;
    ScopedTracker tracker(Choose(L"copy", seen));
    std::wstring verb = L"stale";
    ShellDisplayContextMenu(nullptr, POINT{5, 5}, PathOf(L"gone.txt"), true, verb);
    EXPECT_TRUE(verb.empty());
    ShellDisplayContextMenu(nullptr, POINT{5, 5}, L"", true, verb);
    ShellDisplayContextMenuList(nullptr, POINT{5, 5}, PathOf(L"nofolder"), {L"a.txt"}, verb);
    ShellDisplayContextMenuList(nullptr, POINT{5, 5}, L"", {L"a.txt"}, verb);
    EXPECT_EQ(seen.calls, 0);
    EXPECT_TRUE(verb.empty());

    EXPECT_FALSE(ShellExecuteContextVerb(nullptr, L"copy", PathOf(L"gone.txt")));
    EXPECT_FALSE(ShellExecuteContextVerb(nullptr, L"copy", L""));
    EXPECT_FALSE(ShellExecuteContextVerbList(nullptr, L"copy", PathOf(L"nofolder"), {L"a.txt"}));
    EXPECT_FALSE(ShellExecuteContextVerbList(nullptr, L"copy", L"", {L"a.txt"}));
    // A verb no handler knows is refused by the shell.
    EXPECT_FALSE(ShellExecuteContextVerb(nullptr, L"nosuchverb", PathOf(L"a.txt")));
    EXPECT_TRUE(ClipboardFiles().empty());
    EXPECT_TRUE(fs::exists(dir / L"a.txt"));
}

namespace {

// Watches for a visible dialog window of this process, remembers its caption and cancels it: the properties sheet
// is modal, so the call that opened it returns only once it is closed.
class DialogCanceller {
public:
    DialogCanceller() : worker_([this] { Run(); }) {}
    ~DialogCanceller() {
        stop_ = true;
        worker_.join();
    }
    std::wstring Caption() const {
        std::lock_guard lock(mutex_);
        return caption_;
    }

private:
    static BOOL CALLBACK Visit(HWND wnd, LPARAM param) {
        DWORD process = 0;
        GetWindowThreadProcessId(wnd, &process);
        wchar_t cls[64] = {};
        GetClassNameW(wnd, cls, 64);
        if (process == GetCurrentProcessId() && IsWindowVisible(wnd) && lstrcmpW(cls, L"#32770") == 0) {
            *reinterpret_cast<HWND*>(param) = wnd;
            return FALSE;
        }
        return TRUE;
    }
    void Run() {
        const DWORD deadline = GetTickCount() + 20000;
        while (!stop_ && GetTickCount() < deadline) {
            HWND found = nullptr;
            EnumWindows(Visit, reinterpret_cast<LPARAM>(&found));
            if (found != nullptr) {
                wchar_t text[256] = {};
                GetWindowTextW(found, text, 256);
                {
                    std::lock_guard lock(mutex_);
                    caption_ = text;
                }
                PostMessageW(found, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            Sleep(50); // polling for a window another thread shows; bounded by the deadline
        }
    }

    mutable std::mutex mutex_;
    std::wstring caption_;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

} // namespace

TEST_F(ShellDialogs, PropertiesVerbOpensTheSheetOfTheItem) {
    DialogCanceller canceller;
    EXPECT_TRUE(ShellExecuteContextVerb(nullptr, L"properties", PathOf(L"a.txt")));
    EXPECT_NE(canceller.Caption().find(L"a.txt"), std::wstring::npos) << "caption: " << canceller.Caption();
    EXPECT_TRUE(fs::exists(dir / L"a.txt"));
}

// The directory list view's worker threads under Wine: icons fetched in the background, folder sizes summed by
// the scanners, and stopping or destroying the view while they run.
#include "components/DirViewThreads.h"

#include "gui/Application.h"
#include "gui/Form.h"
#include "support/GuiDriver.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class TThreadsForm : public gui::TForm {
public:
    TThreadsForm() : gui::TForm(L"TDirViewThreadsTestForm", L"ThreadsForm") {
        SetCaption(L"Worker threads");
        SetClientSize(620, 320);
    }
};

void MakeFile(const fs::path& file, std::int64_t size) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = size;
    // Beyond a few bytes the file is only extended, so a multi-gigabyte file costs no disk space.
    EXPECT_TRUE(SetFilePointerEx(h, end, nullptr, FILE_BEGIN));
    EXPECT_TRUE(SetEndOfFile(h));
    CloseHandle(h);
}

std::wstring WindowsDir() {
    wchar_t buffer[MAX_PATH];
    UINT length = GetWindowsDirectoryW(buffer, MAX_PATH);
    return std::wstring(buffer, length);
}

class DirViewThreadsTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        form = std::make_unique<TThreadsForm>();
        form->Show();
    }
    static void TearDownTestSuite() { form.reset(); }

    void SetUp() override {
        view = std::make_unique<TDirView>(form.get(), L"DirView1", 0, 0, 620, 320);
        view->OnFileSizeChanged = [this](gui::TComponent*, int) { ++sizeChanges; };
        folder = std::make_unique<testenv::TempDir>(L"dvt");
    }
    void TearDown() override {
        view.reset();
        folder.reset();
    }

    int IndexOf(const std::wstring& caption) const {
        for (int i = 0; i < view->ItemCount(); ++i)
            if (view->ItemCaption(i) == caption)
                return i;
        return -1;
    }
    bool WaitForScanners() {
        return guidriver::PumpUntil([this] { return view->ScannerCount() == 0; }, 20000);
    }

    static std::unique_ptr<TThreadsForm> form;
    std::unique_ptr<TDirView> view;
    std::unique_ptr<testenv::TempDir> folder;
    int sizeChanges = 0;
};

std::unique_ptr<TThreadsForm> DirViewThreadsTest::form;

// --- the worker base ------------------------------------------------------------------------------------------

// A worker that reports once, then stays busy until the test lets it go, then tries to report again.
class TStubbornWorker : public TDirViewWorker {
public:
    explicit TStubbornWorker(HANDLE release) : TDirViewWorker(nullptr), release_(release) {}
    std::atomic<int> earlyCalls{0};
    std::atomic<int> lateCalls{0};
    std::atomic<DWORD> callThread{0};

protected:
    void Execute() override {
        Synchronize([this] {
            callThread = GetCurrentThreadId();
            ++earlyCalls;
        });
        WaitForSingleObject(release_, INFINITE);
        Synchronize([this] { ++lateCalls; });
    }

private:
    HANDLE release_;
};

TEST(DirViewWorkerTest, CallsRunOnTheCreatingThreadAndStopOnceTerminated) {
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(release, nullptr);
    auto worker = std::make_shared<TStubbornWorker>(release);
    worker->Start(THREAD_PRIORITY_NORMAL);
    ASSERT_TRUE(guidriver::PumpUntil([&] { return worker->earlyCalls == 1; }, 10000));
    EXPECT_EQ(worker->callThread.load(), GetCurrentThreadId());

    worker->Terminate();
    // Busy beyond the wait: the caller gets a time-out instead of hanging.
    EXPECT_FALSE(worker->WaitFor(50));
    EXPECT_FALSE(worker->Finished());
    SetEvent(release);
    EXPECT_TRUE(worker->WaitFor(10000));
    EXPECT_TRUE(worker->Finished());
    EXPECT_EQ(worker->lateCalls, 0);
    CloseHandle(release);
}

// --- icon thread ---------------------------------------------------------------------------------------------

TEST_F(DirViewThreadsTest, IconsFetchedInTheBackgroundReachTheItemsAndTheList) {
    const std::vector<std::wstring> names = {L"a.txt", L"b.ps", L"c.html", L"d.bat"};
    for (const auto& name : names)
        MakeFile(folder->path() / name, 10);
    view->UseIconUpdateThread = true;
    view->SetPath(folder->path().wstring());
    ASSERT_EQ(view->ItemCount(), 5); // with ".."
    EXPECT_TRUE(view->HasIconUpdateThread());

    // Drawing the items asks the thread for their icons.
    InvalidateRect(view->Handle(), nullptr, TRUE);
    auto allFetched = [&] {
        for (const auto& name : names)
            if (const TFileRec* rec = view->ItemRec(IndexOf(name)); !rec || rec->IconEmpty)
                return false;
        return true;
    };
    ASSERT_TRUE(guidriver::PumpUntil(allFetched, 15000));

    for (const auto& name : names) {
        SCOPED_TRACE(name);
        int item = IndexOf(name);
        std::wstring file = (folder->path() / name).wstring();
        SHFILEINFOW info{};
        ASSERT_NE(SHGetFileInfoW(file.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                                 SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES),
                  0u);
        EXPECT_EQ(view->ItemRec(item)->ImageIndex, info.iIcon);
        // The list asks again and gets the fetched icon.
        LVITEMW lv{};
        lv.mask = LVIF_IMAGE;
        lv.iItem = item;
        ASSERT_TRUE(SendMessageW(view->Handle(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&lv)));
        EXPECT_EQ(lv.iImage, info.iIcon);
    }
}

TEST_F(DirViewThreadsTest, ScrolledDownTheThreadFetchesTheRowsNowVisible) {
    for (int i = 0; i < 80; ++i)
        MakeFile(folder->path() / (L"f" + std::to_wstring(100 + i) + L".txt"), 1);
    view->UseIconUpdateThread = true;
    view->SetPath(folder->path().wstring());
    int last = IndexOf(L"f179.txt");
    ASSERT_EQ(last, view->ItemCount() - 1);
    int rows = ListView_GetCountPerPage(view->Handle());
    ASSERT_LT(rows, last);
    ListView_EnsureVisible(view->Handle(), last, FALSE);
    InvalidateRect(view->Handle(), nullptr, TRUE);
    ASSERT_TRUE(guidriver::PumpUntil([&] { return !view->ItemRec(last)->IconEmpty; }, 15000));
    // Only what was shown was fetched: the rows between the first page and the last one still wait.
    int middle = (rows + ListView_GetTopIndex(view->Handle())) / 2;
    ASSERT_GT(middle, rows);
    ASSERT_LT(middle, ListView_GetTopIndex(view->Handle()));
    EXPECT_TRUE(view->ItemRec(middle)->IconEmpty);
}

TEST_F(DirViewThreadsTest, LoadingAnotherFolderStopsTheIconThreadFirst) {
    MakeFile(folder->path() / L"one.txt", 1);
    testenv::TempDir second(L"dvt2");
    MakeFile(second.path() / L"two.txt", 2);
    view->UseIconUpdateThread = true;
    view->SetPath(folder->path().wstring());
    ASSERT_TRUE(view->HasIconUpdateThread());
    view->SetPath(second.path().wstring());
    // A fresh thread for the new folder; the old one was joined before the list was cleared.
    EXPECT_TRUE(view->HasIconUpdateThread());
    EXPECT_FALSE(view->IconThreadDone());
    InvalidateRect(view->Handle(), nullptr, TRUE);
    ASSERT_TRUE(guidriver::PumpUntil(
        [&] {
            const TFileRec* rec = view->ItemRec(IndexOf(L"two.txt"));
            return rec && !rec->IconEmpty;
        },
        15000));
}

// --- sub-directory scanners ------------------------------------------------------------------------------------

TEST_F(DirViewThreadsTest, ScannersSumSubFolderSizesIn64Bits) {
    const std::int64_t huge = 5LL * 1024 * 1024 * 1024 + 7; // beyond 32 bits
    fs::create_directories(folder->path() / L"full" / L"nested");
    MakeFile(folder->path() / L"full" / L"a.bin", 1000);
    MakeFile(folder->path() / L"full" / L"nested" / L"b.bin", 2000);
    MakeFile(folder->path() / L"full" / L"nested" / L"huge.bin", huge);
    fs::create_directories(folder->path() / L"emptyfiles");
    MakeFile(folder->path() / L"emptyfiles" / L"zero.bin", 0);
    MakeFile(folder->path() / L"top.bin", 300);

    view->SetShowSubDirSize(true);
    view->SetPath(folder->path().wstring());
    ASSERT_TRUE(WaitForScanners());

    int full = IndexOf(L"full");
    int empty = IndexOf(L"emptyfiles");
    ASSERT_GE(full, 0);
    ASSERT_GE(empty, 0);
    EXPECT_EQ(view->ItemRec(full)->Size, 3000 + huge);
    EXPECT_EQ(view->ItemRec(empty)->Size, 0);
    EXPECT_EQ(view->FilesSize(), 300 + 3000 + huge);
    EXPECT_EQ(sizeChanges, 2);
    EXPECT_EQ(view->CellText(empty, 1), L"0");
    EXPECT_FALSE(view->CellText(full, 1).empty());

    // A second scan replaces the totals instead of adding them again.
    view->SetShowSubDirSize(false);
    view->SetShowSubDirSize(true);
    ASSERT_TRUE(WaitForScanners());
    EXPECT_EQ(sizeChanges, 4);
    EXPECT_EQ(view->ItemRec(full)->Size, 3000 + huge);
    EXPECT_EQ(view->FilesSize(), 300 + 3000 + huge);
}

TEST_F(DirViewThreadsTest, SortedBySizeTheListResortsWhenTheLastScannerEnds) {
    fs::create_directories(folder->path() / L"a_big");
    fs::create_directories(folder->path() / L"b_small");
    MakeFile(folder->path() / L"a_big" / L"x.bin", 50000);
    MakeFile(folder->path() / L"b_small" / L"y.bin", 10);
    view->SetSortColumn(1);
    view->SetSortAscending(true);
    view->SetShowSubDirSize(true);
    view->SetPath(folder->path().wstring());
    ASSERT_TRUE(WaitForScanners());
    ASSERT_EQ(sizeChanges, 2);
    EXPECT_LT(IndexOf(L"b_small"), IndexOf(L"a_big"));
    EXPECT_EQ(IndexOf(L".."), 0);
}

TEST_F(DirViewThreadsTest, ScannerForTheSelectedFolderWhenSizesAreNotShown) {
    fs::create_directories(folder->path() / L"picked");
    fs::create_directories(folder->path() / L"other");
    MakeFile(folder->path() / L"picked" / L"p.bin", 77);
    MakeFile(folder->path() / L"other" / L"o.bin", 88);
    view->SetPath(folder->path().wstring());
    int picked = IndexOf(L"picked");
    ASSERT_GE(picked, 0);
    view->SetItemSelected(picked, true);
    view->StartSubDirScanners();
    ASSERT_TRUE(WaitForScanners());
    EXPECT_EQ(view->ItemRec(picked)->Size, 77);
    EXPECT_EQ(view->ItemRec(IndexOf(L"other"))->Size, -1);
    EXPECT_EQ(sizeChanges, 1);
}

TEST_F(DirViewThreadsTest, StoppingWhileScannersRunIsPromptAndNothingArrivesAfterwards) {
    // The prefix's Windows folder is a tree large enough to be still scanning when the stop comes.
    view->SetShowSubDirSize(true);
    view->SetPath(WindowsDir());
    ASSERT_GT(view->ScannerCount(), 0);
    ULONGLONG before = GetTickCount64();
    view->SetShowSubDirSize(false);
    ULONGLONG took = GetTickCount64() - before;
    EXPECT_EQ(view->ScannerCount(), 0);
    EXPECT_LT(took, 1500u);
    // The stop came mid-scan: some folders have no total and keep none.
    int unknown = 0;
    for (int i = 0; i < view->ItemCount(); ++i)
        if (const TFileRec* rec = view->ItemRec(i); rec && rec->IsDirectory && !rec->IsParentDir && rec->Size < 0)
            ++unknown;
    EXPECT_GT(unknown, 0);
    int changesAtStop = sizeChanges;
    gui::Application.ProcessMessages();
    EXPECT_EQ(sizeChanges, changesAtStop);
}

TEST_F(DirViewThreadsTest, DestroyingTheViewWithThreadsRunningIsSafe) {
    view->UseIconUpdateThread = true;
    view->SetShowSubDirSize(true);
    view->SetPath(WindowsDir() + L"\\system32");
    ASSERT_TRUE(view->HasIconUpdateThread());
    ASSERT_GT(view->ScannerCount(), 0);
    InvalidateRect(view->Handle(), nullptr, TRUE);
    UpdateWindow(view->Handle()); // sets the icon thread going
    ULONGLONG before = GetTickCount64();
    view.reset();
    EXPECT_LT(GetTickCount64() - before, 2500u);
    int changesAtDestruction = sizeChanges;
    gui::Application.ProcessMessages();
    EXPECT_EQ(sizeChanges, changesAtDestruction);

    // The window's thread goes on working with a new view.
    view = std::make_unique<TDirView>(form.get(), L"DirView2", 0, 0, 620, 320);
    MakeFile(folder->path() / L"after.txt", 5);
    view->UseIconUpdateThread = true;
    view->SetPath(folder->path().wstring());
    InvalidateRect(view->Handle(), nullptr, TRUE);
    ASSERT_TRUE(guidriver::PumpUntil(
        [&] {
            const TFileRec* rec = view->ItemRec(IndexOf(L"after.txt"));
            return rec && !rec->IconEmpty;
        },
        15000));
}

} // namespace

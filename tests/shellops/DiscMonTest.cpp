// The change watcher: reports on the user-interface thread, pausing, re-aiming, and ending promptly without late
// reports, also while a report is on its way.
#include "components/DiscMon.h"
#include "support/TestEnv.h"
#include "shellops/Pump.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using shellops_test::PumpFor;
using shellops_test::PumpUntil;

namespace {

struct Recorder {
    int changes = 0;
    int invalids = 0;
    DWORD changeThread = 0;
    TDiscMonitor* sender = nullptr;

    void Attach(TDiscMonitor& monitor) {
        monitor.OnChange = [this](TDiscMonitor* s) {
            ++changes;
            changeThread = GetCurrentThreadId();
            sender = s;
        };
        monitor.OnInvalid = [this](TDiscMonitor*) { ++invalids; };
    }
    void Reset() { changes = invalids = 0; }
};

void Touch(const fs::path& file) {
    testenv::WriteFileBytes(file, "x");
}

// The worker opens its handle in its own time after Start: make changes until one is reported, then let the
// stragglers arrive and start counting afresh.
::testing::AssertionResult WaitUntilWatching(Recorder& r, const fs::path& folder, bool folders = false) {
    static int probe = 0;
    bool seen = PumpUntil(
        [&] {
            if (r.changes > 0) {
                return true;
            }
            auto name = folder / (L"probe " + std::to_wstring(++probe));
            if (folders) {
                fs::create_directory(name);
            } else {
                Touch(name);
            }
            PumpFor(100ms);
            return r.changes > 0;
        },
        10s);
    PumpFor(300ms);
    r.Reset();
    return seen ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "no change reported";
}

std::unique_ptr<TDiscMonitor> NewMonitor(const fs::path& folder, Recorder& r, int delay = 20) {
    auto monitor = std::make_unique<TDiscMonitor>();
    monitor->SetDirectory(folder.wstring());
    monitor->SetSubTree(false);
    monitor->SetChangeDelay(delay);
    r.Attach(*monitor);
    return monitor;
}

} // namespace

TEST(DiscMonitorState, StartsInactiveWithTheDefaults) {
    TDiscMonitor m;
    EXPECT_FALSE(m.Active());
    EXPECT_EQ(m.ChangeDelay(), 500);
    EXPECT_EQ(m.Filters(), TMonitorFilters{moFilename});
    EXPECT_TRUE(m.SubTree());
    EXPECT_TRUE(m.Directory().empty());
    EXPECT_FALSE(m.ShowDesignMsg);
}

TEST(DiscMonitorState, FiltersMapToTheNotificationFlags) {
    const struct {
        TMonitorFilters filters;
        DWORD flags;
    } cases[] = {
        {{moFilename}, 0x1},
        {{moDirName}, 0x2},
        {{moAttributes}, 0x4},
        {{moSize}, 0x8},
        {{moLastWrite}, 0x10},
        {{moSecurity}, 0x100},
        {{moFilename, moDirName, moAttributes, moSize, moLastWrite}, 0x1F},
        {{}, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MonitorFilterFlags(c.filters), c.flags);
    }
}

TEST(DiscMonitorState, AnEmptyFilterSetIsRefusedWithAMessage) {
    TDiscMonitor m;
    m.SetFilters({moDirName, moSize});
    const DWORD uiThread = GetCurrentThreadId();
    std::wstring shown;
    // Somebody has to answer the message box: find it on this thread, read it, close it.
    std::thread answerer([&] {
        auto end = std::chrono::steady_clock::now() + 10s;
        HWND box = nullptr;
        while (std::chrono::steady_clock::now() < end) {
            EnumThreadWindows(
                uiThread,
                [](HWND w, LPARAM found) {
                    wchar_t cls[16] = {};
                    GetClassNameW(w, cls, 16);
                    if (std::wstring(cls) == L"#32770") {
                        *reinterpret_cast<HWND*>(found) = w;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&box));
            if (box != nullptr) {
                // The box exists before its text is set: read until there is one.
                EnumChildWindows(
                    box,
                    [](HWND w, LPARAM text) {
                        wchar_t cls[16] = {}, buffer[128] = {};
                        GetClassNameW(w, cls, 16);
                        GetWindowTextW(w, buffer, 128);
                        if (_wcsicmp(cls, L"Static") == 0 && buffer[0] != 0) {
                            *reinterpret_cast<std::wstring*>(text) = buffer;
                        }
                        return TRUE;
                    },
                    reinterpret_cast<LPARAM>(&shown));
                if (!shown.empty()) {
                    PostMessageW(box, WM_COMMAND, IDOK, 0);
                    return;
                }
            }
            std::this_thread::yield();
        }
        if (box != nullptr) {
            PostMessageW(box, WM_COMMAND, IDOK, 0); // wrong or no text: still let the test go on
        }
    });
    m.SetFilters({});
    answerer.join();
    EXPECT_EQ(shown, L"Some filter condition must be set.");
    EXPECT_EQ(m.Filters(), (TMonitorFilters{moDirName, moSize}));
}

TEST(DiscMonitorReports, ANewFileIsReportedOnceOnTheUserInterfaceThread) {
    testenv::TempDir dir(L"mon");
    Recorder r;
    auto m = NewMonitor(dir.path(), r);
    m->Start();
    ASSERT_TRUE(WaitUntilWatching(r, dir.path()));
    Touch(dir / L"neue Datei ä.txt");
    ASSERT_TRUE(PumpUntil([&] { return r.changes > 0; }));
    EXPECT_EQ(r.changeThread, GetCurrentThreadId());
    EXPECT_EQ(r.sender, m.get());
    PumpFor(400ms);
    EXPECT_EQ(r.changes, 1);
    EXPECT_EQ(r.invalids, 0);
}

TEST(DiscMonitorReports, FiltersDecideWhatCounts) {
    testenv::TempDir dir(L"mon");
    Recorder files, folders;
    auto fileMonitor = NewMonitor(dir.path(), files);
    auto folderMonitor = NewMonitor(dir.path(), folders);
    folderMonitor->SetFilters({moDirName});
    fileMonitor->Start();
    folderMonitor->Start();
    ASSERT_TRUE(WaitUntilWatching(folders, dir.path(), true));
    ASSERT_TRUE(WaitUntilWatching(files, dir.path()));
    folders.Reset();
    Touch(dir / L"datei.txt");
    ASSERT_TRUE(PumpUntil([&] { return files.changes > 0; }));
    PumpFor(300ms);
    EXPECT_EQ(folders.changes, 0);
    fs::create_directory(dir / L"neuer Ordner");
    EXPECT_TRUE(PumpUntil([&] { return folders.changes > 0; }));
}

TEST(DiscMonitorReports, AMissingDirectoryIsReportedInvalidOnce) {
    testenv::TempDir dir(L"mon");
    Recorder r;
    auto m = NewMonitor(dir / L"gibt es nicht", r);
    m->Start();
    ASSERT_TRUE(PumpUntil([&] { return r.invalids > 0; }));
    PumpFor(300ms);
    EXPECT_EQ(r.invalids, 1);
    EXPECT_EQ(r.changes, 0);
}

// The drive tree's set-up: folders only, with the subtree.
TEST(DiscMonitorReports, ASubtreeWatchReportsNewFolders) {
    testenv::TempDir dir(L"mon");
    Recorder r;
    auto m = NewMonitor(dir.path(), r);
    m->SetSubTree(true);
    m->SetFilters({moDirName});
    m->Start();
    ASSERT_TRUE(WaitUntilWatching(r, dir.path(), true));
    fs::create_directory(dir / L"neuer Ördner");
    ASSERT_TRUE(PumpUntil([&] { return r.changes > 0; }));
    EXPECT_EQ(r.changeThread, GetCurrentThreadId());
    Touch(dir / L"nur eine Datei.txt");
    PumpFor(300ms);
    EXPECT_EQ(r.changes, 1);
}

// Wine signals no change below the watched folder itself, whatever the subtree flag says; Windows does.
TEST(DiscMonitorReports, NestedChangesCountOnlyWithTheSubtree) {
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr) {
        GTEST_SKIP() << "Wine reports no changes in nested folders";
    }
    for (bool subTree : {true, false}) {
        SCOPED_TRACE(subTree ? "SubTree" : "no SubTree");
        testenv::TempDir dir(L"mon");
        fs::create_directories(dir / L"unter Ordner");
        Recorder r;
        auto m = NewMonitor(dir.path(), r);
        m->SetSubTree(subTree);
        m->Start();
        ASSERT_TRUE(WaitUntilWatching(r, dir.path()));
        Touch(dir / L"unter Ordner" / L"tief.txt");
        if (subTree) {
            EXPECT_TRUE(PumpUntil([&] { return r.changes > 0; }, 5s));
        } else {
            PumpFor(400ms);
            EXPECT_EQ(r.changes, 0);
        }
    }
}

TEST(DiscMonitorActivity, StoppedMonitorReportsNothingAndResumes) {
    testenv::TempDir dir(L"mon");
    Recorder r;
    auto m = NewMonitor(dir.path(), r);
    m->Start();
    ASSERT_TRUE(WaitUntilWatching(r, dir.path()));

    m->Stop();
    EXPECT_FALSE(m->Active());
    Touch(dir / L"während der Pause.txt");
    PumpFor(400ms);
    EXPECT_EQ(r.changes, 0);

    // A change made during the pause is not reported after it.
    m->Start();
    PumpFor(400ms);
    EXPECT_EQ(r.changes, 0);
    EXPECT_TRUE(WaitUntilWatching(r, dir.path()));
}

TEST(DiscMonitorActivity, ReaimingMovesTheWatch) {
    testenv::TempDir a(L"mon"), b(L"mon");
    Recorder r;
    auto m = NewMonitor(a.path(), r);
    m->Start();
    ASSERT_TRUE(WaitUntilWatching(r, a.path()));
    m->SetDirectory(b.path().wstring());
    Touch(a / L"alt.txt");
    ASSERT_TRUE(WaitUntilWatching(r, b.path()));
    Touch(a / L"alt 2.txt");
    PumpFor(300ms);
    EXPECT_EQ(r.changes, 0);

    // Re-aimed while stopped: takes effect at the next start.
    m->Stop();
    m->SetDirectory(a.path().wstring());
    m->Start();
    ASSERT_TRUE(WaitUntilWatching(r, a.path()));
    Touch(b / L"b.txt");
    PumpFor(300ms);
    EXPECT_EQ(r.changes, 0);
}

TEST(DiscMonitorEnd, DestroyedPromptlyWhileWaitingOutTheDelay) {
    testenv::TempDir dir(L"mon");
    Recorder r;
    auto m = NewMonitor(dir.path(), r);
    m->Start();
    ASSERT_TRUE(WaitUntilWatching(r, dir.path()));
    m->SetChangeDelay(60000);
    Touch(dir / L"spät.txt");
    PumpFor(200ms);
    auto start = std::chrono::steady_clock::now();
    m.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    PumpFor(200ms);
    EXPECT_EQ(r.changes, 0);
}

TEST(DiscMonitorEnd, DestroyedWhileAReportIsWaitingForTheUserInterfaceThread) {
    testenv::TempDir dir(L"mon");
    Recorder r;
    auto m = NewMonitor(dir.path(), r, 0);
    m->Start();
    ASSERT_TRUE(WaitUntilWatching(r, dir.path()));
    Touch(dir / L"unterwegs.txt");
    // Not pumping: the worker's report stays pending as a sent message to this thread.
    auto end = std::chrono::steady_clock::now() + 10s;
    while (!(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) && std::chrono::steady_clock::now() < end) {
        std::this_thread::yield();
    }
    ASSERT_TRUE(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) << "no report pending";
    auto start = std::chrono::steady_clock::now();
    m.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    PumpFor(200ms);
    EXPECT_EQ(r.changes, 0);
}

TEST(DiscMonitorEnd, AHandlerMayDestroyItsOwnMonitor) {
    testenv::TempDir dir(L"mon");
    Recorder r;
    auto m = NewMonitor(dir.path(), r);
    m->Start();
    ASSERT_TRUE(WaitUntilWatching(r, dir.path()));
    int seen = 0;
    m->OnChange = [&](TDiscMonitor*) {
        ++seen;
        m.reset();
    };
    Touch(dir / L"letzte.txt");
    ASSERT_TRUE(PumpUntil([&] { return m == nullptr; }));
    Touch(dir / L"danach.txt");
    PumpFor(200ms);
    EXPECT_EQ(seen, 1);
}

// The shared child-process runner and RunAndWait, driven through the stand-in's test switches: exit codes, a
// child that writes more than a pipe holds, start failures, and the exact command line the child receives.
#include "GsBridgeSupport.h"
#include "support/HostProcesses.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace gsbridge_test;

TEST(ProcessRunner, ReportsTheChildsExitCode) {
    for (unsigned long code : {0ul, 1ul, 3ul, 200ul, 255ul}) {
        SCOPED_TRACE(code);
        testenv::TempDir dir(L"pr");
        ScopedEnvironment forced(L"OSTREL_GS_EXIT", std::to_wstring(code));
        auto output = dir / L"never.pdf";

        auto result = RunGuarded(std::wstring(kGhostscript) + L" -sDEVICE=pdfwrite -sOutputFile=" + Quoted(output) +
                                 L" " + Quoted(dir / L"in.ps"));

        ASSERT_TRUE(result.run.started);
        EXPECT_FALSE(result.run.pipeFailed);
        EXPECT_EQ(result.run.exitCode, code);
        EXPECT_FALSE(fs::exists(output)) << "the forced exit runs no conversion";
    }
}

TEST(ProcessRunner, DrainsAChattyChild) {
    const unsigned long megabyte = 1024 * 1024;
    ScopedEnvironment chatter(L"OSTREL_GS_CHATTER", std::to_wstring(megabyte));
    ScopedEnvironment forced(L"OSTREL_GS_EXIT", L"4");

    auto collected = RunGuarded(std::wstring(kGhostscript) + L" -q", true);
    ASSERT_TRUE(collected.run.started);
    EXPECT_EQ(collected.run.exitCode, 4u);
    EXPECT_EQ(collected.output.size(), megabyte);
    EXPECT_EQ(collected.output.rfind("gswin32c bridge chatter:", 0), 0u);

    // Without a listener the output is still read and dropped.
    auto dropped = RunGuarded(std::wstring(kGhostscript) + L" -q", false);
    ASSERT_TRUE(dropped.run.started);
    EXPECT_EQ(dropped.run.exitCode, 4u);
}

TEST(ProcessRunner, ChildReceivesTheExactCommandLine) {
    testenv::TempDir dir(L"pr");
    auto log = dir / L"gs-log.txt";
    ScopedEnvironment logging(L"OSTREL_GS_LOG", log.wstring());
    ScopedEnvironment forced(L"OSTREL_GS_EXIT", L"0");
    const std::wstring lines[] = {
        std::wstring(kGhostscript) + L" -q -dNOPAUSE -sOwnerPassword#a\"b -sOutputFile=\"" +
            (dir / L"Pr\u00fcfung 1.pdf").wstring() + L"\" \"" + (dir / L"Pr\u00fcfung 1.ps").wstring() + L"\"",
        std::wstring(kGhostscript) + L"  -dBATCH   two  blanks \"\" \u20ac",
    };

    for (const auto& line : lines) {
        auto result = RunGuarded(line);
        ASSERT_TRUE(result.run.started);
        EXPECT_EQ(result.run.exitCode, 0u);
    }

    EXPECT_EQ(testenv::ReadFileBytes(log), Utf8(lines[0]) + "\r\n" + Utf8(lines[1]) + "\r\n");
}

TEST(ProcessRunner, MissingProgramIsNotStarted) {
    testenv::TempDir dir(L"pr");
    auto result = RunGuarded(Quoted(dir / L"no such program.exe") + L" -q");
    EXPECT_FALSE(result.run.started);
    EXPECT_FALSE(result.run.pipeFailed);
    EXPECT_NE(result.run.startError, 0u);
    EXPECT_TRUE(result.output.empty());
}

TEST(ProcessRunner, RunAndWaitReturnsExitCodeOrMinusOne) {
    testenv::TempDir dir(L"pr");
    auto log = dir / L"gs-log.txt";
    ScopedEnvironment logging(L"OSTREL_GS_LOG", log.wstring());
    ScopedEnvironment forced(L"OSTREL_GS_EXIT", L"7");
    // Well over 255 characters: the whole line must arrive, not a cut one.
    std::wstring line =
        std::wstring(kGhostscript) + L" -dSAFER -dBATCH -r96 \"" + (dir / std::wstring(300, L'x')).wstring() + L"\"";
    ASSERT_GT(line.size(), 255u);

    EXPECT_EQ(RunAndWait(line, 1 /* SW_SHOWNORMAL */), 7);
    EXPECT_EQ(testenv::ReadFileBytes(log), Utf8(line) + "\r\n");

    EXPECT_EQ(RunAndWait(Quoted(dir / L"no such program.exe"), 1), -1);
}

// A child that never ends by itself (a job that loops forever): while it runs, the caller's messages keep running;
// when the caller gives up, the child ends, and with it the host program it started.
TEST(ProcessRunner, PumpsWhileTheChildRunsAndEndsItWhenAbandoned) {
    testenv::TempDir dir(L"pr");
    const fs::path job = dir / L"endless-job.ps";
    testenv::WriteFileBytes(job, "%!PS\n{ 1 pop } loop\n");
    const std::string token = "endless-job.ps";

    // A thread timer: its messages arrive only while the caller's thread waits in a pump.
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, nullptr);
    ASSERT_NE(timer, 0u);
    int pumps = 0;
    bool seenRunning = false;
    ChildWait wait;
    wait.pumpMessages = [&] {
        ++pumps;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
    };
    const DWORD started = GetTickCount();
    wait.abandon = [&] {
        seenRunning = seenRunning || !testenv::HostProcessesWith(token).empty();
        // Given up once the host program was seen running, or after a minute at most.
        return seenRunning || GetTickCount() - started > 60000;
    };

    const ChildRun run = RunHiddenPiped(
        std::wstring(kGhostscript) + L" -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage " + Quoted(job), {}, wait);
    KillTimer(nullptr, timer);

    EXPECT_TRUE(run.started);
    EXPECT_TRUE(run.abandoned);
    EXPECT_TRUE(seenRunning) << "the host program never showed";
    EXPECT_GT(pumps, 0);
    // The host program goes with the stand-in (at once, but the host may take a moment to reap it).
    std::vector<int> left;
    for (int i = 0; i < 100; ++i) {
        left = testenv::HostProcessesWith(token);
        if (left.empty()) {
            break;
        }
        Sleep(100);
    }
    EXPECT_TRUE(left.empty()) << "the looping host program outlived its caller";
}

// Calls handed from workers to the user-interface thread, and the trace line of a swallowed exception.
#include "GuiTestSupport.h"
#include "win/Trace.h"
#include "win/UiThreadCall.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace gui;

namespace {

// Waits without processing any message, so only a worker that is not blocked on this thread can satisfy it.
bool WaitWithoutMessages(const std::atomic<bool>& flag, DWORD timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!flag.load()) {
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(1);
    }
    return true;
}

} // namespace

TEST(UiThreadCalls, PostedCallsRunOnTheBoundThreadInPostingOrder) {
    win::TUiThreadCalls calls;
    ASSERT_TRUE(calls.Bound());
    const DWORD uiThread = GetCurrentThreadId();
    std::vector<int> order;
    std::vector<DWORD> threads;
    std::thread worker([&] {
        for (int i = 0; i < 20; ++i)
            calls.PostToUi([&, i] {
                order.push_back(i);
                threads.push_back(GetCurrentThreadId());
            });
    });
    worker.join();
    EXPECT_TRUE(order.empty()) << "posted calls wait for the message loop";
    ASSERT_TRUE(PumpUntil([&] { return order.size() == 20; }));
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(order[i], i);
        EXPECT_EQ(threads[i], uiThread);
    }
}

TEST(UiThreadCalls, BlockingCallReturnsTheValueComputedOnTheBoundThread) {
    win::TUiThreadCalls calls;
    const DWORD uiThread = GetCurrentThreadId();
    int uiValue = 41;
    std::optional<DWORD> callThread;
    std::optional<int> value;
    bool voidRan = false;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        callThread = calls.CallOnUi([] { return GetCurrentThreadId(); });
        value = calls.CallOnUi([&] { return ++uiValue; });
        voidRan = calls.CallOnUi([] {});
        done = true;
    });
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(callThread, std::optional<DWORD>(uiThread));
    EXPECT_EQ(value, std::optional<int>(42));
    EXPECT_TRUE(voidRan);
}

// Whatever an owner's worker still hands over once the owner has gone never runs.
TEST(UiThreadCalls, CallsOfAnOwnerThatIsGoneDoNotRun) {
    enum class When { PostedThenRevoked, BlockingAfterRevoke, OwnerDestroyedInsideItsCall };
    struct Case {
        const char* name;
        When when;
    };
    const Case cases[] = {
        {"a posted call still queued when the owner goes", When::PostedThenRevoked},
        {"a blocking call made after the owner went", When::BlockingAfterRevoke},
        {"the owner destroyed from inside its own blocking call", When::OwnerDestroyedInsideItsCall},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto owner = std::make_unique<win::TUiThreadCalls>();
        win::TUiThreadCalls* calls = owner.get();
        std::atomic<bool> ranLate{false};
        std::atomic<bool> workerDone{false};
        std::optional<int> result = 0;
        bool releasedWhileRunning = false;
        std::thread worker;
        switch (c.when) {
        case When::PostedThenRevoked:
            worker = std::thread([&] { calls->PostToUi([&] { ranLate = true; }); });
            worker.join();
            owner.reset();
            Pump();
            break;
        case When::BlockingAfterRevoke:
            calls->Revoke();
            worker = std::thread([&] {
                result = calls->CallOnUi([&] {
                    ranLate = true;
                    return 1;
                });
                workerDone = true;
            });
            ASSERT_TRUE(PumpUntil([&] { return workerDone.load(); }));
            worker.join();
            EXPECT_EQ(result, std::nullopt);
            break;
        case When::OwnerDestroyedInsideItsCall:
            worker = std::thread([&] {
                result = calls->CallOnUi([&] {
                    owner.reset();
                    // The worker must be free before this call ends, or a joining owner would wait for ever.
                    releasedWhileRunning = WaitWithoutMessages(workerDone, 5000);
                    return 1;
                });
                workerDone = true;
            });
            ASSERT_TRUE(PumpUntil([&] { return workerDone.load() && !owner; }));
            worker.join();
            EXPECT_TRUE(releasedWhileRunning);
            EXPECT_EQ(result, std::nullopt);
            break;
        }
        EXPECT_FALSE(ranLate.load());
    }
}

TEST(TraceCaught, TheLineNamesThePlaceAndTheExceptionText) {
    struct Case {
        const char* name;
        std::function<void()> raise;
        std::wstring expected;
    };
    const Case cases[] = {
        {"a UTF-8 text",
         [] {
             throw std::runtime_error("Pfad C:\\Gr\xC3\xBC\xC3\x9F"
                                      "e fehlt");
         },
         L"Ostrel: exception caught in unit test: Pfad C:\\Gr\u00fc\u00dfe fehlt"},
        {"an empty text", [] { throw std::runtime_error(""); }, L"Ostrel: exception caught in unit test"},
        {"no exception class", [] { throw 7; }, L"Ostrel: exception caught in unit test"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring line;
        try {
            c.raise();
        } catch (...) {
            line = win::CaughtExceptionText(L"unit test");
        }
        EXPECT_EQ(line, c.expected);
    }
}

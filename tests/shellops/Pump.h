#pragma once
// Message pumping for the tests: reports of the change watcher arrive as messages sent to the test's own thread.
#include <windows.h>

#include <chrono>

namespace shellops_test {

// Processes messages until `done()` holds or `limit` has passed; returns whether it holds.
template <typename Predicate>
bool PumpUntil(Predicate done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        auto now = std::chrono::steady_clock::now();
        if (now >= end) {
            return false;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left < 20 ? left : 20), QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return true;
}

// Keeps serving messages for a while, to see that nothing (more) arrives.
inline void PumpFor(std::chrono::milliseconds span) {
    PumpUntil([] { return false; }, span);
}

} // namespace shellops_test

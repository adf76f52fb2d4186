#pragma once
// TFileDeleteThread: watches files or folders in the background until all of them have disappeared or a time-out
// passes, and reports the paths that vanished to its owner on the user-interface thread. The views start one after
// a drag-and-drop move that the drop target carries out, to drop the moved items from their display once the
// target has finished.
//
// The worker hands each batch to the user-interface thread by a synchronous SendMessage to a hidden message-only
// window, so the callback runs on the thread that created the watcher while the worker waits; that thread must
// process messages for reports to arrive.
//
// The watcher never frees itself: its owner keeps it (for instance in a std::unique_ptr) and may drop it once
// Finished() is true, or at any time before. Destruction stops the worker and joins it; batches still under way
// are dropped, so a callback never reaches an owner that is going away. Destroying the watcher from inside its own
// callback is allowed.
#include "components/ComponentErrors.h"
#include "win/Handles.h"
#include "win/UiThreadCall.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Raised when the watcher cannot get the system resources it needs (its event, window or thread).
class EFileDeleteThreadError : public EComponentError {
public:
    using EComponentError::EComponentError;
};

class TFileDeleteThread;

// The vanished paths are valid during the call only; the list is cleared afterwards.
using TFileDeleteCallback =
    std::function<void(TFileDeleteThread* Sender, const std::vector<std::wstring>& VanishedPaths)>;

class TFileDeleteThread {
public:
    // Milliseconds between two passes over the paths.
    static constexpr DWORD PollInterval = 500;

    // Copies Paths and starts watching at once; the watch ends TimeoutSeconds from now at the latest.
    TFileDeleteThread(const std::vector<std::wstring>& Paths, TFileDeleteCallback Callback,
                      std::int32_t TimeoutSeconds);
    ~TFileDeleteThread();
    TFileDeleteThread(const TFileDeleteThread&) = delete;
    TFileDeleteThread& operator=(const TFileDeleteThread&) = delete;

    // Asks the worker to stop after its current pass; no later batch is reported.
    void Terminate() noexcept;
    // True once the worker has ended (all paths gone, time-out, or told to stop).
    bool Finished() const noexcept;

private:
    static DWORD WINAPI Entry(void* self) noexcept;
    void Execute();
    // One pass over the paths still present; moves the missing ones to vanished_.
    void CheckPaths();
    void Deliver() noexcept;
    void Join() noexcept;

    // Worker-side data: the user-interface thread reads vanished_ only while the worker waits in SendMessage.
    std::vector<std::wstring> present_;
    std::vector<std::wstring> vanished_;
    std::uint64_t endTime_ = 0;

    TFileDeleteCallback callback_;
    win::UniqueHandle stopEvent_;
    win::UniqueHandle thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> finished_{false};
    // Revoked by the destructor, also from inside the callback, which releases a worker waiting for it.
    win::TUiThreadCalls uiCalls_;
};

#include "components/FileChanges.h"

#include "win/Handles.h"
#include "win/Trace.h"

#include <utility>

namespace {

constexpr std::uint64_t kTicksPerSecond = 10'000'000;

std::uint64_t SystemTimeNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

bool PathPresent(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    return static_cast<bool>(win::UniqueFind(FindFirstFileW(path.c_str(), &data)));
}

} // namespace

TFileDeleteThread::TFileDeleteThread(const std::vector<std::wstring>& Paths, TFileDeleteCallback Callback,
                                     std::int32_t TimeoutSeconds)
    : present_(Paths), callback_(std::move(Callback)) {
    std::int64_t timeout = TimeoutSeconds > 0 ? TimeoutSeconds : 0;
    endTime_ = SystemTimeNow() + static_cast<std::uint64_t>(timeout) * kTicksPerSecond;

    if (!uiCalls_.Bound()) {
        throw EFileDeleteThreadError("TFileDeleteThread: cannot create its window");
    }
    stopEvent_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stopEvent_) {
        throw EFileDeleteThreadError("TFileDeleteThread: cannot create an event");
    }
    thread_.reset(CreateThread(nullptr, 0, &TFileDeleteThread::Entry, this, 0, nullptr));
    if (!thread_) {
        throw EFileDeleteThreadError("TFileDeleteThread: cannot start the watcher thread");
    }
}

TFileDeleteThread::~TFileDeleteThread() {
    Terminate();
    // Destroyed by its own callback, the worker is blocked in the call that runs it: revoking releases it, or it
    // could never reach its end while we wait for it.
    uiCalls_.Revoke();
    Join();
}

void TFileDeleteThread::Terminate() noexcept {
    stopping_.store(true);
    SetEvent(stopEvent_.get());
}

bool TFileDeleteThread::Finished() const noexcept {
    return finished_.load();
}

// Waits for the worker. Batches it is trying to hand over meanwhile are taken and dropped (stopping_ is set), so a
// worker blocked in SendMessage can finish.
void TFileDeleteThread::Join() noexcept {
    HANDLE thread = thread_.get();
    for (;;) {
        // Take pending batches first: a wait only wakes for input that arrived after the last look.
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        DWORD r = MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0) {
            return;
        }
        if (r != WAIT_OBJECT_0 + 1) {
            WaitForSingleObject(thread, INFINITE);
            return;
        }
    }
}

DWORD WINAPI TFileDeleteThread::Entry(void* self) noexcept {
    auto* watcher = static_cast<TFileDeleteThread*>(self);
    try {
        watcher->Execute();
    } catch (...) {
        // Nothing may unwind out of a thread entry; a watcher that failed simply ends.
        win::TraceCaught(L"file delete watcher thread");
    }
    watcher->finished_.store(true);
    return 0;
}

void TFileDeleteThread::Execute() {
    for (;;) {
        if (WaitForSingleObject(stopEvent_.get(), PollInterval) != WAIT_TIMEOUT || stopping_.load()) {
            return;
        }
        CheckPaths();
        if (!vanished_.empty() && callback_) {
            // The synchronised call: the user-interface thread runs the callback while this thread waits.
            uiCalls_.CallOnUi([this] {
                if (!stopping_.load()) {
                    Deliver();
                }
            });
        }
        vanished_.clear();
        if (stopping_.load() || present_.empty() || SystemTimeNow() >= endTime_) {
            return;
        }
    }
}

void TFileDeleteThread::CheckPaths() {
    for (std::size_t i = 0; i < present_.size();) {
        if (PathPresent(present_[i])) {
            ++i;
        } else {
            vanished_.push_back(std::move(present_[i]));
            present_.erase(present_.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

void TFileDeleteThread::Deliver() noexcept {
    // Copies, because a callback that destroys the watcher releases the worker, which then clears its own list.
    try {
        std::vector<std::wstring> batch = vanished_;
        TFileDeleteCallback callback = callback_;
        try {
            callback(this, batch);
        } catch (...) {
            // The callback belongs to the owner; its failure must not cross the window procedure.
            win::TraceCaught(L"file delete watcher callback");
        }
    } catch (...) {
        // Out of memory for the copies: the batch is lost, the watch goes on.
        win::TraceCaught(L"file delete watcher batch");
    }
}

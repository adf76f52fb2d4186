#include "components/FileChanges.h"

#include "win/Handles.h"

#include <utility>

namespace {

constexpr UINT kBatchMessage = WM_USER + 1;
constexpr wchar_t kWindowClass[] = L"OstrelFileDeleteThreadWindow";
constexpr std::uint64_t kTicksPerSecond = 10'000'000;

std::uint64_t SystemTimeNow() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

bool PathPresent(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    return static_cast<bool>(gui::UniqueFind(FindFirstFileW(path.c_str(), &data)));
}

} // namespace

TFileDeleteThread::TFileDeleteThread(const std::vector<std::wstring>& Paths, TFileDeleteCallback Callback,
                                     std::int32_t TimeoutSeconds)
    : present_(Paths), callback_(std::move(Callback)) {
    std::int64_t timeout = TimeoutSeconds > 0 ? TimeoutSeconds : 0;
    endTime_ = SystemTimeNow() + static_cast<std::uint64_t>(timeout) * kTicksPerSecond;

    static const ATOM windowClass = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &TFileDeleteThread::WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kWindowClass;
        return RegisterClassExW(&wc);
    }();
    if (windowClass == 0) {
        throw EFileDeleteThreadError("TFileDeleteThread: cannot register its window class");
    }
    stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (stopEvent_ == nullptr) {
        throw EFileDeleteThreadError("TFileDeleteThread: cannot create an event");
    }
    window_ =
        CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (window_ == nullptr) {
        CloseHandle(stopEvent_);
        throw EFileDeleteThreadError("TFileDeleteThread: cannot create its window");
    }
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    thread_ = CreateThread(nullptr, 0, &TFileDeleteThread::Entry, this, 0, nullptr);
    if (thread_ == nullptr) {
        DestroyWindow(window_);
        CloseHandle(stopEvent_);
        throw EFileDeleteThreadError("TFileDeleteThread: cannot start the watcher thread");
    }
}

TFileDeleteThread::~TFileDeleteThread() {
    Terminate();
    if (destroyedDuringDispatch_ != nullptr) {
        // Destroyed by its own callback: the worker is blocked in the SendMessage that runs it. Release it now, or
        // it could never reach its end while we wait for it.
        *destroyedDuringDispatch_ = true;
        ReplyMessage(0);
    }
    Join();
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
    CloseHandle(thread_);
    CloseHandle(stopEvent_);
}

void TFileDeleteThread::Terminate() noexcept {
    stopping_.store(true);
    SetEvent(stopEvent_);
}

bool TFileDeleteThread::Finished() const noexcept {
    return finished_.load();
}

// Waits for the worker. Batches it is trying to hand over meanwhile are taken and dropped (stopping_ is set), so a
// worker blocked in SendMessage can finish.
void TFileDeleteThread::Join() noexcept {
    for (;;) {
        // Take pending batches first: a wait only wakes for input that arrived after the last look.
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        DWORD r = MsgWaitForMultipleObjectsEx(1, &thread_, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0) {
            return;
        }
        if (r != WAIT_OBJECT_0 + 1) {
            WaitForSingleObject(thread_, INFINITE);
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
    }
    watcher->finished_.store(true);
    return 0;
}

void TFileDeleteThread::Execute() {
    for (;;) {
        if (WaitForSingleObject(stopEvent_, PollInterval) != WAIT_TIMEOUT || stopping_.load()) {
            return;
        }
        CheckPaths();
        if (!vanished_.empty() && callback_) {
            // The synchronised call: the user-interface thread runs the callback while this thread waits.
            SendMessageW(window_, kBatchMessage, 0, 0);
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
    // A copy, because a callback that destroys the watcher releases the worker, which then clears its own list.
    try {
        std::vector<std::wstring> batch = vanished_;
        TFileDeleteCallback callback = callback_;
        bool destroyed = false;
        destroyedDuringDispatch_ = &destroyed;
        try {
            callback(this, batch);
        } catch (...) {
            // The callback belongs to the owner; its failure must not cross the window procedure.
        }
        if (!destroyed) {
            destroyedDuringDispatch_ = nullptr;
        }
    } catch (...) {
        // Out of memory for the copies: the batch is lost, the watch goes on.
    }
}

LRESULT CALLBACK TFileDeleteThread::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kBatchMessage) {
        auto* watcher = reinterpret_cast<TFileDeleteThread*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (watcher != nullptr && !watcher->stopping_.load()) {
            watcher->Deliver();
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

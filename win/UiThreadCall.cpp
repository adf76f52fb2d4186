#include "win/UiThreadCall.h"

#include "win/Trace.h"

#include <atomic>
#include <deque>
#include <mutex>

namespace win {

namespace {

constexpr UINT kSentCall = WM_APP + 0x140;
constexpr UINT kPostedCalls = WM_APP + 0x141;
constexpr wchar_t kWindowClass[] = L"OstrelUiThreadCalls";

struct TThreadWindow;

} // namespace

struct TUiThreadCalls::TOwner {
    std::shared_ptr<TThreadWindow> thread;
    DWORD boundThread = GetCurrentThreadId();
    std::atomic<bool> revoked{false};
    // Bound thread only: while one of this owner's blocking calls runs, where to note that its worker was released.
    bool* releasedDuringCall = nullptr;
};

namespace {

using TOwner = TUiThreadCalls::TOwner;

struct TPostedCall {
    std::shared_ptr<TOwner> owner;
    std::function<void()> call;
};

struct TSentCall {
    std::shared_ptr<TOwner> owner;
    std::function<void()> call;
};

// One per thread. Owners share it, so a worker that outlives the thread finds it closed instead of gone.
struct TThreadWindow {
    HWND window = nullptr;
    std::mutex lock;
    std::deque<TPostedCall> posted; // under lock
    bool closed = false;            // under lock
    bool wakePosted = false;        // under lock

    // Discards what is still queued; the calls' captures are destroyed outside the lock.
    void Close() {
        std::deque<TPostedCall> dropped;
        {
            std::lock_guard guard(lock);
            closed = true;
            dropped.swap(posted);
        }
    }

    void RunPosted() {
        {
            std::lock_guard guard(lock);
            wakePosted = false;
        }
        // One at a time, so that a call that runs a message loop of its own lets the later ones run in it, in order.
        for (;;) {
            TPostedCall next;
            {
                std::lock_guard guard(lock);
                if (posted.empty())
                    return;
                next = std::move(posted.front());
                posted.pop_front();
            }
            if (next.owner->revoked.load())
                continue;
            try {
                next.call();
            } catch (...) {
                TraceCaught(L"posted user-interface call");
            }
        }
    }
};

LRESULT RunSent(const std::shared_ptr<TSentCall>& record) {
    TOwner& owner = *record->owner;
    if (owner.revoked.load())
        return 0;
    bool released = false;
    bool* outer = std::exchange(owner.releasedDuringCall, &released);
    try {
        record->call();
    } catch (...) {
        TraceCaught(L"blocking user-interface call");
    }
    owner.releasedDuringCall = outer;
    return released ? 0 : 1;
}

LRESULT CALLBACK CallWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kSentCall:
        // The record is shared before anything runs: a released worker drops its own reference at once.
        return RunSent(std::shared_ptr<TSentCall>(*reinterpret_cast<const std::shared_ptr<TSentCall>*>(lParam)));
    case kPostedCalls:
        if (auto* thread = reinterpret_cast<TThreadWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
            thread->RunPosted();
        return 0;
    case WM_NCDESTROY:
        if (auto* thread = reinterpret_cast<TThreadWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA))) {
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            thread->Close();
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Destroys the thread's window when the thread ends; calls still queued go with it.
struct TThreadWindowHolder {
    std::shared_ptr<TThreadWindow> thread;
    ~TThreadWindowHolder();
};

// Plain data outlives the holder: objects destroyed after it at the thread's end (static ones, on the main thread)
// must not make a window again.
thread_local bool threadEnding = false;

TThreadWindowHolder::~TThreadWindowHolder() {
    threadEnding = true;
    if (!thread)
        return;
    if (thread->window && IsWindow(thread->window))
        DestroyWindow(thread->window);
    thread->Close();
}

std::shared_ptr<TThreadWindow> ThisThreadWindow() {
    if (threadEnding)
        return nullptr;
    thread_local TThreadWindowHolder holder;
    if (holder.thread && holder.thread->window && IsWindow(holder.thread->window))
        return holder.thread;
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = CallWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kWindowClass;
        return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    if (!registered)
        return nullptr;
    HWND window =
        CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return nullptr;
    auto thread = std::make_shared<TThreadWindow>();
    thread->window = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(thread.get()));
    if (holder.thread)
        holder.thread->Close();
    holder.thread = thread;
    return thread;
}

} // namespace

HWND UiThreadWindow() {
    std::shared_ptr<TThreadWindow> thread = ThisThreadWindow();
    return thread ? thread->window : nullptr;
}

TUiThreadCalls::TUiThreadCalls() : owner_(std::make_shared<TOwner>()) {
    owner_->thread = ThisThreadWindow();
}

TUiThreadCalls::~TUiThreadCalls() {
    Revoke();
}

bool TUiThreadCalls::Bound() const noexcept {
    return owner_->thread != nullptr;
}

void TUiThreadCalls::PostToUi(std::function<void()> Call) {
    if (!owner_->thread || owner_->revoked.load())
        return;
    TThreadWindow& thread = *owner_->thread;
    std::lock_guard guard(thread.lock);
    if (thread.closed)
        return;
    thread.posted.push_back({owner_, std::move(Call)});
    if (!thread.wakePosted)
        thread.wakePosted = PostMessageW(thread.window, kPostedCalls, 0, 0) != FALSE;
}

bool TUiThreadCalls::Send(std::function<void()> Call) {
    if (!owner_->thread || owner_->revoked.load())
        return false;
    auto record = std::make_shared<TSentCall>(TSentCall{owner_, std::move(Call)});
    return SendMessageW(owner_->thread->window, kSentCall, 0, reinterpret_cast<LPARAM>(&record)) == 1;
}

void TUiThreadCalls::Revoke() noexcept {
    owner_->revoked.store(true);
    if (!owner_->thread)
        return;
    // Only the bound thread runs the calls; a worker that drops its owner's last reference itself has none running.
    bool* released = GetCurrentThreadId() == owner_->boundThread ? owner_->releasedDuringCall : nullptr;
    if (released) {
        // Revoked from inside its own blocking call: the worker waits in SendMessage for this very call and could
        // not end while the owner joins it.
        *released = true;
        owner_->releasedDuringCall = nullptr;
        ReplyMessage(0);
    }
    std::lock_guard guard(owner_->thread->lock);
    std::erase_if(owner_->thread->posted, [this](const TPostedCall& posted) { return posted.owner == owner_; });
}

bool TUiThreadCalls::Revoked() const noexcept {
    return owner_->revoked.load();
}

} // namespace win

#pragma once
// Calls that worker threads hand to the user-interface thread.
//
// Every thread that binds a TUiThreadCalls gets one message-only window, made on first use and destroyed when the
// thread ends, that runs the calls while the thread processes messages. A blocking call is a sent message, so it
// also runs while the thread waits for sent messages only (MsgWaitForMultipleObjects with QS_SENDMESSAGE), as an
// owner does while it joins its worker; posted calls wait for the thread's message loop.
//
// An owner keeps a TUiThreadCalls and revokes it on the user-interface thread before it goes away. From then on no
// call of that owner starts, and calls still queued are discarded. When the owner is destroyed from inside one of
// its own blocking calls, the worker waiting for that call is released at once, so that the owner can join it.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

namespace win {

// The calling thread's message-only window for handed-over calls (and the timers of that thread); made on first
// use, nullptr when the system refuses it.
HWND UiThreadWindow();

class TUiThreadCalls {
public:
    // Binds to the calling thread, which runs the calls.
    TUiThreadCalls();
    // Revokes.
    ~TUiThreadCalls();
    TUiThreadCalls(const TUiThreadCalls&) = delete;
    TUiThreadCalls& operator=(const TUiThreadCalls&) = delete;

    // False when the thread's window could not be made: no call would ever run.
    bool Bound() const noexcept;

    // Any thread: queues Call to run on the bound thread after the calls posted before it.
    void PostToUi(std::function<void()> Call);

    // Any thread: runs Call on the bound thread and waits for it (on the bound thread itself it runs at once).
    // Returns whether it ran to its end for this caller: a revoked owner's call does not start, and a worker whose
    // owner goes away during the call is released without a result. With a value-returning Call the result comes
    // as a std::optional, empty in those cases.
    template <class F> auto CallOnUi(F&& Call) {
        using R = std::invoke_result_t<F&>;
        if constexpr (std::is_void_v<R>) {
            return Send(std::function<void()>(std::forward<F>(Call)));
        } else {
            // Shared with the call, which may still write it after a worker was released without waiting.
            auto result = std::make_shared<std::optional<R>>();
            bool ran = Send([result, call = std::forward<F>(Call)]() mutable { result->emplace(call()); });
            return ran ? std::move(*result) : std::optional<R>();
        }
    }

    // Bound thread: no call of this owner starts from now on; queued ones are discarded.
    void Revoke() noexcept;
    bool Revoked() const noexcept;

    struct TOwner;

private:
    bool Send(std::function<void()> Call);

    std::shared_ptr<TOwner> owner_;
};

} // namespace win

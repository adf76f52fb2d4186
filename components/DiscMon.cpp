#include "components/DiscMon.h"

#include "win/Handles.h"
#include "win/Trace.h"

#include <atomic>
#include <mutex>
#include <utility>

namespace {

using win::UniqueHandle;

win::UniqueHandle NewEvent(bool manualReset) {
    win::UniqueHandle event(CreateEventW(nullptr, manualReset, FALSE, nullptr));
    if (!event) {
        throw EDiscMonitorError("TDiscMonitor: cannot create an event");
    }
    return event;
}

// The caption a plain message of the program carries: the program's file name without its extension.
std::wstring ApplicationTitle() {
    wchar_t buffer[MAX_PATH] = {};
    DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring name(buffer, n < MAX_PATH ? n : 0);
    if (auto slash = name.find_last_of(L"\\/:"); slash != std::wstring::npos) {
        name.erase(0, slash + 1);
    }
    if (auto dot = name.rfind(L'.'); dot != std::wstring::npos) {
        name.erase(dot);
    }
    return name;
}

} // namespace

DWORD MonitorFilterFlags(const TMonitorFilters& filters) {
    DWORD flags = 0;
    for (TMonitorFilter filter : filters) {
        switch (filter) {
        case moFilename:
            flags |= FILE_NOTIFY_CHANGE_FILE_NAME;
            break;
        case moDirName:
            flags |= FILE_NOTIFY_CHANGE_DIR_NAME;
            break;
        case moAttributes:
            flags |= FILE_NOTIFY_CHANGE_ATTRIBUTES;
            break;
        case moSize:
            flags |= FILE_NOTIFY_CHANGE_SIZE;
            break;
        case moLastWrite:
            flags |= FILE_NOTIFY_CHANGE_LAST_WRITE;
            break;
        case moSecurity:
            flags |= FILE_NOTIFY_CHANGE_SECURITY;
            break;
        }
    }
    return flags;
}

// The worker. It touches only its own fields; the monitor hands it parameters under the lock and announces them
// through the parameters-changed event (automatic reset). The destroy event is manual reset, so it stays signalled
// for every later wait.
class TDiscMonitorThread {
public:
    struct Parameters {
        std::wstring directory;
        bool subTree = true;
        DWORD flags = FILE_NOTIFY_CHANGE_FILE_NAME;
        bool active = false;
        unsigned generation = 0;
    };

    TDiscMonitorThread(TDiscMonitor& monitor, win::TUiThreadCalls& calls)
        : monitor_(monitor), calls_(calls), destroyEvent_(NewEvent(true)), parametersChanged_(NewEvent(false)) {}

    // Ends the worker and waits for it. While waiting, reports the worker is trying to hand over are taken and
    // dropped (the monitor is going), so a worker blocked in SendMessage can finish.
    ~TDiscMonitorThread() {
        SetEvent(destroyEvent_.get());
        if (!thread_) {
            return;
        }
        HANDLE thread = thread_.get();
        for (;;) {
            // Take pending reports first: a wait only wakes for input that arrived after the last look.
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            DWORD r = MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
            if (r == WAIT_OBJECT_0) {
                break;
            }
            if (r != WAIT_OBJECT_0 + 1) {
                WaitForSingleObject(thread, INFINITE);
                break;
            }
        }
    }

    TDiscMonitorThread(const TDiscMonitorThread&) = delete;
    TDiscMonitorThread& operator=(const TDiscMonitorThread&) = delete;

    void SetParameters(Parameters parameters) {
        {
            std::lock_guard guard(lock_);
            parameters_ = std::move(parameters);
        }
        SetEvent(parametersChanged_.get());
    }

    void EnsureStarted() {
        if (thread_) {
            return;
        }
        thread_.reset(CreateThread(nullptr, 0, &TDiscMonitorThread::Entry, this, 0, nullptr));
        if (!thread_) {
            throw EDiscMonitorError("TDiscMonitor: cannot start the watcher thread");
        }
    }

    std::atomic<int> changeDelay{500};

private:
    enum class Wake { Destroy, ParametersChanged, Notification, TimedOut };

    static DWORD WINAPI Entry(void* self) {
        try {
            static_cast<TDiscMonitorThread*>(self)->Execute();
        } catch (...) {
            // Nothing may unwind out of a thread entry; a worker that failed simply ends.
            win::TraceCaught(L"disc monitor thread");
        }
        return 0;
    }

    Parameters Snapshot() {
        std::lock_guard guard(lock_);
        return parameters_;
    }

    Wake WaitFor(HANDLE notification, DWORD timeout) {
        HANDLE handles[3] = {destroyEvent_.get(), parametersChanged_.get(), notification};
        DWORD count = notification != nullptr ? 3 : 2;
        DWORD r = WaitForMultipleObjects(count, handles, FALSE, timeout);
        switch (r) {
        case WAIT_OBJECT_0 + 1:
            return Wake::ParametersChanged;
        case WAIT_OBJECT_0 + 2:
            return Wake::Notification;
        case WAIT_TIMEOUT:
            return Wake::TimedOut;
        default:
            return Wake::Destroy; // the destroy event, or a wait that failed: either way the worker ends
        }
    }

    // The synchronised call: the user-interface thread runs the handler while this thread waits. Once the monitor
    // is being destroyed the call is not made at all.
    void Report(bool invalid, unsigned generation) {
        if (WaitForSingleObject(destroyEvent_.get(), 0) == WAIT_OBJECT_0) {
            return;
        }
        calls_.CallOnUi([this, invalid, generation] { monitor_.Deliver(invalid, generation); });
    }

    // Waits for the end or for parameters that differ from the ones in use (an announcement may arrive after
    // its parameters were already taken). True: new parameters.
    bool WaitForNewParameters(unsigned generation) {
        for (;;) {
            if (WaitFor(nullptr, INFINITE) == Wake::Destroy) {
                return false;
            }
            if (Snapshot().generation != generation) {
                return true;
            }
        }
    }

    void Execute() {
        for (;;) {
            Parameters p = Snapshot();
            if (!p.active) {
                // Paused: no handle, so changes made meanwhile are not reported after the restart.
                if (!WaitForNewParameters(p.generation)) {
                    return;
                }
                continue;
            }
            win::UniqueChangeNotification notification(
                FindFirstChangeNotificationW(p.directory.c_str(), p.subTree ? TRUE : FALSE, p.flags));
            if (!notification) {
                Report(true, p.generation);
                if (!WaitForNewParameters(p.generation)) {
                    return;
                }
                continue;
            }
            if (!Watch(notification.get(), p.generation)) {
                return;
            }
        }
    }

    // Reports changes until the parameters change (true: open again) or the monitor goes (false).
    bool Watch(HANDLE notification, unsigned generation) {
        for (;;) {
            switch (WaitFor(notification, INFINITE)) {
            case Wake::Destroy:
                return false;
            case Wake::ParametersChanged:
                if (Snapshot().generation != generation) {
                    return true;
                }
                continue;
            default:
                break;
            }
            // Let a burst of changes settle; new parameters or the end cut the wait short and drop the report.
            DWORD delay = static_cast<DWORD>(changeDelay.load() > 0 ? changeDelay.load() : 0);
            switch (WaitFor(nullptr, delay)) {
            case Wake::Destroy:
                return false;
            case Wake::ParametersChanged:
                if (Snapshot().generation != generation) {
                    return true;
                }
                break; // an announcement of what is in use already: the report stands
            default:
                break;
            }
            Report(false, generation);
            if (!FindNextChangeNotification(notification)) {
                Report(true, generation);
                return WaitForNewParameters(generation);
            }
        }
    }

    TDiscMonitor& monitor_;
    win::TUiThreadCalls& calls_;
    win::UniqueHandle destroyEvent_;
    win::UniqueHandle parametersChanged_;
    win::UniqueHandle thread_;
    std::mutex lock_;
    Parameters parameters_;
};

TDiscMonitor::TDiscMonitor() {
    if (!uiCalls_.Bound()) {
        throw EDiscMonitorError("TDiscMonitor: cannot create its window");
    }
    thread_ = std::make_unique<TDiscMonitorThread>(*this, uiCalls_);
    ParametersChanged();
}

TDiscMonitor::~TDiscMonitor() {
    destroying_ = true;
    // Destroyed by its own handler, the worker is blocked in the call that runs this handler: revoking releases
    // it, or it could never reach its end while we wait for it.
    uiCalls_.Revoke();
    thread_.reset();
}

void TDiscMonitor::SetActive(bool value) {
    if (value == active_) {
        return;
    }
    if (value) {
        thread_->EnsureStarted();
    }
    active_ = value;
    ParametersChanged();
}

void TDiscMonitor::SetDirectory(const TDiscMonitorDirStr& value) {
    if (value != directory_) {
        directory_ = value;
        ParametersChanged();
    }
}

void TDiscMonitor::SetSubTree(bool value) {
    if (value != subTree_) {
        subTree_ = value;
        ParametersChanged();
    }
}

void TDiscMonitor::SetFilters(const TMonitorFilters& value) {
    if (value == filters_) {
        return;
    }
    if (value.empty()) {
        MessageBoxW(GetActiveWindow(), L"Some filter condition must be set.", ApplicationTitle().c_str(), MB_OK);
        return;
    }
    filters_ = value;
    ParametersChanged();
}

int TDiscMonitor::ChangeDelay() const {
    return thread_->changeDelay.load();
}

void TDiscMonitor::SetChangeDelay(int value) {
    thread_->changeDelay.store(value);
}

void TDiscMonitor::ParametersChanged() {
    ++generation_;
    thread_->SetParameters({directory_, subTree_, MonitorFilterFlags(filters_), active_, generation_});
}

void TDiscMonitor::Deliver(bool invalid, unsigned generation) noexcept {
    // Reports made before the last stop, re-aim or filter change belong to a watch that no longer exists.
    if (destroying_ || !active_ || generation != generation_) {
        return;
    }
    try {
        // A copy, so that a handler may reassign the event (or destroy the monitor) while it runs.
        TDiscMonitorEvent handler = invalid ? OnInvalid : OnChange;
        if (handler) {
            handler(this);
        }
    } catch (...) {
        // A handler's failure must not unwind through the window procedure; the report is simply done.
        win::TraceCaught(L"disc monitor handler");
    }
}

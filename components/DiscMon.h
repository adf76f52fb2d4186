#pragma once
// TDiscMonitor: watches one directory (optionally with its subtree) through the system's change notifications and
// reports changes on the thread that created it, the user-interface thread.
//
// A worker thread (TDiscMonitorThread) owns the notification handle. It hands each report to the user-interface
// thread by a synchronous SendMessage to the message-only window of that thread; the event handlers therefore
// run on the user-interface thread while the worker waits. The monitor must be created, used and destroyed on that
// one thread, and that thread must process messages for reports to arrive.
//
// Stopping is cooperative: an inactive monitor's worker closes its notification handle and waits for new
// parameters or the end, so it is never frozen while it might hold a lock. Reports that were under way when the
// monitor was stopped, re-aimed or destroyed are dropped. Destruction joins the worker; it is safe also from
// inside the monitor's own OnChange or OnInvalid handler.
#include "components/ComponentErrors.h"
#include "win/UiThreadCall.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <set>
#include <string>

// Raised when the monitor cannot get the system resources it needs (events, its window, its thread).
class EDiscMonitorError : public EComponentError {
public:
    using EComponentError::EComponentError;
};

enum TMonitorFilter { moFilename, moDirName, moAttributes, moSize, moLastWrite, moSecurity };
using TMonitorFilters = std::set<TMonitorFilter>;

using TDiscMonitorDirStr = std::wstring;

// The FILE_NOTIFY_CHANGE_* flags that a filter set stands for.
DWORD MonitorFilterFlags(const TMonitorFilters& filters);

class TDiscMonitor;
class TDiscMonitorThread;

using TDiscMonitorEvent = std::function<void(TDiscMonitor* Sender)>;

class TDiscMonitor {
public:
    TDiscMonitor();
    ~TDiscMonitor();
    TDiscMonitor(const TDiscMonitor&) = delete;
    TDiscMonitor& operator=(const TDiscMonitor&) = delete;

    void Start() { SetActive(true); }
    void Stop() { SetActive(false); }

    bool Active() const { return active_; }
    void SetActive(bool value);

    const TDiscMonitorDirStr& Directory() const { return directory_; }
    void SetDirectory(const TDiscMonitorDirStr& value);

    bool SubTree() const { return subTree_; }
    void SetSubTree(bool value);

    const TMonitorFilters& Filters() const { return filters_; }
    // An empty set is refused with a message box and the old set stays.
    void SetFilters(const TMonitorFilters& value);

    // Milliseconds the worker waits after a notification before reporting it; read at the next notification.
    int ChangeDelay() const;
    void SetChangeDelay(int value);

    // Kept for compatibility with stored settings: a program built in code has no design time, so signals without
    // a handler are always dropped.
    bool ShowDesignMsg = false;

    // Called on the user-interface thread with the monitor as sender.
    TDiscMonitorEvent OnChange;
    TDiscMonitorEvent OnInvalid;

private:
    friend class TDiscMonitorThread;
    void ParametersChanged();
    void Deliver(bool invalid, unsigned generation) noexcept;

    // Revoked by the destructor, also from inside a handler, which releases a worker waiting for it.
    win::TUiThreadCalls uiCalls_;
    std::unique_ptr<TDiscMonitorThread> thread_;
    TDiscMonitorDirStr directory_;
    TMonitorFilters filters_{moFilename};
    bool subTree_ = true;
    bool active_ = false;
    // Bumped on every parameter change; a report carries the value it was made under and is dropped when stale.
    unsigned generation_ = 0;
    bool destroying_ = false;
};

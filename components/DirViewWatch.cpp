// Keeping the directory list view in step with its folder: a change watcher reports that something changed, and
// a timer turns a burst of such reports into one incremental update once the folder has been quiet for
// ChangeInterval milliseconds.
#include "components/DirView.h"

#include "components/DiscMon.h"
#include "gui/ExtCtrls.h"
#include "core/TextUtil.h"

#include <cwctype>

namespace {

wchar_t DriveLetterOf(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':')
        return static_cast<wchar_t>(std::towupper(path[0]));
    return L'\0';
}

} // namespace

void TDirView::SetWatchForChanges(bool Value) {
    if (Value == watchForChanges_)
        return;
    watchForChanges_ = Value;
    if (Value)
        StartWatchThread();
    else
        StopWatchThread();
}

void TDirView::SetChangeInterval(unsigned Value) {
    if (Value == 0)
        return;
    changeInterval_ = Value;
    if (changeTimer_)
        changeTimer_->SetInterval(Value);
}

void TDirView::SetNoCheckDrives(const std::wstring& Value) {
    noCheckDrives_ = UpperCaseAscii(Value);
    // A drive that is excluded now must not stay watched.
    wchar_t letter = DriveLetterOf(path_);
    if (letter && noCheckDrives_.find(letter) != std::wstring::npos)
        StopWatchThread();
}

void TDirView::StartWatchThread() {
    if (path_.empty() || !watchForChanges_ || !dirOK_)
        return;
    wchar_t letter = DriveLetterOf(path_);
    if (letter && noCheckDrives_.find(letter) != std::wstring::npos)
        return;
    if (!discMonitor_) {
        auto monitor = std::make_unique<TDiscMonitor>();
        monitor->SetChangeDelay(10);
        monitor->SetSubTree(false);
        monitor->SetFilters({moFilename, moDirName, moAttributes, moSize, moLastWrite});
        monitor->OnChange = [this](TDiscMonitor*) {
            gui::GuardedVoid("dir view change", [this] { ChangeDetected(); });
        };
        monitor->OnInvalid = [this](TDiscMonitor*) {
            gui::GuardedVoid("dir view watcher invalid", [this] { ChangeInvalid(); });
        };
        discMonitor_ = std::move(monitor);
    }
    discMonitor_->SetDirectory(GetPathName());
    discMonitor_->Start();
}

void TDirView::StopWatchThread() {
    // The watcher object stays for the next start; an inactive one holds no notification handle.
    if (discMonitor_)
        discMonitor_->Stop();
}

bool TDirView::WatchThreadActive() const {
    return watchForChanges_ && discMonitor_ && discMonitor_->Active();
}

void TDirView::DisableChangeTimer() {
    if (!changeTimer_)
        return;
    changeTimer_->SetEnabled(false);
    changeTimer_->SetInterval(0);
}

void TDirView::RestartChangeTimer(unsigned Interval) {
    if (!changeTimer_)
        return;
    changeTimer_->SetEnabled(false);
    changeTimer_->SetInterval(0);
    changeTimer_->SetInterval(Interval);
    changeTimer_->SetEnabled(true);
}

void TDirView::ChangeDetected() {
    loadPending_ = true;
    RestartChangeTimer(changeInterval_);
}

void TDirView::ChangeInvalid() {
    StopWatchThread();
    RunNotify(OnChangeInvalid);
}

void TDirView::ChangeTimerElapsed() {
    // While a load runs the timer keeps ticking and the update follows once the load is over.
    if (loading_)
        return;
    if (!loadEnabled_) {
        // A name is being edited: the update waits as a pending load until loading is enabled again.
        DisableChangeTimer();
        return;
    }
    RunNotify(OnChangeDetected);
    UpdateDirectory();
    // The update has brought the list in step: no load waits any more.
    loadPending_ = false;
    DisableChangeTimer();
}

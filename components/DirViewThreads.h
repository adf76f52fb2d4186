#pragma once
// The directory list view's background workers: TSubDirScanner sums the sizes below one directory item, and
// TIconUpdateThread fetches the shell icons of the visible items.
//
// A worker never touches the view, its items or its totals itself: it hands each such step to the user-interface
// thread with Synchronize (a SendMessage to a hidden window of that thread) and waits. Once termination has been
// requested, a worker's synchronised calls do nothing, so a worker that is cut loose after a time-out can no
// longer reach the view. Each worker keeps itself alive until its thread's last act; the view joins it when it
// stops it and only then lets its own reference go.
#include "components/ComponentErrors.h"
#include "components/DirView.h"
#include "win/Handles.h"
#include "win/UiThreadCall.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Raised when the icon thread does not end in time after being asked to.
class EIUThread : public EComponentError {
public:
    using EComponentError::EComponentError;
};

class TDirViewWorker : public std::enable_shared_from_this<TDirViewWorker> {
public:
    virtual ~TDirViewWorker();
    TDirViewWorker(const TDirViewWorker&) = delete;
    TDirViewWorker& operator=(const TDirViewWorker&) = delete;

    // Creates the thread suspended, gives it Priority and lets it run.
    void Start(int Priority);
    // Requests termination and wakes the thread when it waits to be resumed.
    void Terminate();
    bool Terminated() const { return terminated_; }
    void SetPriority(int Priority);
    // Lets a suspended worker go on.
    void Resume();
    bool Suspended() const { return suspended_; }
    // True once the thread has left its work.
    bool Finished() const { return finished_; }
    // Waits for the thread's end, handling the calls other threads send to this one meanwhile; false on time-out.
    bool WaitFor(DWORD Milliseconds);

protected:
    explicit TDirViewWorker(TDirView* View);
    virtual void Execute() = 0;
    // Runs Call on the user-interface thread and waits for it; nothing once termination was requested.
    void Synchronize(const std::function<void()>& Call);
    // Waits until Resume or Terminate.
    void Suspend();

    TDirView* const Owner; // read and written only inside synchronised calls

private:
    static DWORD WINAPI ThreadEntry(void* Parameter);

    // The calls run on the thread that made the worker; its window lives as long as that thread, so a worker cut
    // loose never sends to a window that went away with its view.
    win::TUiThreadCalls uiCalls_;
    win::UniqueHandle thread_;
    win::UniqueHandle resumeEvent_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> suspended_{false};
    std::atomic<bool> finished_{false};
    std::shared_ptr<TDirViewWorker> self_; // held by the running thread
};

class TSubDirScanner : public TDirViewWorker {
public:
    // Starts a scanner at below-normal priority for the directory item Item.
    static std::shared_ptr<TSubDirScanner> Create(TDirView* View, int Item);

    const std::wstring& FullName() const { return fullName_; }
    std::int64_t TotalSize() const { return totalSize_; }
    // Adds the sizes of everything below Dir (with trailing backslash) to TotalSize; false when cut short.
    bool ScanDirSize(const std::wstring& Dir);

protected:
    void Execute() override;

private:
    TSubDirScanner(TDirView* View, std::wstring FullName, std::wstring ItemCaption);
    void UpdateItemSize();
    void ScannerTerminated();

    const std::wstring fullName_;
    const std::wstring itemCaption_;
    std::atomic<std::int64_t> totalSize_{0};
};

class TIconUpdateThread : public TDirViewWorker {
public:
    // Creates the thread; it waits suspended until the view resumes it.
    static std::shared_ptr<TIconUpdateThread> Create(TDirView* View);

    // The view needs icons from item I on (user-interface thread).
    void SetStartIndex(int I);
    // The view needs the icon of item I (user-interface thread).
    void SetMaxIndex(int I);

protected:
    void Execute() override;

private:
    explicit TIconUpdateThread(TDirView* View);
    int RowsPerPage() const;
    void FetchItem();
    void UpdateItemIcon();
    int FetchIconIndex(IShellFolder* Desktop);

    std::atomic<int> index_{0};
    std::atomic<int> maxIndex_{0};
    std::atomic<bool> changed_{false};
    HWND parentWindow_ = nullptr;
    // Written by FetchItem and UpdateItemIcon while the thread waits for them.
    int iconIndex_ = -1;
    int currentIndex_ = 0;
    bool invalid_ = true;
    bool beyondEnd_ = false;
    const TFileRec* fetchedRec_ = nullptr; // identity check only, never dereferenced off the UI thread
    std::wstring fileName_;
    bool iconEmpty_ = false;
    int imageIndex_ = 0;
    DWORD attr_ = 0;
    TPidlPtr pidl_; // the thread's own copy of the record's identifier
};

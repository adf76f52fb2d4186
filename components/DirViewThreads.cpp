#include "components/DirViewThreads.h"

#include "gui/Types.h"
#include "win/SystemText.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace {

// The icon thread gets 200 rounds of 10 ms to end.
constexpr DWORD kIconThreadStopTime = 2000;
// Scanners are told to stop together and share this much time to end.
constexpr DWORD kScannerStopTime = 2000;
constexpr DWORD kScanAttributes = 63;
constexpr UINT kIconFlagsByPidl = SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES | SHGFI_PIDL;
constexpr UINT kIconFlagsByName = SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES;

bool IsDotName(const std::wstring& Name) {
    return Name == L"." || Name == L"..";
}

} // namespace

// --- the worker base -----------------------------------------------------------------------------------------

TDirViewWorker::TDirViewWorker(TDirView* View) : Owner(View) {
    if (!uiCalls_.Bound())
        throw EComponentError("Cannot create the worker window.");
    resumeEvent_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!resumeEvent_)
        throw EComponentError("Cannot create the worker's resume event.");
}

TDirViewWorker::~TDirViewWorker() = default;

void TDirViewWorker::Start(int Priority) {
    self_ = shared_from_this();
    thread_.reset(CreateThread(nullptr, 0, ThreadEntry, this, CREATE_SUSPENDED, nullptr));
    if (!thread_) {
        self_.reset();
        finished_ = true;
        throw EComponentError("Cannot create a worker thread.");
    }
    SetThreadPriority(thread_.get(), Priority);
    ResumeThread(thread_.get());
}

DWORD WINAPI TDirViewWorker::ThreadEntry(void* Parameter) {
    auto* worker = static_cast<TDirViewWorker*>(Parameter);
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    gui::GuardedVoid("dir view worker", [worker] { worker->Execute(); });
    if (SUCCEEDED(com))
        CoUninitialize();
    worker->finished_ = true;
    // The last act: when the view has already let go, the worker goes with this reference.
    std::shared_ptr<TDirViewWorker> keep = std::move(worker->self_);
    keep.reset();
    return 0;
}

void TDirViewWorker::Terminate() {
    terminated_ = true;
    SetEvent(resumeEvent_.get());
}

void TDirViewWorker::SetPriority(int Priority) {
    if (thread_)
        SetThreadPriority(thread_.get(), Priority);
}

void TDirViewWorker::Resume() {
    SetEvent(resumeEvent_.get());
}

void TDirViewWorker::Suspend() {
    if (terminated_)
        return;
    suspended_ = true;
    WaitForSingleObject(resumeEvent_.get(), INFINITE);
    suspended_ = false;
}

void TDirViewWorker::Synchronize(const std::function<void()>& Call) {
    if (terminated_)
        return;
    uiCalls_.CallOnUi([this, &Call] {
        // Checked here, on this thread, so a stop that began after the worker sent the call still wins.
        if (!Terminated())
            gui::GuardedVoid("dir view worker call", Call);
    });
}

bool TDirViewWorker::WaitFor(DWORD Milliseconds) {
    if (!thread_)
        return true;
    HANDLE thread = thread_.get();
    ULONGLONG deadline = GetTickCount64() + Milliseconds;
    for (;;) {
        ULONGLONG now = GetTickCount64();
        DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, left, QS_SENDMESSAGE);
        if (woke == WAIT_OBJECT_0)
            return true;
        if (woke != WAIT_OBJECT_0 + 1)
            return false;
        // Only calls sent by other threads run here, so a worker waiting in Synchronize can finish without
        // user input re-entering the view.
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// --- sub-directory scanner ---------------------------------------------------------------------------------

TSubDirScanner::TSubDirScanner(TDirView* View, std::wstring FullName, std::wstring ItemCaption)
    : TDirViewWorker(View), fullName_(std::move(FullName)), itemCaption_(std::move(ItemCaption)) {}

std::shared_ptr<TSubDirScanner> TSubDirScanner::Create(TDirView* View, int Item) {
    std::shared_ptr<TSubDirScanner> scanner(
        new TSubDirScanner(View, View->ItemFullFileName(Item), View->ItemFileName(Item)));
    scanner->Start(THREAD_PRIORITY_BELOW_NORMAL);
    return scanner;
}

bool TSubDirScanner::ScanDirSize(const std::wstring& Dir) {
    std::vector<std::wstring> subDirs;
    {
        TFileSearch search(Dir + L"*.*", kScanAttributes);
        TSearchRec rec;
        while (!Terminated() && search.Next(rec)) {
            if (IsDotName(rec.Name))
                continue;
            if (rec.Attr & FILE_ATTRIBUTE_DIRECTORY)
                subDirs.push_back(Dir + rec.Name + L"\\");
            else if (rec.Size > 0)
                totalSize_ += rec.Size;
        }
    }
    // A level cut short by termination is not a complete total; a folder that cannot be searched counts as done.
    if (Terminated())
        return false;
    for (const std::wstring& subDir : subDirs)
        if (!ScanDirSize(subDir))
            return false;
    return true;
}

void TSubDirScanner::Execute() {
    if (ScanDirSize(fullName_ + L"\\") && !Terminated())
        Synchronize([this] { UpdateItemSize(); });
    Synchronize([this] { ScannerTerminated(); });
}

void TSubDirScanner::UpdateItemSize() {
    TDirView& view = *Owner;
    // The item is found again by name: it may have moved, and one renamed or gone meanwhile changes nothing.
    for (int i = 0; i < view.ItemCount(); ++i) {
        TFileRec* rec = view.ItemRec(i);
        if (!rec || !EqualNoCase(view.ItemFileName(i), itemCaption_) || view.ItemFullFileName(i) != fullName_)
            continue;
        std::int64_t total = totalSize_;
        // A rescan replaces the earlier total instead of counting the folder twice.
        std::int64_t change = total - std::max<std::int64_t>(rec->Size, 0);
        rec->Size = total;
        view.filesSize_ += change;
        if (view.ItemSelected(i))
            view.filesSelSize_ += change;
        ListView_RedrawItems(view.Handle(), i, i);
        if (view.OnFileSizeChanged)
            view.OnFileSizeChanged(&view, i);
        return;
    }
}

void TSubDirScanner::ScannerTerminated() {
    TDirView& view = *Owner;
    auto& list = view.scannerList_;
    auto found = std::find_if(list.begin(), list.end(), [this](const auto& s) { return s.get() == this; });
    if (found == list.end())
        return;
    list.erase(found);
    if (list.empty() && view.SortColumn() == 1 && !view.Loading())
        view.SortItems();
}

// --- icon update thread ------------------------------------------------------------------------------------

TIconUpdateThread::TIconUpdateThread(TDirView* View) : TDirViewWorker(View) {
    if (gui::TControl* parent = View->Parent())
        parentWindow_ = parent->Handle();
    TViewStyle style = View->ViewStyle();
    maxIndex_ = (style == vsReport || style == vsList) ? RowsPerPage() : 0;
}

std::shared_ptr<TIconUpdateThread> TIconUpdateThread::Create(TDirView* View) {
    std::shared_ptr<TIconUpdateThread> thread(new TIconUpdateThread(View));
    thread->Start(THREAD_PRIORITY_NORMAL);
    return thread;
}

int TIconUpdateThread::RowsPerPage() const {
    return Owner->Handle() ? ListView_GetCountPerPage(Owner->Handle()) : 0;
}

void TIconUpdateThread::SetStartIndex(int I) {
    if (I == index_)
        return;
    index_ = I;
    changed_ = true;
    int rows = RowsPerPage();
    maxIndex_ = I + (Owner->ViewStyle() == vsList ? 2 * rows : rows);
}

void TIconUpdateThread::SetMaxIndex(int I) {
    if (I == maxIndex_)
        return;
    changed_ = true;
    if (I < maxIndex_) {
        int top = Owner->Handle() ? ListView_GetTopIndex(Owner->Handle()) : -1;
        index_ = !Suspended() && top >= 0 ? top : I;
    } else {
        maxIndex_ = I;
    }
}

void TIconUpdateThread::Execute() {
    TShellFolderPtr desktop;
    SHGetDesktopFolder(desktop.GetAddressOf());
    // Suspended until the view asks for icons.
    Suspend();
    int top = 0;
    Synchronize([this, &top] {
        if (Owner->Handle())
            top = std::max(0, ListView_GetTopIndex(Owner->Handle()));
    });
    index_ = top;
    changed_ = top > 0;
    while (!Terminated()) {
        if (index_ > maxIndex_) {
            Suspend();
            continue;
        }
        invalid_ = true;
        Synchronize([this] { FetchItem(); });
        if (Terminated())
            break;
        if (beyondEnd_) {
            Suspend();
            continue;
        }
        if (!invalid_ && iconEmpty_) {
            iconIndex_ = FetchIconIndex(desktop.Get());
            pidl_.reset();
            if (Terminated())
                break;
            if (iconIndex_ != imageIndex_)
                changed_ = true;
            Synchronize([this] { UpdateItemIcon(); });
        }
        fileName_.clear();
        int expected = currentIndex_;
        index_.compare_exchange_strong(expected, currentIndex_ + 1);
    }
}

int TIconUpdateThread::FetchIconIndex(IShellFolder* Desktop) {
    TPidlPtr parsed;
    LPCITEMIDLIST pidl = pidl_.get();
    if (!pidl && Desktop) {
        ULONG eaten = 0;
        LPITEMIDLIST found = nullptr;
        if (SUCCEEDED(Desktop->ParseDisplayName(parentWindow_, nullptr, fileName_.data(), &eaten, &found, nullptr)))
            parsed.reset(found);
        pidl = parsed.get();
    }
    SHFILEINFOW info{};
    DWORD_PTR result;
    if (pidl)
        result = SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl), attr_, &info, sizeof(info), kIconFlagsByPidl);
    else
        result = SHGetFileInfoW(fileName_.c_str(), attr_, &info, sizeof(info), kIconFlagsByName);
    return result ? info.iIcon : -1;
}

void TIconUpdateThread::FetchItem() {
    TDirView& view = *Owner;
    currentIndex_ = index_;
    int count = view.ItemCount();
    beyondEnd_ = currentIndex_ >= count;
    TFileRec* rec = Terminated() || beyondEnd_ ? nullptr : view.ItemRec(currentIndex_);
    invalid_ = rec == nullptr;
    fetchedRec_ = rec;
    if (!rec)
        return;
    fileName_ = view.ItemFullFileName(currentIndex_);
    iconEmpty_ = rec->IconEmpty;
    imageIndex_ = rec->ImageIndex;
    attr_ = rec->Attr;
    pidl_ = rec->PIDL ? PIDL_Copy(rec->PIDL.get()) : TPidlPtr();
}

void TIconUpdateThread::UpdateItemIcon() {
    TDirView& view = *Owner;
    if (currentIndex_ >= view.ItemCount() || view.Loading())
        return;
    TFileRec* rec = view.ItemRec(currentIndex_);
    // An update of the folder may have moved the items since the fetch: only the same item takes the icon.
    if (!rec || rec != fetchedRec_ || view.ItemFullFileName(currentIndex_) != fileName_)
        return;
    if (iconIndex_ >= 0 && iconIndex_ != rec->ImageIndex) {
        rec->ImageIndex = iconIndex_;
        // The list asks the record for the image again when it redraws the row.
        ListView_RedrawItems(view.Handle(), currentIndex_, currentIndex_);
        changed_ = true;
    }
    rec->IconEmpty = false;
}

// --- the view's side ---------------------------------------------------------------------------------------

bool TDirView::IconThreadDone() const {
    return !iconUpdateThread_ || iconUpdateThread_->Finished();
}

void TDirView::StartIconUpdateThread() {
    if (!dirOK_)
        return;
    if (iconUpdateThread_) {
        iconUpdateThread_->SetStartIndex(0);
        if (ViewStyle() == vsReport)
            iconUpdateThread_->Resume();
    } else if (Count() > 0) {
        iconUpdateThread_ = TIconUpdateThread::Create(this);
    }
}

void TDirView::StopIconUpdateThread() {
    if (!iconUpdateThread_)
        return;
    std::shared_ptr<TIconUpdateThread> thread = std::move(iconUpdateThread_);
    thread->Terminate();
    thread->SetPriority(THREAD_PRIORITY_ABOVE_NORMAL);
    thread->Resume();
    Sleep(0);
    // A thread that does not end is left to finish alone: its calls to this view are no-ops from now on.
    if (!thread->WaitFor(kIconThreadStopTime))
        throw EIUThread("Can't terminate icon update thread.");
}

void TDirView::RequestIconUpdate(int Item, int TopItem) {
    if (!iconUpdateThread_)
        return;
    if (TopItem >= 0)
        iconUpdateThread_->SetStartIndex(TopItem);
    else
        iconUpdateThread_->SetMaxIndex(Item);
    if (iconUpdateThread_->Suspended() && !inRecycleBin_)
        iconUpdateThread_->Resume();
}

void TDirView::StartSubDirScanner(int Item) {
    const TFileRec* rec = ItemRec(Item);
    if (!rec || !rec->IsDirectory || rec->IsParentDir)
        return;
    scannerList_.push_back(TSubDirScanner::Create(this, Item));
}

void TDirView::StartSubDirScanners() {
    if (dirOK_ && showDirectories_ && showSubDirSize_) {
        for (int i = 0; i < Count(); ++i)
            StartSubDirScanner(i);
    } else if (int selected = FirstSelectedIndex(); selected >= 0) {
        StartSubDirScanner(selected);
    }
}

void TDirView::StopSubDirScanner() {
    if (scannerList_.empty())
        return;
    std::vector<std::shared_ptr<TSubDirScanner>> scanners = std::move(scannerList_);
    scannerList_.clear();
    for (const auto& scanner : scanners) {
        scanner->SetPriority(THREAD_PRIORITY_ABOVE_NORMAL);
        scanner->Terminate();
    }
    ULONGLONG deadline = GetTickCount64() + kScannerStopTime;
    for (const auto& scanner : scanners) {
        ULONGLONG now = GetTickCount64();
        // One still busy in a slow search after the deadline ends alone; its results no longer reach the view.
        scanner->WaitFor(now >= deadline ? 0 : static_cast<DWORD>(deadline - now));
    }
}

#pragma once
// TDirView: the report list of one folder's files and sub-folders, one item per entry, each carrying a TFileRec.
// The view keeps the entries itself, in list order, and the list control draws from them (an owner-data list):
// a load, a sort or a refresh changes the entries and tells the control only the new count, never item by item.
// The control keeps the selection and the focus; the entries keep their marks (cut, drop highlight, overlay).
// It loads a folder (several masks, attribute and date filters, a ".." item), brings a loaded list in step with
// the disk, reloads keeping the selection and the focus, fetches type texts and icons from the shell only when an
// item is first drawn, and orders the items by any column with ".." always first. It is the file pane the
// conversion application sees (FilePane).
//
// The file commands, clipboard, drag-and-drop, change watching and custom drawing (DirViewCommands.cpp,
// DirViewDragDrop.cpp, DirViewWatch.cpp) and the icon and folder-size worker threads (DirViewThreads.cpp) are
// built on this class.
#include "components/ComponentErrors.h"
#include "components/FilePane.h"
#include "components/ListExt.h"
#include "components/PIDL.h"
#include "components/SortListView.h"
#include "components/ViewsShared.h"
#include "win/Handles.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

enum TFileNameDisplay { fndStored, fndCap, fndNoCap, fndNice };

// The list view's errors carry a text in the user's language: Message() as typed, what() in UTF-8.
class EDirViewError : public EComponentError {
public:
    explicit EDirViewError(const std::wstring& Message);
    const std::wstring& Message() const { return message_; }

private:
    std::wstring message_;
};
// Opening an item through the shell failed; the message names the file.
class EExecFile : public EDirViewError {
public:
    using EDirViewError::EDirViewError;
};
// A name typed into the list's editor holds a character no file name may hold.
class EInvalidFileName : public EDirViewError {
public:
    using EDirViewError::EDirViewError;
};

// What went wrong with a drop or paste; without an OnDDError handler it becomes EDragDrop "DragDrop Error: " +
// number. DDFileOperationError: the shell's copy, move or delete failed (a cancel by the user is no error).
enum TDDError { DDCreateShortCutError = 0, DDPathNotFoundError = 1, DDFileOperationError = 2 };

// The characters no file name may hold.
inline constexpr wchar_t InvalidFileNameChars[] = L"\\/:*?\"<>|";
// The text EInvalidFileName carries: the invalid-characters text, a blank and the nine characters with blanks.
std::wstring InvalidFileNameMessage();
// True for a name a rename may use: not empty and none of InvalidFileNameChars.
bool IsValidFileName(const std::wstring& Name);
// True for names whose extension is ".EXE" or ".COM" (any case): dragging only those offers a link.
bool IsExecutableName(const std::wstring& Name);
enum TSelAttr { SelDontCare, SelYes, SelNo };

// One directory entry as a search finds it.
struct TSearchRec {
    std::wstring Name;
    std::int64_t Size = 0;
    DWORD Attr = 0;          // the full Win32 attribute word
    FILETIME LastWrite{};    // UTC
    DWORD Time = 0;          // local DOS date (high word) and time (low word)
    bool HasDosTime = false; // false when the time has no DOS form (before 1980 or after 2107)
};

// A directory search that hands out only the entries its attribute argument admits: hidden (2), system (4),
// volume (8) and directory (16) entries only when the argument names them; read-only and archive always.
class TFileSearch {
public:
    TFileSearch(const std::wstring& Pattern, DWORD Attr);
    TFileSearch(const TFileSearch&) = delete;
    TFileSearch& operator=(const TFileSearch&) = delete;
    // The next admitted entry; false at the end.
    bool Next(TSearchRec& Rec);

private:
    win::UniqueFind handle_;
    DWORD attr_;
    bool pending_ = false; // the first entry is read but not yet handed out
    WIN32_FIND_DATAW data_{};
};

// The first admitted entry of a search; false when there is none.
bool FindFirstEntry(const std::wstring& Pattern, DWORD Attr, TSearchRec& Rec);
// The 64-bit size of the file as found on disk now; -1 when it is not found.
std::int64_t GetFileSize64(const std::wstring& FileName);

// The per-item record; the item's data value points to it and the view owns it.
struct TFileRec {
    bool Empty = false;     // type name and first icon still to be fetched
    bool IconEmpty = false; // the item's own icon still to be fetched
    bool IsDirectory = false;
    bool IsRecycleBin = false; // "RECYCLED" with the system attribute in a drive root
    bool IsParentDir = false;  // the ".." item
    std::wstring FileName;     // as stored; in the recycle bin the full path of the entry
    std::wstring DisplayName;
    std::wstring FileExt; // upper case, without the dot, at most three characters
    std::wstring TypeName;
    int ImageIndex = 0;
    std::int64_t Size = 0; // -1 for directories until their total is known
    DWORD Attr = 0;
    FILETIME FileTime{}; // last write, UTC
    TPidlPtr PIDL;       // only for special files and recycle-bin entries
};

// The view's texts in the user's language: German (primary language 7), French (12), else English.
struct TDirViewTexts {
    const wchar_t* Columns[5];
    const wchar_t* OpenError;
    const wchar_t* RenameError;
    const wchar_t* Exists;
    const wchar_t* InvalidChars;
    const wchar_t* UnknownType; // "%s" stands for the extension
    const wchar_t* FileCount;   // "%u" stands for the number
    const wchar_t* DirCount;
};
const TDirViewTexts& DirViewTextsFor(LANGID Language);
// The set chosen once from the user's default language.
const TDirViewTexts& DirViewTexts();
// The unknown-type text with the extension put in.
std::wstring UnknownTypeText(const TDirViewTexts& Texts, const std::wstring& Ext);

// The window-free pieces of the view, so they can be checked alone.
// FileExt of a name: upper case of the extension's first three characters, without the dot.
std::wstring ShortFileExt(const std::wstring& Name);
// The whole extension, upper case, without the dot: the type cache's key ("HTML" and "HTM" differ).
std::wstring FullFileExt(const std::wstring& Name);
// Name shown for a stored name; the case mappings are the ASCII ones.
std::wstring FormatDisplayName(TFileNameDisplay Display, const std::wstring& Name);
// "RHSA" letters (then "C" for compressed) or, with a filler, four fixed positions and a fifth "c" position.
std::wstring GetAttrString(DWORD Attr, const std::wstring& AttrSpace);
// True for the extensions whose icon lives in the file itself: EXE, LNK, ICO, ANI, CUR, PIF, JOB, CPL.
bool IsSpecialExt(const std::wstring& FileExt);

enum class TDirSortKey { Name, Size, Type, Extension, Date, Attributes };
// Negative when A goes first. ".." first always; a directory before a file (after it when descending, unless
// DirsOnTop); then by key, ties by display name. Equal dates stay in ascending name order in both directions.
int CompareFileRecs(const TFileRec* A, const TFileRec* B, TDirSortKey Key, bool Ascending, bool DirsOnTop);

// The attribute filter and date range of a load: an entry passes when it has every required bit, no excluded
// bit, and its DOS date-time lies in From..To. The full default range admits every time, also one without a DOS
// form, so no file goes unlisted for its date alone.
struct TEntryFilter {
    DWORD Required = 0;
    DWORD Excluded = 0;
    DWORD From = 0;
    DWORD To = 0;
    bool AnyTime = true;
    bool Passes(const TSearchRec& Rec) const;
};

class TDirView;
class TIconUpdateThread;
class TSubDirScanner;
class TDiscMonitor;
class TFileOperator;
class TFileDeleteThread;
class TDragDropFilesEx;
namespace gui {
class TTimer;
}

// One name of a drop or paste: the full path of the source and, when the drop data names one, the name the
// copy is to get in the target folder.
struct TDroppedFile {
    std::wstring Name;
    std::wstring MappedName;
};

// What the view asks of a linked drive-and-directory tree.
class TDirViewTree {
public:
    virtual ~TDirViewTree() = default;
    // True when the tree holds a node for Dir; IsRecycleBin then tells the node's recycle-bin flag.
    virtual bool NodeRecycleBinFlag(const std::wstring& Dir, bool& IsRecycleBin) = 0;
    // A load of Dir on a remote drive found no sub-directory: an unscanned node of Dir learns it has no children
    // and counts as scanned.
    virtual void NoSubDirectoriesFound(const std::wstring& Dir) = 0;
    // The linked view is going: the tree forgets it.
    virtual void DirViewDestroyed(TDirView* View) = 0;
};

// The drag-and-drop events both file views (the list and the tree) publish, with the same signatures.
struct TFileViewDDEvents {
    using TDDErrorEvent = std::function<void(gui::TComponent* Sender, TDDError ErrorNo)>;
    using TDDExecutedEvent = std::function<void(gui::TComponent* Sender, int dwEffect)>;
    using TDDFileOperationEvent =
        std::function<void(gui::TComponent* Sender, int dwEffect, const std::wstring& SourcePath,
                           const std::wstring& TargetPath, bool& DoOperation)>;
    using TDDFileOperationExecutedEvent = std::function<void(
        gui::TComponent* Sender, int dwEffect, const std::wstring& SourcePath, const std::wstring& TargetPath)>;
    using TDDDragEnterEvent = std::function<void(gui::TComponent* Sender, IDataObject* DataObj, int grfKeyState,
                                                 POINT pt, int& dwEffect, bool& Accept)>;
    using TDDDragOverEvent = std::function<void(gui::TComponent* Sender, int grfKeyState, POINT pt, int& dwEffect)>;
    using TDDDropEvent =
        std::function<void(gui::TComponent* Sender, IDataObject* DataObj, int grfKeyState, POINT pt, int& dwEffect)>;
    using TDDQueryContinueDragEvent =
        std::function<void(gui::TComponent* Sender, BOOL fEscapePressed, int grfKeyState, HRESULT& Result)>;
    using TDDGiveFeedbackEvent = std::function<void(gui::TComponent* Sender, int dwEffect, HRESULT& Result)>;
    // DragStatus is the engine's TDragDetectStatus (ddsNone, ddsLeft, ddsRight, ddsCancelled, ddsDrag) as a number.
    using TDDDragDetectEvent =
        std::function<void(gui::TComponent* Sender, int grfKeyState, POINT DetectStart, POINT Pt, int DragStatus)>;
    using TDDProcessDroppedEvent =
        std::function<void(gui::TComponent* Sender, int grfKeyState, POINT pt, int& dwEffect)>;

    TDDDragEnterEvent OnDDDragEnter;
    gui::TNotifyEvent OnDDDragLeave;
    TDDDragOverEvent OnDDDragOver;
    TDDDropEvent OnDDDrop;
    TDDQueryContinueDragEvent OnDDQueryContinueDrag;
    TDDGiveFeedbackEvent OnDDGiveFeedback;
    TDDDragDetectEvent OnDDDragDetect;
    TDDProcessDroppedEvent OnDDProcessDropped;
    TDDErrorEvent OnDDError;
    TDDExecutedEvent OnDDExecuted;
    TDDFileOperationEvent OnDDFileOperation;
    TDDFileOperationExecutedEvent OnDDFileOperationExecuted;
};

class TDirView : public TSortListView, public FilePane, public TFileViewDDEvents {
public:
    using TAddFileEvent = std::function<void(gui::TComponent* Sender, TSearchRec& SearchRec, bool& AddFile)>;
    using TItemEvent = std::function<void(gui::TComponent* Sender, int Item)>;
    using TExecFileEvent = std::function<void(gui::TComponent* Sender, int Item, bool& AllowExec)>;
    using TRenameEvent = std::function<void(gui::TComponent* Sender, int Item, const std::wstring& NewName)>;
    using TSelectItemNewEvent = std::function<void(gui::TComponent* Sender, int Item, bool Selected)>;

    TDirView(gui::TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 250, int height = 150);
    ~TDirView() override;

    // --- the folder --------------------------------------------------------------------------------------------
    std::wstring Path() const override { return path_; }
    // Strips trailing backslashes; a different path (compared case-sensitively) is loaded.
    virtual void SetPath(const std::wstring& Value);
    const std::wstring& LastPath() const { return lastPath_; }
    std::wstring GetPathName() const override;
    void LoadDirectory(const std::wstring& Dir);
    // Brings the loaded list in step with the disk without clearing it.
    void UpdateDirectory();
    // Loads Path again keeping the selected and the focused items (by name); with CacheIcons the icons of files
    // that carry their own are kept.
    void Reload(bool CacheIcons) override;
    void SortItems() override;

    // --- items -------------------------------------------------------------------------------------------------
    // The item's record; null for an index outside the list.
    TFileRec* ItemRec(int Item) const;
    std::wstring ItemFullFileName(int Item) const override;
    std::wstring ItemFileName(int Item) const override;
    // The item of that stored name (case-insensitive), -1 for none.
    int FindFileItem(const std::wstring& FileName) const;
    // The text of a cell as the list shows it (fetching the type name when still missing).
    std::wstring CellText(int Item, int Column);
    // The item's system image index, fetching the icon when still missing.
    int ItemImageIndex(int Item);
    // Fills type name and icon of the item's record (FetchIcon: also the icon of a special file).
    void GetDisplayData(int Item, bool FetchIcon);

    // FilePane
    int ItemCount() const override { return Count(); }
    std::wstring ItemCaption(int Item) const override { return ItemFileName(Item); }
    bool ItemSelected(int Item) const override;
    void SetItemSelected(int Item, bool Selected) override;
    bool ItemIsDirectory(int Item) const override;
    bool ItemIsParentDir(int Item) const override;
    int SelCount() const override { return TSortListView::SelCount(); }
    int FirstSelectedIndex() const override;
    void ClearSelection() override;
    void FocusItem(int Item) override;
    void SetFocus() override { TSortListView::SetFocus(); }

    // --- state -------------------------------------------------------------------------------------------------
    bool LoadEnabled() const { return loadEnabled_; }
    virtual void SetLoadEnabled(bool Value);
    bool LoadPending() const { return loadPending_; }
    bool Loading() const { return loading_; }
    bool AbortLoading() const { return abortLoading_; }
    bool DirOK() const { return dirOK_; }
    int DriveType() const { return driveType_; }
    bool InRecycleBin() const { return inRecycleBin_; }
    bool HasParentItem() const { return hasParentItem_; }
    std::int64_t FilesSize() const { return filesSize_; }
    std::int64_t FilesSelSize() const { return filesSelSize_; }
    const SYSTEMTIME& LoadTime() const { return loadTime_; }
    IShellFolder* CurrentFolder() const { return currentFolder_.Get(); }
    bool SelectNewFiles = false;

    // The linked tree (set by the tree; null for none).
    TDirViewTree* DriveView() const { return driveView_; }
    void SetDriveView(TDirViewTree* Tree) { driveView_ = Tree; }

    // --- properties --------------------------------------------------------------------------------------------
    void SetMask(const std::wstring& Value) override;
    void SetViewStyle(TViewStyle Value) override;
    virtual void SetMultiSelect(bool Value);

    int ColWidthName = 110;
    int ColWidthSize = 80;
    int ColWidthType = 110;
    int ColWidthDate = 130;
    int ColWidthAttr = 35;
    COLORREF CompressedColor = RGB(0, 0, 0xFF); // blue
    bool SortAfterUpdate = true;
    bool UseIconCache = false;
    bool UseIconUpdateThread = false;
    bool ShowAnimation = false;
    std::wstring AttrSpace;
    TSelAttr SelArchive = SelDontCare;
    TSelAttr SelHidden = SelDontCare;
    TSelAttr SelSysFile = SelDontCare;
    TSelAttr SelReadOnly = SelDontCare;
    int SelFileSizeFrom = 0;
    int SelFileSizeTo = 2147483647; // the default means no upper limit
    WORD SelFileDateFrom = 33;
    WORD SelFileDateTo = 61343;
    WORD SelFileTimeFrom = 0;
    WORD SelFileTimeTo = 49152;

    bool ShowDirectories() const { return showDirectories_; }
    virtual void SetShowDirectories(bool Value);
    bool ShowSubDirSize() const { return showSubDirSize_; }
    virtual void SetShowSubDirSize(bool Value);
    bool DirsOnTop() const { return dirsOnTop_; }
    void SetDirsOnTop(bool Value);
    bool SortByExtension() const { return sortByExtension_; }
    void SetSortByExtension(bool Value);
    TFileNameDisplay FileNameDisplay() const { return fileNameDisplay_; }
    virtual void SetFileNameDisplay(TFileNameDisplay Value);
    bool ShowMaskInHeader() const { return showMaskInHeader_; }
    void SetShowMaskInHeader(bool Value);

    // --- columns -----------------------------------------------------------------------------------------------
    virtual void CreateColumns();
    virtual void StoreColumnWidths();
    virtual std::vector<int> GetColumnOrder() const;
    virtual void SetColumnOrder(const std::vector<int>& Order);
    // The caption of column 0: the name caption, with " (mask)" when asked for and the mask is not "*.*".
    std::wstring NameColumnCaption() const;

    // --- formatting --------------------------------------------------------------------------------------------
    virtual std::wstring FormatDisplayName(const std::wstring& Name) const;
    virtual std::wstring FormatFileTime(const FILETIME& FileTime) const;
    virtual std::wstring GetAttrString(DWORD Attr) const;

    // --- worker threads ----------------------------------------------------------------------------------------
    // Sub-directory scanners still running.
    int ScannerCount() const { return static_cast<int>(scannerList_.size()); }
    bool HasIconUpdateThread() const { return iconUpdateThread_ != nullptr; }
    // True when no icon thread exists or the icon thread has left its work loop.
    bool IconThreadDone() const;
    // Scanners for every directory item when sizes are shown, else for the selected directory item.
    void StartSubDirScanners();

    // --- commands (DirViewCommands.cpp) ---------------------------------------------------------------------
    // Opens the first selected item (or a focused ".."): folders are entered, files opened through the shell;
    // with Alt held the properties are shown instead.
    void ExecuteCurrentFile();
    // ShellExecute of the item with the view's folder as working directory; raises EExecFile on failure.
    void ExecuteFile(int Item);
    // Deletes the selected items through the shell (AllowUndo: into the recycle bin). False when the shell
    // failed or the user aborted; the list keeps the items that still exist.
    bool DeleteSelectedFiles(bool AllowUndo);
    // Creates the folder (an empty file) Path + "\" + Name and returns its new item, -1 when it exists already
    // (LastDirectoryCreateError 183) or could not be made (LastDirectoryCreateError the system error).
    int CreateDirectory(const std::wstring& Name);
    int CreateFile(const std::wstring& Name);
    // Drops the item of a file that no longer exists (FullName: a path in this folder).
    void ValidateFile(const std::wstring& FullName);
    void ValidateItem(int Item);
    void ValidateSelectedFiles();
    // Appends ItemFullFileName of every selected item, in list order.
    void GetSelectedFiles(std::vector<std::wstring>& List) const;
    // The shell context menu of the selection (of the folder when nothing is selected), at a screen point.
    void DisplayContextMenu(POINT Where);
    // The shell properties of the selection, or of the folder when nothing is selected.
    void DisplayPropertiesMenu();
    // True while the list's name editor is open.
    bool IsEditing() const;
    // Opens the name editor on the item (when it may be renamed); the rename runs when the edit ends.
    void EditItem(int Item);
    // The view's file operator holds an undoable last copy or move.
    virtual bool CanUndo() const;
    bool UndoCopyMove();

    // --- clipboard -------------------------------------------------------------------------------------------
    void EmptyClipBoard();
    bool CopyToClipBoard();
    bool CutToClipBoard();
    bool CanPasteFromClipBoard();
    // Pastes the clipboard's files into TargetPath (empty: the view's folder). True when they were pasted; a
    // failed, cancelled or vetoed paste (or one with nothing to do) returns false, fires no OnDDExecuted and keeps
    // the clipboard, a cut included. A failure is reported through DDError.
    bool PasteFromClipBoard(const std::wstring& TargetPath = {});
    // Copies the selection into the view's own folder under free names and selects the copies.
    bool DuplicateSelectedFiles();

    // --- drag-and-drop (DirViewDragDrop.cpp) ------------------------------------------------------------------
    // Carries out a drop of Files into TargetPath with the effect (DROPEFFECT_COPY, _MOVE or _LINK), as a drop
    // onto the view or a paste does. RenameOnCollision gives copies into the files' own folder free names. True
    // only when it was carried out and succeeded: OnDDFileOperationExecuted fires only then; a shell failure is
    // reported through DDError (after the view and its watchers are back in order).
    bool PerformDropOperation(const std::vector<TDroppedFile>& Files, const std::wstring& TargetPath, DWORD Effect,
                              bool RenameOnCollision);
    // The same with the names the drag-and-drop object received.
    bool PerformDragDropFileOperation(const std::wstring& TargetPath, DWORD Effect, bool RenameOnCollision);
    // The view's drag-and-drop object (source, target and clipboard carrier).
    TDragDropFilesEx& DragDropFilesEx();
    bool TargetPopUpMenu() const { return targetPopUpMenu_; }
    void SetTargetPopUpMenu(bool Value);

    // --- change watching (DirViewWatch.cpp) -------------------------------------------------------------------
    bool WatchForChanges() const { return watchForChanges_; }
    virtual void SetWatchForChanges(bool Value);
    // Milliseconds between a change notice and the update; zero is ignored.
    unsigned ChangeInterval() const { return changeInterval_; }
    virtual void SetChangeInterval(unsigned Value);
    // Drive letters never watched, kept in upper case.
    const std::wstring& NoCheckDrives() const { return noCheckDrives_; }
    void SetNoCheckDrives(const std::wstring& Value);
    virtual void StartWatchThread();
    virtual void StopWatchThread();
    bool WatchThreadActive() const;

    // --- drawing -----------------------------------------------------------------------------------------------
    bool DimmHiddenFiles() const { return dimmHiddenFiles_; }
    virtual void SetDimmHiddenFiles(bool Value);

    // --- command switches --------------------------------------------------------------------------------------
    bool ConfirmDelete = true;
    bool ConfirmOverwrite = true;
    bool UseSystemContextMenu = true;
    bool SingleClickToExec = false;
    bool DDLinkOnExeDrag = true;
    bool UseDragImages = true;

    // --- events ------------------------------------------------------------------------------------------------
    gui::TNotifyEvent OnStartLoading;
    TAddFileEvent OnAddFile;
    gui::TNotifyEvent OnLoaded;
    gui::TNotifyEvent OnDirUpdated;
    TItemEvent OnFileSizeChanged;
    TExecFileEvent OnExecFile;
    TRenameEvent OnBeginRename;
    TRenameEvent OnEndRename;
    TSelectItemNewEvent OnSelectItemNew;
    gui::TNotifyEvent OnDisplayContextMenu;
    gui::TNotifyEvent OnChangeDetected;
    gui::TNotifyEvent OnChangeInvalid;

protected:
    virtual void LoadRecycleBinItems();

    // The change timer: stopped (interval 0) while loading and updating.
    virtual void DisableChangeTimer();
    // The worker threads (DirViewThreads.cpp). Stopping joins them; the icon thread's stop raises EIUThread
    // when the thread does not end in time (it is then cut loose, its calls to the view become no-ops).
    virtual void StopIconUpdateThread();
    virtual void StartIconUpdateThread();
    // The item's icon is missing and the icon thread should fetch it (TopItem: the list's top item, or -1).
    virtual void RequestIconUpdate(int Item, int TopItem);
    virtual void StopSubDirScanner();
    // A directory item whose total size should be computed.
    virtual void StartSubDirScanner(int Item);
    // The drop target highlight, cleared before a load empties the list.
    virtual void ClearDropTarget();

    // Adds the item for a found entry and returns its index.
    int AddItem(const TSearchRec& SearchRec);
    int CreateEntry(const std::wstring& Name, bool Directory);
    int AddCreatedEntry(const std::wstring& FullName);
    void AddParentDirItem();
    bool Drawing() const { return drawing_; }

    bool HandleNotify(NMHDR* header, LRESULT& result) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT DoCustomDraw(NMLVCUSTOMDRAW* draw) override;
    // The view's own handling of its window's messages (WndProc adds the drag-and-drop engine's).
    LRESULT ViewMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    struct TTypeCacheRec {
        std::wstring Ext; // full extension, upper case
        std::wstring TypeName;
        int ImageIndex = 0;
    };
    struct TIconRec {
        std::wstring FileName;
        int ImageIndex = 0;
    };

    TEntryFilter MakeFilter() const;
    bool AskAddFile(TSearchRec& Rec);
    // One entry of the list: the record and the marks the list control draws it with (LVIS_CUT,
    // LVIS_DROPHILITED and the overlay image), which an owner-data list asks for instead of keeping.
    struct TListEntry {
        std::unique_ptr<TFileRec> Rec;
        UINT State = 0;
        mutable bool Selected = false; // the control's selection as last read, valid while selectionKnown_
    };
    static constexpr UINT kEntryStates = LVIS_CUT | LVIS_DROPHILITED | LVIS_OVERLAYMASK;

    int Count() const { return static_cast<int>(items_.size()); }
    // Lists the files of every mask and, with ShowDirectories, the sub-folders; a "*.*" mask finds both in one walk.
    void LoadEntries(const TEntryFilter& Filter);
    void AddSubDirectories(const std::vector<TSearchRec>& Found);
    void ClearList();
    // Takes the item out of the list (the control first, so that it deselects it while the record is still there).
    void RemoveItem(int Item);
    void ReleaseRecord(const TFileRec& Rec, bool WasSelected);
    // Orders the entries by the sort column; true when the order changed.
    bool SortModel();
    // Fills the type names the type order needs.
    void FetchTypeNames();
    // Runs Change, which may reorder the entries and add new ones, and gives the control the new count; the
    // selected and the focused entries stay selected and focused wherever they went.
    void ReorderKeepingSelection(const std::function<void()>& Change);
    // Tells the control the entries' count once they are complete, and selects the new entries that asked for it.
    void SyncItemCount();
    // Gives the control the new list: no selection, no focus, the count of the entries.
    void ResetControl();
    // The entries whose load left the list as it was: same names, display names, sizes, attributes and times.
    static bool SameEntries(const std::vector<TListEntry>& A, const std::vector<TListEntry>& B);
    void SetEntryStates(int Item, UINT State, UINT Mask);
    void SelectPendingEntries();
    // Reads the control's selection into the entries once; it stays known until a message to the list may
    // change it, so a walk over every item's selection asks the control once, not once per item.
    bool KnowSelection() const;
    void TrackSelection(UINT Msg, WPARAM WParam, LPARAM LParam);
    // The marks of LVM_SETITEMSTATE go to the entries (also when others send it); true when handled.
    bool HandleListMessage(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result);
    int FindDisplayName(const NMLVFINDITEMW& Find) const;
    void MakeFocusedVisible();
    void RedoNameCaption();
    std::wstring ShellType(const std::wstring& Name, DWORD Attr, UINT Flags, int* Icon);
    void FillDisplayInfo(NMLVDISPINFOW* Info);
    // The size an item adds to the selection total: a file's size (measured when unknown), a folder's once known.
    std::int64_t SelectionSize(const TFileRec& Rec, int Item) const;
    void ItemSelectionChanged(int Item, bool Selected);
    void RecountSelectionSize();

    // DirViewCommands.cpp
    bool HandleCommandNotify(NMHDR* header, LRESULT& result);
    bool CanEditItem(int Item) const;
    bool BeginLabelEdit(int Item);
    void EndLabelEdit(int Item, const wchar_t* Text);
    void RenameItem(int Item, const std::wstring& NewName);
    void RetryEdit();
    bool KeyDownHandler(WPARAM Key);
    bool ContextMenuMessage(LPARAM Position);
    void HandleMenuVerb(const std::wstring& Verb, int Selected);
    void StartDeleteWatcher(const std::vector<std::wstring>& Paths);
    void StopTreeWatcher();
    void StartTreeWatcher();
    void ValidateTreeSelection();
    void DrawParentDirArrow(NMLVCUSTOMDRAW* draw);
    // DirViewDragDrop.cpp
    void CreateDragDrop();
    void DDError(TDDError ErrorNo);
    void BeginDrag(bool RightButton, POINT Where);
    void MakeDragImage(int FileCount, int DirCount, POINT Where);
    void DDQueryContinueDrag(BOOL EscapePressed, DWORD KeyState, HRESULT& Result);
    void DDDragEnter(IDataObject* DataObj, DWORD KeyState, POINT Pt, DWORD& Effect, bool& Accept);
    void DDDragOver(DWORD KeyState, POINT Pt, DWORD& Effect);
    void DDDragLeave();
    void DDDrop(IDataObject* DataObj, DWORD KeyState, POINT Pt, DWORD& Effect);
    void DDProcessDropped(DWORD KeyState, POINT Pt, DWORD Effect);
    DWORD DropEffectFor(DWORD KeyState, POINT Pt, DWORD Effect);
    void SetDropTarget(int Item);
    // The folder a drop at the current highlight goes into.
    std::wstring DropTargetFolder() const;
    // Takes the cut marks away in every list view of the process.
    static void ClearCutMarks();
    // The clipboard mode, as none once another program has replaced this process's files on the clipboard.
    TClipboardMode EffectiveClipboardMode();
    // DirViewWatch.cpp
    void ChangeDetected();
    void ChangeInvalid();
    void ChangeTimerElapsed();
    void RestartChangeTimer(unsigned Interval);

    struct TDragState;
    struct TDragStateDeleter {
        void operator()(TDragState* State) const noexcept;
    };

    std::wstring path_;
    std::wstring lastPath_;
    bool loadEnabled_ = true;
    bool loadPending_ = false;
    bool abortLoading_ = false;
    bool loading_ = false;
    bool dirOK_ = false;
    int driveType_ = 0;
    bool inRecycleBin_ = false;
    bool hasParentItem_ = false;
    bool drawing_ = true;
    std::int64_t filesSize_ = 0;
    std::int64_t filesSelSize_ = 0;
    SYSTEMTIME loadTime_{};
    bool showDirectories_ = true;
    bool showSubDirSize_ = false;
    bool dirsOnTop_ = false;
    bool sortByExtension_ = false;
    bool showMaskInHeader_ = false;
    TFileNameDisplay fileNameDisplay_ = fndStored;
    TDirViewTree* driveView_ = nullptr;
    TShellFolderPtr desktopFolder_;
    TShellFolderPtr currentFolder_;
    TPidlPtr recycleBinPIDL_;
    TListExt<TTypeCacheRec> typeCache_;
    std::vector<TListEntry> items_;
    // Where AddItem puts new entries: the listed ones, or those a reload reads apart from them.
    std::vector<TListEntry>* loadTarget_ = &items_;
    int controlCount_ = 0;   // the count the list control was last given
    int deferCount_ = 0;     // while set, new entries wait for one count at the end
    bool remapping_ = false; // selection changes made by the view itself to follow its entries
    mutable bool selectionKnown_ = false;
    // The shell's answers by extension while a sort fetches the type names (null otherwise).
    struct TTypeMemo;
    TTypeMemo* typeMemo_ = nullptr;
    bool keepUnchanged_ = false; // a reload may leave the list alone when the folder is as listed
    bool lastLoadUnchanged_ = false;
    std::vector<const TFileRec*> pendingSelect_; // new entries to be selected once the control counts them

    bool watchForChanges_ = false;
    unsigned changeInterval_ = 1000;
    std::wstring noCheckDrives_;
    bool dimmHiddenFiles_ = false;
    bool targetPopUpMenu_ = true;
    std::unique_ptr<TDiscMonitor> discMonitor_;
    std::unique_ptr<gui::TTimer> changeTimer_;
    std::unique_ptr<TFileOperator> fileOperator_;
    std::vector<std::unique_ptr<TFileDeleteThread>> deleteWatchers_;
    std::unique_ptr<TDragState, TDragStateDeleter> dragState_;
    POINT dragStartPos_{};
    bool mouseButtonDown_ = false; // a button went down inside the view: a begin-drag notice may start a drag
    bool rightContext_ = false;    // the context menu comes from a right click
    bool editRequested_ = false;   // the retry after a failed rename reopens the editor
    std::wstring editText_;        // the text the reopened editor starts with
    std::wstring editName_;        // the stored name of the item whose editor reopens

    friend class TIconUpdateThread;
    friend class TSubDirScanner;
    // Shared with the running thread, which keeps itself alive until its last act.
    std::shared_ptr<TIconUpdateThread> iconUpdateThread_;
    std::vector<std::shared_ptr<TSubDirScanner>> scannerList_;
};

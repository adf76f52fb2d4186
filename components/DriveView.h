#pragma once
// TDriveView: the tree of the machine's drives and their folders. One root node per valid drive letter, folders
// read from disk one level at a time when a node is expanded (or the whole drive at once with FullDriveScan), kept
// in step with the disk by one change watcher and one debounce timer per drive. The selected node is the current
// folder (Directory); selecting it updates a linked directory list view and a linked drive combo box.
//
// Every node carries a TNodeData owned by the view; it is freed when the node is deleted. The view runs on the
// user-interface thread only; the watchers report there through their own synchronisation.
#include "components/ComponentErrors.h"
#include "components/DirView.h"
#include "components/DiscMon.h"
#include "components/DragDropFilesEx.h"
#include "components/DriveTable.h"
#include "components/FileChanges.h"
#include "components/FileOperator.h"
#include "components/FilePane.h"
#include "components/PIDL.h"
#include "gui/ComCtrls.h"
#include "gui/ExtCtrls.h"
#include "win/Handles.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// A node operation was given no node, or a node without node data. The message names the operation.
class ENodeNotAssigned : public EComponentError {
public:
    explicit ENodeNotAssigned(const std::string& operation);
};

// A rename to a name with characters that no folder name may hold.
class EInvalidDirName : public EComponentError {
public:
    using EComponentError::EComponentError;
};

// The node's data: what the folder search and the shell told about the folder.
class TNodeData {
public:
    TNodeData() = default;
    TNodeData(const TNodeData&) = delete;
    TNodeData& operator=(const TNodeData&) = delete;

    std::wstring DirName;   // the name as found on disk; for a root node the drive root "X:\"
    std::wstring ShortName; // the 8.3 alternative name, empty when the system gives none
    DWORD Attr = 0;
    bool Scanned = false; // the sub-folders have been read
    bool Bold = false;
    std::uint32_t DirSize = kDirSizeUnknown;
    bool IsRecycleBin = false;
    bool IconEmpty = true; // the images still have to be fetched
    ULONG ShellAttr = 0;
    TPidlPtr PIDL;               // relative to the parent's folder
    TShellFolderPtr ShellFolder; // the folder's own shell folder, bound when needed

    static constexpr std::uint32_t kDirSizeUnknown = 0xFFFFFFFFu;
};

// The view's record of one drive letter. The watcher and the timer are owned by the view; a copy from
// GetDriveStatus borrows them.
struct TDriveStatus {
    bool Scanned = false;  // read at least once (full scan or first level)
    bool Verified = false; // read completely by a full scan
    HTREEITEM RootNode = nullptr;
    TDiscMonitor* DiscMonitor = nullptr;
    gui::TTimer* ChangeTimer = nullptr; // its Tag holds the letter
    std::wstring DefaultDir;            // the folder last selected on the drive, with trailing backslash
};

class TDriveView;

// What the tree needs of a linked drive combo box (TDriveComboBox implements it). The box links itself through
// TDriveView::SetDriveComboBox.
class TDriveViewDriveBox {
public:
    virtual ~TDriveViewDriveBox() = default;
    virtual void DriveBoxSetDrive(wchar_t drive) = 0;
    // Called by the tree when it goes, so the box forgets it.
    virtual void DriveBoxDriveViewDestroyed(TDriveView* view) = 0;
};

using TDriveViewScanDirEvent = std::function<void(TDriveView* Sender, HTREEITEM Node, bool& DoScanDir)>;
using TDriveViewDiskChangeEvent = std::function<void(TDriveView* Sender, wchar_t Drive)>;

class TDriveView : public gui::TCustomTreeView, public FolderTree, public TDirViewTree, public TFileViewDDEvents {
public:
    TDriveView(gui::TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 200, int height = 300);
    ~TDriveView() override;

    // --- the current folder (FolderTree) ---------------------------------------------------------------------
    // The selected node's path; a drive root reads "X:\"; empty when nothing is selected.
    std::wstring Directory() const override;
    // Selects the node of the path, climbing to the nearest existing ancestor when the folder is missing.
    void SetDirectory(const std::wstring& Value) override;
    wchar_t GetSelectedDrive() const override;
    void SelectDrive(wchar_t Drive) override;
    void SelectNode(HTREEITEM Node);

    // --- nodes and paths -------------------------------------------------------------------------------------
    TNodeData* GetNodeData(HTREEITEM Node) const;  // null for a null node or one without data
    std::wstring GetDirPath(HTREEITEM Node) const; // no trailing backslash; a root gives "X:"
    std::wstring GetDirName(HTREEITEM Node) const;
    wchar_t GetDrive(HTREEITEM Node) const;
    HTREEITEM RootNode(HTREEITEM Node) const;
    HTREEITEM FindNodeToPath(std::wstring Path);
    TDriveStatus GetDriveStatus(wchar_t Drive) const;
    std::wstring GetDisplayName(HTREEITEM Node);
    bool IsSubDirNode(HTREEITEM Node) const;
    bool NodeHasChildren(HTREEITEM Node) const;
    bool NodeExpanded(HTREEITEM Node) const;

    // --- reading and validating ------------------------------------------------------------------------------
    // Status flags of the drive table (dsImageIndex, dsSize, dsDisplayName) plus kReadNamesAlways.
    static constexpr unsigned kReadNamesAlways = 16;
    void RefreshRootNodes(bool ScanDirectory, unsigned Flags);
    virtual bool DoScanDir(HTREEITEM Node);
    virtual HTREEITEM AddChildNode(HTREEITEM Parent, const WIN32_FIND_DATAW& SRec);
    // ScanMode: 0 the node only, 1 all descendants, 2 children that have child nodes, 3 expanded children.
    void ValidateDirectoryEx(HTREEITEM Node, int ScanMode, bool ReadUnscanned);
    void ValidateDirectory(HTREEITEM Node) { ValidateDirectoryEx(Node, 2, false); }
    void ValidateDirectoryIfNeeded(HTREEITEM Node);
    void RescanDirectory(HTREEITEM Node) { ValidateDirectoryEx(Node, 3, false); }
    void ReadSubTree(HTREEITEM Node) { ValidateDirectoryEx(Node, 1, true); }
    void DeleteSubNodes(HTREEITEM Node);
    virtual void SortChildren(HTREEITEM Node, bool Recursive);
    void ExpandLevel(HTREEITEM Node, int Level);
    virtual void CenterNode(HTREEITEM Node);

    // --- sizes -----------------------------------------------------------------------------------------------
    std::uint32_t GetDirSize(HTREEITEM Node);
    void SetDirSize(HTREEITEM Node);
    void RefreshDirSize(HTREEITEM Node);
    std::uint32_t GetSubTreeSize(HTREEITEM Node);
    static std::wstring FormatDirSize(std::uint32_t Bytes);

    // --- rename ----------------------------------------------------------------------------------------------
    virtual bool CanEdit(HTREEITEM Node);
    // Renames the node's folder to NewName; raises EInvalidDirName for forbidden characters. False when the
    // folder could not be renamed (the user was told).
    bool RenameNode(HTREEITEM Node, const std::wstring& NewName);
    // The text EInvalidDirName carries, in the user's language.
    static std::wstring InvalidDirNameMessage();

    // --- change watching -------------------------------------------------------------------------------------
    virtual void CreateWatchThread(wchar_t Drive);
    void StartWatchThread();
    void StopWatchThread();
    void TerminateWatchThread(wchar_t Drive);
    void StartAllWatchThreads();
    void StopAllWatchThreads();
    bool WatchThreadActiveOnDrive(wchar_t Drive) const;
    bool WatchThreadActive() const;
    virtual bool CanUndo() const;

    // --- links -----------------------------------------------------------------------------------------------
    // The linked list view: the previous one's link back is cleared, the new one's points here. A list view
    // that goes while linked calls SetDirView(nullptr) or DirViewDestroyed first.
    TDirView* DirView() const { return dirView_; }
    void SetDirView(TDirView* Value);
    void DirViewDestroyed(TDirView* view);
    // A drive combo box links itself here (TDriveComboBox::SetDriveView); the tree tells it the selected drive.
    TDriveViewDriveBox* DriveComboBox() const { return driveBox_; }
    void SetDriveComboBox(TDriveViewDriveBox* Value);

    // --- properties ------------------------------------------------------------------------------------------
    bool ConfirmDelete = true;
    bool ConfirmOverwrite = true;
    bool UseSystemContextMenu = true;
    bool ReadDrives = true;
    bool ShowAnimation = false;
    bool DDLinkOnExeDrag = true;
    bool UseDragImages = true;
    bool TargetPopUpMenu = true;
    COLORREF ColorBold = 0xFF0000;

    bool FullDriveScan() const { return fullDriveScan_; }
    void SetFullDriveScan(bool Value) { fullDriveScan_ = Value; }
    bool DimmHiddenDirs() const { return dimmHiddenDirs_; }
    void SetDimmHiddenDirs(bool Value);
    COLORREF CompressedColor() const { return compressedColor_; }
    void SetCompressedColor(COLORREF Value);
    bool WatchDirectory() const { return watchDirectory_; }
    void SetWatchDirectory(bool Value);
    unsigned ChangeInterval() const { return changeInterval_; }
    void SetChangeInterval(unsigned Value);
    bool ShowDirSize() const { return showDirSize_; }
    void SetShowDirSize(bool Value);
    bool ShowVolLabel() const { return showVolLabel_; }
    void SetShowVolLabel(bool Value);
    TVolumeDisplayStyle VolDisplayStyle() const { return volDisplayStyle_; }
    void SetVolDisplayStyle(TVolumeDisplayStyle Value);
    TFileNameDisplay FileNameDisplay() const { return fileNameDisplay_; }
    void SetFileNameDisplay(TFileNameDisplay Value);
    const std::wstring& NoCheckDrives() const { return noCheckDrives_; }
    void SetNoCheckDrives(const std::wstring& Value);

    // --- events ----------------------------------------------------------------------------------------------
    gui::TNotifyEvent OnStartScan;
    gui::TNotifyEvent OnEndScan;
    TDriveViewScanDirEvent OnScanDir;
    TDriveViewDiskChangeEvent OnDiskChange;
    TDriveViewDiskChangeEvent OnInsertedDiskChange;
    TDriveViewDiskChangeEvent OnChangeDetected;
    TDriveViewDiskChangeEvent OnChangeInvalid;
    gui::TNotifyEvent OnDisplayContextMenu;

    // --- commands (DriveViewCommands.cpp) -------------------------------------------------------------------
    // Every command that changes the disk pauses the change watchers of the tree and of the linked list view
    // while it runs, then brings the affected nodes in line with the disk itself.

    // Makes the folder Name below ParentNode and returns its new node; null when the folder could not be made
    // (LastDirectoryCreateError then holds the system's error code).
    HTREEITEM CreateDirectory(HTREEITEM ParentNode, const std::wstring& Name);
    // Deletes the node's folder (to the recycle bin with AllowUndo); true when the folder and its node are gone.
    // A root node is never deleted.
    bool DeleteDirectory(HTREEITEM Node, bool AllowUndo);
    // Takes back the view's last copy, move or rename; true when the undo ran and succeeded.
    bool UndoLastOperation();
    // Draws the node bold in ColorBold (or plain again).
    void SetBoldDraw(HTREEITEM Node, bool Bold);
    // The shell's context menu of the node's folder at ScreenPos; the view itself carries out "rename", "cut",
    // "copy" and "paste".
    virtual void DisplayContextMenu(HTREEITEM Node, POINT ScreenPos);
    // The shell's properties of the node's folder.
    virtual void DisplayPropertiesMenu(HTREEITEM Node);
    // Tells of a drag-and-drop failure: OnDDError when assigned, else EDragDrop "DragDrop Error: <number>".
    void DDError(TDDError ErrorCode);

    // --- clipboard (DriveViewDragDrop.cpp) ------------------------------------------------------------------
    // The clipboard's mode (cut or copy) is shared by every view of the process (ViewsShared.h).
    // Empties the system clipboard, takes away the cut marks of this tree and of the linked list view, mode none.
    void EmptyClipBoard();
    // Puts the selected node's folder on the clipboard; mode copy.
    bool CopyToClipBoard();
    // Puts the node's folder on the clipboard and marks the node as cut; mode cut. Never a drive.
    bool CutToClipBoard(HTREEITEM Node);
    // False when no node is selected or the clipboard cannot be opened.
    bool CanPasteFromClipBoard();
    // Pastes the clipboard's files into TargetPath (empty: the selected folder): after a cut they are moved and
    // the clipboard emptied, else copied. True when they were pasted; a failed, cancelled or vetoed paste returns
    // false, fires no OnDDExecuted and keeps the clipboard (a failure is reported through DDError).
    bool PasteFromClipBoard(const std::wstring& TargetPath = {});

    // --- drag-and-drop (DriveViewDragDrop.cpp) ---------------------------------------------------------------
    // Carries out a drop of Files into TargetPath with Effect (DROPEFFECT_COPY, _MOVE or _LINK), as a drop onto
    // the tree or a paste does; OntoRecycleBin deletes them instead. The nodes of the folders concerned are
    // brought in line with the disk afterwards. True only when it was carried out and succeeded
    // (OnDDFileOperationExecuted fires only then); a shell failure is reported through DDError at the end.
    bool PerformDropOperation(const std::vector<TDroppedFile>& Files, const std::wstring& TargetPath, DWORD Effect,
                              bool OntoRecycleBin);
    // The same with the names the drag-and-drop object holds.
    bool PerformDragDropFileOperation(const std::wstring& TargetPath, DWORD Effect, bool OntoRecycleBin);
    TDragDropFilesEx& DragDropFilesEx() { return *dragDropFilesEx_; }
    // The effect a drag over Target gets from the keys and the effects the source allows (Effect), by the
    // tree's rules: no drop of the tree's own folder onto itself, below itself or onto its parent; move onto a
    // recycle bin; link for executables; move within one drive.
    DWORD DragOverEffect(HTREEITEM Target, DWORD grfKeyState, DWORD Effect);
    // Whether a folder may be dropped onto TargetDir: not onto itself, one of its sub-folders or its parent.
    static bool CanDropDirectoryOnto(const std::wstring& DraggedDir, const std::wstring& TargetDir);
    // A drop released less than 0.05 s (500,000 units of 100 ns) after the drag started is a cancel.
    static HRESULT DropTooEarlyFilter(HRESULT Result, ULONGLONG DragStartTime, ULONGLONG Now);
    // The current system time in 100-nanosecond units.
    static ULONGLONG SystemTimeNow();
    // True while the tree's own drag runs.
    bool Dragging() const { return dragNode_ != nullptr; }

    // --- events of the commands ------------------------------------------------------------------------------

    // --- TDirViewTree: what the linked list view asks ------------------------------------------------------
    bool NodeRecycleBinFlag(const std::wstring& Dir, bool& IsRecycleBin) override;
    void NoSubDirectoriesFound(const std::wstring& Dir) override;
    // The node of a path among the nodes already read (no disk access); null when there is none.
    HTREEITEM FindReadNode(const std::wstring& Path) const;

protected:
    bool HandleNotify(NMHDR* header, LRESULT& result) override;
    LRESULT DoCustomDraw(NMTVCUSTOMDRAW* draw) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    LRESULT TreeMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    virtual bool CanExpand(HTREEITEM Node);
    virtual bool CanChange(HTREEITEM Node);
    virtual void Change(HTREEITEM Node);
    virtual void Delete(HTREEITEM Node);
    virtual void UpdateNodeImage(HTREEITEM Node);
    virtual void KeyDownHandler(WORD& Key, gui::TShiftState Shift);

private:
    // The drag-and-drop engine watches every message of the tree after the tree's own handling, handed over by
    // WndProc: a subclass of its own would cost a window-property look-up per message. Set once the engine exists;
    // declared ahead of every member whose making may send the tree a message, so WndProc never reads it unmade.
    TDragDropFilesEx* dragDropWatcher_ = nullptr;
    // DriveView.cpp
    void ReadSubDirs(HTREEITEM Node);
    void ScanDrive(wchar_t Drive);
    void FullScanDrive(wchar_t Drive);
    void ReadSubTreeRecursive(HTREEITEM Node, int& counter);
    void ValidateNode(HTREEITEM Node, bool isStart, int scanMode, bool readUnscanned);
    HTREEITEM InsertNode(HTREEITEM parent, std::unique_ptr<TNodeData> data, HTREEITEM after, bool hasChildren);
    bool SearchHasSubDirs(const std::wstring& path) const;
    void SetHasChildren(HTREEITEM Node, bool has);
    void RefreshTexts();
    void ChangeTimerFired(wchar_t drive);
    void WatcherInvalid(wchar_t drive);
    IShellFolder* ParentFolderOf(HTREEITEM Node);
    // DriveViewNodes.cpp
    void RunChangeHandling(HTREEITEM Node);
    void RenameAfterEdit(HTREEITEM Node, const std::wstring& text);
    void LeftButtonReleased();

    // DriveViewCommands.cpp
    // Stops the active change watchers of the tree (all drives, or one) and of the linked list view (and of the
    // list view a drag came from) for the life of a command, and starts again the ones it stopped.
    class WatchPause {
    public:
        explicit WatchPause(TDriveView& view, TDirView* otherSource = nullptr);
        WatchPause(TDriveView& view, wchar_t drive);
        ~WatchPause();
        WatchPause(const WatchPause&) = delete;
        WatchPause& operator=(const WatchPause&) = delete;

    private:
        void PauseList(TDirView* list);
        TDriveView& view_;
        std::vector<wchar_t> stopped_;
        std::vector<TDirView*> lists_;
    };
    void RemoveNode(HTREEITEM Node);
    // DriveViewDragDrop.cpp
    std::unique_ptr<TDragDropFilesEx> CreateDragDrop();
    void DDDragDetect(DWORD grfKeyState, POINT DetectStart, POINT Pt, TDragDetectStatus Status);
    void StartDragNode(HTREEITEM Node);
    void DDDragEnter(IDataObject* DataObj, DWORD grfKeyState, POINT Pt, DWORD& dwEffect, bool& Accept);
    void DDDragOver(DWORD grfKeyState, POINT Pt, DWORD& dwEffect);
    void DDDragLeave();
    void DDDrop(IDataObject* DataObj, DWORD grfKeyState, POINT Pt, DWORD& dwEffect);
    void DDQueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState, HRESULT& Result);
    void SetDropTargetNode(HTREEITEM Node);
    void DragAutoScroll(POINT Pt, HTREEITEM Node);
    void HideDragImage();
    void DragNodeDeleted(TFileDeleteThread* Sender, const std::vector<std::wstring>& Vanished);
    void ReloadDirView();
    void ClearCutMark();
    void MarkCut(HTREEITEM Node);

    TDriveStatus& Status(wchar_t drive);
    const TDriveStatus& Status(wchar_t drive) const;

    std::array<TDriveStatus, 26> drives_{};
    std::array<std::unique_ptr<TDiscMonitor>, 26> monitors_{};
    std::array<std::unique_ptr<gui::TTimer>, 26> timers_{};
    std::unordered_map<TNodeData*, std::unique_ptr<TNodeData>> nodeData_;

    TDirView* dirView_ = nullptr;
    TDriveViewDriveBox* driveBox_ = nullptr;
    TFileOperator fileOperator_;
    TShellFolderPtr desktop_;
    TShellFolderPtr drivesFolder_;

    std::wstring lastPath_;
    bool validating_ = false;
    bool changeHandled_ = false;
    bool leftButtonUp_ = true;
    HTREEITEM dropTarget_ = nullptr;
    bool labelEditing_ = false;
    HTREEITEM reEditNode_ = nullptr;
    std::wstring reEditText_;
    wchar_t previousDrive_ = 0;
    wchar_t readThisChange_ = 0; // the drive SetDirectory read from disk for the selection it is making

    bool fullDriveScan_ = false;
    bool dimmHiddenDirs_ = false;
    COLORREF compressedColor_ = 0xFF0000;
    bool watchDirectory_ = false;
    unsigned changeInterval_ = 1000;
    bool showDirSize_ = false;
    bool showVolLabel_ = true;
    TVolumeDisplayStyle volDisplayStyle_ = doPrettyName;
    TFileNameDisplay fileNameDisplay_ = fndStored;
    std::wstring noCheckDrives_;

    // The commands' state (DriveViewCommands.cpp, DriveViewDragDrop.cpp).
    std::wstring cutPath_;                // the folder whose node shows the cut mark; empty for none
    std::vector<std::wstring> dragPaths_; // the paths of the running drag over the tree
    HTREEITEM dragNode_ = nullptr;        // the node the tree's own drag carries
    ULONGLONG dragStartTime_ = 0;         // system time, 100 ns units
    ULONGLONG lastScrollTime_ = 0;
    ULONGLONG lastHScrollTime_ = 0;
    ULONGLONG lastHoverTime_ = 0;
    HTREEITEM hoverNode_ = nullptr;
    int scrollCount_ = 0;
    wchar_t dragDrive_ = 0; // the drive of the first dragged item
    bool exeDrag_ = false;  // every dragged item is an executable: offer a link
    win::UniqueImageList dragImage_;
    bool dragImageShown_ = false;
    bool* ownMoveDone_ = nullptr; // set while the tree's own drag runs: the tree carried out its move itself
    // Watchers of folders that a drop target moves away after the tree's own drag; kept so that none outlives
    // the view.
    std::vector<std::unique_ptr<TFileDeleteThread>> deleteThreads_;
    // Declared last: made once the tree's window exists, and gone first.
    std::unique_ptr<TDragDropFilesEx> dragDropFilesEx_ = CreateDragDrop();
};

#pragma once
// TDirView: the report list of one folder's files and sub-folders, one item per entry, each carrying a TFileRec.
// It loads a folder (several masks, attribute and date filters, a ".." item), brings a loaded list in step with
// the disk, reloads keeping the selection and the focus, fetches type texts and icons from the shell only when an
// item is first drawn, and orders the items by any column with ".." always first. It is the file pane the
// conversion application sees (FilePane).
//
// The file commands, clipboard, drag-and-drop, change watching and custom drawing, and the icon and folder-size
// worker threads are built on this class: they plug in through the protected hooks below, which do nothing here.
#include "components/FilePane.h"
#include "components/ListExt.h"
#include "components/PIDL.h"
#include "components/SortListView.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

enum TFileNameDisplay { fndStored, fndCap, fndNoCap, fndNice };
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
    ~TFileSearch();
    TFileSearch(const TFileSearch&) = delete;
    TFileSearch& operator=(const TFileSearch&) = delete;
    // The next admitted entry; false at the end.
    bool Next(TSearchRec& Rec);

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
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

class TDirView : public TSortListView, public FilePane {
public:
    using TAddFileEvent = std::function<void(gui::TComponent* Sender, TSearchRec& SearchRec, bool& AddFile)>;
    using TItemEvent = std::function<void(gui::TComponent* Sender, int Item)>;

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
    int ItemCount() const override { return TSortListView::ItemCount(); }
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

    // --- events ------------------------------------------------------------------------------------------------
    gui::TNotifyEvent OnStartLoading;
    TAddFileEvent OnAddFile;
    gui::TNotifyEvent OnLoaded;
    gui::TNotifyEvent OnDirUpdated;
    TItemEvent OnFileSizeChanged;

protected:
    virtual void LoadRecycleBinItems();

    // Hooks for the command, watching and thread layers; they do nothing here.
    virtual void StopWatchThread() {}
    virtual void StartWatchThread() {}
    // The change timer: stopped (interval 0) while loading and updating.
    virtual void DisableChangeTimer() {}
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
    virtual void ClearDropTarget() {}

    // Adds the item for a found entry and returns its index.
    int AddItem(const TSearchRec& SearchRec);
    void AddParentDirItem();
    bool Drawing() const { return drawing_; }

    bool HandleNotify(NMHDR* header, LRESULT& result) override;

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
    void LoadFiles(const TEntryFilter& Filter);
    void LoadSubDirectories();
    void ClearList();
    void ReleaseRecord(LPARAM Data, bool WasSelected);
    void MakeFocusedVisible();
    void RedoNameCaption();
    std::wstring ShellType(const std::wstring& Name, DWORD Attr, UINT Flags, int* Icon);
    void FillDisplayInfo(NMLVDISPINFOW* Info);

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
    std::unordered_map<const TFileRec*, std::unique_ptr<TFileRec>> records_;

    friend class TIconUpdateThread;
    friend class TSubDirScanner;
    // Shared with the running thread, which keeps itself alive until its last act.
    std::shared_ptr<TIconUpdateThread> iconUpdateThread_;
    std::vector<std::shared_ptr<TSubDirScanner>> scannerList_;
};

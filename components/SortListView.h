#pragma once
// TSortListView: the list view that the file views stand on. It keeps a sort column and direction that follow
// clicks on the column headers and draws an arrow into the sorted column's header item; the ordering itself is
// the derived view's (SortItems). It also binds the shell's system image lists, keeps the file-time display
// format (always with a four-digit year) and a normalised file-mask text, and raises events when the user
// resizes or reorders columns.
//
// The unit values below are shared by all views of the process and filled when the program starts.
#include "gui/ComCtrls.h"
#include "win/Handles.h"

#include <commctrl.h>

#include <memory>
#include <string>

enum TDateTimeDisplay { dtdDateTimeSec, dtdDateTime, dtdDate };
enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

// The common-controls file version, major and minor word packed as 0xMMMMmmmm; 0 when the file carries no
// fixed version block. IsComCtl470 is true from 4.70 (0x00040046) on.
extern const DWORD ComCtlVersion;
extern const bool IsComCtl470;
// The Windows directory and the temp folder, each with one trailing backslash.
extern const std::wstring WinDir;
extern const std::wstring TempDir;
// System image list indexes: a document of unknown type, a program, the closed and the open folder; and the
// type text the shell gives a folder.
extern const int DefaultFileIcon;
extern const int ExeFileIcon;
extern const int StdDirIcon;
extern const int StdDirSelIcon;
extern const std::wstring StdDirTypeName;

// Trims blanks; empty becomes "*.*"; blanks and commas become ";"; runs of ";" shrink to one; lower case.
std::wstring NormalizeMask(const std::wstring& Text);
// The text of Rest up to its first ";" (all of it when there is none); Rest loses that text and the ";".
std::wstring GetNextMask(std::wstring& Rest);

// The date picture with a four-digit year made from the locale's short date picture: kept when it has one,
// "yy" added at the end or the start where a two-digit year stands there, a two-digit year inside widened in
// place; a picture without a year stays as it is.
std::wstring FourDigitYearDateFormat(const std::wstring& ShortDateFormat);
// The file-time picture: the date picture alone, or followed by two blanks and the long or short time picture.
std::wstring ComposeDateTimeFormat(TDateTimeDisplay Display, const std::wstring& DateFormat,
                                   const std::wstring& LongTimeFormat, const std::wstring& ShortTimeFormat);
// A local time as "date  time" (or the date alone when TimeFormat is empty), each part formatted by the system
// with its picture ("MM" month, "mm" minutes).
std::wstring FormatDateAndTime(const std::wstring& DateFormat, const std::wstring& TimeFormat, const SYSTEMTIME& Time);

// The target path of a shortcut file, empty on any failure. WithUI lets the shell ask the user when the target
// has moved; otherwise the search gives up after 1.5 s without any window.
std::wstring ResolveShortcut(const std::wstring& LinkFile, bool WithUI);
// Saves a shortcut to Target (LinkName empty: Target + ".lnk") whose working directory is Target's folder.
// True when the file was written.
bool CreateFileShortCut(const std::wstring& Target, const std::wstring& LinkName, const std::wstring& Description);

// The drag image list all views and trees share: the first view that makes one offers it; a view that goes
// takes its own list back out.
HIMAGELIST GlobalDragImageList();

class TSortListView : public gui::TCustomListView {
public:
    // ExtraStyle adds window styles fixed at creation (LVS_OWNERDATA for a list that draws from its own items).
    TSortListView(gui::TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 250,
                  int height = 150, DWORD ExtraStyle = 0);
    ~TSortListView() override;

    int SortColumn() const { return sortColumn_; }
    virtual void SetSortColumn(int Value);
    bool SortAscending() const { return sortAscending_; }
    virtual void SetSortAscending(bool Value);
    bool ShowColumnIcon() const { return showColumnIcon_; }
    virtual void SetShowColumnIcon(bool Value);

    TDateTimeDisplay DateTimeDisplay() const { return dateTimeDisplay_; }
    virtual void SetDateTimeDisplay(TDateTimeDisplay Value);
    // Rebuilds DateFormat and DateTimeFormat from the user's locale.
    virtual void UpdateDateTimeFormat();
    // The same from the pictures given (the locale's short date, long time and short time pictures).
    void UpdateDateTimeFormat(const std::wstring& ShortDate, const std::wstring& LongTime,
                              const std::wstring& ShortTime);
    const std::wstring& DateTimeFormat() const { return dateTimeFormat_; }
    const std::wstring& DateFormat() const { return dateFormat_; }
    // A local time as the view shows file times.
    std::wstring FormatDateTime(const SYSTEMTIME& Time) const {
        return FormatDateAndTime(dateFormat_, timeFormat_, Time);
    }

    const std::wstring& Mask() const { return mask_; }
    virtual void SetMask(const std::wstring& Value);

    TViewStyle ViewStyle() const;
    virtual void SetViewStyle(TViewStyle Value);

    // Window style switches of the list that the views set at design time.
    bool ShowColumnHeaders() const { return !HasStyle(LVS_NOCOLUMNHEADER); }
    void SetShowColumnHeaders(bool Value);
    bool ColumnClick() const { return !HasStyle(LVS_NOSORTHEADER); }
    void SetColumnClick(bool Value) { SetStyle(LVS_NOSORTHEADER, !Value); }
    bool MultiSelect() const { return !HasStyle(LVS_SINGLESEL); }
    void SetMultiSelect(bool Value) { SetStyle(LVS_SINGLESEL, !Value); }
    bool ReadOnly() const { return !HasStyle(LVS_EDITLABELS); }
    void SetReadOnly(bool Value) { SetStyle(LVS_EDITLABELS, !Value); }
    bool HideSelection() const { return !HasStyle(LVS_SHOWSELALWAYS); }
    void SetHideSelection(bool Value) { SetStyle(LVS_SHOWSELALWAYS, !Value); }
    bool RowSelect() const { return HasExStyle(LVS_EX_FULLROWSELECT); }
    void SetRowSelect(bool Value) { SetExtendedStyle(LVS_EX_FULLROWSELECT, Value ? LVS_EX_FULLROWSELECT : 0); }
    bool GridLines() const { return HasExStyle(LVS_EX_GRIDLINES); }
    void SetGridLines(bool Value) { SetExtendedStyle(LVS_EX_GRIDLINES, Value ? LVS_EX_GRIDLINES : 0); }

    // Redraws the arrow into the sort column's header item and clears it from the others.
    virtual void UpdateSortArrows();
    // True while the header shows the arrow for the current sort state.
    bool ArrowsDrawn() const { return arrowsDrawn_; }

    // The image lists: the system lists (shared, never destroyed here), the drag image list, and the two lists
    // the derived view fills with its "up one level" pictures.
    HIMAGELIST SmallImages() const;
    HIMAGELIST LargeImages() const;
    HIMAGELIST DragImages() const { return dragImages_.get(); }
    HIMAGELIST UpImages16() const { return upImages16_.get(); }
    HIMAGELIST UpImages32() const { return upImages32_.get(); }

    gui::TNotifyEvent OnHeaderEndDrag;
    gui::TNotifyEvent OnHeaderEndTrack;

protected:
    virtual void CreateSystemImageLists();
    // Orders the items by SortColumn and SortAscending.
    virtual void SortItems() = 0;
    virtual void HeaderEndDrag();
    // A click on a column header: sets the sort state, then runs OnColumnClick.
    virtual void ColumnClicked(int Column);

    bool HandleNotify(NMHDR* header, LRESULT& result) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    using TImageListPtr = win::UniqueImageList;

    bool HasStyle(DWORD bit) const;
    void SetStyle(DWORD bit, bool on);
    bool HasExStyle(DWORD bit) const;
    LRESULT HandleHeaderMessage(NMHDR* header, UINT msg, WPARAM wParam, LPARAM lParam);

    int sortColumn_ = 0;
    bool sortAscending_ = true;
    bool showColumnIcon_ = true;
    TDateTimeDisplay dateTimeDisplay_ = dtdDateTimeSec;
    std::wstring mask_ = L"*.*";
    std::wstring dateFormat_;
    std::wstring timeFormat_; // the time part of dateTimeFormat_, empty for dtdDate
    std::wstring dateTimeFormat_;
    bool arrowsDrawn_ = false;
    int arrowsColumns_ = 0; // header items when the arrows were last drawn
    bool holdsArrows_ = false;
    TImageListPtr dragImages_;
    TImageListPtr upImages16_;
    TImageListPtr upImages32_;
};

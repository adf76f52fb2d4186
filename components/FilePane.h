#pragma once
// What the conversion application may rely on from a file pane of the main window: the directory list view
// (`TDirView`) and the drive-and-directory tree bound to it (`TDriveView`). The application sees a pane only
// through these two interfaces, so its logic is built and tested without the components behind them.
//
// Item rules a caller may rely on:
// - items are indexed from 0 to ItemCount() - 1 in list order;
// - when the folder has a ".." item it is at index 0 after every load and every sort; a drive root has none;
// - folders and ".." are items like files: a caller that wants files only skips both (ItemIsDirectory,
//   ItemIsParentDir).
#include <string>

// The directory list view side of a pane.
class FilePane {
public:
    virtual ~FilePane() = default;

    virtual int ItemCount() const = 0;
    // The entry's file name as stored on disk (not a display name).
    virtual std::wstring ItemCaption(int index) const = 0;
    virtual bool ItemSelected(int index) const = 0;
    virtual void SetItemSelected(int index, bool selected) = 0;
    // Flags of the item's file record.
    virtual bool ItemIsDirectory(int index) const = 0;
    virtual bool ItemIsParentDir(int index) const = 0;

    // The folder shown, without trailing backslash (a drive root is the letter and a colon).
    virtual std::wstring Path() const = 0;
    // Path() + "\" + the stored file name; empty for no item (index out of range). For ".." it ends in "\..".
    virtual std::wstring ItemFullFileName(int index) const = 0;
    virtual std::wstring ItemFileName(int index) const = 0;
    // Path(), with "\" appended when Path() is a drive root of two characters.
    virtual std::wstring GetPathName() const = 0;
    // Reads the folder again, keeping the selection (by file name) and the focused item. With cacheIcons the
    // icons of files that carry their own icon are kept instead of being fetched again.
    virtual void Reload(bool cacheIcons) = 0;

    virtual int SelCount() const = 0;
    // Index of the first selected item, -1 when none is selected.
    virtual int FirstSelectedIndex() const = 0;
    virtual void ClearSelection() = 0;
    // Selects the item, makes it the focused item and scrolls it into view.
    virtual void FocusItem(int index) = 0;
    // Gives the view the keyboard focus.
    virtual void SetFocus() = 0;
};

// The directory model of a pane: the tree whose selected node is the folder the list view shows.
class FolderTree {
public:
    virtual ~FolderTree() = default;

    // The selected folder; a drive root reads as letter, colon and backslash; empty when nothing is selected.
    virtual std::wstring Directory() const = 0;
    // Selects the folder's node and shows it in the bound list view. A folder without a node (it does not exist)
    // loses one level at a time until a node is found or fewer than three characters are left.
    virtual void SetDirectory(const std::wstring& directory) = 0;
    // The drive letter of the selected folder.
    virtual wchar_t GetSelectedDrive() const = 0;
    // Selects the folder last selected on that drive, its root when there is none.
    virtual void SelectDrive(wchar_t drive) = 0;
};

#pragma once
// TBrowseForFolderDialog: the shell's folder-selection dialog as a non-visual component. It adds a root chosen from
// a fixed list of shell folders, placement of the dialog, a pre-selected folder, a status line showing the current
// path shortened to fit, and events to veto or follow the selection.
//
// Like every common dialog it goes through gui::TCommonDialog::Execute, so a test hook set with
// gui::SetCommonDialogHook answers in its place.
#include "components/ComponentErrors.h"
#include "gui/Control.h"
#include "gui/Dialogs.h"

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <set>
#include <string>

// Raised when the shell is too old to offer the dialog.
class EBrowseFolderError : public EComponentError {
public:
    using EComponentError::EComponentError;
};

enum TOptionsDirectory {
    odBrowseForComputer,
    odOnlyDirectory,
    odOnlyPrinters,
    odNoBelowDomain,
    odSystemAncestorsOnly,
    odFileSystemDirectoryOnly,
    odStatusAvailable,
    odIncludeFiles,
    odIncludeUrls,
    odEditBox,
    odNewDialogStyle,
    odShareable,
};
using TOptionsDir = std::set<TOptionsDirectory>;

enum TFromDirectory {
    fdRootFolder,
    fdRecycleBin,
    fdControlPanel,
    fdDesktop,
    fdDesktopDirectory,
    fdMyComputer,
    fdFonts,
    fdNetHood,
    fdNetWork,
    fdPersonal,
    fdPrinters,
    fdPrograms,
    fdRecent,
    fdSendTo,
    fdStartMenu,
    fdStartup,
    fdTemplates,
};

enum TFolderPos {
    fpDefault,
    fpScreenCenter,
    fpFormCenter,
    fpTopLeft,
    fpTopRight,
    fpBottomLeft,
    fpBottomRight,
    fpCustom
};

// The shell library's version (major in the high 16 bits, minor in the low 16), read once per process from the
// version resource of shell32.dll; 0 when it cannot be read.
DWORD ShellVersion();
// Makes ShellVersion() report Version instead (0: the real one again), so that the behaviour on other shells can
// be checked; returns the previous override.
DWORD SetShellVersionOverride(DWORD Version);
// The BIF_* flags that Options give on a shell of that version.
UINT BrowseFlags(const TOptionsDir& Options, DWORD ShellVersion);
// The special-folder id (CSIDL) of a root; 0 means the whole namespace.
int RootFolderId(TFromDirectory Root);

// The base of the shell's own common dialogs.
class TShellCommonDialog : public gui::TCommonDialog {
public:
    using gui::TCommonDialog::TCommonDialog;
};

class TBrowseForFolderDialog;
using TBrowseAcceptChangeEvent =
    std::function<void(TBrowseForFolderDialog* Sender, const std::wstring& NewFolder, bool& Accept)>;
using TBrowseChangeEvent = std::function<void(TBrowseForFolderDialog* Sender, const std::wstring& Folder)>;
using TBrowseNotifyEvent = std::function<void(TBrowseForFolderDialog* Sender)>;

class TBrowseForFolderDialog : public TShellCommonDialog {
public:
    // Owner: the control whose form owns the dialog; without one the active window does.
    explicit TBrowseForFolderDialog(gui::TControl* Owner = nullptr, std::wstring Name = {});
    ~TBrowseForFolderDialog() override;

    // In: the folder selected when the dialog opens. Out: the chosen folder's file-system path.
    std::wstring Directory;
    // Out: the display name of the chosen item.
    std::wstring DisplayName;
    TOptionsDir Options{odStatusAvailable, odNewDialogStyle};
    TFolderPos Position = fpDefault;
    TFromDirectory RootDirectory = fdRootFolder;
    // Text above the tree; none when empty.
    std::wstring Title;
    // A fixed status line; when empty the status line shows the current path.
    std::wstring StatusText;

    // May refuse the current selection (OK is then disabled).
    TBrowseAcceptChangeEvent OnAcceptChange;
    // The dialog window exists.
    TBrowseNotifyEvent OnInitialized;
    // The selection changed.
    TBrowseChangeEvent OnChange;

    // The dialog window while it is open; null otherwise.
    HWND DialogHandle() const { return dialog_; }

    // Execute() (from gui::TCommonDialog) is true when a folder with a file-system path was chosen; Directory and
    // DisplayName are then set. Cancel, or an item without a path, gives false (DisplayName is still set then).
protected:
    bool Run(HWND owner) override;

private:
    static int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data);
    static LRESULT CALLBACK DialogSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                           DWORD_PTR data);
    void Initialized(HWND window);
    void SelectionChanged(LPCITEMIDLIST item);
    void UpdateStatus(const std::wstring& path);
    void Place();

    gui::TControl* owner_ = nullptr;
    HWND ownerWindow_ = nullptr;
    HWND dialog_ = nullptr;
    bool newStyle_ = false;
    bool placed_ = false;
    bool okAccepted_ = true;
};

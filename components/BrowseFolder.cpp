#include "components/BrowseFolder.h"

#include "components/PIDL.h"
#include "gui/Form.h"
#include "win/Handles.h"
#include "win/Trace.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

// The status control of the shell's folder dialog.
constexpr int kStatusControlId = 14147;
constexpr UINT_PTR kSubclassId = 0x0B0F;
constexpr UINT kReapplyOkMessage = WM_APP + 0x0B0F;

constexpr DWORD kShell4 = 0x40000;
constexpr DWORD kShell4_113 = 0x40071;
constexpr DWORD kShell5 = 0x50000;

DWORD ReadShellVersion() {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(L"shell32.dll", &ignored);
    if (size == 0) {
        return 0;
    }
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(L"shell32.dll", 0, size, block.data())) {
        return 0;
    }
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) || info == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO)) {
        return 0;
    }
    return info->dwFileVersionMS;
}

// The file-system path of a shell item; empty when it has none.
std::wstring PathOfItem(LPCITEMIDLIST item) {
    wchar_t path[MAX_PATH] = {};
    if (item == nullptr || !SHGetPathFromIDListW(item, path)) {
        return {};
    }
    return path;
}

// Initialises COM for this thread for the life of the object, when it was not yet.
class ComScope {
public:
    ComScope() : initialised_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() {
        if (initialised_) {
            CoUninitialize();
        }
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool initialised_;
};

// A path shortened with an ellipsis in its middle to fit width pixels in the control's font; the full path when
// shortening fails.
std::wstring ShortenedPath(HWND control, const std::wstring& path, int width) {
    if (path.empty() || width <= 0) {
        return path;
    }
    const win::UniqueCreatedDC dc(CreateCompatibleDC(nullptr));
    if (!dc) {
        return path;
    }
    const win::SelectedObject font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    // The shortened form can be up to four characters longer than the path (the ellipsis and the terminator).
    std::vector<wchar_t> buffer(path.begin(), path.end());
    buffer.resize(path.size() + 5, L'\0');
    RECT bounds{0, 0, width, 1000};
    int drawn = DrawTextW(dc.get(), buffer.data(), -1, &bounds,
                          DT_PATH_ELLIPSIS | DT_SINGLELINE | DT_NOPREFIX | DT_MODIFYSTRING);
    return drawn != 0 ? std::wstring(buffer.data()) : path;
}

} // namespace

namespace {
std::atomic<DWORD> shellVersionOverride{0};
}

DWORD ShellVersion() {
    if (DWORD forced = shellVersionOverride.load(); forced != 0) {
        return forced;
    }
    static const DWORD version = ReadShellVersion();
    return version;
}

DWORD SetShellVersionOverride(DWORD Version) {
    return shellVersionOverride.exchange(Version);
}

UINT BrowseFlags(const TOptionsDir& Options, DWORD ShellVersion) {
    UINT flags = 0;
    auto has = [&](TOptionsDirectory option) { return Options.count(option) != 0; };
    if (has(odBrowseForComputer)) {
        flags = BIF_BROWSEFORCOMPUTER;
    }
    if (has(odOnlyPrinters)) {
        flags = BIF_BROWSEFORPRINTER;
    }
    if (has(odNoBelowDomain)) {
        flags |= BIF_DONTGOBELOWDOMAIN;
    }
    if (has(odSystemAncestorsOnly)) {
        flags |= BIF_RETURNFSANCESTORS;
    }
    if (has(odFileSystemDirectoryOnly)) {
        flags |= BIF_RETURNONLYFSDIRS;
    }
    if (has(odStatusAvailable)) {
        flags |= BIF_STATUSTEXT;
    }
    if (has(odIncludeFiles) && ShellVersion >= kShell4_113) {
        flags |= BIF_BROWSEINCLUDEFILES;
    }
    if (has(odIncludeUrls) && ShellVersion >= kShell5) {
        flags |= BIF_BROWSEINCLUDEURLS;
    }
    if (has(odEditBox) && ShellVersion >= kShell4_113) {
        flags |= BIF_EDITBOX;
    }
    if (has(odNewDialogStyle) && ShellVersion >= kShell5) {
        flags |= BIF_NEWDIALOGSTYLE;
    }
    if (has(odShareable) && ShellVersion >= kShell5) {
        flags |= BIF_SHAREABLE;
    }
    return flags;
}

int RootFolderId(TFromDirectory Root) {
    switch (Root) {
    case fdRootFolder:
    case fdDesktop:
        return 0;
    case fdRecycleBin:
        return CSIDL_BITBUCKET;
    case fdControlPanel:
        return CSIDL_CONTROLS;
    case fdDesktopDirectory:
        return CSIDL_DESKTOPDIRECTORY;
    case fdMyComputer:
        return CSIDL_DRIVES;
    case fdFonts:
        return CSIDL_FONTS;
    case fdNetHood:
        return CSIDL_NETHOOD;
    case fdNetWork:
        return CSIDL_NETWORK;
    case fdPersonal:
        return CSIDL_PERSONAL;
    case fdPrinters:
        return CSIDL_PRINTERS;
    case fdPrograms:
        return CSIDL_PROGRAMS;
    case fdRecent:
        return CSIDL_RECENT;
    case fdSendTo:
        return CSIDL_SENDTO;
    case fdStartMenu:
        return CSIDL_STARTMENU;
    case fdStartup:
        return CSIDL_STARTUP;
    case fdTemplates:
        return CSIDL_TEMPLATES;
    }
    return 0;
}

TBrowseForFolderDialog::TBrowseForFolderDialog(gui::TControl* Owner, std::wstring Name)
    : TShellCommonDialog(std::move(Name)), owner_(Owner) {}

TBrowseForFolderDialog::~TBrowseForFolderDialog() = default;

bool TBrowseForFolderDialog::Run(HWND owner) {
    const DWORD version = ShellVersion();
    if (version < kShell4) {
        throw EBrowseFolderError("Shell not compatible with BrowseForFolder");
    }
    ownerWindow_ = nullptr;
    if (owner_ != nullptr) {
        gui::TForm* form = owner_->ParentForm();
        ownerWindow_ = form != nullptr && form->Handle() != nullptr ? form->Handle() : owner_->Handle();
    }
    if (ownerWindow_ == nullptr) {
        ownerWindow_ = owner != nullptr ? owner : GetFocus();
    }

    ComScope com;
    // The root item is ours whatever the user did, Cancel included.
    TPidlPtr root;
    if (int id = RootFolderId(RootDirectory); id != 0) {
        LPITEMIDLIST located = nullptr;
        if (SUCCEEDED(SHGetSpecialFolderLocation(ownerWindow_, id, &located))) {
            root.reset(located);
        }
    }
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = ownerWindow_;
    info.pidlRoot = root.get();
    info.pszDisplayName = displayName;
    info.lpszTitle = Title.empty() ? nullptr : Title.c_str();
    info.ulFlags = BrowseFlags(Options, version);
    info.lpfn = &TBrowseForFolderDialog::BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(this);
    newStyle_ = (info.ulFlags & BIF_NEWDIALOGSTYLE) != 0;
    placed_ = false;
    okAccepted_ = true;

    bool result = false;
    if (const TPidlPtr chosen{SHBrowseForFolderW(&info)}) {
        std::wstring path = PathOfItem(chosen.get());
        if (!path.empty()) {
            Directory = path;
            result = true;
        }
        DisplayName = displayName;
    }
    dialog_ = nullptr;
    return result;
}

int CALLBACK TBrowseForFolderDialog::BrowseCallback(HWND window, UINT message, LPARAM lParam, LPARAM data) {
    auto* self = reinterpret_cast<TBrowseForFolderDialog*>(data);
    try {
        if (message == BFFM_INITIALIZED) {
            self->Initialized(window);
        } else if (message == BFFM_SELCHANGED) {
            self->SelectionChanged(reinterpret_cast<LPCITEMIDLIST>(lParam));
        }
    } catch (...) {
        // No exception may unwind into the shell; a failed handler leaves the dialog as it is.
        win::TraceCaught(L"TBrowseForFolderDialog::BrowseCallback");
    }
    return 0;
}

void TBrowseForFolderDialog::Initialized(HWND window) {
    dialog_ = window;
    if (!newStyle_) {
        Place();
        placed_ = true;
    }
    // The new-style dialog sizes itself after this message and is placed once it shows; in both styles the
    // subclass keeps a refused selection refused.
    SetWindowSubclass(window, &TBrowseForFolderDialog::DialogSubclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    if (!Directory.empty()) {
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(Directory.c_str()));
    }
    UpdateStatus(Directory);
    if (OnInitialized) {
        OnInitialized(this);
    }
}

void TBrowseForFolderDialog::SelectionChanged(LPCITEMIDLIST item) {
    bool accept = true;
    const std::wstring path = PathOfItem(item);
    if (OnAcceptChange) {
        OnAcceptChange(this, path, accept);
    }
    okAccepted_ = accept;
    SendMessageW(dialog_, BFFM_ENABLEOK, 0, accept ? TRUE : FALSE);
    if (!accept) {
        // Some shells validate the selection again after this notification and re-enable OK; say it once more
        // when the shell has finished with the change.
        PostMessageW(dialog_, kReapplyOkMessage, 0, 0);
    }
    UpdateStatus(path);
    if (OnChange) {
        OnChange(this, path);
    }
}

LRESULT CALLBACK TBrowseForFolderDialog::DialogSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                        UINT_PTR id, DWORD_PTR data) {
    auto* self = reinterpret_cast<TBrowseForFolderDialog*>(data);
    if (message == kReapplyOkMessage) {
        DefSubclassProc(window, BFFM_ENABLEOK, 0, self->okAccepted_ ? TRUE : FALSE);
        return 0;
    }
    if (message == WM_SHOWWINDOW && !self->placed_) {
        try {
            self->Place();
        } catch (...) {
            // Placement is a nicety; the dialog shows where the shell put it.
            win::TraceCaught(L"TBrowseForFolderDialog::DialogSubclass");
        }
        self->placed_ = true;
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, &TBrowseForFolderDialog::DialogSubclass, id);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void TBrowseForFolderDialog::UpdateStatus(const std::wstring& path) {
    if (Options.count(odStatusAvailable) == 0 || dialog_ == nullptr) {
        return;
    }
    HWND status = GetDlgItem(dialog_, kStatusControlId);
    if (status == nullptr) {
        return;
    }
    std::wstring text = StatusText;
    if (text.empty()) {
        RECT client{};
        RECT control{};
        GetClientRect(dialog_, &client);
        GetWindowRect(status, &control);
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&control), 2);
        const int margin = control.left;
        text = ShortenedPath(status, path, (client.right - client.left) - 2 * margin - 8);
    }
    SendMessageW(dialog_, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TBrowseForFolderDialog::Place() {
    if (dialog_ == nullptr || Position == fpDefault) {
        // The default placement is where the shell puts the dialog.
        return;
    }
    RECT client{};
    GetClientRect(dialog_, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int frameX = GetSystemMetrics(SM_CXFIXEDFRAME);
    const int frameY = GetSystemMetrics(SM_CYFIXEDFRAME);
    const int caption = GetSystemMetrics(SM_CYCAPTION);
    int left = 0;
    int top = 0;
    switch (Position) {
    case fpDefault:
        return;
    case fpScreenCenter:
        left = (work.right - work.left - width) / 2;
        top = (work.bottom - work.top - height) / 2;
        break;
    case fpFormCenter: {
        RECT form{};
        if (ownerWindow_ == nullptr || !GetWindowRect(ownerWindow_, &form)) {
            return;
        }
        left = form.left + (form.right - form.left - width) / 2;
        top = form.top + (form.bottom - form.top - height) / 2;
        break;
    }
    case fpTopLeft:
        left = work.left;
        top = work.top;
        break;
    case fpTopRight:
        left = work.right - width - frameX;
        top = work.top;
        break;
    case fpBottomLeft:
        left = work.left;
        top = work.bottom - height - caption - frameY;
        break;
    case fpBottomRight:
        left = work.right - width - frameX;
        top = work.bottom - height - caption - frameY;
        break;
    case fpCustom: {
        POINT cursor{};
        GetCursorPos(&cursor);
        left = cursor.x;
        top = cursor.y;
        break;
    }
    }
    // Wherever the place asked for lies (the mouse near a screen edge; a corner reckoned from the client size,
    // which leaves the frame past the edge), the whole dialog stays on the work area, so its buttons can be reached.
    RECT window{};
    GetWindowRect(dialog_, &window);
    left = std::max<int>(work.left, std::min<int>(left, work.right - (window.right - window.left)));
    top = std::max<int>(work.top, std::min<int>(top, work.bottom - (window.bottom - window.top)));
    SetWindowPos(dialog_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

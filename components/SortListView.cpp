#include "components/SortListView.h"

#include "win/Handles.h"

#include "components/BaseUtils.h"
#include "components/ViewsShared.h"
#include "core/TextUtil.h"
#include "win/SystemText.h"

#include <shellapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

DWORD QueryComCtlVersion() {
    DWORD unused = 0;
    DWORD size = GetFileVersionInfoSizeW(L"COMCTL32.DLL", &unused);
    if (size == 0)
        return 0;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(L"COMCTL32.DLL", 0, size, block.data()))
        return 0;
    void* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\", &fixed, &length) || !fixed || length < sizeof(VS_FIXEDFILEINFO))
        return 0;
    return static_cast<VS_FIXEDFILEINFO*>(fixed)->dwFileVersionMS;
}

std::wstring QueryWindowsDirectory() {
    wchar_t buffer[MAX_PATH + 1] = {};
    UINT length = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    return WithTrailingBackslash(std::wstring(buffer, length <= MAX_PATH ? length : 0));
}

std::wstring QueryTempDirectory() {
    wchar_t buffer[MAX_PATH + 2] = {};
    DWORD length = GetTempPathW(MAX_PATH + 2, buffer);
    return WithTrailingBackslash(std::wstring(buffer, length <= MAX_PATH + 1 ? length : 0));
}

struct ShellIcon {
    int Index = 0;
    std::wstring TypeName;
};

// The names need not exist: with SHGFI_USEFILEATTRIBUTES the shell answers from the name and attributes alone.
ShellIcon QueryShellIcon(const std::wstring& name, DWORD attributes, UINT flags) {
    SHFILEINFOW info{};
    ShellIcon icon;
    if (SHGetFileInfoW(name.c_str(), attributes, &info, sizeof info, flags)) {
        icon.Index = info.iIcon;
        icon.TypeName = info.szTypeName;
    }
    return icon;
}

constexpr UINT kIconByAttributes = SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES;         // 0x4010
constexpr UINT kIconAndTypeByAttributes = kIconByAttributes | SHGFI_TYPENAME;            // 0x4410
constexpr DWORD kDirectoryAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_NORMAL; // 144

const ShellIcon kStdDir =
    QueryShellIcon(RemoveTrailingBackslash(QueryWindowsDirectory()), kDirectoryAttributes, kIconAndTypeByAttributes);

// The sort arrows all views share. Each view that drew them holds a reference; the last one deletes them.
struct SortArrowBitmaps {
    win::UniqueBitmap Up;
    win::UniqueBitmap Down;
    int Users = 0;
};
SortArrowBitmaps g_arrows;

HIMAGELIST g_sharedDragImages = nullptr;

// The program may carry its own pictures as bitmap resources; without them the arrow is drawn here: a grey
// triangle on a white ground. Either way the ground connected to the top-left pixel takes the button-face colour
// so the arrow sits on the header without a box around it.
win::UniqueBitmap MakeSortArrow(bool up) {
    constexpr int kSize = 16;
    win::UniqueCreatedDC dc;
    win::UniqueBitmap bitmap(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), up ? L"UPARROW2" : L"DOWNARROW2", IMAGE_BITMAP, kSize, kSize, 0)));
    const bool drawn = !bitmap;
    {
        const win::WindowDC screen(nullptr);
        dc.reset(CreateCompatibleDC(screen.get()));
        if (drawn)
            bitmap.reset(CreateCompatibleBitmap(screen.get(), kSize, kSize));
    }
    if (!bitmap || !dc)
        return {};
    {
        const win::SelectedObject selected(dc.get(), bitmap.get());
        if (drawn) {
            RECT all{0, 0, kSize, kSize};
            FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            HBRUSH ink = GetSysColorBrush(COLOR_BTNSHADOW);
            for (int step = 0; step < 6; ++step) {
                int y = up ? 5 + step : 10 - step;
                RECT row{7 - step, y, 9 + step, y + 1};
                FillRect(dc.get(), &row, ink);
            }
        }
        const win::SelectedObject face(dc.get(), GetSysColorBrush(COLOR_BTNFACE));
        ExtFloodFill(dc.get(), 0, 0, GetPixel(dc.get(), 0, 0), FLOODFILLSURFACE);
    }
    return bitmap;
}

void AcquireSortArrows() {
    if (g_arrows.Users++ == 0) {
        g_arrows.Up = MakeSortArrow(true);
        g_arrows.Down = MakeSortArrow(false);
    }
}

void ReleaseSortArrows() {
    if (g_arrows.Users > 0 && --g_arrows.Users == 0) {
        g_arrows = {};
    }
}

std::wstring FolderOf(const std::wstring& path) {
    auto end = path.find_last_of(L"\\:");
    if (end == std::wstring::npos)
        return {};
    // "C:\name" lives in the root "C:\", not in "C:" (the current folder of drive C).
    if (path[end] == L'\\' && end > 0 && path[end - 1] == L':')
        return path.substr(0, end + 1);
    return path.substr(0, path[end] == L':' ? end + 1 : end);
}

bool IsBlank(wchar_t c) {
    return c <= L' ';
}

} // namespace

// --- unit values -------------------------------------------------------------------------------------------------

const DWORD ComCtlVersion = QueryComCtlVersion();
const bool IsComCtl470 = ComCtlVersion >= 0x00040046;
const std::wstring WinDir = QueryWindowsDirectory();
const std::wstring TempDir = QueryTempDirectory();
const int DefaultFileIcon = QueryShellIcon(L"$#)(.#$)", FILE_ATTRIBUTE_NORMAL, kIconByAttributes).Index;
const int ExeFileIcon = QueryShellIcon(L".COM", FILE_ATTRIBUTE_NORMAL, kIconByAttributes).Index;
const int StdDirIcon = kStdDir.Index;
// Asked of the folder itself: answering from attributes alone, the shell may give the closed folder here.
const int StdDirSelIcon = QueryShellIcon(RemoveTrailingBackslash(WinDir), 0, SHGFI_SYSICONINDEX | SHGFI_OPENICON).Index;
const std::wstring StdDirTypeName = kStdDir.TypeName;

// --- masks and date formats ----------------------------------------------------------------------------------

std::wstring NormalizeMask(const std::wstring& Text) {
    size_t first = 0, last = Text.size();
    while (first < last && IsBlank(Text[first]))
        ++first;
    while (last > first && IsBlank(Text[last - 1]))
        --last;
    if (first == last)
        return L"*.*";
    std::wstring mask;
    mask.reserve(last - first);
    for (size_t i = first; i < last; ++i) {
        wchar_t c = (Text[i] == L' ' || Text[i] == L',') ? L';' : Text[i];
        if (c == L';' && !mask.empty() && mask.back() == L';')
            continue;
        mask.push_back(c);
    }
    return LowerCase(mask);
}

std::wstring GetNextMask(std::wstring& Rest) {
    auto end = Rest.find(L';');
    std::wstring mask = Rest.substr(0, end);
    Rest.erase(0, end == std::wstring::npos ? end : end + 1);
    return mask;
}

std::wstring FourDigitYearDateFormat(const std::wstring& ShortDateFormat) {
    const std::wstring upper = UpperCase(ShortDateFormat);
    if (upper.find(L"YYYY") != std::wstring::npos)
        return ShortDateFormat;
    if (upper.size() >= 2 && upper.compare(upper.size() - 2, 2, L"YY") == 0)
        return ShortDateFormat + L"yy";
    if (upper.compare(0, 2, L"YY") == 0)
        return L"yy" + ShortDateFormat;
    // A short year inside the picture ("MM/yy/dd") is widened where it stands.
    auto start = upper.find(L'Y');
    if (start == std::wstring::npos)
        return ShortDateFormat;
    auto end = upper.find_first_not_of(L'Y', start);
    if (end == std::wstring::npos)
        end = upper.size();
    std::wstring widened = ShortDateFormat;
    widened.replace(start, end - start, L"yyyy");
    return widened;
}

std::wstring ComposeDateTimeFormat(TDateTimeDisplay Display, const std::wstring& DateFormat,
                                   const std::wstring& LongTimeFormat, const std::wstring& ShortTimeFormat) {
    switch (Display) {
    case dtdDateTimeSec:
        return DateFormat + L"  " + LongTimeFormat;
    case dtdDateTime:
        return DateFormat + L"  " + ShortTimeFormat;
    case dtdDate:
        break;
    }
    return DateFormat;
}

std::wstring FormatDateAndTime(const std::wstring& DateFormat, const std::wstring& TimeFormat, const SYSTEMTIME& Time) {
    wchar_t buffer[256];
    const wchar_t* datePicture = DateFormat.empty() ? nullptr : DateFormat.c_str();
    DWORD dateFlags = datePicture ? 0u : static_cast<DWORD>(DATE_SHORTDATE);
    int length = GetDateFormatW(LOCALE_USER_DEFAULT, dateFlags, &Time, datePicture, buffer, 256);
    std::wstring text(buffer, length > 0 ? static_cast<size_t>(length - 1) : 0);
    if (TimeFormat.empty())
        return text;
    length = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &Time, TimeFormat.c_str(), buffer, 256);
    text += L"  ";
    text.append(buffer, length > 0 ? static_cast<size_t>(length - 1) : 0);
    return text;
}

// --- shortcuts -------------------------------------------------------------------------------------------------

std::wstring ResolveShortcut(const std::wstring& LinkFile, bool WithUI) {
    win::ComApartment apartment;
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))))
        return {};
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file)) || FAILED(file->Load(LinkFile.c_str(), STGM_READ)))
        return {};
    constexpr DWORD kSearchTimeoutMs = 1500;
    DWORD flags = SLR_NOUPDATE;
    if (!WithUI)
        flags |= SLR_NO_UI | (kSearchTimeoutMs << 16);
    if (FAILED(link->Resolve(WithUI ? GetActiveWindow() : nullptr, flags)))
        return {};
    wchar_t target[MAX_PATH] = {};
    WIN32_FIND_DATAW data{};
    if (link->GetPath(target, MAX_PATH, &data, 0) != S_OK)
        return {};
    return target;
}

bool CreateFileShortCut(const std::wstring& Target, const std::wstring& LinkName, const std::wstring& Description) {
    win::ComApartment apartment;
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))))
        return false;
    if (FAILED(link->SetPath(Target.c_str())))
        return false;
    if (FAILED(link->SetWorkingDirectory(FolderOf(Target).c_str())))
        return false;
    if (FAILED(link->SetDescription(Description.c_str())))
        return false;
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file)))
        return false;
    std::wstring name = LinkName.empty() ? Target + L".lnk" : LinkName;
    return SUCCEEDED(file->Save(name.c_str(), TRUE));
}

HIMAGELIST GlobalDragImageList() {
    return g_sharedDragImages;
}

// --- TSortListView -------------------------------------------------------------------------------------------

// The list never destroys the image lists it is given: the system lists belong to the shell, the others to the
// view. Labels are editable and one item is selectable until the derived view says otherwise.
TSortListView::TSortListView(gui::TControl* parent, std::wstring name, int left, int top, int width, int height,
                             DWORD ExtraStyle)
    : gui::TCustomListView(parent, std::move(name), left, top, width, height,
                           LVS_ICON | LVS_SHAREIMAGELISTS | LVS_SINGLESEL | LVS_EDITLABELS | ExtraStyle) {
    UpdateDateTimeFormat();

    dragImages_.reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 0, 4));
    if (!g_sharedDragImages)
        g_sharedDragImages = dragImages_.get();
    CreateSystemImageLists();
    upImages16_.reset(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1));
    upImages32_.reset(ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 1));
    if (upImages16_)
        ImageList_SetBkColor(upImages16_.get(), CLR_NONE);
    if (upImages32_)
        ImageList_SetBkColor(upImages32_.get(), CLR_NONE);
}

TSortListView::~TSortListView() {
    // The window goes first so that neither the header nor the list draws with a bitmap or list freed below.
    DestroyHandle();
    if (g_sharedDragImages && g_sharedDragImages == dragImages_.get())
        g_sharedDragImages = nullptr;
    if (holdsArrows_)
        ReleaseSortArrows();
}

void TSortListView::SetSortColumn(int Value) {
    if (Value == sortColumn_)
        return;
    sortColumn_ = Value;
    if (ItemCount() > 0)
        SortItems();
    UpdateSortArrows();
}

void TSortListView::SetSortAscending(bool Value) {
    if (Value == sortAscending_)
        return;
    sortAscending_ = Value;
    if (ItemCount() > 0)
        SortItems();
    UpdateSortArrows();
}

void TSortListView::SetShowColumnIcon(bool Value) {
    if (Value == showColumnIcon_)
        return;
    showColumnIcon_ = Value;
    UpdateSortArrows();
}

void TSortListView::SetDateTimeDisplay(TDateTimeDisplay Value) {
    if (Value == dateTimeDisplay_)
        return;
    dateTimeDisplay_ = Value;
    UpdateDateTimeFormat();
    if (Handle())
        InvalidateRect(Handle(), nullptr, TRUE);
}

void TSortListView::UpdateDateTimeFormat() {
    auto localeText = [](LCTYPE type) {
        wchar_t buffer[128] = {};
        int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 128);
        return std::wstring(buffer, length > 0 ? static_cast<size_t>(length - 1) : 0);
    };
    std::wstring longTime = localeText(LOCALE_STIMEFORMAT);
    std::wstring shortTime = localeText(LOCALE_SSHORTTIME);
    UpdateDateTimeFormat(localeText(LOCALE_SSHORTDATE), longTime, shortTime.empty() ? longTime : shortTime);
}

void TSortListView::UpdateDateTimeFormat(const std::wstring& ShortDate, const std::wstring& LongTime,
                                         const std::wstring& ShortTime) {
    dateFormat_ = FourDigitYearDateFormat(ShortDate);
    switch (dateTimeDisplay_) {
    case dtdDateTimeSec:
        timeFormat_ = LongTime;
        break;
    case dtdDateTime:
        timeFormat_ = ShortTime;
        break;
    case dtdDate:
        timeFormat_.clear();
        break;
    }
    dateTimeFormat_ = ComposeDateTimeFormat(dateTimeDisplay_, dateFormat_, LongTime, ShortTime);
}

void TSortListView::SetMask(const std::wstring& Value) {
    std::wstring mask = NormalizeMask(Value);
    if (mask != mask_)
        mask_ = std::move(mask);
}

TViewStyle TSortListView::ViewStyle() const {
    switch (GetWindowLongPtrW(Handle(), GWL_STYLE) & LVS_TYPEMASK) {
    case LVS_SMALLICON:
        return vsSmallIcon;
    case LVS_LIST:
        return vsList;
    case LVS_REPORT:
        return vsReport;
    default:
        return vsIcon;
    }
}

void TSortListView::SetViewStyle(TViewStyle Value) {
    if (Value == ViewStyle())
        return;
    static constexpr DWORD kTypes[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    SetWindowLongPtrW(Handle(), GWL_STYLE, (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | kTypes[Value]);
    if (Value == vsReport)
        UpdateSortArrows();
}

void TSortListView::SetShowColumnHeaders(bool Value) {
    if (Value == ShowColumnHeaders())
        return;
    SetStyle(LVS_NOCOLUMNHEADER, !Value);
    arrowsDrawn_ = false;
}

bool TSortListView::HasStyle(DWORD bit) const {
    return Handle() && (GetWindowLongPtrW(Handle(), GWL_STYLE) & static_cast<LONG_PTR>(bit)) != 0;
}

void TSortListView::SetStyle(DWORD bit, bool on) {
    if (!Handle() || HasStyle(bit) == on)
        return;
    LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    style = on ? (style | static_cast<LONG_PTR>(bit)) : (style & ~static_cast<LONG_PTR>(bit));
    SetWindowLongPtrW(Handle(), GWL_STYLE, style);
    InvalidateRect(Handle(), nullptr, TRUE);
}

bool TSortListView::HasExStyle(DWORD bit) const {
    return Handle() && (ListView_GetExtendedListViewStyle(Handle()) & bit) != 0;
}

HIMAGELIST TSortListView::SmallImages() const {
    return ListView_GetImageList(Handle(), LVSIL_SMALL);
}
HIMAGELIST TSortListView::LargeImages() const {
    return ListView_GetImageList(Handle(), LVSIL_NORMAL);
}

void TSortListView::CreateSystemImageLists() {
    if (!SmallImages()) {
        if (HIMAGELIST list = SystemImageList(SHGFI_SMALLICON))
            ListView_SetImageList(Handle(), list, LVSIL_SMALL);
    }
    if (!LargeImages()) {
        if (HIMAGELIST list = SystemImageList(SHGFI_LARGEICON))
            ListView_SetImageList(Handle(), list, LVSIL_NORMAL);
    }
}

void TSortListView::HeaderEndDrag() {
    RunNotify(OnHeaderEndDrag);
}

void TSortListView::ColumnClicked(int Column) {
    if (Column == sortColumn_)
        sortAscending_ = !sortAscending_;
    sortColumn_ = Column;
    if (ItemCount() > 0)
        SortItems();
    UpdateSortArrows();
}

void TSortListView::UpdateSortArrows() {
    HWND header = HeaderHandle();
    if (!Handle() || !header || !ShowColumnHeaders())
        return;
    if (showColumnIcon_ && !holdsArrows_) {
        AcquireSortArrows();
        holdsArrows_ = true;
    }
    HBITMAP arrow = sortAscending_ ? g_arrows.Down.get() : g_arrows.Up.get();
    int count = Header_GetItemCount(header);
    for (int column = 0; column < count; ++column) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        if (!Header_GetItem(header, column, &item))
            continue;
        if (column == sortColumn_ && showColumnIcon_) {
            item.fmt |= HDF_BITMAP;
            // A left-aligned caption keeps its place; the arrow goes to the far side.
            if ((item.fmt & HDF_JUSTIFYMASK) == HDF_LEFT)
                item.fmt |= HDF_BITMAP_ON_RIGHT;
            item.hbm = arrow;
        } else {
            item.fmt &= ~HDF_BITMAP;
            item.hbm = nullptr;
        }
        item.mask = HDI_FORMAT | HDI_BITMAP;
        Header_SetItem(header, column, &item);
    }
    arrowsDrawn_ = true;
    arrowsColumns_ = count;
}

bool TSortListView::HandleNotify(NMHDR* header, LRESULT& result) {
    if (header->code == LVN_COLUMNCLICK)
        ColumnClicked(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
    return gui::TCustomListView::HandleNotify(header, result);
}

LRESULT TSortListView::HandleHeaderMessage(NMHDR* header, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (header->code) {
    case HDN_ENDTRACKA:
    case HDN_ENDTRACKW: {
        UpdateSortArrows();
        arrowsDrawn_ = false;
        LRESULT result = gui::TCustomListView::WndProc(msg, wParam, lParam);
        RunNotify(OnHeaderEndTrack);
        return result;
    }
    case HDN_DIVIDERDBLCLICKA:
    case HDN_DIVIDERDBLCLICKW: {
        // The list sizes the column to its contents and learns the new width from the header by itself.
        LRESULT result = gui::TCustomListView::WndProc(msg, wParam, lParam);
        RunNotify(OnHeaderEndTrack);
        UpdateSortArrows();
        arrowsDrawn_ = false;
        return result;
    }
    case HDN_ENDDRAG:
        HeaderEndDrag();
        InvalidateRect(Handle(), nullptr, TRUE);
        return FALSE; // let the header take the column to its new place
    default:
        return gui::TCustomListView::WndProc(msg, wParam, lParam);
    }
}

LRESULT TSortListView::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        HWND own = HeaderHandle();
        if (header && own && header->hwndFrom == own)
            return HandleHeaderMessage(header, msg, wParam, lParam);
    } else if (msg == WM_PAINT) {
        LRESULT result = gui::TCustomListView::WndProc(msg, wParam, lParam);
        // Columns added since the last drawing have no arrow state yet either.
        bool stale = !arrowsDrawn_ || arrowsColumns_ != ColumnCount();
        if (stale && ViewStyle() == vsReport && ShowColumnHeaders())
            UpdateSortArrows();
        return result;
    }
    return gui::TCustomListView::WndProc(msg, wParam, lParam);
}

// The sortable list view in a form: header clicks set the sort column and direction, the derived view's order
// follows, the arrow is drawn into the sorted column's header item, header tracking and dragging raise the
// events, and the system image lists are bound.
#include "components/SortListView.h"

#include "gui/Form.h"
#include "support/GuiDriver.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace {

using Row = std::array<std::wstring, 2>;

// A derived view as the directory view is one: it orders its rows by the sort column, numbers by value.
class TTestSortView : public TSortListView {
public:
    using TSortListView::TSortListView;

    void Fill(const std::vector<Row>& rows) {
        rows_ = rows;
        ClearItems();
        for (size_t i = 0; i < rows_.size(); ++i) {
            int item = AddItem(rows_[i][0], static_cast<LPARAM>(i));
            SetItemText(item, 1, rows_[i][1]);
        }
    }
    std::vector<std::wstring> Column0() const {
        std::vector<std::wstring> names;
        for (int i = 0; i < ItemCount(); ++i)
            names.push_back(ItemText(i, 0));
        return names;
    }
    int SortCalls = 0;

protected:
    void SortItems() override {
        ++SortCalls;
        int column = SortColumn();
        bool ascending = SortAscending();
        CustomSort([this, column, ascending](LPARAM a, LPARAM b) {
            const auto& left = rows_[static_cast<size_t>(a)];
            const auto& right = rows_[static_cast<size_t>(b)];
            int order = column == 1
                            ? (std::stoi(left[1]) > std::stoi(right[1])) - (std::stoi(left[1]) < std::stoi(right[1]))
                            : left[0].compare(right[0]);
            return ascending ? order : -order;
        });
    }

private:
    std::vector<Row> rows_;
};

class TTestForm : public gui::TForm {
public:
    TTestForm() : gui::TForm(L"TSortLvTestForm", L"SortLvForm") {
        SetCaption(L"Sorted list");
        SetClientSize(440, 260);
    }
};

const std::vector<Row> kRows = {
    {L"delta.ps", L"300"}, {L"alpha.ps", L"4000"}, {L"charlie.prn", L"20"}, {L"bravo.ps", L"1000"}};

struct HeaderState {
    int fmt = 0;
    HBITMAP bitmap = nullptr;
};

HeaderState ReadHeader(HWND header, int column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT | HDI_BITMAP;
    Header_GetItem(header, column, &item);
    return {item.fmt, item.hbm};
}

// Which way the arrow in a 16x16 bitmap points, read from its pixels: the ink rows (not the button face) are
// widest at the bottom for an up arrow and at the top for a down arrow. Also tells whether the ground was turned
// to the button-face colour.
enum class Pointing { None, Up, Down };
struct ArrowPicture {
    Pointing pointing = Pointing::None;
    bool faceGround = false;
};

ArrowPicture ReadArrow(HBITMAP bitmap) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 16;
    info.bmiHeader.biHeight = -16; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(256);
    HDC screen = GetDC(nullptr);
    int lines = GetDIBits(screen, bitmap, 0, 16, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    ArrowPicture picture;
    if (lines != 16)
        return picture;
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    DWORD faceBgr = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
    picture.faceGround = (pixels[0] & 0xFFFFFF) == faceBgr;
    int firstWidth = -1, lastWidth = -1;
    for (int y = 0; y < 16; ++y) {
        int width = 0;
        for (int x = 0; x < 16; ++x)
            width += (pixels[static_cast<size_t>(y * 16 + x)] & 0xFFFFFF) != faceBgr;
        if (width == 0)
            continue;
        if (firstWidth < 0)
            firstWidth = width;
        lastWidth = width;
    }
    if (firstWidth > 0 && firstWidth != lastWidth)
        picture.pointing = firstWidth < lastWidth ? Pointing::Up : Pointing::Down;
    return picture;
}

// Destroying a shown top-level window costs Wine seconds without a window manager, so one form serves the
// suite and each test gets a fresh view in it.
class SortListViewInForm : public testing::Test {
protected:
    static void SetUpTestSuite() {
        form = std::make_unique<TTestForm>();
        form->Show();
    }
    static void TearDownTestSuite() { form.reset(); }

    void SetUp() override {
        list = std::make_unique<TTestSortView>(form.get(), L"FileList", 10, 10, 420, 240);
        view().SetViewStyle(vsReport);
        view().AddColumn(L"Name", 180, LVCFMT_LEFT);
        view().AddColumn(L"Size", 100, LVCFMT_RIGHT);
        view().OnColumnClick = [this](gui::TComponent*, int column) { clickedColumns.push_back(column); };
        view().Fill(kRows);
        ShowWindow(view().Handle(), SW_SHOW);
        PumpPaint();
    }
    void TearDown() override { list.reset(); }

    TTestSortView& view() { return *list; }
    HWND header() { return view().HeaderHandle(); }

    void PumpPaint() {
        RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        guidriver::PumpThreadMessages();
    }

    // A left click in the middle of a header item, as the mouse gives it.
    void ClickHeader(int column) {
        RECT r{};
        ASSERT_TRUE(Header_GetItemRect(header(), column, &r));
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageW(header(), WM_MOUSEMOVE, 0, at);
        SendMessageW(header(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(header(), WM_LBUTTONUP, 0, at);
        guidriver::PumpThreadMessages();
    }

    static std::unique_ptr<TTestForm> form;
    std::unique_ptr<TTestSortView> list;
    std::vector<int> clickedColumns;
};

std::unique_ptr<TTestForm> SortListViewInForm::form;

TEST_F(SortListViewInForm, StartsSortedByTheFirstColumnAscending) {
    EXPECT_EQ(view().SortColumn(), 0);
    EXPECT_TRUE(view().SortAscending());
    EXPECT_TRUE(view().ShowColumnIcon());
    EXPECT_EQ(view().Mask(), L"*.*");
    EXPECT_EQ(view().DateTimeDisplay(), dtdDateTimeSec);
    // The first paint in report style drew the arrow into column 0 (left aligned: bitmap on the right).
    EXPECT_TRUE(view().ArrowsDrawn());
    HeaderState name = ReadHeader(header(), 0);
    EXPECT_TRUE(name.fmt & HDF_BITMAP);
    EXPECT_TRUE(name.fmt & HDF_BITMAP_ON_RIGHT);
    EXPECT_EQ(ReadArrow(name.bitmap).pointing, Pointing::Down);
    EXPECT_FALSE(ReadHeader(header(), 1).fmt & HDF_BITMAP);
}

TEST_F(SortListViewInForm, HeaderClickSortsByThatColumnKeepingTheDirection) {
    ClickHeader(1);
    ASSERT_EQ(clickedColumns, std::vector<int>{1});
    EXPECT_EQ(view().SortColumn(), 1);
    EXPECT_TRUE(view().SortAscending());
    EXPECT_EQ(view().Column0(), (std::vector<std::wstring>{L"charlie.prn", L"delta.ps", L"bravo.ps", L"alpha.ps"}));

    HeaderState size = ReadHeader(header(), 1);
    EXPECT_TRUE(size.fmt & HDF_BITMAP);
    EXPECT_FALSE(size.fmt & HDF_BITMAP_ON_RIGHT) << "a right-aligned caption keeps the arrow on the left";
    EXPECT_EQ(size.fmt & HDF_JUSTIFYMASK, HDF_RIGHT);
    ArrowPicture arrow = ReadArrow(size.bitmap);
    EXPECT_EQ(arrow.pointing, Pointing::Down);
    EXPECT_TRUE(arrow.faceGround);
    EXPECT_FALSE(ReadHeader(header(), 0).fmt & HDF_BITMAP);
}

TEST_F(SortListViewInForm, SecondClickFlipsTheDirectionAndThirdReturns) {
    ClickHeader(1);
    ClickHeader(1);
    EXPECT_EQ(view().SortColumn(), 1);
    EXPECT_FALSE(view().SortAscending());
    EXPECT_EQ(view().Column0(), (std::vector<std::wstring>{L"alpha.ps", L"bravo.ps", L"delta.ps", L"charlie.prn"}));
    EXPECT_EQ(ReadArrow(ReadHeader(header(), 1).bitmap).pointing, Pointing::Up);

    ClickHeader(0); // another column keeps the (descending) direction
    EXPECT_EQ(view().SortColumn(), 0);
    EXPECT_FALSE(view().SortAscending());
    EXPECT_EQ(view().Column0(), (std::vector<std::wstring>{L"delta.ps", L"charlie.prn", L"bravo.ps", L"alpha.ps"}));

    ClickHeader(0);
    EXPECT_TRUE(view().SortAscending());
    EXPECT_EQ(view().Column0(), (std::vector<std::wstring>{L"alpha.ps", L"bravo.ps", L"charlie.prn", L"delta.ps"}));
    EXPECT_EQ(ReadArrow(ReadHeader(header(), 0).bitmap).pointing, Pointing::Down);
    EXPECT_EQ(clickedColumns, (std::vector<int>{1, 1, 0, 0}));
}

TEST_F(SortListViewInForm, SettersSortOnlyOnChangeAndOnlyWithItems) {
    int before = view().SortCalls;
    view().SetSortColumn(0);
    view().SetSortAscending(true);
    EXPECT_EQ(view().SortCalls, before);
    view().SetSortAscending(false);
    EXPECT_EQ(view().SortCalls, before + 1);
    EXPECT_EQ(view().Column0().front(), L"delta.ps");
    EXPECT_EQ(ReadArrow(ReadHeader(header(), 0).bitmap).pointing, Pointing::Up);

    view().ClearItems();
    view().SetSortColumn(1);
    EXPECT_EQ(view().SortCalls, before + 1);
    EXPECT_TRUE(ReadHeader(header(), 1).fmt & HDF_BITMAP);
    EXPECT_FALSE(ReadHeader(header(), 0).fmt & HDF_BITMAP);
}

TEST_F(SortListViewInForm, ShowColumnIconOffClearsTheArrow) {
    view().SetShowColumnIcon(false);
    EXPECT_FALSE(ReadHeader(header(), 0).fmt & HDF_BITMAP);
    EXPECT_FALSE(ReadHeader(header(), 1).fmt & HDF_BITMAP);
    ClickHeader(1);
    EXPECT_EQ(view().SortColumn(), 1);
    EXPECT_FALSE(ReadHeader(header(), 1).fmt & HDF_BITMAP);
    view().SetShowColumnIcon(true);
    EXPECT_TRUE(ReadHeader(header(), 1).fmt & HDF_BITMAP);
}

TEST_F(SortListViewInForm, DraggingADividerRaisesEndTrackAndArrowsComeBackOnPaint) {
    int tracked = 0;
    view().OnHeaderEndTrack = [&](gui::TComponent* sender) {
        EXPECT_EQ(sender, &view());
        ++tracked;
    };
    RECT r{};
    ASSERT_TRUE(Header_GetItemRect(header(), 0, &r));
    int y = (r.top + r.bottom) / 2;
    SendMessageW(header(), WM_MOUSEMOVE, 0, MAKELPARAM(r.right - 1, y));
    SendMessageW(header(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.right - 1, y));
    SendMessageW(header(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(r.right + 40, y));
    SendMessageW(header(), WM_LBUTTONUP, 0, MAKELPARAM(r.right + 40, y));
    ASSERT_EQ(tracked, 1);
    EXPECT_GT(ListView_GetColumnWidth(view().Handle(), 0), 180);
    EXPECT_FALSE(view().ArrowsDrawn());
    InvalidateRect(view().Handle(), nullptr, TRUE);
    PumpPaint();
    EXPECT_TRUE(view().ArrowsDrawn());
    EXPECT_TRUE(ReadHeader(header(), 0).fmt & HDF_BITMAP);
}

TEST_F(SortListViewInForm, HeaderEndDragRaisesTheEvent) {
    int dragged = 0;
    view().OnHeaderEndDrag = [&](gui::TComponent*) { ++dragged; };
    NMHEADERW nm{};
    nm.hdr.hwndFrom = header();
    nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(header()));
    nm.hdr.code = HDN_ENDDRAG;
    nm.iItem = 1;
    HDITEMW item{};
    item.mask = HDI_ORDER;
    item.iOrder = 0;
    nm.pitem = &item;
    EXPECT_EQ(SendMessageW(view().Handle(), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm)), FALSE);
    EXPECT_EQ(dragged, 1);

    // Notifications from other windows are not the header's.
    nm.hdr.hwndFrom = form->Handle();
    SendMessageW(view().Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&nm));
    EXPECT_EQ(dragged, 1);
}

TEST_F(SortListViewInForm, ViewStyleRoundTripsAndReportRedrawsArrows) {
    for (TViewStyle style : {vsIcon, vsSmallIcon, vsList, vsReport}) {
        view().SetViewStyle(style);
        EXPECT_EQ(view().ViewStyle(), style);
    }
    view().SetSortColumn(1);
    EXPECT_TRUE(ReadHeader(header(), 1).fmt & HDF_BITMAP);
}

TEST_F(SortListViewInForm, DesignSwitchesReachTheWindowStyle) {
    EXPECT_FALSE(view().MultiSelect());
    view().SetMultiSelect(true);
    EXPECT_TRUE(view().MultiSelect());
    EXPECT_FALSE(GetWindowLongPtrW(view().Handle(), GWL_STYLE) & LVS_SINGLESEL);
    EXPECT_FALSE(view().ReadOnly());
    view().SetRowSelect(true);
    EXPECT_TRUE(view().RowSelect());
    view().SetGridLines(true);
    EXPECT_TRUE(ListView_GetExtendedListViewStyle(view().Handle()) & LVS_EX_GRIDLINES);
    EXPECT_TRUE(view().ShowColumnHeaders());
    view().SetShowColumnHeaders(false);
    EXPECT_TRUE(GetWindowLongPtrW(view().Handle(), GWL_STYLE) & LVS_NOCOLUMNHEADER);
    EXPECT_FALSE(view().ArrowsDrawn());
}

TEST_F(SortListViewInForm, MaskIsKeptNormalised) {
    view().SetMask(L" *.PS, *.PRN ");
    EXPECT_EQ(view().Mask(), L"*.ps;*.prn");
    view().SetMask(L"");
    EXPECT_EQ(view().Mask(), L"*.*");
}

TEST_F(SortListViewInForm, DateTimeDisplayPicksThePicture) {
    view().UpdateDateTimeFormat(L"dd.MM.yy", L"HH:mm:ss", L"HH:mm");
    EXPECT_EQ(view().DateFormat(), L"dd.MM.yyyy");
    EXPECT_EQ(view().DateTimeFormat(), L"dd.MM.yyyy  HH:mm:ss");
    SYSTEMTIME t{};
    t.wYear = 2007;
    t.wMonth = 11;
    t.wDay = 30;
    t.wHour = 8;
    t.wMinute = 5;
    t.wSecond = 59;
    EXPECT_EQ(view().FormatDateTime(t), L"30.11.2007  08:05:59");

    // A change of display rebuilds the pictures from the user's locale, always with a four-digit year.
    for (TDateTimeDisplay display : {dtdDate, dtdDateTime, dtdDateTimeSec}) {
        view().SetDateTimeDisplay(display);
        EXPECT_EQ(view().DateTimeDisplay(), display);
        std::wstring text = view().FormatDateTime(t);
        EXPECT_NE(text.find(L"2007"), std::wstring::npos) << std::string(text.begin(), text.end());
        EXPECT_EQ(text.find(L"59") != std::wstring::npos, display == dtdDateTimeSec);
        EXPECT_EQ(view().DateTimeFormat().find(L"  ") != std::wstring::npos, display != dtdDate);
    }
}

TEST_F(SortListViewInForm, BindsTheSystemImageListsAndSharesTheDragList) {
    SHFILEINFOW info{};
    auto small =
        reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(L"", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    auto large = reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(L"", 0, &info, sizeof info, SHGFI_SYSICONINDEX));
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(view().SmallImages(), small);
    EXPECT_EQ(view().LargeImages(), large);
    EXPECT_TRUE(GetWindowLongPtrW(view().Handle(), GWL_STYLE) & LVS_SHAREIMAGELISTS);
    ASSERT_NE(view().DragImages(), nullptr);
    EXPECT_EQ(GlobalDragImageList(), view().DragImages());
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(view().UpImages32(), &cx, &cy));
    EXPECT_EQ(cx, 32);
    EXPECT_EQ(ImageList_GetBkColor(view().UpImages16()), CLR_NONE);

    {
        TTestSortView second(form.get(), L"Second", 0, 0, 50, 50);
        EXPECT_EQ(GlobalDragImageList(), view().DragImages()) << "the first view's list stays the shared one";
    }
    EXPECT_EQ(GlobalDragImageList(), view().DragImages());
    list.reset();
    EXPECT_EQ(GlobalDragImageList(), nullptr);
    // The system lists outlive every view.
    EXPECT_EQ(ImageList_GetImageCount(small) > 0, true);
}

TEST_F(SortListViewInForm, SharedArrowBitmapsOutliveTheFirstOfTwoViews) {
    auto second = std::make_unique<TTestSortView>(form.get(), L"Second", 0, 0, 100, 60);
    second->SetViewStyle(vsReport);
    second->AddColumn(L"Name", 100);
    second->UpdateSortArrows();
    HBITMAP arrow = ReadHeader(second->HeaderHandle(), 0).bitmap;
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow, ReadHeader(header(), 0).bitmap) << "one bitmap for all views";
    list.reset();
    EXPECT_EQ(GetObjectType(arrow), static_cast<DWORD>(OBJ_BITMAP)) << "the second view still shows it";
    EXPECT_EQ(ReadArrow(arrow).pointing, Pointing::Down);
    second.reset();
    EXPECT_EQ(GetObjectType(arrow), 0u) << "the last view deletes it";
}

} // namespace

namespace {

// Not a check: shows a sorted list for a screenshot while OSTREL_SORTLV_GALLERY_MS names how long.
TEST(SortListViewGallery, ShowsASortedList) {
    wchar_t text[32] = {};
    if (!GetEnvironmentVariableW(L"OSTREL_SORTLV_GALLERY_MS", text, 32))
        GTEST_SKIP() << "gallery not asked for";
    DWORD showMs = static_cast<DWORD>(_wtoi(text));
    TTestForm gallery;
    gallery.SetCaption(L"Sorted by size, descending");
    gallery.SetBounds(40, 40, 470, 300);
    TTestSortView view(&gallery, L"Gallery", 10, 10, 430, 240);
    view.SetViewStyle(vsReport);
    view.SetRowSelect(true);
    view.AddColumn(L"Name", 200, LVCFMT_LEFT);
    view.AddColumn(L"Size", 120, LVCFMT_RIGHT);
    view.Fill(kRows);
    for (int i = 0; i < view.ItemCount(); ++i) {
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        item.iImage = view.ItemText(i, 0).ends_with(L".prn") ? ExeFileIcon : DefaultFileIcon;
        ListView_SetItem(view.Handle(), &item);
    }
    gallery.Show();
    for (int click = 0; click < 2; ++click) {
        NMLISTVIEW nm{};
        nm.hdr.hwndFrom = view.Handle();
        nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(view.Handle()));
        nm.hdr.code = LVN_COLUMNCLICK;
        nm.iItem = -1;
        nm.iSubItem = 1;
        SendMessageW(gallery.Handle(), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    }
    EXPECT_FALSE(view.SortAscending());
    DWORD until = GetTickCount() + showMs;
    guidriver::PumpUntil([&] { return GetTickCount() >= until; }, showMs + 1000);
}

} // namespace

// A folder of 10,000 files: the load, a refresh that finds nothing changed, a refresh that finds a little
// changed, and re-sorting, each keeping the selection and the focus with their entries. The times go to the test
// log so that runs can be compared.
#include "DirViewFixture.h"

#include "support/GuiDriver.h"

#include <commctrl.h>

#include <chrono>
#include <cstdio>

namespace dirviewtest {
namespace {

constexpr int kFiles = 10000;

std::wstring FileName(int i) {
    wchar_t name[32];
    swprintf(name, 32, L"f%05d.ps", i);
    return name;
}

// Sizes that do not follow the names: 0..96 bytes, so the size order differs from the name order.
size_t SizeOf(int i) {
    return static_cast<size_t>((i * 37) % 97);
}

void Touch(const std::filesystem::path& file, size_t size) {
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    if (size > 0) {
        std::string bytes(size, 'x');
        DWORD written = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(size), &written, nullptr);
    }
    CloseHandle(h);
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

class LargeFolderTest : public DirViewTest {
protected:
    static void SetUpTestSuite() {
        DirViewTest::SetUpTestSuite();
        big = std::make_unique<testenv::TempDir>(L"big");
        for (int i = 0; i < kFiles; ++i)
            Touch(*big / FileName(i), SizeOf(i));
        std::filesystem::create_directory(*big / L"folder");
    }
    static void TearDownTestSuite() {
        big.reset();
        DirViewTest::TearDownTestSuite();
    }
    void SetUp() override {
        DirViewTest::SetUp();
        view->SetMultiSelect(true);
    }

    std::wstring BigFolder() const { return big->path().wstring(); }
    int TopIndex() const { return ListView_GetTopIndex(view->Handle()); }
    int Focused() const { return ListView_GetNextItem(view->Handle(), -1, LVNI_FOCUSED); }
    std::vector<std::wstring> SelectedNames() const {
        std::vector<std::wstring> names;
        for (int i = view->FirstSelectedIndex(); i >= 0; i = ListView_GetNextItem(view->Handle(), i, LVNI_SELECTED))
            names.push_back(view->ItemCaption(i));
        return names;
    }
    // Loads the folder and leaves it painted, as a user sees it.
    double LoadAndPaint() {
        auto start = std::chrono::steady_clock::now();
        view->SetPath(BigFolder());
        UpdateWindow(view->Handle());
        return MillisecondsSince(start);
    }

    static std::unique_ptr<testenv::TempDir> big;
};

std::unique_ptr<testenv::TempDir> LargeFolderTest::big;

TEST_F(LargeFolderTest, LoadsEveryEntryInNameOrder) {
    double ms = LoadAndPaint();
    std::printf("[ timing ] load of %d files, painted: %.1f ms\n", kFiles, ms);
    ASSERT_EQ(view->ItemCount(), kFiles + 2); // "..", the folder and the files
    EXPECT_EQ(ListView_GetItemCount(view->Handle()), kFiles + 2);
    EXPECT_EQ(view->ItemCaption(0), L"..");
    EXPECT_EQ(view->ItemCaption(1), L"folder");
    EXPECT_EQ(view->ItemCaption(2), FileName(0));
    EXPECT_EQ(view->ItemCaption(2 + 4321), FileName(4321));
    EXPECT_EQ(view->ItemCaption(kFiles + 1), FileName(kFiles - 1));
    std::int64_t total = 0;
    for (int i = 0; i < kFiles; ++i)
        total += static_cast<std::int64_t>(SizeOf(i));
    EXPECT_EQ(view->FilesSize(), total);
}

TEST_F(LargeFolderTest, RefreshThatFindsNothingChangedKeepsSelectionFocusAndScrollPosition) {
    LoadAndPaint();
    const int first = view->FindFileItem(FileName(5000));
    view->SetItemSelected(view->FindFileItem(FileName(4990)), true);
    view->SetItemSelected(first, true);
    ListView_SetItemState(view->Handle(), first, LVIS_FOCUSED, LVIS_FOCUSED);
    ListView_EnsureVisible(view->Handle(), kFiles, FALSE);
    ListView_EnsureVisible(view->Handle(), first - 3, FALSE);
    UpdateWindow(view->Handle());
    const std::wstring type = view->CellText(first, 2); // fetched from the shell as the row is drawn
    const int top = TopIndex();
    const std::vector<std::wstring> selected = SelectedNames();
    const std::int64_t selectedSize = view->FilesSelSize();
    ASSERT_EQ(selected.size(), 2u);
    ASSERT_GT(top, 0);

    auto start = std::chrono::steady_clock::now();
    view->Reload(true);
    UpdateWindow(view->Handle());
    std::printf("[ timing ] refresh of %d files, nothing changed: %.1f ms\n", kFiles, MillisecondsSince(start));

    EXPECT_EQ(view->ItemCount(), kFiles + 2);
    EXPECT_EQ(SelectedNames(), selected);
    EXPECT_EQ(view->ItemCaption(Focused()), FileName(5000));
    EXPECT_EQ(TopIndex(), top);
    EXPECT_EQ(view->FilesSelSize(), selectedSize);
    // The entries stay as they were: what was fetched for them is not asked for again.
    EXPECT_FALSE(view->ItemRec(first)->Empty);
    EXPECT_EQ(view->ItemRec(first)->TypeName, type);
}

TEST_F(LargeFolderTest, RefreshThatFindsChangesKeepsTheSelectionByName) {
    LoadAndPaint();
    view->SetItemSelected(view->FindFileItem(FileName(10)), true);
    view->SetItemSelected(view->FindFileItem(FileName(20)), true);
    view->SetItemSelected(view->FindFileItem(FileName(9000)), true);
    view->FocusItem(view->FindFileItem(FileName(9000)));
    ASSERT_TRUE(DeleteFileW((*big / FileName(10)).c_str()));
    Touch(*big / L"f00015a.ps", 5);

    view->Reload(true);
    EXPECT_EQ(view->ItemCount(), kFiles + 2);
    EXPECT_EQ(view->FindFileItem(FileName(10)), -1);
    EXPECT_EQ(view->ItemCaption(view->FindFileItem(FileName(15)) + 1), L"f00015a.ps");
    EXPECT_EQ(SelectedNames(), (std::vector<std::wstring>{FileName(20), FileName(9000)}));
    EXPECT_EQ(view->ItemCaption(Focused()), FileName(9000));
    EXPECT_EQ(view->FilesSelSize(), static_cast<std::int64_t>(SizeOf(20)) + static_cast<std::int64_t>(SizeOf(9000)));

    // Back as it was for the other cases.
    Touch(*big / FileName(10), SizeOf(10));
    DeleteFileW((*big / L"f00015a.ps").c_str());
}

TEST_F(LargeFolderTest, SortingByEveryColumnKeepsTheSelectionWithItsEntries) {
    LoadAndPaint();
    view->SetItemSelected(view->FindFileItem(FileName(1234)), true);
    view->FocusItem(view->FindFileItem(FileName(1234)));
    for (int column : {1, 2, 3, 4, 0}) {
        for (bool ascending : {false, true}) {
            auto start = std::chrono::steady_clock::now();
            view->SetSortColumn(column);
            view->SetSortAscending(ascending);
            std::printf("[ timing ] sort of %d files by column %d %s: %.1f ms\n", kFiles, column,
                        ascending ? "ascending" : "descending", MillisecondsSince(start));
            EXPECT_EQ(view->ItemCaption(0), L"..");
            EXPECT_EQ(SelectedNames(), std::vector<std::wstring>{FileName(1234)}) << column;
            EXPECT_EQ(view->ItemCaption(Focused()), FileName(1234)) << column;
            if (column == 1) {
                // Files in size order, the folder before them ascending and after them descending.
                int firstFile = ascending ? 2 : 1;
                for (int i = firstFile + 1; i < firstFile + kFiles; ++i) {
                    const TFileRec* a = view->ItemRec(i - 1);
                    const TFileRec* b = view->ItemRec(i);
                    ASSERT_TRUE(ascending ? a->Size <= b->Size : a->Size >= b->Size) << i;
                }
            }
        }
    }
}

// The selection as the view reports it, item by item, against the list control's own answer.
void ExpectSelectionAsTheControlHasIt(const TDirView& view) {
    int selected = 0;
    for (int i = 0; i < view.ItemCount(); ++i) {
        const bool shown = ListView_GetItemState(view.Handle(), i, LVIS_SELECTED) != 0;
        selected += shown ? 1 : 0;
        ASSERT_EQ(view.ItemSelected(i), shown) << i;
    }
    EXPECT_EQ(selected, view.SelCount());
}

TEST_F(LargeFolderTest, EveryItemsSelectionReadsAsTheListHasIt) {
    LoadAndPaint();
    view->SetItemSelected(3, true);
    view->SetItemSelected(9000, true);
    ListView_SetItemState(view->Handle(), 5000, LVIS_SELECTED, LVIS_SELECTED); // not through the view
    ExpectSelectionAsTheControlHasIt(*view);

    auto start = std::chrono::steady_clock::now();
    int count = 0;
    for (int i = 0; i < view->ItemCount(); ++i)
        count += view->ItemSelected(i) ? 1 : 0;
    std::printf("[ timing ] selection of %d items read one by one: %.1f ms\n", view->ItemCount(),
                MillisecondsSince(start));
    EXPECT_EQ(count, 3);

    // A click with Shift selects a range inside the control; the view reads it from there.
    ListView_SetSelectionMark(view->Handle(), 3);
    RECT row{};
    ASSERT_TRUE(ListView_GetItemRect(view->Handle(), 7, &row, LVIR_LABEL));
    const LPARAM at = MAKELPARAM(row.left + 4, (row.top + row.bottom) / 2);
    PostMessageW(view->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, at);
    PostMessageW(view->Handle(), WM_LBUTTONUP, MK_SHIFT, at);
    ASSERT_TRUE(guidriver::PumpUntil([&] { return ListView_GetSelectedCount(view->Handle()) >= 5; }, 5000));
    ExpectSelectionAsTheControlHasIt(*view);
    // The selected size follows the range too.
    std::int64_t size = 0;
    for (int i = view->FirstSelectedIndex(); i >= 0; i = ListView_GetNextItem(view->Handle(), i, LVNI_SELECTED))
        size += view->ItemRec(i)->Size;
    EXPECT_EQ(view->FilesSelSize(), size);

    view->SetItemSelected(5, false);
    view->ClearSelection();
    view->SetItemSelected(6, true);
    ExpectSelectionAsTheControlHasIt(*view);
    EXPECT_EQ(view->SelCount(), 1);
}

} // namespace
} // namespace dirviewtest

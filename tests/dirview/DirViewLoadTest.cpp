// A directory list view in a form listing real folders: items with sizes, times, attributes and icons, the
// columns, sorting, masks, attribute filters, the ".." item, reloading and the incremental update.
#include "DirViewFixture.h"

#include "components/BaseUtils.h"
#include "support/GuiDriver.h"

#include <shellapi.h>

#include <algorithm>
#include <set>

namespace dirviewtest {
namespace {

std::string Narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w)
        s.push_back(c < 128 ? static_cast<char>(c) : '?');
    return s;
}

std::wstring HeaderText(HWND header, int column) {
    wchar_t text[128] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 128;
    Header_GetItem(header, column, &item);
    return text;
}

TEST_F(DirViewTest, ListsFilesAndFoldersWithSizesTimesAttributesAndIcons) {
    FillStandardFolder();
    view->SetPath(Folder() + L"\\");
    EXPECT_EQ(view->Path(), Folder());
    EXPECT_TRUE(view->DirOK());
    EXPECT_FALSE(view->Loading());
    EXPECT_EQ(started, 1);
    EXPECT_EQ(loaded, 1);
    EXPECT_EQ(updated, 1);
    EXPECT_EQ(Captions(),
              (std::vector<std::wstring>{L"..", L"sub1", L"Sub2", L"a.ps", L"big.pdf", L"readme", L"ro.txt"}));
    EXPECT_EQ(view->FilesSize(), 1234 + 1234567 + 10);

    int a = IndexOf(L"a.ps");
    const TFileRec* rec = view->ItemRec(a);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->FileExt, L"PS");
    EXPECT_EQ(rec->Size, 1234);
    EXPECT_FALSE(rec->IsDirectory);
    FILETIME written = Utc(2021, 3, 4);
    EXPECT_EQ(CompareFileTime(&rec->FileTime, &written), 0);
    EXPECT_EQ(rec->Attr, GetFileAttributesW((*folder / L"a.ps").c_str()));

    EXPECT_EQ(view->CellText(a, 0), L"a.ps");
    EXPECT_EQ(view->CellText(a, 1), FormatWithThousands64(1234));
    EXPECT_EQ(view->CellText(IndexOf(L"big.pdf"), 1), FormatWithThousands64(1234567));
    EXPECT_EQ(view->CellText(IndexOf(L"readme"), 1), L"0");
    EXPECT_EQ(view->CellText(IndexOf(L"sub1"), 1), L"");
    EXPECT_EQ(view->CellText(IndexOf(L"sub1"), 2), L"<DIR>");
    EXPECT_EQ(view->CellText(0, 2), L"<DIR>");
    // The date column shows the local time with a four-digit year.
    std::wstring date = view->CellText(a, 3);
    EXPECT_EQ(date, view->FormatFileTime(written));
    EXPECT_NE(date.find(L"2021"), std::wstring::npos) << Narrow(date);
    // Wine keeps the archive bit beside the ones set, so the letters are checked against the disk's attributes.
    DWORD roAttr = GetFileAttributesW((*folder / L"ro.txt").c_str());
    EXPECT_EQ(view->CellText(IndexOf(L"ro.txt"), 4), GetAttrString(roAttr, L""));
    EXPECT_EQ(view->CellText(IndexOf(L"ro.txt"), 4).substr(0, 1), L"R");
    EXPECT_EQ(view->CellText(a, 4), GetAttrString(rec->Attr, L""));
    EXPECT_EQ(view->CellText(a, 7), L"");

    // Type and icon as the shell gives them for the extension.
    SHFILEINFOW info{};
    ASSERT_TRUE(SHGetFileInfoW((*folder / L"a.ps").c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                               SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES));
    EXPECT_EQ(view->ItemImageIndex(a), info.iIcon);
    std::wstring type = view->CellText(a, 2);
    EXPECT_EQ(type, info.szTypeName[0] ? std::wstring(info.szTypeName) : UnknownTypeText(DirViewTexts(), L"PS"));
    EXPECT_FALSE(rec->Empty);
    EXPECT_FALSE(rec->IconEmpty);
    int folderIcon = view->ItemImageIndex(IndexOf(L"sub1"));
    EXPECT_GE(folderIcon, 0);
    EXPECT_NE(folderIcon, info.iIcon);
    EXPECT_EQ(view->ItemImageIndex(0), StdDirIcon);

    // The list asks for its texts by callback and receives the display texts.
    EXPECT_EQ(view->ItemText(a, 0), L"a.ps");
    EXPECT_EQ(view->ItemText(a, 1), FormatWithThousands64(1234));
}

TEST_F(DirViewTest, ColumnsHaveTheCaptionsWidthsAndAlignmentOfTheUsersLanguage) {
    HWND header = view->HeaderHandle();
    ASSERT_EQ(view->ColumnCount(), 5);
    const TDirViewTexts& texts = DirViewTexts();
    const int widths[5] = {110, 80, 110, 130, 35};
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(HeaderText(header, column), texts.Columns[column]);
        EXPECT_EQ(ListView_GetColumnWidth(view->Handle(), column), widths[column]);
        LVCOLUMNW col{};
        col.mask = LVCF_FMT;
        ListView_GetColumn(view->Handle(), column, &col);
        EXPECT_EQ(col.fmt & LVCFMT_JUSTIFYMASK, column == 1 ? LVCFMT_RIGHT : LVCFMT_LEFT) << column;
    }
    view->SetMask(L"*.PS");
    view->SetShowMaskInHeader(true);
    EXPECT_EQ(HeaderText(header, 0), std::wstring(texts.Columns[0]) + L" (*.ps)");
    view->SetMask(L"");
    EXPECT_EQ(HeaderText(header, 0), texts.Columns[0]);

    ListView_SetColumnWidth(view->Handle(), 2, 77);
    view->StoreColumnWidths();
    EXPECT_EQ(view->ColWidthType, 77);
    view->SetColumnOrder({4, 0, 1, 2, 3});
    EXPECT_EQ(view->GetColumnOrder(), (std::vector<int>{4, 0, 1, 2, 3}));
    // Turning multi-selection on rebuilds the columns with the stored widths.
    view->SetMultiSelect(true);
    EXPECT_TRUE(view->MultiSelect());
    EXPECT_EQ(ListView_GetColumnWidth(view->Handle(), 2), 77);
}

struct SortCase {
    int column;
    bool ascending;
    bool byExtension;
    bool dirsOnTop;
    std::vector<std::wstring> order;
};
std::ostream& operator<<(std::ostream& out, const SortCase& c) {
    return out << "column " << c.column << (c.ascending ? " asc" : " desc") << (c.byExtension ? " ext" : "")
               << (c.dirsOnTop ? " top" : "");
}

class DirViewSorting : public DirViewTest, public testing::WithParamInterface<SortCase> {};

TEST_P(DirViewSorting, OrdersByTheColumnWithParentFirst) {
    FillStandardFolder();
    // Folder times are set so the date order is known for them too.
    for (auto [name, year] : {std::pair{L"sub1", 2018}, std::pair{L"Sub2", 2017}}) {
        HANDLE h = CreateFileW((*folder / name).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        FILETIME t = Utc(year, 1, 1);
        SetFileTime(h, nullptr, nullptr, &t);
        CloseHandle(h);
    }
    const SortCase& c = GetParam();
    view->SetPath(Folder());
    view->SetSortByExtension(c.byExtension);
    view->SetDirsOnTop(c.dirsOnTop);
    view->SetSortColumn(c.column);
    view->SetSortAscending(c.ascending);
    EXPECT_EQ(Captions(), c.order);
    EXPECT_TRUE(view->ItemIsParentDir(0));
}

INSTANTIATE_TEST_SUITE_P(
    Columns, DirViewSorting,
    testing::Values(
        SortCase{0, true, false, false, {L"..", L"sub1", L"Sub2", L"a.ps", L"big.pdf", L"readme", L"ro.txt"}},
        SortCase{0, false, false, false, {L"..", L"ro.txt", L"readme", L"big.pdf", L"a.ps", L"Sub2", L"sub1"}},
        SortCase{0, false, false, true, {L"..", L"Sub2", L"sub1", L"ro.txt", L"readme", L"big.pdf", L"a.ps"}},
        SortCase{1, true, false, false, {L"..", L"sub1", L"Sub2", L"readme", L"ro.txt", L"a.ps", L"big.pdf"}},
        SortCase{1, false, false, false, {L"..", L"big.pdf", L"a.ps", L"ro.txt", L"readme", L"Sub2", L"sub1"}},
        SortCase{2, true, true, false, {L"..", L"sub1", L"Sub2", L"readme", L"big.pdf", L"a.ps", L"ro.txt"}},
        SortCase{2, false, true, true, {L"..", L"Sub2", L"sub1", L"ro.txt", L"a.ps", L"big.pdf", L"readme"}},
        SortCase{3, true, false, false, {L"..", L"Sub2", L"sub1", L"big.pdf", L"ro.txt", L"a.ps", L"readme"}},
        SortCase{3, false, false, false, {L"..", L"readme", L"a.ps", L"ro.txt", L"big.pdf", L"sub1", L"Sub2"}}));

TEST_F(DirViewTest, TypeAndAttributeColumnsOrderByTheirValues) {
    FillStandardFolder();
    view->SetPath(Folder());
    for (int column : {2, 4}) {
        for (bool ascending : {true, false}) {
            view->SetSortColumn(column);
            view->SetSortAscending(ascending);
            ASSERT_EQ(view->ItemCaption(0), L"..");
            for (int i = 2; i < view->ItemCount(); ++i) {
                const TFileRec* before = view->ItemRec(i - 1);
                const TFileRec* after = view->ItemRec(i);
                if (before->IsDirectory != after->IsDirectory)
                    continue;
                if (column == 4) {
                    EXPECT_TRUE(ascending ? before->Attr <= after->Attr : before->Attr >= after->Attr);
                } else {
                    int order = lstrcmpiW(before->TypeName.c_str(), after->TypeName.c_str());
                    EXPECT_TRUE(ascending ? order <= 0 : order >= 0)
                        << Narrow(before->TypeName) << " / " << Narrow(after->TypeName);
                }
            }
        }
    }
    // The type column was filled for sorting: every file has a type name now.
    for (int i = 0; i < view->ItemCount(); ++i)
        EXPECT_FALSE(view->ItemRec(i)->TypeName.empty()) << Narrow(view->ItemCaption(i));
}

struct MaskCase {
    const wchar_t* mask;
    std::vector<std::wstring> files;
};
std::ostream& operator<<(std::ostream& out, const MaskCase& c) {
    return out << Narrow(c.mask);
}
class DirViewMasks : public DirViewTest, public testing::WithParamInterface<MaskCase> {};

TEST_P(DirViewMasks, ListEachMatchingFileOnceAndEveryFolder) {
    FillStandardFolder();
    MakeFile(*folder / L"c.PS", 5, Utc(2022, 1, 1));
    view->SetPath(Folder());
    view->SetMask(GetParam().mask);
    EXPECT_EQ(FileCaptions(), GetParam().files);
    // Folders are not filtered by the masks.
    EXPECT_GE(IndexOf(L"sub1"), 0);
    EXPECT_EQ(view->ItemCaption(0), L"..");
}

INSTANTIATE_TEST_SUITE_P(Table, DirViewMasks,
                         testing::Values(MaskCase{L"*.ps", {L"a.ps", L"c.PS"}},
                                         MaskCase{L"*.ps, *.PDF", {L"a.ps", L"big.pdf", L"c.PS"}},
                                         MaskCase{L"*.ps;*.p*", {L"a.ps", L"big.pdf", L"c.PS"}}, // overlapping masks
                                         MaskCase{L"*.PS;*.ps", {L"a.ps", L"c.PS"}},             // the same mask twice
                                         MaskCase{L"readme", {L"readme"}}, MaskCase{L"?eadm*", {L"readme"}},
                                         MaskCase{L"*.zzz", {}},
                                         MaskCase{L"", {L"a.ps", L"big.pdf", L"c.PS", L"readme", L"ro.txt"}}));

TEST_F(DirViewTest, HiddenAndSystemFilesFollowTheSelection) {
    MakeFile(*folder / L"plain.ps", 1, Utc(2021, 1, 1));
    MakeFile(*folder / L"hid.ps", 1, Utc(2021, 1, 1));
    MakeFile(*folder / L"sys.ps", 1, Utc(2021, 1, 1));
    std::filesystem::create_directory(*folder / L"hdir");
    ASSERT_TRUE(SetFileAttributesW((*folder / L"hid.ps").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesW((*folder / L"sys.ps").c_str(), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(SetFileAttributesW((*folder / L"hdir").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY));

    view->SetPath(Folder());
    EXPECT_EQ(FileCaptions(), (std::vector<std::wstring>{L"hid.ps", L"plain.ps", L"sys.ps"}));
    EXPECT_EQ(view->CellText(IndexOf(L"hid.ps"), 4).substr(0, 1), L"H");

    view->SelHidden = SelNo;
    view->SelSysFile = SelNo;
    view->Reload(true);
    EXPECT_EQ(FileCaptions(), (std::vector<std::wstring>{L"plain.ps"}));
    EXPECT_GE(IndexOf(L"hdir"), 0); // folders are listed whatever their attributes

    view->SelHidden = SelYes;
    view->SelSysFile = SelDontCare;
    view->Reload(true);
    EXPECT_EQ(FileCaptions(), (std::vector<std::wstring>{L"hid.ps"}));

    view->SelHidden = SelDontCare;
    view->SetShowDirectories(false);
    view->Reload(true);
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"..", L"hid.ps", L"plain.ps", L"sys.ps"}));
}

TEST_F(DirViewTest, ParentItemComesFirstExceptAtADriveRoot) {
    std::filesystem::path root = L"S:\\";
    std::filesystem::path sub = root / L"dvroot";
    std::filesystem::create_directories(sub);
    MakeFile(sub / L"x.ps", 3, Utc(2021, 1, 1));

    view->SetPath(L"S:\\");
    EXPECT_EQ(view->Path(), L"S:");
    EXPECT_EQ(view->GetPathName(), L"S:\\");
    EXPECT_TRUE(view->DirOK());
    EXPECT_FALSE(view->HasParentItem());
    EXPECT_GE(IndexOf(L"dvroot"), 0);
    EXPECT_EQ(IndexOf(L".."), -1);

    // A lower-case drive letter loads as well.
    view->SetPath(L"s:\\dvroot\\");
    EXPECT_EQ(view->Path(), L"s:\\dvroot");
    EXPECT_TRUE(view->DirOK());
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"..", L"x.ps"}));
    EXPECT_EQ(view->ItemFullFileName(0), L"s:\\dvroot\\..");
    EXPECT_EQ(view->ItemFullFileName(1), L"s:\\dvroot\\x.ps");
    EXPECT_EQ(view->ItemFullFileName(2), L"");
    std::filesystem::remove_all(sub);
}

TEST_F(DirViewTest, MissingFoldersGiveAnEmptyListAndStillReportTheLoad) {
    view->SetPath(Folder() + L"\\gone");
    EXPECT_FALSE(view->DirOK());
    EXPECT_EQ(view->ItemCount(), 0);
    EXPECT_EQ(loaded, 1);
    EXPECT_EQ(updated, 0);
    // No drive letter: no drive type, nothing listed, and the view loads again afterwards.
    view->SetPath(L"relative\\name");
    EXPECT_EQ(view->DriveType(), 0);
    EXPECT_EQ(view->ItemCount(), 0);
    EXPECT_FALSE(view->Loading());
    FillStandardFolder();
    view->SetPath(Folder());
    EXPECT_TRUE(view->DirOK());
    EXPECT_EQ(view->ItemCount(), 7);
}

TEST_F(DirViewTest, AFileIsFoundByTheNameTheFileSystemGivesItOnly) {
    // Pairs the file system keeps apart although a language's rules take them for one word.
    const std::vector<std::wstring> names = {L"strasse.ps", L"stra\u00dfe.ps", L"a\u0308.ps",
                                             L"\u00e4.ps",  L"co-op.ps",       L"coop.ps"};
    for (const std::wstring& name : names) {
        MakeFile(folder->path() / name, 1, Utc(2020, 1, 1));
    }
    view->SetPath(Folder());
    ASSERT_EQ(FileCaptions().size(), names.size());
    for (const std::wstring& name : names) {
        const int item = view->FindFileItem(name);
        ASSERT_GE(item, 0) << Narrow(name);
        EXPECT_EQ(view->ItemFileName(item), name) << Narrow(name);
    }
    EXPECT_EQ(view->ItemFileName(view->FindFileItem(L"STRASSE.PS")), L"strasse.ps") << "case is still ignored";
    EXPECT_EQ(view->ItemFileName(view->FindFileItem(L"\u00c4.PS")), L"\u00e4.ps");
}

TEST_F(DirViewTest, AddFileEventMayVetoEntries) {
    FillStandardFolder();
    std::vector<std::wstring> offered;
    view->OnAddFile = [&](gui::TComponent*, TSearchRec& rec, bool& add) {
        offered.push_back(rec.Name);
        add = rec.Name != L"big.pdf" && rec.Name != L"sub1";
    };
    view->SetPath(Folder());
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"..", L"Sub2", L"a.ps", L"readme", L"ro.txt"}));
    EXPECT_EQ(std::set<std::wstring>(offered.begin(), offered.end()),
              (std::set<std::wstring>{L"a.ps", L"big.pdf", L"readme", L"ro.txt", L"sub1", L"Sub2"}));
}

TEST_F(DirViewTest, ReloadKeepsSelectionAndFocus) {
    FillStandardFolder();
    view->SetMultiSelect(true);
    view->SetPath(Folder());
    view->SetItemSelected(IndexOf(L"a.ps"), true);
    view->SetItemSelected(IndexOf(L"ro.txt"), true);
    view->SetItemFocused(IndexOf(L"ro.txt"));
    EXPECT_EQ(view->FilesSelSize(), 1234 + 10);

    MakeFile(*folder / L"new.ps", 7, Utc(2024, 1, 1));
    std::filesystem::remove(*folder / L"readme");
    view->Reload(true);
    EXPECT_EQ(FileCaptions(), (std::vector<std::wstring>{L"a.ps", L"big.pdf", L"new.ps", L"ro.txt"}));
    EXPECT_TRUE(view->ItemSelected(IndexOf(L"a.ps")));
    EXPECT_TRUE(view->ItemSelected(IndexOf(L"ro.txt")));
    EXPECT_FALSE(view->ItemSelected(IndexOf(L"new.ps")));
    EXPECT_EQ(view->SelCount(), 2);
    EXPECT_EQ(view->ItemFocused(), IndexOf(L"ro.txt"));
    EXPECT_EQ(view->FilesSelSize(), 1234 + 10);
}

TEST_F(DirViewTest, GoingUpFocusesTheFolderJustLeft) {
    FillStandardFolder();
    view->SetPath(Folder() + L"\\Sub2");
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L".."}));
    view->SetPath(Folder());
    EXPECT_EQ(view->LastPath(), Folder() + L"\\Sub2");
    EXPECT_EQ(view->ItemFocused(), IndexOf(L"Sub2"));
}

TEST_F(DirViewTest, UpdateBringsTheListInStepWithTheDisk) {
    FillStandardFolder();
    view->SetMultiSelect(true);
    view->SetMask(L"*.ps;*.p*;readme");
    view->SetPath(Folder());
    ASSERT_EQ(FileCaptions(), (std::vector<std::wstring>{L"a.ps", L"big.pdf", L"readme"}));
    std::vector<std::wstring> resized;
    view->OnFileSizeChanged = [&](gui::TComponent*, int item) { resized.push_back(view->ItemCaption(item)); };
    int updatesBefore = updated;

    MakeFile(*folder / L"new.ps", 7, Utc(2024, 1, 1));     // found by two masks: added once
    MakeFile(*folder / L"a.ps", 99, Utc(2021, 3, 4));      // size changed
    std::filesystem::remove(*folder / L"big.pdf");         // gone
    std::filesystem::create_directory(*folder / L"sub3");  // a new folder
    MakeFile(*folder / L"huge.ps", 5000, Utc(2024, 1, 1)); // outside the size range of the update
    view->SelFileSizeTo = 1000;
    view->UpdateDirectory();

    EXPECT_EQ(FileCaptions(), (std::vector<std::wstring>{L"a.ps", L"new.ps", L"readme"}));
    EXPECT_EQ(view->ItemCaption(0), L"..");
    EXPECT_GE(IndexOf(L"sub3"), 0);
    EXPECT_EQ(resized, (std::vector<std::wstring>{L"a.ps"}));
    EXPECT_EQ(view->ItemRec(IndexOf(L"a.ps"))->Size, 99);
    EXPECT_EQ(view->FilesSize(), 99 + 7);
    EXPECT_EQ(updated, updatesBefore + 1);

    // A full load takes the size range no notice.
    view->Reload(true);
    EXPECT_GE(IndexOf(L"huge.ps"), 0);
    // Nothing changed: no event. The default upper size means no limit.
    view->SelFileSizeTo = 2147483647;
    updatesBefore = updated;
    view->UpdateDirectory();
    EXPECT_EQ(updated, updatesBefore);
    EXPECT_EQ(FileCaptions(), (std::vector<std::wstring>{L"a.ps", L"huge.ps", L"new.ps", L"readme"}));
}

TEST_F(DirViewTest, UpdateKeepsTheParentItemWithoutFolders) {
    FillStandardFolder();
    view->SetShowDirectories(false);
    view->SetMask(L"*.ps");
    view->SetPath(Folder());
    ASSERT_EQ(Captions(), (std::vector<std::wstring>{L"..", L"a.ps"}));
    std::filesystem::remove(*folder / L"a.ps");
    view->UpdateDirectory();
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L".."}));
}

TEST_F(DirViewTest, LoadsWaitWhileLoadingIsDisabled) {
    FillStandardFolder();
    view->SetPath(Folder());
    MakeFile(*folder / L"later.ps", 1, Utc(2024, 1, 1));
    view->SetLoadEnabled(false);
    view->Reload(true);
    EXPECT_TRUE(view->LoadPending());
    EXPECT_EQ(IndexOf(L"later.ps"), -1);
    view->SetLoadEnabled(true);
    EXPECT_FALSE(view->LoadPending());
    EXPECT_GE(IndexOf(L"later.ps"), 0);
}

TEST_F(DirViewTest, DisplayNamesFollowTheDisplayMode) {
    MakeFile(*folder / L"REPORT.PS", 1, Utc(2021, 1, 1));
    MakeFile(*folder / L"Long Name.PS", 1, Utc(2021, 1, 1));
    view->SetPath(Folder());
    view->SetFileNameDisplay(fndNice);
    int report = IndexOf(L"REPORT.PS");
    ASSERT_GE(report, 0); // the caption stays the stored name
    EXPECT_EQ(view->CellText(report, 0), L"Report.ps");
    EXPECT_EQ(view->CellText(IndexOf(L"Long Name.PS"), 0), L"Long Name.PS");
    view->SetSortByExtension(true);
    EXPECT_EQ(view->CellText(report, 2), L"ps");
    view->SetFileNameDisplay(fndCap);
    EXPECT_EQ(view->CellText(IndexOf(L"REPORT.PS"), 2), L"PS");
}

} // namespace
} // namespace dirviewtest

namespace dirviewtest {
namespace {

TEST_F(DirViewTest, ALoadAskedForDuringALoadAbortsItAndLoadsAgain) {
    FillStandardFolder();
    MakeFile(*folder / L"Sub2" / L"inner.ps", 1, Utc(2021, 1, 1));
    bool asked = false;
    view->OnAddFile = [&](gui::TComponent*, TSearchRec&, bool&) {
        if (!asked) {
            asked = true;
            view->SetPath(Folder() + L"\\Sub2"); // as a click elsewhere while the first folder loads
        }
    };
    view->SetPath(Folder());
    EXPECT_EQ(view->Path(), Folder() + L"\\Sub2");
    EXPECT_EQ(Captions(), (std::vector<std::wstring>{L"..", L"inner.ps"}));
    EXPECT_FALSE(view->Loading());
    EXPECT_FALSE(view->AbortLoading());
    EXPECT_FALSE(view->LoadPending());
    EXPECT_EQ(started, 2);
    EXPECT_EQ(loaded, 2); // the aborted load reports its end too
    EXPECT_EQ(updated, 1);
}

TEST_F(DirViewTest, FilesOutsideTheDosDateRangeAreListedUnlessARangeIsSet) {
    MakeFile(*folder / L"old.ps", 1, Utc(1975, 6, 1));
    MakeFile(*folder / L"new.ps", 1, Utc(2021, 6, 1));
    view->SetPath(Folder());
    EXPECT_EQ(FileCaptions(), (std::vector<std::wstring>{L"new.ps", L"old.ps"}));
    view->SelFileDateFrom = static_cast<WORD>(((2000 - 1980) << 9) | (1 << 5) | 1); // 2000-01-01
    view->Reload(true);
    EXPECT_EQ(FileCaptions(), (std::vector<std::wstring>{L"new.ps"}));
    view->SelFileDateTo = static_cast<WORD>(((2010 - 1980) << 9) | (1 << 5) | 1);
    view->Reload(true);
    EXPECT_TRUE(FileCaptions().empty());
}

TEST_F(DirViewTest, TypeCacheTellsLongExtensionsApart) {
    MakeFile(*folder / L"x.abcd", 1, Utc(2021, 1, 1));
    MakeFile(*folder / L"y.abce", 1, Utc(2021, 1, 1));
    MakeFile(*folder / L"z.abcd", 1, Utc(2021, 1, 1));
    view->UseIconCache = true;
    view->SetPath(Folder());
    for (const wchar_t* name : {L"x.abcd", L"y.abce", L"z.abcd"}) {
        SHFILEINFOW info{};
        SHGetFileInfoW((*folder / name).c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                       SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES);
        std::wstring expected =
            info.szTypeName[0] ? std::wstring(info.szTypeName) : UnknownTypeText(DirViewTexts(), L"ABC");
        EXPECT_EQ(view->CellText(IndexOf(name), 2), expected) << Narrow(name);
    }
    EXPECT_NE(view->CellText(IndexOf(L"x.abcd"), 2), view->CellText(IndexOf(L"y.abce"), 2));
}

TEST_F(DirViewTest, UpdateTakesFilesBeyondTwoGigabytes) {
    view->SetPath(Folder());
    ASSERT_EQ(Captions(), (std::vector<std::wstring>{L".."}));
    const std::int64_t size = 3LL << 30;
    HANDLE h = CreateFileW((*folder / L"huge.ps").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end{};
    end.QuadPart = size;
    ASSERT_TRUE(SetFilePointerEx(h, end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(h));
    CloseHandle(h);
    view->UpdateDirectory();
    int huge = IndexOf(L"huge.ps");
    ASSERT_GE(huge, 0);
    EXPECT_EQ(view->ItemRec(huge)->Size, size);
    EXPECT_EQ(view->FilesSize(), size);
    EXPECT_EQ(view->CellText(huge, 1), FormatWithThousands64(size));
}

} // namespace
} // namespace dirviewtest

// The directory list view as the file pane the conversion application sees: for the same folder it answers as
// the test double of the pane does, and its selection and focus operations behave alike.
#include "DirViewFixture.h"

#include "support/FakeFilePane.h"
#include "support/GuiDriver.h"

#include <cstdlib>

namespace dirviewtest {
namespace {

struct PaneAnswers {
    int count;
    std::vector<std::wstring> captions, fullNames, fileNames;
    std::vector<bool> directories, parents;
    std::wstring path, pathName;
};

PaneAnswers Ask(const FilePane& pane) {
    PaneAnswers a{pane.ItemCount(), {}, {}, {}, {}, {}, pane.Path(), pane.GetPathName()};
    for (int i = -1; i <= pane.ItemCount(); ++i) { // one step beyond each end
        a.captions.push_back(pane.ItemCaption(i));
        a.fullNames.push_back(pane.ItemFullFileName(i));
        a.fileNames.push_back(pane.ItemFileName(i));
        a.directories.push_back(pane.ItemIsDirectory(i));
        a.parents.push_back(pane.ItemIsParentDir(i));
    }
    return a;
}

void ExpectSameAnswers(const FilePane& real, const FilePane& fake) {
    PaneAnswers r = Ask(real), f = Ask(fake);
    EXPECT_EQ(r.count, f.count);
    EXPECT_EQ(r.captions, f.captions);
    EXPECT_EQ(r.fullNames, f.fullNames);
    EXPECT_EQ(r.fileNames, f.fileNames);
    EXPECT_EQ(r.directories, f.directories);
    EXPECT_EQ(r.parents, f.parents);
    EXPECT_EQ(r.path, f.path);
    EXPECT_EQ(r.pathName, f.pathName);
}

TEST_F(DirViewTest, AnswersAsTheFakePaneForTheSameFolder) {
    FillStandardFolder();
    MakeFile(*folder / L"Zeta.PS", 3, Utc(2021, 1, 1));
    std::filesystem::create_directory(*folder / L"alpha");
    view->SetMultiSelect(true);
    view->SetPath(Folder());
    testenv::FakeFilePane fake(Folder());
    ExpectSameAnswers(*view, fake);

    // Selection and focus through the interface.
    FilePane& pane = *view;
    EXPECT_EQ(pane.SelCount(), 0);
    EXPECT_EQ(pane.FirstSelectedIndex(), -1);
    pane.SetItemSelected(4, true);
    pane.SetItemSelected(2, true);
    pane.SetItemSelected(99, true); // nothing there: ignored as by the fake
    fake.SetItemSelected(4, true);
    fake.SetItemSelected(2, true);
    EXPECT_EQ(pane.SelCount(), fake.SelCount());
    EXPECT_EQ(pane.FirstSelectedIndex(), fake.FirstSelectedIndex());
    for (int i = 0; i < pane.ItemCount(); ++i)
        EXPECT_EQ(pane.ItemSelected(i), fake.ItemSelected(i)) << i;
    pane.ClearSelection();
    EXPECT_EQ(pane.SelCount(), 0);
    pane.FocusItem(3);
    EXPECT_TRUE(pane.ItemSelected(3));
    EXPECT_EQ(view->ItemFocused(), 3);

    // A reload through the interface keeps the selection by name.
    MakeFile(*folder / L"0first.ps", 1, Utc(2021, 1, 1));
    std::wstring selected = pane.ItemCaption(3);
    pane.Reload(true);
    fake.Reload(true);
    ExpectSameAnswers(*view, fake);
    ASSERT_EQ(pane.SelCount(), 1);
    EXPECT_EQ(pane.ItemCaption(pane.FirstSelectedIndex()), selected);
}

TEST_F(DirViewTest, AnswersAsTheFakePaneAtADriveRoot) {
    std::filesystem::create_directories(L"S:\\dvpane");
    view->SetPath(L"S:");
    testenv::FakeFilePane fake(L"S:\\");
    ExpectSameAnswers(*view, fake);
    EXPECT_NE(view->ItemCaption(0), L"..");
    std::filesystem::remove_all(L"S:\\dvpane");
}

} // namespace
} // namespace dirviewtest

namespace dirviewtest {
namespace {

// A linked tree that records what the view asks of it.
class RecordingTree : public TDirViewTree {
public:
    bool NodeRecycleBinFlag(const std::wstring& Dir, bool& IsRecycleBin) override {
        asked.push_back(Dir);
        IsRecycleBin = false;
        return true;
    }
    void NoSubDirectoriesFound(const std::wstring& Dir) override { noSubDirs.push_back(Dir); }
    void DirViewDestroyed(TDirView* View) override { destroyed = View; }

    std::vector<std::wstring> asked;
    std::vector<std::wstring> noSubDirs;
    TDirView* destroyed = nullptr;
};

TEST_F(DirViewTest, AsksTheLinkedTreeAndTellsItWhenGoing) {
    FillStandardFolder();
    RecordingTree tree;
    view->SetDriveView(&tree);
    EXPECT_EQ(view->DriveView(), &tree);
    view->SetPath(Folder());
    EXPECT_EQ(tree.asked, std::vector<std::wstring>{Folder()});
    EXPECT_FALSE(view->InRecycleBin());
    EXPECT_EQ(view->ItemCount(), 7);
    // Only remote drives report folders without sub-folders.
    EXPECT_TRUE(tree.noSubDirs.empty());
    TDirView* gone = view.get();
    view.reset();
    EXPECT_EQ(tree.destroyed, gone);
}

TEST_F(DirViewTest, MarksTheRecycleBinFolderOfADriveRoot) {
    std::filesystem::path bin = L"S:\\RECYCLED";
    std::filesystem::create_directories(bin);
    ASSERT_TRUE(SetFileAttributesW(bin.c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM));
    std::filesystem::create_directories(L"S:\\dvplain");
    view->SetPath(L"S:");
    const TFileRec* recycled = view->ItemRec(IndexOf(L"RECYCLED"));
    const TFileRec* plain = view->ItemRec(IndexOf(L"dvplain"));
    ASSERT_NE(recycled, nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_TRUE(recycled->IsRecycleBin);
    EXPECT_FALSE(plain->IsRecycleBin);
    SetFileAttributesW(bin.c_str(), FILE_ATTRIBUTE_DIRECTORY);
    std::filesystem::remove_all(bin);
    std::filesystem::remove_all(L"S:\\dvplain");
}

} // namespace
} // namespace dirviewtest

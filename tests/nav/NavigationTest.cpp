// The main window's navigation and view commands, on a TOstrel_Form made in this process (never shown): the folder
// history boxes, level up and root, the history choice, and the "Ansicht" options acting on both panes.
#include "app/main/Ostrel_Unit.h"
#include "gui/Dialogs.h"
#include "gui/Application.h"
#include "gui/Form.h"
#include "support/GuiDriver.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cwctype>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using testenv::TempDir;
using testenv::WriteFileBytes;

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    return text;
}

std::wstring NoTrailingSlash(std::wstring path) {
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) {
        path.pop_back();
    }
    return path;
}

bool SameFolder(const std::wstring& a, const std::wstring& b) {
    return Upper(NoTrailingSlash(a)) == Upper(NoTrailingSlash(b));
}

bool PaneLists(const TDirView& pane, const std::wstring& name) {
    for (int i = 0; i < pane.ItemCount(); ++i) {
        if (Upper(pane.ItemCaption(i)) == Upper(name)) {
            return true;
        }
    }
    return false;
}

// --- Folder history -------------------------------------------------------------------------------------------

class HistoryForm : public gui::TForm {
public:
    HistoryForm() : gui::TForm(L"TNavHistoryTestForm", L"HistoryForm") {}
    TPathComboBox Box{this, L"Box", 0, 0, 200, 22};
};

TEST(FolderHistory, NewFolderGoesOnTopAndIsSelected) {
    HistoryForm form;
    TOstrel_Form::AddToFolderHistory(form.Box, L"C:\\Eins");
    TOstrel_Form::AddToFolderHistory(form.Box, L"C:\\Zwei");
    ASSERT_EQ(form.Box.Count(), 2);
    EXPECT_EQ(form.Box.Item(0), L"C:\\Zwei");
    EXPECT_EQ(form.Box.Item(1), L"C:\\Eins");
    EXPECT_EQ(form.Box.ItemIndex(), 0);
}

TEST(FolderHistory, AKnownFolderInAnyLetterCaseIsSelectedNotAddedAgain) {
    const struct { const wchar_t* again; } cases[] = {{L"C:\\Eins"}, {L"c:\\eins"}, {L"C:\\EINS"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.again, c.again + wcslen(c.again)));
        HistoryForm form;
        TOstrel_Form::AddToFolderHistory(form.Box, L"C:\\Eins");
        TOstrel_Form::AddToFolderHistory(form.Box, L"C:\\Zwei");
        TOstrel_Form::AddToFolderHistory(form.Box, c.again);
        ASSERT_EQ(form.Box.Count(), 2);
        EXPECT_EQ(form.Box.Item(0), L"C:\\Zwei");
        EXPECT_EQ(form.Box.ItemIndex(), 1);
    }
}

TEST(FolderHistory, KeepsTheNewestTwentyEntries) {
    HistoryForm form;
    for (int i = 0; i < 25; ++i) {
        TOstrel_Form::AddToFolderHistory(form.Box, L"C:\\F" + std::to_wstring(i));
    }
    ASSERT_EQ(form.Box.Count(), TOstrel_Form::kFolderHistoryLimit);
    EXPECT_EQ(form.Box.Item(0), L"C:\\F24");
    EXPECT_EQ(form.Box.Item(19), L"C:\\F5");
    EXPECT_EQ(form.Box.IndexOf(L"C:\\F4"), -1);
}

// --- The main window --------------------------------------------------------------------------------------------

class Navigation : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir_.path() / L"A" / L"B");
        fs::create_directories(dir_.path() / L"Out");
        form_ = std::make_unique<TOstrel_Form>();
    }
    std::wstring Folder(const std::wstring& sub) const { return (dir_.path() / sub).wstring(); }

    TempDir dir_{L"nav"};
    std::unique_ptr<TOstrel_Form> form_;
};

TEST_F(Navigation, LevelUpShowsTheParentAndAddsItToTheHistory) {
    form_->SetInputFolder(Folder(L"A\\B"));
    ASSERT_TRUE(SameFolder(form_->DriveView1.Directory(), Folder(L"A\\B")));
    form_->InputPane.Hoch2Click();
    EXPECT_TRUE(SameFolder(form_->DriveView1.Directory(), Folder(L"A")));
    EXPECT_TRUE(SameFolder(form_->DirView1.Path(), Folder(L"A")));
    ASSERT_GE(form_->PathComboBox1.Count(), 2);
    EXPECT_TRUE(SameFolder(form_->PathComboBox1.Item(0), Folder(L"A")));
    // The output side stays where it was.
    form_->SetOutputFolder(Folder(L"Out"));
    form_->InputPane.Hoch2Click();
    EXPECT_TRUE(SameFolder(form_->DriveView2.Directory(), Folder(L"Out")));
}

std::wstring FocusedCaption(const TDirView& pane) {
    const int focused = pane.ItemFocused();
    return focused < 0 ? std::wstring() : pane.ItemCaption(focused);
}

TEST_F(Navigation, GoingUpFocusesAndSelectsTheFolderJustLeftOnce) {
    fs::create_directories(dir_.path() / L"A" / L"A0");
    form_->SetInputFolder(Folder(L"A\\B"));
    form_->InputPane.Hoch2Click();
    ASSERT_TRUE(SameFolder(form_->DriveView1.Directory(), Folder(L"A")));
    EXPECT_EQ(FocusedCaption(form_->DirView1), L"B");
    EXPECT_EQ(form_->DirView1.SelCount(), 1);
    form_->InputPane.Hoch2Click();
    ASSERT_TRUE(SameFolder(form_->DriveView1.Directory(), dir_.path().wstring()));
    EXPECT_EQ(FocusedCaption(form_->DirView1), L"A");
    // Back in A without having been in B again: the memory of B was used up.
    form_->SetInputFolder(Folder(L"A"));
    EXPECT_NE(FocusedCaption(form_->DirView1), L"B");
}

TEST_F(Navigation, RootButtonGoesToTheDrivesRoot) {
    form_->SetOutputFolder(Folder(L"A\\B"));
    form_->OutputPane.HochClick();
    const std::wstring expected = Folder(L"A").substr(0, 1) + L":\\";
    EXPECT_TRUE(SameFolder(form_->DriveView2.Directory(), expected))
        << std::string(form_->DriveView2.Directory().begin(), form_->DriveView2.Directory().end());
}

TEST_F(Navigation, ChoosingAHistoryEntryShowsThatFolder) {
    form_->SetInputFolder(Folder(L"A\\B"));
    form_->SetInputFolder(Folder(L"Out"));
    const int index = form_->PathComboBox1.IndexOf(form_->PathComboBox1.Item(1));
    ASSERT_TRUE(SameFolder(form_->PathComboBox1.Item(index), Folder(L"A\\B")));
    const int before = form_->PathComboBox1.Count();
    form_->PathComboBox1.SetItemIndex(index);
    form_->InputPane.PathComboBoxChange();
    EXPECT_TRUE(SameFolder(form_->DriveView1.Directory(), Folder(L"A\\B")));
    EXPECT_EQ(form_->PathComboBox1.Count(), before);
}

TEST_F(Navigation, HiddenFilesAreListedInBothPanesOnlyWhileChecked) {
    WriteFileBytes(dir_.path() / L"Out" / L"geheim.ps", "%!PS\n");
    SetFileAttributesW(Folder(L"Out\\geheim.ps").c_str(), FILE_ATTRIBUTE_HIDDEN);
    form_->SetInputFolder(Folder(L"Out"));
    form_->SetOutputFolder(Folder(L"Out"));
    gui::TMenuItem* item = form_->MenuItem(L"SysHid");
    ASSERT_NE(item, nullptr);
    for (bool checked : {false, true, false}) {
        item->SetChecked(!checked);
        item->Click();
        ASSERT_EQ(item->Checked(), checked);
        EXPECT_EQ(PaneLists(form_->DirView1, L"geheim.ps"), checked);
        EXPECT_EQ(PaneLists(form_->DirView2, L"geheim.ps"), checked);
    }
}

TEST_F(Navigation, ViewTogglesFollowTheirCheckMarks) {
    gui::TMenuItem* sortL = form_->MenuItem(L"SortExtL");
    gui::TMenuItem* sortR = form_->MenuItem(L"SortExtR");
    gui::TMenuItem* grid = form_->MenuItem(L"Gitternetzlinien");
    ASSERT_TRUE(sortL && sortR && grid);
    for (int round = 0; round < 2; ++round) {
        sortL->Click();
        EXPECT_EQ(form_->DirView1.SortByExtension(), sortL->Checked());
        grid->Click();
        EXPECT_EQ(form_->DirView1.GridLines(), grid->Checked());
        EXPECT_EQ(form_->DirView2.GridLines(), grid->Checked());
    }
    const bool rightBefore = form_->DirView2.SortByExtension();
    sortR->SetChecked(!rightBefore);
    sortR->OnClick(sortR);
    EXPECT_EQ(form_->DirView2.SortByExtension(), !rightBefore);
}

TEST_F(Navigation, DateDisplayItemsSetBothPanesAndTheSetting) {
    const struct {
        const wchar_t* item;
        TDateTimeDisplay display;
        int setting;
    } cases[] = {{L"Date1", dtdDate, 2}, {L"DateTime1", dtdDateTime, 1}, {L"DateTimeSek1", dtdDateTimeSec, 0}};
    for (const auto& c : cases) {
        gui::TMenuItem* item = form_->MenuItem(c.item);
        ASSERT_NE(item, nullptr);
        item->Click();
        EXPECT_EQ(form_->DirView1.DateTimeDisplay(), c.display);
        EXPECT_EQ(form_->DirView2.DateTimeDisplay(), c.display);
        EXPECT_EQ(form_->Settings.DateFormatIndex, c.setting);
        EXPECT_TRUE(item->Checked());
    }
}

int ColumnWidth(const TDirView& pane, int column) {
    return ListView_GetColumnWidth(pane.Handle(), column);
}

TEST_F(Navigation, AttributeColumnComesAndGoesInBothPanes) {
    gui::TMenuItem* item = form_->MenuItem(L"Attr1");
    ASSERT_NE(item, nullptr);
    for (bool checked : {false, true, false, true}) {
        item->SetChecked(!checked);
        item->Click();
        ASSERT_EQ(item->Checked(), checked);
        for (TDirView* pane : {&form_->DirView1, &form_->DirView2}) {
            EXPECT_EQ(pane->ColumnCount(), checked ? 5 : 4);
            if (checked) {
                EXPECT_EQ(ColumnWidth(*pane, 4), 30);
            }
        }
    }
}

// The browse dialog answered by the common-dialog hook: the title and start folder it was given, and the side
// that follows the choice.
class BrowseAnswer {
public:
    BrowseAnswer(std::wstring choice, bool ok) : choice_(std::move(choice)), ok_(ok) {
        previous_ = gui::SetCommonDialogHook([this](gui::TCommonDialog& dialog) {
            auto* browse = dynamic_cast<TBrowseForFolderDialog*>(&dialog);
            if (!browse) {
                return false;
            }
            title = browse->Title;
            start = browse->Directory;
            browse->Directory = choice_;
            return ok_;
        });
    }
    ~BrowseAnswer() { gui::SetCommonDialogHook(previous_); }
    BrowseAnswer(const BrowseAnswer&) = delete;
    BrowseAnswer& operator=(const BrowseAnswer&) = delete;
    std::wstring title;
    std::wstring start;

private:
    std::wstring choice_;
    bool ok_;
    gui::TCommonDialogHook previous_;
};

TEST_F(Navigation, BrowseButtonsMoveTheirSideToTheChosenFolder) {
    form_->SetInputFolder(Folder(L"A"));
    form_->SetOutputFolder(Folder(L"Out"));
    {
        BrowseAnswer answer(Folder(L"A\\B"), true);
        form_->OutputPane.BrowserClick();
        EXPECT_EQ(answer.title, L"W\u00e4hlen Sie den rechten Ordner aus:");
        EXPECT_TRUE(SameFolder(answer.start, Folder(L"Out")));
    }
    EXPECT_TRUE(SameFolder(form_->DriveView2.Directory(), Folder(L"A\\B")));
    EXPECT_TRUE(SameFolder(form_->PathComboBox2.Item(0), Folder(L"A\\B")));
    EXPECT_TRUE(SameFolder(form_->DriveView1.Directory(), Folder(L"A")));
    {
        BrowseAnswer answer(Folder(L"Out"), false);
        form_->InputPane.BrowserClick();
        EXPECT_EQ(answer.title, L"W\u00e4hlen Sie den linken Ordner aus:");
    }
    EXPECT_TRUE(SameFolder(form_->DriveView1.Directory(), Folder(L"A")));
}

TEST_F(Navigation, DesktopAndDocumentsMoveTheInputSideOnly) {
    const struct {
        void (TOstrel_Form::*handler)();
        int folder;
    } cases[] = {{&TOstrel_Form::Desktop1Click, CSIDL_DESKTOPDIRECTORY},
                 {&TOstrel_Form::EigeneDateienClick, CSIDL_PERSONAL}};
    for (const auto& c : cases) {
        wchar_t expected[MAX_PATH]{};
        ASSERT_EQ(SHGetFolderPathW(nullptr, c.folder, nullptr, 0, expected), S_OK);
        form_->SetInputFolder(Folder(L"A"));
        form_->SetOutputFolder(Folder(L"Out"));
        ((*form_).*c.handler)();
        EXPECT_TRUE(SameFolder(form_->DriveView1.Directory(), expected));
        EXPECT_TRUE(SameFolder(form_->DriveView2.Directory(), Folder(L"Out")));
    }
    // The menu item reaches the same handler.
    form_->SetInputFolder(Folder(L"A"));
    gui::TMenuItem* documents = form_->MenuItem(L"EigeneDateien");
    ASSERT_NE(documents, nullptr);
    documents->Click();
    EXPECT_FALSE(SameFolder(form_->DriveView1.Directory(), Folder(L"A")));
}

TEST_F(Navigation, CommandMemoTogglesWithTheWindowHeight) {
    gui::TMenuItem* item = form_->MenuItem(L"Kommandozeile");
    ASSERT_NE(item, nullptr);
    ASSERT_FALSE(item->Checked());
    const int hiddenHeight = form_->Height();
    const int hiddenPanel = form_->PDFPanel.Height();
    EXPECT_FALSE(GetWindowLongW(form_->Memo1.Handle(), GWL_STYLE) & WS_VISIBLE);
    item->Click();
    ASSERT_TRUE(item->Checked());
    EXPECT_EQ(form_->Height(), hiddenHeight + kMemoHeight);
    EXPECT_EQ(form_->PDFPanel.Height(), hiddenPanel + kMemoHeight);
    EXPECT_EQ(form_->Memo1.Height(), kMemoHeight);
    EXPECT_TRUE(GetWindowLongW(form_->Memo1.Handle(), GWL_STYLE) & WS_VISIBLE);
    item->Click();
    EXPECT_EQ(form_->Height(), hiddenHeight);
    EXPECT_EQ(form_->PDFPanel.Height(), hiddenPanel);
    EXPECT_FALSE(GetWindowLongW(form_->Memo1.Handle(), GWL_STYLE) & WS_VISIBLE);
}

} // namespace

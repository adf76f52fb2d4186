// The conversion pass walking a real directory list view as its input pane: it takes the files the view lists,
// skips ".." and the folders, and in manual mode converts only what is selected in the view.
#include "components/DirView.h"

#include "conv/ConversionFixture.h"
#include "gui/Form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

namespace fs = std::filesystem;
using convtest::PassWorld;
using convtest::PostScriptPages;
using testenv::WriteFileBytes;

class TPaneForm : public gui::TForm {
public:
    TPaneForm() : gui::TForm(L"TDirViewPassForm", L"PassForm") { SetClientSize(400, 300); }
};

// The world's pass rebuilt with a directory list view showing the input folder as its input pane.
struct ViewPass {
    explicit ViewPass(PassWorld& world) : view(&form, L"DirView1", 0, 0, 400, 300) {
        view.SetMultiSelect(true);
        view.SetPath(world.in.wstring());
        world.pass = std::make_unique<ConversionPass>(
            world.window, ConversionPane{view, *world.inputPane}, ConversionPane{*world.outputPane, *world.outputPane},
            ConversionSettings{world.main, world.dialog, world.security, world.options},
            ConversionLog(world.logFile, [](std::wstring_view key) { return L"<" + std::wstring(key) + L">"; }),
            world.iniFile.wstring());
    }
    TPaneForm form;
    TDirView view;
};

bool Mentions(const std::vector<std::wstring>& lines, const std::wstring& text) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::wstring& line) { return line.find(text) != std::wstring::npos; });
}

TEST(PassOverDirView, ConvertsTheListedFilesAndSkipsParentAndFolders) {
    PassWorld world;
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
    WriteFileBytes(world.in / L"b.ps", PostScriptPages(2));
    fs::create_directory(world.in / L"sub.ps");
    ViewPass pane(world);
    ASSERT_EQ(pane.view.ItemCaption(0), L"..");

    world.RunPass(false);

    EXPECT_TRUE(fs::exists(world.out / L"a.pdf"));
    EXPECT_TRUE(fs::exists(world.out / L"b.pdf"));
    auto lines = world.GsCommandLines();
    EXPECT_EQ(lines.size(), 2u);
    EXPECT_FALSE(Mentions(lines, L"sub.ps"));
    EXPECT_FALSE(Mentions(lines, L"\\.."));
}

TEST(PassOverDirView, ManualModeConvertsTheSelectionOfTheView) {
    PassWorld world;
    WriteFileBytes(world.in / L"a.ps", PostScriptPages(1));
    WriteFileBytes(world.in / L"b.ps", PostScriptPages(1));
    ViewPass pane(world);
    int b = -1;
    for (int i = 0; i < pane.view.ItemCount(); ++i)
        if (pane.view.ItemCaption(i) == L"b.ps")
            b = i;
    ASSERT_GE(b, 0);
    pane.view.SetItemSelected(b, true);

    world.RunPass(true);

    EXPECT_TRUE(fs::exists(world.out / L"b.pdf"));
    EXPECT_FALSE(fs::exists(world.out / L"a.pdf"));
    EXPECT_EQ(world.GsCommandLines().size(), 1u);
}

} // namespace

#include "CommandsFixture.h"

#include "support/GuiDriver.h"

namespace dvcmdstest {

std::unique_ptr<TCommandsForm> CommandsTest::form;

void MakeFile(const fs::path& file, size_t size) {
    testenv::WriteFileBytes(file, std::string(size, 'x'));
}

bool Exists(const fs::path& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void CommandsTest::SetUpTestSuite() {
    form = std::make_unique<TCommandsForm>();
    form->Show();
}

void CommandsTest::TearDownTestSuite() {
    form.reset();
}

void CommandsTest::SetUp() {
    view = std::make_unique<TDirView>(form.get(), L"DirView1", 0, 0, 640, 240);
    view->SetMultiSelect(true);
    view->ConfirmDelete = false;
    view->ConfirmOverwrite = false;
    view->OnDirUpdated = [this](gui::TComponent*) { ++updated; };
    folder = std::make_unique<testenv::TempDir>(L"dvc");
    ViewsClipboardMode = cmNone;
}

void CommandsTest::TearDown() {
    other.reset();
    view.reset();
    folder.reset();
    ViewsClipboardMode = cmNone;
}

TDirView& CommandsTest::OtherView(const fs::path& path) {
    other = std::make_unique<TDirView>(form.get(), L"DirView2", 0, 240, 640, 240);
    other->SetMultiSelect(true);
    other->ConfirmDelete = false;
    other->ConfirmOverwrite = false;
    other->SetPath(path.wstring());
    return *other;
}

void CommandsTest::FillFolder() {
    MakeFile(*folder / L"a.txt", 100);
    MakeFile(*folder / L"b.txt", 200);
    MakeFile(*folder / L"c.txt", 300);
    fs::create_directory(*folder / L"sub");
    MakeFile(*folder / L"sub" / L"x.dat", 50);
}

int CommandsTest::IndexIn(const TDirView& v, const std::wstring& caption) {
    for (int i = 0; i < v.ItemCount(); ++i)
        if (v.ItemCaption(i) == caption)
            return i;
    return -1;
}

void CommandsTest::Select(const std::vector<std::wstring>& captions) {
    view->ClearSelection();
    for (const auto& caption : captions) {
        int item = IndexOf(caption);
        ASSERT_GE(item, 0) << "no item " << testing::PrintToString(caption);
        view->SetItemSelected(item, true);
    }
}

} // namespace dvcmdstest

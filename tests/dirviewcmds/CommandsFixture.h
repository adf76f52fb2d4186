#pragma once
// One shown form for the whole program (every Show costs seconds under Wine), a directory list view per test over
// a scratch folder, and helpers to make files and to find items by name.
#include "components/DirView.h"

#include "gui/Form.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace dvcmdstest {

namespace fs = std::filesystem;

class TCommandsForm : public gui::TForm {
public:
    TCommandsForm() : gui::TForm(L"TDirViewCommandsTestForm", L"CommandsForm") {
        SetCaption(L"Directory list commands");
        SetClientSize(640, 480);
    }
};

void MakeFile(const fs::path& file, size_t size);
bool Exists(const fs::path& path);

class CommandsTest : public testing::Test {
public:
    static int IndexIn(const TDirView& v, const std::wstring& caption);

protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // A second view on the lower half of the form, over its own folder.
    TDirView& OtherView(const fs::path& folder);
    // a.txt (100 bytes), b.txt (200), c.txt (300), folder sub with x.dat (50).
    void FillFolder();
    void Load() { view->SetPath(Folder()); }
    std::wstring Folder() const { return folder->path().wstring(); }
    int IndexOf(const std::wstring& caption) const { return IndexIn(*view, caption); }
    void Select(const std::vector<std::wstring>& captions);

    static std::unique_ptr<TCommandsForm> form;
    std::unique_ptr<TDirView> view;
    std::unique_ptr<TDirView> other;
    std::unique_ptr<testenv::TempDir> folder;
    int updated = 0;
};

} // namespace dvcmdstest

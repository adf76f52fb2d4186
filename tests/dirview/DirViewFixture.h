#pragma once
// A form that holds one directory list view per test, and a folder of known files to list in it.
#include "components/DirView.h"

#include "gui/Form.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace dirviewtest {

class TViewForm : public gui::TForm {
public:
    TViewForm() : gui::TForm(L"TDirViewTestForm", L"DirViewForm") {
        SetCaption(L"Directory list");
        SetClientSize(620, 320);
    }
};

// A UTC file time from a calendar date at noon.
FILETIME Utc(int year, int month, int day);
// Writes a file of Size bytes with the last-write time given.
void MakeFile(const std::filesystem::path& file, size_t size, const FILETIME& time);

// Shows one form for the whole program (every Show costs seconds under Wine) and gives each test a new view.
class DirViewTest : public testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // The standard folder: files a.ps (1234 bytes, 2021), big.pdf (1234567, 2019), readme (empty, 2023),
    // ro.txt (10, 2020, read-only) and folders sub1, Sub2.
    void FillStandardFolder();
    std::wstring Folder() const { return folder->path().wstring(); }

    std::vector<std::wstring> Captions() const;
    // Captions without ".." and folders.
    std::vector<std::wstring> FileCaptions() const;
    int IndexOf(const std::wstring& caption) const;

    static std::unique_ptr<TViewForm> form;
    std::unique_ptr<TDirView> view;
    std::unique_ptr<testenv::TempDir> folder;
    int started = 0, loaded = 0, updated = 0;
};

} // namespace dirviewtest

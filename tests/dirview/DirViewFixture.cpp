#include "DirViewFixture.h"

#include "support/GuiDriver.h"

#include <fstream>

namespace dirviewtest {

std::unique_ptr<TViewForm> DirViewTest::form;

FILETIME Utc(int year, int month, int day) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    st.wHour = 12;
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    return ft;
}

void MakeFile(const std::filesystem::path& file, size_t size, const FILETIME& time) {
    testenv::WriteFileBytes(file, std::string(size, 'x'));
    HANDLE h = CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &time));
    CloseHandle(h);
}

void DirViewTest::SetUpTestSuite() {
    form = std::make_unique<TViewForm>();
    form->Show();
}

void DirViewTest::TearDownTestSuite() {
    form.reset();
}

void DirViewTest::SetUp() {
    view = std::make_unique<TDirView>(form.get(), L"DirView1", 0, 0, 620, 320);
    view->OnStartLoading = [this](gui::TComponent*) { ++started; };
    view->OnLoaded = [this](gui::TComponent*) { ++loaded; };
    view->OnDirUpdated = [this](gui::TComponent*) { ++updated; };
    folder = std::make_unique<testenv::TempDir>(L"dv");
}

void DirViewTest::TearDown() {
    view.reset();
    if (folder)
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder->path()))
            SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    folder.reset();
}

void DirViewTest::FillStandardFolder() {
    MakeFile(*folder / L"a.ps", 1234, Utc(2021, 3, 4));
    MakeFile(*folder / L"big.pdf", 1234567, Utc(2019, 5, 6));
    MakeFile(*folder / L"readme", 0, Utc(2023, 7, 8));
    MakeFile(*folder / L"ro.txt", 10, Utc(2020, 9, 10));
    ASSERT_TRUE(SetFileAttributesW((*folder / L"ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    std::filesystem::create_directory(*folder / L"sub1");
    std::filesystem::create_directory(*folder / L"Sub2");
}

std::vector<std::wstring> DirViewTest::Captions() const {
    std::vector<std::wstring> names;
    for (int i = 0; i < view->ItemCount(); ++i)
        names.push_back(view->ItemCaption(i));
    return names;
}

std::vector<std::wstring> DirViewTest::FileCaptions() const {
    std::vector<std::wstring> names;
    for (int i = 0; i < view->ItemCount(); ++i)
        if (!view->ItemIsDirectory(i))
            names.push_back(view->ItemCaption(i));
    return names;
}

int DirViewTest::IndexOf(const std::wstring& caption) const {
    for (int i = 0; i < view->ItemCount(); ++i)
        if (view->ItemCaption(i) == caption)
            return i;
    return -1;
}

} // namespace dirviewtest

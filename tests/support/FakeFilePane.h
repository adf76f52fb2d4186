#pragma once
// A file pane over a real folder for tests of the conversion application: the list holds ".." (except at a drive
// root), then the sub-folders, then the files, each group sorted by name without regard to case, as the directory
// list view shows them. It records what the code under test asked of it.
#include "components/FilePane.h"

#include <string>
#include <vector>

namespace testenv {

class FakeFilePane : public FilePane, public FolderTree {
public:
    // Shows the folder (as SetDirectory would).
    explicit FakeFilePane(const std::wstring& folder);

    int ItemCount() const override;
    std::wstring ItemCaption(int index) const override;
    bool ItemSelected(int index) const override;
    void SetItemSelected(int index, bool selected) override;
    bool ItemIsDirectory(int index) const override;
    bool ItemIsParentDir(int index) const override;
    std::wstring Path() const override;
    std::wstring ItemFullFileName(int index) const override;
    std::wstring ItemFileName(int index) const override;
    std::wstring GetPathName() const override;
    void Reload(bool cacheIcons) override;
    int SelCount() const override;
    int FirstSelectedIndex() const override;
    void ClearSelection() override;
    void FocusItem(int index) override;
    void SetFocus() override;

    std::wstring Directory() const override;
    void SetDirectory(const std::wstring& directory) override;
    wchar_t GetSelectedDrive() const override;
    void SelectDrive(wchar_t drive) override;

    // Test helpers: select by caption (false when no such item), the captions in list order, the selected ones.
    bool Select(const std::wstring& caption, bool selected = true);
    std::vector<std::wstring> Captions() const;
    std::vector<std::wstring> SelectedCaptions() const;

    int reloadCount = 0;
    int focusCount = 0;
    int focusedItem = -1;

private:
    struct Item {
        std::wstring caption;
        bool selected = false;
        bool directory = false;
        bool parent = false;
    };
    bool Valid(int index) const { return index >= 0 && index < static_cast<int>(items_.size()); }
    void Load();

    std::wstring path_; // without trailing backslash; a root is "X:"
    std::vector<Item> items_;
};

} // namespace testenv

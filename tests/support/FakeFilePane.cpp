#include "support/FakeFilePane.h"

#include <windows.h>

#include <algorithm>
#include <set>

namespace testenv {
namespace {

std::wstring WithoutTrailingBackslash(std::wstring folder) {
    while (folder.size() > 2 && folder.back() == L'\\') {
        folder.pop_back();
    }
    if (folder.size() == 3 && folder[1] == L':' && folder[2] == L'\\') {
        folder.pop_back();
    }
    return folder;
}

bool IsFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsDriveRoot(const std::wstring& path) {
    return path.size() == 2 && path[1] == L':';
}

bool LessNoCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_LESS_THAN;
}

} // namespace

FakeFilePane::FakeFilePane(const std::wstring& folder) {
    SetDirectory(folder);
}

void FakeFilePane::Load() {
    std::set<std::wstring> keep;
    for (const Item& item : items_) {
        if (item.selected) {
            keep.insert(item.caption);
        }
    }
    std::vector<Item> folders;
    std::vector<Item> files;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((path_ + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            Item item{name, keep.count(name) != 0, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, false};
            (item.directory ? folders : files).push_back(item);
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    auto byName = [](const Item& a, const Item& b) { return LessNoCase(a.caption, b.caption); };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(files.begin(), files.end(), byName);
    items_.clear();
    if (!IsDriveRoot(path_)) {
        items_.push_back(Item{L"..", false, true, true});
    }
    items_.insert(items_.end(), folders.begin(), folders.end());
    items_.insert(items_.end(), files.begin(), files.end());
}

int FakeFilePane::ItemCount() const {
    return static_cast<int>(items_.size());
}
std::wstring FakeFilePane::ItemCaption(int index) const {
    return Valid(index) ? items_[index].caption : L"";
}
bool FakeFilePane::ItemSelected(int index) const {
    return Valid(index) && items_[index].selected;
}

void FakeFilePane::SetItemSelected(int index, bool selected) {
    if (Valid(index)) {
        items_[index].selected = selected;
    }
}

bool FakeFilePane::ItemIsDirectory(int index) const {
    return Valid(index) && items_[index].directory;
}
bool FakeFilePane::ItemIsParentDir(int index) const {
    return Valid(index) && items_[index].parent;
}
std::wstring FakeFilePane::Path() const {
    return path_;
}

std::wstring FakeFilePane::ItemFullFileName(int index) const {
    return Valid(index) ? path_ + L"\\" + items_[index].caption : L"";
}

std::wstring FakeFilePane::ItemFileName(int index) const {
    return ItemCaption(index);
}
std::wstring FakeFilePane::GetPathName() const {
    return IsDriveRoot(path_) ? path_ + L"\\" : path_;
}

void FakeFilePane::Reload(bool) {
    ++reloadCount;
    Load();
}

int FakeFilePane::SelCount() const {
    return static_cast<int>(std::count_if(items_.begin(), items_.end(), [](const Item& i) { return i.selected; }));
}

int FakeFilePane::FirstSelectedIndex() const {
    for (int i = 0; i < ItemCount(); ++i) {
        if (items_[i].selected) {
            return i;
        }
    }
    return -1;
}

void FakeFilePane::ClearSelection() {
    for (Item& item : items_) {
        item.selected = false;
    }
}

void FakeFilePane::FocusItem(int index) {
    if (Valid(index)) {
        items_[index].selected = true;
        focusedItem = index;
    }
}

void FakeFilePane::SetFocus() {
    ++focusCount;
}

std::wstring FakeFilePane::Directory() const {
    return IsDriveRoot(path_) ? path_ + L"\\" : path_;
}

void FakeFilePane::SetDirectory(const std::wstring& directory) {
    std::wstring candidate = WithoutTrailingBackslash(directory);
    while (candidate.size() >= 3 && !IsFolder(candidate)) {
        size_t cut = candidate.find_last_of(L'\\');
        candidate = WithoutTrailingBackslash(cut == std::wstring::npos ? L"" : candidate.substr(0, cut));
    }
    if (candidate.empty() || (!IsFolder(candidate) && !IsFolder(candidate + L"\\"))) {
        return;
    }
    if (CompareStringOrdinal(candidate.c_str(), -1, path_.c_str(), -1, TRUE) != CSTR_EQUAL) {
        items_.clear();
    }
    path_ = candidate;
    Load();
}

wchar_t FakeFilePane::GetSelectedDrive() const {
    return path_.empty() ? L'\0' : path_[0];
}
void FakeFilePane::SelectDrive(wchar_t drive) {
    SetDirectory(std::wstring(1, drive) + L":\\");
}

bool FakeFilePane::Select(const std::wstring& caption, bool selected) {
    for (Item& item : items_) {
        if (item.caption == caption) {
            item.selected = selected;
            return true;
        }
    }
    return false;
}

std::vector<std::wstring> FakeFilePane::Captions() const {
    std::vector<std::wstring> result;
    for (const Item& item : items_) {
        result.push_back(item.caption);
    }
    return result;
}

std::vector<std::wstring> FakeFilePane::SelectedCaptions() const {
    std::vector<std::wstring> result;
    for (const Item& item : items_) {
        if (item.selected) {
            result.push_back(item.caption);
        }
    }
    return result;
}

} // namespace testenv

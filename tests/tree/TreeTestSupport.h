#pragma once
// What the drive tree tests share: a hidden form holding a TDriveView, folders made on the scratch drives S: and
// T:, and pumping messages until a condition holds.
#include "components/DriveView.h"
#include "gui/Application.h"
#include "gui/Form.h"
#include "support/GuiDriver.h"
#include "support/TestEnv.h"

#include <filesystem>
#include <string>
#include <vector>

namespace treetest {

inline bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000) {
    return guidriver::PumpUntil(condition, timeoutMs, [] { gui::Application.ProcessMessages(); });
}

// A uniquely named folder directly in a drive's root, removed with everything in it when the object goes.
class DriveFolder {
public:
    explicit DriveFolder(wchar_t drive, const std::wstring& tag = L"tree") {
        static int counter = 0;
        name_ = tag + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(++counter);
        path_ = std::wstring(1, drive) + L":\\" + name_;
        std::filesystem::create_directories(path_);
    }
    ~DriveFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    DriveFolder(const DriveFolder&) = delete;
    DriveFolder& operator=(const DriveFolder&) = delete;

    const std::wstring& Name() const { return name_; }
    // The folder's path without trailing backslash.
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& rest) const { return path_ + L"\\" + rest; }
    // Makes sub-folders (relative paths with backslashes).
    void Make(std::initializer_list<std::wstring> relative) const {
        for (const auto& r : relative)
            std::filesystem::create_directories(path_ + L"\\" + r);
    }

private:
    std::wstring name_;
    std::wstring path_;
};

// A form (never shown unless a test asks) with the tree filling it.
class TreeForm : public gui::TForm {
public:
    TreeForm() : gui::TForm(L"TTreeTest_Form", L"TreeTest_Form") {
        SetClientSize(320, 400);
        Tree.SetAlign(gui::TAlign::alClient);
    }
    TDriveView Tree{this, L"DriveView1"};
};

// The texts of a node's children in tree order.
inline std::vector<std::wstring> ChildTexts(const TDriveView& view, HTREEITEM node) {
    std::vector<std::wstring> texts;
    for (HTREEITEM child = view.FirstChild(node); child; child = view.NextSibling(child))
        texts.push_back(view.NodeText(child));
    return texts;
}

} // namespace treetest

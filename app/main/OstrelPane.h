#pragma once
// One file pane of the main window: a directory list bound to an invisible drive tree, under a header with the
// pane's title, the root and level-up labels, the drive box, the path box with the folder history and the browse
// button. The main window makes two, the input pane left and the output pane right; each handles the events of its
// own controls. Where the two sides behave differently, the pane's Side says so at that place.
#include "components/DirView.h"
#include "components/DriveView.h"
#include "components/PathComboBox.h"
#include "gui/ExtCtrls.h"
#include "gui/Menus.h"
#include "gui/StdCtrls.h"

#include <array>
#include <string>

class TOstrel_Form;

enum class PaneSide { Input, Output };

// The names a side's controls carry in the window (the language file and the tests find them by these), and the
// title of its browse dialog.
struct PaneNames {
    const wchar_t* Panel;
    const wchar_t* Header;
    const wchar_t* Title;
    const wchar_t* SideLabel;
    const wchar_t* RootBevel;
    const wchar_t* Hoch;
    const wchar_t* UpBevel;
    const wchar_t* Hoch2;
    const wchar_t* DriveComboBox;
    const wchar_t* PathComboBox;
    const wchar_t* Browser;
    const wchar_t* DirView;
    const wchar_t* DriveView;
    const wchar_t* BrowseTitle;
};

class OstrelPane {
public:
    // The controls are made as children of the window, at the panel's left edge and width.
    OstrelPane(TOstrel_Form& form, PaneSide side, const PaneNames& names, int left, int width);
    ~OstrelPane();
    OstrelPane(const OstrelPane&) = delete;
    OstrelPane& operator=(const OstrelPane&) = delete;

    // Binds the controls' events; other is the pane on the other side.
    void Wire(OstrelPane& other);

    // Tree, list and path box to that folder (nothing for an empty text).
    void SetFolder(const std::wstring& folder);

    // Event handlers.
    void DriveViewChange(HTREEITEM Node);
    void PathComboBoxChange();
    void PathComboBoxExit();
    void DriveComboBoxExit();
    void DriveComboBoxKeyDown(WORD& Key, gui::TShiftState Shift);
    // The drive box opens its list under the mouse pointer (the hidden items LwLinks1 and LwRechts1).
    void DriveListClick();
    // To the drive's root folder.
    void HochClick();
    // One level up; Backspace in the list does the same.
    void Hoch2Click();
    void SortExtClick();
    void BrowserClick();
    void DirViewEnter();
    void DirViewKeyDown(WORD& Key, gui::TShiftState Shift);
    void DirViewDirUpdated();
    void DirViewHeaderEndTrack();

    const PaneSide Side;
    gui::TPanel Panel;
    gui::TPanel Header;
    // The header's first row: the pane's title left, the level-up labels right; the boxes make the second row.
    gui::TPanel Title;
    gui::TLabel SideLabel;
    gui::TBevel RootBevel;
    gui::TLabel Hoch;
    gui::TBevel UpBevel;
    gui::TLabel Hoch2;
    TDriveComboBox DriveComboBox;
    TPathComboBox PathComboBox;
    gui::TSpeedButton Browser;
    TDirView DirView;
    TDriveView DriveView;
    // The menu item that sorts this pane by extension (SortExtL, SortExtR); set once the menus exist.
    gui::TMenuItem* SortExt = nullptr;

    // The folder name shown last at each tree depth, so going up focuses the sub-folder just left.
    static constexpr int kMaxRememberedDepth = 128;

private:
    TOstrel_Form& form_;
    OstrelPane* other_ = nullptr;
    std::wstring browseTitle_;
    std::array<std::wstring, kMaxRememberedDepth + 1> depthMemory_;
};

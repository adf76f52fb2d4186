#pragma once
// Combo boxes whose open list is as wide as its widest item, and the drive combo box: the drives of the drive
// table with their small system icons and names, kept in step with a linked drive tree.
#include "components/DriveTable.h"
#include "components/DriveView.h"
#include "gui/StdCtrls.h"

#include <commctrl.h>

#include <functional>
#include <initializer_list>
#include <string>

// SelectionOK: the list was closed by choosing an item (Enter or a click on an item), not by Esc or a click
// elsewhere.
using TComboCloseUpEvent = std::function<void(gui::TComponent* Sender, bool SelectionOK)>;

// Moving through the open list is no choice: it changes nothing but the highlight (no OnChange). A choice is a click
// on an item, Enter, or a change of the closed box. A list closed without a choice (Esc, a click elsewhere) puts the
// box back to the item and text it had when the list opened.
class TCustomPathComboBox : public gui::TComboBox {
public:
    TCustomPathComboBox(gui::TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 145,
                        int height = 21, gui::TComboBoxStyle style = gui::TComboBoxStyle::csDropDown);

    // Width of the open list in pixels; below 1 the list is as wide as the widest item.
    int DropDownFixedWidth = 0;
    // The list width last computed from the items (0 before the list was first opened).
    int DropDownWidth() const { return dropDownWidth_; }
    bool SelectionOK() const { return selectionOK_; }
    TComboCloseUpEvent OnCloseUp;

    // The widest item text in the control's font, in pixels (0 for an empty list).
    virtual int GetMaxTextWidth() const;
    int GetTextWidth(const std::wstring& Text) const;

protected:
    TCustomPathComboBox(gui::TControl* parent, std::wstring name, int left, int top, int width, int height,
                        gui::TComboBoxStyle style, DWORD ownerDrawStyle);
    bool HandleCommand(WORD code, LRESULT& result) override;
    // Before the list opens.
    virtual void DropDown();
    // The list closed without a choice: back to what the box showed when it opened.
    virtual void RestoreAfterCancel();
    bool ListDropped() const;

private:
    int dropDownWidth_ = 0;
    bool selectionOK_ = false;
    int droppedIndex_ = -1;
    std::wstring droppedText_;
};

class TPathComboBox : public TCustomPathComboBox {
public:
    using TCustomPathComboBox::TCustomPathComboBox;
};

// The drive types; the ordinal is the system's drive type code, so a table's DriveType tests the set directly.
enum TDriveType { dtUnknown, dtNoRootDrive, dtFloppy, dtFixed, dtRemote, dtCDROM, dtRAM };
using TDriveTypes = unsigned; // bit (1 << TDriveType) per member
constexpr TDriveTypes DriveTypeSet(std::initializer_list<TDriveType> types) {
    TDriveTypes set = 0;
    for (TDriveType t : types)
        set |= 1u << t;
    return set;
}
constexpr TDriveTypes kDefaultDriveTypes = DriveTypeSet({dtFloppy, dtFixed, dtRemote, dtCDROM, dtRAM});

class TDriveComboBox : public TCustomPathComboBox, private TDriveViewDriveBox {
public:
    TDriveComboBox(gui::TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 145,
                   int height = 21);
    // The same box over another drive table than the process's one (tests steer drive types through it).
    TDriveComboBox(TDriveInfo& table, gui::TControl* parent, std::wstring name, int left = 0, int top = 0,
                   int width = 145, int height = 21);
    ~TDriveComboBox() override;

    wchar_t Drive() const { return drive_; }
    // Upper-cases the letter; accepts only a valid drive whose type is listed, else nothing changes.
    void SetDrive(wchar_t Value);
    TVolumeDisplayStyle DisplayStyle() const { return displayStyle_; }
    void SetDisplayStyle(TVolumeDisplayStyle Value);
    TDriveTypes DriveTypes() const { return driveTypes_; }
    virtual void SetDriveTypes(TDriveTypes Value);
    TDriveView* DriveView() const { return driveView_; }
    virtual void SetDriveView(TDriveView* Value);

    // Lists every valid drive of a listed type, as its letter followed by its name, and selects Drive's item
    // (or the first one).
    void ResetItems();
    virtual void UpdateItemHeight();
    virtual std::wstring GetDriveDisplayName(wchar_t Drive);
    int GetMaxTextWidth() const override;
    // The height of the list items last set.
    int ItemHeight() const { return itemHeight_; }

protected:
    bool HandleCommand(WORD code, LRESULT& result) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Owner drawing, asked of the parent window and reflected to the box.
    bool HandleDrawItem(const DRAWITEMSTRUCT& item) override;
    virtual void DrawItem(const DRAWITEMSTRUCT& item);
    // Back to the item of Drive: the box shows the drive the tree (and so the pane) is on.
    void RestoreAfterCancel() override;

private:
    // The user chose the selected item: Drive takes its letter, the tree follows, then OnChange. Nothing when the
    // letter is Drive already (a choice is told by more than one notification).
    void TakeChoice(LRESULT& result);
    void SelectDriveItem();
    // TDriveViewDriveBox: the tree's selection moved to another drive, or the tree goes.
    void DriveBoxSetDrive(wchar_t drive) override { SetDrive(drive); }
    void DriveBoxDriveViewDestroyed(TDriveView* view) override;

    TDriveInfo& table_;
    wchar_t drive_ = L'C';
    TVolumeDisplayStyle displayStyle_ = doPrettyName;
    TDriveTypes driveTypes_ = kDefaultDriveTypes;
    TDriveView* driveView_ = nullptr;
    HIMAGELIST images_ = nullptr; // the system's small-icon list: shared, never freed here
    int itemHeight_ = 0;
};

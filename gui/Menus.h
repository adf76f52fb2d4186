#pragma once
// Menu bars and popup menus. Each item owns its sub-items; an item with sub-items owns the Win32 sub-menu that
// shows them. Every change of an item is made to its own Win32 item at once (inserted, updated or removed), so the
// Win32 menu always mirrors the items and the other items are never touched.
#include "gui/Types.h"
#include "win/Handles.h"

#include <memory>
#include <vector>

namespace gui {

class TForm;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(std::wstring name = {}, std::wstring caption = {});
    ~TMenuItem() override;

    // Adds a sub-item and returns it; the item owns it. Caption "-" makes a separator.
    TMenuItem* Add(std::wstring name, std::wstring caption);
    TMenuItem* Add(std::unique_ptr<TMenuItem> item, int index = -1);
    TMenuItem* AddSeparator();
    std::unique_ptr<TMenuItem> Remove(TMenuItem* item);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Item(int index) const { return items_.at(static_cast<size_t>(index)).get(); }
    int IndexOf(const TMenuItem* item) const;
    TMenuItem* Parent() const { return parent_; }
    TMenuItem* Find(const std::wstring& name);

    const std::wstring& Caption() const { return caption_; }
    void SetCaption(const std::wstring& caption);
    bool Checked() const { return checked_; }
    // In a radio group (RadioItem, same GroupIndex) checking one item unchecks the others.
    void SetChecked(bool checked);
    bool RadioItem() const { return radio_; }
    void SetRadioItem(bool radio);
    int GroupIndex = 0;
    // Checks the item on every click (a toggle, or the chosen one of a radio group).
    bool AutoCheck = false;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut);
    // Places the item at the right edge of a menu bar (the help menu).
    void SetRightJustify(bool right);
    const std::wstring& Hint() const { return hint_; }
    void SetHint(const std::wstring& hint) { hint_ = hint; }
    bool IsSeparator() const { return caption_ == L"-"; }

    // The sub-menu of an item with sub-items (null otherwise); the bar's menu for a menu's root item.
    HMENU Handle() const { return menu_.get(); }
    UINT Command() const { return command_; }
    static TMenuItem* FromCommand(UINT command);

    // Runs OnClick (with AutoCheck first), also when the item is disabled.
    void Click();
    TNotifyEvent OnClick;

    // Runs the first enabled, visible item below this one with the shortcut; false when none has it.
    bool ClickShortCut(TShortCut shortCut);

private:
    friend class TMainMenu;
    friend class TPopupMenu;
    void Changed();
    void InsertIntoParent();
    void RemoveFromParent();
    bool InParentMenu() const;
    UINT MenuPosition() const;
    void Describe(MENUITEMINFOW& mii, std::wstring& text) const;
    void Redraw() const;
    void EnsureMenu();

    TMenuItem* parent_ = nullptr;
    std::vector<std::unique_ptr<TMenuItem>> items_;
    std::wstring caption_;
    std::wstring hint_;
    bool checked_ = false;
    bool radio_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    bool rightJustify_ = false;
    TShortCut shortCut_ = 0;
    UINT command_ = 0;
    win::UniqueMenu menu_;
    bool menuBar_ = false;
    HWND barWindow_ = nullptr;
    int updating_ = 0;
    mutable bool redrawPending_ = false;
};

class TMainMenu : public TComponent {
public:
    explicit TMainMenu(std::wstring name = {});
    TMenuItem Items;
    HMENU Handle() const { return Items.Handle(); }
    // Between these (nested), changes of the items reach the Win32 menu at once but the window redraws its bar
    // (and makes room for it) only once, at the last EndUpdate.
    void BeginUpdate() { ++Items.updating_; }
    void EndUpdate();

private:
    friend class TForm;
    void Attach(HWND window);
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(std::wstring name = {});
    TMenuItem Items;
    HMENU Handle() const { return Items.Handle(); }
    // Shows the menu at a screen point for the window and runs the chosen item.
    void Popup(int x, int y, HWND owner = nullptr);
    TNotifyEvent OnPopup;
    TComponent* PopupComponent = nullptr;
};

} // namespace gui

#include "gui/Menus.h"

#include "gui/Application.h"

#include <algorithm>
#include <map>

namespace gui {

namespace {
std::map<UINT, TMenuItem*>& CommandMap() {
    static std::map<UINT, TMenuItem*> map;
    return map;
}
UINT g_nextCommand = 0x100;
} // namespace

TMenuItem::TMenuItem(std::wstring name, std::wstring caption)
    : TComponent(std::move(name)), caption_(std::move(caption)) {
    command_ = g_nextCommand++;
    if (g_nextCommand >= 0xF000)
        g_nextCommand = 0x100; // below the system commands
    CommandMap()[command_] = this;
}

TMenuItem::~TMenuItem() {
    CommandMap().erase(command_);
    items_.clear(); // the sub-menus go before the menu that holds them
}

TMenuItem* TMenuItem::FromCommand(UINT command) {
    auto found = CommandMap().find(command);
    return found == CommandMap().end() ? nullptr : found->second;
}

TMenuItem* TMenuItem::Add(std::wstring name, std::wstring caption) {
    return Add(std::make_unique<TMenuItem>(std::move(name), std::move(caption)));
}

TMenuItem* TMenuItem::AddSeparator() {
    return Add(L"", L"-");
}

TMenuItem* TMenuItem::Add(std::unique_ptr<TMenuItem> item, int index) {
    item->parent_ = this;
    TMenuItem* raw = item.get();
    const bool firstChild = items_.empty();
    if (index < 0 || index > Count())
        items_.push_back(std::move(item));
    else
        items_.insert(items_.begin() + index, std::move(item));
    EnsureMenu();
    raw->InsertIntoParent();
    if (firstChild)
        Changed(); // this item has just become a sub-menu
    return raw;
}

std::unique_ptr<TMenuItem> TMenuItem::Remove(TMenuItem* item) {
    auto found = std::find_if(items_.begin(), items_.end(), [item](const auto& p) { return p.get() == item; });
    if (found == items_.end())
        return nullptr;
    item->RemoveFromParent();
    std::unique_ptr<TMenuItem> owned = std::move(*found);
    items_.erase(found);
    owned->parent_ = nullptr;
    if (items_.empty())
        Changed(); // no longer a sub-menu
    return owned;
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    for (int i = 0; i < Count(); ++i)
        if (items_[static_cast<size_t>(i)].get() == item)
            return i;
    return -1;
}

TMenuItem* TMenuItem::Find(const std::wstring& name) {
    if (Name() == name)
        return this;
    for (auto& child : items_)
        if (TMenuItem* found = child->Find(name))
            return found;
    return nullptr;
}

void TMenuItem::EnsureMenu() {
    if (!menu_)
        menu_.reset(menuBar_ ? CreateMenu() : CreatePopupMenu());
}

void TMenuItem::SetCaption(const std::wstring& caption) {
    caption_ = caption;
    Changed();
}

void TMenuItem::SetChecked(bool checked) {
    if (checked && radio_ && parent_) {
        for (auto& sibling : parent_->items_) {
            if (sibling.get() != this && sibling->radio_ && sibling->GroupIndex == GroupIndex && sibling->checked_) {
                sibling->checked_ = false;
                sibling->Changed();
            }
        }
    }
    checked_ = checked;
    Changed();
}

void TMenuItem::SetRadioItem(bool radio) {
    radio_ = radio;
    Changed();
}

void TMenuItem::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Changed();
}

void TMenuItem::SetVisible(bool visible) {
    if (visible == visible_)
        return;
    if (!visible)
        RemoveFromParent();
    visible_ = visible;
    if (visible)
        InsertIntoParent();
}

void TMenuItem::SetShortCut(TShortCut shortCut) {
    shortCut_ = shortCut;
    Changed();
}

void TMenuItem::SetRightJustify(bool right) {
    rightJustify_ = right;
    Changed();
}

// A hidden item has no place in the Win32 menu; a visible one sits after the visible items before it.
UINT TMenuItem::MenuPosition() const {
    UINT position = 0;
    for (const auto& sibling : parent_->items_) {
        if (sibling.get() == this)
            break;
        if (sibling->visible_)
            ++position;
    }
    return position;
}

bool TMenuItem::InParentMenu() const {
    return parent_ && parent_->menu_ && visible_;
}

void TMenuItem::Describe(MENUITEMINFOW& mii, std::wstring& text) const {
    mii = MENUITEMINFOW{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU;
    mii.wID = command_;
    mii.hSubMenu = items_.empty() ? nullptr : menu_.get();
    if (IsSeparator()) {
        mii.fType = MFT_SEPARATOR;
        return;
    }
    text = caption_;
    if (shortCut_)
        text += L"\t" + ShortCutToText(shortCut_);
    mii.fMask |= MIIM_STRING;
    mii.fType = MFT_STRING | (radio_ ? MFT_RADIOCHECK : 0) | (rightJustify_ ? MFT_RIGHTJUSTIFY : 0);
    mii.fState = (checked_ ? MFS_CHECKED : 0) | (enabled_ ? MFS_ENABLED : MFS_DISABLED);
    mii.dwTypeData = text.data();
}

// Menus with hundreds of items are built and retexted at start: each change touches its own Win32 item only.
void TMenuItem::Changed() {
    if (!InParentMenu())
        return;
    MENUITEMINFOW mii;
    std::wstring text;
    Describe(mii, text);
    SetMenuItemInfoW(parent_->menu_.get(), MenuPosition(), TRUE, &mii);
    parent_->Redraw();
}

void TMenuItem::InsertIntoParent() {
    if (!InParentMenu())
        return;
    MENUITEMINFOW mii;
    std::wstring text;
    Describe(mii, text);
    InsertMenuItemW(parent_->menu_.get(), MenuPosition(), TRUE, &mii);
    parent_->Redraw();
}

void TMenuItem::RemoveFromParent() {
    if (!InParentMenu())
        return;
    RemoveMenu(parent_->menu_.get(), MenuPosition(), MF_BYPOSITION); // keeps the sub-menu, which this item owns
    parent_->Redraw();
}

// Redrawing the bar makes the window measure its frame again, so a run of changes redraws it once.
void TMenuItem::Redraw() const {
    if (!menuBar_)
        return;
    if (updating_ > 0) {
        redrawPending_ = true;
        return;
    }
    if (barWindow_ && IsWindow(barWindow_))
        DrawMenuBar(barWindow_);
}

void TMenuItem::Click() {
    if (AutoCheck)
        SetChecked(radio_ ? true : !checked_);
    if (OnClick)
        OnClick(this);
}

bool TMenuItem::ClickShortCut(TShortCut shortCut) {
    for (auto& item : items_) {
        if (!item->visible_ || !item->enabled_)
            continue;
        if (item->shortCut_ == shortCut && item->items_.empty()) {
            item->Click();
            return true;
        }
        if (item->ClickShortCut(shortCut))
            return true;
    }
    return false;
}

TMainMenu::TMainMenu(std::wstring name) : TComponent(std::move(name)) {
    Items.menuBar_ = true;
    Items.EnsureMenu();
}

void TMainMenu::EndUpdate() {
    if (Items.updating_ > 0 && --Items.updating_ == 0 && Items.redrawPending_) {
        Items.redrawPending_ = false;
        Items.Redraw();
    }
}

void TMainMenu::Attach(HWND window) {
    Items.barWindow_ = window;
    Items.Redraw();
}

TPopupMenu::TPopupMenu(std::wstring name) : TComponent(std::move(name)) {
    Items.EnsureMenu();
}

void TPopupMenu::Popup(int x, int y, HWND owner) {
    if (OnPopup)
        OnPopup(this);
    if (!owner && Application.MainForm())
        owner = Application.MainForm()->Handle();
    UINT command =
        static_cast<UINT>(TrackPopupMenu(Items.Handle(), TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
    if (owner)
        PostMessageW(owner, WM_NULL, 0, 0);
    if (command)
        if (TMenuItem* item = TMenuItem::FromCommand(command))
            item->Click();
}

} // namespace gui

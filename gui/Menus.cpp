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

TMenuItem::TMenuItem(std::wstring name, std::wstring caption) : TComponent(std::move(name)), caption_(std::move(caption)) {
    command_ = g_nextCommand++;
    if (g_nextCommand >= 0xF000) g_nextCommand = 0x100; // below the system commands
    CommandMap()[command_] = this;
}

TMenuItem::~TMenuItem() {
    CommandMap().erase(command_);
    items_.clear();
    if (menu_) DestroyMenu(menu_);
}

TMenuItem* TMenuItem::FromCommand(UINT command) {
    auto found = CommandMap().find(command);
    return found == CommandMap().end() ? nullptr : found->second;
}

TMenuItem* TMenuItem::Add(std::wstring name, std::wstring caption) {
    return Add(std::make_unique<TMenuItem>(std::move(name), std::move(caption)));
}

TMenuItem* TMenuItem::AddSeparator() { return Add(L"", L"-"); }

TMenuItem* TMenuItem::Add(std::unique_ptr<TMenuItem> item, int index) {
    item->parent_ = this;
    TMenuItem* raw = item.get();
    if (index < 0 || index > Count()) items_.push_back(std::move(item));
    else items_.insert(items_.begin() + index, std::move(item));
    EnsureMenu();
    Rebuild();
    if (parent_) parent_->Rebuild(); // this item may just have become a sub-menu
    return raw;
}

std::unique_ptr<TMenuItem> TMenuItem::Remove(TMenuItem* item) {
    auto found = std::find_if(items_.begin(), items_.end(), [item](const auto& p) { return p.get() == item; });
    if (found == items_.end()) return nullptr;
    std::unique_ptr<TMenuItem> owned = std::move(*found);
    items_.erase(found);
    owned->parent_ = nullptr;
    Rebuild();
    return owned;
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
    for (int i = 0; i < Count(); ++i)
        if (items_[static_cast<size_t>(i)].get() == item) return i;
    return -1;
}

TMenuItem* TMenuItem::Find(const std::wstring& name) {
    if (Name() == name) return this;
    for (auto& child : items_)
        if (TMenuItem* found = child->Find(name)) return found;
    return nullptr;
}

void TMenuItem::EnsureMenu() {
    if (!menu_) menu_ = menuBar_ ? CreateMenu() : CreatePopupMenu();
}

void TMenuItem::SetCaption(const std::wstring& caption) {
    caption_ = caption;
    Changed();
}

void TMenuItem::SetChecked(bool checked) {
    if (checked && radio_ && parent_) {
        for (auto& sibling : parent_->items_)
            if (sibling.get() != this && sibling->radio_ && sibling->GroupIndex == GroupIndex) sibling->checked_ = false;
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
    visible_ = visible;
    Changed();
}

void TMenuItem::SetShortCut(TShortCut shortCut) {
    shortCut_ = shortCut;
    Changed();
}

void TMenuItem::SetRightJustify(bool right) {
    rightJustify_ = right;
    Changed();
}

void TMenuItem::Changed() {
    if (parent_) parent_->Rebuild();
}

// Fills this item's Win32 menu from the visible sub-items.
void TMenuItem::Rebuild() {
    if (!menu_) return;
    while (GetMenuItemCount(menu_) > 0) RemoveMenu(menu_, 0, MF_BYPOSITION);
    UINT pos = 0;
    for (auto& item : items_) {
        if (!item->visible_) continue;
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        std::wstring text = item->caption_;
        if (item->shortCut_) text += L"\t" + ShortCutToText(item->shortCut_);
        if (item->IsSeparator()) {
            mii.fMask = MIIM_FTYPE;
            mii.fType = MFT_SEPARATOR;
        } else {
            mii.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU;
            mii.fType = MFT_STRING | (item->radio_ ? MFT_RADIOCHECK : 0) | (item->rightJustify_ ? MFT_RIGHTJUSTIFY : 0);
            mii.fState = (item->checked_ ? MFS_CHECKED : 0) | (item->enabled_ ? MFS_ENABLED : MFS_DISABLED);
            mii.wID = item->command_;
            mii.dwTypeData = text.data();
            mii.hSubMenu = item->items_.empty() ? nullptr : item->menu_;
        }
        InsertMenuItemW(menu_, pos++, TRUE, &mii);
    }
    if (menuBar_ && barWindow_ && IsWindow(barWindow_)) DrawMenuBar(barWindow_);
}

void TMenuItem::Click() {
    if (AutoCheck) SetChecked(radio_ ? true : !checked_);
    if (OnClick) OnClick(this);
}

bool TMenuItem::ClickShortCut(TShortCut shortCut) {
    for (auto& item : items_) {
        if (!item->visible_ || !item->enabled_) continue;
        if (item->shortCut_ == shortCut && item->items_.empty()) {
            item->Click();
            return true;
        }
        if (item->ClickShortCut(shortCut)) return true;
    }
    return false;
}

TMainMenu::TMainMenu(std::wstring name) : TComponent(std::move(name)) {
    Items.menuBar_ = true;
    Items.EnsureMenu();
}

void TMainMenu::Attach(HWND window) {
    Items.barWindow_ = window;
    Items.Rebuild();
}

TPopupMenu::TPopupMenu(std::wstring name) : TComponent(std::move(name)) { Items.EnsureMenu(); }

void TPopupMenu::Popup(int x, int y, HWND owner) {
    if (OnPopup) OnPopup(this);
    if (!owner && Application.MainForm()) owner = Application.MainForm()->Handle();
    UINT command = static_cast<UINT>(TrackPopupMenu(Items.Handle(), TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr));
    if (owner) PostMessageW(owner, WM_NULL, 0, 0);
    if (command)
        if (TMenuItem* item = TMenuItem::FromCommand(command)) item->Click();
}

} // namespace gui

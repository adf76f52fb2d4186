// Menu items and their Win32 menu: after every kind of change the Win32 menu shows exactly the visible items, in
// order, with their texts and states, and the Win32 items of the other entries are left as they were.
#include "GuiTestSupport.h"
#include "gui/Menus.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace gui;

namespace {

// The application data of a Win32 menu entry: nothing in the library sets it, so it survives only as long as the
// entry itself is not removed and inserted again.
ULONG_PTR EntryData(HMENU menu, UINT position) {
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_DATA;
    GetMenuItemInfoW(menu, position, TRUE, &mii);
    return mii.dwItemData;
}

void MarkEntries(HMENU menu) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        mii.fMask = MIIM_DATA;
        mii.dwItemData = 0x1000 + static_cast<ULONG_PTR>(i);
        SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii);
    }
}

struct Entry {
    UINT id;
    std::wstring text;
    UINT state;
    UINT type;
    HMENU subMenu;
};

Entry ReadEntry(HMENU menu, UINT position) {
    wchar_t text[128]{};
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU;
    mii.dwTypeData = text;
    mii.cch = 128;
    GetMenuItemInfoW(menu, position, TRUE, &mii);
    return {mii.wID, text, mii.fState, mii.fType, mii.hSubMenu};
}

// The Win32 menu of parent shows its visible items and nothing else.
void ExpectMirrors(const TMenuItem& parent, const std::string& step) {
    std::vector<const TMenuItem*> visible;
    for (int i = 0; i < parent.Count(); ++i)
        if (parent.Item(i)->Visible())
            visible.push_back(parent.Item(i));
    ASSERT_EQ(GetMenuItemCount(parent.Handle()), static_cast<int>(visible.size())) << step;
    for (size_t i = 0; i < visible.size(); ++i) {
        const TMenuItem& item = *visible[i];
        const Entry entry = ReadEntry(parent.Handle(), static_cast<UINT>(i));
        EXPECT_EQ(entry.id, item.Command()) << step << " at " << i;
        EXPECT_EQ(entry.subMenu, item.Count() ? item.Handle() : nullptr) << step << " at " << i;
        if (item.IsSeparator()) {
            EXPECT_TRUE(entry.type & MFT_SEPARATOR) << step << " at " << i;
            continue;
        }
        std::wstring text = item.Caption();
        if (item.ShortCut())
            text += L"\t" + ShortCutToText(item.ShortCut());
        EXPECT_EQ(entry.text, text) << step << " at " << i;
        EXPECT_EQ((entry.state & MFS_CHECKED) != 0, item.Checked()) << step << " at " << i;
        EXPECT_EQ((entry.state & MFS_DISABLED) != 0, !item.Enabled()) << step << " at " << i;
        EXPECT_EQ((entry.type & MFT_RADIOCHECK) != 0, item.RadioItem()) << step << " at " << i;
    }
}

} // namespace

TEST(GuiMenu, EveryChangeIsMirroredAndLeavesTheOtherEntriesAlone) {
    struct Step {
        const char* name;
        std::function<void(TMenuItem& menu)> change;
        // The items whose Win32 entries are new after the change (they lose their mark); all others keep theirs.
        std::vector<const wchar_t*> newEntries;
    };
    const Step steps[] = {
        {"caption", [](TMenuItem& m) { m.Find(L"B")->SetCaption(L"&Bee"); }, {}},
        {"checked", [](TMenuItem& m) { m.Find(L"C")->SetChecked(true); }, {}},
        {"disabled", [](TMenuItem& m) { m.Find(L"D")->SetEnabled(false); }, {}},
        {"shortcut", [](TMenuItem& m) { m.Find(L"B")->SetShortCut(ShortCut(VK_F5, ssCtrl)); }, {}},
        {"radio group",
         [](TMenuItem& m) {
             m.Find(L"R1")->SetChecked(true);
             m.Find(L"R2")->SetChecked(true);
         },
         {}},
        {"hidden", [](TMenuItem& m) { m.Find(L"C")->SetVisible(false); }, {}},
        {"shown again", [](TMenuItem& m) { m.Find(L"C")->SetVisible(true); }, {L"C"}},
        {"first item hidden", [](TMenuItem& m) { m.Find(L"A")->SetVisible(false); }, {}},
        {"added in the middle", [](TMenuItem& m) { m.Add(std::make_unique<TMenuItem>(L"N", L"&Neu"), 2); }, {L"N"}},
        {"removed", [](TMenuItem& m) { m.Remove(m.Find(L"D")); }, {}},
        {"becomes a sub-menu", [](TMenuItem& m) { m.Find(L"B")->Add(L"B1", L"Unter"); }, {}},
        {"separator retexted", [](TMenuItem& m) { m.Item(m.Count() - 1)->SetCaption(L"&Ende"); }, {}},
        {"hidden item changed", [](TMenuItem& m) { m.Find(L"A")->SetCaption(L"&Alpha"); }, {}},
        {"hidden item shown", [](TMenuItem& m) { m.Find(L"A")->SetVisible(true); }, {L"A"}},
    };

    TPopupMenu popup(L"PopupMenu1");
    TMenuItem& menu = popup.Items;
    for (const wchar_t* name : {L"A", L"B", L"C", L"D", L"R1", L"R2"})
        menu.Add(name, std::wstring(L"&") + name);
    for (const wchar_t* name : {L"R1", L"R2"}) {
        menu.Find(name)->SetRadioItem(true);
        menu.Find(name)->GroupIndex = 1;
    }
    menu.AddSeparator();
    ExpectMirrors(menu, "built");

    for (const Step& step : steps) {
        MarkEntries(menu.Handle());
        std::vector<std::pair<const TMenuItem*, ULONG_PTR>> marks;
        for (int i = 0, position = 0; i < menu.Count(); ++i)
            if (menu.Item(i)->Visible())
                marks.push_back({menu.Item(i), EntryData(menu.Handle(), static_cast<UINT>(position++))});
        step.change(menu);
        ExpectMirrors(menu, step.name);
        for (int i = 0, position = 0; i < menu.Count(); ++i) {
            const TMenuItem* item = menu.Item(i);
            if (!item->Visible())
                continue;
            const ULONG_PTR data = EntryData(menu.Handle(), static_cast<UINT>(position++));
            bool isNew = false;
            for (const wchar_t* name : step.newEntries)
                isNew = isNew || item->Name() == name;
            if (isNew)
                continue;
            for (const auto& [marked, mark] : marks) {
                if (marked == item) {
                    EXPECT_EQ(data, mark) << step.name << ": entry "
                                          << std::string(item->Name().begin(), item->Name().end()) << " was made again";
                }
            }
        }
    }
    EXPECT_FALSE(menu.Find(L"R1")->Checked());
    EXPECT_TRUE(menu.Find(L"R2")->Checked());
    ExpectMirrors(*menu.Find(L"B"), "sub-menu");
}

TEST(GuiMenu, MenuBarEntriesFollowTheirItemsOnAShownForm) {
    TForm form(L"TMenuBar_Form");
    TMainMenu bar(L"MainMenu1");
    TMenuItem* file = bar.Items.Add(L"Datei1", L"&Datei");
    file->Add(L"Oeffnen1", L"&Öffnen");
    TMenuItem* help = bar.Items.Add(L"Hilfe1", L"&Hilfe");
    help->Add(L"Info1", L"&Info");
    form.SetMenu(&bar);
    form.Show();
    ExpectMirrors(bar.Items, "attached");

    MarkEntries(bar.Handle());
    const ULONG_PTR fileMark = EntryData(bar.Handle(), 0);
    help->SetRightJustify(true);
    help->SetCaption(L"&Help");
    ExpectMirrors(bar.Items, "help retexted");
    EXPECT_TRUE(ReadEntry(bar.Handle(), 1).type & MFT_RIGHTJUSTIFY);
    EXPECT_EQ(EntryData(bar.Handle(), 0), fileMark) << "the other bar entry was made again";
    EXPECT_EQ(GetMenu(form.Handle()), bar.Handle());
    form.SetMenu(nullptr);
}

TEST(GuiMenu, ABarThatGrowsDuringAnUpdateGetsItsRoomAtTheEnd) {
    TForm form(L"TMenuBarUpdate_Form");
    form.SetBounds(10, 10, 240, 200);
    TMainMenu bar(L"MainMenu1");
    bar.Items.Add(L"Datei1", L"&Datei");
    form.SetMenu(&bar);
    form.Show();
    const int oneLine = form.ClientHeight();

    bar.BeginUpdate();
    bar.BeginUpdate();
    for (const wchar_t* caption : {L"&Markieren", L"&Ansicht", L"&Optionen", L"A&nderes", L"&Hilfe"})
        bar.Items.Add(caption, caption);
    bar.EndUpdate();
    bar.EndUpdate();
    ExpectMirrors(bar.Items, "after the update");
    EXPECT_LT(form.ClientHeight(), oneLine) << "the bar broke into more lines but the window kept its client area";
    form.SetMenu(nullptr);
}

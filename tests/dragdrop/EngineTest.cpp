// The engine's target side as OLE drives it (the IDropTarget methods called directly), its registration and
// subclassing, the effect rules by key state, the drop menu and the posted processing of a drop.
#include "DragDropTestSupport.h"

#include "gui/Types.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ddtest;

namespace {

constexpr DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

struct EffectCase {
    const char* name;
    TDropEffectSet target;
    DWORD allowed;
    DWORD keys;
    DWORD expected;
};

class EffectRules : public ::testing::TestWithParam<EffectCase> {};

TEST_P(EffectRules, KeysAndMasksGiveTheEffect) {
    const EffectCase& c = GetParam();
    TTestDragDrop dd;
    dd.SetTargetEffects(c.target);
    DWORD effect = c.allowed;
    dd.DropTarget()->GetEffect(c.keys, effect);
    EXPECT_EQ(effect, c.expected);
}

const TDropEffectSet kAllSet{deCopy, deMove, deLink};

INSTANTIATE_TEST_SUITE_P(
    Table, EffectRules,
    ::testing::Values(
        EffectCase{"plain_copies", kAllSet, kAll, 0, DROPEFFECT_COPY},
        EffectCase{"shift_moves", kAllSet, kAll, MK_SHIFT, DROPEFFECT_MOVE},
        EffectCase{"ctrl_copies", kAllSet, kAll, MK_CONTROL, DROPEFFECT_COPY},
        EffectCase{"ctrl_shift_links", kAllSet, kAll, MK_CONTROL | MK_SHIFT, DROPEFFECT_LINK},
        EffectCase{"ctrl_shift_without_link_copies", TDropEffectSet{deCopy, deMove}, kAll, MK_CONTROL | MK_SHIFT,
                   DROPEFFECT_COPY},
        EffectCase{"source_without_copy_moves", kAllSet, DROPEFFECT_MOVE | DROPEFFECT_LINK, 0, DROPEFFECT_MOVE},
        EffectCase{"only_link_in_common", kAllSet, DROPEFFECT_LINK, 0, DROPEFFECT_LINK},
        EffectCase{"nothing_in_common", TDropEffectSet{deCopy}, DROPEFFECT_MOVE, 0, DROPEFFECT_NONE},
        EffectCase{"shift_without_move_target_copies", TDropEffectSet{deCopy}, kAll, MK_SHIFT, DROPEFFECT_COPY},
        EffectCase{"buttons_do_not_matter", kAllSet, kAll, MK_LBUTTON | MK_RBUTTON, DROPEFFECT_COPY}),
    [](const ::testing::TestParamInfo<EffectCase>& info) { return std::string(info.param.name); });

TEST(Effects, ScrollBitWhileTheControlScrolls) {
    TTestWindow window;
    TTestDragDrop dd;
    dd.SetDragDropWindow(window.Handle());
    dd.SetTargetEffects({deCopy});
    SendMessageW(window.Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    DWORD effect = DROPEFFECT_COPY;
    dd.DropTarget()->GetEffect(0, effect);
    EXPECT_EQ(effect, DROPEFFECT_COPY | DROPEFFECT_SCROLL);
    SendMessageW(window.Handle(), WM_VSCROLL, SB_ENDSCROLL, 0);
    effect = DROPEFFECT_COPY;
    dd.DropTarget()->GetEffect(0, effect);
    EXPECT_EQ(effect, DROPEFFECT_COPY);
}

TEST(Effects, DraggingNearTheEdgeStartsScrollingUntilTheDragLeaves) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VSCROLL, 100, 100, 300, 200, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100, 10, 0, 0};
    SetScrollInfo(window, SB_VERT, &info, FALSE);
    {
        TTestDragDrop dd;
        dd.SetDragDropWindow(window);
        dd.SetTargetEffects({deCopy});
        RECT client{};
        GetClientRect(window, &client);
        POINT nearBottom{50, client.bottom - 3};
        ClientToScreen(window, &nearBottom);
        dd.DropTarget()->Scroller().CursorPos = [nearBottom] { return nearBottom; };
        ComPtr<TBlockDataObject> data = Adopt(new TBlockDataObject);
        Enter(dd.DropTarget(), data.Get(), MK_LBUTTON, nearBottom, DROPEFFECT_COPY);
        DWORD effect = DROPEFFECT_COPY;
        dd.DropTarget()->DragOver(MK_LBUTTON, POINTL{nearBottom.x, nearBottom.y}, &effect);
        EXPECT_FALSE(dd.DropTarget()->Scroller().StartDelayRunning(true)) << "the switches are off by default";

        dd.ScrollDetectOptions().VertScrolling = true;
        dd.DropTarget()->DragOver(MK_LBUTTON, POINTL{nearBottom.x, nearBottom.y}, &effect);
        EXPECT_TRUE(dd.DropTarget()->Scroller().StartDelayRunning(true));
        EXPECT_EQ(dd.DropTarget()->Scroller().Direction(true), 2);
        dd.DropTarget()->DragLeave();
        EXPECT_FALSE(dd.DropTarget()->Scroller().StartDelayRunning(true));
        EXPECT_EQ(dd.DropTarget()->Scroller().Direction(true), 0);
    }
    DestroyWindow(window);
}

TEST(Effects, SetsTurnIntoOleMasks) {
    EXPECT_EQ(DropEffectMask({}), 0u);
    EXPECT_EQ(DropEffectMask({deLink}), static_cast<DWORD>(DROPEFFECT_LINK));
    EXPECT_EQ(DropEffectMask(kAllSet), kAll);
}

// --- Registration ------------------------------------------------------------------------------------------------

// RegisterDragDrop refuses a window that already has a target: the honest outside view of "registered".
bool WindowHasDropTarget(HWND window) {
    TTestDragDrop probe;
    HRESULT hr = RegisterDragDrop(window, probe.DropTarget());
    if (SUCCEEDED(hr))
        RevokeDragDrop(window);
    return hr == DRAGDROP_E_ALREADYREGISTERED;
}

TEST(Registration, FollowsTheTargetEffectsAndTheWindow) {
    TTestWindow window;
    TTestDragDrop dd;
    dd.SetDragDropWindow(window.Handle());
    EXPECT_FALSE(dd.Registered());
    EXPECT_FALSE(dd.Subclassed());
    EXPECT_FALSE(WindowHasDropTarget(window.Handle()));

    dd.SetTargetEffects({deCopy, deMove});
    EXPECT_TRUE(dd.Registered());
    EXPECT_TRUE(dd.Subclassed());
    EXPECT_TRUE(WindowHasDropTarget(window.Handle()));

    dd.SetTargetEffects({});
    EXPECT_FALSE(dd.Registered());
    EXPECT_FALSE(dd.Subclassed()) << "no mask needs the window any more";
    EXPECT_FALSE(WindowHasDropTarget(window.Handle()));
}

TEST(Registration, SourceEffectsSubclassOnly) {
    TTestWindow window;
    TTestDragDrop dd;
    dd.SetDragDropWindow(window.Handle());
    dd.SetSourceEffects({deCopy});
    EXPECT_TRUE(dd.Subclassed());
    EXPECT_FALSE(dd.Registered());
    dd.SetSourceEffects({});
    EXPECT_FALSE(dd.Subclassed());
}

TEST(Registration, DestroyingTheWindowRevokes) {
    TTestWindow window;
    TTestDragDrop dd;
    dd.SetDragDropWindow(window.Handle());
    dd.SetTargetEffects({deCopy});
    dd.SetSourceEffects({deCopy});
    ASSERT_TRUE(dd.Registered());
    window.Destroy();
    EXPECT_FALSE(dd.Registered());
    EXPECT_FALSE(dd.Subclassed());
    EXPECT_EQ(dd.DragDropWindow(), nullptr);
}

TEST(Registration, MovingToAnotherWindowReleasesTheFirst) {
    TTestWindow first, second;
    TTestDragDrop dd;
    dd.SetTargetEffects({deCopy});
    dd.SetDragDropWindow(first.Handle());
    ASSERT_TRUE(WindowHasDropTarget(first.Handle()));
    dd.SetDragDropWindow(second.Handle());
    EXPECT_FALSE(WindowHasDropTarget(first.Handle()));
    EXPECT_TRUE(WindowHasDropTarget(second.Handle()));
}

TEST(Registration, DestroyingTheComponentReleasesTheWindow) {
    TTestWindow window;
    {
        TTestDragDrop dd;
        dd.SetDragDropWindow(window.Handle());
        dd.SetTargetEffects({deCopy});
        ASSERT_TRUE(WindowHasDropTarget(window.Handle()));
    }
    EXPECT_FALSE(WindowHasDropTarget(window.Handle()));
    SendMessageW(window.Handle(), WM_VSCROLL, SB_LINEDOWN, 0); // no procedure of the dead component runs
}

// --- Target events -----------------------------------------------------------------------------------------------

struct TargetFixture : ::testing::Test {
    TTestWindow window;
    TTestDragDrop dd;
    ComPtr<TBlockDataObject> data = Adopt(new TBlockDataObject);
    std::vector<std::string> events;
    POINT lastPoint{-1, -1};
    POINT origin{};

    void SetUp() override {
        dd.SetDragDropWindow(window.Handle());
        dd.SetTargetEffects({deCopy, deMove, deLink});
        ClientToScreen(window.Handle(), &origin);
        dd.OnDragEnter = [this](IDataObject*, DWORD, POINT pt, DWORD& effect, bool&) {
            events.push_back("enter " + std::to_string(effect));
            lastPoint = pt;
        };
        dd.OnDragOver = [this](DWORD, POINT pt, DWORD& effect) {
            events.push_back("over " + std::to_string(effect));
            lastPoint = pt;
        };
        dd.OnDragLeave = [this] { events.push_back("leave"); };
        dd.OnDrop = [this](IDataObject*, DWORD keys, POINT, DWORD& effect) {
            events.push_back("drop " + std::to_string(effect) + ((keys & MK_LBUTTON) ? " left" : "") +
                             ((keys & MK_RBUTTON) ? " right" : ""));
        };
        dd.OnProcessDropped = [this](gui::TComponent* sender, DWORD, POINT pt, DWORD effect) {
            events.push_back("processed " + std::to_string(effect) + (sender == &dd ? "" : " foreign sender"));
            lastPoint = pt;
        };
    }
    POINT At(int x, int y) const { return POINT{origin.x + x, origin.y + y}; }
};

TEST_F(TargetFixture, EnterOverLeaveReportClientPoints) {
    EXPECT_EQ(Enter(dd.DropTarget(), data.Get(), 0, At(5, 7), kAll), static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(lastPoint.x, 5);
    EXPECT_EQ(lastPoint.y, 7);
    EXPECT_EQ(dd.SourceAllowedEffects(), kAll);
    DWORD effect = kAll;
    EXPECT_EQ(dd.DropTarget()->DragOver(MK_SHIFT, POINTL{At(20, 30).x, At(20, 30).y}, &effect), S_OK);
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_EQ(lastPoint.x, 20);
    EXPECT_EQ(dd.DropTarget()->DragLeave(), S_OK);
    EXPECT_EQ(dd.SourceAllowedEffects(), 0u);
    EXPECT_EQ(events, (std::vector<std::string>{"enter 1", "over 2", "leave"}));
}

TEST_F(TargetFixture, RefusedDataDropsNothing) {
    dd.OnDragEnter = [](IDataObject*, DWORD, POINT, DWORD&, bool& accept) { accept = false; };
    EXPECT_EQ(Enter(dd.DropTarget(), data.Get(), 0, At(1, 1), kAll), 0u);
    DWORD effect = kAll;
    dd.DropTarget()->DragOver(0, POINTL{At(2, 2).x, At(2, 2).y}, &effect);
    EXPECT_EQ(effect, 0u);
    TDropResult drop = DropOn(dd.DropTarget(), data.Get(), 0, At(2, 2), kAll);
    EXPECT_EQ(drop.Result, E_FAIL);
    EXPECT_EQ(drop.Effect, 0u);
    PumpMessages();
    EXPECT_EQ(events, (std::vector<std::string>{"over 0", "over 0", "drop 0 left"}))
        << "no processing without an effect";
}

TEST_F(TargetFixture, DropPostsTheProcessingWithTheReleasedButton) {
    Enter(dd.DropTarget(), data.Get(), MK_LBUTTON, At(3, 4), kAll);
    TDropResult drop = DropOn(dd.DropTarget(), data.Get(), 0, At(8, 9), kAll);
    EXPECT_EQ(drop.Result, S_OK);
    EXPECT_EQ(drop.Effect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(events.back(), "drop 1 left");
    PumpMessages();
    EXPECT_EQ(events.back(), "processed 1");
    EXPECT_EQ(lastPoint.x, 8);
    EXPECT_EQ(lastPoint.y, 9);
}

TEST_F(TargetFixture, OnDropMayCancel) {
    dd.OnDrop = [](IDataObject*, DWORD, POINT, DWORD& effect) { effect = 0; };
    Enter(dd.DropTarget(), data.Get(), MK_LBUTTON, At(3, 4), kAll);
    TDropResult drop = DropOn(dd.DropTarget(), data.Get(), 0, At(3, 4), kAll);
    EXPECT_EQ(drop.Result, E_FAIL);
    PumpMessages();
    EXPECT_EQ(events, (std::vector<std::string>{"enter 1", "over 1"}));
}

TEST_F(TargetFixture, StrayProcessingMessageDoesNothing) {
    PostMessageW(window.Handle(), DDM_ProcessDropped(), 0, 0);
    PumpMessages();
    EXPECT_TRUE(events.empty());
}

TEST_F(TargetFixture, DetachedTargetAnswersNoEffect) {
    ComPtr<IDropTarget> kept; // OLE may keep the target beyond the component
    {
        TTestDragDrop gone;
        kept = gone.DropTarget();
        gone.SetTargetEffects({deCopy});
    }
    EXPECT_EQ(Enter(kept.Get(), data.Get(), 0, At(1, 1), kAll), 0u);
    EXPECT_EQ(DropOn(kept.Get(), data.Get(), 0, At(1, 1), kAll).Result, E_FAIL);
}

// --- Drop menu ---------------------------------------------------------------------------------------------------

struct MenuItem {
    UINT id;
    std::wstring text;
    bool separator;
    bool isDefault;
};

std::vector<MenuItem> ReadMenu(HMENU menu) {
    std::vector<MenuItem> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = static_cast<UINT>(std::size(text));
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        items.push_back({info.wID, text, (info.fType & MFT_SEPARATOR) != 0, (info.fState & MFS_DEFAULT) != 0});
    }
    return items;
}

TEST_F(TargetFixture, RightDropShowsTheMenuWithTheComputedEffectAsDefault) {
    std::vector<MenuItem> shown;
    dd.TrackDropMenu = [&](HMENU menu, POINT) {
        shown = ReadMenu(menu);
        return static_cast<int>(DropMenuMoveId);
    };
    Enter(dd.DropTarget(), data.Get(), MK_RBUTTON, At(3, 4), kAll);
    TDropResult drop = DropOn(dd.DropTarget(), data.Get(), 0, At(3, 4), kAll);
    const TDropMenuTexts& texts = DropMenuTexts();
    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[0].id, 1u);
    EXPECT_EQ(shown[0].text, texts.Move);
    EXPECT_FALSE(shown[0].isDefault);
    EXPECT_EQ(shown[1].id, 2u);
    EXPECT_EQ(shown[1].text, texts.Copy);
    EXPECT_TRUE(shown[1].isDefault) << "a plain drag copies";
    EXPECT_EQ(shown[2].id, 3u);
    EXPECT_EQ(shown[2].text, texts.Shortcut);
    EXPECT_TRUE(shown[3].separator);
    EXPECT_EQ(shown[4].id, 0u);
    EXPECT_EQ(shown[4].text, texts.Cancel);
    EXPECT_EQ(drop.Effect, static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_EQ(events.back(), "drop 2 right");
}

TEST_F(TargetFixture, MenuOffersOnlyWhatBothSidesAllow) {
    dd.SetTargetEffects({deCopy, deMove});
    std::vector<MenuItem> shown;
    dd.TrackDropMenu = [&](HMENU menu, POINT) {
        shown = ReadMenu(menu);
        return static_cast<int>(DropMenuCancelId);
    };
    Enter(dd.DropTarget(), data.Get(), MK_RBUTTON, At(3, 4), DROPEFFECT_COPY | DROPEFFECT_LINK);
    TDropResult drop = DropOn(dd.DropTarget(), data.Get(), 0, At(3, 4), DROPEFFECT_COPY | DROPEFFECT_LINK);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].id, 2u);
    EXPECT_TRUE(shown[1].separator);
    EXPECT_EQ(shown[2].id, 0u);
    EXPECT_EQ(drop.Result, E_FAIL) << "Cancel drops nothing";
    PumpMessages();
    EXPECT_EQ(events.back(), "drop 0 right");
}

TEST_F(TargetFixture, ApplicationItemsGetTheirOwnIds) {
    int firstFree = -1;
    std::vector<std::string> menuEvents;
    dd.OnMenuPopup = [&](gui::TComponent*, HMENU menu, IDataObject*, int minId, DWORD keys, POINT pt) {
        firstFree = minId;
        menuEvents.push_back("popup " + std::to_string(pt.x) + ((keys & MK_RBUTTON) ? " right" : ""));
        AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(minId), L"Extra");
    };
    dd.OnMenuExecCmd = [&](gui::TComponent*, HMENU, IDataObject*, int command, DWORD& effect, bool& ok) {
        menuEvents.push_back("exec " + std::to_string(command));
        effect = DROPEFFECT_COPY;
        ok = true;
    };
    dd.OnMenuSucceeded = [&](gui::TComponent*, DWORD, POINT, DWORD effect) {
        menuEvents.push_back("succeeded " + std::to_string(effect));
    };
    dd.OnMenuDestroy = [&](gui::TComponent*, HMENU) { menuEvents.push_back("destroy"); };
    dd.TrackDropMenu = [&](HMENU, POINT) { return firstFree; };
    Enter(dd.DropTarget(), data.Get(), MK_RBUTTON, At(3, 4), kAll);
    DropOn(dd.DropTarget(), data.Get(), 0, At(6, 4), kAll);
    EXPECT_EQ(firstFree, DropMenuFirstCustomId);
    EXPECT_EQ(menuEvents, (std::vector<std::string>{"popup 6 right", "exec 10", "succeeded 1", "destroy"}));
}

TEST(DropMenuTexts, LanguagesAndFallback) {
    EXPECT_EQ(DropMenuTextsFor(LANG_POLISH).Move, L"&Przenie\u015b tutaj");
    EXPECT_EQ(DropMenuTextsFor(LANG_GERMAN).Shortcut, L"Verkn\u00fcpfung(en) hier &erstellen");
    EXPECT_EQ(DropMenuTextsFor(LANG_FRENCH).Cancel, L"&Arr\u00eat");
    EXPECT_EQ(DropMenuTextsFor(LANG_SPANISH).Shortcut, L"&Atajo(s) crea aqu\u00ed ");
    EXPECT_EQ(DropMenuTextsFor(LANG_ITALIAN).Copy, L"&Copiare qui");
    EXPECT_EQ(DropMenuTextsFor(LANG_PORTUGUESE).Copy, L"&Cop\u00ede aqui");
    EXPECT_EQ(DropMenuTextsFor(LANG_JAPANESE).Copy, L"&Copy Here");
    EXPECT_EQ(DropMenuTextsFor(LANG_ENGLISH).Shortcut, L"&Shortcut(s) Create Here");
}

// --- Render timing -----------------------------------------------------------------------------------------------

// Records when the data are read, relative to the events.
class TRecordingTarget : public TDropTarget {
public:
    TRecordingTarget(TDragDrop* owner, std::vector<std::string>& log) : TDropTarget(owner), Log(log) {}
    void RenderDropped(IDataObject*, DWORD, POINT, DWORD&) override { Log.push_back("render"); }
    std::vector<std::string>& Log;
};

class TRecordingDragDrop : public TTestDragDrop {
public:
    explicit TRecordingDragDrop(std::vector<std::string>& log) { ReplaceDropTarget(new TRecordingTarget(this, log)); }
};

struct RenderCase {
    const char* name;
    TRenderDataOn mode;
    std::vector<std::string> expected;
};

class RenderTiming : public ::testing::TestWithParam<RenderCase> {};

TEST_P(RenderTiming, DataAreReadWhenTheModeSays) {
    std::vector<std::string> log;
    TTestWindow window;
    TRecordingDragDrop dd(log);
    dd.SetDragDropWindow(window.Handle());
    dd.SetTargetEffects({deCopy});
    dd.RenderDataOn = GetParam().mode;
    dd.OnDragEnter = [&](IDataObject*, DWORD, POINT, DWORD&, bool&) { log.push_back("enter"); };
    dd.OnDrop = [&](IDataObject*, DWORD, POINT, DWORD&) { log.push_back("drop"); };
    dd.OnProcessDropped = [&](gui::TComponent*, DWORD, POINT, DWORD) { log.push_back("processed"); };
    ComPtr<TBlockDataObject> data = Adopt(new TBlockDataObject);
    Enter(dd.DropTarget(), data.Get(), MK_LBUTTON, POINT{110, 110}, DROPEFFECT_COPY);
    EXPECT_EQ(DropOn(dd.DropTarget(), data.Get(), 0, POINT{110, 110}, DROPEFFECT_COPY).Result, S_OK);
    log.push_back("returned");
    PumpMessages();
    EXPECT_EQ(log, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, RenderTiming,
    ::testing::Values(RenderCase{"DropSync", rdoDropSync, {"enter", "drop", "render", "returned", "processed"}},
                      RenderCase{"DropAsync", rdoDropAsync, {"enter", "drop", "returned", "render", "processed"}},
                      RenderCase{"Enter", rdoEnter, {"render", "enter", "drop", "returned", "processed"}},
                      RenderCase{"EnterAndDropSync",
                                 rdoEnterAndDropSync,
                                 {"render", "enter", "drop", "render", "returned", "processed"}},
                      RenderCase{"EnterAndDropAsync",
                                 rdoEnterAndDropAsync,
                                 {"render", "enter", "drop", "returned", "render", "processed"}},
                      RenderCase{"Never", rdoNever, {"enter", "drop", "returned", "processed"}}),
    [](const ::testing::TestParamInfo<RenderCase>& info) { return std::string(info.param.name); });

// --- Executing drags without a drag ------------------------------------------------------------------------------

TEST(Execute, WithoutDataObjectIsInvalid) {
    TTestDragDrop dd;
    dd.SetSourceEffects({deCopy});
    dd.MakeObject = false;
    EXPECT_EQ(dd.Execute(), drInvalid);
    EXPECT_EQ(TDragDrop::RunningDrag(), nullptr);
}

TEST(Execute, EmptySourceMaskCancelsAndLeavesNoMarkBehind) {
    TTestDragDrop dd;
    bool destroyed = false;
    dd.LastObjectDestroyed = &destroyed;
    EXPECT_EQ(dd.Execute(), drCancelled);
    EXPECT_TRUE(destroyed) << "the data object was taken over and released";
    EXPECT_EQ(TDragDrop::RunningDrag(), nullptr);
    EXPECT_EQ(dd.Execute(), drCancelled) << "a later drag is not refused as if one were running";
}

} // namespace

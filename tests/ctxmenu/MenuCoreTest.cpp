// The menu and verb cores against a scripted folder and context menu: query flags and command ranges, the hidden
// callback window and its message forwarding, verbs left to the caller, dismissal, default commands, failures.
#include "components/ShellDialogs.h"
#include "ctxmenu/ChooseCommand.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using ctxmenu_test::CommandWithVerb;
using ctxmenu_test::ScopedTracker;

namespace {

struct Entry {
    const char* verb;
    bool isDefault;
};

// A context menu that records what the caller asked of it. Its items carry the verbs of Entries in order.
class FakeMenu : public IContextMenu2 {
public:
    std::vector<Entry> Entries{{"Open", true}, {"Copy", false}, {"rename", false}, {"PASTE", false}};
    bool OfferMenu2 = true;
    bool WideVerbsOnly = false;
    HRESULT QueryResult = S_OK;
    HRESULT InvokeResult = S_OK;

    int Queries = 0;
    UINT QueryFlags = 0;
    UINT QueryFirst = 0;
    UINT QueryLast = 0;
    int Invokes = 0;
    CMINVOKECOMMANDINFO Invoked{};
    std::string InvokedVerbText;
    std::vector<UINT> Forwarded;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IContextMenu || (OfferMenu2 && riid == IID_IContextMenu2)) {
            *out = static_cast<IContextMenu2*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    ULONG References() const { return refs_; }

    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT flags) override {
        ++Queries;
        QueryFlags = flags;
        QueryFirst = first;
        QueryLast = last;
        if (FAILED(QueryResult)) {
            return QueryResult;
        }
        UINT added = 0;
        for (UINT i = 0; i < Entries.size(); ++i) {
            if ((flags & CMF_DEFAULTONLY) && !Entries[i].isDefault) {
                continue;
            }
            std::wstring text(Entries[i].verb, Entries[i].verb + strlen(Entries[i].verb));
            InsertMenuW(menu, index + added, MF_BYPOSITION | MF_STRING, first + i, text.c_str());
            if (Entries[i].isDefault) {
                SetMenuDefaultItem(menu, first + i, FALSE);
            }
            ++added;
        }
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, Entries.size());
    }
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override {
        ++Invokes;
        Invoked = *info;
        InvokedVerbText = IS_INTRESOURCE(info->lpVerb) ? std::string() : std::string(info->lpVerb);
        return InvokeResult;
    }
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR offset, UINT type, UINT*, LPSTR name, UINT max) override {
        if (offset >= Entries.size()) {
            return E_INVALIDARG;
        }
        if (type == GCS_VERBA && !WideVerbsOnly) {
            lstrcpynA(name, Entries[offset].verb, static_cast<int>(max));
            return S_OK;
        }
        if (type == GCS_VERBW) {
            std::wstring wide(Entries[offset].verb, Entries[offset].verb + strlen(Entries[offset].verb));
            lstrcpynW(reinterpret_cast<LPWSTR>(name), wide.c_str(), static_cast<int>(max));
            return S_OK;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE HandleMenuMsg(UINT msg, WPARAM, LPARAM) override {
        Forwarded.push_back(msg);
        return S_OK;
    }

private:
    ULONG refs_ = 1;
};

// A folder whose only working method hands out the fake menu (or fails).
class FakeFolder : public IShellFolder {
public:
    explicit FakeFolder(FakeMenu& menu) : menu_(menu) {}
    bool Fail = false;
    HWND AskedOwner = nullptr;
    UINT AskedCount = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IShellFolder) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, LPITEMIDLIST*, ULONG*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF, IEnumIDList**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToObject(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, LPCITEMIDLIST, LPCITEMIDLIST) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT, LPCITEMIDLIST*, SFGAOF*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND owner, UINT count, LPCITEMIDLIST*, REFIID riid, UINT*,
                                            void** out) override {
        AskedOwner = owner;
        AskedCount = count;
        *out = nullptr;
        if (Fail || riid != IID_IContextMenu) {
            return E_FAIL;
        }
        return menu_.QueryInterface(riid, out);
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(LPCITEMIDLIST, SHGDNF, STRRET*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, LPCITEMIDLIST, LPCWSTR, SHGDNF, LPITEMIDLIST*) override {
        return E_NOTIMPL;
    }

private:
    FakeMenu& menu_;
};

// What the tracker saw while the menu was "on screen".
struct Seen {
    int calls = 0;
    int items = 0;
    HWND owner = nullptr;
    HWND callBack = nullptr;
    LRESULT initResult = -1;
    LRESULT measureResult = -1;
};

// A tracker that looks at the menu and the callback window, pokes the window, then chooses Verb (empty: dismiss).
TContextMenuTracker Choose(std::wstring verb, Seen& seen) {
    return [verb, &seen](HMENU menu, HWND owner, POINT, IContextMenu* commands) -> UINT {
        ++seen.calls;
        seen.items = GetMenuItemCount(menu);
        seen.owner = owner;
        seen.callBack = FindWindowW(ShellDialogsCallBackClass, L"ShellDialogsCallBackProcessor");
        if (seen.callBack != nullptr) {
            seen.initResult = SendMessageW(seen.callBack, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
            MEASUREITEMSTRUCT measure{};
            seen.measureResult = SendMessageW(seen.callBack, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure));
        }
        return verb.empty() ? 0 : CommandWithVerb(menu, commands, verb);
    };
}

// One fake item list: the cores only pass the pointers through to the folder.
struct OneItem {
    BYTE bytes[6] = {4, 0, 'x', 'y', 0, 0};
    LPCITEMIDLIST items[1] = {reinterpret_cast<LPCITEMIDLIST>(bytes)};
};

const HWND View = reinterpret_cast<HWND>(0x1234);

} // namespace

struct MenuCase {
    const char* name;
    bool canRename;
    bool menu2;
    UINT flags;
    UINT last;
};

class MenuCoreFlags : public ::testing::TestWithParam<MenuCase> {};

TEST_P(MenuCoreFlags, QueriesWithTheRightFlagsRangeAndOwner) {
    const MenuCase& c = GetParam();
    FakeMenu menu;
    menu.OfferMenu2 = c.menu2;
    FakeFolder folder(menu);
    OneItem item;
    Seen seen;
    ScopedTracker tracker(Choose(L"", seen));
    std::wstring verb = L"stale";
    ShellDisplayContextMenuItems(View, POINT{10, 20}, &folder, 1, item.items, c.canRename, verb);

    EXPECT_EQ(folder.AskedOwner, View);
    EXPECT_EQ(folder.AskedCount, 1u);
    EXPECT_EQ(menu.QueryFlags, c.flags);
    EXPECT_EQ(menu.QueryFirst, 1u);
    EXPECT_EQ(menu.QueryLast, c.last);
    ASSERT_EQ(seen.calls, 1);
    EXPECT_EQ(seen.items, 4);
    if (c.menu2) {
        ASSERT_NE(seen.callBack, nullptr);
        EXPECT_EQ(seen.owner, seen.callBack);
        EXPECT_EQ(seen.initResult, 0);
        EXPECT_EQ(seen.measureResult, 1);
        EXPECT_EQ(menu.Forwarded, (std::vector<UINT>{WM_INITMENUPOPUP, WM_MEASUREITEM}));
    } else {
        EXPECT_EQ(seen.callBack, nullptr);
        EXPECT_EQ(seen.owner, View);
        EXPECT_TRUE(menu.Forwarded.empty());
    }
    // Dismissed: no verb, nothing run, the window gone and every reference given back.
    EXPECT_TRUE(verb.empty());
    EXPECT_EQ(menu.Invokes, 0);
    EXPECT_EQ(FindWindowW(ShellDialogsCallBackClass, nullptr), nullptr);
    EXPECT_EQ(menu.References(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Cases, MenuCoreFlags,
                         ::testing::Values(MenuCase{"RenameMenu2", true, true, 0x14, 1000},
                                           MenuCase{"PlainMenu2", false, true, 0x04, 1000},
                                           MenuCase{"RenameMenu1", true, false, 0x14, 0x7FFF},
                                           MenuCase{"PlainMenu1", false, false, 0x04, 0x7FFF}),
                         [](const auto& info) { return std::string(info.param.name); });

struct VerbCase {
    const char* name;
    const wchar_t* choose;
    bool shellPaste;
    bool wideOnly;
    const wchar_t* verb;
    int invokes;
    UINT offset;
};

class MenuCoreVerbs : public ::testing::TestWithParam<VerbCase> {};

TEST_P(MenuCoreVerbs, ReturnsTheLowerCasedVerbAndInvokesOnlyWhatTheShellShouldRun) {
    const VerbCase& c = GetParam();
    FakeMenu menu;
    menu.WideVerbsOnly = c.wideOnly;
    FakeFolder folder(menu);
    OneItem item;
    Seen seen;
    ScopedTracker tracker(Choose(c.choose, seen));
    std::wstring verb;
    ShellDisplayContextMenuItems(View, POINT{0, 0}, &folder, 1, item.items, true, verb, c.shellPaste);
    EXPECT_EQ(verb, c.verb);
    ASSERT_EQ(menu.Invokes, c.invokes);
    if (c.invokes > 0) {
        EXPECT_EQ(menu.Invoked.cbSize, sizeof(CMINVOKECOMMANDINFO));
        EXPECT_EQ(menu.Invoked.hwnd, View);
        EXPECT_EQ(menu.Invoked.nShow, SW_SHOWNORMAL);
        EXPECT_EQ(menu.Invoked.fMask, 0u);
        ASSERT_TRUE(IS_INTRESOURCE(menu.Invoked.lpVerb));
        EXPECT_EQ(reinterpret_cast<UINT_PTR>(menu.Invoked.lpVerb), c.offset);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MenuCoreVerbs,
                         ::testing::Values(VerbCase{"CopyRuns", L"copy", false, false, L"copy", 1, 1},
                                           VerbCase{"OpenRuns", L"open", false, false, L"open", 1, 0},
                                           VerbCase{"RenameLeftToCaller", L"rename", true, false, L"rename", 0, 0},
                                           VerbCase{"PasteLeftToCaller", L"paste", false, false, L"paste", 0, 0},
                                           VerbCase{"PasteByShell", L"paste", true, false, L"paste", 1, 3},
                                           VerbCase{"DismissedLeavesVerbEmpty", L"", true, false, L"", 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MenuCore, AHandlerAnsweringOnlyWideVerbsStillNamesTheChosenCommand) {
    FakeMenu menu;
    menu.WideVerbsOnly = true;
    FakeFolder folder(menu);
    OneItem item;
    // The test's own chooser asks in ANSI, so pick the second item by number.
    ScopedTracker tracker([](HMENU, HWND, POINT, IContextMenu*) -> UINT { return 2; });
    std::wstring verb;
    ShellDisplayContextMenuItems(View, POINT{0, 0}, &folder, 1, item.items, false, verb);
    EXPECT_EQ(verb, L"copy");
    EXPECT_EQ(menu.Invokes, 1);
}

TEST(MenuCore, FailuresShowNothing) {
    FakeMenu menu;
    FakeFolder folder(menu);
    OneItem item;
    Seen seen;
    ScopedTracker tracker(Choose(L"copy", seen));
    std::wstring verb = L"stale";

    folder.Fail = true;
    ShellDisplayContextMenuItems(View, POINT{0, 0}, &folder, 1, item.items, false, verb);
    EXPECT_EQ(seen.calls, 0);
    EXPECT_TRUE(verb.empty());

    folder.Fail = false;
    menu.QueryResult = E_FAIL;
    ShellDisplayContextMenuItems(View, POINT{0, 0}, &folder, 1, item.items, false, verb);
    EXPECT_EQ(seen.calls, 0);
    EXPECT_EQ(FindWindowW(ShellDialogsCallBackClass, nullptr), nullptr);

    menu.QueryResult = S_OK;
    ShellDisplayContextMenuItems(View, POINT{0, 0}, nullptr, 1, item.items, false, verb);
    ShellDisplayContextMenuItems(View, POINT{0, 0}, &folder, 0, item.items, false, verb);
    EXPECT_EQ(seen.calls, 0);
    EXPECT_EQ(menu.Invokes, 0);
    EXPECT_EQ(menu.References(), 1u);
}

TEST(VerbCore, NamedVerbIsPassedAsText) {
    FakeMenu menu;
    FakeFolder folder(menu);
    OneItem item;
    EXPECT_TRUE(ShellExecuteContextVerbItems(View, L"properties", &folder, 1, item.items));
    EXPECT_EQ(menu.Queries, 0);
    EXPECT_EQ(menu.InvokedVerbText, "properties");
    EXPECT_EQ(menu.Invoked.cbSize, sizeof(CMINVOKECOMMANDINFO));
    EXPECT_EQ(menu.Invoked.hwnd, View);
    EXPECT_EQ(menu.Invoked.nShow, SW_SHOWNORMAL);
    EXPECT_EQ(menu.References(), 1u);
}

TEST(VerbCore, EmptyVerbRunsTheDefaultCommandOrElseTheFirst) {
    FakeMenu menu;
    menu.Entries = {{"open", false}, {"print", true}, {"edit", false}};
    FakeFolder folder(menu);
    OneItem item;
    EXPECT_TRUE(ShellExecuteContextVerbItems(View, L"", &folder, 1, item.items));
    EXPECT_EQ(menu.QueryFlags, static_cast<UINT>(CMF_DEFAULTONLY));
    EXPECT_EQ(menu.QueryLast, 0x7FFFu);
    ASSERT_TRUE(IS_INTRESOURCE(menu.Invoked.lpVerb));
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(menu.Invoked.lpVerb), 1u);

    menu.Entries = {{"open", false}, {"edit", false}};
    EXPECT_TRUE(ShellExecuteContextVerbItems(View, L"", &folder, 1, item.items));
    EXPECT_EQ(menu.Invoked.lpVerb, nullptr);

    menu.QueryResult = E_FAIL;
    menu.Entries = {{"open", true}};
    EXPECT_TRUE(ShellExecuteContextVerbItems(View, L"", &folder, 1, item.items));
    EXPECT_EQ(menu.Invoked.lpVerb, nullptr);
}

TEST(VerbCore, FailuresGiveFalse) {
    FakeMenu menu;
    FakeFolder folder(menu);
    OneItem item;
    menu.InvokeResult = E_FAIL;
    EXPECT_FALSE(ShellExecuteContextVerbItems(View, L"copy", &folder, 1, item.items));
    EXPECT_EQ(menu.Invokes, 1);
    menu.InvokeResult = S_OK;
    folder.Fail = true;
    EXPECT_FALSE(ShellExecuteContextVerbItems(View, L"copy", &folder, 1, item.items));
    EXPECT_FALSE(ShellExecuteContextVerbItems(View, L"copy", nullptr, 1, item.items));
    EXPECT_EQ(menu.Invokes, 1);
    EXPECT_EQ(menu.References(), 1u);
}

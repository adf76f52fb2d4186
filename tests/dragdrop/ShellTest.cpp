// The shell's part in drops: drag-and-drop handlers registered for folders add their items to the drop menu
// (a fake handler class registered in this process), and a file's own drop handler takes drops made onto it.
#include "DragDropTestSupport.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace ddtest;
namespace fs = std::filesystem;

namespace {

// {6B1F3C52-8E0A-4C1B-9D55-2A7E41C0D9A1}
const CLSID kHandlerClass = {0x6b1f3c52, 0x8e0a, 0x4c1b, {0x9d, 0x55, 0x2a, 0x7e, 0x41, 0xc0, 0xd9, 0xa1}};
const wchar_t kHandlerClassText[] = L"{6B1F3C52-8E0A-4C1B-9D55-2A7E41C0D9A1}";
const wchar_t kHandlersKey[] = L"Folder\\ShellEx\\DragDropHandlers";

struct HandlerLog {
    std::vector<std::string> calls;
    std::vector<BYTE> folder;
    int alive = 0;
};

class TFakeHandler final : public IShellExtInit, public IContextMenu {
public:
    explicit TFakeHandler(HandlerLog& log) : Log(log) { ++Log.alive; }
    virtual ~TFakeHandler() { --Log.alive; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IShellExtInit))
            *out = static_cast<IShellExtInit*>(this);
        else if (IsEqualIID(riid, IID_IContextMenu))
            *out = static_cast<IContextMenu*>(this);
        else
            return *out = nullptr, E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++Refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --Refs;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY) override {
        Log.calls.push_back(data ? "initialize with data" : "initialize");
        Log.folder = ListBytes(folder);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT index, UINT first, UINT, UINT) override {
        Log.calls.push_back("query " + std::to_string(index) + " " + std::to_string(first));
        InsertMenuW(menu, index, MF_BYPOSITION | MF_STRING, first, L"Handler one");
        InsertMenuW(menu, index + 1, MF_BYPOSITION | MF_STRING, first + 1, L"Handler two");
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2);
    }
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override {
        Log.calls.push_back("invoke " + std::to_string(LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb))));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) override { return E_NOTIMPL; }

private:
    HandlerLog& Log;
    ULONG Refs = 1;
};

class TFakeFactory : public TDDInterfacedObject<IClassFactory> {
public:
    explicit TFakeFactory(HandlerLog& log) : Log(log) {}
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* handler = new TFakeHandler(Log);
        const HRESULT hr = handler->QueryInterface(riid, out);
        handler->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    HandlerLog& Log;
};

void SetDefaultValue(const std::wstring& path, const std::wstring& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

struct Shell : ::testing::Test {
    testenv::TempDir dir{L"shell"};
    std::wstring folder = dir.path().wstring();
    std::wstring file = (dir / L"archive.zip").wstring();
    TTestWindow window;
    TDragDropFilesEx dd;
    ComPtr<TBlockDataObject> data = Adopt(new TBlockDataObject);
    std::wstring specified;
    std::vector<std::string> events;

    void SetUp() override {
        std::ofstream(fs::path(file)) << "PK";
        data->Add(CF_HDROP, HDropBlock({L"C:\\dragged.txt"}, true));
        dd.SetDragDropWindow(window.Handle());
        dd.SetTargetEffects({deCopy, deMove, deLink});
        dd.OnSpecifyDropTarget = [this](gui::TComponent*, bool handlerMenu, POINT, LPITEMIDLIST&, std::wstring& name) {
            events.push_back(handlerMenu ? "specify menu" : "specify drop");
            name = specified;
        };
        dd.OnDrop = [this](IDataObject*, DWORD, POINT, DWORD& effect) {
            events.push_back("drop " + std::to_string(effect));
        };
        dd.OnDropHandlerSucceeded = [this](gui::TComponent* sender, DWORD, POINT, DWORD) {
            events.push_back(sender == &dd ? "handler took it" : "handler took it, foreign sender");
        };
    }
};

struct HandlerRegistration {
    HandlerLog log;
    DWORD cookie = 0;
    ComPtr<TFakeFactory> factory = Adopt(new TFakeFactory(log));
    HandlerRegistration() {
        CoRegisterClassObject(kHandlerClass, factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
        SetDefaultValue(std::wstring(kHandlersKey) + L"\\OstrelTestHandler", kHandlerClassText);
        SetDefaultValue(std::wstring(kHandlersKey) + L"\\OstrelBrokenHandler", L"not a class id");
    }
    ~HandlerRegistration() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kHandlersKey);
        if (cookie)
            CoRevokeClassObject(cookie);
    }
};

TEST_F(Shell, HandlerItemsComeFirstAndTheApplicationGetsTheNextId) {
    HandlerRegistration registration;
    ASSERT_NE(registration.cookie, 0u);
    dd.ShellExtensions.DragDropHandler = true;
    specified = folder;
    int firstFree = -1;
    std::vector<std::wstring> items;
    std::vector<UINT> ids;
    dd.OnMenuPopup = [&](gui::TComponent*, HMENU, IDataObject*, int minId, DWORD, POINT) { firstFree = minId; };
    dd.OnMenuExecCmd = [&](gui::TComponent*, HMENU, IDataObject*, int, DWORD&, bool&) {
        events.push_back("application command");
    };
    dd.OnMenuSucceeded = [&](gui::TComponent*, DWORD, POINT, DWORD) { events.push_back("menu succeeded"); };
    dd.TrackDropMenu = [&](HMENU menu, POINT) {
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[64] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
            items.push_back(text);
            ids.push_back(GetMenuItemID(menu, i));
        }
        EXPECT_EQ(registration.log.alive, 1) << "the handler lives while its menu is open";
        return 11;
    };
    Enter(dd.DropTarget(), data.Get(), MK_RBUTTON, POINT{120, 120}, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    TDropResult drop = DropOn(dd.DropTarget(), data.Get(), 0, POINT{120, 120}, DROPEFFECT_COPY | DROPEFFECT_MOVE);

    EXPECT_EQ(registration.log.calls, (std::vector<std::string>{"initialize with data", "query 0 10", "invoke 1"}));
    std::wstring initialisedWith;
    ASSERT_FALSE(registration.log.folder.empty());
    PIDL_GetDisplayName(nullptr, reinterpret_cast<LPCITEMIDLIST>(registration.log.folder.data()), SHGDN_FORPARSING,
                        initialisedWith);
    EXPECT_EQ(initialisedWith, folder) << "the handler is initialised with the folder under the drop point";
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(items[0], L"Handler one");
    EXPECT_EQ(ids[0], 10u);
    EXPECT_EQ(ids[1], 11u);
    EXPECT_EQ(ids[2], static_cast<UINT>(DropMenuMoveId));
    EXPECT_EQ(firstFree, 12);
    EXPECT_EQ(events, (std::vector<std::string>{"specify menu", "menu succeeded", "drop 0"}));
    EXPECT_EQ(drop.Result, E_FAIL) << "the handler did the work; the engine drops nothing";
    EXPECT_EQ(registration.log.alive, 0) << "released with the menu";
}

TEST_F(Shell, HandlersStayOutWhenSwitchedOff) {
    HandlerRegistration registration;
    specified = folder;
    int firstFree = -1;
    dd.OnMenuPopup = [&](gui::TComponent*, HMENU, IDataObject*, int minId, DWORD, POINT) { firstFree = minId; };
    dd.TrackDropMenu = [](HMENU, POINT) { return static_cast<int>(DropMenuCopyId); };
    Enter(dd.DropTarget(), data.Get(), MK_RBUTTON, POINT{120, 120}, DROPEFFECT_COPY);
    DropOn(dd.DropTarget(), data.Get(), 0, POINT{120, 120}, DROPEFFECT_COPY);
    EXPECT_TRUE(registration.log.calls.empty());
    EXPECT_EQ(firstFree, DropMenuFirstCustomId);
    EXPECT_EQ(events, (std::vector<std::string>{"drop 1"}));
}

// Stands for the drop handler the shell offers for an item.
class TRecordingDropTarget : public TDDInterfacedObject<IDropTarget> {
public:
    std::vector<std::string> Calls;
    HRESULT DropResult = S_OK;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD keys, POINTL pt, DWORD* effect) override {
        Calls.push_back("enter " + std::to_string(keys) + " " + std::to_string(pt.x) + " " + std::to_string(*effect));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DragLeave() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        Calls.push_back("drop " + std::to_string(*effect) + (data ? " with data" : ""));
        return DropResult;
    }
};

struct HandlerCase {
    const char* name;
    bool onFile;
    HRESULT dropResult;
    std::vector<std::string> handlerCalls;
    std::vector<std::string> events;
    HRESULT result;
};

class DropHandlers : public Shell, public ::testing::WithParamInterface<HandlerCase> {};

TEST_P(DropHandlers, OnlyAFileHandlerThatSucceedsTakesTheDrop) {
    const HandlerCase& c = GetParam();
    ComPtr<TRecordingDropTarget> handler = Adopt(new TRecordingDropTarget);
    handler->DropResult = c.dropResult;
    std::wstring askedFor;
    dd.ItemDropTargetOf = [&](LPCITEMIDLIST item) -> ComPtr<IDropTarget> {
        PIDL_GetDisplayName(nullptr, item, SHGDN_FORPARSING, askedFor);
        return handler;
    };
    dd.ShellExtensions.DropHandler = true;
    specified = c.onFile ? file : folder;
    Enter(dd.DropTarget(), data.Get(), MK_LBUTTON, POINT{120, 120}, DROPEFFECT_COPY);
    TDropResult drop = DropOn(dd.DropTarget(), data.Get(), 0, POINT{120, 120}, DROPEFFECT_COPY);
    EXPECT_EQ(askedFor, specified);
    EXPECT_EQ(handler->Calls, c.handlerCalls);
    EXPECT_EQ(events, c.events);
    EXPECT_EQ(drop.Result, c.result);
    if (c.result == E_FAIL) {
        EXPECT_EQ(drop.Effect, 0u) << "the source must not move anything itself";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DropHandlers,
    ::testing::Values(
        HandlerCase{"FileHandlerSucceeds",
                    true,
                    S_OK,
                    {"enter 1 120 1", "drop 1 with data"},
                    {"specify drop", "handler took it"},
                    E_FAIL},
        HandlerCase{
            "FileHandlerFails", true, E_FAIL, {"enter 1 120 1", "drop 1 with data"}, {"specify drop", "drop 1"}, S_OK},
        HandlerCase{"FolderIsNotAsked", false, S_OK, {}, {"specify drop", "drop 1"}, S_OK}),
    [](const ::testing::TestParamInfo<HandlerCase>& info) { return std::string(info.param.name); });

TEST_F(Shell, SwitchedOffNoHandlerIsAsked) {
    specified = file;
    bool asked = false;
    dd.ItemDropTargetOf = [&](LPCITEMIDLIST) -> ComPtr<IDropTarget> {
        asked = true;
        return nullptr;
    };
    Enter(dd.DropTarget(), data.Get(), MK_LBUTTON, POINT{120, 120}, DROPEFFECT_COPY);
    DropOn(dd.DropTarget(), data.Get(), 0, POINT{120, 120}, DROPEFFECT_COPY);
    EXPECT_FALSE(asked);
    EXPECT_EQ(events, (std::vector<std::string>{"drop 1"}));
}

TEST_F(Shell, TheShellsOwnFileTargetRefusingFallsThrough) {
    // Wine's generic target of a plain file refuses these data (its Drop fails): the view's drop goes on.
    dd.ShellExtensions.DropHandler = true;
    specified = file;
    Enter(dd.DropTarget(), data.Get(), MK_LBUTTON, POINT{120, 120}, DROPEFFECT_COPY);
    TDropResult drop = DropOn(dd.DropTarget(), data.Get(), 0, POINT{120, 120}, DROPEFFECT_COPY);
    EXPECT_EQ(events, (std::vector<std::string>{"specify drop", "drop 1"}));
    EXPECT_EQ(drop.Result, S_OK);
}

TEST_F(Shell, TargetHasDropHandlerOnlyForFiles) {
    DWORD linkOnly = DROPEFFECT_LINK;
    EXPECT_TRUE(dd.TargetHasDropHandler(nullptr, file, linkOnly));
    EXPECT_EQ(linkOnly, 0u) << "no shortcut onto a file that takes drops";
    DWORD several = DROPEFFECT_COPY | DROPEFFECT_LINK;
    EXPECT_TRUE(dd.TargetHasDropHandler(nullptr, file, several));
    EXPECT_EQ(several, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_LINK));
    DWORD effect = DROPEFFECT_COPY;
    EXPECT_FALSE(dd.TargetHasDropHandler(nullptr, folder, effect));
    TPidlPtr list = PIDL_GetFromPath(file);
    effect = DROPEFFECT_COPY;
    EXPECT_TRUE(dd.TargetHasDropHandler(list.get(), L"", effect)) << "the list alone names the file";
    EXPECT_FALSE(dd.TargetHasDropHandler(nullptr, (dir / L"missing.zip").wstring(), effect));
}

} // namespace

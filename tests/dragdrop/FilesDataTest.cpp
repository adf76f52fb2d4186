// The file list rendered into the shell's formats and read back from them: CF_HDROP with wide names, the
// "Shell IDList Array", the name maps, malformed blocks of other programs, NeedValid and CompleteFileList,
// the clipboard round trip, the shortcut writer and the freeing of the file list.
#include "DragDropTestSupport.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

using namespace ddtest;
namespace fs = std::filesystem;

namespace {

void Touch(const fs::path& file) {
    std::ofstream(file) << "x";
}

// Two files of one folder, one of them with a name outside the ANSI code page, and a sub folder with a file.
struct Files : ::testing::Test {
    testenv::TempDir dir{L"dnd"};
    std::wstring folder = dir.path().wstring();
    std::wstring a = (dir / L"a.txt").wstring();
    std::wstring b = (dir / L"b \u0107\u4e2d.txt").wstring();
    std::wstring sub = (dir / L"sub").wstring();
    std::wstring c = (dir / L"sub" / L"c.txt").wstring();
    void SetUp() override {
        Touch(a);
        Touch(b);
        fs::create_directory(sub);
        Touch(c);
    }
    // A data object made by the component from names.
    ComPtr<TDataObject> Render(TDragDropFilesEx& dd, const std::vector<std::wstring>& names) {
        dd.FileList().Clear();
        for (const std::wstring& name : names)
            dd.FileList().AddItem(nullptr, name);
        TDataObject* object = dd.CreateDataObject();
        return object ? Adopt(object) : nullptr;
    }
};

TEST_F(Files, HDropCarriesWideNamesAndADoubleZero) {
    TDragDropFilesEx dd;
    ComPtr<TDataObject> object = Render(dd, {a, b});
    ASSERT_TRUE(object);
    EXPECT_EQ(QueryDroppedNames(object.Get()), (std::vector<std::wstring>{a, b}));
    std::vector<BYTE> block = FetchBlock(object.Get(), CF_HDROP);
    ASSERT_GE(block.size(), sizeof(DROPFILES));
    EXPECT_EQ(DwordAt(block, 0), sizeof(DROPFILES));
    const size_t expected = sizeof(DROPFILES) + (a.size() + 1 + b.size() + 1 + 1) * sizeof(wchar_t);
    EXPECT_EQ(block.size(), expected);
    EXPECT_EQ(block[block.size() - 1], 0);
    EXPECT_EQ(block[block.size() - 3], 0) << "the list ends with an empty name";
}

TEST_F(Files, IDListArrayOfOneFolderNamesTheFolderAtOffsetZero) {
    TDragDropFilesEx dd;
    ComPtr<TDataObject> object = Render(dd, {a, b});
    ASSERT_TRUE(object);
    std::vector<BYTE> block = FetchBlock(object.Get(), CF_IDLIST);
    ASSERT_GE(block.size(), 16u);
    EXPECT_EQ(DwordAt(block, 0), 2u);
    EXPECT_EQ(DwordAt(block, 4), 16u) << "the parent follows the header of 4 x count + 8 bytes";
    TPidlPtr folderList = PIDL_GetFromPath(folder);
    ASSERT_TRUE(folderList);
    const std::vector<BYTE> parent = ListBytes(folderList.get());
    ASSERT_LE(16 + parent.size(), block.size());
    EXPECT_EQ(std::vector<BYTE>(block.begin() + 16, block.begin() + 16 + parent.size()), parent);
    EXPECT_EQ(DwordAt(block, 8), 16 + parent.size()) << "the first item follows its parent";
    // The items joined with the parent are the files' own lists.
    TPidlPtr fileList = PIDL_GetFromPath(b);
    TPidlPtr joined = PIDL_Concatenate(reinterpret_cast<LPCITEMIDLIST>(block.data() + DwordAt(block, 4)),
                                       reinterpret_cast<LPCITEMIDLIST>(block.data() + DwordAt(block, 12)));
    EXPECT_TRUE(PIDL_Equal(joined.get(), fileList.get()));
}

TEST_F(Files, ItemsOfDifferentFoldersAreWrittenAbsolute) {
    TDragDropFilesEx dd;
    ComPtr<TDataObject> object = Render(dd, {a, c});
    ASSERT_TRUE(object);
    std::vector<BYTE> block = FetchBlock(object.Get(), CF_IDLIST);
    ASSERT_EQ(DwordAt(block, 0), 2u);
    const uint32_t parentOffset = DwordAt(block, 4);
    ASSERT_LE(parentOffset + 2, block.size());
    EXPECT_EQ(block[parentOffset], 0);
    EXPECT_EQ(block[parentOffset + 1], 0) << "offset 0 names the desktop";
    TPidlPtr second = PIDL_GetFromPath(c);
    EXPECT_EQ(std::vector<BYTE>(block.begin() + DwordAt(block, 12), block.end()), ListBytes(second.get()));

    // Read back, each item keeps its own folder.
    TDragDropFilesEx target;
    bool mapped = true;
    ReadDroppedFiles(object.Get(), target.FileList(), mapped);
    ASSERT_EQ(target.FileList().Count(), 2);
    EXPECT_TRUE(PIDL_Equal(target.FileList()[1].Pidl.get(), second.get()));
    EXPECT_EQ(target.FileList()[1].Name, c);
    EXPECT_FALSE(mapped);
}

TEST_F(Files, RoundTripThroughTheTargetFillsNamesAndLists) {
    TDragDropFilesEx source;
    ComPtr<TDataObject> object = Render(source, {a, b, sub});
    ASSERT_TRUE(object);
    TTestWindow window;
    TDragDropFilesEx target;
    target.SetDragDropWindow(window.Handle());
    target.SetTargetEffects({deCopy, deMove});
    std::vector<std::wstring> names;
    target.OnProcessDropped = [&](gui::TComponent*, DWORD, POINT, DWORD) {
        for (int i = 0; i < target.FileList().Count(); ++i)
            names.push_back(target.FileList()[i].Name);
    };
    EXPECT_EQ(Enter(target.DropTarget(), object.Get(), MK_LBUTTON, POINT{120, 120}, DROPEFFECT_COPY),
              static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(DropOn(target.DropTarget(), object.Get(), 0, POINT{120, 120}, DROPEFFECT_COPY).Result, S_OK);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_EQ(names, (std::vector<std::wstring>{a, b, sub}));
    ASSERT_EQ(target.FileList().Count(), 3);
    TPidlPtr expected = PIDL_GetFromPath(b);
    EXPECT_TRUE(PIDL_Equal(target.FileList()[1].Pidl.get(), expected.get()));
}

TEST_F(Files, MappedNamesTravelAsFileNameMapW) {
    TDragDropFilesEx source;
    source.FileList().AddItemEx(nullptr, a, L"neu \u0107.txt");
    source.FileList().AddItemEx(nullptr, b, L"");
    ComPtr<TDataObject> object = Adopt(source.CreateDataObject());
    std::vector<BYTE> map = FetchBlock(object.Get(), CF_FILENAMEMAPW);
    EXPECT_EQ(map, WideList({L"neu \u0107.txt", L"b \u0107\u4e2d.txt"})) << "an unmapped entry keeps its name";
    TDragDropFilesEx target;
    bool mapped = false;
    ReadDroppedFiles(object.Get(), target.FileList(), mapped);
    EXPECT_TRUE(mapped);
    ASSERT_EQ(target.FileList().Count(), 2);
    EXPECT_EQ(target.FileList()[0].MappedName, L"neu \u0107.txt");
    EXPECT_EQ(target.FileList()[1].MappedName, L"b \u0107\u4e2d.txt");
}

TEST_F(Files, WithoutMappedNamesNoMapIsOffered) {
    TDragDropFilesEx source;
    ComPtr<TDataObject> object = Render(source, {a});
    FORMATETC map{static_cast<CLIPFORMAT>(CF_FILENAMEMAPW), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(object->QueryGetData(&map), DV_E_FORMATETC);
}

TEST_F(Files, NameOnlyEntryGetsItsListFromTheDesktop) {
    TDragDropFilesEx dd;
    dd.FileList().AddItem(nullptr, a);
    ASSERT_TRUE(dd.FileList().RenderPIDLs());
    TPidlPtr expected = PIDL_GetFromPath(a);
    EXPECT_TRUE(PIDL_Equal(dd.FileList()[0].Pidl.get(), expected.get()));
}

TEST_F(Files, ListOnlyEntryGetsItsName) {
    TDragDropFilesEx dd;
    TPidlPtr list = PIDL_GetFromPath(b);
    dd.FileList().AddItem(list.get(), L"");
    EXPECT_TRUE(dd.FileList().RenderNames());
    EXPECT_EQ(dd.FileList()[0].Name, b);
    dd.FileList().AddItem(nullptr, L"");
    EXPECT_FALSE(dd.FileList().RenderNames()) << "an entry with neither cannot be named";
}

TEST_F(Files, NeedValidRefusesWhatCannotBeRendered) {
    const std::wstring missing = (dir / L"does not exist" / L"x.txt").wstring();
    TDragDropFilesEx dd;
    dd.SetSourceEffects({deCopy});
    dd.NeedValid = {nvPIDL};
    dd.FileList().AddItem(nullptr, missing);
    EXPECT_EQ(dd.CreateDataObject(), nullptr);
    EXPECT_EQ(dd.Execute(), drInvalid);

    // Without NeedValid the names are still offered, only the lists are not.
    dd.NeedValid = {};
    ComPtr<TDataObject> object = Adopt(dd.CreateDataObject());
    ASSERT_TRUE(object);
    EXPECT_EQ(QueryDroppedNames(object.Get()), std::vector<std::wstring>{missing});
    EXPECT_TRUE(FetchBlock(object.Get(), CF_IDLIST).empty());

    dd.FileList().Clear();
    EXPECT_EQ(dd.CreateDataObject(), nullptr) << "an empty list gives nothing to drag";
}

TEST_F(Files, WithoutCompletingAMissingListEmptiesTheBlock) {
    TDragDropFilesEx dd;
    dd.CompleteFileList = false;
    TPidlPtr list = PIDL_GetFromPath(a);
    dd.FileList().AddItem(list.get(), a);
    dd.FileList().AddItem(nullptr, b);
    ComPtr<TDataObject> object = Adopt(dd.CreateDataObject());
    ASSERT_TRUE(object);
    EXPECT_TRUE(FetchBlock(object.Get(), CF_IDLIST).empty());
    EXPECT_EQ(QueryDroppedNames(object.Get()), (std::vector<std::wstring>{a, b}));
}

// --- Foreign drops -----------------------------------------------------------------------------------------------

TEST_F(Files, AnsiHDropOfAnotherProgramIsRead) {
    ComPtr<TBlockDataObject> data = Adopt(new TBlockDataObject);
    data->Add(CF_HDROP, HDropBlock({L"C:\\one.txt", L"C:\\two.txt"}, false));
    data->Add(CF_FILENAMEMAP, AnsiList({"uno.txt", "dos.txt"}));
    TFileList list;
    bool mapped = false;
    ReadDroppedFiles(data.Get(), list, mapped);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list[0].Name, L"C:\\one.txt");
    EXPECT_EQ(list[1].MappedName, L"dos.txt");
    EXPECT_TRUE(mapped);
    EXPECT_EQ(list[0].Pidl, nullptr);
}

TEST_F(Files, IDListOnlyDropGivesEntriesWithoutNames) {
    TPidlPtr parent = PIDL_GetFromPath(folder);
    TPidlPtr full = PIDL_GetFromPath(a);
    TPidlPtr fullSub = PIDL_GetFromPath(sub);
    TPidlPtr p1, item, p2, subItem;
    PIDL_Split(full.get(), p1, item);
    PIDL_Split(fullSub.get(), p2, subItem);
    ComPtr<TBlockDataObject> data = Adopt(new TBlockDataObject);
    data->Add(CF_IDLIST, IDListArray(parent.get(), {item.get(), subItem.get()}));
    TFileList list;
    bool mapped = true;
    ReadDroppedFiles(data.Get(), list, mapped);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_TRUE(list[0].Name.empty());
    EXPECT_TRUE(PIDL_Equal(list[0].Pidl.get(), full.get()));
    EXPECT_TRUE(PIDL_Equal(list[1].Pidl.get(), fullSub.get()));
    EXPECT_FALSE(mapped);
}

TEST_F(Files, MapLongerThanTheListRaisesAndTheDropFails) {
    ComPtr<TBlockDataObject> data = Adopt(new TBlockDataObject);
    data->Add(CF_HDROP, HDropBlock({L"C:\\one.txt"}, true));
    data->Add(CF_FILENAMEMAPW, WideList({L"a", L"b"}));
    TFileList list;
    bool mapped = false;
    try {
        ReadDroppedFiles(data.Get(), list, mapped);
        ADD_FAILURE() << "no exception";
    } catch (const EDragDrop& e) {
        EXPECT_STREQ(e.what(), "A non-existing filename is mapped");
    }

    // At the COM boundary the drop fails cleanly: no exception, no effect, no processing, an empty list.
    TTestWindow window;
    TDragDropFilesEx dd;
    dd.SetDragDropWindow(window.Handle());
    dd.SetTargetEffects({deCopy});
    bool processed = false;
    dd.OnProcessDropped = [&](gui::TComponent*, DWORD, POINT, DWORD) { processed = true; };
    dd.FileList().AddItem(nullptr, L"C:\\stale.txt");
    Enter(dd.DropTarget(), data.Get(), MK_LBUTTON, POINT{120, 120}, DROPEFFECT_COPY);
    TDropResult drop = DropOn(dd.DropTarget(), data.Get(), 0, POINT{120, 120}, DROPEFFECT_COPY);
    EXPECT_EQ(drop.Result, E_FAIL);
    EXPECT_EQ(drop.Effect, 0u);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_FALSE(processed);
    EXPECT_EQ(dd.FileList().Count(), 0);

    // Read after the posted message, the processing is skipped.
    dd.RenderDataOn = rdoDropAsync;
    dd.FileList().AddItem(nullptr, L"C:\\stale.txt");
    Enter(dd.DropTarget(), data.Get(), MK_LBUTTON, POINT{120, 120}, DROPEFFECT_COPY);
    drop = DropOn(dd.DropTarget(), data.Get(), 0, POINT{120, 120}, DROPEFFECT_COPY);
    EXPECT_EQ(drop.Result, S_OK) << "the data are read later";
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_FALSE(processed);
    EXPECT_EQ(dd.FileList().Count(), 0);

    // Read at DragEnter, the drag is simply not accepted.
    dd.RenderDataOn = rdoEnter;
    EXPECT_EQ(Enter(dd.DropTarget(), data.Get(), MK_LBUTTON, POINT{120, 120}, DROPEFFECT_COPY), 0u);
    dd.DropTarget()->DragLeave();

    // A paste is no COM call: there the exception reaches the caller.
    ASSERT_EQ(OleSetClipboard(data.Get()), S_OK);
    EXPECT_THROW(dd.GetFromClipboard(), EDragDrop);
    OleSetClipboard(nullptr);
}

struct MalformedCase {
    const char* name;
    std::vector<BYTE> hdrop;
    std::vector<BYTE> idlist;
};

std::vector<BYTE> Truncated(std::vector<BYTE> block, size_t drop) {
    block.resize(block.size() - drop);
    return block;
}

std::vector<BYTE> WithDword(std::vector<BYTE> block, size_t offset, uint32_t value) {
    std::memcpy(block.data() + offset, &value, sizeof(value));
    return block;
}

std::vector<BYTE> SmallIDListArray() {
    // One item with a 4-byte item id under the desktop: header 12, parent (2 bytes), item (4 + 2 bytes).
    std::vector<BYTE> block(20, 0);
    const uint32_t header[3] = {1, 12, 14};
    std::memcpy(block.data(), header, sizeof(header));
    const BYTE lists[8] = {0, 0, 4, 0, 'x', 'y', 0, 0};
    std::memcpy(block.data() + 12, lists, sizeof(lists));
    return block;
}

class MalformedBlocks : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedBlocks, CountAsAbsent) {
    ComPtr<TBlockDataObject> data = Adopt(new TBlockDataObject);
    if (!GetParam().hdrop.empty())
        data->Add(CF_HDROP, GetParam().hdrop);
    if (!GetParam().idlist.empty())
        data->Add(CF_IDLIST, GetParam().idlist);
    TFileList list;
    bool mapped = false;
    ReadDroppedFiles(data.Get(), list, mapped);
    EXPECT_EQ(list.Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Foreign, MalformedBlocks,
    ::testing::Values(MalformedCase{"UnterminatedWideNames", Truncated(HDropBlock({L"C:\\a.txt"}, true), 4), {}},
                      MalformedCase{"UnterminatedAnsiNames", Truncated(HDropBlock({L"C:\\a.txt"}, false), 2), {}},
                      MalformedCase{"FilesOffsetPastTheEnd", WithDword(HDropBlock({L"C:\\a.txt"}, true), 0, 4000), {}},
                      MalformedCase{"ShortHeader", std::vector<BYTE>(10, 0), {}},
                      MalformedCase{"ItemCountPastTheEnd", {}, WithDword(SmallIDListArray(), 0, 0x40000000)},
                      MalformedCase{"ItemOffsetPastTheEnd", {}, WithDword(SmallIDListArray(), 8, 500)},
                      MalformedCase{"ItemSizeBelowTwo", {}, WithDword(SmallIDListArray(), 8, 16)},
                      MalformedCase{"ItemWithoutTerminator", {}, Truncated(SmallIDListArray(), 2)}),
    [](const ::testing::TestParamInfo<MalformedCase>& info) { return std::string(info.param.name); });

TEST(ForeignBlocks, WellFormedSmallArrayIsRead) {
    // The counterpart of the malformed cases: the unbroken block gives its entry.
    ComPtr<TBlockDataObject> data = Adopt(new TBlockDataObject);
    data->Add(CF_IDLIST, SmallIDListArray());
    TFileList list;
    bool mapped = false;
    ReadDroppedFiles(data.Get(), list, mapped);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(PIDL_GetSize(list[0].Pidl.get()), 6u);
}

TEST(ForeignBlocks, SurplusListsAreIgnored) {
    ComPtr<TBlockDataObject> data = Adopt(new TBlockDataObject);
    data->Add(CF_HDROP, HDropBlock({L"C:\\one.txt"}, true));
    // Two items (both the same list) for one name.
    std::vector<BYTE> block(24, 0);
    const uint32_t values[4] = {2, 16, 18, 18};
    std::memcpy(block.data(), values, sizeof(values));
    const BYTE lists[8] = {0, 0, 4, 0, 'x', 'y', 0, 0};
    std::memcpy(block.data() + 16, lists, sizeof(lists));
    data->Add(CF_IDLIST, block);
    TFileList list;
    bool mapped = false;
    ReadDroppedFiles(data.Get(), list, mapped);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list[0].Name, L"C:\\one.txt");
    EXPECT_NE(list[0].Pidl, nullptr);
}

struct AcceptCase {
    const char* name;
    bool hdrop;
    bool idlist;
    TFileExMustDnDSet needValid;
    bool accepted;
};

class QueryAccept : public ::testing::TestWithParam<AcceptCase> {};

TEST_P(QueryAccept, FormatsAndNeedValid) {
    const AcceptCase& c = GetParam();
    ComPtr<TBlockDataObject> data = Adopt(new TBlockDataObject);
    if (c.hdrop)
        data->Add(CF_HDROP, HDropBlock({L"C:\\x"}, true));
    if (c.idlist)
        data->Add(CF_IDLIST, SmallIDListArray());
    TDragDropFilesEx dd;
    dd.NeedValid = c.needValid;
    bool accept = !c.accepted;
    dd.DropTarget()->QueryAccept(data.Get(), accept);
    EXPECT_EQ(accept, c.accepted);
}

INSTANTIATE_TEST_SUITE_P(Table, QueryAccept,
                         ::testing::Values(AcceptCase{"Nothing", false, false, {}, false},
                                           AcceptCase{"NamesOnly", true, false, {}, true},
                                           AcceptCase{"ListsOnly", false, true, {}, true},
                                           AcceptCase{"NamesNeedLists", true, false, {nvPIDL}, false},
                                           AcceptCase{"ListsNeedNames", false, true, {nvFilename}, false},
                                           AcceptCase{"BothNeedBoth", true, true, {nvFilename, nvPIDL}, true}),
                         [](const ::testing::TestParamInfo<AcceptCase>& info) { return std::string(info.param.name); });

// --- Clipboard -----------------------------------------------------------------------------------------------------

TEST_F(Files, ClipboardRoundTrip) {
    TDragDropFilesEx source;
    source.FileList().AddItem(nullptr, a);
    source.FileList().AddItem(nullptr, b);
    ASSERT_TRUE(source.CopyToClipboard());
    ComPtr<IDataObject> onClipboard;
    ASSERT_EQ(OleGetClipboard(&onClipboard), S_OK);
    EXPECT_EQ(QueryDroppedNames(onClipboard.Get()), (std::vector<std::wstring>{a, b}));

    TDragDropFilesEx paste;
    paste.FileList().AddItem(nullptr, L"C:\\stale.txt");
    ASSERT_TRUE(paste.GetFromClipBoard());
    ASSERT_EQ(paste.FileList().Count(), 2);
    EXPECT_EQ(paste.FileList()[0].Name, a);
    EXPECT_EQ(paste.FileList()[1].Name, b);
    TPidlPtr expected = PIDL_GetFromPath(b);
    EXPECT_TRUE(PIDL_Equal(paste.FileList()[1].Pidl.get(), expected.get()));
    OleSetClipboard(nullptr);
}

TEST(Clipboard, NothingToCopy) {
    TDragDropFilesEx source;
    EXPECT_FALSE(source.CopyToClipboard());
}

// --- Shortcuts -----------------------------------------------------------------------------------------------------

std::wstring ShortcutTarget(const std::wstring& link, std::wstring* description = nullptr,
                            std::wstring* workingDir = nullptr) {
    struct TCom {
        HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ~TCom() {
            if (SUCCEEDED(hr))
                CoUninitialize();
        }
    } com;
    ComPtr<IShellLinkW> shellLink;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shellLink))))
        return {};
    ComPtr<IPersistFile> file;
    if (FAILED(shellLink.As(&file)) || FAILED(file->Load(link.c_str(), STGM_READ)))
        return {};
    wchar_t text[MAX_PATH] = {};
    if (description && SUCCEEDED(shellLink->GetDescription(text, MAX_PATH)))
        *description = text;
    if (workingDir && SUCCEEDED(shellLink->GetWorkingDirectory(text, MAX_PATH)))
        *workingDir = text;
    shellLink->GetPath(text, MAX_PATH, nullptr, 0);
    return text;
}

TEST_F(Files, ShortcutToANamedFile) {
    TFDDListItem item;
    item.Name = a;
    const std::wstring link = (dir / L"a.lnk").wstring();
    ASSERT_TRUE(CreateDropShortCut(item, link, L"a"));
    ASSERT_TRUE(fs::exists(link));
    std::wstring description, workingDir;
    EXPECT_EQ(ShortcutTarget(link, &description, &workingDir), a);
    EXPECT_EQ(description, L"a");
    EXPECT_EQ(workingDir, folder);
}

TEST_F(Files, ShortcutToAnItemList) {
    TFDDListItem item;
    item.Pidl = PIDL_GetFromPath(c);
    const std::wstring link = (dir / L"c.lnk").wstring();
    ASSERT_TRUE(CreateDropShortCut(item, link, L"c"));
    EXPECT_EQ(ShortcutTarget(link), c);
}

TEST_F(Files, ShortcutNeedsSomethingToPointAt) {
    TFDDListItem item;
    EXPECT_FALSE(CreateDropShortCut(item, (dir / L"none.lnk").wstring(), L""));
    EXPECT_FALSE(fs::exists(dir / L"none.lnk"));
    item.Name = a;
    EXPECT_FALSE(CreateDropShortCut(item, (dir / L"no folder" / L"x.lnk").wstring(), L""));
}

// --- File list -----------------------------------------------------------------------------------------------------

// Counts the shell allocator's blocks that are allocated and not yet freed while it is registered.
class TCountingSpy : public TDDInterfacedObject<IMallocSpy> {
public:
    std::set<void*> Live;
    size_t Pending = 0;
    void* PendingFree = nullptr;

    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T cbRequest) override { return cbRequest; }
    void* STDMETHODCALLTYPE PostAlloc(void* pActual) override {
        if (pActual)
            Live.insert(pActual);
        return pActual;
    }
    void* STDMETHODCALLTYPE PreFree(void* pRequest, BOOL) override {
        Live.erase(pRequest);
        return pRequest;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* pRequest, SIZE_T cbRequest, void** ppNewRequest, BOOL) override {
        Live.erase(pRequest);
        *ppNewRequest = pRequest;
        return cbRequest;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* pActual, BOOL) override {
        if (pActual)
            Live.insert(pActual);
        return pActual;
    }
    void* STDMETHODCALLTYPE PreGetSize(void* pRequest, BOOL) override { return pRequest; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T cbActual, BOOL) override { return cbActual; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* pRequest, BOOL) override { return pRequest; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int fActual) override { return fActual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}
};

TEST_F(Files, ClearingTheListFreesEveryIdentifierList) {
    TPidlPtr list = PIDL_GetFromPath(a);
    ASSERT_TRUE(list);
    ShellMalloc();
    ComPtr<TCountingSpy> spy = Adopt(new TCountingSpy);
    ASSERT_EQ(CoRegisterMallocSpy(spy.Get()), S_OK);
    std::vector<void*> copies;
    {
        TFileList files;
        for (int i = 0; i < 3; ++i)
            files.AddItem(list.get(), L"x");
        files.AddItem(nullptr, L"y");
        for (int i = 0; i < 3; ++i)
            copies.push_back(files[i].Pidl.get());
        for (void* copy : copies)
            EXPECT_TRUE(spy->Live.count(copy)) << "each entry owns a copy";
        files.Clear();
        EXPECT_EQ(files.Count(), 0);
        for (void* copy : copies)
            EXPECT_FALSE(spy->Live.count(copy)) << "freed by Clear";
        files.AddItem(list.get(), L"z");
        copies.push_back(files[0].Pidl.get());
        EXPECT_TRUE(spy->Live.count(copies.back()));
    }
    EXPECT_FALSE(spy->Live.count(copies.back())) << "freed with the list";
    CoRevokeMallocSpy();
}

TEST(FileList, IndexOutsideRaises) {
    TFileList files;
    files.AddItem(nullptr, L"a");
    EXPECT_EQ(files[0].Name, L"a");
    EXPECT_THROW(files.Item(1), ERangeError);
    EXPECT_THROW(files.Item(-1), ERangeError);
}

} // namespace

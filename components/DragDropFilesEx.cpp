// The file list and its rendering into, and reading from, the shell's drag-and-drop formats.
#include "components/DragDropFilesEx.h"

#include "core/DropData.h"
#include "win/AnsiText.h"
#include "win/Handles.h"

#include <shlobj.h>

#include <cstring>
#include <optional>

namespace {

constexpr UINT GlobalBlockFlags = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE;
constexpr size_t MaxMappedNameChars = 1024;
static_assert(sizeof(DROPFILES) == kHDropHeaderSize, "the header the core reads and writes");

FORMATETC HGlobalFormat(UINT Format) {
    return FORMATETC{static_cast<CLIPFORMAT>(Format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

std::wstring FileNamePart(const std::wstring& Path) {
    const size_t slash = Path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? Path : Path.substr(slash + 1);
}

// A received medium, given back with ReleaseStgMedium, and its global block locked for reading.
class TReceivedBlock {
public:
    TReceivedBlock(IDataObject* DataObj, UINT Format) {
        if (!DataObj)
            return;
        FORMATETC format = HGlobalFormat(Format);
        if (FAILED(DataObj->GetData(&format, &FMedium))) {
            FMedium = STGMEDIUM{};
            return;
        }
        FReceived = true;
        if (FMedium.tymed != TYMED_HGLOBAL || !FMedium.hGlobal)
            return;
        FData = static_cast<const BYTE*>(GlobalLock(FMedium.hGlobal));
        FSize = FData ? GlobalSize(FMedium.hGlobal) : 0;
    }
    ~TReceivedBlock() {
        if (FData)
            GlobalUnlock(FMedium.hGlobal);
        if (FReceived)
            ReleaseStgMedium(&FMedium);
    }
    TReceivedBlock(const TReceivedBlock&) = delete;
    TReceivedBlock& operator=(const TReceivedBlock&) = delete;

    const BYTE* Data() const { return FData; }
    size_t Size() const { return FSize; }

private:
    STGMEDIUM FMedium{};
    bool FReceived = false;
    const BYTE* FData = nullptr;
    size_t FSize = 0;
};

std::optional<std::vector<std::wstring>> ReadHDrop(const TReceivedBlock& Block) {
    auto names = DecodeHDrop(Block.Data(), Block.Size());
    if (!names)
        return std::nullopt;
    if (names->Wide)
        return std::move(names->WideNames);
    std::vector<std::wstring> wide;
    for (const std::string& name : names->NarrowNames)
        wide.push_back(win::FromAnsi(name));
    return wide;
}

// The absolute lists of a "Shell IDList Array"; nothing when malformed.
std::optional<std::vector<TPidlPtr>> ReadIDListArray(const TReceivedBlock& Block) {
    const auto lists = DecodeIdListArray(Block.Data(), Block.Size());
    if (!lists)
        return std::nullopt;
    auto parent = reinterpret_cast<LPCITEMIDLIST>(lists->Parent.data());
    std::vector<TPidlPtr> items;
    for (const std::string& item : lists->Items) {
        TPidlPtr absolute = PIDL_Concatenate(parent, reinterpret_cast<LPCITEMIDLIST>(item.data()));
        if (!absolute)
            return std::nullopt;
        items.push_back(std::move(absolute));
    }
    return items;
}

} // namespace

// --- TFileList ---------------------------------------------------------------------------------------------------

TFDDListItem& TFileList::Item(int Index) {
    if (Index < 0 || Index >= Count())
        throw ERangeError("List index out of bounds");
    return FItems[static_cast<size_t>(Index)];
}

const TFDDListItem& TFileList::Item(int Index) const {
    if (Index < 0 || Index >= Count())
        throw ERangeError("List index out of bounds");
    return FItems[static_cast<size_t>(Index)];
}

int TFileList::AddItem(LPCITEMIDLIST Pidl, const std::wstring& Name) {
    return AddItemEx(Pidl, Name, {});
}

int TFileList::AddItemEx(LPCITEMIDLIST Pidl, const std::wstring& Name, const std::wstring& MappedName) {
    TFDDListItem item;
    if (Pidl)
        item.Pidl = PIDL_Copy(Pidl);
    item.Name = Name;
    item.MappedName = MappedName;
    FItems.push_back(std::move(item));
    return Count() - 1;
}

void TFileList::Clear() {
    FItems.clear();
}

bool TFileList::RenderNames() {
    bool ok = true;
    for (TFDDListItem& item : FItems) {
        if (!item.Name.empty())
            continue;
        if (!item.Pidl) {
            ok = false;
            continue;
        }
        TPidlPtr parent, last;
        PIDL_Split(item.Pidl.get(), parent, last);
        TShellFolderPtr folder;
        std::wstring name;
        if (last && PIDL_GetFolder(parent.get(), folder) &&
            PIDL_GetDisplayName(folder.Get(), last.get(), SHGDN_FORPARSING, name) && !name.empty())
            item.Name = name;
        else
            ok = false;
    }
    return ok;
}

bool TFileList::RenderPIDLs() {
    bool ok = true;
    for (TFDDListItem& item : FItems) {
        if (item.Pidl)
            continue;
        if (item.Name.empty()) {
            ok = false;
            continue;
        }
        item.Pidl = PIDL_GetFromPath(item.Name);
        if (!item.Pidl)
            ok = false;
    }
    return ok;
}

// --- TDataObjectFilesEx --------------------------------------------------------------------------------------

TDataObjectFilesEx::TDataObjectFilesEx(const TFileList& FileList, bool RenderPIDL, bool RenderFilename) {
    if (RenderPIDL)
        BuildIDListBlock(FileList);
    if (RenderFilename)
        BuildFileNameBlock(FileList);
}

void TDataObjectFilesEx::BuildIDListBlock(const TFileList& FileList) {
    const int count = FileList.Count();
    if (count == 0)
        return;
    std::vector<TPidlPtr> parents, lasts;
    for (int i = 0; i < count; ++i) {
        const TFDDListItem& item = FileList.Item(i);
        if (!item.Pidl)
            return; // every entry or none
        TPidlPtr parent, last;
        PIDL_Split(item.Pidl.get(), parent, last);
        if (!parent || !last)
            return;
        parents.push_back(std::move(parent));
        lasts.push_back(std::move(last));
    }
    bool oneParent = true;
    for (const TPidlPtr& parent : parents)
        oneParent = oneParent && PIDL_Equal(parent.get(), parents.front().get());

    // Count, then count + 1 offsets from the start of the block; offset 0 names the common parent. Items of
    // different folders are written as absolute lists under the desktop (an empty parent), which every reader of
    // the standard layout resolves correctly.
    const auto bytesOf = [](LPCITEMIDLIST List) {
        return std::string(reinterpret_cast<const char*>(List), PIDL_GetSize(List));
    };
    IdListArray lists;
    lists.Parent = oneParent ? bytesOf(parents.front().get()) : std::string(2, '\0');
    for (int i = 0; i < count; ++i)
        lists.Items.push_back(bytesOf(oneParent ? lasts[static_cast<size_t>(i)].get() : FileList.Item(i).Pidl.get()));
    FIDListBlock = EncodeIdListArray(lists);
    RegisterFormat(HGlobalFormat(CF_IDLIST));
}

void TDataObjectFilesEx::BuildFileNameBlock(const TFileList& FileList) {
    const int count = FileList.Count();
    if (count == 0)
        return;
    std::vector<std::wstring> names;
    for (int i = 0; i < count; ++i) {
        const TFDDListItem& item = FileList.Item(i);
        if (item.Name.empty())
            return; // every entry or none
        names.push_back(item.Name);
        FMappedNames.push_back(item.MappedName);
        FHasMappedNames = FHasMappedNames || !item.MappedName.empty();
    }
    FFileNameBlock = EncodeHDrop(names);
    RegisterFormat(HGlobalFormat(CF_HDROP));
    if (FHasMappedNames) {
        // A name list ends at its first empty entry: an entry that keeps its name maps to that same name, so the
        // entries behind it keep theirs.
        for (size_t i = 0; i < FMappedNames.size(); ++i)
            if (FMappedNames[i].empty())
                FMappedNames[i] = FileNamePart(names[i]);
        RegisterFormat(HGlobalFormat(CF_FILENAMEMAPW));
    }
}

HRESULT TDataObjectFilesEx::RenderData(const FORMATETC& FormatEtc, STGMEDIUM& Medium) {
    std::vector<BYTE> mapBlock;
    const std::vector<BYTE>* source = nullptr;
    if (FormatEtc.cfFormat == CF_IDLIST && !FIDListBlock.empty()) {
        source = &FIDListBlock;
    } else if (FormatEtc.cfFormat == CF_HDROP && !FFileNameBlock.empty()) {
        source = &FFileNameBlock;
    } else if (FormatEtc.cfFormat == CF_FILENAMEMAPW && FHasMappedNames) {
        std::vector<std::wstring> names;
        for (const std::wstring& name : FMappedNames)
            names.push_back(name.substr(0, MaxMappedNameChars));
        AppendWideNameList(mapBlock, names);
        source = &mapBlock;
    }
    if (!source)
        return E_FAIL;
    win::UniqueGlobal global(GlobalAlloc(GlobalBlockFlags, source->size()));
    if (!global)
        return E_OUTOFMEMORY;
    void* target = GlobalLock(global.get());
    if (!target)
        return E_OUTOFMEMORY;
    std::memcpy(target, source->data(), source->size());
    GlobalUnlock(global.get());
    Medium.tymed = TYMED_HGLOBAL;
    Medium.hGlobal = global.release(); // the receiver frees the medium
    Medium.pUnkForRelease = nullptr;
    return S_OK;
}

// --- Reading a drop ------------------------------------------------------------------------------------------

void ReadDroppedFiles(IDataObject* DataObj, TFileList& List, bool& FileNamesAreMapped) {
    List.Clear();
    FileNamesAreMapped = false;
    bool haveNames = false;
    {
        TReceivedBlock hdrop(DataObj, CF_HDROP);
        if (auto names = ReadHDrop(hdrop)) {
            haveNames = true;
            for (const std::wstring& name : *names)
                List.AddItem(nullptr, name);
        }
    }
    if (haveNames) {
        // The wide map first: it carries every name as it is.
        std::optional<std::vector<std::wstring>> mapped;
        {
            TReceivedBlock wide(DataObj, CF_FILENAMEMAPW);
            if (wide.Data())
                mapped = DecodeWideNameList(wide.Data(), wide.Size());
        }
        if (!mapped) {
            TReceivedBlock ansi(DataObj, CF_FILENAMEMAP);
            if (ansi.Data())
                if (auto narrow = DecodeNarrowNameList(ansi.Data(), ansi.Size())) {
                    mapped.emplace();
                    for (const std::string& name : *narrow)
                        mapped->push_back(win::FromAnsi(name));
                }
        }
        if (mapped) {
            if (static_cast<int>(mapped->size()) > List.Count())
                throw EDragDrop("A non-existing filename is mapped");
            for (size_t i = 0; i < mapped->size(); ++i)
                List.Item(static_cast<int>(i)).MappedName = (*mapped)[i];
            FileNamesAreMapped = true;
        }
    }
    TReceivedBlock idlist(DataObj, CF_IDLIST);
    if (auto items = ReadIDListArray(idlist)) {
        const bool appendEntries = List.Count() == 0;
        for (size_t i = 0; i < items->size(); ++i) {
            if (appendEntries)
                List.AddItem((*items)[i].get(), {});
            else if (static_cast<int>(i) < List.Count())
                List.Item(static_cast<int>(i)).Pidl = std::move((*items)[i]);
            // Surplus lists of a source that sent fewer names have no entry to belong to.
        }
    }
}

// --- TDropTargetFilesEx ----------------------------------------------------------------------------------------

TDropTargetFilesEx::TDropTargetFilesEx(TDragDropFilesEx* Owner) : TDropTarget(Owner) {}

void TDropTargetFilesEx::QueryAccept(IDataObject* DataObj, bool& Accept) {
    Accept = false;
    auto* owner = static_cast<TDragDropFilesEx*>(FOwner);
    if (!owner || !DataObj)
        return;
    FORMATETC hdropFormat = HGlobalFormat(CF_HDROP);
    FORMATETC idlistFormat = HGlobalFormat(CF_IDLIST);
    const bool hdrop = DataObj->QueryGetData(&hdropFormat) == S_OK;
    const bool idlist = DataObj->QueryGetData(&idlistFormat) == S_OK;
    Accept = (hdrop || idlist) && (hdrop || !owner->NeedValid.Contains(nvFilename)) &&
             (idlist || !owner->NeedValid.Contains(nvPIDL));
}

void TDropTargetFilesEx::RenderDropped(IDataObject* DataObj, DWORD, POINT, DWORD&) {
    auto* owner = static_cast<TDragDropFilesEx*>(FOwner);
    if (!owner)
        return;
    try {
        ReadDroppedFiles(DataObj, owner->FFileList, owner->FFileNamesAreMapped);
    } catch (...) {
        // Half a list is worse than none.
        owner->FFileList.Clear();
        owner->FFileNamesAreMapped = false;
        throw;
    }
}

// --- TDragDropFilesEx: data --------------------------------------------------------------------------------------

TDragDropFilesEx::TDragDropFilesEx(std::wstring Name) : TDragDrop(std::move(Name)) {
    SourceCompatibility = {};
    ReplaceDropTarget(new TDropTargetFilesEx(this));
}

TDragDropFilesEx::~TDragDropFilesEx() = default;

TDataObject* TDragDropFilesEx::CreateDataObject() {
    bool namesOk = true;
    bool listsOk = true;
    if (CompleteFileList) {
        namesOk = FFileList.RenderNames();
        listsOk = FFileList.RenderPIDLs();
        if ((NeedValid.Contains(nvFilename) && !namesOk) || (NeedValid.Contains(nvPIDL) && !listsOk))
            return nullptr;
    }
    if (FFileList.Count() == 0)
        return nullptr;
    auto object = win::AdoptCom(new TDataObjectFilesEx(FFileList, listsOk, namesOk));
    if ((NeedValid.Contains(nvPIDL) && !object->HasIDListBlock()) ||
        (NeedValid.Contains(nvFilename) && !object->HasFileNameBlock()))
        return nullptr;
    return object.Detach();
}

// The file list and its rendering into, and reading from, the shell's drag-and-drop formats.
#include "components/DragDropFilesEx.h"

#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <optional>

namespace {

constexpr UINT GlobalBlockFlags = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE;
constexpr size_t MaxMappedNameChars = 1024;

FORMATETC HGlobalFormat(UINT Format) {
    return FORMATETC{static_cast<CLIPFORMAT>(Format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

void AppendBytes(std::vector<BYTE>& Block, const void* Data, size_t Size) {
    const BYTE* bytes = static_cast<const BYTE*>(Data);
    Block.insert(Block.end(), bytes, bytes + Size);
}

void PutDword(std::vector<BYTE>& Block, size_t Offset, uint32_t Value) {
    std::memcpy(Block.data() + Offset, &Value, sizeof(Value));
}

void AppendWideList(std::vector<BYTE>& Block, const std::vector<std::wstring>& Names) {
    for (const std::wstring& name : Names)
        AppendBytes(Block, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
    const wchar_t terminator = L'\0';
    AppendBytes(Block, &terminator, sizeof(terminator));
}

std::wstring FromAnsi(const char* Text, size_t Length) {
    if (Length == 0)
        return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, Text, static_cast<int>(Length), nullptr, 0);
    std::wstring result(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, Text, static_cast<int>(Length), result.data(), size);
    return result;
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

// Names, each ending with a zero, up to an empty one, within [Begin, End). Nothing when a name runs past the end.
std::optional<std::vector<std::wstring>> ParseNameList(const BYTE* Begin, const BYTE* End, bool Wide) {
    std::vector<std::wstring> names;
    const BYTE* p = Begin;
    const size_t unit = Wide ? sizeof(wchar_t) : 1;
    while (true) {
        const BYTE* start = p;
        size_t length = 0;
        while (true) {
            if (static_cast<size_t>(End - p) < unit)
                return std::nullopt;
            bool zero;
            if (Wide) {
                wchar_t c;
                std::memcpy(&c, p, sizeof(c));
                zero = c == L'\0';
            } else {
                zero = *p == 0;
            }
            p += unit;
            if (zero)
                break;
            ++length;
        }
        if (length == 0)
            return names;
        if (Wide) {
            std::wstring name(length, L'\0');
            std::memcpy(name.data(), start, length * sizeof(wchar_t));
            names.push_back(std::move(name));
        } else {
            names.push_back(FromAnsi(reinterpret_cast<const char*>(start), length));
        }
    }
}

std::optional<std::vector<std::wstring>> ReadHDrop(const TReceivedBlock& Block) {
    if (!Block.Data() || Block.Size() < sizeof(DROPFILES))
        return std::nullopt;
    DROPFILES header;
    std::memcpy(&header, Block.Data(), sizeof(header));
    if (header.pFiles < sizeof(DROPFILES) || header.pFiles > Block.Size())
        return std::nullopt;
    return ParseNameList(Block.Data() + header.pFiles, Block.Data() + Block.Size(), header.fWide != FALSE);
}

// True when an identifier list starts at Offset and its terminator lies inside the block.
bool ValidListAt(const BYTE* Data, size_t Size, uint64_t Offset) {
    uint64_t p = Offset;
    while (true) {
        if (p + sizeof(USHORT) > Size)
            return false;
        USHORT cb;
        std::memcpy(&cb, Data + p, sizeof(cb));
        if (cb == 0)
            return true;
        if (cb < sizeof(USHORT))
            return false;
        p += cb;
    }
}

// The absolute lists of a "Shell IDList Array", following its offset table; nothing when malformed.
std::optional<std::vector<TPidlPtr>> ReadIDListArray(const TReceivedBlock& Block) {
    const BYTE* data = Block.Data();
    const size_t size = Block.Size();
    if (!data || size < 2 * sizeof(UINT))
        return std::nullopt;
    UINT count;
    std::memcpy(&count, data, sizeof(count));
    const uint64_t header = 4ull * count + 8;
    if (header > size)
        return std::nullopt;
    auto offsetAt = [&](UINT index) {
        UINT offset;
        std::memcpy(&offset, data + sizeof(UINT) * (1 + index), sizeof(offset));
        return offset;
    };
    const UINT parentOffset = offsetAt(0);
    if (!ValidListAt(data, size, parentOffset))
        return std::nullopt;
    // The lists are copied out of the locked block, whose alignment the shell's routines do not need.
    auto parent = reinterpret_cast<LPCITEMIDLIST>(data + parentOffset);
    std::vector<TPidlPtr> items;
    for (UINT i = 1; i <= count; ++i) {
        const UINT offset = offsetAt(i);
        if (!ValidListAt(data, size, offset))
            return std::nullopt;
        TPidlPtr absolute = PIDL_Concatenate(parent, reinterpret_cast<LPCITEMIDLIST>(data + offset));
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
    std::vector<BYTE> block(4u * static_cast<size_t>(count) + 8, 0);
    PutDword(block, 0, static_cast<uint32_t>(count));
    PutDword(block, 4, static_cast<uint32_t>(block.size()));
    if (oneParent) {
        AppendBytes(block, parents.front().get(), PIDL_GetSize(parents.front().get()));
    } else {
        const USHORT emptyList = 0;
        AppendBytes(block, &emptyList, sizeof(emptyList));
    }
    for (int i = 0; i < count; ++i) {
        PutDword(block, 4u * static_cast<size_t>(i) + 8, static_cast<uint32_t>(block.size()));
        LPCITEMIDLIST written = oneParent ? lasts[static_cast<size_t>(i)].get() : FileList.Item(i).Pidl.get();
        AppendBytes(block, written, PIDL_GetSize(written));
    }
    FIDListBlock = std::move(block);
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
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE; // names outside the ANSI code page survive the trip
    std::vector<BYTE> block;
    AppendBytes(block, &header, sizeof(header));
    AppendWideList(block, names);
    FFileNameBlock = std::move(block);
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
        AppendWideList(mapBlock, names);
        source = &mapBlock;
    }
    if (!source)
        return E_FAIL;
    HGLOBAL global = GlobalAlloc(GlobalBlockFlags, source->size());
    if (!global)
        return E_OUTOFMEMORY;
    void* target = GlobalLock(global);
    if (!target) {
        GlobalFree(global);
        return E_OUTOFMEMORY;
    }
    std::memcpy(target, source->data(), source->size());
    GlobalUnlock(global);
    Medium.tymed = TYMED_HGLOBAL;
    Medium.hGlobal = global;
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
                mapped = ParseNameList(wide.Data(), wide.Data() + wide.Size(), true);
        }
        if (!mapped) {
            TReceivedBlock ansi(DataObj, CF_FILENAMEMAP);
            if (ansi.Data())
                mapped = ParseNameList(ansi.Data(), ansi.Data() + ansi.Size(), false);
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
    auto* object = new TDataObjectFilesEx(FFileList, listsOk, namesOk);
    if ((NeedValid.Contains(nvPIDL) && !object->HasIDListBlock()) ||
        (NeedValid.Contains(nvFilename) && !object->HasFileNameBlock())) {
        object->Release();
        return nullptr;
    }
    return object;
}

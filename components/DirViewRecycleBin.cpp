// The recycle-bin listing of the directory list view: the entries come from the shell's recycle-bin folder, not
// from a directory search, and their stored names are the full paths of the deleted files inside the bin.
#include "components/DirView.h"

#include "components/BaseUtils.h"
#include "components/MaskSearch.h"
#include "gui/Application.h"

#include <shellapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cstdint>

namespace {

constexpr DWORD kAnyAttributes = 63;
constexpr int kMessagesEvery = 100;

} // namespace

void TDirView::LoadRecycleBinItems() {
    if (!recycleBinPIDL_) {
        LPITEMIDLIST list = nullptr;
        if (FAILED(SHGetSpecialFolderLocation(Handle(), CSIDL_BITBUCKET, &list)) || !list)
            return;
        recycleBinPIDL_.reset(list);
    }
    TShellFolderPtr bin;
    if (!PIDL_GetFolder(recycleBinPIDL_.get(), bin) || !bin)
        return;
    currentFolder_ = bin;

    AddParentDirItem();
    TMaskList masks;
    BuildMaskList(Mask(), masks);
    const TEntryFilter filter = MakeFilter();
    const std::int64_t sizeFrom = SelFileSizeFrom;
    const std::int64_t sizeTo = SelFileSizeTo == 2147483647 ? INT64_MAX : SelFileSizeTo;

    Microsoft::WRL::ComPtr<IEnumIDList> entries;
    if (bin->EnumObjects(Handle(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, &entries) != S_OK ||
        !entries)
        return;
    int count = 0;
    LPITEMIDLIST next = nullptr;
    ULONG fetched = 0;
    while (!abortLoading_ && entries->Next(1, &next, &fetched) == S_OK && next) {
        TPidlPtr relative(next);
        TPidlPtr absolute = PIDL_Concatenate(recycleBinPIDL_.get(), relative.get());
        wchar_t physical[MAX_PATH] = {};
        if (!absolute || !SHGetPathFromIDListW(absolute.get(), physical))
            continue;
        TSearchRec rec;
        if (!FindFirstEntry(physical, kAnyAttributes, rec))
            continue;
        rec.Name = ExtractFileDir(physical) + L"\\" + rec.Name;
        std::wstring parsingName;
        PIDL_GetDisplayName(bin.Get(), relative.get(), SHGDN_FORPARSING, parsingName);

        bool isDirectory = (rec.Attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
        bool passes = isDirectory || (filter.Passes(rec) && MatchesMaskList(parsingName, masks) &&
                                      rec.Size >= sizeFrom && rec.Size <= sizeTo);
        if (!passes || !AskAddFile(rec))
            continue;

        SHFILEINFOW info{};
        bool known = SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute.get()), 0, &info, sizeof info,
                                    SHGFI_SYSICONINDEX | SHGFI_TYPENAME | SHGFI_PIDL) != 0;
        const int item = AddItem(rec);
        TFileRec* added = (*loadTarget_)[static_cast<size_t>(item)].Rec.get();
        added->DisplayName = parsingName;
        added->Empty = false;
        added->IconEmpty = false;
        added->PIDL = std::move(absolute);
        added->TypeName = known ? info.szTypeName : L"";
        if (added->TypeName.empty())
            added->TypeName = UnknownTypeText(DirViewTexts(), added->FileExt);
        added->ImageIndex = known ? info.iIcon : DefaultFileIcon;
        if (isDirectory && showSubDirSize_)
            StartSubDirScanner(item);
        if (++count % kMessagesEvery == 0)
            gui::Application.ProcessMessages();
    }
}

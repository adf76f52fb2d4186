#include "DragDropTestSupport.h"

#include <shellapi.h>

namespace ddtest {

namespace {

const wchar_t kWindowClass[] = L"OstrelDragDropTestWindow";

void RegisterTestClass() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kWindowClass;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
}

void Append(std::vector<BYTE>& block, const void* data, size_t size) {
    if (size == 0)
        return;
    const size_t old = block.size();
    block.resize(old + size);
    std::memcpy(block.data() + old, data, size);
}

} // namespace

TTestWindow::TTestWindow(bool visible, RECT bounds) {
    RegisterTestClass();
    FWindow = CreateWindowExW(WS_EX_TOPMOST, kWindowClass, L"drop here", WS_POPUP | (visible ? WS_VISIBLE : 0),
                              bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
}

TTestWindow::~TTestWindow() {
    Destroy();
}

void TTestWindow::Destroy() {
    if (FWindow && IsWindow(FWindow))
        DestroyWindow(FWindow);
    FWindow = nullptr;
}

HRESULT STDMETHODCALLTYPE TBlockDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    ++GetDataCalls;
    if (!format || !medium)
        return E_INVALIDARG;
    auto found = Blocks.find(format->cfFormat);
    if (found == Blocks.end() || !(format->tymed & TYMED_HGLOBAL))
        return DV_E_FORMATETC;
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, found->second.empty() ? 1 : found->second.size());
    if (!global)
        return E_OUTOFMEMORY;
    if (!found->second.empty()) {
        std::memcpy(GlobalLock(global), found->second.data(), found->second.size());
        GlobalUnlock(global);
    }
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = global;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TBlockDataObject::QueryGetData(FORMATETC* format) {
    if (!format)
        return E_INVALIDARG;
    if (!Blocks.count(format->cfFormat))
        return DV_E_FORMATETC;
    return (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_TYMED;
}

HRESULT STDMETHODCALLTYPE TBlockDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) {
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    if (direction != DATADIR_GET)
        return E_NOTIMPL;
    auto list = std::make_unique<TFormatEtcList>();
    for (const auto& block : Blocks)
        list->Add(FORMATETC{static_cast<CLIPFORMAT>(block.first), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    *out = new TEnumFormatEtc(std::move(list));
    return S_OK;
}

TTextDataObject::TTextDataObject(bool* destroyed) : Destroyed(destroyed) {
    RegisterFormat(FORMATETC{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    if (Destroyed)
        *Destroyed = false;
}

TTextDataObject::~TTextDataObject() {
    if (Destroyed)
        *Destroyed = true;
}

HRESULT TTextDataObject::RenderData(const FORMATETC&, STGMEDIUM& Medium) {
    const wchar_t text[] = L"dragged";
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, sizeof(text));
    std::memcpy(GlobalLock(global), text, sizeof(text));
    GlobalUnlock(global);
    Medium.tymed = TYMED_HGLOBAL;
    Medium.hGlobal = global;
    Medium.pUnkForRelease = nullptr;
    return S_OK;
}

std::vector<BYTE> HDropBlock(const std::vector<std::wstring>& names, bool wide) {
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = wide;
    std::vector<BYTE> block;
    Append(block, &header, sizeof(header));
    if (wide) {
        std::vector<BYTE> list = WideList(names);
        Append(block, list.data(), list.size());
    } else {
        std::vector<std::string> ansi;
        for (const std::wstring& name : names)
            ansi.emplace_back(name.begin(), name.end()); // the tests use ASCII names for ANSI blocks
        std::vector<BYTE> list = AnsiList(ansi);
        Append(block, list.data(), list.size());
    }
    return block;
}

std::vector<BYTE> WideList(const std::vector<std::wstring>& names) {
    std::vector<BYTE> block;
    for (const std::wstring& name : names)
        Append(block, name.c_str(), (name.size() + 1) * sizeof(wchar_t));
    const wchar_t zero = 0;
    Append(block, &zero, sizeof(zero));
    return block;
}

std::vector<BYTE> AnsiList(const std::vector<std::string>& names) {
    std::vector<BYTE> block;
    for (const std::string& name : names)
        Append(block, name.c_str(), name.size() + 1);
    block.push_back(0);
    return block;
}

std::vector<BYTE> ListBytes(LPCITEMIDLIST list) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(list);
    return std::vector<BYTE>(bytes, bytes + PIDL_GetSize(list));
}

std::vector<BYTE> IDListArray(LPCITEMIDLIST parent, const std::vector<LPCITEMIDLIST>& items) {
    std::vector<BYTE> block(4 * items.size() + 8, 0);
    auto put = [&](size_t offset, uint32_t value) { std::memcpy(block.data() + offset, &value, sizeof(value)); };
    put(0, static_cast<uint32_t>(items.size()));
    put(4, static_cast<uint32_t>(block.size()));
    std::vector<BYTE> parentBytes = ListBytes(parent);
    Append(block, parentBytes.data(), parentBytes.size());
    for (size_t i = 0; i < items.size(); ++i) {
        put(8 + 4 * i, static_cast<uint32_t>(block.size()));
        std::vector<BYTE> itemBytes = ListBytes(items[i]);
        Append(block, itemBytes.data(), itemBytes.size());
    }
    return block;
}

std::vector<BYTE> FetchBlock(IDataObject* object, UINT format) {
    FORMATETC request{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(object->GetData(&request, &medium)))
        return {};
    std::vector<BYTE> bytes;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        const BYTE* data = static_cast<const BYTE*>(GlobalLock(medium.hGlobal));
        bytes.assign(data, data + GlobalSize(medium.hGlobal));
        GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return bytes;
}

std::vector<std::wstring> QueryDroppedNames(IDataObject* object) {
    FORMATETC request{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    std::vector<std::wstring> names;
    if (FAILED(object->GetData(&request, &medium)))
        return names;
    HDROP drop = static_cast<HDROP>(medium.hGlobal);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        wchar_t name[MAX_PATH * 2];
        DragQueryFileW(drop, i, name, static_cast<UINT>(std::size(name)));
        names.emplace_back(name);
    }
    ReleaseStgMedium(&medium);
    return names;
}

uint32_t DwordAt(const std::vector<BYTE>& block, size_t offset) {
    uint32_t value = 0;
    if (offset + 4 <= block.size())
        std::memcpy(&value, block.data() + offset, sizeof(value));
    return value;
}

DWORD Enter(IDropTarget* target, IDataObject* data, DWORD keys, POINT screen, DWORD allowed) {
    DWORD effect = allowed;
    target->DragEnter(data, keys, POINTL{screen.x, screen.y}, &effect);
    return effect;
}

TDropResult DropOn(IDropTarget* target, IDataObject* data, DWORD keys, POINT screen, DWORD allowed) {
    TDropResult result;
    result.Effect = allowed;
    result.Result = target->Drop(data, keys, POINTL{screen.x, screen.y}, &result.Effect);
    return result;
}

} // namespace ddtest

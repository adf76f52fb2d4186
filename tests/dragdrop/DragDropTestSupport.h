#pragma once
// What the drag-and-drop tests share: a plain window to serve, a data object that hands out fixed blocks (as
// another program's drag would), an engine component with a controllable data object, and block builders.
#include "components/DragDrop.h"
#include "components/DragDropFilesEx.h"

#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace ddtest {

using Microsoft::WRL::ComPtr;

// Takes over the creator's reference (this WRL's Attach adds one of its own).
template <class T> ComPtr<T> Adopt(T* created) {
    ComPtr<T> pointer(created);
    created->Release();
    return pointer;
}

// A top-level popup window of a plain class, destroyed with the object.
class TTestWindow {
public:
    explicit TTestWindow(bool visible = false, RECT bounds = RECT{100, 100, 400, 300});
    ~TTestWindow();
    TTestWindow(const TTestWindow&) = delete;
    TTestWindow& operator=(const TTestWindow&) = delete;
    HWND Handle() const { return FWindow; }
    void Destroy();

private:
    HWND FWindow = nullptr;
};

// Hands out each registered block as a fresh global memory block, like a foreign drag source.
class TBlockDataObject : public TDDInterfacedObject<IDataObject> {
public:
    void Add(UINT format, std::vector<BYTE> block) { Blocks[format] = std::move(block); }
    // How many mediums a consumer asked for.
    int GetDataCalls = 0;

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    std::map<UINT, std::vector<BYTE>> Blocks;
};

// A data object with one text format; tells when it is destroyed.
class TTextDataObject : public TDataObject {
public:
    explicit TTextDataObject(bool* destroyed = nullptr);
    ~TTextDataObject() override;

protected:
    HRESULT RenderData(const FORMATETC& FormatEtc, STGMEDIUM& Medium) override;

private:
    bool* Destroyed;
};

// The engine with a text data object (or none) and its protected parts opened for tests.
class TTestDragDrop : public TDragDrop {
public:
    bool MakeObject = true;
    bool* LastObjectDestroyed = nullptr;
    TDataObject* CreateDataObject() override { return MakeObject ? new TTextDataObject(LastObjectDestroyed) : nullptr; }
    using TDragDrop::ScreenToControl;
};

// Blocks as other programs write them.
std::vector<BYTE> HDropBlock(const std::vector<std::wstring>& names, bool wide);
std::vector<BYTE> WideList(const std::vector<std::wstring>& names);
std::vector<BYTE> AnsiList(const std::vector<std::string>& names);
// A "Shell IDList Array" of a parent and relative items, in the standard layout.
std::vector<BYTE> IDListArray(LPCITEMIDLIST parent, const std::vector<LPCITEMIDLIST>& items);

// Fetches a format from a data object as bytes; empty when it is not delivered.
std::vector<BYTE> FetchBlock(IDataObject* object, UINT format);
// The names DragQueryFileW reads from a CF_HDROP medium of the object.
std::vector<std::wstring> QueryDroppedNames(IDataObject* object);

uint32_t DwordAt(const std::vector<BYTE>& block, size_t offset);
// The bytes of an identifier list (terminator included).
std::vector<BYTE> ListBytes(LPCITEMIDLIST list);

// A data object's target drop, called the way OLE calls it (points in screen coordinates).
struct TDropResult {
    HRESULT Result = E_UNEXPECTED;
    DWORD Effect = 0;
};
DWORD Enter(IDropTarget* target, IDataObject* data, DWORD keys, POINT screen, DWORD allowed);
TDropResult DropOn(IDropTarget* target, IDataObject* data, DWORD keys, POINT screen, DWORD allowed);

} // namespace ddtest

#pragma once
// The COM objects the drag-and-drop engine hands to OLE: a reference-counted base, a growable list of FORMATETC
// records, an enumerator over such a list and an abstract data object whose descendants render the data.
// Every COM method answers with an HRESULT; no C++ exception leaves one.
#include <windows.h>
#include <objidl.h>

#include <atomic>
#include <memory>
#include <vector>

// Reference counting for one COM interface. The creator owns the reference taken here and gives it up with
// Release; the object deletes itself when the last reference goes, so it is only ever created with new.
template <class Interface> class TDDInterfacedObject : public Interface {
public:
    TDDInterfacedObject(const TDDInterfacedObject&) = delete;
    TDDInterfacedObject& operator=(const TDDInterfacedObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override {
        if (!ppvObject)
            return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(Interface))) {
            *ppvObject = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++RefCount; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --RefCount;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    TDDInterfacedObject() = default;
    virtual ~TDDInterfacedObject() = default;

private:
    std::atomic<ULONG> RefCount{1};
};

// The formats a data object offers. Get and Set raise ERangeError "Invalid item index" outside 0 .. Count - 1.
class TFormatEtcList {
public:
    int Count() const { return static_cast<int>(Items.size()); }
    FORMATETC Get(int Index) const;
    void Set(int Index, const FORMATETC& Record);
    // Appends and returns the new record's index.
    int Add(const FORMATETC& Record);
    std::unique_ptr<TFormatEtcList> Clone() const;

private:
    std::vector<FORMATETC> Items;
};

// Walks a list of its own, which it frees with itself.
class TEnumFormatEtc : public TDDInterfacedObject<IEnumFORMATETC> {
public:
    explicit TEnumFormatEtc(std::unique_ptr<TFormatEtcList> List, int Index = 0);

    HRESULT STDMETHODCALLTYPE Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** ppenum) override;

private:
    std::unique_ptr<TFormatEtcList> List;
    int Index;
};

// A data object whose formats are registered once after construction and whose data a descendant renders on
// request. SetData from outside registers nothing: a caller must not make the object advertise formats it
// cannot render.
class TDataObject : public TDDInterfacedObject<IDataObject> {
public:
    TDataObject();

    // Which FORMATETC fields GetData compares besides format and medium; the engine sets them before each drag.
    bool CheckLindex = true;
    bool CheckdwAspect = true;
    const TFormatEtcList& FormatEtcList() const { return *Formats; }

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* pformatetc) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                                      DWORD* pdwConnection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD dwConnection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** ppenumAdvise) override;

protected:
    // The record replaces every record of the same clipboard format, or is appended when there is none. The
    // target device is never kept: the list only describes formats, it owns no device records.
    void RegisterFormat(const FORMATETC& Record);
    // Fills Medium for a requested format that matched a registered one. May raise: GetData turns that into E_FAIL.
    virtual HRESULT RenderData(const FORMATETC& FormatEtc, STGMEDIUM& Medium) = 0;

private:
    std::unique_ptr<TFormatEtcList> Formats;
};

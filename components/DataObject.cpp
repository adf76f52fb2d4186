#include "components/DataObject.h"

#include "components/BaseUtils.h"
#include "components/ComponentErrors.h"
#include "win/Trace.h"

#include <algorithm>
#include <new>

namespace {

void CheckIndex(int Index, int Count) {
    if (Index < 0 || Index >= Count)
        throw ERangeError("Invalid item index");
}

FORMATETC WithoutDevice(const FORMATETC& Record) {
    FORMATETC copy = Record;
    copy.ptd = nullptr;
    return copy;
}

} // namespace

FORMATETC TFormatEtcList::Get(int Index) const {
    CheckIndex(Index, Count());
    return Items[static_cast<size_t>(Index)];
}

void TFormatEtcList::Set(int Index, const FORMATETC& Record) {
    CheckIndex(Index, Count());
    Items[static_cast<size_t>(Index)] = Record;
}

int TFormatEtcList::Add(const FORMATETC& Record) {
    Items.push_back(Record);
    return Count() - 1;
}

std::unique_ptr<TFormatEtcList> TFormatEtcList::Clone() const {
    return std::make_unique<TFormatEtcList>(*this);
}

TEnumFormatEtc::TEnumFormatEtc(std::unique_ptr<TFormatEtcList> List, int Index)
    : List(List ? std::move(List) : std::make_unique<TFormatEtcList>()), Index(Index) {}

HRESULT TEnumFormatEtc::Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) {
    if (pceltFetched)
        *pceltFetched = 0;
    if (celt < 1 || List->Count() == 0 || Index >= List->Count() || (!pceltFetched && celt != 1))
        return S_FALSE;
    if (!rgelt)
        return E_POINTER;
    ULONG left = static_cast<ULONG>(List->Count() - Index);
    ULONG n = std::min(celt, left);
    for (ULONG i = 0; i < n; ++i)
        rgelt[i] = List->Get(Index + static_cast<int>(i));
    Index += static_cast<int>(n);
    if (pceltFetched)
        *pceltFetched = n;
    return n == celt ? S_OK : S_FALSE;
}

HRESULT TEnumFormatEtc::Skip(ULONG celt) {
    if (static_cast<unsigned long long>(Index) + celt > static_cast<unsigned long long>(List->Count()))
        return S_FALSE;
    Index += static_cast<int>(celt);
    return S_OK;
}

HRESULT TEnumFormatEtc::Reset() {
    Index = 0;
    return S_OK;
}

HRESULT TEnumFormatEtc::Clone(IEnumFORMATETC** ppenum) {
    if (!ppenum)
        return E_POINTER;
    *ppenum = nullptr;
    try {
        *ppenum = new TEnumFormatEtc(List->Clone(), Index);
        return S_OK;
    } catch (const std::bad_alloc&) {
        win::TraceCaught(L"TEnumFormatEtc::Clone");
        return E_OUTOFMEMORY;
    } catch (...) {
        win::TraceCaught(L"TEnumFormatEtc::Clone");
        return E_FAIL;
    }
}

TDataObject::TDataObject() : Formats(std::make_unique<TFormatEtcList>()) {}

HRESULT TDataObject::GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) {
    if (!pformatetcIn || !pmedium)
        return E_INVALIDARG;
    try {
        for (int i = 0; i < Formats->Count(); ++i) {
            FORMATETC record = Formats->Get(i);
            if ((record.tymed & pformatetcIn->tymed) == 0)
                continue;
            if (CheckLindex && record.lindex != pformatetcIn->lindex)
                continue;
            if (CheckdwAspect && record.dwAspect != pformatetcIn->dwAspect)
                continue;
            if (record.cfFormat != pformatetcIn->cfFormat)
                continue;
            THourGlass hourglass;
            return RenderData(*pformatetcIn, *pmedium);
        }
        return DV_E_FORMATETC;
    } catch (...) {
        win::TraceCaught(L"TDataObject::GetData");
        pmedium->hGlobal = nullptr;
        return E_FAIL;
    }
}

HRESULT TDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) {
    return E_NOTIMPL;
}

HRESULT TDataObject::QueryGetData(FORMATETC* pformatetc) {
    if (!pformatetc)
        return E_INVALIDARG;
    // How far the best record got: format, then medium, then aspect, then index.
    int best = 0;
    for (int i = 0; i < Formats->Count() && best < 4; ++i) {
        FORMATETC record = Formats->Get(i);
        int reached = 0;
        if (record.cfFormat == pformatetc->cfFormat) {
            reached = 1;
            if ((record.tymed & pformatetc->tymed) != 0) {
                reached = 2;
                if (record.dwAspect == pformatetc->dwAspect)
                    reached = record.lindex == pformatetc->lindex ? 4 : 3;
            }
        }
        best = std::max(best, reached);
    }
    switch (best) {
    case 4:
        return S_OK;
    case 3:
        return DV_E_LINDEX;
    case 2:
        return DV_E_DVASPECT;
    case 1:
        return DV_E_TYMED;
    default:
        return DV_E_FORMATETC;
    }
}

HRESULT TDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) {
    return E_NOTIMPL;
}

HRESULT TDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) {
    return E_FAIL;
}

HRESULT TDataObject::EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) {
    if (!ppenumFormatEtc)
        return E_POINTER;
    *ppenumFormatEtc = nullptr;
    if (dwDirection != DATADIR_GET)
        return OLE_S_USEREG;
    try {
        *ppenumFormatEtc = new TEnumFormatEtc(Formats->Clone());
        return S_OK;
    } catch (const std::bad_alloc&) {
        win::TraceCaught(L"TDataObject::EnumFormatEtc");
        return E_OUTOFMEMORY;
    } catch (...) {
        win::TraceCaught(L"TDataObject::EnumFormatEtc");
        return E_FAIL;
    }
}

HRESULT TDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
    return E_NOTIMPL;
}

HRESULT TDataObject::DUnadvise(DWORD) {
    return E_NOTIMPL;
}

HRESULT TDataObject::EnumDAdvise(IEnumSTATDATA** ppenumAdvise) {
    if (ppenumAdvise)
        *ppenumAdvise = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

void TDataObject::RegisterFormat(const FORMATETC& Record) {
    FORMATETC stored = WithoutDevice(Record);
    bool replaced = false;
    for (int i = 0; i < Formats->Count(); ++i) {
        if (Formats->Get(i).cfFormat == stored.cfFormat) {
            Formats->Set(i, stored);
            replaced = true;
        }
    }
    if (!replaced)
        Formats->Add(stored);
}

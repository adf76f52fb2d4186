// The data object, its format list and the format enumerator: enumeration results, the matching rules of
// GetData and QueryGetData, the side-effect-free SetData, reference counts, and the object on the OLE clipboard.
#include "components/ComponentErrors.h"
#include "components/DataObject.h"

#include <gtest/gtest.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

FORMATETC Format(CLIPFORMAT cf, DWORD tymed = TYMED_HGLOBAL, DWORD aspect = DVASPECT_CONTENT, LONG lindex = -1) {
    return FORMATETC{cf, nullptr, aspect, lindex, tymed};
}

const CLIPFORMAT kThrowing = CF_TIFF;

// Takes over the creator's reference (this WRL's Attach adds one of its own).
template <class T> ComPtr<T> Adopt(T* created) {
    ComPtr<T> pointer(created);
    created->Release();
    return pointer;
}

// Renders CF_TEXT and CF_HDROP as text blocks naming the format, and raises for kThrowing.
class TTestDataObject : public TDataObject {
public:
    explicit TTestDataObject(bool* destroyed = nullptr) : Destroyed(destroyed) {}
    ~TTestDataObject() override {
        if (Destroyed)
            *Destroyed = true;
    }
    void Register(const FORMATETC& record) { RegisterFormat(record); }
    int Renders = 0;
    HCURSOR CursorWhileRendering = nullptr;

protected:
    HRESULT RenderData(const FORMATETC& FormatEtc, STGMEDIUM& Medium) override {
        ++Renders;
        CursorWhileRendering = GetCursor();
        if (FormatEtc.cfFormat == kThrowing)
            throw std::runtime_error("cannot render");
        std::string text = "format " + std::to_string(FormatEtc.cfFormat);
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        if (!block)
            return E_OUTOFMEMORY;
        std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        Medium.tymed = TYMED_HGLOBAL;
        Medium.hGlobal = block;
        Medium.pUnkForRelease = nullptr;
        return S_OK;
    }

private:
    bool* Destroyed;
};

std::string ReadText(STGMEDIUM& medium) {
    std::string text(static_cast<const char*>(GlobalLock(medium.hGlobal)));
    GlobalUnlock(medium.hGlobal);
    return text;
}

std::vector<CLIPFORMAT> Formats(const TFormatEtcList& list) {
    std::vector<CLIPFORMAT> formats;
    for (int i = 0; i < list.Count(); ++i)
        formats.push_back(list.Get(i).cfFormat);
    return formats;
}

std::unique_ptr<TFormatEtcList> ListOf(std::initializer_list<CLIPFORMAT> formats) {
    auto list = std::make_unique<TFormatEtcList>();
    for (CLIPFORMAT cf : formats)
        list->Add(Format(cf));
    return list;
}

TEST(FormatEtcList, AddGetSetAndClone) {
    TFormatEtcList list;
    EXPECT_EQ(0, list.Add(Format(CF_TEXT)));
    EXPECT_EQ(1, list.Add(Format(CF_HDROP, TYMED_ISTREAM)));
    list.Set(0, Format(CF_UNICODETEXT));
    auto clone = list.Clone();
    list.Set(1, Format(CF_BITMAP));
    EXPECT_EQ((std::vector<CLIPFORMAT>{CF_UNICODETEXT, CF_BITMAP}), Formats(list));
    EXPECT_EQ((std::vector<CLIPFORMAT>{CF_UNICODETEXT, CF_HDROP}), Formats(*clone));
    EXPECT_EQ(static_cast<DWORD>(TYMED_ISTREAM), clone->Get(1).tymed);
}

TEST(FormatEtcList, IndexOutsideTheListRaises) {
    TFormatEtcList list;
    list.Add(Format(CF_TEXT));
    for (int index : {-1, 1, 5}) {
        try {
            list.Get(index);
            ADD_FAILURE() << "Get(" << index << ") did not raise";
        } catch (const ERangeError& error) {
            EXPECT_STREQ("Invalid item index", error.what());
        }
        EXPECT_THROW(list.Set(index, Format(CF_HDROP)), ERangeError) << index;
    }
    EXPECT_EQ((std::vector<CLIPFORMAT>{CF_TEXT}), Formats(list));
}

struct NextCase {
    int listSize;
    ULONG skipFirst;
    ULONG celt;
    bool withFetched;
    HRESULT expected;
    ULONG fetched;
};

TEST(EnumFormatEtc, NextResults) {
    const NextCase cases[] = {
        {2, 0, 3, true, S_FALSE, 2},  {2, 0, 2, true, S_OK, 2},    {2, 0, 1, false, S_OK, 0},
        {2, 0, 2, false, S_FALSE, 0}, {2, 0, 0, true, S_FALSE, 0}, {0, 0, 1, true, S_FALSE, 0},
        {3, 2, 1, true, S_OK, 1},     {3, 3, 1, true, S_FALSE, 0}, {3, 1, 5, true, S_FALSE, 2},
    };
    for (const NextCase& c : cases) {
        auto list = std::make_unique<TFormatEtcList>();
        for (int i = 0; i < c.listSize; ++i)
            list->Add(Format(static_cast<CLIPFORMAT>(CF_TEXT + i)));
        ComPtr<TEnumFormatEtc> enumerator = Adopt(new TEnumFormatEtc(std::move(list)));
        ASSERT_EQ(S_OK, enumerator->Skip(c.skipFirst));
        FORMATETC out[5]{};
        ULONG fetched = 99;
        HRESULT hr = enumerator->Next(c.celt, out, c.withFetched ? &fetched : nullptr);
        SCOPED_TRACE(testing::Message() << "size " << c.listSize << " skip " << c.skipFirst << " celt " << c.celt);
        EXPECT_EQ(c.expected, hr);
        if (c.withFetched) {
            EXPECT_EQ(c.fetched, fetched);
        }
        ULONG returned = c.withFetched ? fetched : (hr == S_OK ? 1 : 0);
        for (ULONG i = 0; i < returned; ++i)
            EXPECT_EQ(CF_TEXT + c.skipFirst + i, out[i].cfFormat);
    }
}

TEST(EnumFormatEtc, AfterAShortNextTheNextReturnsNothing) {
    ComPtr<TEnumFormatEtc> enumerator = Adopt(new TEnumFormatEtc(ListOf({CF_TEXT, CF_HDROP})));
    FORMATETC out[3]{};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, enumerator->Next(3, out, &fetched));
    EXPECT_EQ(2u, fetched);
    EXPECT_EQ(CF_TEXT, out[0].cfFormat);
    EXPECT_EQ(CF_HDROP, out[1].cfFormat);
    EXPECT_EQ(S_FALSE, enumerator->Next(1, out, &fetched));
    EXPECT_EQ(0u, fetched);
    EXPECT_EQ(S_OK, enumerator->Reset());
    EXPECT_EQ(S_OK, enumerator->Next(1, out, &fetched));
    EXPECT_EQ(CF_TEXT, out[0].cfFormat);
}

TEST(EnumFormatEtc, SkipPastTheEndKeepsThePosition) {
    ComPtr<TEnumFormatEtc> enumerator = Adopt(new TEnumFormatEtc(ListOf({CF_TEXT, CF_HDROP, CF_BITMAP})));
    EXPECT_EQ(S_OK, enumerator->Skip(1));
    EXPECT_EQ(S_FALSE, enumerator->Skip(3));
    FORMATETC out{};
    EXPECT_EQ(S_OK, enumerator->Next(1, &out, nullptr));
    EXPECT_EQ(CF_HDROP, out.cfFormat);
    EXPECT_EQ(S_OK, enumerator->Skip(1));
    EXPECT_EQ(S_FALSE, enumerator->Next(1, &out, nullptr));
}

TEST(EnumFormatEtc, CloneContinuesAtThePositionAndOutlivesTheOriginal) {
    IEnumFORMATETC* original = new TEnumFormatEtc(ListOf({CF_TEXT, CF_HDROP, CF_BITMAP}));
    ASSERT_EQ(S_OK, original->Skip(1));
    ComPtr<IEnumFORMATETC> clone;
    ASSERT_EQ(S_OK, original->Clone(&clone));
    EXPECT_EQ(0u, original->Release());
    FORMATETC out[2]{};
    ULONG fetched = 0;
    EXPECT_EQ(S_OK, clone->Next(2, out, &fetched));
    EXPECT_EQ(CF_HDROP, out[0].cfFormat);
    EXPECT_EQ(CF_BITMAP, out[1].cfFormat);
    EXPECT_EQ(E_POINTER, clone->Clone(nullptr));
    IEnumFORMATETC* same = nullptr;
    ASSERT_EQ(S_OK, clone->QueryInterface(IID_IEnumFORMATETC, reinterpret_cast<void**>(&same)));
    EXPECT_EQ(clone.Get(), same);
    EXPECT_EQ(1u, same->Release());
    void* data = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, clone->QueryInterface(IID_IDataObject, &data));
    EXPECT_EQ(nullptr, data);
}

class DataObjectTest : public testing::Test {
protected:
    void SetUp() override {
        object = Adopt(new TTestDataObject(&destroyed));
        object->Register(Format(CF_TEXT, TYMED_HGLOBAL, DVASPECT_CONTENT, -1));
        object->Register(Format(CF_HDROP, TYMED_HGLOBAL | TYMED_ISTREAM, DVASPECT_CONTENT, 0));
        object->Register(Format(kThrowing, TYMED_HGLOBAL));
    }
    bool destroyed = false;
    ComPtr<TTestDataObject> object;
};

TEST_F(DataObjectTest, RegisteringAFormatAgainReplacesItAndDropsTheDevice) {
    DVTARGETDEVICE device{};
    FORMATETC again = Format(CF_TEXT, TYMED_ISTREAM);
    again.ptd = &device;
    object->Register(again);
    EXPECT_EQ((std::vector<CLIPFORMAT>{CF_TEXT, CF_HDROP, kThrowing}), Formats(object->FormatEtcList()));
    EXPECT_EQ(static_cast<DWORD>(TYMED_ISTREAM), object->FormatEtcList().Get(0).tymed);
    EXPECT_EQ(nullptr, object->FormatEtcList().Get(0).ptd);
}

struct GetDataCase {
    const char* name;
    FORMATETC request;
    bool checkLindex;
    bool checkAspect;
    HRESULT expected;
};

TEST_F(DataObjectTest, GetDataMatchesByTheSwitchedFields) {
    const GetDataCase cases[] = {
        {"exact", Format(CF_TEXT), true, true, S_OK},
        {"one medium of several", Format(CF_HDROP, TYMED_ISTREAM, DVASPECT_CONTENT, 0), true, true, S_OK},
        {"unknown format", Format(CF_BITMAP), true, true, DV_E_FORMATETC},
        {"wrong medium", Format(CF_TEXT, TYMED_FILE), false, false, DV_E_FORMATETC},
        {"other lindex, check off", Format(CF_TEXT, TYMED_HGLOBAL, DVASPECT_CONTENT, 3), false, true, S_OK},
        {"other lindex, check on", Format(CF_TEXT, TYMED_HGLOBAL, DVASPECT_CONTENT, 3), true, true, DV_E_FORMATETC},
        {"other aspect, check off", Format(CF_TEXT, TYMED_HGLOBAL, DVASPECT_ICON), true, false, S_OK},
        {"other aspect, check on", Format(CF_TEXT, TYMED_HGLOBAL, DVASPECT_ICON), true, true, DV_E_FORMATETC},
    };
    for (const GetDataCase& c : cases) {
        object->CheckLindex = c.checkLindex;
        object->CheckdwAspect = c.checkAspect;
        FORMATETC request = c.request;
        STGMEDIUM medium{};
        int rendersBefore = object->Renders;
        EXPECT_EQ(c.expected, object->GetData(&request, &medium)) << c.name;
        EXPECT_EQ(c.expected == S_OK ? rendersBefore + 1 : rendersBefore, object->Renders) << c.name;
        if (c.expected == S_OK) {
            EXPECT_EQ("format " + std::to_string(request.cfFormat), ReadText(medium)) << c.name;
            ReleaseStgMedium(&medium);
        }
    }
}

TEST_F(DataObjectTest, GetDataShowsTheHourglassAndTurnsARaiseIntoEFail) {
    HCURSOR before = SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    FORMATETC request = Format(CF_TEXT);
    STGMEDIUM medium{};
    ASSERT_EQ(S_OK, object->GetData(&request, &medium));
    ReleaseStgMedium(&medium);
    EXPECT_EQ(LoadCursorW(nullptr, IDC_WAIT), object->CursorWhileRendering);
    EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), GetCursor());

    request = Format(kThrowing);
    medium.hGlobal = reinterpret_cast<HGLOBAL>(0x1234);
    EXPECT_EQ(E_FAIL, object->GetData(&request, &medium));
    EXPECT_EQ(nullptr, medium.hGlobal);
    EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), GetCursor());
    EXPECT_EQ(E_INVALIDARG, object->GetData(nullptr, &medium));
    SetCursor(before);
}

TEST_F(DataObjectTest, QueryGetDataTellsHowFarTheBestRecordGot) {
    const std::pair<FORMATETC, HRESULT> cases[] = {
        {Format(CF_TEXT), S_OK},
        {Format(CF_HDROP, TYMED_ISTREAM, DVASPECT_CONTENT, 0), S_OK},
        {Format(CF_TEXT, TYMED_FILE), DV_E_TYMED},
        {Format(CF_TEXT, TYMED_HGLOBAL, DVASPECT_ICON), DV_E_DVASPECT},
        {Format(CF_TEXT, TYMED_HGLOBAL, DVASPECT_CONTENT, 7), DV_E_LINDEX},
        {Format(CF_HDROP, TYMED_HGLOBAL, DVASPECT_CONTENT, -1), DV_E_LINDEX},
        {Format(CF_BITMAP), DV_E_FORMATETC},
    };
    // The switches only concern GetData.
    object->CheckLindex = false;
    object->CheckdwAspect = false;
    for (const auto& [request, expected] : cases) {
        FORMATETC copy = request;
        EXPECT_EQ(expected, object->QueryGetData(&copy))
            << "format " << request.cfFormat << " tymed " << request.tymed << " aspect " << request.dwAspect;
    }
    EXPECT_EQ(0, object->Renders);
}

TEST_F(DataObjectTest, EnumFormatEtcGivesACopyOfTheFormatsForGetOnly) {
    ComPtr<IEnumFORMATETC> enumerator;
    ASSERT_EQ(S_OK, object->EnumFormatEtc(DATADIR_GET, &enumerator));
    object->Register(Format(CF_BITMAP));
    std::vector<CLIPFORMAT> seen;
    FORMATETC out{};
    while (enumerator->Next(1, &out, nullptr) == S_OK)
        seen.push_back(out.cfFormat);
    EXPECT_EQ((std::vector<CLIPFORMAT>{CF_TEXT, CF_HDROP, kThrowing}), seen);

    IEnumFORMATETC* none = reinterpret_cast<IEnumFORMATETC*>(0x1);
    EXPECT_EQ(OLE_S_USEREG, object->EnumFormatEtc(DATADIR_SET, &none));
    EXPECT_EQ(nullptr, none);
}

TEST_F(DataObjectTest, SetDataNeverChangesTheFormats) {
    for (BOOL release : {FALSE, TRUE}) {
        FORMATETC offered = Format(CF_BITMAP);
        FORMATETC replacing = Format(CF_TEXT, TYMED_ISTREAM);
        STGMEDIUM medium{};
        EXPECT_EQ(E_FAIL, object->SetData(&offered, &medium, release));
        EXPECT_EQ(E_FAIL, object->SetData(&replacing, &medium, release));
    }
    EXPECT_EQ((std::vector<CLIPFORMAT>{CF_TEXT, CF_HDROP, kThrowing}), Formats(object->FormatEtcList()));
    EXPECT_EQ(static_cast<DWORD>(TYMED_HGLOBAL), object->FormatEtcList().Get(0).tymed);
    FORMATETC bitmap = Format(CF_BITMAP);
    EXPECT_EQ(DV_E_FORMATETC, object->QueryGetData(&bitmap));
}

TEST_F(DataObjectTest, UnsupportedCallsAnswerTheirCodes) {
    FORMATETC request = Format(CF_TEXT);
    FORMATETC out{};
    STGMEDIUM medium{};
    DWORD connection = 0;
    EXPECT_EQ(E_NOTIMPL, object->GetDataHere(&request, &medium));
    EXPECT_EQ(E_NOTIMPL, object->GetCanonicalFormatEtc(&request, &out));
    EXPECT_EQ(E_NOTIMPL, object->DAdvise(&request, 0, nullptr, &connection));
    EXPECT_EQ(E_NOTIMPL, object->DUnadvise(1));
    IEnumSTATDATA* advise = reinterpret_cast<IEnumSTATDATA*>(0x1);
    EXPECT_EQ(OLE_E_ADVISENOTSUPPORTED, object->EnumDAdvise(&advise));
    EXPECT_EQ(nullptr, advise);
    EXPECT_EQ(OLE_E_ADVISENOTSUPPORTED, object->EnumDAdvise(nullptr));
}

TEST_F(DataObjectTest, ReferenceCountsAndInterfaces) {
    TTestDataObject* raw = object.Detach();
    EXPECT_EQ(2u, raw->AddRef());
    IDataObject* data = nullptr;
    ASSERT_EQ(S_OK, raw->QueryInterface(IID_IDataObject, reinterpret_cast<void**>(&data)));
    EXPECT_EQ(static_cast<IDataObject*>(raw), data);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(S_OK, raw->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    void* target = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, raw->QueryInterface(IID_IDropTarget, &target));
    EXPECT_EQ(nullptr, target);
    EXPECT_EQ(E_POINTER, raw->QueryInterface(IID_IUnknown, nullptr));
    EXPECT_EQ(3u, unknown->Release());
    EXPECT_EQ(2u, data->Release());
    EXPECT_EQ(1u, raw->Release());
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(0u, raw->Release());
    EXPECT_TRUE(destroyed);
}

class OleClipboardTest : public DataObjectTest {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    static void TearDownTestSuite() { OleUninitialize(); }
};

TEST_F(OleClipboardTest, TheObjectIsReadBackFromTheClipboard) {
    ASSERT_EQ(S_OK, OleSetClipboard(object.Get()));
    EXPECT_EQ(S_OK, OleIsCurrentClipboard(object.Get()));
    ComPtr<IDataObject> clipboard;
    ASSERT_EQ(S_OK, OleGetClipboard(&clipboard));

    FORMATETC request = Format(CF_TEXT);
    STGMEDIUM medium{};
    ASSERT_EQ(S_OK, clipboard->GetData(&request, &medium));
    EXPECT_EQ("format " + std::to_string(CF_TEXT), ReadText(medium));
    ReleaseStgMedium(&medium);
    FORMATETC wave = Format(CF_WAVE);
    EXPECT_NE(S_OK, clipboard->QueryGetData(&wave));

    ComPtr<IEnumFORMATETC> enumerator;
    ASSERT_EQ(S_OK, clipboard->EnumFormatEtc(DATADIR_GET, &enumerator));
    std::vector<CLIPFORMAT> seen;
    FORMATETC out{};
    while (enumerator->Next(1, &out, nullptr) == S_OK) {
        seen.push_back(out.cfFormat);
        CoTaskMemFree(out.ptd);
    }
    for (CLIPFORMAT cf : {CF_TEXT, CF_HDROP})
        EXPECT_NE(seen.end(), std::find(seen.begin(), seen.end(), cf)) << "format " << cf;
    enumerator.Reset();
    clipboard.Reset();

    // Emptying the clipboard gives up OLE's references: ours is then the last one.
    ASSERT_EQ(S_OK, OleSetClipboard(nullptr));
    TTestDataObject* raw = object.Detach();
    EXPECT_EQ(0u, raw->Release());
    EXPECT_TRUE(destroyed);
}

} // namespace

// The scoped owners of win/Handles.h that go beyond closing one handle: a selection that gives the DC back what it
// held, a paint DC, a window that is destroyed with its owner, and a COM object taken over from its creator.
#include "GuiTestSupport.h"
#include "win/Handles.h"

#include <gtest/gtest.h>

#include <functional>

using namespace gui;

namespace {

struct SelectionCase {
    const char* kind;
    UINT objectType;
    std::function<HGDIOBJ()> make;
};

TEST(SelectedObject, HoldsTheObjectWhileItLivesAndThenGivesBackThePreviousOne) {
    const SelectionCase cases[] = {
        {"pen", OBJ_PEN, [] { return HGDIOBJ(CreatePen(PS_SOLID, 2, RGB(200, 0, 0))); }},
        {"brush", OBJ_BRUSH, [] { return HGDIOBJ(CreateSolidBrush(RGB(0, 150, 0))); }},
        {"font", OBJ_FONT,
         [] { return HGDIOBJ(CreateFontW(-12, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, L"Arial")); }},
        {"bitmap", OBJ_BITMAP, [] { return HGDIOBJ(CreateBitmap(4, 4, 1, 1, nullptr)); }},
    };
    for (const SelectionCase& c : cases) {
        SCOPED_TRACE(c.kind);
        const win::UniqueCreatedDC dc(CreateCompatibleDC(nullptr));
        ASSERT_TRUE(dc);
        const win::UniqueGdi<HGDIOBJ> object(c.make());
        ASSERT_TRUE(object);
        const HGDIOBJ before = GetCurrentObject(dc.get(), c.objectType);
        ASSERT_NE(before, object.get());
        {
            const win::SelectedObject selected(dc.get(), object.get());
            EXPECT_EQ(GetCurrentObject(dc.get(), c.objectType), object.get());
            {
                // A nested selection of the same kind gives back the outer one, not the DC's first.
                const win::UniqueGdi<HGDIOBJ> inner(c.make());
                const win::SelectedObject innerSelected(dc.get(), inner.get());
                EXPECT_EQ(GetCurrentObject(dc.get(), c.objectType), inner.get());
            }
            EXPECT_EQ(GetCurrentObject(dc.get(), c.objectType), object.get());
        }
        EXPECT_EQ(GetCurrentObject(dc.get(), c.objectType), before);
    }
}

TEST(SelectedObject, NullSelectsNothing) {
    const win::UniqueCreatedDC dc(CreateCompatibleDC(nullptr));
    const HGDIOBJ before = GetCurrentObject(dc.get(), OBJ_FONT);
    {
        const win::SelectedObject selected(dc.get(), nullptr);
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), before);
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), before);
}

HWND MakeWindow() {
    return CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 60, 40, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

TEST(PaintDC, PaintsTheInvalidPartAndLeavesTheWindowValid) {
    const win::UniqueWindow window(MakeWindow());
    ASSERT_TRUE(window);
    Pump();
    const RECT dirty{5, 6, 25, 26};
    InvalidateRect(window.get(), &dirty, FALSE);
    ASSERT_TRUE(GetUpdateRect(window.get(), nullptr, FALSE));
    {
        const win::PaintDC paint(window.get());
        EXPECT_NE(paint.get(), nullptr);
        const RECT& painted = paint.paint().rcPaint;
        EXPECT_LE(painted.left, dirty.left);
        EXPECT_LE(painted.top, dirty.top);
        EXPECT_GE(painted.right, dirty.right);
        EXPECT_GE(painted.bottom, dirty.bottom);
    }
    EXPECT_FALSE(GetUpdateRect(window.get(), nullptr, FALSE));
}

TEST(UniqueWindow, DestroysItsWindowUnlessReleased) {
    struct Case {
        const char* what;
        bool release;
        bool aliveAfter;
    };
    const Case cases[] = {{"owned", false, false}, {"released", true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HWND handle = nullptr;
        {
            win::UniqueWindow window(MakeWindow());
            handle = window.get();
            ASSERT_TRUE(IsWindow(handle));
            if (c.release) {
                EXPECT_EQ(window.release(), handle);
            }
        }
        EXPECT_EQ(IsWindow(handle) != FALSE, c.aliveAfter);
        const win::UniqueWindow cleanup(IsWindow(handle) ? handle : nullptr);
    }
}

// Counts its references and notes when the last one goes.
class CountedObject : public IUnknown {
public:
    explicit CountedObject(bool& destroyed) : destroyed_(destroyed) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            destroyed_ = true;
            delete this;
        }
        return left;
    }

private:
    virtual ~CountedObject() = default;
    bool& destroyed_;
    ULONG references_ = 1;
};

TEST(AdoptCom, TakesOverTheCreatorsReferenceAndNoMore) {
    bool destroyed = false;
    {
        const auto owner = win::AdoptCom(new CountedObject(destroyed));
        ASSERT_TRUE(owner);
        {
            const auto shared = owner; // a copy holds a reference of its own
        }
        EXPECT_FALSE(destroyed);
    }
    EXPECT_TRUE(destroyed) << "the object outlived its only owner";
    const auto nothing = win::AdoptCom<IUnknown>(nullptr);
    EXPECT_FALSE(nothing);
}

} // namespace

#pragma once
// Owned system handles: each closed exactly once, by its owner, with the call its kind needs.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <wrl/client.h>

#include <memory>
#include <utility>

namespace win {

// Move-only owner of one handle. Closer says which values hold nothing (IsValid) and how a valid one is closed;
// a closer that needs more than the handle (the window a DC was got from) carries it as its state.
template <class Handle, class Closer> class Owned {
public:
    Owned() noexcept = default;
    explicit Owned(Handle handle, Closer closer = {}) noexcept : handle_(handle), closer_(std::move(closer)) {}
    ~Owned() { reset(); }
    Owned(Owned&& other) noexcept : handle_(other.release()), closer_(std::move(other.closer_)) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            reset(other.release());
            closer_ = std::move(other.closer_);
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return Closer::IsValid(handle_); }
    Handle release() noexcept { return std::exchange(handle_, Closer::Empty()); }
    void reset(Handle handle = Closer::Empty()) noexcept {
        const Handle old = std::exchange(handle_, handle);
        if (Closer::IsValid(old))
            closer_(old);
    }

private:
    Handle handle_ = Closer::Empty();
    Closer closer_{};
};

// A closer over a plain close function whose only "nothing" is null.
template <class Handle, auto Close> struct NullIsEmpty {
    static constexpr Handle Empty() noexcept { return nullptr; }
    static bool IsValid(Handle handle) noexcept { return handle != nullptr; }
    void operator()(Handle handle) const noexcept { Close(handle); }
};

// Kernel objects (file, event, thread, process, pipe end). Functions that fail with INVALID_HANDLE_VALUE and those
// that fail with null can both hand their result straight in: neither value is ever passed to CloseHandle.
struct KernelHandleCloser {
    static HANDLE Empty() noexcept { return nullptr; }
    static bool IsValid(HANDLE handle) noexcept { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
using UniqueHandle = Owned<HANDLE, KernelHandleCloser>;

// FindFirstFile and FindFirstChangeNotification fail with INVALID_HANDLE_VALUE and close with calls of their own.
template <auto Close> struct InvalidIsEmpty {
    static HANDLE Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(HANDLE handle) noexcept { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    void operator()(HANDLE handle) const noexcept { Close(handle); }
};
using UniqueFind = Owned<HANDLE, InvalidIsEmpty<&FindClose>>;
using UniqueChangeNotification = Owned<HANDLE, InvalidIsEmpty<&FindCloseChangeNotification>>;

inline BOOL DeleteGdiObject(HGDIOBJ object) noexcept {
    return DeleteObject(object);
}
template <class Object> using UniqueGdi = Owned<Object, NullIsEmpty<Object, &DeleteGdiObject>>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniquePen = UniqueGdi<HPEN>;
using UniqueRegion = UniqueGdi<HRGN>;

// A DC made with CreateCompatibleDC or CreateDC.
using UniqueCreatedDC = Owned<HDC, NullIsEmpty<HDC, &DeleteDC>>;

// A DC got with GetDC/GetWindowDC: released to the window it came from.
struct WindowDCReleaser {
    HWND window = nullptr;
    static constexpr HDC Empty() noexcept { return nullptr; }
    static bool IsValid(HDC dc) noexcept { return dc != nullptr; }
    void operator()(HDC dc) const noexcept { ReleaseDC(window, dc); }
};
class WindowDC : public Owned<HDC, WindowDCReleaser> {
public:
    explicit WindowDC(HWND window) noexcept : Owned(GetDC(window), WindowDCReleaser{window}) {}
};

// Memory the system allocates for its caller: task memory (shell item lists and strings), local memory
// (FormatMessage's buffers) and global memory (clipboard and drag data until a medium takes it over).
struct TaskMemFree {
    void operator()(void* memory) const noexcept { CoTaskMemFree(memory); }
};
template <class T> using UniqueTaskMem = std::unique_ptr<T, TaskMemFree>;
struct LocalMemFree {
    void operator()(void* memory) const noexcept { LocalFree(memory); }
};
template <class T> using UniqueLocalMem = std::unique_ptr<T, LocalMemFree>;
struct GlobalMemCloser {
    static constexpr HGLOBAL Empty() noexcept { return nullptr; }
    static bool IsValid(HGLOBAL memory) noexcept { return memory != nullptr; }
    void operator()(HGLOBAL memory) const noexcept { GlobalFree(memory); }
};
using UniqueGlobal = Owned<HGLOBAL, GlobalMemCloser>;

// Painting between BeginPaint and EndPaint: the update region is validated when this goes.
class PaintDC {
public:
    explicit PaintDC(HWND window) noexcept : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintDC() { EndPaint(window_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;

    HDC get() const noexcept { return dc_; }
    const PAINTSTRUCT& paint() const noexcept { return paint_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// An object selected into a DC for as long as this lives; the DC gets back what it held before. Declare it after
// the DC and the object so that it goes first: nothing is deleted while a DC still holds it. Selecting null
// selects nothing.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept
        : dc_(dc), previous_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

using UniqueMenu = Owned<HMENU, NullIsEmpty<HMENU, &DestroyMenu>>;
using UniqueImageList = Owned<HIMAGELIST, NullIsEmpty<HIMAGELIST, &ImageList_Destroy>>;
using UniqueIcon = Owned<HICON, NullIsEmpty<HICON, &DestroyIcon>>;
using UniqueHKey = Owned<HKEY, NullIsEmpty<HKEY, &RegCloseKey>>;
using UniqueModule = Owned<HMODULE, NullIsEmpty<HMODULE, &FreeLibrary>>;
using UniqueWindow = Owned<HWND, NullIsEmpty<HWND, &DestroyWindow>>;

// COM interface pointers are owned by Microsoft::WRL::ComPtr (<wrl/client.h>), which both MinGW targets ship.

// Takes over the one reference its creator hands out (an object made with new, a factory's result). The ComPtr of
// these targets adds a reference of its own in Attach, so Attach would keep such an object alive for ever.
template <class Interface> Microsoft::WRL::ComPtr<Interface> AdoptCom(Interface* created) noexcept {
    Microsoft::WRL::ComPtr<Interface> owner;
    *owner.GetAddressOf() = created;
    return owner;
}

// COM on the calling thread for as long as it lives. A thread that already joined an apartment keeps it (and its
// own uninitialisation); shell objects work in either.
class ComApartment {
public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};

} // namespace win

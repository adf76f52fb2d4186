#pragma once
// An owned kernel HANDLE (file, event, thread, process, pipe end), closed once when its owner goes. Functions that
// fail with INVALID_HANDLE_VALUE and those that fail with null can both hand their result straight in: neither
// value is ever passed to CloseHandle.
#include <windows.h>
#include <objbase.h>

#include <memory>

namespace gui {

struct HandleCloser {
    void operator()(HANDLE handle) const noexcept {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
};

// Move-only. Note that operator bool is true for INVALID_HANDLE_VALUE: test the result of a function that fails
// that way before it is wrapped, or compare get() with it.
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

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

} // namespace gui

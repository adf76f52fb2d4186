#pragma once
// An owned kernel HANDLE (file, event, thread, process, pipe end), closed once when its owner goes. Functions that
// fail with INVALID_HANDLE_VALUE and those that fail with null can both hand their result straight in: neither
// value is ever passed to CloseHandle.
#include <windows.h>

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

} // namespace gui

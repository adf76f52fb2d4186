#include "win/Trace.h"

#include "core/TextEncoding.h"

#include <windows.h>

#include <exception>

namespace win {

std::wstring CaughtExceptionText(const wchar_t* where) {
    std::wstring text = L"Ostrel: exception caught in ";
    text += where ? where : L"?";
    if (std::exception_ptr caught = std::current_exception()) {
        try {
            std::rethrow_exception(caught);
        } catch (const std::exception& error) {
            if (const char* what = error.what(); what && *what) {
                text += L": ";
                text += WideFromUtf8(what);
            }
        } catch (...) {
            // No text to add: the place alone says where it went wrong.
        }
    }
    return text;
}

void TraceCaught(const wchar_t* where) noexcept {
    try {
        std::wstring line = CaughtExceptionText(where);
        line += L"\n";
        OutputDebugStringW(line.c_str());
    } catch (...) {
        // Out of memory for the line: the place alone still goes out.
        OutputDebugStringW(L"Ostrel: exception caught\n");
    }
}

} // namespace win

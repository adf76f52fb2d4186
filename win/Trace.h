#pragma once
// The one way a caught exception that goes no further is reported: a line in the debugger output, so a failure that
// the program survives is still visible to whoever watches it.
#include <string>

namespace win {

// The trace line for the exception being handled: "Ostrel: exception caught in <where>: <text>", or without the
// text when the exception carries none. Exception texts are UTF-8. Call it inside a catch block.
std::wstring CaughtExceptionText(const wchar_t* where);

// Writes that line to the debugger output. Call it inside every catch block that does not rethrow.
void TraceCaught(const wchar_t* where) noexcept;

} // namespace win

#pragma once
// A child process started on behalf of the main window (Ghostscript for a conversion or a merge, pdftk for a
// watermark): the window keeps running its messages while the child works, so its buttons answer and a stop
// takes effect before the next file; when the program closes meanwhile, the child is ended.
#include "app/common/ProcessRunner.h"
#include "app/main/ConversionPass.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

// What is under way ends when the program closes: the child is ended and nothing of its work is kept or
// post-processed, so its input stays where it is.
class ProgramClosing : public std::runtime_error {
public:
    ProgramClosing() : std::runtime_error("Programm wird beendet / program is closing") {}
};

// RunHiddenPiped with the window's messages pumped; started runs once the child runs (see ChildWait). Throws
// ProgramClosing when the program is closing before the child starts or while it runs.
ChildRun RunChildOfWindow(ConversionWindow& window, const std::wstring& commandLine,
                          const std::function<void(std::string_view)>& onOutput = {},
                          const std::function<void()>& started = {});

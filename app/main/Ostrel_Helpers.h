#pragma once
// Small path and file helpers of the main window unit that the rest of the program shares. They need no window,
// so the conversion pass and the tests link them without the main window.
#include <cstdint>
#include <string>
#include <utility>

// The size in bytes of the first file a directory search for the name finds (any attributes); -1 when none is.
std::int64_t GetFileSizeByName(const std::wstring& name);

// The folder the input pane opens for a file named on the command line: the full path's folder with one trailing
// backslash. A bare name ("a.ps") is taken relative to the current folder, never as a folder of its own.
std::wstring CommandLineFolder(const std::wstring& argument);

// The program file's version as "a.b.c.d" from its version resource; empty when it has none.
std::wstring GetProgramVersion();

// Adds a handler after the one an event has already, so wiring done in another file is kept.
template <class Event, class Extra> void Chain(Event& event, Extra extra) {
    Event previous = std::move(event);
    event = [previous = std::move(previous), extra = std::move(extra)](auto&&... args) {
        if (previous) {
            previous(args...);
        }
        extra(args...);
    };
}

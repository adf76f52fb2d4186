#pragma once
// Text is measured in a memory DC of the screen's kind, one per thread and kept for the thread's life: a window's
// DC is fetched from the window system and handed back for every measurement, which costs several round trips to
// it each time under some window systems.
#include <windows.h>

namespace win {

// The thread's measuring DC (compatible with the screen). Select a font into it for as long as it is measured
// with (SelectedObject); draw nothing that must be seen into it.
HDC MeasuringDC();

// The screen's pixels per logical inch, vertically; read once per process.
int ScreenPixelsPerInchY();

} // namespace win

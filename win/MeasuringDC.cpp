#include "win/MeasuringDC.h"

#include "win/Handles.h"

namespace win {

HDC MeasuringDC() {
    thread_local const UniqueCreatedDC dc(CreateCompatibleDC(nullptr));
    return dc.get();
}

int ScreenPixelsPerInchY() {
    static const int pixels = [] {
        const int read = GetDeviceCaps(MeasuringDC(), LOGPIXELSY);
        return read > 0 ? read : 96;
    }();
    return pixels;
}

} // namespace win

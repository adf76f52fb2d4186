#pragma once
// Small helpers the drive view's source files share; not part of its interface.
#include <windows.h>

namespace driveview_detail {

// The hourglass cursor while a long read runs; the previous cursor comes back when it goes.
class HourGlass {
public:
    explicit HourGlass(bool active = true)
        : old_(active ? ::SetCursor(LoadCursorW(nullptr, IDC_WAIT)) : nullptr), active_(active) {}
    ~HourGlass() {
        if (active_)
            ::SetCursor(old_);
    }
    HourGlass(const HourGlass&) = delete;
    HourGlass& operator=(const HourGlass&) = delete;

private:
    HCURSOR old_;
    bool active_;
};

} // namespace driveview_detail

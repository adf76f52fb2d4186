#pragma once
#include "gui/Application.h"
#include "support/GuiDriver.h"

#include <functional>

inline bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000) {
    return guidriver::PumpUntil(condition, timeoutMs, [] { gui::Application.ProcessMessages(); });
}
inline void Pump() {
    gui::Application.ProcessMessages();
}

#pragma once
// Trackers for the context-menu tests: they stand where a person would choose from the menu on screen.
#include "components/ShellDialogs.h"

#include <string>

namespace ctxmenu_test {

// The command number of the first item whose verb is Verb (any case); 0 when the menu has none.
inline UINT CommandWithVerb(HMENU Menu, IContextMenu* Commands, const std::wstring& Verb) {
    const int count = GetMenuItemCount(Menu);
    for (int i = 0; i < count; ++i) {
        const UINT id = GetMenuItemID(Menu, i);
        if (id == static_cast<UINT>(-1) || id == 0) {
            continue;
        }
        char verb[256] = {};
        if (FAILED(Commands->GetCommandString(id - 1, GCS_VERBA, nullptr, verb, 255))) {
            continue;
        }
        wchar_t wide[256] = {};
        MultiByteToWideChar(CP_ACP, 0, verb, -1, wide, 256);
        if (lstrcmpiW(wide, Verb.c_str()) == 0) {
            return id;
        }
    }
    return 0;
}

// Installs a tracker for the lifetime of the object and puts the previous one back afterwards.
class ScopedTracker {
public:
    explicit ScopedTracker(TContextMenuTracker tracker) : previous_(SetContextMenuTracker(std::move(tracker))) {}
    ~ScopedTracker() { SetContextMenuTracker(std::move(previous_)); }
    ScopedTracker(const ScopedTracker&) = delete;
    ScopedTracker& operator=(const ScopedTracker&) = delete;

private:
    TContextMenuTracker previous_;
};

} // namespace ctxmenu_test

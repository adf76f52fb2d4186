#pragma once
// The geometry of a shown window, judged as a user would see it: every visible control lies inside its parent's
// client area and has a size, no two visible siblings overlap (unless the window's design puts one on the other),
// every caption fits its control in the font the control uses, every visible push button shows a caption or a
// picture, and no visible text (captions, menu items) is a component name. Each fault is one readable line.
#include "gui/Form.h"
#include "gui/Menus.h"

#include <windows.h>

#include <set>
#include <span>
#include <string>
#include <vector>

namespace layout {

// Two controls of one window that are meant to lie on each other (named as the GUI library names them; a window
// without a name by its class, e.g. L"msctls_updown32").
struct DesignedOverlap {
    const wchar_t* A;
    const wchar_t* B;
};

class LayoutCheck {
public:
    // designed: the pairs of this window that may overlap. ownCaptions: texts the window shows by design that are
    // also a component's name ("&English" is the caption of the menu item English).
    explicit LayoutCheck(std::span<const DesignedOverlap> designed = {}, std::span<const std::wstring> ownCaptions = {})
        : designed_(designed), ownCaptions_(ownCaptions) {}

    // Judges the window (a form) and all its visible controls; menus are the form's menu bar and any popup menus
    // that belong to it. `what` names the window and state in the fault lines.
    std::vector<std::string> Check(const gui::TForm& form, const std::string& what,
                                   std::span<const gui::TMenuItem* const> popups = {}) const;

    // Judges a window that is not ours (a shell dialog): inside the work area only.
    static std::vector<std::string> CheckOnWorkArea(HWND window, const std::string& what);

private:
    std::span<const DesignedOverlap> designed_;
    std::span<const std::wstring> ownCaptions_;
};

// The extent of a text in the control's font: one line (wrapWidth 0) or wrapped at word breaks into wrapWidth
// pixels (the result is wider than wrapWidth when a word does not fit). Mnemonic ampersands count as the control
// shows them.
SIZE TextExtent(HWND control, const std::wstring& text, int wrapWidth, bool noPrefix);

// Every control name below the window and every menu item name of the menus, for the text check.
std::set<std::wstring> ComponentNames(const gui::TForm& form, std::span<const gui::TMenuItem* const> popups);

// Writes what the window shows (frame included, as on screen) as a BMP file when OSTREL_LAYOUT_SHOTS names a
// folder; the file is <folder>\<name>.bmp. scripts/screenshot.sh turns them into PNG files.
void SaveScreenshot(HWND window, const std::string& name);

} // namespace layout

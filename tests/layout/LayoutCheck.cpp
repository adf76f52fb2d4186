#include "LayoutCheck.h"

#include "gui/Application.h"
#include "support/GuiDriver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace layout {

namespace {

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

// The name a fault line gives a window: the control's name, else its class.
std::wstring NameOf(HWND hwnd) {
    std::wstring name = guidriver::ControlName(hwnd);
    return name.empty() ? guidriver::ClassName(hwnd) : name;
}

RECT ScreenRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

RECT ClientScreenRect(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string Describe(const RECT& r) {
    char text[96];
    std::snprintf(text, sizeof text, "(%ld,%ld %ldx%ld)", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return text;
}

bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// A menu caption as the user reads it: without mnemonic ampersands and without the shortcut after a tab.
std::wstring ShownMenuText(const std::wstring& caption) {
    std::wstring text;
    for (size_t i = 0; i < caption.size() && caption[i] != L'\t'; ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size() && caption[i + 1] != L'&')
            continue;
        text += caption[i];
    }
    return text;
}

void CollectMenuNames(const gui::TMenuItem& item, std::set<std::wstring>& names) {
    if (!item.Name().empty())
        names.insert(item.Name());
    for (int i = 0; i < item.Count(); ++i)
        CollectMenuNames(*item.Item(i), names);
}

void CheckMenuTexts(const gui::TMenuItem& item, const std::set<std::wstring>& names, const std::string& where,
                    std::vector<std::string>& faults) {
    for (int i = 0; i < item.Count(); ++i) {
        const gui::TMenuItem& sub = *item.Item(i);
        if (!sub.Visible() || sub.IsSeparator())
            continue;
        const std::wstring shown = ShownMenuText(sub.Caption());
        if (names.count(shown))
            faults.push_back(where + ": menu item " + Narrow(sub.Name()) + " reads its component name \"" +
                             Narrow(shown) + "\"");
        CheckMenuTexts(sub, names, where, faults);
    }
}

// What a control's caption needs and what it has, by the kind of control; empty when it fits.
std::string CaptionFault(HWND hwnd) {
    const std::wstring text = guidriver::WindowText(hwnd);
    if (text.empty())
        return {};
    const std::wstring cls = guidriver::ClassName(hwnd);
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    RECT client{};
    GetClientRect(hwnd, &client);
    int availWidth = client.right;
    int availHeight = client.bottom;
    bool wraps = false;
    bool noPrefix = false;
    if (lstrcmpiW(cls.c_str(), L"Button") == 0) {
        const LONG_PTR type = style & BS_TYPEMASK;
        if (style & (BS_ICON | BS_BITMAP))
            return {};
        wraps = (style & BS_MULTILINE) != 0;
        if (type == BS_GROUPBOX) {
            availWidth -= 16; // the frame's indent on both sides of the caption
            availHeight = std::max<int>(availHeight, 16);
            wraps = false;
        } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON ||
                   type == BS_AUTORADIOBUTTON || type == BS_3STATE || type == BS_AUTO3STATE) {
            availWidth -= GetSystemMetrics(SM_CXMENUCHECK) + 4;
        } else {
            availWidth -= 6; // the button's edge and the room of the focus rectangle
            availHeight -= 4;
        }
    } else if (lstrcmpiW(cls.c_str(), L"Static") == 0) {
        const LONG_PTR type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_LEFTNOWORDWRAP && type != SS_CENTER && type != SS_RIGHT)
            return {};
        wraps = type != SS_LEFTNOWORDWRAP;
        noPrefix = (style & SS_NOPREFIX) != 0;
    } else if (cls == L"TPanel") {
        noPrefix = true;
    } else {
        return {};
    }
    const SIZE need = TextExtent(hwnd, text, wraps ? std::max(availWidth, 1) : 0, noPrefix);
    if (need.cx <= availWidth && need.cy <= availHeight)
        return {};
    char line[160];
    std::snprintf(line, sizeof line, "needs %ldx%ld, has %dx%d%s", need.cx, need.cy, availWidth, availHeight,
                  wraps ? " (wrapped)" : "");
    return "caption \"" + Narrow(text) + "\" does not fit: " + line;
}

// A multi-line edit that shows a vertical scroll bar although its text fits.
std::string ScrollBarFault(HWND hwnd) {
    if (lstrcmpiW(guidriver::ClassName(hwnd).c_str(), L"Edit") != 0)
        return {};
    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    if (!(style & ES_MULTILINE) || !(style & WS_VSCROLL))
        return {};
    HDC dc = GetDC(hwnd);
    auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    RECT format{};
    SendMessageW(hwnd, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    const int visible = metrics.tmHeight > 0 ? (format.bottom - format.top) / metrics.tmHeight : 0;
    const auto lines = static_cast<int>(SendMessageW(hwnd, EM_GETLINECOUNT, 0, 0));
    if (lines > visible)
        return {};
    return "shows a scroll bar for " + std::to_string(lines) + " lines although it shows " + std::to_string(visible);
}

bool IsPushButton(HWND hwnd) {
    if (lstrcmpiW(guidriver::ClassName(hwnd).c_str(), L"Button") != 0)
        return false;
    const LONG_PTR type = GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool HasPicture(HWND hwnd) {
    return SendMessageW(hwnd, BM_GETIMAGE, IMAGE_ICON, 0) != 0 || SendMessageW(hwnd, BM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
}

} // namespace

SIZE TextExtent(HWND control, const std::wstring& text, int wrapWidth, bool noPrefix) {
    HDC dc = GetDC(control);
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    RECT r{0, 0, wrapWidth, 0};
    UINT flags = DT_CALCRECT | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE) | (noPrefix ? DT_NOPREFIX : 0);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

std::set<std::wstring> ComponentNames(const gui::TForm& form, std::span<const gui::TMenuItem* const> popups) {
    std::set<std::wstring> names;
    if (!form.Name().empty())
        names.insert(form.Name());
    for (HWND child : guidriver::ChildWindows(form.Handle())) {
        std::wstring name = guidriver::ControlName(child);
        if (!name.empty())
            names.insert(name);
    }
    if (form.Menu())
        CollectMenuNames(form.Menu()->Items, names);
    for (const gui::TMenuItem* popup : popups)
        CollectMenuNames(*popup, names);
    return names;
}

std::vector<std::string> LayoutCheck::Check(const gui::TForm& form, const std::string& what,
                                            std::span<const gui::TMenuItem* const> popups) const {
    std::vector<std::string> faults;
    HWND top = form.Handle();
    if (!IsWindowVisible(top)) {
        faults.push_back(what + ": the window is not shown");
        return faults;
    }
    std::set<std::wstring> names = ComponentNames(form, popups);
    for (const std::wstring& caption : ownCaptions_)
        names.erase(caption);
    const std::wstring caption = guidriver::WindowText(top);
    if (names.count(caption))
        faults.push_back(what + ": the window caption is the component name \"" + Narrow(caption) + "\"");

    std::map<HWND, std::vector<HWND>> byParent;
    for (HWND child : guidriver::ChildWindows(top)) {
        if (!IsWindowVisible(child) || !(GetWindowLongPtrW(child, GWL_STYLE) & WS_CHILD))
            continue;
        HWND parent = GetParent(child);
        byParent[parent].push_back(child);
        const std::string where = what + ": " + Narrow(NameOf(child));
        const RECT bounds = ScreenRect(child);
        const RECT area = ClientScreenRect(parent);
        if (bounds.right <= bounds.left || bounds.bottom <= bounds.top)
            faults.push_back(where + " is shown with no size " + Describe(bounds));
        else if (!Contains(area, bounds))
            faults.push_back(where + " " + Describe(bounds) + " is not inside " + Narrow(NameOf(parent)) +
                             "'s client area " + Describe(area));
        if (std::string fault = CaptionFault(child); !fault.empty())
            faults.push_back(where + ": " + fault);
        if (std::string fault = ScrollBarFault(child); !fault.empty())
            faults.push_back(where + " " + fault);
        if (IsPushButton(child) && guidriver::WindowText(child).empty() && !HasPicture(child))
            faults.push_back(where + " is a button with neither caption nor picture");
        const std::wstring text = guidriver::WindowText(child);
        if (!text.empty() && names.count(text) && lstrcmpiW(guidriver::ClassName(child).c_str(), L"Edit") != 0)
            faults.push_back(where + " shows the component name \"" + Narrow(text) + "\"");
    }

    auto designedPair = [this](const std::wstring& a, const std::wstring& b) {
        return std::any_of(designed_.begin(), designed_.end(), [&](const DesignedOverlap& pair) {
            return (a == pair.A && b == pair.B) || (a == pair.B && b == pair.A);
        });
    };
    for (const auto& [parent, children] : byParent) {
        for (size_t i = 0; i < children.size(); ++i) {
            for (size_t j = i + 1; j < children.size(); ++j) {
                RECT a = ScreenRect(children[i]), b = ScreenRect(children[j]), both{};
                if (!IntersectRect(&both, &a, &b))
                    continue;
                const std::wstring nameA = NameOf(children[i]), nameB = NameOf(children[j]);
                if (designedPair(nameA, nameB))
                    continue;
                faults.push_back(what + ": " + Narrow(nameA) + " " + Describe(a) + " overlaps " + Narrow(nameB) + " " +
                                 Describe(b));
            }
        }
    }

    if (form.Menu())
        CheckMenuTexts(form.Menu()->Items, names, what, faults);
    for (const gui::TMenuItem* popup : popups)
        CheckMenuTexts(*popup, names, what, faults);
    return faults;
}

std::vector<std::string> LayoutCheck::CheckOnWorkArea(HWND window, const std::string& what) {
    std::vector<std::string> faults;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const RECT bounds = ScreenRect(window);
    if (!Contains(work, bounds))
        faults.push_back(what + ": the window " + Describe(bounds) + " is not on the work area " + Describe(work));
    return faults;
}

void SaveScreenshot(HWND window, const std::string& name) {
    const char* folder = std::getenv("OSTREL_LAYOUT_SHOTS");
    if (!folder || !*folder || !IsWindowVisible(window))
        return;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    gui::Application.ProcessMessages();
    const RECT r = ScreenRect(window);
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0)
        return;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    const int stride = ((width * 3 + 3) / 4) * 4;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride * height);
    std::filesystem::path path = std::filesystem::path(folder) / (name + ".bmp");
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(stride) * height);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

} // namespace layout

#pragma once
// Shared vocabulary of the GUI class library: the component base, event signatures, enumerations and the
// exception barrier that every window procedure and callback runs its work through.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace gui {

// Everything that carries a name and can be the Sender of an event: controls, forms, menu items, timers.
class TComponent {
public:
    explicit TComponent(std::wstring name = {}) : name_(std::move(name)) {}
    virtual ~TComponent() = default;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    const std::wstring& Name() const { return name_; }
    virtual void SetName(const std::wstring& name) { name_ = name; }
    // Free for the owner's use (the windows keep item indexes and flags here).
    intptr_t Tag = 0;

private:
    std::wstring name_;
};

enum TShiftFlag : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64
};
using TShiftState = unsigned;
TShiftState KeyboardShiftState();

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

using TNotifyEvent = std::function<void(TComponent* Sender)>;
// Setting Key to 0 swallows the key.
using TKeyEvent = std::function<void(TComponent* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TComponent* Sender, wchar_t& Key)>;
using TMouseEvent = std::function<void(TComponent* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TComponent* Sender, TShiftState Shift, int X, int Y)>;

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

// Colours are COLORREFs; clDefault leaves the system colour.
constexpr COLORREF clDefault = 0xFF000000;
constexpr COLORREF clRed = RGB(255, 0, 0);
constexpr COLORREF clBlue = RGB(0, 0, 255);
constexpr COLORREF clBlack = RGB(0, 0, 0);

struct TFont {
    std::wstring Name = L"Tahoma";
    int Size = 8; // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    COLORREF Color = clDefault;
    bool operator==(const TFont&) const = default;
};

// The text before the hint separator "|" (the tooltip) and the text after it (the status bar); a hint without
// separator is both.
std::wstring GetShortHint(const std::wstring& hint);
std::wstring GetLongHint(const std::wstring& hint);

// Runs work and swallows every exception: no C++ exception may unwind through user32, comctl32 or comdlg32.
// The exception text goes to the debugger output so that it is not lost silently.
void ReportCallbackException(const char* where) noexcept;
template <class R, class F> R Guarded(const char* where, R fallback, F&& work) noexcept {
    try {
        return work();
    } catch (...) {
        ReportCallbackException(where);
        return fallback;
    }
}
template <class F> void GuardedVoid(const char* where, F&& work) noexcept {
    try {
        work();
    } catch (...) {
        ReportCallbackException(where);
    }
}

// Converts a shortcut such as Ctrl+L (virtual key | scCtrl) to and from a menu text ("Strg+L" style is not needed:
// the menu shows "Ctrl+L").
enum : unsigned { scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000 };
using TShortCut = unsigned;
constexpr TShortCut ShortCut(WORD key, TShiftState shift) {
    return key | ((shift & ssShift) ? scShift : 0u) | ((shift & ssCtrl) ? scCtrl : 0u) | ((shift & ssAlt) ? scAlt : 0u);
}
std::wstring ShortCutToText(TShortCut shortCut);

} // namespace gui

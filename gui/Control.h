#pragma once
// TControl: the C++ object behind every window of a form. One object owns one HWND, destroyed in the destructor. It
// is created in the constructor, except on a form that defers its windows (every form the application makes after
// its main form): there the form and each control keep their creation values and their simple properties (bounds,
// text, enabled, tab stop, and what the kinds of control keep themselves: check states, list items and selection,
// columns, ranges) until the form makes all its windows at once, when it is first shown or when its own or any of its
// controls' handle is asked for. A start then makes only the windows of the main form. Our own window classes bind the
// object at WM_NCCREATE and carry it in the window's user data; native controls get our window procedure in place of
// their class's (kept in the object) and carry the object in their user data too: no message looks anything up in the
// window's properties, each such look-up being a trip to the window server under Wine. Hooks set later with
// SetWindowSubclass sit above ours. FromHandle finds the object in a table of the process, so no message costs a trip
// to the window server.
//
// The control's name is readable from outside the process: the window property L"OstrelName" holds a global atom
// whose text is the name (GetPropW + GlobalGetAtomNameW), see tests/support/GuiDriver.h.
#include "gui/Types.h"
#include "win/Handles.h"

#include <memory>
#include <vector>

namespace gui {

class TForm;
class TPopupMenu;

// A message as a form's custom handler sees it. Set Default to let the window's default handling run after the
// handler (its result then replaces Result).
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
    bool Default = false;
};

class TControl : public TComponent {
public:
    // parent is the control (form, panel, group box) the window lives in; nullptr only for forms.
    TControl(TControl* parent, std::wstring name);
    ~TControl() override;

    // The window; borrowed, owned by this object. Asking for it makes the windows of a form that deferred them. Null
    // once the window was destroyed.
    HWND Handle() const {
        if (!hwnd_ && pending_)
            CreatePendingWindows();
        return hwnd_;
    }
    // Whether the window exists (without making it).
    bool HandleAllocated() const { return hwnd_ != nullptr; }
    TControl* Parent() const { return parent_; }
    TForm* ParentForm() const;
    const std::vector<TControl*>& Controls() const { return children_; }
    static TControl* FromHandle(HWND hwnd);
    void SetName(const std::wstring& name) override;

    // Position and size relative to the parent's client area, in pixels.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
    void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
    void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
    void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
    virtual void SetBounds(int left, int top, int width, int height);
    int ClientWidth() const;
    int ClientHeight() const;

    // Aligned controls fill an edge (or the rest) of the parent's client area; among controls of the same
    // alignment the one nearer the edge by its current position comes first. Anchors keep the distance of the
    // named edges to the parent's edges when the parent is resized.
    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors anchors);
    // Lays out the aligned and anchored children again.
    void Realign();
    // Between these (nested), changes of the children's alignment and bounds are not laid out; the last
    // EnableAlign lays them out once, so a bar's controls can be given their order by position all together.
    void DisableAlign() { ++alignDisabled_; }
    void EnableAlign();

    bool Enabled() const;
    virtual void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    // The hint: the part before "|" is the tooltip, the whole or the part after goes to the application's hint.
    const std::wstring& Hint() const { return hint_; }
    void SetHint(const std::wstring& hint);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);

    // The window text (a button's caption, an edit's text). Setting an equal text does nothing.
    virtual std::wstring Text() const;
    virtual void SetText(const std::wstring& text);
    std::wstring Caption() const { return Text(); }
    void SetCaption(const std::wstring& text) { SetText(text); }

    // The size a text takes in the control's font: one line (wrapWidth 0), or broken between words into lines of
    // wrapWidth pixels (wider than wrapWidth when a word does not fit). Mnemonic ampersands are not counted.
    SIZE TextExtent(const std::wstring& text, int wrapWidth = 0) const;

    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);
    HFONT FontHandle() const;
    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);
    // A cursor from the system set (IDC_HAND for links); nullptr is the class cursor.
    void SetCursor(LPCWSTR systemCursor);

    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int order);
    bool TabStop() const;
    void SetTabStop(bool stop);
    bool Focused() const;
    bool CanFocus() const;
    // On a form not yet shown this only picks the control that gets the focus when the form is activated.
    virtual void SetFocus();

    TPopupMenu* PopupMenu = nullptr;

    // Runs the click behaviour and OnClick, also when the control is disabled.
    virtual void Click();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TNotifyEvent OnResize;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    // Creates the window. For a native class the window is subclassed; ownClass marks a class registered with
    // RegisterOwnClass whose procedure binds the object at WM_NCCREATE.
    void CreateHandle(const wchar_t* className, DWORD style, DWORD exStyle, const std::wstring& text, int x, int y,
                      int w, int h, bool ownClass = false);
    static void RegisterOwnClass(const wchar_t* className, UINT classStyle, HBRUSH background, HICON icon = nullptr);
    void DestroyHandle();
    // The style the window has or will be made with.
    DWORD WindowStyle() const;
    void SetWindowStyle(DWORD style);

    // The object's view of every message of its window; the base handles reflection, focus, keys, mouse,
    // hints and layout, and ends in DefaultProc.
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // WM_COMMAND and WM_NOTIFY sent by this control to its parent, reflected back to it.
    virtual bool HandleCommand(WORD code, LRESULT& result);
    virtual bool HandleNotify(NMHDR* header, LRESULT& result);
    // WM_CTLCOLOR* for this control; nullptr leaves the default.
    virtual HBRUSH HandleCtlColor(UINT msg, HDC dc);
    // WM_DRAWITEM of an owner-drawn control, reflected back to it; true when drawn.
    virtual bool HandleDrawItem(const DRAWITEMSTRUCT& item);
    virtual void AfterChildrenAligned() {}
    // Runs when a deferred window has been made: the control gives it what was set while it had none.
    virtual void AfterDeferredCreation() {}
    // The rectangle aligned children share (a group box leaves room for its frame and caption).
    virtual RECT AlignArea() const;
    void FireKeyDown(WORD& key, TShiftState shift);

    void RunNotify(const TNotifyEvent& event) {
        if (event)
            event(this);
    }

    bool isForm_ = false;

private:
    friend class TForm;
    friend class TApplication;
    // What CreateHandle was given, kept while the form defers its windows.
    struct PendingWindow {
        std::wstring className;
        DWORD style = 0;
        DWORD exStyle = 0;
        std::wstring text;
        RECT bounds{};
    };
    void CreatePendingWindows() const;
    // Makes the deferred windows below this control (parents first), then orders and lays them out.
    void CreateChildWindows();
    // Puts the children's windows in tab order (the dialog manager's Tab follows the window order).
    void OrderChildWindows();
    void CreateWindowNow(const PendingWindow& window);
    bool SizeKnownBeforeCreation() const;
    static LRESULT CALLBACK OwnClassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK NativeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    void Detach();
    void UpdateTooltip();
    void ApplyFont();
    void HandleFocusGained();
    bool HandleMouse(UINT msg, WPARAM wParam, LPARAM lParam);
    void RememberAnchorBase();

    HWND hwnd_ = nullptr;
    std::unique_ptr<PendingWindow> pending_;
    bool ownClass_ = false;
    WNDPROC nativeProc_ = nullptr; // the native control's procedure that ours replaced
    TControl* parent_ = nullptr;
    std::vector<TControl*> children_;
    TAlign align_ = TAlign::alNone;
    TAnchors anchors_ = akLeft | akTop;
    SIZE anchorParentSize_{0, 0};
    SIZE laidOut_{0, 0}; // the client size of the last layout of the children
    RECT anchorBounds_{0, 0, 0, 0};
    bool visible_ = true;
    std::wstring hint_;
    bool showHint_ = true;
    // The tooltip that shows the hint, or null. The control hands it the mouse messages itself: the tooltip's own
    // subclass would cost a window-property look-up per message.
    HWND tooltip_ = nullptr;
    TFont font_;
    bool ownFont_ = false;
    std::shared_ptr<const win::UniqueFont> hfont_;
    COLORREF color_ = clDefault;
    win::UniqueBrush brush_;
    HCURSOR cursor_ = nullptr;
    int tabOrder_ = 0;
    ATOM nameAtom_ = 0;
    int realignDepth_ = 0;
    int alignDisabled_ = 0;
};

} // namespace gui

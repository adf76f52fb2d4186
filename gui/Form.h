#pragma once
// TForm: a top-level window built in code from design values. The window class is the class name the program
// gives (L"TOstrel_Form"), registered on first use. The window exists from the constructor on, hidden; derived
// forms declare their controls as members after the base and set properties and handlers in their constructor.
// A form made by the application after its main form defers its own window and its controls' windows until it is
// first shown or one of them is needed (see TControl): meanwhile it keeps its caption, style, size, icon, menu and
// message handlers, and works out its client size from the frame its style will have.
#include "gui/Control.h"

#include <map>

namespace gui {

class TMainMenu;
class TButton;

enum class TPosition { poDesigned, poScreenCenter, poDesktopCenter, poMainFormCenter };
enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };
using TBorderIcons = unsigned;
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TComponent* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TComponent* Sender, bool& CanClose)>;
using TMessageHandler = std::function<void(TMessage& Msg)>;

class TForm : public TControl {
public:
    explicit TForm(const std::wstring& className, const std::wstring& name = {});
    ~TForm() override;

    void SetClientSize(int width, int height);
    void SetClientWidth(int width) { SetClientSize(width, ClientHeight()); }
    void SetClientHeight(int height) { SetClientSize(ClientWidth(), height); }

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons icons);
    // Where Show and ShowModal place the window. Centring on the main form uses its normal position while it is
    // minimised (its rectangle is then off screen).
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    void CenterOn(TPosition where);
    // Minimum tracking size of the whole window (0 = none).
    void SetMinSize(int width, int height);
    void SetIcon(HICON icon);
    // The menu bar; the form keeps the pointer, the caller owns the menu.
    void SetMenu(TMainMenu* menu);
    TMainMenu* Menu() const { return menu_; }

    // The form's OnKeyDown sees keys before the focused control does.
    bool KeyPreview = false;
    // Snap the window to the work area's edges when it is moved within a few pixels of them.
    bool ScreenSnap = false;

    void SetVisible(bool visible) override;
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    void BringToFront();
    // Asks OnCloseQuery and OnClose; the default action hides the form (the main form ends the application).
    void Close();
    // Shows the form modally until ModalResult is set or the form is closed or hidden. The controls keep
    // their values afterwards.
    TModalResult ShowModal();
    bool Modal() const { return modalDepth_ > 0; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result);

    TWindowState WindowState() const;
    void SetWindowState(TWindowState state);
    bool Active() const;

    // The control that has or (before the form is shown) will get the focus.
    TControl* ActiveControl() const;

    // A handler for one window message (WM_USER + n, WM_DEVICECHANGE, a registered message).
    void SetMessageHandler(UINT msg, TMessageHandler handler);

    // Makes the form's window and its controls' windows when the form deferred them; does nothing once they exist.
    void CreateControls();
    bool ControlsDeferred() const { return controlsDeferred_; }

    // Life cycle, called by TApplication (or by the owner of a form not made through CreateForm).
    void DoCreate();
    void DoDestroy();

    // Presses the default button (Enter) or the cancel button (Esc) of the form, when it has one.
    bool ClickDefaultButton(bool cancel);
    bool HasDefaultButton(bool cancel) const;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnPaint;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDestroy;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    friend class TControl;
    friend class TApplication;
    static constexpr DWORD kInitialStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    static constexpr DWORD kInitialExStyle = WS_EX_CONTROLPARENT;
    void ApplyStyle();
    static void RegisterFormClass(const std::wstring& className);
    // The size the frame (and menu bar) adds around the client area of the window as it is or will be made.
    SIZE FrameSize() const;
    void FocusChanged(TControl* control);
    void ActivateFocus();
    void RunClose();

    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TPosition position_ = TPosition::poDesigned;
    SIZE minSize_{0, 0};
    TMainMenu* menu_ = nullptr;
    HICON icon_ = nullptr;
    TModalResult modalResult_ = mrNone;
    int modalDepth_ = 0;
    bool created_ = false;
    bool controlsDeferred_ = false;
    bool destroyed_ = false;
    bool closing_ = false;
    TControl* focused_ = nullptr;      // the control that last had the focus inside this form
    TControl* pendingFocus_ = nullptr; // picked while the form was hidden
    bool focusEventsRunning_ = false;
    std::map<UINT, TMessageHandler> handlers_;
};

} // namespace gui

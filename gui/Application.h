#pragma once
// TApplication: the message loop, the form list (created in a fixed order, destroyed in reverse), the title
// that plain message boxes show, the icon, and the application-wide hint and minimise events.
// There is no hidden application window: the main form owns the taskbar button and the dialogs.
#include "gui/Form.h"

#include <memory>
#include <vector>

namespace gui {

class TApplication {
public:
    TApplication() = default;
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Registers the common controls; called once before the first form is made (CreateForm does it too).
    void Initialize();

    // Makes a form, stores it in ref, then runs its OnCreate. The first form made this way is the main form; the
    // others defer their controls' windows until they are first needed, so a start makes only the main window.
    template <class T, class... Args> T* CreateForm(T*& ref, Args&&... args) {
        Initialize();
        deferControls_ = mainForm_ != nullptr;
        auto form = std::make_unique<T>(std::forward<Args>(args)...);
        ref = form.get();
        AddForm(std::move(form));
        ref->DoCreate();
        return ref;
    }
    TForm* MainForm() const { return mainForm_; }
    void SetMainForm(TForm* form) { mainForm_ = form; }
    const std::vector<std::unique_ptr<TForm>>& Forms() const { return forms_; }

    // Shows the main form and runs the message loop until Terminate or the main form closes, then runs every
    // form's OnDestroy and destroys the forms in reverse creation order.
    void Run();
    bool ShowMainForm = true;
    // Runs the pending messages and returns.
    void ProcessMessages();
    // Handles one message (waits for it); false once WM_QUIT came.
    bool HandleMessage();
    void Terminate();
    bool Terminated() const { return terminated_; }
    void DestroyForms();

    const std::wstring& Title() const { return title_; }
    void SetTitle(const std::wstring& title) { title_ = title; }
    HICON Icon() const { return icon_; }
    void SetIcon(HICON icon) { icon_ = icon; }

    // The main window: minimise, restore and bring to front.
    void Minimize();
    void Restore();
    void BringToFront();

    // The current hint; OnHint runs whenever it changes (the mouse moved to a control or a menu item was
    // selected).
    const std::wstring& Hint() const { return hint_; }
    void SetHint(const std::wstring& hint);
    TNotifyEvent OnHint;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

    // Keyboard handling before a message is dispatched: menu shortcuts, the form's key preview, Enter/Esc for
    // the default and cancel buttons, Tab between controls. True when the message was used up.
    bool PreTranslate(MSG& msg);

    // Internal: called by the main form.
    void NotifyMinimized();
    void NotifyRestored();
    // Internal: whether the form being made by CreateForm defers its controls (asked once, by the form).
    bool TakeDeferControls() {
        const bool defer = deferControls_;
        deferControls_ = false;
        return defer;
    }

private:
    void AddForm(std::unique_ptr<TForm> form);
    bool initialized_ = false;
    bool deferControls_ = false;
    bool terminated_ = false;
    TForm* mainForm_ = nullptr;
    std::vector<std::unique_ptr<TForm>> forms_;
    std::wstring title_;
    HICON icon_ = nullptr;
    std::wstring hint_;
};

extern TApplication Application;

} // namespace gui

#pragma once
// The one funnel for every message box of both programs. A test hook (MessageBoxRecorder) records caption,
// text, kind and buttons and gives the answer without showing a window.
#include "gui/Types.h"

#include <deque>
#include <vector>

namespace gui {

enum class TMsgDlgType { mtPlain, mtConfirmation, mtInformation, mtWarning, mtError };
enum class TMsgDlgButtons { mbOK, mbOKCancel, mbYesNo, mbYesNoCancel, mbOKAbort };

struct TMessageBoxRecord {
    std::wstring Caption;
    std::wstring Text;
    TMsgDlgType Type = TMsgDlgType::mtPlain;
    TMsgDlgButtons Buttons = TMsgDlgButtons::mbOK;
    HWND Owner = nullptr;
    // Which button Enter presses: 0 the first, 1 the second, 2 the third.
    int DefaultButton = 0;
};

// Shows a box and returns mrOk, mrCancel, mrYes, mrNo or mrAbort. An empty caption is the application's title;
// without an owner the box belongs to the active window of this thread (or the main form). defaultButton is the
// index of the button Enter presses.
TModalResult MessageDlg(const std::wstring& text, const std::wstring& caption, TMsgDlgType type, TMsgDlgButtons buttons,
                        HWND owner = nullptr, int defaultButton = 0);
// A plain box with OK and the application's title as caption.
void ShowMessage(const std::wstring& text);

using TMessageBoxHook = std::function<TModalResult(const TMessageBoxRecord&)>;
// Replaces the real box; returns the previous hook.
TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook);

// While it lives, every box is recorded instead of shown. Each box takes the next queued answer; with none left
// the answer is the box's first button (OK or Yes).
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
    std::vector<TMessageBoxRecord> Records;
    std::deque<TModalResult> Answers;
    // Runs inside the box call, before it returns (to check state the box interrupts).
    std::function<void(const TMessageBoxRecord&)> OnBox;

private:
    TMessageBoxHook previous_;
};

} // namespace gui

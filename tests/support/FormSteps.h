#pragma once
// Driving the GUI library's forms from a test: pumping the application's messages until a condition holds, and
// steps run once a modal form is on screen. Header only: just the test programs that link the GUI library include
// it.
#include "gui/Application.h"
#include "gui/ExtCtrls.h"
#include "gui/Form.h"
#include "support/GuiDriver.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace testenv {

inline bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000) {
    return guidriver::PumpUntil(condition, timeoutMs, [] { gui::Application.ProcessMessages(); });
}

// Runs steps once the form is on screen (inside its modal loop); the steps end the modal loop themselves. The
// guard says what keeps a test from waiting in that loop for ever when they do not.
class WhenShown {
public:
    enum class Guard {
        None,
        // A step that failed fatally closes the form.
        CloseOnFatalFailure,
        // A form still open after the deadline is hidden (which ends its modal loop) and the case fails.
        HideAfterDeadline,
    };

    WhenShown(gui::TForm& form, std::function<void()> steps, Guard guard = Guard::None)
        : form_(form), steps_(std::move(steps)), guard_(guard) {
        timer_.SetInterval(20);
        timer_.OnTimer = [this](gui::TComponent*) {
            if (!IsWindowVisible(form_.Handle()))
                return;
            timer_.SetEnabled(false);
            if (watchdog_)
                watchdog_->SetEnabled(true);
            steps_();
            if (guard_ == Guard::CloseOnFatalFailure && testing::Test::HasFatalFailure())
                form_.Close();
        };
        if (guard_ == Guard::HideAfterDeadline) {
            watchdog_ = std::make_unique<gui::TTimer>();
            watchdog_->SetEnabled(false);
            watchdog_->SetInterval(kDeadlineMs);
            watchdog_->OnTimer = [this](gui::TComponent*) {
                watchdog_->SetEnabled(false);
                if (!IsWindowVisible(form_.Handle()))
                    return;
                std::wstring name = guidriver::ClassName(form_.Handle());
                ADD_FAILURE() << "the dialog did not close: " << std::string(name.begin(), name.end());
                form_.Hide();
            };
        }
    }
    WhenShown(const WhenShown&) = delete;
    WhenShown& operator=(const WhenShown&) = delete;

private:
    static constexpr unsigned kDeadlineMs = 8000;

    gui::TForm& form_;
    std::function<void()> steps_;
    Guard guard_;
    gui::TTimer timer_;
    std::unique_ptr<gui::TTimer> watchdog_;
};

} // namespace testenv

// The password question of the library's password request, answered on screen (two showings: each costs seconds
// under Wine, so the cases are few).
#include "installer/zip/PasswordDlg.h"
#include "installer/zip/ZipArchive.h"

#include "gui/Application.h"
#include "gui/ExtCtrls.h"
#include "support/GuiDriver.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Once the dialog is on screen: types the answer into its edit and presses the named button.
class AnswerWhenShown {
public:
    AnswerWhenShown(std::wstring answer, std::wstring button) : answer_(std::move(answer)), button_(std::move(button)) {
        timer_.SetInterval(20);
        timer_.OnTimer = [this](gui::TComponent*) {
            HWND dialog = guidriver::FindTopWindow(L"TPasswordDlg");
            if (!dialog || !IsWindowVisible(dialog)) {
                return;
            }
            timer_.SetEnabled(false);
            caption = guidriver::WindowText(dialog);
            prompt = guidriver::WindowText(guidriver::FindControl(dialog, L"Label"));
            RECT rect{};
            GetWindowRect(dialog, &rect);
            width = rect.right - rect.left;
            for (int i = 1; i <= 4; ++i) {
                if (HWND b = guidriver::FindControl(dialog, L"Button" + std::to_wstring(i))) {
                    buttons.push_back(guidriver::WindowText(b));
                }
            }
            SetWindowTextW(guidriver::FindControl(dialog, L"Edit"), answer_.c_str());
            for (HWND b : guidriver::ChildWindows(dialog)) {
                if (guidriver::WindowText(b) == button_) {
                    guidriver::Click(b);
                    return;
                }
            }
            PostMessageW(dialog, WM_CLOSE, 0, 0); // the button is missing: end the modal loop anyway
        };
    }
    std::wstring caption, prompt;
    std::vector<std::wstring> buttons;
    int width = 0;

private:
    std::wstring answer_, button_;
    gui::TTimer timer_;
};

unzdll::UnzCallbackRecord PasswordRequest(TZipArchive& zip, std::int32_t attempts) {
    unzdll::UnzCallbackRecord record{};
    record.Caller = &zip;
    record.ActionCode = unzdll::actPassword;
    record.Arg1 = 0;
    record.Arg2 = attempts;
    return record;
}

} // namespace

TEST(PasswordDlg, AnswerGoesBackToTheLibrary) {
    gui::Application.Initialize();
    TZipArchive zip;
    AnswerWhenShown answer(L"geheim", L"&Ok");
    auto record = PasswordRequest(zip, 20);
    EXPECT_EQ(zip.HandleCallback(record), 0);
    EXPECT_EQ(answer.caption, L"Password");
    EXPECT_EQ(answer.prompt, L"Enter Password ");
    EXPECT_EQ(answer.buttons, (std::vector<std::wstring>{L"&Ok", L"&Cancel", L"Cancel all"}));
    EXPECT_EQ(answer.width, 3 * 124 + 35);
    EXPECT_STREQ(record.Text, "geheim");
    EXPECT_EQ(record.Arg1, 1);
    EXPECT_EQ(record.Arg2, 15); // attempts are capped
    EXPECT_EQ(record.ActionCode, unzdll::actPassword);
}

TEST(PasswordDlg, CancelAllGivesAnEmptyAnswerAndClearsTheAction) {
    gui::Application.Initialize();
    TZipArchive zip;
    AnswerWhenShown answer(L"ignored", L"Cancel all");
    auto record = PasswordRequest(zip, 1);
    std::strcpy(record.Text, "file.txt");
    EXPECT_EQ(zip.HandleCallback(record), 0);
    EXPECT_EQ(record.Arg1, 0);
    EXPECT_EQ(record.Arg2, 0);
    EXPECT_EQ(record.ActionCode, 0);
}

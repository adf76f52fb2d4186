#pragma once
// TPasswordDlg: the small password question the unzip library's password request opens (a form built in code).
#include "gui/Form.h"
#include "gui/StdCtrls.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

enum TPasswordButton { pwbOk, pwbCancel, pwbCancelAll, pwbAbort };
using TPasswordButtons = std::set<TPasswordButton>;

class TPasswordDlg : public gui::TForm {
public:
    // The modal result of "Cancel all".
    static constexpr gui::TModalResult mrCancelAll = 9;

    TPasswordDlg(const std::wstring& title, const std::wstring& prompt, const TPasswordButtons& buttons);
    // Shows the dialog modally. The text after OK, empty otherwise; choice: 0 = OK, 1 = Cancel, 2 = Cancel all,
    // 3 = anything else.
    std::wstring ShowModalPwdDlg(int& choice);
    // Makes, shows and frees one dialog.
    static std::wstring Ask(const std::wstring& title, const std::wstring& prompt, const TPasswordButtons& buttons,
                            int& choice);

    gui::TLabel Label;
    gui::TEdit Edit;
    std::vector<std::unique_ptr<gui::TButton>> Buttons;
};

#pragma once
// The update window TUpdate_Form: each showing fetches the maker's "update.ini" into the program folder and tells
// whether a newer version is out; a button opens the maker's download page.
#include "app/dialogs/UpdateCheck.h"
#include "gui/Form.h"
#include "gui/StdCtrls.h"

#include <filesystem>
#include <functional>
#include <string>

class TUpdate_Form : public gui::TForm {
public:
    // programFolder ends the local copy's path ("update.ini" in it); ownVersion is the running program's version
    // string, read once at start.
    TUpdate_Form(const std::filesystem::path& programFolder, std::wstring ownVersion);

    // Where the update file comes from and how it is fetched (DownloadToFile unless replaced).
    UpdateCheck& Check() { return check_; }
    // The download page and how it is opened (the shell's "open" in a normal window unless replaced).
    std::wstring DownloadPage = DownloadPageAddress();
    std::function<void(const std::wstring& address)> OpenPage;

    void FormShow();
    void CheckForNewVersion();
    void BitBtn1Click();
    void FormKeyDown(WORD& key);

    gui::TLabel Label1{this, L"Label1", 12, 16, 250, 13};
    gui::TLabel DateiL{this, L"DateiL", 270, 16, 160, 13};
    gui::TLabel Label3{this, L"Label3", 12, 40, 250, 13};
    gui::TLabel DateiLExt{this, L"DateiLExt", 270, 40, 160, 13};
    // Two lines: the failure text is longer than the window is wide.
    gui::TMemo EditText{this, L"EditText", 12, 66, 418, 36};
    gui::TBitBtn BitBtn1{this, L"BitBtn1", 12, 114, 160, 25};
    gui::TBitBtn BitBtn2{this, L"BitBtn2", 350, 114, 80, 25};

private:
    UpdateCheck check_;
};

#pragma once
// Common dialogs: open, save, font and colour. A test hook (SetCommonDialogHook) stands in for the user: it
// sees the dialog object with everything the program set, fills in the answer and says whether OK was pressed.
#include "gui/Types.h"

#include <vector>

namespace gui {

enum TOpenOption : unsigned {
    ofOverwritePrompt = 1,
    ofHideReadOnly = 2,
    ofAllowMultiSelect = 4,
    ofPathMustExist = 8,
    ofFileMustExist = 16,
    ofNoChangeDir = 32,
    // The chosen file may not be read-only (nor in a write-protected folder).
    ofNoReadOnlyReturn = 64,
};
using TOpenOptions = unsigned;

class TCommonDialog : public TComponent {
public:
    using TComponent::TComponent;
    // Shows the dialog; true when the user pressed OK.
    bool Execute(HWND owner = nullptr);

protected:
    virtual bool Run(HWND owner) = 0;
};

class TOpenDialog : public TCommonDialog {
public:
    using TCommonDialog::TCommonDialog;
    // Pairs of description and pattern separated by "|": "PDF-Datei (*.pdf)|*.pdf".
    std::wstring Filter;
    int FilterIndex = 1;
    std::wstring DefaultExt;
    std::wstring InitialDir;
    std::wstring Title;
    TOpenOptions Options = ofHideReadOnly;
    // The chosen file (the first of several); every chosen file with its full path.
    std::wstring FileName;
    std::vector<std::wstring> Files;
    virtual bool IsSave() const { return false; }

protected:
    bool Run(HWND owner) override;
};

class TSaveDialog : public TOpenDialog {
public:
    using TOpenDialog::TOpenDialog;
    bool IsSave() const override { return true; }
};

class TFontDialog : public TCommonDialog {
public:
    using TCommonDialog::TCommonDialog;
    TFont Font;

protected:
    bool Run(HWND owner) override;
};

class TColorDialog : public TCommonDialog {
public:
    using TCommonDialog::TCommonDialog;
    COLORREF Color = RGB(0, 0, 0);

protected:
    bool Run(HWND owner) override;
};

using TCommonDialogHook = std::function<bool(TCommonDialog& dialog)>;
// Replaces every common dialog; returns the previous hook. Pass an empty function to show real dialogs.
TCommonDialogHook SetCommonDialogHook(TCommonDialogHook hook);

} // namespace gui

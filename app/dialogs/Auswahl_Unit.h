#pragma once
// TAuswahl_Form: the merge list. The user builds the ordered list of files to merge (add, remove, move up and
// down), previews files with Ghostscript, sets the merge's security and confirms with "Auf geht's...". Every
// showing starts with an empty list.
#include "core/Settings.h"
#include "components/SizeGripThemed.h"
#include "gui/ComCtrls.h"
#include "gui/Dialogs.h"
#include "gui/ExtCtrls.h"
#include "gui/Form.h"
#include "gui/StdCtrls.h"

#include <functional>
#include <string>
#include <vector>

class TEncrypt_Form;

inline constexpr wchar_t kMergeFileFilter[] = L"PDF, PS/PRN (*.pdf,*.ps; *.prn)|*.pdf;*.ps;*.prn|*.*|*.*";

class TAuswahl_Form : public gui::TForm {
public:
    // dialog: the settings dialog's values (Ghostscript program, open in reader). encrypt may be null (no key
    // button action).
    TAuswahl_Form(DialogSettings& dialog, TEncrypt_Form* encrypt);

    // The files of the list, in list order.
    std::vector<std::wstring> Files() const;
    bool OpenInReader() const { return PDFAnzRG.ItemIndex() == 0; }

    // Set by "Auf geht's...", read and cleared by the merge command.
    bool MergeConfirmed = false;

    // Where the file dialog starts (the output folder) and the list's colour (the main window's drive box).
    std::function<std::wstring()> OutputFolder;
    std::function<COLORREF()> DriveBoxColor;
    // The preview passes each file as the current input path of the program.
    std::function<void(const std::wstring&)> OnCurrentInputPath;

    void FormCreate();
    void FormShow();
    void HinzufuegenClick();
    void EntfernenBitBtnClick();
    void UpBitBtnClick();
    void DownBitBtnClick();
    void MergeViewerClick();
    void KeyBtClick();
    void AufgehtsBitBtnClick();
    void FormKeyDown(WORD& key, gui::TShiftState shift);
    void FormClose(gui::TCloseAction& action);

    gui::TCustomListView FileList{this, L"FileList", 8, 8, 400, 329, LVS_REPORT | LVS_SHOWSELALWAYS};
    gui::TBitBtn Hinzufuegen{this, L"Hinzufuegen", 416, 8, 99, 25};
    gui::TBitBtn EntfernenBitBtn{this, L"EntfernenBitBtn", 416, 40, 99, 25};
    gui::TBitBtn UpBitBtn{this, L"UpBitBtn", 416, 80, 47, 25};
    gui::TBitBtn DownBitBtn{this, L"DownBitBtn", 468, 80, 47, 25};
    gui::TBitBtn MergeViewer{this, L"MergeViewer", 416, 120, 47, 25};
    gui::TBitBtn KeyBt{this, L"KeyBt", 468, 120, 47, 25};
    gui::TRadioGroup PDFAnzRG{this, L"PDFAnzRG", 416, 156, 99, 72};
    gui::TBitBtn AufgehtsBitBtn{this, L"AufgehtsBitBtn", 416, 312, 99, 25};
    gui::TOpenDialog OpenDialog1{L"OpenDialog1"};

private:
    void UpdateColumnCaption();
    void MoveSelected(int step);
    int FirstSelected() const;
    void ClearSelection();
    bool HasItem(const std::wstring& path) const;
    void LeaveMergeMode(bool ownerPasswordOff);

    DialogSettings& dialog_;
    TEncrypt_Form* encrypt_;
    // Hooked to the window when the form is first shown: the list keeps its window back until then.
    TSizeGripThemed grip_;
};

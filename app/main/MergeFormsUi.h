#pragma once
// The merge command's view of the program's windows: the name dialog, the merge list, the encryption dialog, the
// PDF reader and the panes. The main window makes one and hands it to its MergeCommand.
#include "app/main/Merge.h"

#include <functional>

class TMerge_Form;
class TAuswahl_Form;
class TEncrypt_Form;

class MergeFormsUi : public MergeUi {
public:
    // encrypt may be null (no security); readerProgram is read at each opening (MainSettings::ReaderProgram).
    MergeFormsUi(TMerge_Form& nameForm, TAuswahl_Form& listForm, TEncrypt_Form* encrypt,
                 const std::wstring& readerProgram, std::function<void()> reloadPanes);

    std::optional<std::wstring> AskMergeName() override;
    std::optional<MergeSelection> ChooseFiles() override;
    SecuritySettings SecurityFields() const override;
    void SwitchOffOwnerPassword() override;
    // The reader gets the whole path quoted, so a path with blanks opens.
    void OpenInReader(const std::wstring& file) override;
    void ReloadPanes() override;

private:
    TMerge_Form& nameForm_;
    TAuswahl_Form& listForm_;
    TEncrypt_Form* encrypt_;
    const std::wstring& readerProgram_;
    std::function<void()> reloadPanes_;
};

// The main window's file commands: the function-key bar and the menu "Datei", the pane keys and mouse actions, the
// clipboard items and the new-folder input box. Every command that works on "the focused pane" takes the input pane
// when it has the keyboard focus, else the output pane when that one has it.
#include "app/main/Ostrel_FileCommands.h"

#include "app/common/ProcessRunner.h"
#include "app/dialogs/DokuInfo1_Unit.h"
#include "app/main/LanguageTexts.h"
#include "app/main/Merge.h"
#include "app/main/Ostrel_Helpers.h"
#include "app/main/Ostrel_Unit.h"
#include "gui/Application.h"
#include "gui/MessageBox.h"
#include "core/TextUtil.h"
#include "win/FileSystem.h"
#include "win/SystemText.h"
#include "win/Trace.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <utility>

namespace {

using gui::TMsgDlgButtons;
using gui::TMsgDlgType;

ProgramStartHook& StartHook() {
    static ProgramStartHook hook;
    return hook;
}

InputQueryHook& QueryHook() {
    static InputQueryHook hook;
    return hook;
}

std::wstring CurrentFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (n == 0) {
            return {};
        }
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(n);
    }
}

// The single-line input box: a prompt, an edit and the buttons OK and Cancel.
class TInputQueryForm : public gui::TForm {
public:
    TInputQueryForm() : gui::TForm(L"TInputQueryForm", L"InputQueryForm") {
        SetBorderStyle(gui::TFormBorderStyle::bsDialog);
        SetClientSize(320, 104);
        SetPosition(gui::TPosition::poMainFormCenter);
        Prompt.SetAutoSize(false);
        OkButton.ModalResult = gui::mrOk;
        OkButton.SetDefault(true);
        CancelButton.ModalResult = gui::mrCancel;
        CancelButton.SetCancel(true);
        const std::wstring& ok = Texts().Get(L"OK");
        const std::wstring& cancel = Texts().Get(L"ABBRECHEN");
        OkButton.SetCaption(ok.empty() ? L"OK" : ok);
        CancelButton.SetCaption(cancel.empty() ? L"Abbrechen" : cancel);
        OnShow = [this](gui::TComponent*) { Value.SetFocus(); };
    }

    gui::TLabel Prompt{this, L"Prompt", 8, 10, 304, 13};
    gui::TEdit Value{this, L"Value", 8, 30, 304, 21};
    gui::TButton OkButton{this, L"OkButton", 156, 68, 75, 25};
    gui::TButton CancelButton{this, L"CancelButton", 237, 68, 75, 25};
};

// Selects the item, makes it the focused one and scrolls it into view, leaving every other item unselected.
void SelectOnly(TDirView& pane, int item) {
    pane.ClearSelection();
    pane.FocusItem(item);
}

void EnsureVisible(const TDirView& pane, int item) {
    if (item >= 0) {
        SendMessageW(pane.Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
    }
}

// The effect of the Left arrow key on the pane, without leaving a key held down in the system.
void PressLeft(const TDirView& pane) {
    PostMessageW(pane.Handle(), WM_KEYDOWN, VK_LEFT, 1);
    PostMessageW(pane.Handle(), WM_KEYUP, VK_LEFT, 0xC0000001);
}

// A file (not a folder) of that full path exists: the search admits read-only, hidden, system, volume and
// symbolic-link entries but never a directory.
bool IsExistingFile(const std::wstring& path) {
    constexpr DWORD kFilesOnly = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x08 | 0x40;
    TSearchRec rec;
    return FindFirstEntry(path, kFilesOnly, rec);
}

} // namespace

// --- Shared helpers -----------------------------------------------------------------------------------------------

ProgramStartHook SetProgramStartHook(ProgramStartHook hook) {
    return std::exchange(StartHook(), std::move(hook));
}

void StartProgram(HWND parent, const std::wstring& program, const std::wstring& parameters) {
    if (const ProgramStartHook& hook = StartHook()) {
        hook(ProgramStart{parent, program, parameters, CurrentFolder()});
        return;
    }
    ShellExecuteW(parent, L"open", program.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
}

InputQueryHook SetInputQueryHook(InputQueryHook hook) {
    return std::exchange(QueryHook(), std::move(hook));
}

bool InputQuery(const std::wstring& caption, const std::wstring& prompt, std::wstring& value) {
    if (const InputQueryHook& hook = QueryHook()) {
        return hook(caption, prompt, value);
    }
    TInputQueryForm form;
    form.SetCaption(caption);
    form.Prompt.SetCaption(prompt);
    form.Value.SetText(value);
    if (form.ShowModal() != gui::mrOk) {
        return false;
    }
    value = form.Value.Text();
    return true;
}

std::wstring UpperFileExt(const std::wstring& path) {
    const std::size_t dot = path.find_last_of(L".\\/:");
    if (dot == std::wstring::npos || path[dot] != L'.') {
        return {};
    }
    return UpperCaseAscii(path.substr(dot));
}

std::wstring FileNamePart(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool OpensWithoutConversion(const std::wstring& upperExtension) {
    static const wchar_t* const kOpenOnly[] = {L".COM", L".EXE", L".BAT", L".CMD", L".HTM",
                                               L".MP3", L".WAV", L".MOV", L".XML"};
    return std::any_of(std::begin(kOpenOnly), std::end(kOpenOnly),
                       [&](const wchar_t* ext) { return upperExtension == ext; });
}

std::wstring FolderNotCreatedText(const std::wstring& name) {
    return L"Verzeichnis: [" + name + L"] konnte nicht angelegt werden!";
}

// --- Wiring -------------------------------------------------------------------------------------------------------

void TOstrel_Form::WireFileCommands() {
    HiddenCommands.Items.Add(L"ANsichtaktualisieren1", L"ANsichtaktualisieren1");
    HiddenCommands.Items.Add(L"Ausschneiden11", L"Ausschneiden11");
    HiddenCommands.Items.Add(L"Kopieren11", L"Kopieren11");
    HiddenCommands.Items.Add(L"Einfgen11", L"Einfgen11");
    HiddenCommands.Items.Add(L"Escape1", L"Escape1");
    PopupMenu1.Items.Add(L"Aufwrts1", L"..");
    PopupMenu1.Items.Add(L"Einfgen1", L"Einf\u00fcgen/Paste");

    using gui::ShortCut;
    const struct {
        gui::TMenuItem* Item;
        gui::TShortCut Key;
        void (TOstrel_Form::*Handler)();
    } commands[] = {
        {MenuItem(L"Umbenennen1"), VK_F2, &TOstrel_Form::Umbenennen1Click},
        {MenuItem(L"TitelVerfassereingeben1"), VK_F3, &TOstrel_Form::TitelVerfassereingeben1Click},
        {MenuItem(L"Bearbeiten1"), VK_F4, &TOstrel_Form::Bearbeiten1Click},
        {MenuItem(L"NeuerOrdner"), VK_F7, &TOstrel_Form::NeuerOrdnerClick},
        {MenuItem(L"Entfernen1"), VK_F8, &TOstrel_Form::Entfernen1Click},
        {MenuItem(L"PDFanzeigen1"), VK_F11, &TOstrel_Form::AnzeigenBtClick},
        {MenuItem(L"Ansehen1"), ShortCut('V', gui::ssAlt), &TOstrel_Form::ViewerClick},
        {MenuItem(L"Eigenschaften1"), ShortCut(VK_RETURN, gui::ssAlt), &TOstrel_Form::Eigenschaften1Click},
        {MenuItem(L"Merge1"), ShortCut('M', gui::ssCtrl), &TOstrel_Form::MergeBitBtnClick},
        {MenuItem(L"Allesmarkieren1"), ShortCut('A', gui::ssCtrl), &TOstrel_Form::Allesmarkieren1Click},
        {MenuItem(L"Auswahlumkehren1"), ShortCut('U', gui::ssCtrl), &TOstrel_Form::Auswahlumkehren1Click},
        {MenuItem(L"Ende1"), ShortCut(VK_F4, gui::ssAlt), &TOstrel_Form::Ende1Click},
        {HiddenCommands.Items.Find(L"ANsichtaktualisieren1"), VK_F12, &TOstrel_Form::F12BtClick},
        {HiddenCommands.Items.Find(L"Ausschneiden11"), ShortCut('X', gui::ssCtrl), &TOstrel_Form::Ausschneiden11Click},
        {HiddenCommands.Items.Find(L"Kopieren11"), ShortCut('C', gui::ssCtrl), &TOstrel_Form::Kopieren11Click},
        {HiddenCommands.Items.Find(L"Einfgen11"), ShortCut('V', gui::ssCtrl), &TOstrel_Form::Einfgen11Click},
        {HiddenCommands.Items.Find(L"Escape1"), VK_ESCAPE, &TOstrel_Form::Escape1Click},
        {PopupMenu1.Items.Find(L"Aufwrts1"), 0, &TOstrel_Form::Aufwrts1Click},
        {PopupMenu1.Items.Find(L"Einfgen1"), 0, &TOstrel_Form::Einfgen1Click},
    };
    for (const auto& command : commands) {
        if (!command.Item) {
            continue;
        }
        if (command.Key != 0) {
            command.Item->SetShortCut(command.Key);
        }
        command.Item->OnClick = [this, handler = command.Handler](gui::TComponent*) { (this->*handler)(); };
    }

    const std::pair<gui::TButton*, void (TOstrel_Form::*)()> buttons[] = {
        {&F2Bt, &TOstrel_Form::Umbenennen1Click}, {&F3Bt, &TOstrel_Form::TitelVerfassereingeben1Click},
        {&F4Bt, &TOstrel_Form::Bearbeiten1Click}, {&F7Bt, &TOstrel_Form::NeuerOrdnerClick},
        {&F8Bt, &TOstrel_Form::Entfernen1Click},  {&AnzeigenBt, &TOstrel_Form::AnzeigenBtClick},
        {&F12Bt, &TOstrel_Form::F12BtClick},      {&Viewer, &TOstrel_Form::ViewerClick},
    };
    for (const auto& [button, handler] : buttons) {
        button->OnClick = [this, handler](gui::TComponent*) { (this->*handler)(); };
    }

    // The items reached only by their keys are found here, before the focused control sees the key (the menu bar
    // ignores hidden items). While a name is being edited only Esc is taken: the editor keeps its own cut, copy and
    // paste.
    KeyPreview = true;
    Chain(OnKeyDown, [this](gui::TComponent*, WORD& key, gui::TShiftState shift) {
        if (key == 0 || key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) {
            return;
        }
        const bool editing = DirView1.IsEditing() || DirView2.IsEditing();
        if (editing != (key == VK_ESCAPE)) {
            return;
        }
        // Outside the panes the clipboard keys belong to the control (a path box pastes text, not files).
        const bool clipboardKey = (shift & gui::ssCtrl) && (key == 'X' || key == 'C' || key == 'V');
        if (clipboardKey && !FocusedPane(false)) {
            return;
        }
        if (HiddenCommands.Items.ClickShortCut(gui::ShortCut(key, shift))) {
            key = 0;
        }
    });

    Chain(DirView1.OnDblClick, [this](gui::TComponent*) { DirView1DblClick(); });
    DirView2.OnExecFile = [this](gui::TComponent*, int item, bool& allowExec) { DirView2ExecFile(item, allowExec); };
}

// --- Focus --------------------------------------------------------------------------------------------------------

bool TOstrel_Form::PaneHasFocus(const TDirView& pane) {
    const HWND focus = GetFocus();
    return focus && focus == pane.Handle();
}

TDirView* TOstrel_Form::FocusedPane(bool withSelection) {
    for (TDirView* pane : {&DirView1, &DirView2}) {
        if (PaneHasFocus(*pane) && (!withSelection || pane->SelCount() > 0)) {
            return pane;
        }
    }
    return nullptr;
}

// --- Function keys ------------------------------------------------------------------------------------------------

void TOstrel_Form::Umbenennen1Click() {
    if (TDirView* pane = FocusedPane(true)) {
        pane->EditItem(pane->FirstSelectedIndex());
    }
}

void TOstrel_Form::TitelVerfassereingeben1Click() {
    if (!DokuInfo1_Form) {
        return;
    }
    DokuInfo1_Form->OnProgress = [this](int position) { Gauge1.SetPosition(position); };
    ShowDocInfoDialog(*DokuInfo1_Form, DirView1, PaneHasFocus(DirView1));
}

void TOstrel_Form::Bearbeiten1Click() {
    try {
        TDirView* pane = FocusedPane(true);
        if (!pane) {
            return;
        }
        if (!SetCurrentDirectoryW(pane->GetPathName().c_str())) {
            throw std::system_error(static_cast<int>(GetLastError()), std::system_category());
        }
        int item = pane->ItemFocused();
        if (item < 0) {
            item = pane->FirstSelectedIndex();
        }
        StartEditor(L" " + Quoted(pane->ItemFileName(item)));
    } catch (const std::exception&) {
        win::TraceCaught(L"TOstrel_Form::Bearbeiten1Click");
        gui::MessageDlg(L"Anzeigefehler", L"Problem", TMsgDlgType::mtError, TMsgDlgButtons::mbOK, nullptr);
    }
}

void TOstrel_Form::NeuerOrdnerClick() {
    // The input box takes the focus while it is open: the pane is the one the user left it in.
    TDirView* pane = FocusedPane(false);
    std::wstring name;
    if (!InputQuery(Texts().Get(L"NeuOrd1"), Texts().Get(L"NeuOrd2"), name) || name.empty() || !pane) {
        return;
    }
    const std::wstring path = WithTrailingBackslash(pane->Path()) + name;
    // A folder that cannot be made is reported like one that exists: either way the user's folder is not there. A
    // name with a character no file name may hold is refused before the file system can read it as a stream.
    if (!IsValidFileName(name) || PathExists(path) || !::CreateDirectoryW(path.c_str(), nullptr)) {
        gui::MessageDlg(FolderNotCreatedText(name), gui::Application.Title(), TMsgDlgType::mtWarning,
                        TMsgDlgButtons::mbOK, Handle());
    }
    if (EqualNoCase(DirView1.Path(), DirView2.Path())) {
        pass_->RefreshPanes();
    } else {
        pane->Reload(true);
    }
    pane->SetFocus();
    if (const int item = pane->FindFileItem(name); item >= 0) {
        SelectOnly(*pane, item);
    }
}

void TOstrel_Form::Entfernen1Click() {
    TDirView* pane = FocusedPane(true);
    if (!pane) {
        gui::MessageDlg(Texts().Get(L"KEINEDATEI"), gui::Application.Title(), TMsgDlgType::mtInformation,
                        TMsgDlgButtons::mbOK, Handle());
        return;
    }
    const int firstSelected = pane->FirstSelectedIndex();
    const int focused = pane->ItemFocused();
    try {
        ProcessMessages();
        const bool allowUndo = GetKeyState(VK_SHIFT) >= 0;
        pane->DeleteSelectedFiles(allowUndo);
        pass_->RefreshPanes();
        if (pane->SelCount() == 0) {
            return;
        }
        const int now = pane->ItemFocused();
        if (now >= 0 && pane->ItemIsParentDir(now)) {
            pane->ClearSelection();
        } else {
            EnsureVisible(*pane, pane->FirstSelectedIndex());
        }
    } catch (const std::exception&) {
        // The list may no longer match the names it held: put the selection back by position.
        win::TraceCaught(L"TOstrel_Form::Entfernen1Click");
        try {
            pass_->RefreshPanes();
            int index = firstSelected;
            if (index >= pane->ItemCount()) {
                --index;
            }
            if (pane->ItemCount() == 0 || index < 0) {
                return;
            }
            if (focused == 0) {
                index = 0;
            }
            SelectOnly(*pane, index);
            ProcessMessages();
            PressLeft(*pane);
            pass_->RefreshPanes();
        } catch (const std::exception&) {
            win::TraceCaught(L"TOstrel_Form::Entfernen1Click");
            gui::MessageDlg(Texts().Get(L"AFEHLER3"), gui::Application.Title(), TMsgDlgType::mtInformation,
                            TMsgDlgButtons::mbOK, Handle());
        }
    }
}

void TOstrel_Form::AnzeigenBtClick() {
    TDirView* pane = FocusedPane(false);
    if (!pane) {
        return;
    }
    const std::wstring folder = WithTrailingBackslash(pane == &DirView1 ? InputPathText() : OutputPathText());
    const int first = pane->ItemCount() > 0 && pane->ItemCaption(0) == L".." ? 1 : 0;
    for (int i = first; i < pane->ItemCount(); ++i) {
        const std::wstring path = folder + pane->ItemCaption(i);
        if (pane->ItemSelected(i) && UpperFileExt(path) == L".PDF") {
            StartReader(Quoted(path));
        }
    }
}

void TOstrel_Form::F12BtClick() {
    pass_->RefreshPanes();
}

void TOstrel_Form::ViewerClick() {
    TDirView* pane = DirView1.SelCount() > 0 ? &DirView1 : DirView2.SelCount() > 0 ? &DirView2 : nullptr;
    if (!pane) {
        return;
    }
    const int noted = pane->FirstSelectedIndex();
    const std::wstring folder = WithTrailingBackslash(pane == &DirView1 ? InputPathText() : OutputPathText());
    for (int i = 0; i < pane->ItemCount(); ++i) {
        const std::wstring path = folder + pane->ItemCaption(i);
        pass_->CurrentInputFile = path;
        if (!pane->ItemSelected(i) || pane->ItemIsDirectory(i)) {
            continue;
        }
        pass_->PassSwitches.GhostscriptProgram = Dialog.GhostscriptProgram;
        SetCurrentDirectoryW(DirView2.GetPathName().c_str());
        // Ghostscript shows the file page by page in its own window; the next file waits until it is closed.
        RunAndWait(MergePreviewCommand(pass_->PassSwitches.GhostscriptProgram, path), SW_SHOWNORMAL);
    }
    pane->SetFocus();
    if (noted >= 0 && noted < pane->ItemCount()) {
        pane->SetItemFocused(noted);
    }
}

void TOstrel_Form::Eigenschaften1Click() {
    (PaneHasFocus(DirView1) ? DirView1 : DirView2).DisplayPropertiesMenu();
}

// --- Selection and clipboard --------------------------------------------------------------------------------------

void TOstrel_Form::Allesmarkieren1Click() {
    TDirView* pane = FocusedPane(false);
    if (!pane) {
        return;
    }
    for (int i = 0; i < pane->ItemCount(); ++i) {
        pane->SetItemSelected(i, true);
    }
    for (int i = 0; i < pane->ItemCount(); ++i) {
        if (!IsExistingFile(pane->ItemFullFileName(i))) {
            pane->SetItemSelected(i, false);
        }
    }
}

void TOstrel_Form::Auswahlumkehren1Click() {
    TDirView& pane = PaneHasFocus(DirView1) ? DirView1 : DirView2;
    pane.ClearSelection();
    PressLeft(pane);
}

void TOstrel_Form::Ausschneiden11Click() {
    if (TDirView* pane = FocusedPane(true)) {
        pane->CutToClipBoard();
    }
}

void TOstrel_Form::Kopieren11Click() {
    if (TDirView* pane = FocusedPane(true)) {
        pane->CopyToClipBoard();
    }
}

void TOstrel_Form::Einfgen11Click() {
    (PaneHasFocus(DirView1) ? DirView1 : DirView2).PasteFromClipBoard();
}

void TOstrel_Form::Einfgen1Click() {
    Einfgen11Click();
}

void TOstrel_Form::Escape1Click() {
    for (TDirView* pane : {&DirView1, &DirView2}) {
        if (pane->SelCount() > 0 && pane->IsEditing()) {
            // Enter in the name editor ends the edit and keeps the typed name.
            if (const HWND edit = ListView_GetEditControl(pane->Handle())) {
                SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
            }
        }
    }
}

// --- Pane keys and mouse ------------------------------------------------------------------------------------------

void TOstrel_Form::DirView1DblClick() {
    // Runs before the pane opens the item itself (which it always does); a file that is not a program, a page or a
    // medium is converted as well.
    if (!PaneHasFocus(DirView1) || DirView1.SelCount() == 0) {
        return;
    }
    const int focused = DirView1.ItemFocused();
    if (focused < 0 || DirView1.ItemCaption(focused) == L"..") {
        return;
    }
    const int selected = DirView1.FirstSelectedIndex();
    if (OpensWithoutConversion(UpperFileExt(DirView1.ItemFileName(selected))) || DirView1.ItemIsDirectory(selected)) {
        return;
    }
    // In automatic mode the manual start is off, and the timer converts the file anyway.
    if (PDF_Erstellung.Enabled()) {
        PDF_Erstellung.Click();
    }
}

void TOstrel_Form::DirView2ExecFile(int, bool& AllowExec) {
    ProcessMessages();
    AllowExec = true;
    const int selected = DirView2.FirstSelectedIndex();
    if (selected < 0) {
        return;
    }
    const std::wstring path = DirView2.ItemFullFileName(selected);
    if (UpperFileExt(path) == L".PDF") {
        StartReader(Quoted(path));
        AllowExec = false;
    }
}

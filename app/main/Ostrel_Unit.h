#pragma once
// TOstrel_Form: the main window of the conversion program. Two file panes (input left, output right), each a
// directory list bound to an invisible drive tree, a drive box and a path box; the conversion controls above, the
// counter, gauge and command memo below, the function-key bar and the status bar at the bottom. The window owns
// the settings model the dialogs bind to, and drives the conversion pass and its post-processing.
#include "core/EncryptRules.h"
#include "app/dialogs/SettingsDialogRules.h"
#include "app/main/ConversionPass.h"
#include "core/GhostscriptCommand.h"
#include "app/main/Ostrel_Helpers.h"
#include "app/main/OstrelPane.h"
#include "app/main/PostProcessing.h"
#include "core/Settings.h"
#include "app/main/SettingsFile.h"
#include "components/BrowseFolder.h"
#include "components/DirView.h"
#include "components/DriveView.h"
#include "components/PathComboBox.h"
#include "gui/Dialogs.h"
#include "gui/ExtCtrls.h"
#include "gui/Form.h"
#include "gui/Menus.h"
#include "gui/StdCtrls.h"
#include "gui/TrayIcon.h"

#include <array>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>

class TEinstellungen_Form;
class TEncrypt_Form;
class TInfo_Form;
class TStartbild_Form;
class TAuswahl_Form;
class TDokuInfo1_Form;
class TInfo_Sprache_Form;
class TBeenden_Form;
class TAnleitung_Form;
class TSprachhinweis_Form;
class TMerge_Form;
class TEin_Info_Form;
class TUpdate_Form;
class MergeFormsUi;
class MergeCommand;

inline constexpr wchar_t kMainWindowClass[] = L"TOstrel_Form";
inline constexpr wchar_t kIntroTitle[] = L"Ostrel - Intro";
inline constexpr wchar_t kProgramTitle[] = L"Ostrel V2.4";
inline constexpr UINT WM_TRAYICON = WM_USER + 1;
// Posted to convert the files a second start handed over, one at a time once no pass runs.
inline constexpr UINT WM_FORWARDEDFILE = WM_USER + 2;
inline constexpr int kMinWindowWidth = 612;
inline constexpr int kMinWindowHeight = 290;
inline constexpr int kMemoHeight = 48;
// The command memo keeps the latest lines only: an unattended program runs for months.
inline constexpr std::size_t kMemoMaxLines = 1000;

inline constexpr PaneNames kInputPaneNames{L"DirView1Panel",  L"LeftHeader",
                                           L"LeftTitle",      L"EinLabel",
                                           L"Bevel2",         L"HochL",
                                           L"Bevel15",        L"Hoch2L",
                                           L"DriveComboBox1", L"PathComboBox1",
                                           L"Browser1",       L"DirView1",
                                           L"DriveView1",     L"W\u00e4hlen Sie den linken Ordner aus:"};
inline constexpr PaneNames kOutputPaneNames{L"DirView2Panel",  L"RightHeader",
                                            L"RightTitle",     L"AusLabel",
                                            L"Bevel3",         L"HochR",
                                            L"Bevel1",         L"Hoch2R",
                                            L"DriveComboBox2", L"PathComboBox2",
                                            L"Browser2",       L"DirView2",
                                            L"DriveView2",     L"W\u00e4hlen Sie den rechten Ordner aus:"};

// The windows made in the program body; the main window reaches them through these.
extern TEinstellungen_Form* Einstellungen_Form;
extern TEncrypt_Form* Encrypt_Form;
extern TInfo_Form* Info_Form;
extern TStartbild_Form* Startbild_Form;
extern TAuswahl_Form* Auswahl_Form;
extern TDokuInfo1_Form* DokuInfo1_Form;
extern TInfo_Sprache_Form* Info_Sprache_Form;
extern TBeenden_Form* Beenden_Form;
extern TAnleitung_Form* Anleitung_Form;
extern TSprachhinweis_Form* Sprachhinweis_Form;
extern TMerge_Form* Merge_Form;
extern TEin_Info_Form* Ein_Info_Form;
extern TUpdate_Form* Update_Form;

class TOstrel_Form : public gui::TForm, public ConversionWindow, public ISettingsMainWindow {
public:
    // commandLineFile: the first program argument (empty without one).
    explicit TOstrel_Form(std::wstring commandLineFile = {});
    ~TOstrel_Form() override;

    // The settings model; the dialogs bind to it.
    MainSettings Settings;
    MainWindowSettings WindowSettings;
    DialogSettings Dialog;
    SecuritySettings Security;
    EncryptDialogState EncryptState;
    GsOptions Options;

    const std::filesystem::path& ProgramFolder() const { return programFolder_; }
    const std::wstring& IniPath() const { return iniPath_; }
    const std::wstring& ProgramVersion() const { return programVersion_; }
    bool NoLanguageFile() const { return noLanguageFile_; }
    ConversionPass& Pass() { return *pass_; }

    // Life cycle.
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormPaint();
    void FormDestroy();

    // Frame.
    void AppMinimize();
    void AppHint();
    void WMTrayIcon(gui::TMessage& msg);
    void WMDeviceChange(gui::TMessage& msg);
    void Wiederherstellen2Click();
    void LayoutFunctionKeys();
    void LayoutPanes();
    void OrderBars();

    // Commands.
    void Einstellungen1Click();
    void MergeBitBtnClick();
    void Ende1Click();
    void InfoClick();
    void SetManualMode();
    void SetAutomaticMode();
    // Switches the timer of automatic mode on, unless the program runs in manual mode or for one file.
    void StartPolling();
    // A file a second start handed over: converted as a command-line start would, the program keeps running.
    void WMCopyData(gui::TMessage& msg);
    void ConvertForwardedFiles();

    // File commands (Ostrel_FileCommands.cpp): function keys, the menu "Datei", pane keys and mouse actions.
    void WireFileCommands();
    // The pane a command acts on: the input pane when it has the keyboard focus, else the output pane when it
    // has; null when neither has. withSelection: that pane must also have a selected item.
    TDirView* FocusedPane(bool withSelection);
    static bool PaneHasFocus(const TDirView& pane);
    void Umbenennen1Click();
    void TitelVerfassereingeben1Click();
    void Bearbeiten1Click();
    void NeuerOrdnerClick();
    void Entfernen1Click();
    void AnzeigenBtClick();
    void F12BtClick();
    void ViewerClick();
    void Eigenschaften1Click();
    void Allesmarkieren1Click();
    void Auswahlumkehren1Click();
    void Ausschneiden11Click();
    void Kopieren11Click();
    void Einfgen11Click();
    void Einfgen1Click();
    void Escape1Click();
    void DirView1DblClick();
    void DirView2ExecFile(int Item, bool& AllowExec);
    // External programs, option toggles, language and help items (Ostrel_Programs.cpp).
    void WireProgramCommands();
    // The captions the language file does not give: the editor and reader items, the edit menu.
    void ApplyFileCommandTexts();
    void StartEditor(const std::wstring& parameters);
    void StartReader(const std::wstring& parameters);
    void LogdateiClick();
    void Tray1Click();
    void Zhlervorne1Click();
    void VSpeichern1Click();
    void AbfragePSPRNClick();
    void Logdateiansehen1Click();
    void OstrelinibearbeitenClick();
    void SprachdateienbearbeitenClick();
    void VerknuepfenClick();
    void OpenDialog1Show();
    // Writes the file type of the extension ("ps", "prn") under HKEY_CLASSES_ROOT with the program as its opener;
    // raises win::ERegistryException when a key cannot be written.
    void RegisterFileType(const std::wstring& extension, const std::wstring& program);
    void Editor1Click();
    void ReaderClick();
    void ZaehlerLabelClick();
    void DeutschClick();
    void EnglishClick();
    void AnleitungClick();
    void KurzanleitungpdfClick();
    void AbfrageaufneueVersion1Click();
    void Ostrel1Click();
    void Ostrel2Click();
    // The panes' menu (Aufwrts1, Einfgen1) and the items reached only by their shortcuts.
    gui::TPopupMenu PopupMenu1{L"PopupMenu1"};
    gui::TPopupMenu HiddenCommands{L"HiddenCommands"};
    gui::TOpenDialog OpenDialog1{L"OpenDialog1"};
    gui::TOpenDialog OpenDialog2{L"OpenDialog2"};
    gui::TOpenDialog OpenDialog3{L"OpenDialog3"};
    gui::TMenuItem* Reader = nullptr;

    // The input (left) and output (right) folder: tree, list and path box together.
    void SetInputFolder(const std::wstring& folder);
    void SetOutputFolder(const std::wstring& folder);

    // Navigation and view commands (Ostrel_Navigation.cpp).
    static constexpr int kFolderHistoryLimit = 20;
    // Puts a folder at the top of a history box unless it is there already (letter case ignored), keeps at most
    // kFolderHistoryLimit entries and selects the folder's entry.
    static void AddToFolderHistory(gui::TComboBox& box, const std::wstring& folder);
    void WireNavigationCommands();
    void Aufwrts1Click();
    void GitternetzlinienClick();
    void SysHidClick();
    void DateTimeSek1Click();
    void DateTime1Click();
    void Date1Click();
    void Attr1Click();
    void EigeneDateienClick();
    void KommandozeileClick();
    void Desktop1Click();
    // Shows a shell folder (CSIDL_...) in a shell window; false when the folder or the window is not available.
    bool OpenSpecialFolder(int folder);
    void InputToSpecialFolder(int folder);
    void BrowseForFolderDialog1Initialized(TBrowseForFolderDialog* Sender);
    void SetDateDisplay(int setting);
    TBrowseForFolderDialog BrowseForFolderDialog1{this, L"BrowseForFolderDialog1"};
    // View commands, pane focus, network drives and the layout on resizing.
    void WireViewCommands();
    void Schriftfarbendern1Click();
    void Hintergrundfarbendern1Click();
    void SBNetOnClick();
    void SBNetOffClick();
    void FormResize();
    SIZE resizedTo_{}; // the window size FormResize last sized the name columns for
    // The point (width div 50, height - 10) of the control, in screen coordinates.
    static POINT CursorPointOf(const gui::TControl& control);
    static void MoveCursorToControl(const gui::TControl& control);
    // One background colour for both drive boxes, both panes, the command memo and the merge list.
    void ApplyPaneColor(COLORREF color);
    // Both trees and both drive boxes read the drives again.
    void RefreshDrives();
    // The system's network drive dialogs (owner, resource type); tests answer in their place.
    std::function<DWORD(HWND, DWORD)> NetConnectionDialog;
    std::function<DWORD(HWND, DWORD)> NetDisconnectDialog;
    gui::TFontDialog FontDialog1{L"FontDialog1"};
    gui::TColorDialog ColorDialog1{L"ColorDialog1"};

    // ConversionWindow.
    void ShowMessage(Box box, const std::wstring& text) override;
    void ProcessMessages() override;
    void ClearMemo() override;
    void AppendMemo(const std::wstring& text) override;
    void ShowStatus(const std::wstring& text) override;
    void SetProgress(int position) override;
    std::wstring InputPathText() const override;
    std::wstring OutputPathText() const override;
    void SetTimerInterval(std::uint32_t milliseconds) override;
    void EnableTimer(bool enabled) override;
    bool TimerEnabled() const override;
    void EnableStartButton(bool enabled) override;
    void EnableMerge(bool enabled) override;
    void EnableTimerButton(bool enabled) override;
    void SetTimerButtonText(const std::wstring& caption, const std::wstring& hint) override;
    void ShowCheckIndicator(bool visible) override;
    bool CheckIndicatorVisible() const override;
    void SetCaption(const std::wstring& caption) override;
    bool LogEnabled() const override;
    int EncryptComboIndex() const override;
    bool Closing() const override;

    // ISettingsMainWindow.
    void SetConversionCaption(const std::wstring& caption) override;
    void SetMergeEnabled(bool enabled) override;
    void SetWatermarkIndicatorVisible(bool visible) override;
    void SetAutoRotateOption(const std::wstring& option) override;
    std::wstring LastGhostscriptProgram() const override;
    bool TakeSecurityCheckRequest() override;
    std::wstring ReaderProgram() const override;

    // --- Controls ----------------------------------------------------------------------------------------------
    gui::TPanel ToolPanel{this, L"ToolPanel", 0, 0, 786, 30};
    gui::TSpeedButton Viewer{&ToolPanel, L"Viewer", 1, 3, 25, 24};
    gui::TButton Timerbutton{&ToolPanel, L"Timerbutton", 2, 3, 140, 24};
    gui::TPanel Pruefung{&ToolPanel, L"Pruefung", 100, 3, 24, 24};
    gui::TSpeedButton SBNetOn{&ToolPanel, L"SBNetOn", 150, 3, 25, 24};
    gui::TSpeedButton SBNetOff{&ToolPanel, L"SBNetOff", 176, 3, 25, 24};
    gui::TSpeedButton WasserzeichenSB{&ToolPanel, L"WasserzeichenSB", 2, 3, 25, 24};
    gui::TBitBtn PDF_Erstellung{&ToolPanel, L"PDF_Erstellung", 3, 3, 150, 24};
    gui::TBitBtn MergeBitBtn{&ToolPanel, L"MergeBitBtn", 4, 3, 110, 24};

    gui::TStatusBar StatusBar1{this, L"StatusBar1"};
    gui::TPanel FKeyPanel{this, L"FKeyPanel", 0, 480, 786, 25};
    // Speed buttons: a click must leave the keyboard focus in the pane the command acts on.
    gui::TSpeedButton F2Bt{&FKeyPanel, L"F2Bt"};
    gui::TSpeedButton F3Bt{&FKeyPanel, L"F3Bt"};
    gui::TSpeedButton F4Bt{&FKeyPanel, L"F4Bt"};
    gui::TSpeedButton F7Bt{&FKeyPanel, L"F7Bt"};
    gui::TSpeedButton F8Bt{&FKeyPanel, L"F8Bt"};
    gui::TSpeedButton AnzeigenBt{&FKeyPanel, L"AnzeigenBt"};
    gui::TSpeedButton F12Bt{&FKeyPanel, L"F12Bt"};

    gui::TPanel PDFPanel{this, L"PDFPanel", 0, 450, 786, 28};
    gui::TLabel ZaehlerL{&PDFPanel, L"ZaehlerL", 6, 7, 90, 13};
    gui::TLabel ZaehlerLabel{&PDFPanel, L"ZaehlerLabel", 100, 7, 40, 13};
    gui::TProgressBar Gauge1{&PDFPanel, L"Gauge1", 150, 5, 300, 18};
    gui::TMemo Memo1{&PDFPanel, L"Memo1", 0, 28, 786, kMemoHeight};

    // The two file panes, input left and output right, with the splitter between them.
    OstrelPane InputPane{*this, PaneSide::Input, kInputPaneNames, 0, 393};
    gui::TSplitter Splitter1{this, L"Splitter1", gui::TAlign::alLeft, 3};
    OstrelPane OutputPane{*this, PaneSide::Output, kOutputPaneNames, 396, 390};
    // The panes' controls under the names the rest of the program and the tests reach them by.
    gui::TPanel& DirView1Panel = InputPane.Panel;
    gui::TPanel& DirView2Panel = OutputPane.Panel;
    TDirView& DirView1 = InputPane.DirView;
    TDirView& DirView2 = OutputPane.DirView;
    TDriveView& DriveView1 = InputPane.DriveView;
    TDriveView& DriveView2 = OutputPane.DriveView;
    TPathComboBox& PathComboBox1 = InputPane.PathComboBox;
    TPathComboBox& PathComboBox2 = OutputPane.PathComboBox;
    TDriveComboBox& DriveComboBox1 = InputPane.DriveComboBox;
    TDriveComboBox& DriveComboBox2 = OutputPane.DriveComboBox;

    gui::TTimer Timer1{L"Timer1"};
    gui::TMainMenu MainMenu1{L"MainMenu1"};
    gui::TPopupMenu PopupMenu2{L"PopupMenu2"};

    // Menu items with their own behaviour here (the others are found by name, see MenuItem).
    gui::TMenuItem* Hilfe1 = nullptr;
    gui::TMenuItem* Merge1 = nullptr;
    gui::TMenuItem* Einstellungen1 = nullptr;
    gui::TMenuItem* Logdatei = nullptr;
    gui::TMenuItem* Kommandozeile = nullptr;
    gui::TMenuItem* Tray1 = nullptr;
    gui::TMenuItem* Deutsch = nullptr;
    gui::TMenuItem* English = nullptr;
    gui::TMenuItem* Wiederherstellen2 = nullptr;
    gui::TMenuItem* Einstellungenndern2 = nullptr;
    gui::TMenuItem* Info2 = nullptr;
    gui::TMenuItem* Beenden2 = nullptr;

    // A menu item of the menu bar or the tray menu by name; null when there is none.
    gui::TMenuItem* MenuItem(const std::wstring& name);
    // A control of the window by name; null when there is none.
    gui::TControl* ControlByName(const std::wstring& name);

private:
    void BuildMenus();
    void BuildFrame();
    void BindEvents();
    void ApplyDirectTexts();
    void ApplyStart1(const Start1Result& start1);
    // The pane settings of start 1 that wait for the language texts: date display and the columns.
    void ApplyPaneColumns();
    void MoveHelpMenuRight();
    void FillWindowSettings();

    std::wstring commandLineFile_;
    std::deque<std::wstring> forwardedFiles_;
    // How many files in a row, counted from the queue's front, were found still held by their writer.
    size_t busyForwardedFiles_ = 0;
    std::filesystem::path programFolder_;
    std::wstring iniPath_;
    std::wstring programVersion_;
    bool firstActivation_ = true;
    bool noLanguageFile_ = false;
    bool commandLineDone_ = false;
    bool securityCheckRequest_ = false;
    bool settingsFileExisted_ = false;
    bool settingsDialogOpen_ = false;
    bool pollingPending_ = false; // automatic mode whose timer waits for the first showing (or a one-file run)
    std::unique_ptr<ConversionPass> pass_;
    std::unique_ptr<PostProcessing> post_;
    std::unique_ptr<MergeFormsUi> mergeUi_;
    std::unique_ptr<MergeCommand> merge_;
    gui::TTrayIcon tray_;
};

extern TOstrel_Form* Ostrel_Form;
// The process's exit code: a run for one file on the command line leaves 0 only when the file was converted.
extern int ProgramExitCode;

#include "app/main/Ostrel_Unit.h"

#include "app/dialogs/Auswahl_Unit.h"
#include "app/dialogs/Einstellungen_Unit.h"
#include "app/dialogs/Encrypt_Unit.h"
#include "app/dialogs/Merge_Unit.h"
#include "app/dialogs/SmallDialogs.h"
#include "app/main/LanguageTexts.h"
#include "app/main/Merge.h"
#include "app/main/MergeFormsUi.h"
#include "app/main/OstrelForward.h"
#include "gui/Application.h"
#include "win/IniFile.h"
#include "gui/MessageBox.h"
#include "core/TextUtil.h"
#include "win/FileSystem.h"
#include "win/Trace.h"

#include <dbt.h>

#include <algorithm>
#include <system_error>

TOstrel_Form* Ostrel_Form = nullptr;
TEinstellungen_Form* Einstellungen_Form = nullptr;
TEncrypt_Form* Encrypt_Form = nullptr;
TInfo_Form* Info_Form = nullptr;
TStartbild_Form* Startbild_Form = nullptr;
TAuswahl_Form* Auswahl_Form = nullptr;
TDokuInfo1_Form* DokuInfo1_Form = nullptr;
TInfo_Sprache_Form* Info_Sprache_Form = nullptr;
TBeenden_Form* Beenden_Form = nullptr;
TAnleitung_Form* Anleitung_Form = nullptr;
TSprachhinweis_Form* Sprachhinweis_Form = nullptr;
TMerge_Form* Merge_Form = nullptr;
TEin_Info_Form* Ein_Info_Form = nullptr;
TUpdate_Form* Update_Form = nullptr;
int ProgramExitCode = 0;

namespace {

namespace fs = std::filesystem;
using gui::TMsgDlgButtons;
using gui::TMsgDlgType;

const wchar_t kIncompleteLanguageFile[] =
    L"FEHLER/ERROR:\rPLF-Datei nicht vollst\u00e4ndig!/PLF-File not completely!\r\r- Bitte kopieren Sie die "
    L"Datei(en) ins Ostrel-Vezeichnis.\r- Please copy the File(s) into the Ostrel-Directory.";
const wchar_t kFolderQuestion[] =
    L"M\u00f6chten Sie sich automatisch ein IN- und OUT-Verzeichnis anlegen lassen (C:\\PDF\\IN und "
    L"C:\\PDF\\OUT)?\rSolche Verzeichnisse werden f\u00fcr die Umwandlung der Dateien ben\u00f6tigt.\r\rWould you "
    L"like to get an IN and OUT folder created automatically (C:\\PDF\\IN and C:\\PDF\\OUT)?\rSuch folders are "
    L"needed for the production of the files.";
const wchar_t kFoldersCreated[] =
    L"C:\\PDF\\IN und C:\\PDF\\OUT wurden angelegt!\r\rC:\\PDF\\IN and C:\\PDF\\OUT have been created!";
const wchar_t kFoldersNotCreated[] = L"C:\\PDF\\IN und C:\\PDF\\OUT konnten nicht angelegt werden!\r\rC:\\PDF\\IN "
                                     L"and C:\\PDF\\OUT couldn't be created!";
const wchar_t kSecurityReminder[] =
    L"ACHTUNG/ATTENTION:\r\r\u00dcberpr\u00fcfen Sie bitte die Verschl\u00fcsselung!\rPlease check your encryption "
    L"settings!";
constexpr UINT_PTR kForwardRetryTimer = 1;
constexpr UINT kForwardRetryMs = 250;
const wchar_t kDefaultInputFolder[] = L"C:\\PDF\\IN";
const wchar_t kDefaultOutputFolder[] = L"C:\\PDF\\OUT";

// Holds off the work a run of changes would repeat (Begin) and does it once, when the scope ends (End).
template <class T, void (T::*Begin)(), void (T::*End)()> class OnceAtEnd {
public:
    explicit OnceAtEnd(T& target) : target_(target) { (target_.*Begin)(); }
    ~OnceAtEnd() { (target_.*End)(); }
    OnceAtEnd(const OnceAtEnd&) = delete;
    OnceAtEnd& operator=(const OnceAtEnd&) = delete;

private:
    T& target_;
};

// While the window is being filled in, its property changes are laid out once.
using LayoutOnce = OnceAtEnd<gui::TControl, &gui::TControl::DisableAlign, &gui::TControl::EnableAlign>;
// While the menu bar's texts are set, the bar is redrawn once.
using MenuBarOnce = OnceAtEnd<gui::TMainMenu, &gui::TMainMenu::BeginUpdate, &gui::TMainMenu::EndUpdate>;

fs::path ProgramFolderPath() {
    wchar_t path[MAX_PATH * 2]{};
    const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    return fs::path(std::wstring(path, length)).parent_path();
}

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1]{};
    const DWORD length = GetTempPathW(static_cast<DWORD>(std::size(buffer)), buffer);
    return length > 0 && length < std::size(buffer) ? std::wstring(buffer, length) : std::wstring();
}

} // namespace

TOstrel_Form::TOstrel_Form(std::wstring commandLineFile)
    : gui::TForm(kMainWindowClass, L"Ostrel_Form"), commandLineFile_(std::move(commandLineFile)),
      programFolder_(ProgramFolderPath()), iniPath_(OstrelIniPath()), tray_(Handle(), WM_TRAYICON) {
    SetBounds(WindowSettings.Left, WindowSettings.Top, WindowSettings.Width, WindowSettings.Height);
    SetMinSize(kMinWindowWidth, kMinWindowHeight);
    {
        const LayoutOnce layout(*this);
        BuildMenus();
        BuildFrame();
    }

    ConversionLog log(ConversionLog::DefaultFile(), [](std::wstring_view key) { return Texts().Get(key); });
    pass_ = std::make_unique<ConversionPass>(*this, ConversionPane{DirView1, DriveView1},
                                             ConversionPane{DirView2, DriveView2},
                                             ConversionSettings{Settings, Dialog, Security, Options}, log, iniPath_);
    post_ =
        std::make_unique<PostProcessing>(*this, Dialog, Settings, log, WithTrailingBackslash(programFolder_.wstring()));
    post_->Owner = Handle();
    pass_->BeforePass = [this] { post_->BeginPass(); };
    pass_->AfterConversion = [this](const ConvertedFile& file) { post_->Run(file); };
    pass_->Counter.OnChange = [this](const std::wstring& text) { ZaehlerLabel.SetCaption(text); };
    BindEvents();
    WireNavigationCommands();
    WireFileCommands();
    WireProgramCommands();

    OnCreate = [this](gui::TComponent*) { FormCreate(); };
    OnShow = [this](gui::TComponent*) { FormShow(); };
    OnActivate = [this](gui::TComponent*) { FormActivate(); };
    OnPaint = [this](gui::TComponent*) { FormPaint(); };
    OnDestroy = [this](gui::TComponent*) { FormDestroy(); };
    OnResize = [this](gui::TComponent*) { FormResize(); };
    SetMessageHandler(WM_TRAYICON, [this](gui::TMessage& msg) { WMTrayIcon(msg); });
    SetMessageHandler(WM_DEVICECHANGE, [this](gui::TMessage& msg) { WMDeviceChange(msg); });
    SetMessageHandler(WM_COPYDATA, [this](gui::TMessage& msg) { WMCopyData(msg); });
    SetMessageHandler(WM_FORWARDEDFILE, [this](gui::TMessage&) { ConvertForwardedFiles(); });
    SetMessageHandler(WM_TIMER, [this](gui::TMessage& msg) {
        if (msg.WParam != kForwardRetryTimer) {
            msg.Default = true;
            return;
        }
        KillTimer(Handle(), kForwardRetryTimer);
        ConvertForwardedFiles();
    });
    SetMessageHandler(gui::TTrayIcon::TaskbarCreatedMessage(), [this](gui::TMessage&) {
        if (tray_.Added()) {
            tray_.Add(gui::Application.Icon(), kProgramTitle);
        }
    });
}

TOstrel_Form::~TOstrel_Form() = default;

// --- Life cycle ---------------------------------------------------------------------------------------------------

void TOstrel_Form::FormCreate() {
    Settings.CounterInFront = false;
    Settings.KeepSecurity = false;
    firstActivation_ = true;
    pass_->StopRequested = false;
    programVersion_ = GetProgramVersion();
    gui::Application.OnMinimize = [this](gui::TComponent*) { AppMinimize(); };
    gui::Application.OnHint = [this](gui::TComponent*) { AppHint(); };
    ScreenSnap = true;

    // The texts, checks and sizes from the settings and the language file change the menu bar and the frame many
    // times over: the bar is drawn and the frame laid out once. The function keys are measured in that layout.
    {
        const MenuBarOnce menuBar(MainMenu1);
        try {
            const LayoutOnce layout(*this);
            const Start1Result start1 = ReadStart1(iniPath_, Settings, WindowSettings);
            ApplyStart1(start1);
            if (Kommandozeile->Checked()) {
                SetHeight(Height() - kMemoHeight);
            }
            const LanguageSelection language = ChooseLanguage(Settings.LanguageChoice, programFolder_);
            noLanguageFile_ = language.NoLanguageFile;
            Deutsch->SetVisible(language.DeutschVisible);
            English->SetVisible(language.EnglishVisible);
            Deutsch->SetChecked(language.DeutschChecked);
            English->SetChecked(language.EnglishChecked);
            LoadLanguageFile(Texts(), language.File);
            ApplyDirectTexts();
            ApplyPaneColumns();
            ApplyFileCommandTexts();

            settingsFileExisted_ = ReadStart2(iniPath_, Settings, Options, start1.OptionIndexes);
            if (!settingsFileExisted_) {
                Pruefung.Hide();
                SetCaption(Texts().Get(L"PFA"));
            }
            if (Settings.StartMode == 1) {
                SetManualMode();
            } else {
                SetAutomaticMode();
            }
            LayoutPanes();
        } catch (const std::exception&) {
            win::TraceCaught(L"TOstrel_Form::FormCreate");
            gui::MessageDlg(kIncompleteLanguageFile, gui::Application.Title(), TMsgDlgType::mtPlain,
                            TMsgDlgButtons::mbOK, Handle());
        }

        MoveHelpMenuRight();
    }
    LayoutFunctionKeys();

    const std::wstring storedOutput = ReadStart3(iniPath_);
    if (!commandLineFile_.empty()) {
        SetInputFolder(CommandLineFolder(commandLineFile_));
        SetOutputFolder(storedOutput);
    }
}

void TOstrel_Form::FormShow() {
    OrderBars();

    const bool german = fs::exists(programFolder_ / L"Deutsch.plf");
    const bool english = fs::exists(programFolder_ / L"English.plf");
    noLanguageFile_ = !german && !english;
    if (noLanguageFile_) {
        // Nothing else of the first showing may run: the program ends with the settings file untouched.
        SetWindowState(gui::TWindowState::wsMinimized);
        if (Info_Sprache_Form) {
            Info_Sprache_Form->SetPosition(gui::TPosition::poMainFormCenter);
            Info_Sprache_Form->ShowModal();
        }
        // The settings dialog would write the file at its end as well.
        if (Einstellungen_Form) {
            Einstellungen_Form->OnDestroy = nullptr;
        }
        Close();
        return;
    }

    bool foldersCreated = false;
    if (!SettingsFileExists(iniPath_)) {
        if (Startbild_Form) {
            Startbild_Form->SetPosition(gui::TPosition::poMainFormCenter);
            Startbild_Form->ShowModal();
        }
        if (gui::MessageDlg(kFolderQuestion, gui::Application.Title(), TMsgDlgType::mtConfirmation,
                            TMsgDlgButtons::mbYesNo, Handle()) == gui::mrYes) {
            std::error_code ec;
            fs::create_directories(kDefaultInputFolder, ec);
            fs::create_directories(kDefaultOutputFolder, ec);
            if (DirectoryExists(kDefaultInputFolder) && DirectoryExists(kDefaultOutputFolder)) {
                gui::MessageDlg(kFoldersCreated, gui::Application.Title(), TMsgDlgType::mtInformation,
                                TMsgDlgButtons::mbOK, Handle());
                try {
                    WriteFirstRunFolders(iniPath_);
                } catch (const std::exception&) {
                    win::TraceCaught(L"TOstrel_Form::FormShow");
                }
                foldersCreated = true;
            } else {
                gui::MessageDlg(kFoldersNotCreated, gui::Application.Title(), TMsgDlgType::mtWarning,
                                TMsgDlgButtons::mbOK, Handle());
            }
        }
    }

    ReadShow(iniPath_, Settings, WindowSettings, Security, Dialog, Options);
    if (Einstellungen_Form) {
        Einstellungen_Form->SyncFromModel();
    }
    pass_->Counter.Reset();
    ZaehlerLabel.SetCaption(pass_->Counter.LabelText());

    if (commandLineFile_.empty()) {
        SetInputFolder(WindowSettings.InputFolder.empty() ? TempFolder() : WindowSettings.InputFolder);
    }
    SetOutputFolder(WindowSettings.OutputFolder.empty() ? TempFolder() : WindowSettings.OutputFolder);

    if (DriveView1.Directory() == DriveView2.Directory()) {
        Settings.StartMode = 1;
        SetManualMode();
        ShowMessage(Box::Error, Texts().Get(L"MESSAGE2"));
    }
    if (foldersCreated) {
        SetInputFolder(kDefaultInputFolder);
        SetOutputFolder(kDefaultOutputFolder);
        StartPolling();
        return;
    }

    if (Encrypt_Form && Encrypt_Form->EncryptCombo.Count() > 0) {
        Encrypt_Form->EncryptCombo.SetItem(0, Texts().Get(L"ENC8"));
        Encrypt_Form->EncryptCombo.SetItemIndex(0);
    }
    if (Kommandozeile->Checked()) {
        SetHeight(Height() + kMemoHeight);
        PDFPanel.SetHeight(PDFPanel.Height() + kMemoHeight);
        Memo1.SetHeight(kMemoHeight);
        Memo1.Show();
    }
    // The settings dialog's rule for automatic start with kept inputs, applied to the values read at start.
    if (Settings.StartMode == 0 && Einstellungen_Form && Einstellungen_Form->loeschenRG1.ItemIndex() == 1) {
        Einstellungen_Form->AnzeigenCB.SetEnabled(false);
    }
    StartPolling();
}

void TOstrel_Form::StartPolling() {
    // Only now are the folders set; a run for one file on the command line converts that file and nothing else.
    if (Settings.StartMode != 1 && commandLineFile_.empty()) {
        pollingPending_ = false;
        Timer1.SetInterval(TimerIntervalFor(Settings.PollSeconds));
        Timer1.SetEnabled(true);
    }
}

void TOstrel_Form::FormActivate() {
    // One-shot: cleared before the dialogs open, because closing them activates this window again.
    const bool remind = Settings.KeepSecurity && firstActivation_;
    firstActivation_ = false;
    if (remind) {
        gui::MessageDlg(kSecurityReminder, gui::Application.Title(), TMsgDlgType::mtPlain, TMsgDlgButtons::mbOK,
                        Handle());
        securityCheckRequest_ = true;
        Einstellungen1Click();
    }
}

void TOstrel_Form::FormPaint() {
    if (commandLineFile_.empty() || commandLineDone_) {
        return;
    }
    commandLineDone_ = true;
    ProcessMessages();
    const SingleFileResult result = pass_->ConvertSingleFile(FullPathOf(commandLineFile_));
    ProgramExitCode = result == SingleFileResult::Converted ? 0 : 1;
    gui::Application.Terminate();
}

void TOstrel_Form::FormDestroy() {
    if (!noLanguageFile_) {
        FillWindowSettings();
        try {
            WriteExit(iniPath_, Settings, WindowSettings, Security, noLanguageFile_);
        } catch (const EIniFileException& e) {
            // The user is told that the settings were not kept; the program still ends. The message loop has ended
            // with a quit message left for the caller: it would close the box at once, so it waits until the box
            // is answered.
            MSG quit{};
            const bool quitting = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
            gui::ShowMessage(e.Message());
            if (quitting)
                PostQuitMessage(static_cast<int>(quit.wParam));
        } catch (const std::exception&) {
            // A settings file that cannot be written must not keep the program from ending.
            win::TraceCaught(L"TOstrel_Form::FormDestroy");
        }
    }
    tray_.Remove();
}

// --- Modes --------------------------------------------------------------------------------------------------------

void TOstrel_Form::SetManualMode() {
    Timer1.SetEnabled(false);
    pollingPending_ = false;
    EnableStartButton(true);
    EnableMerge(true);
    Pruefung.Hide();
    SetTimerButtonText(Texts().Get(L"TBS"), Texts().Get(L"TBHINT"));
    SetCaption(Texts().Get(L"PFA"));
}

void TOstrel_Form::SetAutomaticMode() {
    // The timer starts at the end of the first showing (StartPolling), once the folders are set.
    Timer1.SetInterval(TimerIntervalFor(Settings.PollSeconds));
    pollingPending_ = true;
    EnableStartButton(false);
    EnableMerge(false);
    Pruefung.Show();
    SetTimerButtonText(Texts().Get(L"TBH"), Texts().Get(L"TBHINT2"));
    SetCaption(Texts().Get(L"PFG"));
}

void TOstrel_Form::WMCopyData(gui::TMessage& msg) {
    const auto file = ForwardedFile(reinterpret_cast<const COPYDATASTRUCT*>(msg.LParam));
    if (!file) {
        msg.Default = true;
        return;
    }
    // The sender waits for this answer: the conversion runs later, from the queue.
    forwardedFiles_.push_back(*file);
    PostMessageW(Handle(), WM_FORWARDEDFILE, 0, 0);
    msg.Result = TRUE;
}

void TOstrel_Form::ConvertForwardedFiles() {
    if (forwardedFiles_.empty()) {
        return;
    }
    if (pass_->PassRunning() || settingsDialogOpen_) {
        SetTimer(Handle(), kForwardRetryTimer, kForwardRetryMs, nullptr);
        return;
    }
    // Converted on its own: the panes stay where they are, and the timer's pass keeps to the stored folders.
    std::wstring file = std::move(forwardedFiles_.front());
    forwardedFiles_.pop_front();
    if (pass_->ConvertSingleFile(file) == SingleFileResult::Busy) {
        // A job its writer still holds waits behind the others, so that it cannot hold up files handed over after
        // it; when it is the only one left, it is tried again a little later.
        forwardedFiles_.push_back(std::move(file));
        busyForwardedFiles_ = std::min(busyForwardedFiles_ + 1, forwardedFiles_.size());
        if (busyForwardedFiles_ == forwardedFiles_.size()) {
            busyForwardedFiles_ = 0;
            SetTimer(Handle(), kForwardRetryTimer, kForwardRetryMs, nullptr);
        } else {
            PostMessageW(Handle(), WM_FORWARDEDFILE, 0, 0);
        }
        return;
    }
    busyForwardedFiles_ = 0;
    try {
        pass_->RefreshPanes();
    } catch (...) {
        win::TraceCaught(L"TOstrel_Form::ConvertForwardedFiles");
    }
    if (!forwardedFiles_.empty()) {
        PostMessageW(Handle(), WM_FORWARDEDFILE, 0, 0);
    }
}

// --- Folders ------------------------------------------------------------------------------------------------------

void TOstrel_Form::SetInputFolder(const std::wstring& folder) {
    InputPane.SetFolder(folder);
}

void TOstrel_Form::SetOutputFolder(const std::wstring& folder) {
    OutputPane.SetFolder(folder);
}

// --- Commands -----------------------------------------------------------------------------------------------------

void TOstrel_Form::Einstellungen1Click() {
    if (!Einstellungen_Form || settingsDialogOpen_) {
        return;
    }
    settingsDialogOpen_ = true;
    const SettingsDialogClosed closed = ::Einstellungen1Click(*Einstellungen_Form, Options);
    settingsDialogOpen_ = false;
    Options = closed.Options;
    Settings.PollSeconds = closed.PollSeconds;
    Timer1.SetInterval(closed.TimerInterval);
}

void TOstrel_Form::MergeBitBtnClick() {
    if (!Merge_Form || !Auswahl_Form) {
        return;
    }
    if (!merge_) {
        mergeUi_ = std::make_unique<MergeFormsUi>(*Merge_Form, *Auswahl_Form, Encrypt_Form, Settings.ReaderProgram,
                                                  [this] { pass_->RefreshPanes(); });
        ConversionLog log(ConversionLog::DefaultFile(), [](std::wstring_view key) { return Texts().Get(key); });
        merge_ = std::make_unique<MergeCommand>(*this, *mergeUi_, Dialog, log);
    }
    merge_->MergeBitBtnClick();
}

void TOstrel_Form::Ende1Click() {
    if (Beenden_Form) {
        Beenden_Form->SetPosition(gui::TPosition::poMainFormCenter);
        if (Beenden_Form->ShowModal() != gui::mrOk) {
            return;
        }
    }
    Close();
}

void TOstrel_Form::InfoClick() {
    if (Info_Form) {
        Info_Form->SetPosition(gui::TPosition::poMainFormCenter);
        Info_Form->ShowModal();
    }
}

// --- ConversionWindow ---------------------------------------------------------------------------------------------

void TOstrel_Form::ShowMessage(Box box, const std::wstring& text) {
    const TMsgDlgType type = box == Box::Information ? TMsgDlgType::mtInformation
                             : box == Box::Error     ? TMsgDlgType::mtError
                                                     : TMsgDlgType::mtPlain;
    gui::MessageDlg(text, gui::Application.Title(), type, TMsgDlgButtons::mbOK, Handle());
}

void TOstrel_Form::ProcessMessages() {
    gui::Application.ProcessMessages();
}
void TOstrel_Form::ClearMemo() {
    Memo1.SetText({});
}
void TOstrel_Form::ShowStatus(const std::wstring& text) {
    StatusBar1.SetPanelText(0, text);
}
void TOstrel_Form::AppendMemo(const std::wstring& text) {
    Memo1.Append(text);
}
void TOstrel_Form::SetProgress(int position) {
    Gauge1.SetPosition(position);
}
std::wstring TOstrel_Form::InputPathText() const {
    return PathComboBox1.Text();
}
std::wstring TOstrel_Form::OutputPathText() const {
    return PathComboBox2.Text();
}
void TOstrel_Form::SetTimerInterval(std::uint32_t milliseconds) {
    Timer1.SetInterval(milliseconds);
}
void TOstrel_Form::EnableTimer(bool enabled) {
    Timer1.SetEnabled(enabled);
}
bool TOstrel_Form::TimerEnabled() const {
    return Timer1.Enabled();
}
void TOstrel_Form::EnableStartButton(bool enabled) {
    PDF_Erstellung.SetEnabled(enabled);
}

void TOstrel_Form::EnableMerge(bool enabled) {
    MergeBitBtn.SetEnabled(enabled);
    if (Merge1) {
        Merge1->SetEnabled(enabled);
    }
}

void TOstrel_Form::EnableTimerButton(bool enabled) {
    Timerbutton.SetEnabled(enabled);
}

void TOstrel_Form::SetTimerButtonText(const std::wstring& caption, const std::wstring& hint) {
    Timerbutton.SetCaption(caption);
    Timerbutton.SetHint(hint);
}

void TOstrel_Form::ShowCheckIndicator(bool visible) {
    Pruefung.SetVisible(visible);
}
bool TOstrel_Form::CheckIndicatorVisible() const {
    return Pruefung.Visible();
}
void TOstrel_Form::SetCaption(const std::wstring& caption) {
    gui::TForm::SetCaption(caption);
}
bool TOstrel_Form::LogEnabled() const {
    return Logdatei && Logdatei->Checked();
}

int TOstrel_Form::EncryptComboIndex() const {
    return Encrypt_Form ? Encrypt_Form->EncryptCombo.ItemIndex() : 0;
}

bool TOstrel_Form::Closing() const {
    // Closing the main window ends the message loop; a conversion waiting in a nested loop must give up.
    return gui::Application.Terminated();
}

// --- ISettingsMainWindow ------------------------------------------------------------------------------------------

void TOstrel_Form::SetConversionCaption(const std::wstring& caption) {
    PDF_Erstellung.SetCaption(caption);
}
void TOstrel_Form::SetMergeEnabled(bool enabled) {
    // The output type allows merging, but while automatic mode converts on its timer merging stays off; stopping
    // automatic mode turns it on again.
    const bool automaticMode = (Timer1.Enabled() || pollingPending_) && Pruefung.Visible();
    EnableMerge(enabled && !automaticMode);
}
void TOstrel_Form::SetWatermarkIndicatorVisible(bool visible) {
    WasserzeichenSB.SetVisible(visible);
}
void TOstrel_Form::SetAutoRotateOption(const std::wstring& option) {
    Options.GsAutoRotateOption = option;
}
std::wstring TOstrel_Form::LastGhostscriptProgram() const {
    return pass_->PassSwitches.GhostscriptProgram;
}

bool TOstrel_Form::TakeSecurityCheckRequest() {
    const bool request = securityCheckRequest_;
    securityCheckRequest_ = false;
    return request;
}

std::wstring TOstrel_Form::ReaderProgram() const {
    return Settings.ReaderProgram;
}

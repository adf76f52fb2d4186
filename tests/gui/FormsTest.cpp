// Forms, modal runs, keys, message boxes, timers, tray icon, menus, registry and the application's life cycle.
#include "GuiTestSupport.h"
#include "gui/Dialogs.h"
#include "gui/ExtCtrls.h"
#include "gui/Menus.h"
#include "gui/MessageBox.h"
#include "win/Registry.h"
#include "gui/TrayIcon.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>

using namespace gui;

namespace {

class TDialog_Form : public TForm {
public:
    TDialog_Form() : TForm(L"TDialog_Form", L"Dialog_Form") {
        SetBorderStyle(TFormBorderStyle::bsDialog);
        SetClientSize(240, 120);
        SetPosition(TPosition::poMainFormCenter);
        Ok.SetText(L"OK");
        Ok.ModalResult = mrOk;
        Ok.SetDefault(true);
        Name.SetText(L"kept");
    }
    TEdit Name{this, L"NameEdit", 10, 10, 200, 21};
    TButton Ok{this, L"OKBitBtn1", 10, 80, 75, 25};
};

TEST(GuiModal, ModalFormFromAHandlerReturnsItsResultAndKeepsValues) {
    TForm main(L"TModalMain_Form");
    Application.SetMainForm(&main);
    TButton open(&main, L"Open", 10, 10, 75, 25);
    TDialog_Form dialog;
    int shows = 0;
    dialog.OnShow = [&](TComponent*) {
        ++shows;
        PostMessageW(dialog.Ok.Handle(), BM_CLICK, 0, 0); // the user presses OK
    };
    TModalResult result = mrNone;
    open.OnClick = [&](TComponent*) {
        dialog.Name.SetText(L"typed");
        result = dialog.ShowModal();
    };
    main.Show();
    guidriver::Click(open.Handle());
    EXPECT_EQ(result, mrOk);
    EXPECT_EQ(shows, 1);
    EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
    EXPECT_TRUE(IsWindowEnabled(main.Handle()));
    EXPECT_EQ(dialog.Name.Text(), L"typed");
    Application.SetMainForm(nullptr);
}

TEST(GuiModal, EscapeClosesThroughKeyPreviewOrCancelButton) {
    struct Case {
        const char* name;
        bool keyPreview;
        bool cancelButton;
        WORD key;
        TModalResult expected;
    } cases[] = {
        {"key preview Esc handler", true, false, VK_ESCAPE, mrCancel},
        {"cancel button", false, true, VK_ESCAPE, mrAbort},
        {"Enter presses the default button", false, false, VK_RETURN, mrOk},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TDialog_Form dialog;
        TButton cancel(&dialog, L"Cancel", 100, 80, 75, 25);
        if (c.cancelButton) {
            cancel.SetCancel(true);
            cancel.ModalResult = mrAbort;
        }
        int keyDowns = 0;
        dialog.KeyPreview = c.keyPreview;
        dialog.OnKeyDown = [&](TComponent*, WORD& key, TShiftState) {
            ++keyDowns;
            if (key == VK_ESCAPE && c.keyPreview)
                dialog.Close();
        };
        dialog.OnShow = [&](TComponent*) {
            dialog.Name.SetFocus();
            guidriver::PostKey(dialog.Name.Handle(), c.key);
        };
        EXPECT_EQ(dialog.ShowModal(), c.expected);
        EXPECT_EQ(keyDowns, c.keyPreview ? 1 : 0);
    }
}

TEST(GuiForm, MinimumSizeHoldsAndCentringUsesTheNormalPlacement) {
    TForm main(L"TMinSize_Form");
    main.SetMinSize(612, 290);
    main.Show();
    SetWindowPos(main.Handle(), nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_GE(main.Width(), 612);
    EXPECT_GE(main.Height(), 290);

    Application.SetMainForm(&main);
    SetWindowPos(main.Handle(), nullptr, 100, 100, 700, 400, SWP_NOZORDER);
    main.SetWindowState(TWindowState::wsMinimized);
    TDialog_Form dialog;
    dialog.CenterOn(TPosition::poMainFormCenter);
    RECT r;
    GetWindowRect(dialog.Handle(), &r);
    EXPECT_NEAR((r.left + r.right) / 2, 100 + 350, 2);
    EXPECT_NEAR((r.top + r.bottom) / 2, 100 + 200, 2);
    Application.SetMainForm(nullptr);
}

TEST(GuiForm, CustomMessageHandlerAndCloseHides) {
    TForm form(L"TMessages_Form");
    int trayMessages = 0;
    LPARAM mouse = 0;
    form.SetMessageHandler(WM_USER + 1, [&](TMessage& m) {
        ++trayMessages;
        mouse = m.LParam;
    });
    int deviceChanges = 0;
    form.SetMessageHandler(WM_DEVICECHANGE, [&](TMessage& m) {
        ++deviceChanges;
        m.Result = 12345;
        m.Default = true; // the default handling runs after the handler, and its answer counts
    });
    SendMessageW(form.Handle(), WM_USER + 1, 0, WM_LBUTTONUP);
    EXPECT_EQ(trayMessages, 1);
    EXPECT_EQ(mouse, WM_LBUTTONUP);
    EXPECT_EQ(SendMessageW(form.Handle(), WM_DEVICECHANGE, 0x8000, 0),
              DefWindowProcW(form.Handle(), WM_DEVICECHANGE, 0x8000, 0));
    EXPECT_EQ(deviceChanges, 1);
    form.Show();
    int closes = 0;
    form.OnClose = [&](TComponent*, TCloseAction& action) {
        ++closes;
        EXPECT_EQ(action, TCloseAction::caHide);
    };
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    EXPECT_TRUE(IsWindow(form.Handle()));
}

TEST(GuiMessageBox, RecorderCapturesEveryBoxAndAnswers) {
    Application.SetTitle(L"Ostrel V2.4");
    MessageBoxRecorder boxes;
    boxes.Answers = {mrNo, mrAbort};
    EXPECT_EQ(MessageDlg(L"Frage?", L"Bestätigung", TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNo), mrNo);
    EXPECT_EQ(MessageDlg(L"Fehler", L"", TMsgDlgType::mtError, TMsgDlgButtons::mbOKAbort), mrAbort);
    ShowMessage(L"plain");
    ASSERT_EQ(boxes.Records.size(), 3u);
    EXPECT_EQ(boxes.Records[0].Caption, L"Bestätigung");
    EXPECT_EQ(boxes.Records[0].Buttons, TMsgDlgButtons::mbYesNo);
    EXPECT_EQ(boxes.Records[1].Caption, L"Ostrel V2.4");
    EXPECT_EQ(boxes.Records[1].Type, TMsgDlgType::mtError);
    EXPECT_EQ(boxes.Records[2].Text, L"plain");
    EXPECT_EQ(boxes.Records[2].Type, TMsgDlgType::mtPlain);
}

TEST(GuiMessageBox, OkAbortBoxIsARealDialog) {
    // No hook: the own OK/Abort form shows; a posted Esc answers Abort, a click on OK answers OK.
    for (bool pressOk : {false, true}) {
        HWND found = nullptr;
        TTimer driver;
        driver.SetInterval(50);
        driver.OnTimer = [&](TComponent*) {
            found = FindWindowW(L"TMessageForm", L"Fehler");
            if (!found || !IsWindowVisible(found))
                return;
            driver.SetEnabled(false);
            if (pressOk)
                guidriver::ClickNamed(found, L"OK");
            else
                guidriver::PostKey(guidriver::FindControl(found, L"OK"), VK_ESCAPE);
        };
        TModalResult r = MessageDlg(L"Can't terminate icon update thread.", L"Fehler", TMsgDlgType::mtError,
                                    TMsgDlgButtons::mbOKAbort);
        EXPECT_EQ(r, pressOk ? mrOk : mrAbort);
        EXPECT_NE(found, nullptr);
    }
}

// Enter presses the box's default button, whichever index the caller gave it.
TEST(GuiMessageBox, EnterPressesTheChosenDefaultButton) {
    const struct {
        TMsgDlgButtons buttons;
        int defaultButton;
        TModalResult expected;
    } cases[] = {{TMsgDlgButtons::mbYesNo, 0, mrYes},
                 {TMsgDlgButtons::mbYesNo, 1, mrNo},
                 {TMsgDlgButtons::mbYesNoCancel, 2, mrCancel},
                 {TMsgDlgButtons::mbOKAbort, 1, mrAbort}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.defaultButton);
        HWND found = nullptr;
        TTimer driver;
        driver.SetInterval(50);
        driver.OnTimer = [&](TComponent*) {
            HWND box = FindWindowW(nullptr, L"Vorgabe");
            if (!box || !IsWindowVisible(box))
                return;
            driver.SetEnabled(false);
            found = box;
            HWND focused = nullptr;
            for (HWND child : guidriver::ChildWindows(box)) {
                if (SendMessageW(child, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
                    focused = child;
            }
            guidriver::PostKey(focused ? focused : box, VK_RETURN);
        };
        TModalResult r =
            MessageDlg(L"Weiter?", L"Vorgabe", TMsgDlgType::mtConfirmation, c.buttons, nullptr, c.defaultButton);
        EXPECT_NE(found, nullptr);
        EXPECT_EQ(r, c.expected);
    }
}

// A command sent from another thread (or process) runs inside the dialog's GetMessage, which returns only for a
// posted message; a result it sets must end the dialog at once, not at the next unrelated message.
TEST(GuiForm, ModalResultSetByASentMessageEndsTheDialog) {
    constexpr UINT kFinish = WM_APP + 77;
    TForm dialog(L"TSentResult_Form");
    dialog.SetMessageHandler(kFinish, [&](TMessage&) { dialog.SetModalResult(mrOk); });
    const HWND dialogHandle = dialog.Handle();
    std::atomic<bool> returned{false};
    std::atomic<bool> neededRescue{false};
    std::thread sender([&] {
        const ULONGLONG deadline = GetTickCount64() + 20000;
        while (!IsWindowVisible(dialogHandle) && GetTickCount64() < deadline)
            Sleep(10);
        // Let the dialog's first paint and activation go by, so nothing else is waiting in its queue.
        Sleep(500);
        SendMessageW(dialogHandle, kFinish, 0, 0);
        const ULONGLONG wait = GetTickCount64() + 3000;
        while (!returned && GetTickCount64() < wait)
            Sleep(10);
        if (!returned) {
            neededRescue = true;
            PostMessageW(dialogHandle, WM_NULL, 0, 0);
        }
    });
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    returned = true;
    sender.join();
    EXPECT_FALSE(neededRescue) << "the dialog waited for an unrelated message";
}

TEST(GuiTimer, TicksWhileEnabledAndStops) {
    TTimer timer(L"Timer1");
    int ticks = 0;
    timer.OnTimer = [&](TComponent*) { ++ticks; };
    timer.SetInterval(20);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 3; }));
    timer.SetEnabled(false);
    int stopped = ticks;
    PumpUntil([] { return false; }, 150);
    EXPECT_EQ(ticks, stopped);
    timer.SetInterval(90000ull * 1000ull * 1000ull); // far above the maximum: clamped, not wrapped
    EXPECT_EQ(timer.Interval(), static_cast<unsigned>(USER_TIMER_MAXIMUM));

    // Made disabled, a timer stays silent until enabled, then ticks.
    TTimer later(L"Timer2", false);
    int laterTicks = 0;
    later.OnTimer = [&](TComponent*) { ++laterTicks; };
    later.SetInterval(20);
    EXPECT_FALSE(later.Enabled());
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(laterTicks, 0);
    later.SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return laterTicks >= 2; }));
}

TEST(GuiTray, IconIsAddedAndRemoved) {
    TForm form(L"TTray_Form");
    TTrayIcon tray(form.Handle(), WM_USER + 1);
    ASSERT_TRUE(tray.Add(LoadIconW(nullptr, MAKEINTRESOURCEW(32512)), L"Ostrel V2.4"));
    EXPECT_TRUE(tray.Exists());
    EXPECT_TRUE(tray.Remove());
    EXPECT_FALSE(tray.Exists());
    EXPECT_FALSE(tray.Remove());
}

TEST(GuiMenu, ShortcutsRadioItemsAndHints) {
    TForm form(L"TMenu_Form");
    TMainMenu menu(L"MainMenu1");
    TMenuItem* help = menu.Items.Add(L"Hilfe1", L"&Hilfe");
    TMenuItem* info = help->Add(L"Information1", L"&Anleitung");
    info->SetShortCut(ShortCut(VK_F1, 0));
    info->SetHint(L"Anleitung|Zeigt die Anleitung");
    TMenuItem* de = help->Add(L"Deutsch", L"Deutsch");
    TMenuItem* en = help->Add(L"English", L"English");
    for (auto* item : {de, en}) {
        item->SetRadioItem(true);
        item->GroupIndex = 1;
        item->AutoCheck = true;
    }
    help->SetRightJustify(true);
    form.SetMenu(&menu);
    int infos = 0;
    info->OnClick = [&](TComponent*) { ++infos; };
    TEdit edit(&form, L"Edit1", 10, 10, 100, 21);
    form.Show();
    edit.SetFocus();
    guidriver::PostKey(edit.Handle(), VK_F1);
    ASSERT_TRUE(PumpUntil([&] { return infos == 1; }));
    Pump();
    EXPECT_EQ(infos, 1);
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(de->Command(), 0), 0);
    EXPECT_TRUE(de->Checked());
    en->Click();
    EXPECT_FALSE(de->Checked());
    EXPECT_TRUE(en->Checked());
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_STATE;
    GetMenuItemInfoW(help->Handle(), en->Command(), FALSE, &mii);
    EXPECT_TRUE(mii.fState & MFS_CHECKED);
    EXPECT_NE(help->Handle(), nullptr);

    std::wstring statusText;
    Application.OnHint = [&](TComponent*) { statusText = GetLongHint(Application.Hint()); };
    SendMessageW(form.Handle(), WM_MENUSELECT, MAKEWPARAM(info->Command(), MF_STRING),
                 reinterpret_cast<LPARAM>(help->Handle()));
    EXPECT_EQ(statusText, L"Zeigt die Anleitung");
    Application.OnHint = nullptr;
    form.SetMenu(nullptr);
}

TEST(GuiHints, ShortAndLongParts) {
    struct Case {
        const wchar_t* hint;
        const wchar_t* shortPart;
        const wchar_t* longPart;
    } cases[] = {
        {L"Tip|Long text", L"Tip", L"Long text"}, {L"Both", L"Both", L"Both"}, {L"", L"", L""}, {L"|x", L"", L"x"}};
    for (const auto& c : cases) {
        EXPECT_EQ(GetShortHint(c.hint), c.shortPart);
        EXPECT_EQ(GetLongHint(c.hint), c.longPart);
    }
}

TEST(GuiRegistry, RoundTripOfStringsNumbersAndBinaries) {
    const std::wstring key = L"Software\\OstrelGuiTest\\Umgeleiteter Anschluß\\RPT1:";
    win::TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    reg.DeleteKey(L"Software\\OstrelGuiTest");
    EXPECT_FALSE(reg.OpenKey(key, false));
    ASSERT_TRUE(reg.OpenKey(key, true));
    reg.WriteString(L"Command", L"C:\\gs\\gswin32c.exe");
    reg.WriteInteger(L"Delay", 300);
    const unsigned char bytes[] = {1, 0, 255};
    reg.WriteBinaryData(L"Blob", bytes, sizeof bytes);
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKeyReadOnly(key));
    EXPECT_EQ(reg.ReadString(L"Command"), L"C:\\gs\\gswin32c.exe");
    EXPECT_EQ(reg.ReadInteger(L"Delay"), 300u);
    EXPECT_EQ(reg.ReadBinaryData(L"Blob"), (std::vector<BYTE>{1, 0, 255}));
    EXPECT_FALSE(reg.TryReadString(L"Missing").has_value());
    EXPECT_THROW(reg.ReadInteger(L"Command"), win::ERegistryException);
    EXPECT_TRUE(reg.ValueExists(L"Delay"));
    ASSERT_TRUE(reg.OpenKey(key, false));
    EXPECT_TRUE(reg.DeleteValue(L"Delay"));
    EXPECT_FALSE(reg.ValueExists(L"Delay"));
    reg.CloseKey();
    EXPECT_TRUE(reg.KeyExists(key));
    EXPECT_TRUE(reg.DeleteKey(L"Software\\OstrelGuiTest"));
    EXPECT_FALSE(reg.KeyExists(key));
}

TEST(GuiDialogs, HookAnswersForTheUser) {
    auto previous = SetCommonDialogHook([](TCommonDialog& dialog) {
        auto* open = dynamic_cast<TOpenDialog*>(&dialog);
        if (!open || open->Filter != L"PDF-Datei (*.pdf)|*.pdf")
            return false;
        open->FileName = L"C:\\x\\w.pdf";
        return true;
    });
    TOpenDialog open(L"OpenDialog3");
    open.Filter = L"PDF-Datei (*.pdf)|*.pdf";
    EXPECT_TRUE(open.Execute());
    EXPECT_EQ(open.FileName, L"C:\\x\\w.pdf");
    TColorDialog colour;
    EXPECT_FALSE(colour.Execute());
    SetCommonDialogHook(previous);
}

// Forms made through the application: fixed creation order, OnCreate after construction, the main form shown
// by Run, destruction in reverse order after every OnDestroy.
std::vector<std::wstring>* g_log = nullptr;

class TLogged_Form : public TForm {
public:
    explicit TLogged_Form(const std::wstring& name) : TForm(L"TLogged_Form", name) {
        OnCreate = [this](TComponent*) { g_log->push_back(L"create " + Name()); };
        OnDestroy = [this](TComponent*) { g_log->push_back(L"destroy " + Name()); };
    }
    ~TLogged_Form() override { g_log->push_back(L"delete " + Name()); }
};

TEST(GuiApplication, RunShowsTheMainFormAndDestroysInReverse) {
    std::vector<std::wstring> log;
    g_log = &log;
    TLogged_Form* mainForm = nullptr;
    TLogged_Form* second = nullptr;
    Application.CreateForm(mainForm, L"Main");
    Application.CreateForm(second, L"Second");
    EXPECT_EQ(Application.MainForm(), mainForm);
    mainForm->OnShow = [&](TComponent*) {
        log.push_back(L"show");
        PostMessageW(mainForm->Handle(), WM_CLOSE, 0, 0); // closing the main form ends the loop
    };
    Application.Run();
    EXPECT_EQ(log, (std::vector<std::wstring>{L"create Main", L"create Second", L"show", L"destroy Second",
                                              L"destroy Main", L"delete Second", L"delete Main"}));
    EXPECT_EQ(Application.MainForm(), nullptr);
    g_log = nullptr;
}

} // namespace

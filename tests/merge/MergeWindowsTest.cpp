// The two merge dialogs as real windows: the name dialog's start state and answers, and the merge list built with
// the file dialog (answered by the hook), removed from and reordered by its buttons, then confirmed.
#include "MergeFixture.h"

#include "app/dialogs/Auswahl_Unit.h"
#include "app/dialogs/Merge_Unit.h"
#include "app/main/MergeFormsUi.h"
#include "gui/Application.h"
#include "gui/Dialogs.h"
#include "gui/ExtCtrls.h"
#include "gui/MessageBox.h"
#include "support/FormSteps.h"
#include "support/GuiDriver.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace gui;
using namespace mergetest;

namespace {

using testenv::PumpUntil;
using testenv::WhenShown;

std::wstring ColumnCaption(const TCustomListView& list) {
    wchar_t text[128] = {};
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = 128;
    SendMessageW(list.Handle(), LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    return text;
}

void SelectOnly(TCustomListView& list, std::initializer_list<int> items) {
    for (int i = 0; i < list.ItemCount(); ++i)
        list.SetItemSelected(i, false);
    for (int i : items)
        list.SetItemSelected(i, true);
}

std::vector<int> Selected(const TCustomListView& list) {
    std::vector<int> items;
    for (int i = 0; i < list.ItemCount(); ++i)
        if (list.ItemSelected(i))
            items.push_back(i);
    return items;
}

struct Dialogs {
    Dialogs() : ui(nameForm, listForm, nullptr, reader, [this] { ++reloads; }) {
        LoadEnglishTexts();
        Application.Initialize();
        listForm.DoCreate();
    }
    DialogSettings settings;
    TMerge_Form nameForm;
    TAuswahl_Form listForm{settings, nullptr};
    std::wstring reader = L"reader.exe";
    int reloads = 0;
    MergeFormsUi ui;
};

TEST(MergeWindows, NameDialogStartsWithTheExtensionAndTheCaretBeforeIt) {
    Dialogs d;
    TMerge_Form& f = d.nameForm;
    f.MergeNameEdit.SetText(L"alt");
    std::wstring shownText;
    int shownCaret = -1;
    WhenShown typed(f, [&] {
        shownText = f.MergeNameEdit.Text();
        shownCaret = f.MergeNameEdit.SelStart();
        EXPECT_TRUE(f.MergeNameEdit.Focused());
        EXPECT_EQ(guidriver::WindowText(f.Handle()), Text(L"MERGENAME1"));
        EXPECT_EQ(f.Frage.Text(), Text(L"MERGENAME2"));
        EXPECT_EQ(f.NeinBitBtn.Text(), Text(L"ABBRECHEN"));
        guidriver::PostChars(f.MergeNameEdit.Handle(), L"Bericht");
        EXPECT_TRUE(PumpUntil([&] { return f.MergeNameEdit.Text() == L"Bericht.pdf"; }));
        guidriver::Click(f.JaBitBtn.Handle());
    });
    EXPECT_EQ(d.ui.AskMergeName(), std::optional<std::wstring>(L"Bericht.pdf"));
    EXPECT_EQ(shownText, L".pdf");
    EXPECT_EQ(shownCaret, 0);

    WhenShown escaped(f, [&] { guidriver::PostKey(f.MergeNameEdit.Handle(), VK_ESCAPE); });
    EXPECT_EQ(d.ui.AskMergeName(), std::nullopt) << "Esc cancels";
}

TEST(MergeWindows, SelectionDialogAddsRemovesAndOrders) {
    Dialogs d;
    TAuswahl_Form& f = d.listForm;
    d.settings.ShowInReader = true;
    f.OutputFolder = [] { return std::wstring(L"C:\\Ausgabe"); };
    f.FileList.AddItem(L"C:\\vom letzten Mal.pdf"); // every showing starts empty

    const std::vector<std::vector<std::wstring>> answers = {
        {L"C:\\a.pdf", L"C:\\b.pdf", L"C:\\c.pdf"},
        {L"C:\\b.pdf", L"C:\\B.pdf", L"C:\\d.pdf"}, // b again is dropped, B is another spelling and stays
    };
    size_t asked = 0;
    std::wstring initialDir;
    SetCommonDialogHook([&](TCommonDialog& dialog) {
        auto& open = dynamic_cast<TOpenDialog&>(dialog);
        EXPECT_EQ(open.Filter, L"PDF, PS/PRN (*.pdf,*.ps; *.prn)|*.pdf;*.ps;*.prn|*.*|*.*");
        EXPECT_TRUE(open.Options & ofAllowMultiSelect);
        EXPECT_TRUE(open.Options & ofNoChangeDir);
        initialDir = open.InitialDir;
        if (asked >= answers.size())
            return false;
        open.Files = answers[asked++];
        open.FileName = open.Files.front();
        return true;
    });

    auto files = [&] { return f.Files(); };
    WhenShown steps(f, [&] {
        EXPECT_EQ(f.FileList.ItemCount(), 0);
        EXPECT_EQ(ColumnCaption(f.FileList), L"Datei(en)/File(s): 0");
        EXPECT_EQ(f.PDFAnzRG.ItemIndex(), 0);
        EXPECT_EQ(f.Hinzufuegen.Text(), Text(L"AUSWAHL2"));
        guidriver::Click(f.Hinzufuegen.Handle());
        guidriver::Click(f.Hinzufuegen.Handle());
        EXPECT_EQ(files(),
                  (std::vector<std::wstring>{L"C:\\a.pdf", L"C:\\b.pdf", L"C:\\c.pdf", L"C:\\B.pdf", L"C:\\d.pdf"}));
        EXPECT_EQ(ColumnCaption(f.FileList), L"Datei(en)/File(s): 5");
        const std::vector<std::wstring> before = files();

        SelectOnly(f.FileList, {0});
        guidriver::Click(f.UpBitBtn.Handle());
        EXPECT_EQ(files(), before) << "the first item does not move up";
        SelectOnly(f.FileList, {4});
        guidriver::Click(f.DownBitBtn.Handle());
        EXPECT_EQ(files(), before) << "the last item does not move down";

        SelectOnly(f.FileList, {2});
        guidriver::Click(f.UpBitBtn.Handle());
        EXPECT_EQ(files(),
                  (std::vector<std::wstring>{L"C:\\a.pdf", L"C:\\c.pdf", L"C:\\b.pdf", L"C:\\B.pdf", L"C:\\d.pdf"}));
        EXPECT_EQ(Selected(f.FileList), std::vector<int>{1}) << "the selection moves with the file";
        guidriver::Click(f.DownBitBtn.Handle());
        guidriver::Click(f.DownBitBtn.Handle());
        EXPECT_EQ(files(),
                  (std::vector<std::wstring>{L"C:\\a.pdf", L"C:\\b.pdf", L"C:\\B.pdf", L"C:\\c.pdf", L"C:\\d.pdf"}));
        EXPECT_EQ(Selected(f.FileList), std::vector<int>{3});

        SelectOnly(f.FileList, {0, 1});
        const std::vector<std::wstring> twoSelected = files();
        guidriver::Click(f.DownBitBtn.Handle());
        EXPECT_EQ(files(), twoSelected) << "two selected items are not moved";
        EXPECT_TRUE(Selected(f.FileList).empty()) << "only the selection is cleared";

        SelectOnly(f.FileList, {1, 4});
        guidriver::Click(f.EntfernenBitBtn.Handle());
        EXPECT_EQ(files(), (std::vector<std::wstring>{L"C:\\a.pdf", L"C:\\B.pdf", L"C:\\c.pdf"}));
        EXPECT_EQ(ColumnCaption(f.FileList), L"Datei(en)/File(s): 3");

        // Preview: each selected file in list order through Ghostscript; after each, "Cancel?" while some remain.
        testenv::TempDir temp(L"preview");
        const std::filesystem::path gsLog = temp / L"gs.txt";
        SetVariable(L"OSTREL_GS_LOG", gsLog.wstring());
        SetVariable(L"OSTREL_GS_EXIT", L"0");
        d.settings.GhostscriptProgram = kGhostscript;
        std::vector<std::wstring> passed;
        f.OnCurrentInputPath = [&](const std::wstring& path) { passed.push_back(path); };
        const std::string preview = std::string("\"C:\\gs\\gs8.54\\bin\\gswin32c.exe\" -dSAFER -dBATCH -r96 ");
        {
            MessageBoxRecorder boxes;
            boxes.Answers = {mrNo};
            SelectOnly(f.FileList, {2, 0});
            guidriver::Click(f.MergeViewer.Handle());
            ASSERT_EQ(boxes.Records.size(), 1u);
            EXPECT_EQ(boxes.Records[0].Text, L"Abbruch? / Cancel?");
            EXPECT_EQ(boxes.Records[0].Buttons, TMsgDlgButtons::mbYesNo);
            EXPECT_EQ(SplitCrLf(testenv::ReadFileBytes(gsLog)),
                      (std::vector<std::string>{preview + "\"C:\\a.pdf\"", preview + "\"C:\\c.pdf\""}));
            EXPECT_TRUE(Selected(f.FileList).empty());
            EXPECT_TRUE(f.Hinzufuegen.Focused());
        }
        {
            MessageBoxRecorder boxes;
            boxes.Answers = {mrYes};
            SelectOnly(f.FileList, {0, 1, 2});
            guidriver::Click(f.MergeViewer.Handle());
            EXPECT_EQ(boxes.Records.size(), 1u);
            EXPECT_EQ(SplitCrLf(testenv::ReadFileBytes(gsLog)).size(), 3u) << "Yes stops after the first";
            EXPECT_EQ(Selected(f.FileList), (std::vector<int>{1, 2}));
        }
        EXPECT_EQ(passed, (std::vector<std::wstring>{L"C:\\a.pdf", L"C:\\c.pdf", L"C:\\a.pdf"}));
        SetVariable(L"OSTREL_GS_LOG", L"");
        SetVariable(L"OSTREL_GS_EXIT", L"");

        if (const char* ms = std::getenv("OSTREL_MERGE_SHOW_MS")) {
            const DWORD until = GetTickCount() + static_cast<DWORD>(std::atoi(ms));
            PumpUntil([&] { return GetTickCount() >= until; }, static_cast<DWORD>(std::atoi(ms)) + 1000);
        }
        guidriver::Click(f.AufgehtsBitBtn.Handle());
    });

    std::optional<MergeSelection> chosen = d.ui.ChooseFiles();
    SetCommonDialogHook({});
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->Files, (std::vector<std::wstring>{L"C:\\a.pdf", L"C:\\B.pdf", L"C:\\c.pdf"}));
    EXPECT_TRUE(chosen->OpenInReader);
    EXPECT_EQ(initialDir, L"C:\\Ausgabe");
    EXPECT_FALSE(f.MergeConfirmed) << "read and cleared";

    // Closed by Esc: not confirmed.
    WhenShown escaped(f, [&] { guidriver::PostKey(f.Hinzufuegen.Handle(), VK_ESCAPE); });
    EXPECT_EQ(d.ui.ChooseFiles(), std::nullopt);
}

} // namespace

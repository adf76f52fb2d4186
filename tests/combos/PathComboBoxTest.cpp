// The path and drive combo boxes as real windows: the drive list over a drive table whose types the test
// decides, the names and icons drawn, choosing a drive by program and by the user, the list width, the close-up
// report, and the link with a drive tree.
#include "components/DriveView.h"
#include "components/PathComboBox.h"
#include "gui/Application.h"
#include "gui/Form.h"
#include "support/GuiDriver.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace gui;

namespace {

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000) {
    return guidriver::PumpUntil(condition, timeoutMs, [] { Application.ProcessMessages(); });
}

const std::wstring kLongShare = L"\\\\fileserver.example.internal\\departments\\accounting\\archive\\2006";

// A drive table over the prefix's real drives C:, S:, T: and Z:, with types the test chooses: S is a CD-ROM with a
// label, T a network drive with a long share name; every other letter has no root.
TDriveSystemCalls FakeCalls(std::map<wchar_t, UINT> types) {
    TDriveSystemCalls calls = TDriveSystemCalls::System();
    calls.DriveTypeOf = [types](const std::wstring& root) {
        auto found = types.find(root.empty() ? L'?' : root[0]);
        return found == types.end() ? static_cast<UINT>(DRIVE_NO_ROOT_DIR) : found->second;
    };
    calls.NetConnection = [](const std::wstring& local, std::wstring& remote) {
        if (local != L"T:")
            return false;
        remote = kLongShare;
        return true;
    };
    auto system = calls.VolumeInformation;
    calls.VolumeInformation = [system](const std::wstring& root, TVolumeInformation& info) {
        if (!system(root, info))
            return false;
        if (root[0] == L'S')
            info.Label = L"SCRATCHDISC";
        return true;
    };
    return calls;
}

std::map<wchar_t, UINT> DefaultTypes() {
    return {{L'C', DRIVE_FIXED}, {L'S', DRIVE_CDROM}, {L'T', DRIVE_REMOTE}, {L'Z', DRIVE_FIXED}};
}

std::wstring Letters(const TComboBox& box) {
    std::wstring letters;
    for (int i = 0; i < box.Count(); ++i)
        letters += box.Item(i).substr(0, 1);
    return letters;
}

class ComboTest : public testing::Test {
protected:
    void SetUp() override { Application.Initialize(); }
    TForm form{L"TComboTestForm"};
};

// --- the drive list --------------------------------------------------------------------------------------------

TEST_F(ComboTest, ListsValidDrivesOfTheListedTypesWithTheirNames) {
    TDriveInfo table(FakeCalls(DefaultTypes()));
    TDriveComboBox box(table, &form, L"DriveComboBox1", 8, 8, 200, 22);
    EXPECT_EQ(Letters(box), L"CSTZ");
    EXPECT_EQ(box.Drive(), L'C');
    EXPECT_EQ(box.ItemIndex(), 0) << "the item of Drive is selected";
    struct Style {
        TVolumeDisplayStyle style;
        std::wstring (TDriveInfo::*name)(wchar_t);
    };
    for (Style s : {Style{doPrettyName, &TDriveInfo::PrettyName}, Style{doDisplayName, &TDriveInfo::DisplayName},
                    Style{doLongPrettyName, &TDriveInfo::LongPrettyName}}) {
        box.SetDisplayStyle(s.style);
        ASSERT_EQ(box.Count(), 4);
        for (int i = 0; i < box.Count(); ++i) {
            wchar_t letter = box.Item(i)[0];
            EXPECT_EQ(box.Item(i).substr(1), (table.*s.name)(letter)) << static_cast<int>(s.style);
            EXPECT_EQ(box.GetDriveDisplayName(letter), (table.*s.name)(letter));
        }
    }
    EXPECT_EQ(box.GetDriveDisplayName(L'T'), L"T: " + kLongShare) << "long pretty name of the network drive";
    box.SetDisplayStyle(doPrettyName);
    EXPECT_EQ(box.GetDriveDisplayName(L'T'), L"T: 2006");
    EXPECT_EQ(box.GetDriveDisplayName(L'Q'), L"Q:") << "an invalid drive is its letter and a colon";
}

TEST_F(ComboTest, DriveTypesFilterTheListAtOnce) {
    TDriveInfo table(FakeCalls(DefaultTypes()));
    TDriveComboBox box(table, &form, L"DriveComboBox1", 8, 8, 200, 22);
    EXPECT_EQ(box.DriveTypes(), DriveTypeSet({dtFloppy, dtFixed, dtRemote, dtCDROM, dtRAM}));
    struct Case {
        TDriveTypes types;
        const wchar_t* letters;
    } cases[] = {
        {kDefaultDriveTypes & ~DriveTypeSet({dtRemote}), L"CSZ"},
        {DriveTypeSet({dtCDROM}), L"S"},
        {DriveTypeSet({dtRemote, dtFixed}), L"CTZ"},
        {kDefaultDriveTypes, L"CSTZ"},
    };
    for (const Case& c : cases) {
        box.SetDriveTypes(c.types);
        EXPECT_EQ(Letters(box), c.letters);
        EXPECT_GE(box.ItemIndex(), 0) << "an item stays selected";
    }
    box.SetDriveTypes(DriveTypeSet({dtCDROM}));
    EXPECT_EQ(box.Item(box.ItemIndex())[0], L'S') << "Drive C is not listed: the first item is selected";
    box.SetDriveTypes(DriveTypeSet({dtRAM}));
    EXPECT_EQ(box.Count(), 0);
    EXPECT_EQ(box.ItemIndex(), -1) << "an empty list leaves nothing selected";
}

TEST_F(ComboTest, SettingDriveAcceptsOnlyListedValidDrives) {
    TDriveInfo table(FakeCalls(DefaultTypes()));
    TDriveComboBox box(table, &form, L"DriveComboBox1", 8, 8, 200, 22);
    box.SetDriveTypes(kDefaultDriveTypes & ~DriveTypeSet({dtRemote}));
    struct Case {
        wchar_t given;
        wchar_t expected;
    } cases[] = {
        {L'z', L'Z'}, // lower case is taken
        {L'T', L'Z'}, // network drives are not listed now
        {L'Q', L'Z'}, // no such drive
        {L'!', L'Z'}, // not a letter
        {L's', L'S'},
    };
    for (const Case& c : cases) {
        box.SetDrive(c.given);
        EXPECT_EQ(box.Drive(), c.expected) << static_cast<char>(c.given);
        ASSERT_GE(box.ItemIndex(), 0);
        EXPECT_EQ(box.Item(box.ItemIndex())[0], c.expected) << static_cast<char>(c.given);
    }
}

TEST_F(ComboTest, DrivesHiddenByThePolicyAreNeitherListedNorChosen) {
    const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
    HKEY hkey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hkey, nullptr),
              ERROR_SUCCESS);
    DWORD mask = 1u << (L'S' - L'A');
    RegSetValueExW(hkey, L"NoDrives", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mask), sizeof mask);
    TDriveInfo table(FakeCalls(DefaultTypes()));
    RegDeleteValueW(hkey, L"NoDrives");
    RegCloseKey(hkey);

    TDriveComboBox box(table, &form, L"DriveComboBox1", 8, 8, 200, 22);
    EXPECT_EQ(Letters(box), L"CTZ");
    box.SetDrive(L'S');
    EXPECT_EQ(box.Drive(), L'C');
}

// The owner drawing paints the drive's small icon at (2, 1) and its name from 22 pixels on.
TEST_F(ComboTest, ItemsAreDrawnWithIconAndName) {
    TDriveInfo table(FakeCalls(DefaultTypes()));
    TDriveComboBox box(table, &form, L"DriveComboBox1", 8, 8, 200, 22);
    EXPECT_GE(box.ItemHeight(), 12);
    EXPECT_EQ(SendMessageW(box.Handle(), CB_GETITEMHEIGHT, 0, 0), std::max(box.ItemHeight(), 12));
    // A larger font makes the items and the selection field taller by the same amount.
    const int itemBefore = box.ItemHeight();
    const LRESULT fieldBefore = SendMessageW(box.Handle(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    TFont big = box.Font();
    big.Size = 16;
    box.SetFont(big);
    EXPECT_GT(box.ItemHeight(), itemBefore + 5);
    EXPECT_EQ(SendMessageW(box.Handle(), CB_GETITEMHEIGHT, 0, 0), box.ItemHeight());
    EXPECT_EQ(SendMessageW(box.Handle(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0) - fieldBefore,
              box.ItemHeight() - itemBefore);
    ASSERT_TRUE(GetWindowLongPtrW(box.Handle(), GWL_STYLE) & CBS_OWNERDRAWFIXED);

    const int w = 200, h = 20;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_COMBOBOX;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(box.Handle()));
    item.itemID = 0;
    item.itemAction = ODA_DRAWENTIRE;
    item.hwndItem = box.Handle();
    item.hDC = dc;
    item.rcItem = RECT{0, 0, w, h};
    EXPECT_TRUE(SendMessageW(form.Handle(), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item)));

    const COLORREF background = GetSysColor(COLOR_WINDOW);
    auto differs = [&](int left, int right) {
        int count = 0;
        for (int x = left; x < right; ++x)
            for (int y = 0; y < h; ++y)
                if (GetPixel(dc, x, y) != background)
                    ++count;
        return count;
    };
    EXPECT_EQ(differs(0, 2), 0) << "nothing left of the icon";
    EXPECT_GT(differs(2, 18), 20) << "the icon";
    EXPECT_GT(differs(22, w), 20) << "the name";
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

TEST_F(ComboTest, MaxTextWidthIsTheWidestItem) {
    TPathComboBox paths(&form, L"PathComboBox1", 8, 40, 120, 22);
    EXPECT_EQ(paths.GetMaxTextWidth(), 0);
    paths.AddItem(L"C:\\a");
    paths.AddItem(L"C:\\a much longer folder name\\and deeper");
    paths.AddItem(L"C:\\b");
    EXPECT_EQ(paths.GetMaxTextWidth(), paths.GetTextWidth(L"C:\\a much longer folder name\\and deeper"));
    EXPECT_GT(paths.GetTextWidth(L"WWWW"), paths.GetTextWidth(L"ii"));

    TDriveInfo table(FakeCalls(DefaultTypes()));
    TDriveComboBox drives(table, &form, L"DriveComboBox1", 8, 8, 200, 22);
    int widest = 0;
    for (int i = 0; i < drives.Count(); ++i)
        widest = std::max(widest, drives.GetTextWidth(drives.Item(i)));
    EXPECT_EQ(drives.GetMaxTextWidth(), widest + 22) << "room for the icon";
}

// --- the open list: width and close-up (one showing) -----------------------------------------------------------

TEST_F(ComboTest, OpenListWidthAndCloseUp) {
    TDriveInfo table(FakeCalls(DefaultTypes()));
    TDriveComboBox drives(table, &form, L"DriveComboBox1", 8, 8, 120, 22);
    drives.DropDownFixedWidth = 0;
    drives.SetDisplayStyle(doLongPrettyName);
    TPathComboBox paths(&form, L"PathComboBox1", 8, 40, 120, 22);
    paths.AddItem(L"C:\\");
    paths.AddItem(L"C:\\windows");
    std::vector<bool> closeUps;
    paths.OnCloseUp = [&](TComponent*, bool ok) { closeUps.push_back(ok); };
    form.SetClientSize(300, 200);
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form.Handle()) != FALSE; }));
    RECT before{};
    GetWindowRect(drives.Handle(), &before);

    SendMessageW(drives.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_EQ(drives.DropDownWidth(), drives.GetMaxTextWidth() + 8);
    EXPECT_GT(drives.DropDownWidth(), 120) << "the long network name needs more than the control";
    EXPECT_EQ(SendMessageW(drives.Handle(), CB_GETDROPPEDWIDTH, 0, 0), drives.DropDownWidth());
    RECT after{};
    GetWindowRect(drives.Handle(), &after);
    EXPECT_EQ(after.right - after.left, before.right - before.left) << "the control keeps its width";
    SendMessageW(drives.Handle(), CB_SHOWDROPDOWN, FALSE, 0);

    paths.DropDownFixedWidth = 260;
    SendMessageW(paths.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_EQ(SendMessageW(paths.Handle(), CB_GETDROPPEDWIDTH, 0, 0), 260);
    EXPECT_FALSE(paths.SelectionOK()) << "starts false";

    // Esc closes the open list without a choice; Enter closes it with one.
    paths.SetFocus();
    guidriver::PostKey(paths.Handle(), VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return closeUps.size() == 1; }));
    EXPECT_FALSE(closeUps[0]);
    SendMessageW(paths.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    guidriver::PostKey(paths.Handle(), VK_DOWN);
    guidriver::PostKey(paths.Handle(), VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return closeUps.size() == 2; }));
    EXPECT_TRUE(closeUps[1]);
    EXPECT_TRUE(paths.SelectionOK());
    form.Hide();
}

// --- the link with the drive tree -----------------------------------------------------------------------------

void ChooseByUser(TDriveComboBox& box, wchar_t letter) {
    for (int i = 0; i < box.Count(); ++i) {
        if (box.Item(i)[0] != letter)
            continue;
        box.SetItemIndex(i);
        HWND parent = GetParent(box.Handle());
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box.Handle()), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(box.Handle()));
        return;
    }
    ADD_FAILURE() << "drive not listed: " << static_cast<char>(letter);
}

TEST_F(ComboTest, FollowsTheTreeAndMovesIt) {
    TDriveComboBox box(&form, L"DriveComboBox1", 8, 8, 200, 22);
    int changes = 0;
    box.OnChange = [&](TComponent*) { ++changes; };
    auto tree = std::make_unique<TDriveView>(&form, L"DriveView1", 8, 40, 200, 150);
    box.SetDriveView(tree.get());
    EXPECT_EQ(box.DriveView(), tree.get());
    EXPECT_NE(tree->DriveComboBox(), nullptr);

    tree->SetDirectory(L"T:\\");
    EXPECT_EQ(box.Drive(), L'T') << "the tree's selection sets the drive";
    EXPECT_EQ(box.Item(box.ItemIndex())[0], L'T');

    ChooseByUser(box, L'S');
    EXPECT_EQ(box.Drive(), L'S');
    EXPECT_EQ(tree->GetSelectedDrive(), L'S') << "the user's choice moves the tree";
    EXPECT_EQ(changes, 1);

    // A second box takes the tree over; the first one forgets it.
    TDriveComboBox other(&form, L"DriveComboBox2", 8, 200, 200, 22);
    other.SetDriveView(tree.get());
    EXPECT_EQ(box.DriveView(), nullptr);
    tree->SetDirectory(L"C:\\");
    EXPECT_EQ(other.Drive(), L'C');
    EXPECT_EQ(box.Drive(), L'S') << "the tree reports to one box";

    tree.reset();
    EXPECT_EQ(other.DriveView(), nullptr) << "the link is cleared when the tree goes";
    ChooseByUser(other, L'T');
    EXPECT_EQ(other.Drive(), L'T');
}

// The user moves through the open lists with the arrow keys: nothing changes until a choice, and Esc puts the boxes
// back to the folder and drive the pane shows.
TEST_F(ComboTest, OnlyAChoiceInTheOpenListChangesThePane) {
    TDriveComboBox drives(&form, L"DriveComboBox1", 8, 8, 200, 22);
    int driveChanges = 0;
    drives.OnChange = [&](TComponent*) { ++driveChanges; };
    std::vector<bool> driveCloseUps;
    drives.OnCloseUp = [&](TComponent*, bool ok) { driveCloseUps.push_back(ok); };
    auto tree = std::make_unique<TDriveView>(&form, L"DriveView1", 8, 80, 200, 100);
    drives.SetDriveView(tree.get());
    TPathComboBox paths(&form, L"PathComboBox1", 8, 40, 200, 22);
    paths.AddItem(L"C:\\");
    paths.AddItem(L"C:\\windows");
    paths.AddItem(L"C:\\windows\\system32");
    paths.SetItemIndex(0);
    int pathChanges = 0;
    paths.OnChange = [&](TComponent*) { ++pathChanges; };
    std::vector<bool> pathCloseUps;
    paths.OnCloseUp = [&](TComponent*, bool ok) { pathCloseUps.push_back(ok); };
    form.SetClientSize(300, 200);
    form.Show();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(form.Handle()) != FALSE; }));

    tree->SetDirectory(L"C:\\");
    ASSERT_EQ(drives.Drive(), L'C');
    const std::wstring letters = Letters(drives);
    const auto at = letters.find(L'C');
    ASSERT_TRUE(at != std::wstring::npos && at + 1 < letters.size()) << "a drive after C is listed";
    const wchar_t next = letters[at + 1];
    const auto dropped = [](const TComboBox& box) {
        return SendMessageW(box.Handle(), CB_GETDROPPEDSTATE, 0, 0) != FALSE;
    };

    // The drive box: down one item in the open list, then Esc.
    drives.SetFocus();
    SendMessageW(drives.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    guidriver::PostKey(drives.Handle(), VK_DOWN);
    ASSERT_TRUE(PumpUntil([&] { return drives.Item(drives.ItemIndex())[0] == next; }));
    EXPECT_TRUE(dropped(drives));
    EXPECT_EQ(tree->GetSelectedDrive(), L'C') << "moving through the list moves no pane";
    EXPECT_EQ(drives.Drive(), L'C');
    EXPECT_EQ(driveChanges, 0);
    guidriver::PostKey(drives.Handle(), VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return driveCloseUps.size() == 1; }));
    EXPECT_FALSE(driveCloseUps[0]);
    EXPECT_EQ(drives.Item(drives.ItemIndex())[0], L'C') << "the box shows the pane's drive again";
    EXPECT_EQ(tree->GetSelectedDrive(), L'C');
    EXPECT_EQ(driveChanges, 0);

    // The same with Enter: the choice is taken, once.
    SendMessageW(drives.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    guidriver::PostKey(drives.Handle(), VK_DOWN);
    guidriver::PostKey(drives.Handle(), VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return driveCloseUps.size() == 2; }));
    EXPECT_TRUE(driveCloseUps[1]);
    EXPECT_EQ(drives.Drive(), next);
    EXPECT_EQ(tree->GetSelectedDrive(), next);
    EXPECT_EQ(driveChanges, 1);

    // The path box: the field follows the highlight while the list is open, and Esc restores it.
    paths.SetFocus();
    SendMessageW(paths.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    guidriver::PostKey(paths.Handle(), VK_DOWN);
    guidriver::PostKey(paths.Handle(), VK_DOWN);
    ASSERT_TRUE(PumpUntil([&] { return paths.ItemIndex() == 2; }));
    EXPECT_EQ(pathChanges, 0);
    guidriver::PostKey(paths.Handle(), VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return pathCloseUps.size() == 1; }));
    EXPECT_FALSE(pathCloseUps[0]);
    EXPECT_EQ(paths.ItemIndex(), 0);
    EXPECT_EQ(paths.Text(), L"C:\\");
    EXPECT_EQ(pathChanges, 0);

    SendMessageW(paths.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    guidriver::PostKey(paths.Handle(), VK_DOWN);
    guidriver::PostKey(paths.Handle(), VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return pathCloseUps.size() == 2; }));
    EXPECT_TRUE(pathCloseUps[1]);
    EXPECT_EQ(paths.ItemIndex(), 1);
    EXPECT_EQ(paths.Text(), L"C:\\windows");
    form.Hide();
}

} // namespace

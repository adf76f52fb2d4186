#include "app/main/OstrelPane.h"

#include "app/main/Ostrel_Unit.h"

#include <commctrl.h>

namespace {

constexpr int kAttrColumn = 4;

std::wstring FolderName(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\') {
        path.pop_back();
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool IsChecked(gui::TMenuItem* item) {
    return item && item->Checked();
}

void SelectAndFocusFirst(TDirView& pane) {
    if (pane.ItemCount() > 0) {
        pane.SetItemSelected(0, true);
        pane.SetItemFocused(0);
    }
}

void GaugeToMinimum(gui::TProgressBar& gauge) {
    gauge.SetPosition(static_cast<int>(SendMessageW(gauge.Handle(), PBM_GETRANGE, TRUE, 0)));
}

void CopyColumnWidths(const TDirView& from, TDirView& to, bool attributes) {
    const int columns = attributes ? kAttrColumn + 1 : kAttrColumn;
    for (int column = 0; column < columns; ++column) {
        if (column < from.ColumnCount() && column < to.ColumnCount()) {
            ListView_SetColumnWidth(to.Handle(), column, ListView_GetColumnWidth(from.Handle(), column));
        }
    }
}

} // namespace

OstrelPane::OstrelPane(TOstrel_Form& form, PaneSide side, const PaneNames& names, int left, int width)
    : Side(side), Panel{&form, names.Panel, left, 30, width, 400}, Header{&Panel, names.Header, 0, 0, width, 50},
      Title{&Header, names.Title, 0, 0, width, 22}, SideLabel{&Title, names.SideLabel, 4, 4, 120, 13},
      RootBevel{&Title, names.RootBevel, 1, 2, 2, 20}, Hoch{&Title, names.Hoch, 2, 4, 30, 13},
      UpBevel{&Title, names.UpBevel, 3, 2, 2, 20}, Hoch2{&Title, names.Hoch2, 4, 4, 30, 13},
      DriveComboBox{&Header, names.DriveComboBox, 4, 24, 120, 22},
      PathComboBox{&Header, names.PathComboBox, 128, 24, 230, 22}, Browser{&Header, names.Browser, 362, 24, 25, 22},
      DirView{&Panel, names.DirView, 0, 50, width, 350}, DriveView{&Panel, names.DriveView, 0, 0, 10, 10}, form_(form),
      browseTitle_(names.BrowseTitle) {}

OstrelPane::~OstrelPane() {
    // The list goes before the tree that references it.
    DriveView.SetDirView(nullptr);
}

void OstrelPane::Wire(OstrelPane& other) {
    other_ = &other;
    Chain(DriveView.OnChange, [this](gui::TComponent*, HTREEITEM node) { DriveViewChange(node); });
    PathComboBox.OnCloseUp = [this](gui::TComponent*, bool ok) {
        if (ok) {
            PathComboBoxChange();
        }
    };
    DriveComboBox.OnCloseUp = [this](gui::TComponent*, bool ok) {
        if (ok) {
            DriveComboBoxExit();
        }
    };
    Hoch2.OnClick = [this](gui::TComponent*) { Hoch2Click(); };
    Hoch.OnClick = [this](gui::TComponent*) { HochClick(); };
    Browser.OnClick = [this](gui::TComponent*) { BrowserClick(); };
    if (SortExt) {
        SortExt->OnClick = [this](gui::TComponent*) { SortExtClick(); };
    }
    Hoch2.SetCaption(L"..");
    Hoch.SetCaption(L"\\");
    DriveComboBox.SetDisplayStyle(doLongPrettyName);
    Chain(PathComboBox.OnExit, [this](gui::TComponent*) { PathComboBoxExit(); });
    Chain(DriveComboBox.OnExit, [this](gui::TComponent*) { DriveComboBoxExit(); });
    Chain(DriveComboBox.OnKeyDown,
          [this](gui::TComponent*, WORD& key, gui::TShiftState shift) { DriveComboBoxKeyDown(key, shift); });
    Chain(DirView.OnEnter, [this](gui::TComponent*) { DirViewEnter(); });
    Chain(DirView.OnDirUpdated, [this](gui::TComponent*) { DirViewDirUpdated(); });
    Chain(DirView.OnHeaderEndTrack, [this](gui::TComponent*) { DirViewHeaderEndTrack(); });
    DirView.PopupMenu = &form_.PopupMenu1;
    Chain(DirView.OnMouseDown,
          [this](gui::TComponent*, gui::TMouseButton, gui::TShiftState, int, int) { GaugeToMinimum(form_.Gauge1); });
    Chain(DirView.OnKeyDown,
          [this](gui::TComponent*, WORD& key, gui::TShiftState shift) { DirViewKeyDown(key, shift); });
}

void OstrelPane::SetFolder(const std::wstring& folder) {
    if (folder.empty()) {
        return;
    }
    DriveView.SetDirectory(folder);
    DirView.SetPath(DriveView.Directory());
    int index = PathComboBox.IndexOf(DriveView.Directory());
    if (index < 0) {
        PathComboBox.InsertItem(0, DriveView.Directory());
        index = 0;
    }
    PathComboBox.SetItemIndex(index);
}

void OstrelPane::DriveViewChange(HTREEITEM Node) {
    TOstrel_Form::AddToFolderHistory(PathComboBox, DriveView.Directory());
    if (DirView.ItemCount() == 0) {
        return;
    }
    DirView.SetItemFocused(0);
    int depth = 0;
    for (HTREEITEM up = Node ? DriveView.ParentNode(Node) : nullptr; up; up = DriveView.ParentNode(up)) {
        ++depth;
    }
    if (depth > 0 && depth <= kMaxRememberedDepth) {
        depthMemory_[static_cast<std::size_t>(depth)] = FolderName(DirView.Path());
    }
    // Deeper than the memory reaches there is nothing to recall (and nothing to reset).
    if (depth + 1 <= kMaxRememberedDepth) {
        std::wstring& below = depthMemory_[static_cast<std::size_t>(depth + 1)];
        for (int i = 0; i < DirView.ItemCount(); ++i) {
            if (!below.empty() && DirView.ItemCaption(i) == below) {
                DirView.SetItemFocused(i);
                DirView.SetItemSelected(i, true);
                SendMessageW(DirView.Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(i), FALSE);
            }
        }
        below = L"..";
    }
    const int focused = DirView.ItemFocused();
    if (focused >= 0 && DirView.ItemCaption(focused) != L"..") {
        DirView.SetItemSelected(focused, true);
    }
}

void OstrelPane::PathComboBoxChange() {
    const int index = PathComboBox.ItemIndex();
    if (index < 0) {
        return;
    }
    DriveView.SetDirectory(PathComboBox.Item(index));
    DirView.SetFocus();
}

void OstrelPane::PathComboBoxExit() {
    DriveComboBox.SetDrive(DriveView.GetSelectedDrive());
}

void OstrelPane::DriveComboBoxExit() {
    DriveView.SelectDrive(DriveComboBox.Drive());
}

void OstrelPane::DriveComboBoxKeyDown(WORD& Key, gui::TShiftState) {
    if (Key == VK_RETURN) {
        DirView.SetFocus();
    }
}

void OstrelPane::DriveListClick() {
    TOstrel_Form::MoveCursorToControl(DriveComboBox);
    SendMessageW(DriveComboBox.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    DriveComboBox.SetFocus();
}

void OstrelPane::HochClick() {
    const std::wstring folder = DriveView.Directory();
    if (!folder.empty()) {
        DriveView.SetDirectory(folder.substr(0, 1) + L":\\");
    }
}

void OstrelPane::Hoch2Click() {
    const HTREEITEM node = DriveView.Selected();
    if (!node) {
        return;
    }
    if (const HTREEITEM parent = DriveView.ParentNode(node)) {
        DriveView.SelectNode(parent);
    }
    // The folder just left is selected by now; in a long list it may be out of sight.
    const int selected = ListView_GetNextItem(DirView.Handle(), -1, LVNI_SELECTED);
    if (selected >= 0) {
        ListView_EnsureVisible(DirView.Handle(), selected, FALSE);
    }
}

void OstrelPane::SortExtClick() {
    DirView.SetSortByExtension(IsChecked(SortExt));
}

void OstrelPane::BrowserClick() {
    TBrowseForFolderDialog& dialog = form_.BrowseForFolderDialog1;
    dialog.Title = browseTitle_;
    dialog.Directory = DriveView.Directory();
    if (!dialog.Execute(form_.Handle())) {
        return;
    }
    for (int i = 0; i < DirView.ItemCount(); ++i) {
        DirView.SetItemSelected(i, false);
    }
    DriveView.SetDirectory(dialog.Directory);
    if (DirView.ItemCount() > 0) {
        DirView.SetItemFocused(0);
    }
    DirView.SetFocus();
    if (DirView.ItemCount() > 0) {
        DirView.SetItemSelected(0, true);
    }
}

void OstrelPane::DirViewEnter() {
    if (Side == PaneSide::Input) {
        SelectAndFocusFirst(DirView);
        return;
    }
    // Entering the output pane scrolls it back to its left edge and takes the selection from the input pane.
    if (DirView.ItemCount() > 0) {
        SelectAndFocusFirst(DirView);
        // Posted as a whole key press, so no key is left held down.
        PostMessageW(DirView.Handle(), WM_KEYDOWN, VK_LEFT, 1);
        PostMessageW(DirView.Handle(), WM_KEYUP, VK_LEFT, 0xC0000001);
    }
    other_->DirView.ClearSelection();
}

// The commands behind the keys act on the focused pane, which is this one.
void OstrelPane::DirViewKeyDown(WORD& Key, gui::TShiftState) {
    GaugeToMinimum(form_.Gauge1);
    switch (Key) {
    case VK_DELETE:
        if (DirView.SelCount() > 0 && !DirView.IsEditing()) {
            form_.Entfernen1Click();
        }
        break;
    case VK_BACK:
        if (!DirView.IsEditing()) {
            Hoch2Click();
        }
        break;
    case VK_INSERT:
        form_.Einfgen1Click();
        break;
    case VK_ADD:
        form_.Allesmarkieren1Click();
        break;
    case VK_SUBTRACT:
        form_.Auswahlumkehren1Click();
        break;
    default:
        break;
    }
}

void OstrelPane::DirViewDirUpdated() {
    if (DirView.ItemCount() <= 1) {
        GaugeToMinimum(form_.Gauge1);
    }
}

void OstrelPane::DirViewHeaderEndTrack() {
    CopyColumnWidths(DirView, other_->DirView, IsChecked(form_.MenuItem(L"Attr1")));
}

#pragma once
// The standard controls: labels, buttons, check boxes, radio buttons and groups, group boxes, edits, memos,
// combo and list boxes. Each is the native control, subclassed; its notifications come back as typed events.
// Constructors take the parent, the name and the design bounds (left, top, width, height).
#include "gui/Control.h"

#include <cstddef>
#include <deque>

namespace gui {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

class TLabel : public TControl {
public:
    TLabel(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 65, int height = 13);
    void SetText(const std::wstring& text) override;
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wrap);
    void SetAlignment(TAlignment alignment);

protected:
    bool HandleCommand(WORD code, LRESULT& result) override;
    HBRUSH HandleCtlColor(UINT msg, HDC dc) override;

private:
    void UpdateStyle();
    void FitToText();
    bool autoSize_ = true;
    bool wordWrap_ = false;
    TAlignment alignment_ = TAlignment::taLeftJustify;
};

class TButton : public TControl {
public:
    TButton(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 75, int height = 25);
    // Sets the parent form's ModalResult (when not mrNone), then runs OnClick.
    void Click() override;
    TModalResult ModalResult = mrNone;
    // Enter presses the default button, Esc the cancel button.
    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    // A caption too long for one line breaks between words onto the next lines.
    void SetWordWrap(bool wrap);

protected:
    TButton(TControl* parent, std::wstring name, int left, int top, int width, int height, DWORD style);
    bool HandleCommand(WORD code, LRESULT& result) override;

private:
    bool default_ = false;
    bool cancel_ = false;
};

enum class TBitBtnKind { bkCustom, bkOK, bkCancel, bkYes, bkNo, bkClose, bkAbort };

class TBitBtn : public TButton {
public:
    TBitBtn(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 75, int height = 25);
    ~TBitBtn() override;
    // A standard kind sets the modal result and, for OK/Yes, Default, for Cancel/No, Cancel.
    void SetKind(TBitBtnKind kind);
    // The picture beside the caption; the button takes ownership of the bitmap.
    void SetGlyph(HBITMAP bitmap);

protected:
    void AfterDeferredCreation() override;

private:
    win::UniqueBitmap glyph_;
};

// A button that never takes the focus (tool and function-key bars act on the control that has it).
class TSpeedButton : public TButton {
public:
    TSpeedButton(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 23, int height = 22);
    ~TSpeedButton() override;
    // A picture instead of the caption; the button takes ownership of the icon.
    void SetIcon(HICON icon);
    // With a GroupIndex the button stays down when clicked, and the other buttons of the group come up.
    int GroupIndex = 0;
    bool AllowAllUp = false;
    bool Down() const { return down_; }
    void SetDown(bool down);
    void Click() override;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool down_ = false;
    bool pressed_ = false;
    win::UniqueIcon icon_;
};

class TCheckBox : public TControl {
public:
    TCheckBox(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 97, int height = 17);
    bool Checked() const;
    // OnClick runs when the value changes, whether the user or the program changed it.
    void SetChecked(bool checked);
    void Click() override;
    // A caption too long for one line breaks between words onto the next lines.
    void SetWordWrap(bool wrap);

protected:
    bool HandleCommand(WORD code, LRESULT& result) override;
    HBRUSH HandleCtlColor(UINT msg, HDC dc) override;
    void AfterDeferredCreation() override;

private:
    bool checked_ = false; // while the window is not made
};

class TRadioButton : public TControl {
public:
    TRadioButton(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 113, int height = 17);
    bool Checked() const;
    // Checking a radio button unchecks the other radio buttons of its parent; OnClick runs when it becomes
    // checked.
    void SetChecked(bool checked);
    void Click() override;

protected:
    bool HandleCommand(WORD code, LRESULT& result) override;
    HBRUSH HandleCtlColor(UINT msg, HDC dc) override;
    void AfterDeferredCreation() override;

private:
    friend class TRadioGroup;
    // Checks or unchecks the button alone, raising nothing.
    void SetCheckState(bool checked);
    bool silent_ = false;  // set by a radio group, which raises its own event
    bool checked_ = false; // while the window is not made
};

class TGroupBox : public TControl {
public:
    TGroupBox(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 185, int height = 105);

protected:
    RECT AlignArea() const override;
    HBRUSH HandleCtlColor(UINT msg, HDC dc) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};

class TRadioGroup : public TGroupBox {
public:
    TRadioGroup(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 185, int height = 105);
    ~TRadioGroup() override;
    void SetItems(const std::vector<std::wstring>& items);
    int Count() const { return static_cast<int>(buttons_.size()); }
    std::wstring Item(int index) const;
    void SetItem(int index, const std::wstring& text);
    TRadioButton* Button(int index) const { return buttons_.at(static_cast<size_t>(index)).get(); }
    int ItemIndex() const { return itemIndex_; }
    // OnClick runs when the index changes, by the user or the program; -1 checks nothing.
    void SetItemIndex(int index);
    int Columns() const { return columns_; }
    void SetColumns(int columns);
    void SetEnabled(bool enabled) override;

protected:
    void AfterChildrenAligned() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Arrange();
    std::vector<std::unique_ptr<TRadioButton>> buttons_;
    int itemIndex_ = -1;
    int columns_ = 1;
};

class TEdit : public TControl {
public:
    TEdit(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 121, int height = 21);
    // 0 = no limit.
    void SetMaxLength(int length);
    void SetPasswordChar(wchar_t ch);
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const;
    void SelectAll();
    void SetSelection(int start, int length);
    int SelStart() const;
    // OnChange runs at every change of the text (typing or SetText with a different text).
    TNotifyEvent OnChange;

protected:
    TEdit(TControl* parent, std::wstring name, int left, int top, int width, int height, DWORD style);
    bool HandleCommand(WORD code, LRESULT& result) override;
    HBRUSH HandleCtlColor(UINT msg, HDC dc) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void AfterDeferredCreation() override;

private:
    int maxLength_ = -1; // -1: not set
    wchar_t passwordChar_ = 0;
};

// A multi-line edit whose vertical scroll bar shows only while its text has more lines than it can show.
class TMemo : public TEdit {
public:
    TMemo(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 185, int height = 89);
    void SetText(const std::wstring& text) override;
    std::vector<std::wstring> Lines() const;
    void SetLines(const std::vector<std::wstring>& lines);
    void AddLine(const std::wstring& line);
    void Clear() { SetText(L""); }
    // Adds text at the end, every line end in it (CR, LF or CR LF) made CR LF, without reading the memo's text
    // back: the cost of an append does not grow with what the memo holds. The caret goes to the end.
    void Append(const std::wstring& text);
    // The memo keeps about this many lines (0: no bound): once a tenth more are there, the oldest go down to it.
    void SetMaxLines(std::size_t maxLines);

protected:
    bool HandleCommand(WORD code, LRESULT& result) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void AfterDeferredCreation() override;

private:
    void UpdateScrollBar();
    void TrackLines(const std::wstring& text);
    void DropOldestLines();
    bool updatingScrollBar_ = false;
    std::size_t maxLines_ = 0;
    // Lengths of the memo's ended lines (their CR LF included) and of the unended last one, in characters: the
    // oldest lines are cut by position, without reading the text.
    std::deque<std::size_t> lineLengths_;
    std::size_t openLineLength_ = 0;
};

enum class TComboBoxStyle { csDropDown, csDropDownList };

class TComboBox : public TControl {
public:
    TComboBox(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 145, int height = 21,
              TComboBoxStyle style = TComboBoxStyle::csDropDownList);
    int AddItem(const std::wstring& text);
    void InsertItem(int index, const std::wstring& text);
    void DeleteItem(int index);
    void ClearItems();
    int Count() const;
    std::wstring Item(int index) const;
    void SetItem(int index, const std::wstring& text);
    int IndexOf(const std::wstring& text) const;
    int ItemIndex() const;
    // Selects without raising OnChange (OnChange is the user's change).
    void SetItemIndex(int index);
    std::wstring Text() const override;
    void SetText(const std::wstring& text) override;
    TNotifyEvent OnChange;

protected:
    // ownerDrawStyle: the owner-drawing styles, which the native control takes only when its window is made.
    TComboBox(TControl* parent, std::wstring name, int left, int top, int width, int height, TComboBoxStyle style,
              DWORD ownerDrawStyle);
    bool HandleCommand(WORD code, LRESULT& result) override;
    void AfterDeferredCreation() override;

private:
    bool KeepsItems() const;
    TComboBoxStyle style_;
    // The items and selection of a drop-down list while its window is not made.
    std::vector<std::wstring> items_;
    int itemIndex_ = -1;
};

class TListBox : public TControl {
public:
    TListBox(TControl* parent, std::wstring name, int left = 0, int top = 0, int width = 121, int height = 97,
             bool multiSelect = false);
    int AddItem(const std::wstring& text);
    void InsertItem(int index, const std::wstring& text);
    void DeleteItem(int index);
    void MoveItem(int from, int to);
    void ClearItems();
    int Count() const;
    std::wstring Item(int index) const;
    std::vector<std::wstring> Items() const;
    int ItemIndex() const;
    void SetItemIndex(int index);
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    int SelCount() const;

protected:
    bool HandleCommand(WORD code, LRESULT& result) override;

private:
    bool multi_ = false;
};

} // namespace gui

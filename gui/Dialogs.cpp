#include "gui/Dialogs.h"

#include "gui/Application.h"
#include "win/Handles.h"
#include "win/MeasuringDC.h"

#include <commdlg.h>

namespace gui {

namespace {
TCommonDialogHook& Hook() {
    static TCommonDialogHook hook;
    return hook;
}
} // namespace

TCommonDialogHook SetCommonDialogHook(TCommonDialogHook hook) {
    TCommonDialogHook previous = std::move(Hook());
    Hook() = std::move(hook);
    return previous;
}

bool TCommonDialog::Execute(HWND owner) {
    if (!owner)
        owner = GetActiveWindow();
    if (!owner && Application.MainForm())
        owner = Application.MainForm()->Handle();
    if (Hook())
        return Hook()(*this);
    return Run(owner);
}

bool TOpenDialog::Run(HWND owner) {
    // "a|b|c|d" becomes "a\0b\0c\0d\0\0".
    std::wstring filter = Filter;
    for (wchar_t& c : filter)
        if (c == L'|')
            c = L'\0';
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    std::vector<wchar_t> buffer(32768, L'\0');
    if (!FileName.empty())
        FileName.copy(buffer.data(), std::min<size_t>(FileName.size(), buffer.size() - 1));
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = Filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(FilterIndex);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<DWORD>(buffer.size());
    ofn.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    ofn.lpstrTitle = Title.empty() ? nullptr : Title.c_str();
    ofn.lpstrDefExt = DefaultExt.empty() ? nullptr : DefaultExt.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING;
    if (Options & ofOverwritePrompt)
        ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (Options & ofHideReadOnly)
        ofn.Flags |= OFN_HIDEREADONLY;
    if (Options & ofAllowMultiSelect)
        ofn.Flags |= OFN_ALLOWMULTISELECT;
    if (Options & ofPathMustExist)
        ofn.Flags |= OFN_PATHMUSTEXIST;
    if (Options & ofFileMustExist)
        ofn.Flags |= OFN_FILEMUSTEXIST;
    if (Options & ofNoChangeDir)
        ofn.Flags |= OFN_NOCHANGEDIR;
    if (Options & ofNoReadOnlyReturn)
        ofn.Flags |= OFN_NOREADONLYRETURN;
    BOOL ok = IsSave() ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!ok)
        return false;
    FilterIndex = static_cast<int>(ofn.nFilterIndex);
    Files.clear();
    // Several files come as the folder followed by the names, each ended by a null.
    std::wstring first(buffer.data());
    const wchar_t* next = buffer.data() + first.size() + 1;
    if ((Options & ofAllowMultiSelect) && *next) {
        std::wstring folder = first;
        if (!folder.empty() && folder.back() != L'\\')
            folder += L'\\';
        while (*next) {
            std::wstring name(next);
            Files.push_back(folder + name);
            next += name.size() + 1;
        }
    } else {
        Files.push_back(first);
    }
    FileName = Files.front();
    return true;
}

bool TFontDialog::Run(HWND owner) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(Font.Size, win::ScreenPixelsPerInchY(), 72);
    lf.lfWeight = Font.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = Font.Italic;
    lf.lfUnderline = Font.Underline;
    lf.lfStrikeOut = Font.StrikeOut;
    lstrcpynW(lf.lfFaceName, Font.Name.c_str(), LF_FACESIZE);
    CHOOSEFONTW cf{};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = owner;
    cf.lpLogFont = &lf;
    cf.Flags = CF_INITTOLOGFONTSTRUCT | CF_SCREENFONTS | CF_EFFECTS;
    cf.rgbColors = Font.Color == clDefault ? 0 : Font.Color;
    if (!ChooseFontW(&cf))
        return false;
    Font.Name = lf.lfFaceName;
    Font.Size = cf.iPointSize / 10;
    Font.Bold = lf.lfWeight >= FW_BOLD;
    Font.Italic = lf.lfItalic;
    Font.Underline = lf.lfUnderline;
    Font.StrikeOut = lf.lfStrikeOut;
    Font.Color = cf.rgbColors;
    return true;
}

bool TColorDialog::Run(HWND owner) {
    static COLORREF custom[16] = {};
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = Color;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&cc))
        return false;
    Color = cc.rgbResult;
    return true;
}

} // namespace gui

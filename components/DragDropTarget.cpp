// The drop source, the drop target and the right-button drop menu of TDragDrop.
#include "components/DragDrop.h"

#include "components/BaseUtils.h"
#include "win/Handles.h"
#include "win/Trace.h"

namespace {

bool RefusesOwnDrag(const TDragDrop& Component) {
    return !Component.AcceptOwnDnD && Component.OwnDrag();
}

void AppendMenuItem(HMENU Menu, int Id, const std::wstring& Text, bool Separator, bool Default) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
    info.fType = Separator ? MFT_SEPARATOR : MFT_STRING;
    info.fState = Default ? MFS_DEFAULT : 0;
    info.wID = static_cast<UINT>(Id);
    std::wstring text = Text;
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
    InsertMenuItemW(Menu, static_cast<UINT>(GetMenuItemCount(Menu)), TRUE, &info);
}

POINT ToPoint(POINTL pt) {
    return POINT{pt.x, pt.y};
}

} // namespace

TDropMenuTexts DropMenuTextsFor(WORD PrimaryLanguage) {
    switch (PrimaryLanguage) {
    case LANG_GERMAN:
        return {L"Hierher &kopieren", L"Hierher &verschieben", L"Verkn\u00fcpfung(en) hier &erstellen", L"&Abbrechen"};
    case LANG_FRENCH:
        return {L"&Copier ici", L"&Transf\u00e9rer ici", L"&Cr\u00e9er un ou des raccourci(s) ici", L"&Arr\u00eat"};
    case LANG_ITALIAN:
        return {L"&Copiare qui", L"&Muoversi qui", L"&Scorciatoia(e) crea qui", L"&Terminazione"};
    case LANG_POLISH:
        return {L"&Kopiuj tutaj", L"&Przenie\u015b tutaj", L"Utw\u00f3rz &skr\u00f3t(y) tutaj", L"&Anuluj"};
    case LANG_PORTUGUESE:
        return {L"&Cop\u00ede aqui", L"&Mova aqui", L"&Atalho(s) cr\u00eda aqui", L"&Aborto"};
    case LANG_SPANISH:
        return {L"&Copie aqu\u00ed", L"&Mu\u00e9vase aqu\u00ed", L"&Atajo(s) crea aqu\u00ed ", L"&Aborto"};
    default:
        return {L"&Copy Here", L"&Move Here", L"&Shortcut(s) Create Here", L"&Abort"};
    }
}

const TDropMenuTexts& DropMenuTexts() {
    static const TDropMenuTexts texts = DropMenuTextsFor(PRIMARYLANGID(GetUserDefaultLangID()));
    return texts;
}

// --- TDropSource -----------------------------------------------------------------------------------------------

HRESULT STDMETHODCALLTYPE TDropSource::QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) {
    return gui::Guarded("TDropSource::QueryContinueDrag", static_cast<HRESULT>(DRAGDROP_S_CANCEL), [&] {
        HRESULT result;
        if (fEscapePressed || ((grfKeyState & MK_LBUTTON) && (grfKeyState & MK_RBUTTON))) {
            result = DRAGDROP_S_CANCEL;
            if (FOwner)
                FOwner->FOwnDrag = false;
        } else if (grfKeyState & (MK_LBUTTON | MK_RBUTTON)) {
            result = S_OK;
        } else {
            result = DRAGDROP_S_DROP;
        }
        if (FOwner && FOwner->OnQueryContinueDrag)
            FOwner->OnQueryContinueDrag(fEscapePressed, grfKeyState, result);
        return result;
    });
}

HRESULT STDMETHODCALLTYPE TDropSource::GiveFeedback(DWORD dwEffect) {
    return gui::Guarded("TDropSource::GiveFeedback", static_cast<HRESULT>(DRAGDROP_S_USEDEFAULTCURSORS), [&] {
        HRESULT result = DRAGDROP_S_USEDEFAULTCURSORS;
        if (FOwner && FOwner->OnGiveFeedback)
            FOwner->OnGiveFeedback(dwEffect, result);
        return result;
    });
}

// --- TDropTarget -----------------------------------------------------------------------------------------------

TDropTarget::TDropTarget(TDragDrop* Owner)
    : FOwner(Owner), FScroller(std::make_unique<TDragScroller>(Owner, Owner->ScrollDetectOptions())) {
    FScroller->OnBeforeScrolling = [Owner](gui::TComponent* Sender, POINT pt, TScrollInterval& Interval,
                                           TScrollDirection Direction, bool& ScrollPage) {
        if (Owner->OnBeforeScrolling)
            Owner->OnBeforeScrolling(Sender, pt, Interval, Direction, ScrollPage);
    };
    FScroller->OnAfterScrolling = [Owner](gui::TComponent* Sender) {
        if (Owner->OnAfterScrolling)
            Owner->OnAfterScrolling(Sender);
    };
}

void TDropTarget::Detach() {
    if (FScroller) {
        FScroller->StopScrolling();
        FScroller->SetControl(nullptr);
        FScroller->OnBeforeScrolling = nullptr;
        FScroller->OnAfterScrolling = nullptr;
    }
    FOwner = nullptr;
}

void TDropTarget::GetEffect(DWORD grfKeyState, DWORD& dwEffect) {
    const DWORD allowed = dwEffect;
    DWORD effect = 0;
    if (!FOwner)
        return void(dwEffect = 0);
    const DWORD target = DropEffectMask(FOwner->TargetEffects());
    const bool shift = (grfKeyState & MK_SHIFT) != 0;
    const bool control = (grfKeyState & MK_CONTROL) != 0;
    if (RefusesOwnDrag(*FOwner))
        effect = DROPEFFECT_NONE;
    else if (shift && !control && (target & DROPEFFECT_MOVE))
        effect = DROPEFFECT_MOVE;
    else if (shift && control && (target & DROPEFFECT_LINK))
        effect = DROPEFFECT_LINK;
    else if ((target & DROPEFFECT_COPY) && (allowed & DROPEFFECT_COPY))
        effect = DROPEFFECT_COPY;
    else if ((target & DROPEFFECT_MOVE) && (allowed & DROPEFFECT_MOVE))
        effect = DROPEFFECT_MOVE;
    else if ((target & DROPEFFECT_LINK) && (allowed & DROPEFFECT_LINK))
        effect = DROPEFFECT_LINK;
    if (FOwner->FScrollState != 0)
        effect |= DROPEFFECT_SCROLL;
    dwEffect = effect;
}

void TDropTarget::QueryAccept(IDataObject*, bool& Accept) {
    Accept = true;
}

void TDropTarget::RenderDropped(IDataObject*, DWORD, POINT, DWORD&) {}

HRESULT STDMETHODCALLTYPE TDropTarget::DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt,
                                                 DWORD* pdwEffect) {
    if (!pdwEffect)
        return E_INVALIDARG;
    const DWORD allowed = *pdwEffect;
    *pdwEffect = DROPEFFECT_NONE;
    FAccept = false;
    if (!FOwner)
        return S_OK;
    gui::GuardedVoid("TDropTarget::DragEnter", [&] {
        TDragDrop& owner = *FOwner;
        owner.FInProcessSource = TDragDrop::RunningDrag();
        owner.FAllowedEffects = allowed;
        owner.FRightButton = (grfKeyState & MK_RBUTTON) != 0;
        bool rendered = true;
        if (owner.RenderDataOn == rdoEnter || owner.RenderDataOn == rdoEnterAndDropSync ||
            owner.RenderDataOn == rdoEnterAndDropAsync) {
            try {
                DWORD effect = allowed;
                RenderDropped(pDataObj, grfKeyState, ToPoint(pt), effect);
            } catch (...) {
                win::TraceCaught(L"TDropTarget::DragEnter");
                rendered = false; // malformed data: this drag can drop nothing here
            }
        }
        DWORD effect = allowed;
        GetEffect(grfKeyState, effect);
        bool accept = false;
        QueryAccept(pDataObj, accept);
        FAccept = accept && rendered;
        if (owner.OnDragEnter)
            owner.OnDragEnter(pDataObj, grfKeyState, owner.ScreenToControl(ToPoint(pt)), effect, FAccept);
        if (RefusesOwnDrag(owner) || !FAccept)
            effect = DROPEFFECT_NONE;
        *pdwEffect = effect;
    });
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TDropTarget::DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) {
    if (!pdwEffect)
        return E_INVALIDARG;
    const DWORD allowed = *pdwEffect;
    *pdwEffect = DROPEFFECT_NONE;
    if (!FOwner)
        return S_OK;
    gui::GuardedVoid("TDropTarget::DragOver", [&] {
        TDragDrop& owner = *FOwner;
        FScroller->DragOver();
        DWORD effect = FAccept ? allowed : 0;
        GetEffect(grfKeyState, effect);
        if (owner.OnDragOver)
            owner.OnDragOver(grfKeyState, owner.ScreenToControl(ToPoint(pt)), effect);
        if (RefusesOwnDrag(owner) || !FAccept)
            effect = DROPEFFECT_NONE;
        *pdwEffect = effect;
    });
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TDropTarget::DragLeave() {
    if (!FOwner)
        return S_OK;
    gui::GuardedVoid("TDropTarget::DragLeave", [&] {
        TDragDrop& owner = *FOwner;
        owner.FInProcessSource = nullptr;
        if (owner.OnDragLeave)
            owner.OnDragLeave();
        owner.FAllowedEffects = 0;
        FScroller->StopScrolling();
    });
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TDropTarget::Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) {
    if (!pdwEffect)
        return E_INVALIDARG;
    const DWORD allowed = *pdwEffect;
    *pdwEffect = DROPEFFECT_NONE;
    if (!FOwner)
        return E_FAIL;
    return gui::Guarded("TDropTarget::Drop", static_cast<HRESULT>(E_FAIL), [&]() -> HRESULT {
        TDragDrop& owner = *FOwner;
        const POINT screen = ToPoint(pt);
        const DWORD keys = grfKeyState | (owner.FRightButton ? MK_RBUTTON : MK_LBUTTON);
        DWORD effect = FAccept ? allowed : 0;
        GetEffect(keys, effect);
        if (owner.OnDragOver)
            owner.OnDragOver(keys, owner.ScreenToControl(screen), effect);
        if (RefusesOwnDrag(owner) || !FAccept)
            effect = DROPEFFECT_NONE;
        FScroller->StopScrolling();
        // Scrolling means nothing once the data are dropped.
        effect &= ~DROPEFFECT_SCROLL;

        DWORD handlerEffect = effect;
        if (owner.ExecuteDropHandler(pDataObj, keys, screen, handlerEffect)) {
            // The handler did the work; E_FAIL with no effect keeps the source from moving anything itself.
            owner.FInProcessSource = nullptr;
            owner.DoDropHandlerSucceeded(keys, screen, handlerEffect);
            return E_FAIL;
        }
        if (owner.FRightButton && owner.TargetPopupMenu && effect != DROPEFFECT_NONE)
            owner.ShowDropMenu(pDataObj, keys, screen, effect);
        if (owner.OnDrop)
            owner.OnDrop(pDataObj, keys, owner.ScreenToControl(screen), effect);
        if (effect == DROPEFFECT_NONE) {
            owner.FInProcessSource = nullptr;
            return E_FAIL;
        }
        if (owner.BringToFront && owner.FWindow)
            SetForegroundWindow(GetAncestor(owner.FWindow, GA_ROOT));
        owner.FSavedKeyState = keys;
        owner.FSavedPoint = screen;
        owner.FSavedEffect = effect;
        owner.ClearSavedDrop();
        if (owner.RenderDataOn == rdoDropAsync || owner.RenderDataOn == rdoEnterAndDropAsync) {
            owner.FSavedData = pDataObj;
        } else if (owner.RenderDataOn == rdoDropSync || owner.RenderDataOn == rdoEnterAndDropSync) {
            THourGlass hourglass;
            try {
                DWORD renderEffect = effect;
                RenderDropped(pDataObj, keys, screen, renderEffect);
            } catch (...) {
                // Malformed data from another program: nothing was dropped, and no processing follows.
                win::TraceCaught(L"TDropTarget::Drop");
                owner.FInProcessSource = nullptr;
                return E_FAIL;
            }
        }
        owner.FSavedDropPending = true;
        if (owner.FWindow)
            PostMessageW(owner.FWindow, DDM_ProcessDropped(), 0, 0);
        *pdwEffect = effect;
        return S_OK;
    });
}

// --- Drop menu -------------------------------------------------------------------------------------------------

int TDragDrop::ShowDropMenu(IDataObject* DataObj, DWORD grfKeyState, POINT pt, DWORD& dwEffect) {
    const win::UniqueMenu menu(CreatePopupMenu());
    if (!menu)
        return DropMenuCancelId;
    const TDropMenuTexts& texts = DropMenuTexts();
    const DWORD allowed = FAllowedEffects;
    const DWORD current = dwEffect & ~DROPEFFECT_SCROLL;
    if (FTargetEffects.Contains(deMove) && (allowed & DROPEFFECT_MOVE))
        AppendMenuItem(menu.get(), DropMenuMoveId, texts.Move, false, current == DROPEFFECT_MOVE);
    if (FTargetEffects.Contains(deCopy) && (allowed & DROPEFFECT_COPY))
        AppendMenuItem(menu.get(), DropMenuCopyId, texts.Copy, false, current == DROPEFFECT_COPY);
    if (FTargetEffects.Contains(deLink) && (allowed & DROPEFFECT_LINK))
        AppendMenuItem(menu.get(), DropMenuLinkId, texts.Shortcut, false, current == DROPEFFECT_LINK);
    AppendMenuItem(menu.get(), DropMenuSeparatorId, L"-", true, false);
    AppendMenuItem(menu.get(), DropMenuCancelId, texts.Cancel, false, false);

    // Whatever happens inside, the menu is destroyed and its handlers are told.
    struct TDestroyNotice {
        TDragDrop* Self;
        HMENU Menu;
        ~TDestroyNotice() {
            gui::GuardedVoid("TDragDrop::DoMenuDestroy", [&] { Self->DoMenuDestroy(Self, Menu); });
        }
    } destroyNotice{this, menu.get()};
    DoMenuPopup(this, menu.get(), DataObj, DropMenuFirstCustomId, grfKeyState, pt);
    dwEffect = DROPEFFECT_NONE;
    const int id = TrackDropMenu ? TrackDropMenu(menu.get(), pt)
                                 : static_cast<int>(TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, pt.x,
                                                                     pt.y, FWindow, nullptr));
    switch (id) {
    case DropMenuMoveId:
        dwEffect = DROPEFFECT_MOVE;
        break;
    case DropMenuCopyId:
        dwEffect = DROPEFFECT_COPY;
        break;
    case DropMenuLinkId:
        dwEffect = DROPEFFECT_LINK;
        break;
    case DropMenuCancelId:
    case DropMenuSeparatorId:
        break;
    default:
        if (DoMenuExecCmd(this, menu.get(), DataObj, id, dwEffect) && OnMenuSucceeded)
            OnMenuSucceeded(this, grfKeyState, ScreenToControl(pt), dwEffect);
        break;
    }
    return id;
}

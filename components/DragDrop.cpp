#include "components/DragDrop.h"

#include "win/Handles.h"
#include "win/Trace.h"

#include <commctrl.h>
#include <wrl/client.h>

#include <cstdlib>

using Microsoft::WRL::ComPtr;

// The process-wide detection: one mouse hook, owned by one component at a time. The hook is local to the
// user-interface thread, which sees every mouse message the control's thread receives.
struct TDragDetection {
    static HHOOK Hook;
    static TDragDrop* Owner;
    static TDragDrop* Running;

    static void RemoveHook() {
        if (Hook)
            UnhookWindowsHookEx(Hook);
        Hook = nullptr;
        Owner = nullptr;
    }
    static void InstallHook(TDragDrop* NewOwner) {
        RemoveHook();
        Hook = SetWindowsHookExW(WH_MOUSE, HookProc, nullptr, GetCurrentThreadId());
        Owner = Hook ? NewOwner : nullptr;
    }
    // Ends the detection of whichever component owns the hook; it learns of it through OnDragDetect.
    static void EndDetection() {
        TDragDrop* previous = Owner;
        RemoveHook();
        if (previous)
            previous->SetStatus(ddsNone, TDragDrop::KeyboardKeyState(), CursorPos());
    }
    static POINT CursorPos() {
        POINT pt{0, 0};
        GetCursorPos(&pt);
        return pt;
    }
    static LRESULT CALLBACK HookProc(int Code, WPARAM wParam, LPARAM lParam) {
        LRESULT result = CallNextHookEx(nullptr, Code, wParam, lParam);
        // Only messages taken off the queue count: a peek without removal would count a button-up twice.
        if (Code == HC_ACTION && lParam) {
            const POINT pt = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->pt;
            gui::GuardedVoid("drag detection hook", [&] { MouseMessage(static_cast<UINT>(wParam), pt); });
        }
        return result;
    }
    static bool IsLeftDown(UINT Msg) {
        return Msg == WM_LBUTTONDOWN || Msg == WM_LBUTTONDBLCLK || Msg == WM_NCLBUTTONDOWN || Msg == WM_NCLBUTTONDBLCLK;
    }
    static bool IsRightDown(UINT Msg) {
        return Msg == WM_RBUTTONDOWN || Msg == WM_RBUTTONDBLCLK || Msg == WM_NCRBUTTONDOWN || Msg == WM_NCRBUTTONDBLCLK;
    }
    static bool IsMiddleDown(UINT Msg) {
        return Msg == WM_MBUTTONDOWN || Msg == WM_MBUTTONDBLCLK || Msg == WM_NCMBUTTONDOWN || Msg == WM_NCMBUTTONDBLCLK;
    }
    static bool IsLeftUp(UINT Msg) { return Msg == WM_LBUTTONUP || Msg == WM_NCLBUTTONUP; }
    static bool IsRightUp(UINT Msg) { return Msg == WM_RBUTTONUP || Msg == WM_NCRBUTTONUP; }
    static bool IsMiddleUp(UINT Msg) { return Msg == WM_MBUTTONUP || Msg == WM_NCMBUTTONUP; }

    // One mouse message as the hook sees it; pt in screen coordinates.
    static void MouseMessage(UINT Msg, POINT pt) {
        TDragDrop* owner = Owner;
        if (!owner) {
            RemoveHook();
            return;
        }
        const DWORD keys = TDragDrop::KeyboardKeyState();
        const TDragDetectStatus status = owner->FDragDetectStatus;
        const bool anyDown = IsLeftDown(Msg) || IsRightDown(Msg) || IsMiddleDown(Msg);
        const bool anyUp = IsLeftUp(Msg) || IsRightUp(Msg) || IsMiddleUp(Msg);
        if ((status == ddsRight && IsLeftDown(Msg)) || (status == ddsLeft && IsRightDown(Msg))) {
            owner->FButtonUpCount = 2;
            owner->SetStatus(ddsCancelled, keys, pt);
            return;
        }
        if (status == ddsCancelled) {
            if (anyDown) {
                owner->FButtonUpCount = 2;
            } else if (anyUp && --owner->FButtonUpCount <= 0) {
                RemoveHook();
                owner->SetStatus(ddsNone, keys, pt);
            }
            return;
        }
        if ((status == ddsLeft && IsLeftUp(Msg)) || (status == ddsRight && IsRightUp(Msg))) {
            RemoveHook();
            owner->SetStatus(ddsNone, keys, pt);
            return;
        }
        if (anyDown || anyUp)
            return;
        const int delta = owner->DragDetectDelta;
        if (std::abs(pt.x - owner->FDetectStart.x) <= delta && std::abs(pt.y - owner->FDetectStart.y) <= delta)
            return;
        if (status != ddsLeft && status != ddsRight)
            return;
        RemoveHook();
        // The handler normally runs the drag here; whatever it does, detection is over afterwards.
        owner->SetStatus(ddsDrag, keys, pt);
        if (owner->FDragDetectStatus != ddsNone)
            owner->SetStatus(ddsNone, TDragDrop::KeyboardKeyState(), CursorPos());
    }
};

HHOOK TDragDetection::Hook = nullptr;
TDragDrop* TDragDetection::Owner = nullptr;
TDragDrop* TDragDetection::Running = nullptr;

namespace {

constexpr UINT_PTR SubclassId = 0x44724472; // "DrDr": one subclass per component, keyed with the component too

} // namespace

DWORD DropEffectMask(TDropEffectSet Effects) {
    DWORD mask = 0;
    if (Effects.Contains(deCopy))
        mask |= DROPEFFECT_COPY;
    if (Effects.Contains(deMove))
        mask |= DROPEFFECT_MOVE;
    if (Effects.Contains(deLink))
        mask |= DROPEFFECT_LINK;
    return mask;
}

UINT DDM_ProcessDropped() {
    static const UINT message = RegisterWindowMessageW(L"DDM_ProcessDropped");
    return message;
}

TDragDrop::TDragDrop(std::wstring Name) : gui::TComponent(std::move(Name)) {
    // OLE stays initialised on this thread while the component lives (the calls are counted per thread).
    FOleInitialized = SUCCEEDED(OleInitialize(nullptr));
    FDropTarget = win::AdoptCom(new TDropTarget(this));
    DDM_ProcessDropped();
    DropMenuTexts();
}

TDragDrop::~TDragDrop() {
    if (TDragDetection::Owner == this)
        TDragDetection::RemoveHook();
    if (TDragDetection::Running == this)
        TDragDetection::Running = nullptr;
    Revoke();
    Unsubclass();
    ClearSavedDrop();
    if (FDropTarget) {
        FDropTarget->Detach();
        FDropTarget.Reset();
    }
    if (FOleInitialized)
        OleUninitialize();
}

TDragDrop* TDragDrop::RunningDrag() {
    return TDragDetection::Running;
}

DWORD TDragDrop::KeyboardKeyState() {
    DWORD keys = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        keys |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0)
        keys |= MK_CONTROL;
    return keys;
}

void TDragDrop::SetDragDropControl(gui::TControl* Control) {
    FControl = Control;
    AttachWindow(Control ? Control->Handle() : nullptr);
}

void TDragDrop::SetDragDropWindow(HWND Window) {
    FControl = nullptr;
    AttachWindow(Window);
}

void TDragDrop::AttachWindow(HWND Window) {
    Revoke();
    Unsubclass();
    FWindow = Window;
    FDropTarget->Scroller().SetControl(Window);
    Register();
}

void TDragDrop::SetSourceEffects(TDropEffectSet Effects) {
    FSourceEffects = Effects;
    FSourceMask = DropEffectMask(Effects);
    if (!FSubclassed && FSourceMask != 0)
        Subclass();
    else if (FSubclassed && FSourceMask == 0 && FTargetMask == 0)
        Unsubclass();
}

void TDragDrop::SetTargetEffects(TDropEffectSet Effects) {
    FTargetEffects = Effects;
    FTargetMask = DropEffectMask(Effects);
    if (!FRegistered && FTargetMask != 0)
        Register();
    else if (FRegistered && FTargetMask == 0)
        Revoke();
}

void TDragDrop::Subclass() {
    if (ControlForwardsMessages || !FWindow || !IsWindow(FWindow) || FSubclassed ||
        (FSourceMask == 0 && FTargetMask == 0))
        return;
    FSubclassed = SetWindowSubclass(FWindow, ControlProc, SubclassId, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

void TDragDrop::Unsubclass() {
    if (FSubclassed && FWindow && IsWindow(FWindow))
        RemoveWindowSubclass(FWindow, ControlProc, SubclassId);
    FSubclassed = false;
}

void TDragDrop::Register() {
    Subclass();
    if (FRegistered || FTargetMask == 0 || !FWindow || !IsWindow(FWindow))
        return;
    CoLockObjectExternal(FDropTarget.Get(), TRUE, FALSE);
    if (SUCCEEDED(RegisterDragDrop(FWindow, FDropTarget.Get())))
        FRegistered = true;
    else
        CoLockObjectExternal(FDropTarget.Get(), FALSE, FALSE); // the lock belongs to a registration only
}

void TDragDrop::Revoke() {
    if (!FRegistered || !FWindow)
        return;
    if (FSourceMask == 0 && FTargetMask == 0)
        Unsubclass();
    CoLockObjectExternal(FDropTarget.Get(), FALSE, FALSE);
    if (IsWindow(FWindow) && FAILED(RevokeDragDrop(FWindow)))
        return;
    FRegistered = false;
}

void TDragDrop::ReplaceDropTarget(TDropTarget* Target) {
    if (!Target)
        return;
    const bool wasRegistered = FRegistered;
    Revoke();
    FDropTarget->Detach();
    FDropTarget = win::AdoptCom(Target);
    FDropTarget->Scroller().SetControl(FWindow);
    if (wasRegistered)
        Register();
}

POINT TDragDrop::ScreenToControl(POINT pt) const {
    if (FWindow)
        ScreenToClient(FWindow, &pt);
    return pt;
}

LRESULT CALLBACK TDragDrop::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR refData) {
    // The control's own handling comes first; the component only watches.
    const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
    auto* self = reinterpret_cast<TDragDrop*>(refData);
    gui::GuardedVoid("TDragDrop control procedure", [&] { self->HandleControlMessage(hwnd, msg, wParam, lParam); });
    return result;
}

void TDragDrop::ControlMessage(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Window && Window == FWindow)
        gui::GuardedVoid("TDragDrop control message", [&] { HandleControlMessage(Window, Msg, WParam, LParam); });
}

LRESULT TDragDrop::HandleControlMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == DDM_ProcessDropped()) {
        ProcessDropped();
        return 0;
    }
    switch (msg) {
    case WM_DESTROY:
        if (FRegistered) {
            CoLockObjectExternal(FDropTarget.Get(), FALSE, FALSE);
            RevokeDragDrop(hwnd);
            FRegistered = false;
        }
        if (FSubclassed)
            RemoveWindowSubclass(hwnd, ControlProc, SubclassId);
        FSubclassed = false;
        FDropTarget->Scroller().StopScrolling();
        FDropTarget->Scroller().SetControl(nullptr);
        FWindow = nullptr;
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        if (AutoDetectDnD && FDragDetectStatus == ddsNone && FSourceMask != 0) {
            if (TDragDetection::Owner && TDragDetection::Owner != this)
                TDragDetection::EndDetection();
            FDetectStart = TDragDetection::CursorPos();
            FDragDetectStatus = msg == WM_LBUTTONDOWN ? ddsLeft : ddsRight;
            if (OnDragDetect) {
                const POINT start = ScreenToControl(FDetectStart);
                OnDragDetect(static_cast<DWORD>(wParam), start, start, FDragDetectStatus);
            }
            TDragDetection::InstallHook(this);
        }
        break;
    case WM_HSCROLL:
    case WM_VSCROLL: {
        const int bit = msg == WM_HSCROLL ? 1 : 2;
        if (LOWORD(wParam) != SB_ENDSCROLL)
            FScrollState |= bit;
        else
            FScrollState &= ~bit;
        break;
    }
    case WM_MOUSEMOVE:
        if (TDragDetection::Hook && (wParam & (MK_LBUTTON | MK_RBUTTON)) == 0)
            TDragDetection::EndDetection();
        break;
    default:
        break;
    }
    return 0;
}

void TDragDrop::SetStatus(TDragDetectStatus Status, DWORD grfKeyState, POINT ScreenPt) {
    FDragDetectStatus = Status;
    FireDragDetect(grfKeyState, ScreenPt);
}

void TDragDrop::FireDragDetect(DWORD grfKeyState, POINT ScreenPt) {
    if (OnDragDetect)
        OnDragDetect(grfKeyState, ScreenToControl(FDetectStart), ScreenToControl(ScreenPt), FDragDetectStatus);
}

void TDragDrop::StartDragDetect(int Button) {
    if (Button != 0 && Button != 1) {
        if (TDragDetection::Owner == this)
            TDragDetection::RemoveHook();
        if (FDragDetectStatus != ddsNone)
            SetStatus(ddsNone, KeyboardKeyState(), TDragDetection::CursorPos());
        return;
    }
    if (TDragDetection::Owner && TDragDetection::Owner != this)
        TDragDetection::EndDetection();
    FDragDetectStatus = Button == 0 ? ddsLeft : ddsRight;
    FDetectStart = TDragDetection::CursorPos();
    TDragDetection::InstallHook(this);
    FireDragDetect(KeyboardKeyState(), FDetectStart);
}

TDragResult TDragDrop::Execute() {
    return ExecuteOperation(CreateDataObject());
}

TDragResult TDragDrop::ExecuteOperation(TDataObject* DataObject) {
    // The caller's reference is ours on every path, and so is the running-drag mark once set.
    const ComPtr<TDataObject> owned = win::AdoptCom(DataObject);
    if (!DataObject || TDragDetection::Running)
        return drInvalid;
    TDragDetection::Running = this;
    struct TEndDrag {
        ~TEndDrag() { TDragDetection::Running = nullptr; }
    } endDrag;
    if (FSourceMask == 0) {
        FDragDetectStatus = ddsNone;
        return drCancelled;
    }
    if (TDragDetection::Hook) {
        TDragDrop* detecting = TDragDetection::Owner;
        TDragDetection::RemoveHook();
        if (detecting && detecting != this)
            detecting->SetStatus(ddsNone, KeyboardKeyState(), TDragDetection::CursorPos());
    }
    FDragDetectStatus = ddsDrag;
    DataObject->CheckLindex = SourceCompatibility.Contains(CheckLindex);
    DataObject->CheckdwAspect = SourceCompatibility.Contains(CheckdwAspect);

    TDragResult result = drInvalid;
    try {
        FOwnDrag = true;
        const ComPtr<TDropSource> source = win::AdoptCom(new TDropSource(this));
        DWORD effect = 0;
        const HRESULT hr = DoDragDrop(DataObject, source.Get(), FSourceMask, &effect);
        if (hr == DRAGDROP_S_DROP) {
            if (effect & DROPEFFECT_COPY)
                result = drCopy;
            else if (effect & DROPEFFECT_MOVE)
                result = drMove;
            else if (effect & DROPEFFECT_LINK)
                result = drLink;
            else
                result = drMove; // a target that moved the data itself reports no effect
        } else {
            result = drCancelled;
        }
    } catch (...) {
        win::TraceCaught(L"TDragDrop::ExecuteOperation");
        result = drInvalid;
    }
    FOwnDrag = false;
    FDragDetectStatus = ddsNone;
    gui::GuardedVoid("TDragDrop OnDragDetect",
                     [&] { FireDragDetect(KeyboardKeyState(), TDragDetection::CursorPos()); });
    return result;
}

bool TDragDrop::CopyToClipboard() {
    const ComPtr<TDataObject> object = win::AdoptCom(CreateDataObject());
    if (!object)
        return false;
    object->CheckLindex = SourceCompatibility.Contains(CheckLindex);
    object->CheckdwAspect = SourceCompatibility.Contains(CheckdwAspect);
    return SUCCEEDED(OleSetClipboard(object.Get()));
}

bool TDragDrop::GetFromClipboard() {
    ComPtr<IDataObject> object;
    if (FAILED(OleGetClipboard(&object)) || !object)
        return false;
    DWORD effect = DROPEFFECT_COPY;
    FDropTarget->RenderDropped(object.Get(), 0, POINT{-1, -1}, effect);
    return true;
}

void TDragDrop::ClearSavedDrop() {
    FSavedData.Reset();
}

void TDragDrop::ProcessDropped() {
    if (!FSavedDropPending)
        return;
    FSavedDropPending = false;
    bool rendered = true;
    if ((RenderDataOn == rdoDropAsync || RenderDataOn == rdoEnterAndDropAsync) && FSavedData) {
        HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        try {
            DWORD effect = FSavedEffect;
            FDropTarget->RenderDropped(FSavedData.Get(), FSavedKeyState, FSavedPoint, effect);
        } catch (...) {
            // Malformed data from another program: nothing was dropped.
            win::TraceCaught(L"TDragDrop::ProcessDropped");
            rendered = false;
        }
        SetCursor(previous);
    }
    ClearSavedDrop();
    // The drag is over for this target whatever the handler does.
    struct TForgetDrag {
        TDragDrop* Self;
        ~TForgetDrag() {
            Self->FAllowedEffects = 0;
            Self->FInProcessSource = nullptr;
        }
    } forget{this};
    if (rendered && OnProcessDropped)
        OnProcessDropped(this, FSavedKeyState, ScreenToControl(FSavedPoint), FSavedEffect);
}

void TDragDrop::DoMenuPopup(gui::TComponent* Sender, HMENU AMenu, IDataObject* DataObj, int AMinCustCmd,
                            DWORD grfKeyState, POINT pt) {
    if (OnMenuPopup)
        OnMenuPopup(Sender, AMenu, DataObj, AMinCustCmd, grfKeyState, ScreenToControl(pt));
}

bool TDragDrop::DoMenuExecCmd(gui::TComponent* Sender, HMENU AMenu, IDataObject* DataObj, int Command,
                              DWORD& dwEffect) {
    bool succeeded = false;
    if (OnMenuExecCmd)
        OnMenuExecCmd(Sender, AMenu, DataObj, Command, dwEffect, succeeded);
    return succeeded;
}

void TDragDrop::DoMenuDestroy(gui::TComponent* Sender, HMENU AMenu) {
    if (OnMenuDestroy)
        OnMenuDestroy(Sender, AMenu);
}

bool TDragDrop::ExecuteDropHandler(IDataObject*, DWORD, POINT, DWORD&) {
    return false;
}

void TDragDrop::DoDropHandlerSucceeded(DWORD, POINT, DWORD) {}

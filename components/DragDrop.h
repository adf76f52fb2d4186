#pragma once
// OLE drag-and-drop for one windowed control, in both directions.
//
// How a view uses it (through the file-carrying descendant TDragDropFilesEx, DragDropFilesEx.h):
//   - construct it as a member, SetDragDropControl(&view) once the view's window exists, then
//     SetSourceEffects({deCopy, deMove, deLink}) and SetTargetEffects(...) to become a drag source / drop target;
//   - as a source: fill FileList(), call Execute() (usually from OnDragDetect with ddsDrag, or from the list
//     view's begin-drag notice) and look at the TDragResult; AutoDetectDnD lets the component detect the start of a
//     drag from the control's own button-down messages, StartDragDetect(0|1) starts detection on request;
//   - as a target: OnDragEnter/OnDragOver/OnDragLeave/OnDrop see the drag (OnDrop may still change the effect or
//     set it to 0); the dropped data are read after OnDrop, so read FileList() in OnProcessDropped, which follows
//     every successful drop through a posted message (with rdoEnter* the list is also filled at DragEnter);
//   - clipboard: fill FileList() and call CopyToClipboard(); GetFromClipboard() reads a clipboard object into
//     FileList() (key state 0, point (-1, -1), effect DROPEFFECT_COPY).
// Every point handed to an event is in client coordinates of the control. Everything runs on the thread that
// owns the control; the component keeps OLE initialised on that thread while it lives.
#include "components/ComponentErrors.h"
#include "components/DataObject.h"
#include "components/DragScroll.h"
#include "gui/Control.h"
#include "gui/Types.h"

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

// Raised by the drag-and-drop components and the views' drag-and-drop commands.
class EDragDrop : public EComponentError {
public:
    using EComponentError::EComponentError;
};

// A set of the enumerators of a small enumeration, as a bit mask.
template <class E> class TEnumSet {
public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> Items) {
        for (E Item : Items)
            FBits |= Bit(Item);
    }
    constexpr bool Contains(E Item) const { return (FBits & Bit(Item)) != 0; }
    constexpr TEnumSet& Include(E Item) {
        FBits |= Bit(Item);
        return *this;
    }
    constexpr TEnumSet& Exclude(E Item) {
        FBits &= ~Bit(Item);
        return *this;
    }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr bool operator==(const TEnumSet&) const = default;

private:
    static constexpr unsigned Bit(E Item) { return 1u << static_cast<unsigned>(Item); }
    unsigned FBits = 0;
};

enum TDropEffect { deCopy, deMove, deLink };
using TDropEffectSet = TEnumSet<TDropEffect>;
// DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK bits of a set.
DWORD DropEffectMask(TDropEffectSet Effects);

enum TDragDetectStatus { ddsNone, ddsLeft, ddsRight, ddsCancelled, ddsDrag };
enum TRenderDataOn { rdoEnter, rdoEnterAndDropSync, rdoEnterAndDropAsync, rdoDropSync, rdoDropAsync, rdoNever };
enum TSrcCompatibilityCheck { CheckLindex, CheckdwAspect };
using TSrcCompatibilityCheckSet = TEnumSet<TSrcCompatibilityCheck>;

// drInvalid: no drag took place (no data object, another drag of this process running, or an error).
enum TDragResult { drInvalid, drCancelled, drCopy, drMove, drLink };

// Effects and key states are the OLE values (DROPEFFECT_*, MK_*). Parameters passed by reference may be changed.
using TOnDragEnter =
    std::function<void(IDataObject* DataObj, DWORD grfKeyState, POINT pt, DWORD& dwEffect, bool& Accept)>;
using TOnDragLeave = std::function<void()>;
using TOnDragOver = std::function<void(DWORD grfKeyState, POINT pt, DWORD& dwEffect)>;
using TOnDrop = std::function<void(IDataObject* DataObj, DWORD grfKeyState, POINT pt, DWORD& dwEffect)>;
using TOnQueryContinueDrag = std::function<void(BOOL fEscapePressed, DWORD grfKeyState, HRESULT& Result)>;
using TOnGiveFeedback = std::function<void(DWORD dwEffect, HRESULT& Result)>;
using TOnDragDetect =
    std::function<void(DWORD grfKeyState, POINT DetectStart, POINT pt, TDragDetectStatus DragDetectStatus)>;
using TOnProcessDropped = std::function<void(gui::TComponent* Sender, DWORD grfKeyState, POINT pt, DWORD dwEffect)>;
using TOnMenuPopup = std::function<void(gui::TComponent* Sender, HMENU AMenu, IDataObject* DataObj, int AMinCustCmd,
                                        DWORD grfKeyState, POINT pt)>;
using TOnMenuExecCmd = std::function<void(gui::TComponent* Sender, HMENU AMenu, IDataObject* DataObj, int Command,
                                          DWORD& dwEffect, bool& Succeeded)>;
using TOnMenuDestroy = std::function<void(gui::TComponent* Sender, HMENU AMenu)>;

// The texts of the right-button drop menu in one language; "&" marks the access key.
struct TDropMenuTexts {
    std::wstring Copy;
    std::wstring Move;
    std::wstring Shortcut;
    std::wstring Cancel;
};
// The texts for a primary language id (LANG_GERMAN, LANG_POLISH, ...); English for every language not known.
TDropMenuTexts DropMenuTextsFor(WORD PrimaryLanguage);
// The texts of the user's default locale, chosen once per process.
const TDropMenuTexts& DropMenuTexts();
// The message number of "DDM_ProcessDropped", posted to the control after a drop.
UINT DDM_ProcessDropped();

// Drop-menu command ids; application items start at AMinCustCmd.
enum : int {
    DropMenuCancelId = 0,
    DropMenuMoveId = 1,
    DropMenuCopyId = 2,
    DropMenuLinkId = 3,
    DropMenuSeparatorId = 4
};
constexpr int DropMenuFirstCustomId = 10;

class TDragDrop;

// The IDropSource handed to DoDragDrop for one drag.
class TDropSource : public TDDInterfacedObject<IDropSource> {
public:
    explicit TDropSource(TDragDrop* Owner) : FOwner(Owner) {}
    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) override;
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD dwEffect) override;

private:
    TDragDrop* FOwner;
};

// The IDropTarget registered for the control. OLE may hold it beyond the component's life: once the component
// is gone (Detach) every call answers "no effect".
class TDropTarget : public TDDInterfacedObject<IDropTarget> {
public:
    explicit TDropTarget(TDragDrop* Owner);

    // OLE hands points in screen coordinates.
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override;

    // In: the effects the source allows; out: the effect of a drop with these keys.
    virtual void GetEffect(DWORD grfKeyState, DWORD& dwEffect);
    // Whether the data can be dropped here at all; the engine accepts everything.
    virtual void QueryAccept(IDataObject* DataObj, bool& Accept);
    // Reads the dropped data; the engine reads nothing. pt is in screen coordinates ((-1, -1) for a paste). May
    // raise: the engine catches it at the COM and window boundaries and treats the drop as failed.
    virtual void RenderDropped(IDataObject* DataObj, DWORD grfKeyState, POINT pt, DWORD& dwEffect);

    bool Accept() const { return FAccept; }
    TDragScroller& Scroller() { return *FScroller; }
    TDragDrop* Owner() const { return FOwner; }
    // The component goes: forget it and stop scrolling.
    void Detach();

protected:
    TDragDrop* FOwner;

private:
    bool FAccept = false;
    std::unique_ptr<TDragScroller> FScroller;
};

class TDragDrop : public gui::TComponent {
public:
    explicit TDragDrop(std::wstring Name = {});
    ~TDragDrop() override;

    // Design values.
    bool AcceptOwnDnD = false;
    bool AutoDetectDnD = false;
    bool BringToFront = false;
    BYTE DragDetectDelta = 10;
    TRenderDataOn RenderDataOn = rdoDropSync;
    TSrcCompatibilityCheckSet SourceCompatibility{CheckLindex, CheckdwAspect};
    bool TargetPopupMenu = true;

    // The control served. Setting it releases the previous one and registers / subclasses the new one as the
    // effect sets ask. The component must not outlive the control's window without being reset to null first
    // (a view owning it as a member is fine: its window is destroyed after its members).
    gui::TControl* DragDropControl() const { return FControl; }
    void SetDragDropControl(gui::TControl* Control);
    // Set before SetDragDropControl by a control that hands every message of its window to ControlMessage after
    // its own handling: the component then watches the window without a subclass of its own.
    bool ControlForwardsMessages = false;
    void ControlMessage(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);
    // The same for a window that has no TControl object (dialogs, tests).
    HWND DragDropWindow() const { return FWindow; }
    void SetDragDropWindow(HWND Window);

    TDropEffectSet SourceEffects() const { return FSourceEffects; }
    void SetSourceEffects(TDropEffectSet Effects);
    TDropEffectSet TargetEffects() const { return FTargetEffects; }
    void SetTargetEffects(TDropEffectSet Effects);
    TScrollDetectOptions& ScrollDetectOptions() { return FScrollDetectOptions; }

    // Runs a drag with CreateDataObject's object (modal until the drag ends).
    TDragResult Execute();
    // Runs a drag with DataObject; takes over the caller's reference to it on every path.
    TDragResult ExecuteOperation(TDataObject* DataObject);
    // 0 = left, 1 = right, any other value ends detection.
    virtual void StartDragDetect(int Button);
    // True when OleSetClipboard accepted CreateDataObject's object.
    virtual bool CopyToClipboard();
    // True when the clipboard gave a data object; it is read by the target's RenderDropped.
    virtual bool GetFromClipboard();
    bool CopyToClipBoard() { return CopyToClipboard(); }
    bool GetFromClipBoard() { return GetFromClipboard(); }

    // State.
    TDragDetectStatus DragDetectStatus() const { return FDragDetectStatus; }
    bool Registered() const { return FRegistered; }
    bool Subclassed() const { return FSubclassed; }
    // True while this component's own drag runs.
    bool OwnDrag() const { return FOwnDrag; }
    // The drag entered with the right button.
    bool RightButtonDrag() const { return FRightButton; }
    // The component of this process whose drag is over this target now (null: none or a foreign one).
    TDragDrop* InProcessSource() const { return FInProcessSource; }
    // The effects the source allowed at DragEnter.
    DWORD SourceAllowedEffects() const { return FAllowedEffects; }
    // The drop target object (a COM object; the component holds one reference).
    TDropTarget* DropTarget() const { return FDropTarget.Get(); }
    // The process's running drag, if any.
    static TDragDrop* RunningDrag();

    gui::TNotifyEvent OnAfterScrolling;
    TOnBeforeScrolling OnBeforeScrolling;
    TOnDragDetect OnDragDetect;
    TOnDragEnter OnDragEnter;
    TOnDragLeave OnDragLeave;
    TOnDragOver OnDragOver;
    TOnDrop OnDrop;
    TOnQueryContinueDrag OnQueryContinueDrag;
    TOnGiveFeedback OnGiveFeedback;
    TOnProcessDropped OnProcessDropped;
    TOnMenuPopup OnMenuPopup;
    TOnMenuExecCmd OnMenuExecCmd;
    TOnMenuDestroy OnMenuDestroy;
    TOnProcessDropped OnMenuSucceeded;

    // Shows the drop menu and returns the chosen id (0 when none); TrackPopupMenuEx unless replaced (tests pick
    // an item here). pt is in screen coordinates.
    std::function<int(HMENU Menu, POINT pt)> TrackDropMenu;

    // The keys held now as MK_SHIFT | MK_CONTROL.
    static DWORD KeyboardKeyState();

protected:
    // The data to drag or copy; null when there is nothing. The caller owns the one reference returned.
    virtual TDataObject* CreateDataObject() = 0;
    // Menu points are in screen coordinates; the events receive client coordinates.
    virtual void DoMenuPopup(gui::TComponent* Sender, HMENU AMenu, IDataObject* DataObj, int AMinCustCmd,
                             DWORD grfKeyState, POINT pt);
    virtual bool DoMenuExecCmd(gui::TComponent* Sender, HMENU AMenu, IDataObject* DataObj, int Command,
                               DWORD& dwEffect);
    virtual void DoMenuDestroy(gui::TComponent* Sender, HMENU AMenu);
    // Offers the drop to a handler of the item under the mouse; true when it took it. pt in screen coordinates.
    virtual bool ExecuteDropHandler(IDataObject* DataObj, DWORD grfKeyState, POINT pt, DWORD& dwEffect);
    // A drop handler took the drop (pt in screen coordinates); the engine announces nothing.
    virtual void DoDropHandlerSucceeded(DWORD grfKeyState, POINT pt, DWORD dwEffect);
    // Puts a derived drop target in place of the engine's; only before a control is set.
    void ReplaceDropTarget(TDropTarget* Target);
    POINT ScreenToControl(POINT pt) const;

private:
    friend class TDropSource;
    friend class TDropTarget;
    friend struct TDragDetection;

    static LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                        DWORD_PTR refData);
    LRESULT HandleControlMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void AttachWindow(HWND Window);
    void Register();
    void Revoke();
    void Subclass();
    void Unsubclass();
    void ProcessDropped();
    void FireDragDetect(DWORD grfKeyState, POINT ScreenPt);
    void SetStatus(TDragDetectStatus Status, DWORD grfKeyState, POINT ScreenPt);
    int ShowDropMenu(IDataObject* DataObj, DWORD grfKeyState, POINT pt, DWORD& dwEffect);
    void ClearSavedDrop();

    bool FOleInitialized = false;
    gui::TControl* FControl = nullptr;
    HWND FWindow = nullptr;
    TDropEffectSet FSourceEffects;
    TDropEffectSet FTargetEffects;
    DWORD FSourceMask = 0;
    DWORD FTargetMask = 0;
    bool FRegistered = false;
    bool FSubclassed = false;
    bool FOwnDrag = false;
    bool FRightButton = false;
    TDragDetectStatus FDragDetectStatus = ddsNone;
    POINT FDetectStart{0, 0};
    DWORD FAllowedEffects = 0;
    int FScrollState = 0;
    Microsoft::WRL::ComPtr<IDataObject> FSavedData;
    DWORD FSavedKeyState = 0;
    POINT FSavedPoint{0, 0};
    DWORD FSavedEffect = 0;
    bool FSavedDropPending = false;
    TDragDrop* FInProcessSource = nullptr;
    int FButtonUpCount = 0;
    Microsoft::WRL::ComPtr<TDropTarget> FDropTarget;
    TScrollDetectOptions FScrollDetectOptions;
};

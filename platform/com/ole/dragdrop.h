// Drag and drop between windows of this process with the Windows names: a drop source answers
// whether the gesture goes on, drop targets are registered on windows, and DoDragDrop runs the
// gesture as a nested event loop. Nothing leaves the process: no data object is needed (the
// windows involved find each other through window messages), and the loop reads the pointer and
// the keys through platform::ui::input(), so tests script a whole gesture offscreen.
#pragma once

#include "platform/com/ole/oleidl.h"

// Effects a target reports and a source allows.
inline constexpr DWORD DROPEFFECT_NONE = 0;
inline constexpr DWORD DROPEFFECT_COPY = 1;
inline constexpr DWORD DROPEFFECT_MOVE = 2;
inline constexpr DWORD DROPEFFECT_LINK = 4;
inline constexpr DWORD DROPEFFECT_SCROLL = 0x80000000u;

// Key state bits handed to sources and targets.
inline constexpr DWORD MK_LBUTTON = 0x0001;
inline constexpr DWORD MK_RBUTTON = 0x0002;
inline constexpr DWORD MK_SHIFT = 0x0004;
inline constexpr DWORD MK_CONTROL = 0x0008;
inline constexpr DWORD MK_MBUTTON = 0x0010;
inline constexpr DWORD MK_ALT = 0x0020;

inline constexpr HRESULT DRAGDROP_S_DROP = hr(0x00040100);
inline constexpr HRESULT DRAGDROP_S_CANCEL = hr(0x00040101);
inline constexpr HRESULT DRAGDROP_S_USEDEFAULTCURSORS = hr(0x00040102);
inline constexpr HRESULT DRAGDROP_E_NOTREGISTERED = hr(0x80040100);
inline constexpr HRESULT DRAGDROP_E_ALREADYREGISTERED = hr(0x80040101);
inline constexpr HRESULT DRAGDROP_E_INVALIDHWND = hr(0x80040102);

struct IDropSource : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{00000121-0000-0000-C000-000000000046}");
    // S_OK to go on, DRAGDROP_S_DROP to drop where the pointer is, DRAGDROP_S_CANCEL to stop.
    [[nodiscard]] virtual HRESULT QueryContinueDrag(
        BOOL fEscapePressed, DWORD grfKeyState) noexcept = 0;
    // DRAGDROP_S_USEDEFAULTCURSORS lets the loop show the cursor of the effect.
    [[nodiscard]] virtual HRESULT GiveFeedback(DWORD dwEffect) noexcept = 0;

protected:
    ~IDropSource() = default;
};

struct IDropTarget : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{00000122-0000-0000-C000-000000000046}");
    // pt is in screen coordinates; *pdwEffect comes in as the source's allowed effects and goes
    // out as the effect a drop here would have.
    [[nodiscard]] virtual HRESULT DragEnter(
        IDataObject *pDataObj, DWORD grfKeyState, POINTL pt, DWORD *pdwEffect) noexcept = 0;
    [[nodiscard]] virtual HRESULT DragOver(
        DWORD grfKeyState, POINTL pt, DWORD *pdwEffect) noexcept = 0;
    [[nodiscard]] virtual HRESULT DragLeave() noexcept = 0;
    [[nodiscard]] virtual HRESULT Drop(
        IDataObject *pDataObj, DWORD grfKeyState, POINTL pt, DWORD *pdwEffect) noexcept = 0;

protected:
    ~IDropTarget() = default;
};

// Makes the window take drops through target (one reference kept). DRAGDROP_E_INVALIDHWND for a
// handle that is not a live window, DRAGDROP_E_ALREADYREGISTERED when it already has a target,
// E_INVALIDARG for a null target. The registration ends with RevokeDragDrop or with the window.
[[nodiscard]] HRESULT RegisterDragDrop(HWND hwnd, IDropTarget *target) noexcept;
// DRAGDROP_E_NOTREGISTERED when the window has no target (a dead window's entry is dropped too).
[[nodiscard]] HRESULT RevokeDragDrop(HWND hwnd) noexcept;
// The target registered on the window itself, null when none (no reference added).
IDropTarget *registeredDropTarget(HWND hwnd) noexcept;

// Runs the gesture until the source drops or cancels: at every round (each input event and at
// least every kDragPollMs) it asks the source whether to go on, finds the target under the pointer
// (the window there or its nearest ancestor with a registered target) and tells targets about
// entering, moving and leaving. Mouse and key input is held back from the windows meanwhile and the
// mouse is grabbed by the window that has the focus. Returns DRAGDROP_S_DROP with the target's
// effect in *pdwEffect, DRAGDROP_S_CANCEL with DROPEFFECT_NONE, E_INVALIDARG for a null source or
// out pointer, or the source's own failure code. pDataObj is handed to the targets unchanged.
[[nodiscard]] HRESULT DoDragDrop(
    IDataObject *pDataObj, IDropSource *pDropSource, DWORD dwOKEffects, DWORD *pdwEffect) noexcept;
inline constexpr int kDragPollMs = 10;

namespace platform::ui {
// The key state bits of the current input (buttons and modifiers).
DWORD currentKeyState() noexcept;
} // namespace platform::ui

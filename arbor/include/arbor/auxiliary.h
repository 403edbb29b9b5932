// The interfaces the control hands out besides IArbor: radio groups, hosted controls and the
// description of a hosted control's event. Each is a dual interface; members stand in vtable
// order, and collections are 0-based with `item` as their default member (DISPID 0).
#pragma once

#include "arbor/ids.h"
#include "platform/com/dispatch.h"

// The radio groups of one control.
struct IGroup;
struct IGroups : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = IID_IGroups;
    [[nodiscard]] virtual HRESULT get_Count(LONG *pVal) noexcept = 0; // [1]
    [[nodiscard]] virtual HRESULT Add(IGroup **pVal) noexcept = 0; // [2]
    [[nodiscard]] virtual HRESULT Remove(LONG nIndex) noexcept = 0; // [3]
    [[nodiscard]] virtual HRESULT get__NewEnum(IUnknown **pVal) noexcept = 0; // [-4]
    [[nodiscard]] virtual HRESULT get_item(LONG nIndex, IGroup **pVal) noexcept = 0; // [0]

protected:
    ~IGroups() = default;
};

// One radio group: a set of item handles.
struct IGroup : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = IID_IGroup;
    // S_OK, or 0x200 (a success code) when another group of the collection holds hItem already.
    [[nodiscard]] virtual HRESULT Add(LONG hItem) noexcept = 0; // [1]
    [[nodiscard]] virtual HRESULT Remove(LONG hItem) noexcept = 0; // [2]
    [[nodiscard]] virtual HRESULT get_Count(LONG *pVal) noexcept = 0; // [3]
    [[nodiscard]] virtual HRESULT get_item(LONG nIndex, LONG *pVal) noexcept = 0; // [0]

protected:
    ~IGroup() = default;
};
inline constexpr HRESULT ARBOR_S_ALREADYGROUPED = 0x200;

// One control hosted in an item; also the dispatch interface of its site, which is why it answers
// the ambient properties ShowHatching, ShowGrabHandles and UserMode.
struct IControl : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = IID_IControl;
    [[nodiscard]] virtual HRESULT get_Width(LONG *pVal) noexcept = 0; // [1]
    [[nodiscard]] virtual HRESULT put_Width(LONG newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Height(LONG *pVal) noexcept = 0; // [2]
    [[nodiscard]] virtual HRESULT put_Height(LONG newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Top(LONG *pVal) noexcept = 0; // [3]
    [[nodiscard]] virtual HRESULT put_Top(LONG newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Left(LONG *pVal) noexcept = 0; // [4]
    [[nodiscard]] virtual HRESULT put_Left(LONG newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Visible(VARIANT_BOOL *pVal) noexcept = 0; // [5]
    [[nodiscard]] virtual HRESULT put_Visible(VARIANT_BOOL newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Object(IDispatch **pVal) noexcept = 0; // [6]
    [[nodiscard]] virtual HRESULT get_hWnd(LONG *pVal) noexcept = 0; // [7]
    [[nodiscard]] virtual HRESULT get_Key(BSTR *pVal) noexcept = 0; // [8]
    [[nodiscard]] virtual HRESULT get_Resizable(VARIANT_BOOL *pVal) noexcept = 0; // [9]
    [[nodiscard]] virtual HRESULT put_Resizable(VARIANT_BOOL newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_WidthContainer(LONG newVal) noexcept = 0; // [10]
    [[nodiscard]] virtual HRESULT put_HeightContainer(LONG newVal) noexcept = 0; // [11]
    [[nodiscard]] virtual HRESULT MoveAt(LONG X, LONG Y) noexcept = 0; // [12]
    [[nodiscard]] virtual HRESULT get_ShowHatching(VARIANT_BOOL *pVal) noexcept = 0; // [-712]
    [[nodiscard]] virtual HRESULT get_ShowGrabHandles(VARIANT_BOOL *pVal) noexcept = 0; // [-711]
    [[nodiscard]] virtual HRESULT get_UserMode(LONG *pVal) noexcept = 0; // [-709], always 1

protected:
    ~IControl() = default;
};

// The hosted controls of one tree, found by key or 0-based position.
struct IControlHolder : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = IID_IControlHolder;
    [[nodiscard]] virtual HRESULT Add(BSTR progid, VARIANT Key, VARIANT nInitialWidth,
        VARIANT nInitalHeight, IControl **pVal) noexcept = 0; // [1]
    [[nodiscard]] virtual HRESULT get_Count(LONG *pVal) noexcept = 0; // [2]
    [[nodiscard]] virtual HRESULT Remove(VARIANT Key) noexcept = 0; // [3]
    [[nodiscard]] virtual HRESULT get_item(VARIANT Key, IControl **pVal) noexcept = 0; // [0]

protected:
    ~IControlHolder() = default;
};

// One parameter of a forwarded event: its declared name and the value the control passed.
struct IEventParamInfo : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = IID_IEventParamInfo;
    [[nodiscard]] virtual HRESULT get_name(BSTR *pVal) noexcept = 0; // [1]
    [[nodiscard]] virtual HRESULT get_Value(VARIANT *pVal) noexcept = 0; // [2]

protected:
    ~IEventParamInfo() = default;
};

// The parameters of a forwarded event in declaration order.
struct IEventsParamInfo : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = IID_IEventsParamInfo;
    [[nodiscard]] virtual HRESULT get_item(
        VARIANT nIndex, IEventParamInfo **pVal) noexcept = 0; // [0]
    [[nodiscard]] virtual HRESULT get_Count(LONG *pVal) noexcept = 0; // [2]

protected:
    ~IEventsParamInfo() = default;
};

// What the tree's ControlEvent carries: which hosted control raised which event, with what.
struct IEventInfo : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = IID_IEventInfo;
    [[nodiscard]] virtual HRESULT get_name(BSTR *pVal) noexcept = 0; // [1]
    [[nodiscard]] virtual HRESULT get_EventsParamInfo(IEventsParamInfo **pVal) noexcept = 0; // [2]
    [[nodiscard]] virtual HRESULT get_ID(LONG *pVal) noexcept = 0; // [3]
    [[nodiscard]] virtual HRESULT get_Owner(BSTR *pVal) noexcept = 0; // [4]

protected:
    ~IEventInfo() = default;
};

// IArbor, the control's dual interface, as a host sees it. The members stand in the control's
// virtual-table order (after IUnknown and IDispatch) and, within one property, in the order of its
// accessors. Optional parameters are VARIANTs (a host that leaves one out passes VT_ERROR with
// DISP_E_PARAMNOTFOUND), item handles and window handles are LONG, enumerations travel as LONG and
// colours as OLE_COLOR (0x00BBGGRR, or 0x80000000 | index for a system colour).
#pragma once

#include "arbor/enums.h"
#include "arbor/events.h"
#include "arbor/ids.h"
#include "platform/com/ole/stdfont.h"
#include "platform/com/ole/stdpicture.h"

struct IGroups;
struct IControlHolder;
struct IEventInfo;

struct IArbor : IDispatch {
    using Base = IDispatch;
    static constexpr IID iid = IID_IArbor;

    [[nodiscard]] virtual HRESULT get_BorderStyle(LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_BorderStyle(LONG newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT RemoveItem(LONG hItem, VARIANT *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT RemoveAllItems() noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ItemText(LONG hItem, BSTR *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_ItemText(LONG hItem, BSTR newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT AddItem(
        BSTR sItem, VARIANT hParent, VARIANT bDown, VARIANT *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT AddItemCheck(
        BSTR sItem, VARIANT nValue, VARIANT hParent, VARIANT bDown, VARIANT *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT AddItemCheck3(
        BSTR sItem, VARIANT nValue, VARIANT hParent, VARIANT bDown, VARIANT *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT AddItemRadio(
        BSTR sItem, VARIANT nValue, VARIANT hParent, VARIANT bDown, VARIANT *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT AddItemWindow(
        LONG hWnd, VARIANT hParent, VARIANT bDown, VARIANT *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT AddItemImage(
        BSTR sItem, VARIANT imageKey, VARIANT hParent, VARIANT bDown, VARIANT *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT AddItemIcon(BSTR sItem, VARIANT imageKeyCollapsed,
        VARIANT imageKeyExpanded, VARIANT hParent, VARIANT bDown, VARIANT *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT AddItemControl(BSTR progid, BSTR name, VARIANT hParent,
        VARIANT bDown, VARIANT nInitialWidth, VARIANT nInitialHeight, VARIANT *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ItemImage(LONG hItem, LONG type, VARIANT *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_ItemImage(LONG hItem, LONG type, VARIANT newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT AutoSort(LONG hItem, LONG nAscending, VARIANT bAuto) noexcept = 0;
    [[nodiscard]] virtual HRESULT EnsureVisible(LONG hItem) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ItemForeColor(LONG hItem, OLE_COLOR *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_ItemForeColor(LONG hItem, OLE_COLOR newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ExpandItem(LONG hItem, VARIANT_BOOL *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_ExpandItem(LONG hItem, VARIANT_BOOL newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_SelectItem(LONG hItem, VARIANT_BOOL *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_SelectItem(LONG hItem, VARIANT_BOOL newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Selection(VARIANT nIndex, VARIANT *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_SelectionCount(LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ItemValue(LONG hItem, VARIANT *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_ItemValue(LONG hItem, VARIANT newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Style(LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT ModifyStyle(VARIANT wRemoveStyle, VARIANT wAddStyle) noexcept = 0;
    [[nodiscard]] virtual HRESULT ModifyDropEffect(VARIANT removeVal, VARIANT addVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_DropEffect(LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_RootCount(LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Root(LONG nIndex, LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_hWnd(LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_BackColor(OLE_COLOR *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_BackColor(OLE_COLOR newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ItemChild(LONG hItem, LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ItemNext(LONG hItem, LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ItemPrev(LONG hItem, LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ItemLeft(LONG hItem, LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ItemRight(LONG hItem, LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ItemParent(LONG hItem, LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ItemSortPosition(LONG hItem, LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_ItemSortPosition(LONG hItem, LONG newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Controls(IControlHolder **pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Control(VARIANT item, IDispatch **pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT Refresh() noexcept = 0;
    [[nodiscard]] virtual HRESULT AddImage(VARIANT keyImage, VARIANT anPicture, VARIANT cx,
        VARIANT cy, VARIANT oleColorTransparent, VARIANT *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Image(VARIANT imageKey, LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Version(BSTR *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_Version(BSTR newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get__IEventInfo(IEventInfo **pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ItemData(LONG hItem, VARIANT *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_ItemData(LONG hItem, VARIANT newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT ChangeParentItem(LONG hItem, LONG hNewParent) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Enabled(VARIANT_BOOL *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_Enabled(VARIANT_BOOL newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_PicturePosition(LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_PicturePosition(LONG newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ItemBackColor(LONG hItem, OLE_COLOR *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_ItemBackColor(LONG hItem, OLE_COLOR newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ForeColor(OLE_COLOR *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_ForeColor(OLE_COLOR newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_MousePointer(LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_MousePointer(LONG newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT AddDropTarget(LONG hWnd) noexcept = 0;
    [[nodiscard]] virtual HRESULT RemoveDropTarget(LONG hWnd) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_FindItem(
        BSTR pszItemText, VARIANT bMatch, VARIANT hItemStart, VARIANT *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT RemoveItemRec(LONG hItem) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_ItemWidth(LONG hItem, LONG newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT ModifyDrawLink(
        LONG hItem, VARIANT dwRemove, VARIANT dwAdd) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_HitTest(LONG X, LONG Y, LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Groups(IGroups **pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT About() noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ItemWordWrap(LONG hItem, VARIANT_BOOL *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_ItemWordWrap(LONG hItem, VARIANT_BOOL newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_AutoHScroll(VARIANT_BOOL *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_AutoHScroll(VARIANT_BOOL newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_AutoVScroll(VARIANT_BOOL *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_AutoVScroll(VARIANT_BOOL newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ItemVAlignment(LONG hItem, LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_ItemVAlignment(LONG hItem, LONG newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ItemType(LONG hItem, LONG *pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT putref_Picture(IPictureDisp *newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_Picture(IPictureDisp *newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Picture(IPictureDisp **pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT putref_ItemFont(LONG hItem, IFontDisp *newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_ItemFont(LONG hItem, IFontDisp **pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_ItemFont(LONG hItem, IFontDisp *newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_Font(IFontDisp *newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_Font(IFontDisp **pVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT putref_Font(IFontDisp *newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT putref_MouseIcon(IPictureDisp *newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT put_MouseIcon(IPictureDisp *newVal) noexcept = 0;
    [[nodiscard]] virtual HRESULT get_MouseIcon(IPictureDisp **pVal) noexcept = 0;

protected:
    ~IArbor() = default;
};

// The dispatch identifiers of IArbor's members; a property's accessors share one.
namespace arbor::dispid {

inline constexpr DISPID BorderStyle = 1;
inline constexpr DISPID AddItem = 2;
inline constexpr DISPID RemoveItem = 3;
inline constexpr DISPID RemoveAllItems = 4;
inline constexpr DISPID ItemText = 5;
inline constexpr DISPID AddItemCheck = 6;
inline constexpr DISPID AddItemRadio = 7;
inline constexpr DISPID AddItemImage = 8;
inline constexpr DISPID AddItemWindow = 9;
inline constexpr DISPID AddItemControl = 10;
inline constexpr DISPID AutoSort = 11;
inline constexpr DISPID ItemImage = 12;
inline constexpr DISPID AddItemIcon = 13;
inline constexpr DISPID EnsureVisible = 14;
inline constexpr DISPID ExpandItem = 15;
inline constexpr DISPID SelectItem = 16;
inline constexpr DISPID SelectionCount = 17;
inline constexpr DISPID Selection = 18;
inline constexpr DISPID ItemForeColor = 19;
inline constexpr DISPID ItemBackColor = 20;
inline constexpr DISPID ItemValue = 21;
inline constexpr DISPID Style = 22;
inline constexpr DISPID DropEffect = 23;
inline constexpr DISPID ModifyStyle = 24;
inline constexpr DISPID ModifyDropEffect = 25;
inline constexpr DISPID RootCount = 26;
inline constexpr DISPID Root = 27;
inline constexpr DISPID ItemChild = 28;
inline constexpr DISPID ItemNext = 29;
inline constexpr DISPID ItemPrev = 30;
inline constexpr DISPID ItemLeft = 31;
inline constexpr DISPID ItemRight = 32;
inline constexpr DISPID ItemParent = 33;
inline constexpr DISPID ItemSortPosition = 34;
inline constexpr DISPID Controls = 35;
inline constexpr DISPID Control = 36;
inline constexpr DISPID Refresh = 37;
inline constexpr DISPID AddImage = 38;
inline constexpr DISPID Image = 39;
inline constexpr DISPID Version = 40;
inline constexpr DISPID EventInfo = 41; // the hidden `_IEventInfo`
inline constexpr DISPID ItemData = 42;
inline constexpr DISPID ChangeParentItem = 43;
inline constexpr DISPID ItemFont = 44;
inline constexpr DISPID Enabled = 45;
inline constexpr DISPID PicturePosition = 46;
inline constexpr DISPID AddDropTarget = 47;
inline constexpr DISPID RemoveDropTarget = 48;
inline constexpr DISPID FindItem = 49;
inline constexpr DISPID RemoveItemRec = 50;
inline constexpr DISPID ItemWidth = 51;
inline constexpr DISPID ModifyDrawLink = 52;
inline constexpr DISPID HitTest = 53;
inline constexpr DISPID Groups = 54;
inline constexpr DISPID AddItemCheck3 = 55;
inline constexpr DISPID ItemWordWrap = 57;
inline constexpr DISPID AutoHScroll = 58;
inline constexpr DISPID AutoVScroll = 59;
inline constexpr DISPID ItemVAlignment = 60;
inline constexpr DISPID ItemType = 62;
inline constexpr DISPID hWnd = DISPID_HWND;
inline constexpr DISPID BackColor = DISPID_BACKCOLOR;
inline constexpr DISPID ForeColor = DISPID_FORECOLOR;
inline constexpr DISPID Font = DISPID_FONT;
inline constexpr DISPID MousePointer = DISPID_MOUSEPOINTER;
inline constexpr DISPID MouseIcon = DISPID_MOUSEICON;
inline constexpr DISPID Picture = DISPID_PICTURE;
inline constexpr DISPID About = DISPID_ABOUTBOX;

} // namespace arbor::dispid

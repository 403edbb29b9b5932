// ArborLib described once for automation: every member of IArbor with its DISPID, parameter names,
// optional parameters and defaults, the events of _IArborEvents, the auxiliary interfaces, the
// enumerations and the classes. The control's IDispatch, its class information and the registered
// type library are all derived from these tables, so they cannot disagree with the vtable.
#pragma once

#include "arbor/arbor.h"
#include "platform/com/automation.h"

namespace arbor::typelib {

using namespace platform::com;
namespace d = arbor::dispid;
namespace e = arbor::eventid;

inline constexpr MemberDesc kArborMembers[] = {
    propGet<&IArbor::get_BorderStyle>(d::BorderStyle, "BorderStyle"),
    propPut<&IArbor::put_BorderStyle>(d::BorderStyle, "BorderStyle"),
    method<&IArbor::RemoveItem>(d::RemoveItem, "RemoveItem", arg("hItem"), retval("pVal")),
    method<&IArbor::RemoveAllItems>(d::RemoveAllItems, "RemoveAllItems"),
    propGet<&IArbor::get_ItemText>(d::ItemText, "ItemText", arg("hItem"), retval("pVal")),
    propPut<&IArbor::put_ItemText>(d::ItemText, "ItemText", arg("hItem"), arg("newVal")),
    method<&IArbor::AddItem>(
        d::AddItem, "AddItem", arg("sItem"), opt("hParent", 0), opt("bDown", 1), retval("pVal")),
    method<&IArbor::AddItemCheck>(d::AddItemCheck, "AddItemCheck", arg("sItem"), opt("nValue", 1),
        opt("hParent", 0), opt("bDown", 1), retval("pVal")),
    method<&IArbor::AddItemCheck3>(d::AddItemCheck3, "AddItemCheck3", arg("sItem"),
        opt("nValue", -1), opt("hParent", 0), opt("bDown", 1), retval("pVal")),
    method<&IArbor::AddItemRadio>(d::AddItemRadio, "AddItemRadio", arg("sItem"), opt("nValue", 0),
        opt("hParent", 0), opt("bDown", 1), retval("pVal")),
    method<&IArbor::AddItemWindow>(d::AddItemWindow, "AddItemWindow", arg("hWnd"),
        opt("hParent", 0), opt("bDown", 1), retval("pVal")),
    method<&IArbor::AddItemImage>(d::AddItemImage, "AddItemImage", arg("sItem"), arg("imageKey"),
        opt("hParent", 0), opt("bDown", 1), retval("pVal")),
    method<&IArbor::AddItemIcon>(d::AddItemIcon, "AddItemIcon", arg("sItem"),
        arg("imageKeyCollapsed"), opt("imageKeyExpanded"), opt("hParent", 0), opt("bDown", 1),
        retval("pVal")),
    method<&IArbor::AddItemControl>(d::AddItemControl, "AddItemControl", arg("progid"), arg("name"),
        opt("hParent", 0), opt("bDown", 1), opt("nInitialWidth", 164), opt("nInitialHeight", 164),
        retval("pVal")),
    propGet<&IArbor::get_ItemImage>(
        d::ItemImage, "ItemImage", arg("hItem"), arg("type"), retval("pVal")),
    propPut<&IArbor::put_ItemImage>(
        d::ItemImage, "ItemImage", arg("hItem"), arg("type"), arg("newVal")),
    method<&IArbor::AutoSort>(
        d::AutoSort, "AutoSort", arg("hItem"), arg("nAscending"), arg("bAuto")),
    method<&IArbor::EnsureVisible>(d::EnsureVisible, "EnsureVisible", arg("hItem")),
    // Colours travel as VT_I4, as hosts pass them and as a saved property set holds them: a read
    // comes back as VT_I4 and a system colour arrives as a negative Long, its top bit set.
    propGet<&IArbor::get_ItemForeColor>(
        d::ItemForeColor, "ItemForeColor", arg("hItem"), retval("pVal", VT_I4)),
    propPut<&IArbor::put_ItemForeColor>(
        d::ItemForeColor, "ItemForeColor", arg("hItem"), arg("newVal", VT_I4)),
    propGet<&IArbor::get_ExpandItem>(
        d::ExpandItem, "ExpandItem", arg("hItem"), retval("pVal", VT_BOOL)),
    propPut<&IArbor::put_ExpandItem>(
        d::ExpandItem, "ExpandItem", arg("hItem"), arg("newVal", VT_BOOL)),
    propGet<&IArbor::get_SelectItem>(
        d::SelectItem, "SelectItem", arg("hItem"), retval("pVal", VT_BOOL)),
    propPut<&IArbor::put_SelectItem>(
        d::SelectItem, "SelectItem", arg("hItem"), arg("newVal", VT_BOOL)),
    propGet<&IArbor::get_Selection>(d::Selection, "Selection", opt("nIndex", 0), retval("pVal")),
    propGet<&IArbor::get_SelectionCount>(d::SelectionCount, "SelectionCount"),
    propGet<&IArbor::get_ItemValue>(d::ItemValue, "ItemValue", arg("hItem"), retval("pVal")),
    propPut<&IArbor::put_ItemValue>(d::ItemValue, "ItemValue", arg("hItem"), arg("newVal")),
    propGet<&IArbor::get_Style>(d::Style, "Style"),
    method<&IArbor::ModifyStyle>(
        d::ModifyStyle, "ModifyStyle", opt("wRemoveStyle", 0), opt("wAddStyle", 0)),
    method<&IArbor::ModifyDropEffect>(
        d::ModifyDropEffect, "ModifyDropEffect", opt("removeVal", 0), opt("addVal", 0)),
    propGet<&IArbor::get_DropEffect>(d::DropEffect, "DropEffect").hidden().restricted(),
    propGet<&IArbor::get_RootCount>(d::RootCount, "RootCount"),
    propGet<&IArbor::get_Root>(d::Root, "Root", arg("nIndex"), retval("pVal")),
    propGet<&IArbor::get_hWnd>(d::hWnd, "hWnd"),
    propGet<&IArbor::get_BackColor>(d::BackColor, "BackColor", retval("pVal", VT_I4)),
    propPut<&IArbor::put_BackColor>(d::BackColor, "BackColor", arg("newVal", VT_I4)),
    propGet<&IArbor::get_ItemChild>(d::ItemChild, "ItemChild", arg("hItem"), retval("pVal")),
    propGet<&IArbor::get_ItemNext>(d::ItemNext, "ItemNext", arg("hItem"), retval("pVal")),
    propGet<&IArbor::get_ItemPrev>(d::ItemPrev, "ItemPrev", arg("hItem"), retval("pVal")),
    propGet<&IArbor::get_ItemLeft>(d::ItemLeft, "ItemLeft", arg("hItem"), retval("pVal")),
    propGet<&IArbor::get_ItemRight>(d::ItemRight, "ItemRight", arg("hItem"), retval("pVal")),
    propGet<&IArbor::get_ItemParent>(d::ItemParent, "ItemParent", arg("hItem"), retval("pVal")),
    propGet<&IArbor::get_ItemSortPosition>(
        d::ItemSortPosition, "ItemSortPosition", arg("hItem"), retval("pVal")),
    propPut<&IArbor::put_ItemSortPosition>(
        d::ItemSortPosition, "ItemSortPosition", arg("hItem"), arg("newVal")),
    propGet<&IArbor::get_Controls>(d::Controls, "Controls").restricted(),
    propGet<&IArbor::get_Control>(d::Control, "Control", arg("item"), retval("pVal")),
    method<&IArbor::Refresh>(d::Refresh, "Refresh"),
    method<&IArbor::AddImage>(d::AddImage, "AddImage", arg("keyImage"), arg("anPicture"),
        opt("cx", 16), opt("cy", 16), opt("oleColorTransparent", 16777215), retval("pVal")),
    propGet<&IArbor::get_Image>(d::Image, "Image", arg("imageKey"), retval("pVal")),
    propGet<&IArbor::get_Version>(d::Version, "Version"),
    propPut<&IArbor::put_Version>(d::Version, "Version"),
    propGet<&IArbor::get__IEventInfo>(d::EventInfo, "_IEventInfo").hidden().restricted(),
    propGet<&IArbor::get_ItemData>(d::ItemData, "ItemData", arg("hItem"), retval("pVal")),
    propPut<&IArbor::put_ItemData>(d::ItemData, "ItemData", arg("hItem"), arg("newVal")),
    method<&IArbor::ChangeParentItem>(
        d::ChangeParentItem, "ChangeParentItem", arg("hItem"), arg("hNewParent")),
    propGet<&IArbor::get_Enabled>(d::Enabled, "Enabled", retval("pVal", VT_BOOL)),
    propPut<&IArbor::put_Enabled>(d::Enabled, "Enabled", arg("newVal", VT_BOOL)),
    propGet<&IArbor::get_PicturePosition>(d::PicturePosition, "PicturePosition"),
    propPut<&IArbor::put_PicturePosition>(d::PicturePosition, "PicturePosition"),
    propGet<&IArbor::get_ItemBackColor>(
        d::ItemBackColor, "ItemBackColor", arg("hItem"), retval("pVal", VT_I4)),
    propPut<&IArbor::put_ItemBackColor>(
        d::ItemBackColor, "ItemBackColor", arg("hItem"), arg("newVal", VT_I4)),
    propGet<&IArbor::get_ForeColor>(d::ForeColor, "ForeColor", retval("pVal", VT_I4)),
    propPut<&IArbor::put_ForeColor>(d::ForeColor, "ForeColor", arg("newVal", VT_I4)),
    propGet<&IArbor::get_MousePointer>(d::MousePointer, "MousePointer"),
    propPut<&IArbor::put_MousePointer>(d::MousePointer, "MousePointer"),
    method<&IArbor::AddDropTarget>(d::AddDropTarget, "AddDropTarget", arg("hWnd")),
    method<&IArbor::RemoveDropTarget>(d::RemoveDropTarget, "RemoveDropTarget", arg("hWnd")),
    propGet<&IArbor::get_FindItem>(d::FindItem, "FindItem", arg("pszItemText"), opt("bMatch", 1),
        opt("hItemStart", 0), retval("pVal")),
    method<&IArbor::RemoveItemRec>(d::RemoveItemRec, "RemoveItemRec", arg("hItem")),
    propPut<&IArbor::put_ItemWidth>(d::ItemWidth, "ItemWidth", arg("hItem"), arg("newVal")),
    method<&IArbor::ModifyDrawLink>(
        d::ModifyDrawLink, "ModifyDrawLink", arg("hItem"), opt("dwRemove", 0), opt("dwAdd", 0)),
    propGet<&IArbor::get_HitTest>(d::HitTest, "HitTest", arg("X"), arg("Y"), retval("pVal")),
    propGet<&IArbor::get_Groups>(d::Groups, "Groups"),
    method<&IArbor::About>(d::About, "About"),
    propGet<&IArbor::get_ItemWordWrap>(
        d::ItemWordWrap, "ItemWordWrap", arg("hItem"), retval("pVal", VT_BOOL)),
    propPut<&IArbor::put_ItemWordWrap>(
        d::ItemWordWrap, "ItemWordWrap", arg("hItem"), arg("newVal", VT_BOOL)),
    propGet<&IArbor::get_AutoHScroll>(d::AutoHScroll, "AutoHScroll", retval("pVal", VT_BOOL)),
    propPut<&IArbor::put_AutoHScroll>(d::AutoHScroll, "AutoHScroll", arg("newVal", VT_BOOL)),
    propGet<&IArbor::get_AutoVScroll>(d::AutoVScroll, "AutoVScroll", retval("pVal", VT_BOOL)),
    propPut<&IArbor::put_AutoVScroll>(d::AutoVScroll, "AutoVScroll", arg("newVal", VT_BOOL)),
    propGet<&IArbor::get_ItemVAlignment>(
        d::ItemVAlignment, "ItemVAlignment", arg("hItem"), retval("pVal")),
    propPut<&IArbor::put_ItemVAlignment>(
        d::ItemVAlignment, "ItemVAlignment", arg("hItem"), arg("newVal")),
    propGet<&IArbor::get_ItemType>(d::ItemType, "ItemType", arg("hItem"), retval("pVal")),
    propPutRef<&IArbor::putref_Picture>(d::Picture, "Picture"),
    propPut<&IArbor::put_Picture>(d::Picture, "Picture"),
    propGet<&IArbor::get_Picture>(d::Picture, "Picture"),
    propPutRef<&IArbor::putref_ItemFont>(d::ItemFont, "ItemFont", arg("hItem"), arg("newVal")),
    propGet<&IArbor::get_ItemFont>(d::ItemFont, "ItemFont", arg("hItem"), retval("pVal")),
    propPut<&IArbor::put_ItemFont>(d::ItemFont, "ItemFont", arg("hItem"), arg("newVal")),
    propPut<&IArbor::put_Font>(d::Font, "Font"),
    propGet<&IArbor::get_Font>(d::Font, "Font"),
    propPutRef<&IArbor::putref_Font>(d::Font, "Font"),
    propPutRef<&IArbor::putref_MouseIcon>(d::MouseIcon, "MouseIcon"),
    propPut<&IArbor::put_MouseIcon>(d::MouseIcon, "MouseIcon"),
    propGet<&IArbor::get_MouseIcon>(d::MouseIcon, "MouseIcon"),
};

inline constexpr MemberDesc kEventMembers[] = {
    event(e::ItemExpanding, "ItemExpanding", arg("hItem", VT_I4)),
    event(e::ItemExpanded, "ItemExpanded", arg("hItem", VT_I4), arg("bExpanded", VT_BOOL)),
    event(e::ItemSelect, "ItemSelect", arg("hItem", VT_I4)),
    event(e::ValueChanged, "ValueChanged", arg("hItem", VT_I4)),
    event(e::RightClick, "RightClick", arg("X", VT_I4), arg("Y", VT_I4)),
    event(e::ItemDragging, "ItemDragging", arg("hItem", VT_I4)),
    event(e::ItemDragged, "ItemDragged", arg("hItemSource", VT_I4), arg("hItemTarget", VT_I4),
        arg("anDropEffect", VT_I4), arg("pbCancel", VT_BYREF | VT_BOOL)),
    event(e::CommandMessage, "CommandMessage", arg("hWnd", VT_I4), arg("wNotifyCode", VT_I4)),
    event(e::ItemDblClk, "ItemDblClk", arg("hItem", VT_I4)),
    event(e::ItemDraggedTo, "ItemDraggedTo", arg("hItemSource", VT_I4),
        arg("pTargetTree", VT_DISPATCH), arg("hItemTarget", VT_I4), arg("anDropEffect", VT_I4),
        arg("pbCancel", VT_BYREF | VT_BOOL)),
    event(e::ControlEvent, "ControlEvent", arg("info", VT_DISPATCH)),
    event(e::KeyDown, "KeyDown", arg("KeyCode", VT_I2), arg("Shift", VT_I2)),
    event(e::KeyUp, "KeyUp", arg("KeyCode", VT_I2), arg("Shift", VT_I2)),
    event(e::KeyPress, "KeyPress", arg("KeyAscii", VT_I2)),
    event(e::Click, "Click"),
    event(e::MouseMove, "MouseMove", arg("Button", VT_I2), arg("Shift", VT_I2), arg("X", VT_I4),
        arg("Y", VT_I4)),
    event(e::MouseDown, "MouseDown", arg("Button", VT_I2), arg("Shift", VT_I2), arg("X", VT_I4),
        arg("Y", VT_I4)),
    event(e::MouseUp, "MouseUp", arg("Button", VT_I2), arg("Shift", VT_I2), arg("X", VT_I4),
        arg("Y", VT_I4)),
    event(e::DblClick, "DblClick"),
};

inline constexpr MemberDesc kGroupsMembers[] = {
    propGet<&IGroups::get_Count>(1, "Count"),
    method<&IGroups::Add>(2, "Add", retval("pVal")),
    method<&IGroups::Remove>(3, "Remove", arg("nIndex")),
    propGet<&IGroups::get__NewEnum>(DISPID_NEWENUM, "_NewEnum").hidden().restricted(),
    propGet<&IGroups::get_item>(DISPID_VALUE, "item", arg("nIndex"), retval("pVal")),
};
inline constexpr MemberDesc kGroupMembers[] = {
    method<&IGroup::Add>(1, "Add", arg("hItem")),
    method<&IGroup::Remove>(2, "Remove", arg("hItem")),
    propGet<&IGroup::get_Count>(3, "Count"),
    propGet<&IGroup::get_item>(DISPID_VALUE, "item", arg("nIndex"), retval("pVal")),
};
inline constexpr MemberDesc kControlMembers[] = {
    propGet<&IControl::get_Width>(1, "Width"),
    propPut<&IControl::put_Width>(1, "Width"),
    propGet<&IControl::get_Height>(2, "Height"),
    propPut<&IControl::put_Height>(2, "Height"),
    propGet<&IControl::get_Top>(3, "Top"),
    propPut<&IControl::put_Top>(3, "Top").restricted(),
    propGet<&IControl::get_Left>(4, "Left"),
    propPut<&IControl::put_Left>(4, "Left").restricted(),
    propGet<&IControl::get_Visible>(5, "Visible", retval("pVal", VT_BOOL)),
    propPut<&IControl::put_Visible>(5, "Visible", arg("newVal", VT_BOOL)).restricted(),
    propGet<&IControl::get_Object>(6, "Object"),
    propGet<&IControl::get_hWnd>(7, "hWnd"),
    propGet<&IControl::get_Key>(8, "Key"),
    propGet<&IControl::get_Resizable>(9, "Resizable", retval("pVal", VT_BOOL)),
    propPut<&IControl::put_Resizable>(9, "Resizable", arg("newVal", VT_BOOL)),
    propPut<&IControl::put_WidthContainer>(10, "WidthContainer").restricted(),
    propPut<&IControl::put_HeightContainer>(11, "HeightContainer").restricted(),
    method<&IControl::MoveAt>(12, "MoveAt", arg("X"), arg("Y")),
    propGet<&IControl::get_ShowHatching>(
        DISPID_AMBIENT_SHOWHATCHING, "ShowHatching", retval("pVal", VT_BOOL)),
    propGet<&IControl::get_ShowGrabHandles>(
        DISPID_AMBIENT_SHOWGRABHANDLES, "ShowGrabHandles", retval("pVal", VT_BOOL)),
    propGet<&IControl::get_UserMode>(DISPID_AMBIENT_USERMODE, "UserMode"),
};
inline constexpr MemberDesc kControlHolderMembers[] = {
    method<&IControlHolder::Add>(1, "Add", arg("progid"), arg("Key"), opt("nInitialWidth", 164),
        opt("nInitalHeight", 164), retval("pVal")),
    propGet<&IControlHolder::get_Count>(2, "Count"),
    method<&IControlHolder::Remove>(3, "Remove", arg("Key")),
    propGet<&IControlHolder::get_item>(DISPID_VALUE, "item", arg("Key"), retval("pVal")),
};
inline constexpr MemberDesc kEventInfoMembers[] = {
    propGet<&IEventInfo::get_name>(1, "name"),
    propGet<&IEventInfo::get_EventsParamInfo>(2, "EventsParamInfo"),
    propGet<&IEventInfo::get_ID>(3, "ID"),
    propGet<&IEventInfo::get_Owner>(4, "Owner"),
};
inline constexpr MemberDesc kEventsParamInfoMembers[] = {
    propGet<&IEventsParamInfo::get_item>(DISPID_VALUE, "item", arg("nIndex"), retval("pVal")),
    propGet<&IEventsParamInfo::get_Count>(2, "Count"),
};
inline constexpr MemberDesc kEventParamInfoMembers[] = {
    propGet<&IEventParamInfo::get_name>(1, "name"),
    propGet<&IEventParamInfo::get_Value>(2, "Value"),
};

inline constexpr WORD kDual = TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;

inline constexpr InterfaceDesc kArborDesc { "IArbor", IID_IArbor, kArborMembers,
    kDual | TYPEFLAG_FNONEXTENSIBLE, "IArbor Interface" };
inline constexpr InterfaceDesc kEventsDesc { "_IArborEvents", DIID__IArborEvents, kEventMembers,
    kDispInterfaceFlags, "Event Interface for IArbor" };
inline constexpr InterfaceDesc kGroupsDesc { "IGroups", IID_IGroups, kGroupsMembers, kDual,
    "IGroups Interface" };
inline constexpr InterfaceDesc kGroupDesc { "IGroup", IID_IGroup, kGroupMembers, kDual,
    "IGroup Interface" };
inline constexpr InterfaceDesc kControlDesc { "IControl", IID_IControl, kControlMembers, kDual,
    "IControl Interface" };
inline constexpr InterfaceDesc kControlHolderDesc { "IControlHolder", IID_IControlHolder,
    kControlHolderMembers, kDual, "IControlHolder Interface" };
inline constexpr InterfaceDesc kEventInfoDesc { "IEventInfo", IID_IEventInfo, kEventInfoMembers,
    kDual, "IEventInfo Interface" };
inline constexpr InterfaceDesc kEventsParamInfoDesc { "IEventsParamInfo", IID_IEventsParamInfo,
    kEventsParamInfoMembers, kDual, "IEventsParamInfo Interface" };
inline constexpr InterfaceDesc kEventParamInfoDesc { "IEventParamInfo", IID_IEventParamInfo,
    kEventParamInfoMembers, kDual, "IEventParamInfo Interface" };

inline constexpr ImplDesc kArborImpls[] = {
    { &kArborDesc, IMPLTYPEFLAG_FDEFAULT },
    { &kEventsDesc, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE },
};
inline constexpr ImplDesc kGroupsImpls[] = { { &kGroupsDesc, IMPLTYPEFLAG_FDEFAULT } };
inline constexpr ImplDesc kGroupImpls[] = { { &kGroupDesc, IMPLTYPEFLAG_FDEFAULT } };
inline constexpr ImplDesc kControlImpls[] = { { &kControlDesc, IMPLTYPEFLAG_FDEFAULT } };
inline constexpr ImplDesc kControlHolderImpls[] = {
    { &kControlHolderDesc, IMPLTYPEFLAG_FDEFAULT },
};
inline constexpr ImplDesc kEventInfoImpls[] = { { &kEventInfoDesc, IMPLTYPEFLAG_FDEFAULT } };
inline constexpr ImplDesc kEventsParamInfoImpls[] = {
    { &kEventsParamInfoDesc, IMPLTYPEFLAG_FDEFAULT },
};
inline constexpr ImplDesc kEventParamInfoImpls[] = {
    { &kEventParamInfoDesc, IMPLTYPEFLAG_FDEFAULT },
};

inline constexpr CoClassDesc kArborClass { "Arbor", CLSID_Arbor, kArborImpls,
    TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL, "Arbor Class" };
inline constexpr CoClassDesc kGeneralClass { "General", CLSID_General, {}, TYPEFLAG_FCANCREATE,
    "General Class" };
inline constexpr CoClassDesc kControlHolderClass { "ControlHolder", CLSID_ControlHolder,
    kControlHolderImpls, TYPEFLAG_FCANCREATE, "ControlHolder Class" };
inline constexpr CoClassDesc kControlClass { "Control", CLSID_Control, kControlImpls,
    TYPEFLAG_FCANCREATE, "Control Class" };
inline constexpr CoClassDesc kEventInfoClass { "EventInfo", CLSID_EventInfo, kEventInfoImpls,
    TYPEFLAG_FCANCREATE, "EventInfo Class" };
inline constexpr CoClassDesc kEventsParamInfoClass { "EventsParamInfo", CLSID_EventsParamInfo,
    kEventsParamInfoImpls, TYPEFLAG_FCANCREATE, "EventsParamInfo Class" };
inline constexpr CoClassDesc kEventParamInfoClass { "EventParamInfo", CLSID_EventParamInfo,
    kEventParamInfoImpls, TYPEFLAG_FCANCREATE, "EventParamInfo Class" };
inline constexpr CoClassDesc kGroupsClass { "Groups", CLSID_Groups, kGroupsImpls,
    TYPEFLAG_FCANCREATE, "Groups Class" };
inline constexpr CoClassDesc kGroupClass { "Group", CLSID_Group, kGroupImpls, TYPEFLAG_FCANCREATE,
    "Group Class" };

inline constexpr EnumMember kBorderEffects[] = { { "BorderEffectNone", 0 },
    { "BorderEffectSingle", 1 }, { "BorderEffectRaised", 2 }, { "BorderEffectPop", 3 },
    { "BorderEffectDrop", 4 }, { "BorderEffectShadow", 5 }, { "BorderEffectInset", 6 } };
inline constexpr EnumMember kPictureTypes[] = { { "Collapsed", 0 }, { "Expanded", 1 } };
inline constexpr EnumMember kItemSorts[] = { { "Descending", -1 }, { "Ascending", 1 },
    { "NoSort", 0 } };
inline constexpr EnumMember kStyles[] = { { "ARBORSTYLE_NONE", 0 }, { "ARBORSTYLE_LINESATROOT", 1 },
    { "ARBORSTYLE_HASLINES", 2 }, { "ARBORSTYLE_HASBUTTONS", 4 }, { "ARBORSTYLE_SINGLESEL", 8 },
    { "ARBORSTYLE_SHOWSELALWAYS", 16 }, { "ARBORSTYLE_GRIDLINES", 32 },
    { "ARBORSTYLE_ALL", 65535 } };
inline constexpr EnumMember kDropEffects[] = { { "ARBORDROPEFFECT_NONE", 0 },
    { "ARBORDROPEFFECT_COPY", 1 }, { "ARBORDROPEFFECT_MOVE", 2 }, { "ARBORDROPEFFECT_LINK", 4 },
    { "ARBORDROPEFFECT_ALL", 7 } };
inline constexpr EnumMember kPicturePositions[] = { { "UpperLeft", 0 }, { "UpperCenter", 1 },
    { "UpperRight", 2 }, { "CenterLeft", 16 }, { "CenterCenter", 17 }, { "CenterRight", 18 },
    { "BottomLeft", 32 }, { "BottomCenter", 33 }, { "BottomRight", 34 } };
inline constexpr EnumMember kMousePointers[] = { { "Default", 0 }, { "Arrow", 1 }, { "Ibeam", 2 },
    { "HourGlass", 3 }, { "Cross", 4 }, { "UpArrow", 5 }, { "SizeNWSE", 6 }, { "SizeNESW", 7 },
    { "SizeWE", 8 }, { "SizeNS", 9 }, { "SizeAll", 10 }, { "NoDrop", 11 }, { "Icon", 99 } };
inline constexpr EnumMember kDrawLinks[] = { { "NoLinks", 0 }, { "PrevLink", 1 }, { "NextLink", 2 },
    { "LeftLink", 4 }, { "RightLink", 8 }, { "ChildLink", 16 }, { "AllLinks", 31 } };
inline constexpr EnumMember kVAlignments[] = { { "TopAlignment", 0 }, { "CenterAlignment", 2 },
    { "BottomAlignment", 1 } };

inline constexpr EnumDesc kBorderEffectsDesc { "BorderEffects", kBorderEffects };
inline constexpr EnumDesc kPictureTypesDesc { "PictureTypes", kPictureTypes };
inline constexpr EnumDesc kItemSortsDesc { "ItemSorts", kItemSorts };
inline constexpr EnumDesc kStylesDesc { "Styles", kStyles };
inline constexpr EnumDesc kDropEffectsDesc { "DropEffects", kDropEffects };
inline constexpr EnumDesc kPicturePositionsDesc { "PicturePositions", kPicturePositions };
inline constexpr EnumDesc kMousePointersDesc { "MousePointers", kMousePointers };
inline constexpr EnumDesc kDrawLinkDesc { "DrawLinkEnum", kDrawLinks };
inline constexpr EnumDesc kVAlignmentDesc { "ItemVAlignmentEnum", kVAlignments };

inline constexpr const InterfaceDesc *kInterfaces[] = { &kEventsDesc, &kArborDesc,
    &kControlHolderDesc, &kControlDesc, &kEventInfoDesc, &kEventsParamInfoDesc,
    &kEventParamInfoDesc, &kGroupsDesc, &kGroupDesc };
inline constexpr const CoClassDesc *kClasses[] = { &kArborClass, &kGeneralClass,
    &kControlHolderClass, &kControlClass, &kEventInfoClass, &kEventsParamInfoClass,
    &kEventParamInfoClass, &kGroupsClass, &kGroupClass };
inline constexpr const EnumDesc *kEnums[] = { &kBorderEffectsDesc, &kPictureTypesDesc,
    &kItemSortsDesc, &kStylesDesc, &kDropEffectsDesc, &kPicturePositionsDesc, &kMousePointersDesc,
    &kDrawLinkDesc, &kVAlignmentDesc };

inline constexpr TypeLibDesc kArborLib { "ArborLib", LIBID_ArborLib, kArborLibMajor, kArborLibMinor,
    kInterfaces, kClasses, "Arbor 1.0 Type Library", kArborLibLcid, kEnums };

} // namespace arbor::typelib

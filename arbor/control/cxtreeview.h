// CXTreeView, the automation object of the tree-list control: IArbor over the item window, the
// image collection and the events a host receives through _IArborEvents. It owns its windows from
// construction on, hidden and without a parent, so a host can fill the tree before it sites and
// shows the control.
//
// Contracts shared by the members: an invalid item handle makes a getter give 0 and a setter do
// nothing, both with S_OK; a null out pointer of a getter gives E_POINTER; the trailing `pVal` of
// the AddItem members and RemoveItem may be null (the call still acts, nothing is written).
// Optional VARIANT parameters are followed when passed by reference; a left-out one takes its
// declared default, one that does not convert counts as 0 or false.
#pragma once

#include "arbor/groups/cgroups.h"
#include "arbor/hosting/ccontrolholder.h"
#include "arbor/images/imagefile.h"
#include "arbor/images/ximages.h"
#include "arbor/typelib.h"
#include "arbor/view/xtreeframe.h"
#include "platform/com/boundary.h"
#include "platform/com/connection.h"
#include "platform/com/errorinfo.h"
#include "platform/com/ole/olectl.h"
#include "platform/com/ole/propertyframe.h"
#include "platform/com/storage.h"

#include <QPointer>

#include <memory>
#include <unordered_map>

namespace arbor {

class CXTreeViewEvents;
class CXTreeViewDragHost;
class XTreeViewDragDrop;

class CXTreeView final
    : public platform::com::ComObject<CXTreeView,
          platform::com::DualImpl<IArbor, typelib::kArborDesc>,
          platform::com::SupportErrorInfoFor<IArbor>, platform::com::ConnectionPointContainerImpl,
          platform::com::ProvideClassInfoImpl<typelib::kArborClass>,
          platform::com::ObjectSafetyImpl<CXTreeView>, IOleObject, IOleInPlaceObject, IOleControl,
          IViewObject, IPersistStreamInit, IPersistStorage, ISpecifyPropertyPages>,
      private XHostingTree {
public:
    // The source every error of the control names.
    static constexpr std::u16string_view kErrorSource = u"Corvel.Arbor.1";
    static constexpr std::u16string_view kVersion = u"1.01.006";

    // Needs a QApplication: the windows are made here. Use make(); the factory checks first.
    CXTreeView();
    ~CXTreeView() override;

    // The control's window. A container that destroys its window without deactivating the control
    // takes the window and its items with it; the control then starts over with an empty window
    // rather than fail every later call.
    XTreeFrame &frame() noexcept;
    XTreeView &view() noexcept { return frame().view(); }
    XTreeModel &model() noexcept { return view().model(); }

    // The suspension counter the other parts of the control raise around bulk work: while it is
    // non-zero ItemSelect, ValueChanged, ItemExpanding and ItemExpanded are not raised, and
    // RemoveItem and RemoveAllItems do nothing.
    void suspendEvents() noexcept { ++m_suspended; }
    void resumeEvents() noexcept
    {
        if (m_suspended > 0)
            --m_suspended;
    }
    bool eventsSuspended() const noexcept { return m_suspended > 0; }
    // True while ItemSelect, ValueChanged, ItemExpanding, ItemExpanded or ItemDragging is raised.
    bool insideEvent() const noexcept { return m_insideEvent > 0; }
    // Raises one _IArborEvents event through every connection in connection order; args first to
    // last. The inside-event counter is held while `guarded`.
    void fireEvent(DISPID id, VARIANT *args, UINT count, bool guarded = false) noexcept;

    // IArbor
    HRESULT get_BorderStyle(LONG *pVal) noexcept override;
    HRESULT put_BorderStyle(LONG newVal) noexcept override;
    HRESULT RemoveItem(LONG hItem, VARIANT *pVal) noexcept override;
    HRESULT RemoveAllItems() noexcept override;
    HRESULT get_ItemText(LONG hItem, BSTR *pVal) noexcept override;
    HRESULT put_ItemText(LONG hItem, BSTR newVal) noexcept override;
    HRESULT AddItem(BSTR sItem, VARIANT hParent, VARIANT bDown, VARIANT *pVal) noexcept override;
    HRESULT AddItemCheck(BSTR sItem, VARIANT nValue, VARIANT hParent, VARIANT bDown,
        VARIANT *pVal) noexcept override;
    HRESULT AddItemCheck3(BSTR sItem, VARIANT nValue, VARIANT hParent, VARIANT bDown,
        VARIANT *pVal) noexcept override;
    HRESULT AddItemRadio(BSTR sItem, VARIANT nValue, VARIANT hParent, VARIANT bDown,
        VARIANT *pVal) noexcept override;
    HRESULT AddItemWindow(
        LONG hWnd, VARIANT hParent, VARIANT bDown, VARIANT *pVal) noexcept override;
    HRESULT AddItemImage(BSTR sItem, VARIANT imageKey, VARIANT hParent, VARIANT bDown,
        VARIANT *pVal) noexcept override;
    HRESULT AddItemIcon(BSTR sItem, VARIANT imageKeyCollapsed, VARIANT imageKeyExpanded,
        VARIANT hParent, VARIANT bDown, VARIANT *pVal) noexcept override;
    HRESULT AddItemControl(BSTR progid, BSTR name, VARIANT hParent, VARIANT bDown,
        VARIANT nInitialWidth, VARIANT nInitialHeight, VARIANT *pVal) noexcept override;
    HRESULT get_ItemImage(LONG hItem, LONG type, VARIANT *pVal) noexcept override;
    HRESULT put_ItemImage(LONG hItem, LONG type, VARIANT newVal) noexcept override;
    HRESULT AutoSort(LONG hItem, LONG nAscending, VARIANT bAuto) noexcept override;
    HRESULT EnsureVisible(LONG hItem) noexcept override;
    HRESULT get_ItemForeColor(LONG hItem, OLE_COLOR *pVal) noexcept override;
    HRESULT put_ItemForeColor(LONG hItem, OLE_COLOR newVal) noexcept override;
    HRESULT get_ExpandItem(LONG hItem, VARIANT_BOOL *pVal) noexcept override;
    HRESULT put_ExpandItem(LONG hItem, VARIANT_BOOL newVal) noexcept override;
    HRESULT get_SelectItem(LONG hItem, VARIANT_BOOL *pVal) noexcept override;
    HRESULT put_SelectItem(LONG hItem, VARIANT_BOOL newVal) noexcept override;
    HRESULT get_Selection(VARIANT nIndex, VARIANT *pVal) noexcept override;
    HRESULT get_SelectionCount(LONG *pVal) noexcept override;
    HRESULT get_ItemValue(LONG hItem, VARIANT *pVal) noexcept override;
    HRESULT put_ItemValue(LONG hItem, VARIANT newVal) noexcept override;
    HRESULT get_Style(LONG *pVal) noexcept override;
    HRESULT ModifyStyle(VARIANT wRemoveStyle, VARIANT wAddStyle) noexcept override;
    HRESULT ModifyDropEffect(VARIANT removeVal, VARIANT addVal) noexcept override;
    HRESULT get_DropEffect(LONG *pVal) noexcept override;
    HRESULT get_RootCount(LONG *pVal) noexcept override;
    HRESULT get_Root(LONG nIndex, LONG *pVal) noexcept override;
    HRESULT get_hWnd(LONG *pVal) noexcept override;
    HRESULT get_BackColor(OLE_COLOR *pVal) noexcept override;
    HRESULT put_BackColor(OLE_COLOR newVal) noexcept override;
    HRESULT get_ItemChild(LONG hItem, LONG *pVal) noexcept override;
    HRESULT get_ItemNext(LONG hItem, LONG *pVal) noexcept override;
    HRESULT get_ItemPrev(LONG hItem, LONG *pVal) noexcept override;
    HRESULT get_ItemLeft(LONG hItem, LONG *pVal) noexcept override;
    HRESULT get_ItemRight(LONG hItem, LONG *pVal) noexcept override;
    HRESULT get_ItemParent(LONG hItem, LONG *pVal) noexcept override;
    HRESULT get_ItemSortPosition(LONG hItem, LONG *pVal) noexcept override;
    HRESULT put_ItemSortPosition(LONG hItem, LONG newVal) noexcept override;
    HRESULT get_Controls(IControlHolder **pVal) noexcept override;
    HRESULT get_Control(VARIANT item, IDispatch **pVal) noexcept override;
    HRESULT Refresh() noexcept override;
    HRESULT AddImage(VARIANT keyImage, VARIANT anPicture, VARIANT cx, VARIANT cy,
        VARIANT oleColorTransparent, VARIANT *pVal) noexcept override;
    HRESULT get_Image(VARIANT imageKey, LONG *pVal) noexcept override;
    HRESULT get_Version(BSTR *pVal) noexcept override;
    HRESULT put_Version(BSTR newVal) noexcept override;
    HRESULT get__IEventInfo(IEventInfo **pVal) noexcept override;
    HRESULT get_ItemData(LONG hItem, VARIANT *pVal) noexcept override;
    HRESULT put_ItemData(LONG hItem, VARIANT newVal) noexcept override;
    HRESULT ChangeParentItem(LONG hItem, LONG hNewParent) noexcept override;
    HRESULT get_Enabled(VARIANT_BOOL *pVal) noexcept override;
    HRESULT put_Enabled(VARIANT_BOOL newVal) noexcept override;
    HRESULT get_PicturePosition(LONG *pVal) noexcept override;
    HRESULT put_PicturePosition(LONG newVal) noexcept override;
    HRESULT get_ItemBackColor(LONG hItem, OLE_COLOR *pVal) noexcept override;
    HRESULT put_ItemBackColor(LONG hItem, OLE_COLOR newVal) noexcept override;
    HRESULT get_ForeColor(OLE_COLOR *pVal) noexcept override;
    HRESULT put_ForeColor(OLE_COLOR newVal) noexcept override;
    HRESULT get_MousePointer(LONG *pVal) noexcept override;
    HRESULT put_MousePointer(LONG newVal) noexcept override;
    HRESULT AddDropTarget(LONG hWnd) noexcept override;
    HRESULT RemoveDropTarget(LONG hWnd) noexcept override;
    HRESULT get_FindItem(
        BSTR pszItemText, VARIANT bMatch, VARIANT hItemStart, VARIANT *pVal) noexcept override;
    HRESULT RemoveItemRec(LONG hItem) noexcept override;
    HRESULT put_ItemWidth(LONG hItem, LONG newVal) noexcept override;
    HRESULT ModifyDrawLink(LONG hItem, VARIANT dwRemove, VARIANT dwAdd) noexcept override;
    HRESULT get_HitTest(LONG X, LONG Y, LONG *pVal) noexcept override;
    HRESULT get_Groups(IGroups **pVal) noexcept override;
    HRESULT About() noexcept override;
    HRESULT get_ItemWordWrap(LONG hItem, VARIANT_BOOL *pVal) noexcept override;
    HRESULT put_ItemWordWrap(LONG hItem, VARIANT_BOOL newVal) noexcept override;
    HRESULT get_AutoHScroll(VARIANT_BOOL *pVal) noexcept override;
    HRESULT put_AutoHScroll(VARIANT_BOOL newVal) noexcept override;
    HRESULT get_AutoVScroll(VARIANT_BOOL *pVal) noexcept override;
    HRESULT put_AutoVScroll(VARIANT_BOOL newVal) noexcept override;
    HRESULT get_ItemVAlignment(LONG hItem, LONG *pVal) noexcept override;
    HRESULT put_ItemVAlignment(LONG hItem, LONG newVal) noexcept override;
    HRESULT get_ItemType(LONG hItem, LONG *pVal) noexcept override;
    HRESULT putref_Picture(IPictureDisp *newVal) noexcept override;
    HRESULT put_Picture(IPictureDisp *newVal) noexcept override;
    HRESULT get_Picture(IPictureDisp **pVal) noexcept override;
    HRESULT putref_ItemFont(LONG hItem, IFontDisp *newVal) noexcept override;
    HRESULT get_ItemFont(LONG hItem, IFontDisp **pVal) noexcept override;
    HRESULT put_ItemFont(LONG hItem, IFontDisp *newVal) noexcept override;
    HRESULT put_Font(IFontDisp *newVal) noexcept override;
    HRESULT get_Font(IFontDisp **pVal) noexcept override;
    HRESULT putref_Font(IFontDisp *newVal) noexcept override;
    HRESULT putref_MouseIcon(IPictureDisp *newVal) noexcept override;
    HRESULT put_MouseIcon(IPictureDisp *newVal) noexcept override;
    HRESULT get_MouseIcon(IPictureDisp **pVal) noexcept override;

    // IOleObject: the control is activated in place inside the container's window; the extent is
    // kept in HIMETRIC, as a saved property set holds it.
    HRESULT SetClientSite(IOleClientSite *site) noexcept override;
    HRESULT GetClientSite(IOleClientSite **out) noexcept override;
    HRESULT SetHostNames(LPCOLESTR, LPCOLESTR) noexcept override { return S_OK; }
    HRESULT Close(DWORD saveOption) noexcept override;
    HRESULT SetMoniker(DWORD, IMoniker *) noexcept override { return E_NOTIMPL; }
    HRESULT GetMoniker(DWORD, DWORD, IMoniker **out) noexcept override;
    HRESULT InitFromData(IDataObject *, BOOL, DWORD) noexcept override { return E_NOTIMPL; }
    HRESULT GetClipboardData(DWORD, IDataObject **out) noexcept override;
    HRESULT DoVerb(
        LONG verb, LPMSG, IOleClientSite *active, LONG, HWND parent, LPCRECT pos) noexcept override;
    HRESULT EnumVerbs(IEnumOLEVERB **out) noexcept override;
    HRESULT Update() noexcept override { return S_OK; }
    HRESULT IsUpToDate() noexcept override { return S_OK; }
    HRESULT GetUserClassID(CLSID *out) noexcept override;
    HRESULT GetUserType(DWORD form, LPOLESTR *out) noexcept override;
    HRESULT SetExtent(DWORD aspect, SIZEL *size) noexcept override;
    HRESULT GetExtent(DWORD aspect, SIZEL *size) noexcept override;
    HRESULT Advise(IAdviseSink *, DWORD *) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT Unadvise(DWORD) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT EnumAdvise(IEnumSTATDATA **out) noexcept override;
    HRESULT GetMiscStatus(DWORD aspect, DWORD *status) noexcept override;
    HRESULT SetColorScheme(LOGPALETTE *) noexcept override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject
    HRESULT GetWindow(HWND *out) noexcept override;
    HRESULT ContextSensitiveHelp(BOOL) noexcept override { return E_NOTIMPL; }
    HRESULT InPlaceDeactivate() noexcept override;
    HRESULT UIDeactivate() noexcept override { return S_OK; }
    HRESULT SetObjectRects(LPCRECT pos, LPCRECT clip) noexcept override;
    HRESULT ReactivateAndUndo() noexcept override { return E_NOTIMPL; }

    // IOleControl: ambient UserMode switches design mode; frozen events are dropped.
    HRESULT GetControlInfo(CONTROLINFO *info) noexcept override;
    HRESULT OnMnemonic(MSG *) noexcept override { return E_NOTIMPL; }
    HRESULT OnAmbientPropertyChange(DISPID id) noexcept override;
    HRESULT FreezeEvents(BOOL freeze) noexcept override;

    // IViewObject: the control as its window shows it, for containers that draw it themselves.
    HRESULT Draw(DWORD aspect, LONG, void *, DVTARGETDEVICE *, HDC, HDC painter,
        const RECTL *bounds, const RECTL *, BOOL (*)(ULONG_PTR), ULONG_PTR) noexcept override;
    HRESULT GetColorSet(
        DWORD, LONG, void *, DVTARGETDEVICE *, HDC, LOGPALETTE **out) noexcept override;
    HRESULT Freeze(DWORD, LONG, void *, DWORD *) noexcept override { return E_NOTIMPL; }
    HRESULT Unfreeze(DWORD) noexcept override { return E_NOTIMPL; }
    HRESULT SetAdvise(DWORD, DWORD, IAdviseSink *) noexcept override { return E_NOTIMPL; }
    HRESULT GetAdvise(DWORD *, DWORD *, IAdviseSink **out) noexcept override;

    // IPersist, IPersistStreamInit, IPersistStorage: the saved property set (its layout is in
    // internal/propertyset.h); a storage keeps it in its stream "Contents". A load checks the
    // whole set before it applies any of it: on failure the control is exactly as it was.
    HRESULT GetClassID(CLSID *pClassID) noexcept override;
    HRESULT IsDirty() noexcept override;
    HRESULT Load(IStream *pStm) noexcept override;
    HRESULT Save(IStream *pStm, BOOL fClearDirty) noexcept override;
    HRESULT GetSizeMax(ULARGE_INTEGER *pcbSize) noexcept override;
    HRESULT InitNew() noexcept override { return S_OK; }
    HRESULT InitNew(IStorage *) noexcept override { return S_OK; }
    HRESULT Load(IStorage *pStg) noexcept override;
    HRESULT Save(IStorage *pStgSave, BOOL fSameAsLoad) noexcept override;
    HRESULT SaveCompleted(IStorage *) noexcept override { return S_OK; }
    HRESULT HandsOffStorage() noexcept override { return S_OK; }

    // ISpecifyPropertyPages: the General page and the stock colour page.
    HRESULT GetPages(CAUUID *pPages) noexcept override;
    // The "&Properties..." verb: the platform's property frame over this control, modal.
    HRESULT showProperties(HWND owner) noexcept;

    // The platform's miscellaneous-status flags the registration also names ("131473").
    static constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE |
        OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;

    // A font object the control paints with has changed (its sinks call this). A null watch is
    // the control font: re-read, the control marked dirty and laid out again. Otherwise every item
    // that uses the font object behind that watch re-reads its font and is laid out again.
    void fontObjectChanged(const void *itemWatch) noexcept;

    // The DropEffect value (only the three low bits are kept).
    LONG dropEffect() const noexcept { return m_dropEffect; }
    // The item window with its drag support.
    XTreeViewDragDrop &dragView() noexcept;

    // Property puts and style changes set it; persistence clears it.
    bool isDirty() const noexcept { return m_dirty; }
    void setDirty(bool dirty) noexcept { m_dirty = dirty; }

private:
    // XHostingTree, for the hosted controls.
    HWND hostWindow() noexcept override;
    void fireControlEvent(IEventInfo *info) noexcept override;
    DWORD enabledSafety() noexcept override { return enabledSafetyOptions(); }
    // AddItemControl's failure: S_OK with handle 0 in pVal and the reason as error information.
    HRESULT controlNotAdded(VARIANT *pVal, HRESULT why) noexcept;

    // Hands a new item's handle to an optional pVal (VT_I4) and repaints with a layout.
    HRESULT added(LONG hItem, VARIANT *pVal) noexcept;
    // ItemForeColor and ItemBackColor: a colour that does not translate, or no item, changes nothing.
    HRESULT putItemColour(
        LONG hItem, OLE_COLOR colour, void (XTreeNode::*set)(const XTreeModel &, COLORREF)) noexcept;

    // The boundary of member `name`: an exception escaping `body` becomes its status, and one that
    // is not a lack of memory leaves error information naming the member.
    template <class Body>
    static HRESULT guardedMember(std::u16string_view name, Body &&body) noexcept
    {
        return platform::com::guarded(platform::com::MemberSite { IArbor::iid, kErrorSource, name },
            std::forward<Body>(body));
    }

    // Makes the window and connects it to this object.
    void buildFrame();
    HRESULT activate(IOleClientSite *active, HWND parentHint, LPCRECT pos) noexcept;
    void readAmbients() noexcept;
    void loadDesignLogo() noexcept;

    // The font object behind the control font, made on first read when no host gave one.
    HRESULT controlFont(IFontDisp **out) noexcept;
    // Advises a sink on `font` for the control font (itemWatch null) or for the items sharing
    // itemWatch; the link stays empty when the object sends no change notices (it then paints as
    // it was when put).
    HRESULT watchFont(
        IUnknown *font, const void *itemWatch, platform::com::AdviseLink &link) noexcept;
    // The watch the items given `font` by reference share, made on first use: one connection
    // per font object however many items use it. Null when out of memory.
    std::shared_ptr<void> itemFontWatch(IUnknown *font) noexcept;

    // Deleted by the destructor; a QPointer because a host may destroy the window it adopted.
    QPointer<XTreeFrame> m_frame;
    // What a window the container destroyed showed, for the one built in its place.
    struct LostWindow {
        XTreeView::Settings view;
        LONG borderStyle;
    };
    std::unique_ptr<LostWindow> m_lostWindow;
    // Hears the item window's command notifications; owned by the window.
    QPointer<QObject> m_commandFilter;
    CXImages m_images;
    // The controls hosted in items; closed with the control.
    ComPtr<CControlHolder> m_controls = CControlHolder::make();
    // Made with the control, handed out by Groups; told when the control goes (a host may keep it).
    ComPtr<CGroups> m_groups;
    std::unique_ptr<CXTreeViewEvents> m_bridge;
    // Drag and drop: the events, the drop source and target, the drop-target list.
    std::unique_ptr<CXTreeViewDragHost> m_drag;
    platform::com::ConnectionPoint *m_events = nullptr;
    ComPtr<IFontDisp> m_font;
    platform::com::AdviseLink m_fontLink; // tells us when m_font changes
    ComPtr<IPictureDisp> m_picture;
    ComPtr<IPictureDisp> m_mouseIcon;
    CImageFile m_logo; // shown at design time while no picture is set
    // What the font sinks hold instead of the control: the sinks must not keep it alive, and an
    // item's sink may outlive it with the window (deferred deletion). Expires with the control.
    std::shared_ptr<CXTreeView *> m_fontToken = std::make_shared<CXTreeView *>(this);
    // Font object (its identity) -> the watch its items share; an entry leaves with its watch.
    struct ItemFontWatch;
    std::unordered_map<IUnknown *, std::weak_ptr<ItemFontWatch>> m_itemFontWatches;
    ComPtr<IOleClientSite> m_clientSite;
    ComPtr<IOleInPlaceSite> m_inPlaceSite;
    SIZEL m_extent { 3175, 2646 }; // 120 x 100 pixels at 96 dpi
    RECT m_rect { 0, 0, 120, 100 };
    int m_frozen = 0;
    bool m_closing = false;
    int m_suspended = 0;
    int m_insideEvent = 0;
    LONG m_dropEffect = 2; // ARBORDROPEFFECT_MOVE: items can be moved until a host says otherwise
    int m_persisting = 0; // a load or save runs: a nested one (from a property's sink) is refused
    bool m_dirty = false;
};

// The factory entry of the served-class table: CLASS_E_CLASSNOTAVAILABLE without a QApplication
// (a window-less host cannot have this control).
HRESULT getTreeViewFactory(REFIID riid, void **ppv) noexcept;

} // namespace arbor

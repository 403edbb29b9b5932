// The control object's life, its events and its control-wide properties. The item members live in
// cxtreeview_items.cpp.
#include "arbor/control/cxtreeview.h"

#include "arbor/control/cxtreeview_drag.h"
#include "arbor/control/cxtreeviewevents.h"
#include "arbor/control/internal/args.h"
#include "arbor/control/logging.h"
#include "arbor/dragdrop/xtreeviewdragdrop.h"
#include "arbor/hosting/windownodes.h"
#include "arbor/model/additem.h"
#include "arbor/view/xtreecursor.h"
#include "platform/com/classfactory.h"
#include "platform/com/out_param.h"
#include "platform/ui/messagebox.h"
#include "platform/ui/wincalls.h"

#include <QApplication>

#include <vector>

namespace arbor {

using namespace platform::com;
using control::boolArg;
using control::deref;
using control::longArg;

namespace {

constexpr DWORD kStyleMask = 63;
constexpr LONG kDropEffectMask = 7;

// Events being raised on this thread by any control. A control that dies while one is raised may be
// dying inside its own window's event handler (the click that raised it), so its window must
// outlive that handler.
thread_local int t_raising = 0;

struct Raising {
    Raising() noexcept { ++t_raising; }
    ~Raising() { --t_raising; }
    Raising(const Raising &) = delete;
    Raising &operator=(const Raising &) = delete;
};

bool isMousePointer(LONG value) noexcept
{
    return (value >= 0 && value <= 11) || value == 99;
}

bool isPicturePosition(LONG value) noexcept
{
    const LONG row = value & ~0x3;
    return value >= 0 && (value & 0x3) <= 2 && (row == 0 || row == 16 || row == 32);
}

VARIANT_BOOL vbool(bool value) noexcept
{
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace

Q_LOGGING_CATEGORY(lcControl, "arbor.control", QtInfoMsg)

CXTreeView::CXTreeView()
    : m_groups(CGroups::make())
    , m_bridge(std::make_unique<CXTreeViewEvents>(*this))
    , m_drag(std::make_unique<CXTreeViewDragHost>(*this))
{
    m_events = addPoint(DIID__IArborEvents);
    buildFrame();
    if (m_controls)
        m_controls->setTree(this);
    qCDebug(lcControl) << "tree control created";
}

void CXTreeView::buildFrame()
{
    auto *dragView = new XTreeViewDragDrop();
    dragView->setDragHost(m_drag.get());
    m_frame = new XTreeFrame(nullptr, dragView);
    // A container may destroy the window under us; what it showed, besides the items, goes on
    // to the next one.
    m_frame->setAboutToGo([this](XTreeFrame &gone) noexcept {
        try {
            m_lostWindow = std::make_unique<LostWindow>(
                LostWindow { gone.view().settings(), gone.borderStyle() });
        } catch (...) {
            m_lostWindow.reset(); // out of memory: the next window starts with the defaults
        }
    });
    XTreeView &v = frame().view();
    v.setControl(this);
    v.setEvents(m_bridge.get());
    v.model().setImageLookup(&m_images);
    v.model().setGroupHook(m_groups.Get());
    // A window built in place of a destroyed one starts its handles over: no group may keep one.
    if (m_groups)
        m_groups->forgetAll();
    // Child windows (those adopted as items above all) report to their parent with WM_COMMAND;
    // the host hears each as CommandMessage. The message goes on to the window afterwards.
    m_commandFilter = platform::ui::subclassWindow(platform::ui::windowHandle(&v),
        [this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT *) {
            if (message == WM_COMMAND && lParam != 0) {
                Variant args[] = { Variant::i4(static_cast<LONG>(lParam)),
                    Variant::i4(static_cast<LONG>((wParam >> 16) & 0xFFFF)) };
                fireEvent(eventid::CommandMessage, args, 2);
            }
            return false;
        });
}

XTreeFrame &CXTreeView::frame() noexcept
{
    if (!m_frame) {
        // The container destroyed the window it had; it cannot hold us in place any more.
        if (m_inPlaceSite) {
            const ComPtr<IOleInPlaceSite> site = std::move(m_inPlaceSite);
            m_inPlaceSite = nullptr;
            (void)site->OnInPlaceDeactivate();
        }
        qCDebug(lcControl) << "window rebuilt: the container destroyed the last one";
        buildFrame();
        if (const std::unique_ptr<LostWindow> lost = std::move(m_lostWindow)) {
            (void)m_frame->setBorderStyle(lost->borderStyle);
            m_frame->view().applySettings(lost->view);
        }
    }
    return *m_frame;
}

CXTreeView::~CXTreeView()
{
    if (m_groups)
        m_groups->detach();
    // Nothing may be raised any more: a handler's reference would revive a dying object. Adopted
    // windows that lose focus while the window goes still send their notifications.
    m_closing = true;
    // Hosted controls go before the window their windows live in; their items then find no
    // holder to give them back to.
    if (m_controls) {
        m_controls->closeAll();
        m_controls->setTree(nullptr);
    }
    if (m_frame) {
        m_frame->setAboutToGo(nullptr);
        // Items destroyed with the window raise nothing to a host that is letting go.
        XTreeView &v = frame().view();
        // The window may outlive us for a moment; adopted windows notifying it must not reach us.
        delete m_commandFilter.data();
        v.setEvents(nullptr);
        v.setControl(nullptr);
        v.model().setImageLookup(nullptr);
        v.model().setGroupHook(nullptr);
        XTreeFrame *window = m_frame.data();
        XTreeViewDragDrop &dv = dragView();
        dv.setDragHost(nullptr);
        m_drag->detach();
        if (dv.inDrag()) {
            // The drag loop runs inside the window: it goes once the loop has returned.
            window->hide();
            moduleLock();
            QObject::connect(window, &QObject::destroyed, [] { moduleUnlock(); });
            dv.deleteAfterDrag(window);
        } else if (t_raising > 0) {
            // The window's code is still on the stack below us: it goes once control is back in
            // the event loop, and the module stays loaded until then.
            window->hide();
            moduleLock();
            QObject::connect(window, &QObject::destroyed, [] { moduleUnlock(); });
            window->deleteLater();
        } else {
            delete window;
        }
    }
}

void CXTreeView::fireEvent(DISPID id, VARIANT *args, UINT count, bool guarded) noexcept
{
    if (m_closing || m_frozen > 0) {
        // Dying, or the container asked for no events for now.
        if (!m_closing)
            qCDebug(lcControl) << "event" << id << "not raised: the container froze events";
        return;
    }
    // A sink may release the last reference to the control from inside its handler; the control
    // then dies when keepAlive goes, while the event still counts as being raised.
    const Raising raising;
    ComPtr<IUnknown> keepAlive(identity());
    if (guarded)
        ++m_insideEvent;
    (void)m_events->fire(id, args, count);
    if (guarded)
        --m_insideEvent;
}

HRESULT CXTreeView::get_BorderStyle(LONG *pVal) noexcept
{
    return giveOut(pVal, frame().borderStyle());
}

HRESULT CXTreeView::put_BorderStyle(LONG newVal) noexcept
{
    // Painting indexes its tables with the style, so a value outside the enumeration is refused.
    if (!frame().setBorderStyle(newVal))
        return E_INVALIDARG;
    m_dirty = true;
    return S_OK;
}

HRESULT CXTreeView::get_Style(LONG *pVal) noexcept
{
    return giveOut(pVal, static_cast<LONG>(model().appearance().style));
}

HRESULT CXTreeView::ModifyStyle(VARIANT wRemoveStyle, VARIANT wAddStyle) noexcept
{
    const DWORD remove = static_cast<DWORD>(longArg(wRemoveStyle, 0));
    const DWORD add = static_cast<DWORD>(longArg(wAddStyle, 0));
    DWORD &style = model().appearance().style;
    style = ((style | add) & ~remove) & kStyleMask;
    m_dirty = true;
    view().redraw(true);
    return S_OK;
}

HRESULT CXTreeView::ModifyDropEffect(VARIANT removeVal, VARIANT addVal) noexcept
{
    const LONG remove = longArg(removeVal, 0);
    const LONG add = longArg(addVal, 0);
    m_dropEffect = ((m_dropEffect | add) & ~remove) & kDropEffectMask;
    m_dirty = true;
    return S_OK;
}

HRESULT CXTreeView::get_DropEffect(LONG *pVal) noexcept
{
    return giveOut(pVal, m_dropEffect);
}

HRESULT CXTreeView::get_hWnd(LONG *pVal) noexcept
{
    return giveOut(pVal, static_cast<LONG>(platform::ui::windowHandle(&view())));
}

HRESULT CXTreeView::get_BackColor(OLE_COLOR *pVal) noexcept
{
    return giveOut(pVal, model().appearance().backColor);
}

HRESULT CXTreeView::put_BackColor(OLE_COLOR newVal) noexcept
{
    COLORREF rgb = 0;
    if (FAILED(OleTranslateColor(newVal, 0, &rgb)))
        return E_INVALIDARG;
    model().appearance().backColor = rgb & 0xFFFFFF;
    m_dirty = true;
    view().redraw(false);
    return S_OK;
}

HRESULT CXTreeView::get_ForeColor(OLE_COLOR *pVal) noexcept
{
    return giveOut(pVal, model().appearance().foreColor);
}

HRESULT CXTreeView::put_ForeColor(OLE_COLOR newVal) noexcept
{
    COLORREF rgb = 0;
    if (FAILED(OleTranslateColor(newVal, 0, &rgb)))
        return E_INVALIDARG;
    model().appearance().foreColor = rgb & 0xFFFFFF;
    m_dirty = true;
    view().redraw(false);
    return S_OK;
}

HRESULT CXTreeView::get_Enabled(VARIANT_BOOL *pVal) noexcept
{
    return giveOut(pVal, vbool(model().appearance().enabled));
}

HRESULT CXTreeView::put_Enabled(VARIANT_BOOL newVal) noexcept
{
    const bool enabled = newVal != VARIANT_FALSE;
    model().appearance().enabled = enabled;
    view().setEnabled(enabled);
    m_dirty = true;
    view().redraw(false);
    return S_OK;
}

HRESULT CXTreeView::get_PicturePosition(LONG *pVal) noexcept
{
    return giveOut(pVal, view().picturePosition());
}

HRESULT CXTreeView::put_PicturePosition(LONG newVal) noexcept
{
    if (!isPicturePosition(newVal))
        return E_INVALIDARG;
    view().setPicturePosition(newVal);
    m_dirty = true;
    return S_OK;
}

HRESULT CXTreeView::get_MousePointer(LONG *pVal) noexcept
{
    return giveOut(pVal, view().mousePointer());
}

HRESULT CXTreeView::put_MousePointer(LONG newVal) noexcept
{
    if (!isMousePointer(newVal))
        return E_INVALIDARG;
    view().setMousePointer(newVal);
    m_dirty = true;
    return S_OK;
}

HRESULT CXTreeView::get_AutoHScroll(VARIANT_BOOL *pVal) noexcept
{
    return giveOut(pVal, vbool(view().autoHScroll()));
}

HRESULT CXTreeView::put_AutoHScroll(VARIANT_BOOL newVal) noexcept
{
    view().setAutoHScroll(newVal != VARIANT_FALSE);
    m_dirty = true;
    return S_OK;
}

HRESULT CXTreeView::get_AutoVScroll(VARIANT_BOOL *pVal) noexcept
{
    return giveOut(pVal, vbool(view().autoVScroll()));
}

HRESULT CXTreeView::put_AutoVScroll(VARIANT_BOOL newVal) noexcept
{
    view().setAutoVScroll(newVal != VARIANT_FALSE);
    m_dirty = true;
    return S_OK;
}

HRESULT CXTreeView::Refresh() noexcept
{
    view().redraw(true);
    return S_OK;
}

HRESULT CXTreeView::get_HitTest(LONG X, LONG Y, LONG *pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    const XTreeItem *x = view().hitTest(QPoint(X, Y));
    *pVal = x ? x->handle() : 0;
    return S_OK;
}

HRESULT CXTreeView::get_Version(BSTR *pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    *pVal = SysAllocStringLen(kVersion.data(), static_cast<UINT>(kVersion.size()));
    return *pVal ? S_OK : E_OUTOFMEMORY;
}

HRESULT CXTreeView::put_Version(BSTR) noexcept
{
    return S_OK; // the version is the module's, a host cannot change it
}

HRESULT CXTreeView::About() noexcept
{
    return guardedMember(u"About", [&]() -> HRESULT {
        platform::ui::messageBox(QStringLiteral("Corvel Arbor ActiveX Control\nVersion %1")
                                     .arg(QString::fromStdU16String(std::u16string(kVersion))),
            platform::ui::MsgButtons::OK, platform::ui::MsgIcon::Information,
            QStringLiteral("About Arbor"), frame().window());
        return S_OK;
    });
}

HRESULT CXTreeView::AddImage(VARIANT keyImage, VARIANT anPicture, VARIANT cx, VARIANT cy,
    VARIANT oleColorTransparent, VARIANT *pVal) noexcept
{
    return guardedMember(u"AddImage", [&] {
        const HRESULT hr =
            m_images.AddImage(keyImage, anPicture, cx, cy, oleColorTransparent, pVal);
        view().redraw(true);
        return hr;
    });
}

HRESULT CXTreeView::get_Image(VARIANT imageKey, LONG *pVal) noexcept
{
    return guardedMember(u"Image", [&] { return m_images.Image(imageKey, pVal); });
}

// Reserved members: they answer "nothing there".
HRESULT CXTreeView::get_Controls(IControlHolder **pVal) noexcept
{
    if (pVal)
        *pVal = nullptr; // never leave garbage a caller might release
    return S_OK;
}

HRESULT CXTreeView::get__IEventInfo(IEventInfo **pVal) noexcept
{
    if (pVal)
        *pVal = nullptr;
    return S_OK;
}

HRESULT CXTreeView::get_Control(VARIANT item, IDispatch **pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    const Variant key = deref(item);
    Variant handle;
    if (SUCCEEDED(VariantChangeType(&handle, &key, 0, VT_I4))) {
        // An item handle: the hosted control's own object.
        XTreeItem *x = model().item(handle.lVal);
        XTreeNode *node = x ? x->GetNode() : nullptr;
        if (node && node->IsControl())
            if (auto *client = dynamic_cast<CControlClient *>(
                    static_cast<XTreeNode_Control *>(node)->control()))
                return client->get_Object(pVal);
        return S_OK;
    }
    if (!m_controls)
        return S_OK;
    ComPtr<IControl> control;
    if (FAILED(m_controls->get_item(key, &control)))
        return E_POINTER;
    *pVal = control.Detach();
    return S_OK;
}

HRESULT CXTreeView::get_Groups(IGroups **pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    if (!m_groups)
        return E_OUTOFMEMORY;
    return m_groups->QueryInterface(IID_PPV_ARGS(pVal));
}

HRESULT CXTreeView::AddItemControl(BSTR progid, BSTR name, VARIANT hParent, VARIANT bDown,
    VARIANT nInitialWidth, VARIANT nInitialHeight, VARIANT *pVal) noexcept
{
    if (!m_controls)
        return controlNotAdded(pVal, E_OUTOFMEMORY);
    Variant key = Variant::str(platform::com::view(name));
    ComPtr<IControl> control;
    const HRESULT hr = m_controls->Add(progid, key, nInitialWidth, nInitialHeight, &control);
    if (FAILED(hr) || !control)
        return controlNotAdded(pVal, FAILED(hr) ? hr : E_NOINTERFACE);
    auto *client = static_cast<CControlClient *>(control.Get());
    // The item holds the control by a reference of its own, given back through release().
    client->AddRef();
    LONG hItem = 0;
    const HRESULT placed = platform::com::guarded([&] {
        hItem = arbor::AddItemControl(model(), client, longArg(hParent, 0), boolArg(bDown, true));
        return S_OK;
    });
    if (FAILED(placed) || !hItem) {
        client->release();
        return controlNotAdded(pVal, FAILED(placed) ? placed : E_INVALIDARG);
    }
    return added(hItem, pVal);
}

HRESULT CXTreeView::controlNotAdded(VARIANT *pVal, HRESULT why) noexcept
{
    if (pVal) {
        (void)VariantClear(pVal);
        pVal->vt = VT_I4;
        pVal->lVal = 0;
    }
    std::u16string text = u"The control could not be added to the tree";
    if (why == E_NOINTERFACE)
        text = u"The object is not a control that can be activated in place";
    else if (why == E_INVALIDARG)
        text = u"The parent item is not an item of this tree";
    else if (why == E_ACCESSDENIED)
        text = u"The control is not safe for untrusted callers";
    (void)reportError(IArbor::iid, kErrorSource, text, why);
    return S_OK;
}

HWND CXTreeView::hostWindow() noexcept
{
    return m_frame ? platform::ui::windowHandle(&view()) : 0;
}

void CXTreeView::fireControlEvent(IEventInfo *info) noexcept
{
    Variant arg = Variant::dispatch(info);
    fireEvent(eventid::ControlEvent, &arg, 1);
}

HRESULT getTreeViewFactory(REFIID riid, void **ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    // The control is a window: without a GUI application in the process it cannot exist.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        qCDebug(lcControl) << "no tree control without a GUI application";
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return getClassFactory<CXTreeView>(riid, ppv);
}

} // namespace arbor

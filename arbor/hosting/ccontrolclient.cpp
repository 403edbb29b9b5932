#include "arbor/hosting/ccontrolclient.h"

#include "arbor/hosting/ccontrolholder.h"
#include "arbor/hosting/internal/controlkey.h"
#include "platform/com/classfactory.h"
#include "platform/com/ole/inplace.h"
#include "platform/com/ole/olectl.h"
#include "platform/com/out_param.h"
#include "platform/com/storage.h"
#include "platform/ui/wincalls.h"

#include <QApplication>
#include <QMetaObject>
#include <QWidget>

#include <cstdlib>

namespace arbor {

using namespace platform::com;

namespace {

LONG width(const RECT &r) noexcept
{
    return std::abs(r.left - r.right);
}

LONG height(const RECT &r) noexcept
{
    return std::abs(r.top - r.bottom);
}

// Counts a nesting level for as long as it lives.
struct Nested {
    explicit Nested(int &depth) noexcept
        : m_depth(depth)
    {
        ++m_depth;
    }
    ~Nested() { --m_depth; }
    Nested(const Nested &) = delete;
    Nested &operator=(const Nested &) = delete;
    int &m_depth;
};

} // namespace

CControlClient::~CControlClient()
{
    finishClose();
}

HRESULT CControlClient::createSite(
    IOleObject *object, const VARIANT &key, LONG width, LONG height) noexcept
{
    if (!object)
        return E_POINTER;
    m_rect = { 0, 0, width, height };
    m_object = object;
    m_key = hosting::storedKey(key);
    DWORD misc = 0;
    HRESULT hr = object->GetMiscStatus(DVASPECT_CONTENT, &misc);
    if (FAILED(hr)) {
        m_object.Reset();
        return hr;
    }
    m_misc = misc;
    const bool siteFirst = (misc & OLEMISC_SETCLIENTSITEFIRST) != 0;
    if (siteFirst)
        (void)object->SetClientSite(this);
    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(object->QueryInterface(IPersistStreamInit::iid, persist.voidOut())))
        (void)persist->InitNew();
    // A control that does not ask for its site first still needs one to activate in place.
    if (!siteFirst)
        (void)object->SetClientSite(this);
    try {
        m_events = std::make_unique<CControlEvents>(this);
        if (!m_events->connect(object))
            m_events.reset();
    } catch (...) {
        m_events.reset(); // the control works without forwarded events
    }
    return S_OK;
}

void CControlClient::close() noexcept
{
    m_owner = nullptr;
    if (!m_object || m_closePending)
        return;
    if (m_firing > 0) {
        m_closePending = true;
        return;
    }
    finishClose();
}

void CControlClient::endEvent() noexcept
{
    if (--m_firing > 0 || !m_closePending)
        return;
    // The control's own code is still on the stack below this event (its fire loop, a click
    // handler of its window): the close waits for the event loop, and keeps us until then.
    ComPtr<CControlClient> self(this);
    auto finish = [self]() noexcept { self->finishClose(); };
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || !QMetaObject::invokeMethod(app, finish, Qt::QueuedConnection))
        finishClose();
}

void CControlClient::finishClose() noexcept
{
    m_closePending = false;
    if (m_events) {
        m_events->disconnect();
        m_events.reset();
    }
    if (!m_object)
        return;
    const ComPtr<IOleObject> object = std::move(m_object);
    m_object = nullptr;
    m_shown = false;
    (void)object->Close(OLECLOSE_NOSAVE);
    // The control holds its site: without this the two would keep each other alive.
    (void)object->SetClientSite(nullptr);
}

HWND CControlClient::controlWindow() const noexcept
{
    ComPtr<IOleWindow> window;
    HWND hwnd = 0;
    if (m_object && SUCCEEDED(m_object.As(window)) && SUCCEEDED(window->GetWindow(&hwnd)))
        return hwnd;
    return 0;
}

HWND CControlClient::window() const
{
    auto *self = const_cast<CControlClient *>(this);
    if (!m_windowMade && m_object && m_owner && m_owner->tree()) {
        m_windowMade = true;
        // The window appears as a child of the visible tree window: the tree is not repainted
        // while the control makes it, shows it once and hides it again.
        QWidget *host = platform::ui::widgetFromHandle(m_owner->tree()->hostWindow());
        const bool paused = host && host->isVisible() && host->updatesEnabled();
        if (paused)
            host->setUpdatesEnabled(false);
        self->show();
        self->hide();
        if (paused)
            host->setUpdatesEnabled(true);
    }
    return controlWindow();
}

SIZE CControlClient::size() const
{
    return { width(m_rect), height(m_rect) };
}

void CControlClient::setSize(LONG cx, LONG cy)
{
    if (m_placing > 0)
        return;
    (void)put_WidthContainer(cx);
    (void)put_HeightContainer(cy);
}

void CControlClient::setPosition(LONG x, LONG y)
{
    if (m_rect.left != x || m_rect.top != y || m_rectPending)
        (void)MoveAt(x, y);
}

void CControlClient::setVisible(bool visible)
{
    if (visible && !m_shown)
        show();
    else if (!visible && m_shown)
        hide();
}

void CControlClient::release()
{
    if (CControlHolder *holder = m_owner)
        holder->removeClient(this);
    Release();
}

void CControlClient::show() noexcept
{
    if (!m_object || (m_misc & OLEMISC_INVISIBLEATRUNTIME))
        return;
    // Showing a control must not take the keyboard focus from wherever the user has it.
    QWidget *focus = QApplication::focusWidget();
    const Nested placing(m_placing);
    if (SUCCEEDED(m_object->DoVerb(OLEIVERB_SHOW, nullptr, nullptr, 0, 0, nullptr)))
        m_shown = true;
    if (focus && QApplication::focusWidget() != focus)
        focus->setFocus(Qt::OtherFocusReason);
}

void CControlClient::hide() noexcept
{
    if (!m_object || !m_shown)
        return;
    if (SUCCEEDED(m_object->DoVerb(OLEIVERB_HIDE, nullptr, nullptr, 0, 0, nullptr)))
        m_shown = false;
}

void CControlClient::place() noexcept
{
    m_rectPending = false;
    if (!m_object)
        return;
    const Nested placing(m_placing);
    (void)placeInPlaceObject(m_object.Get(), m_rect, true);
}

HRESULT CControlClient::get_Width(LONG *pVal) noexcept
{
    return giveOut(pVal, width(m_rect));
}

HRESULT CControlClient::put_Width(LONG newVal) noexcept
{
    m_rect.right = m_rect.left + std::max<LONG>(0, newVal);
    place();
    return S_OK;
}

HRESULT CControlClient::get_Height(LONG *pVal) noexcept
{
    return giveOut(pVal, height(m_rect));
}

HRESULT CControlClient::put_Height(LONG newVal) noexcept
{
    m_rect.bottom = m_rect.top + std::max<LONG>(0, newVal);
    place();
    return S_OK;
}

HRESULT CControlClient::get_Top(LONG *pVal) noexcept
{
    return giveOut(pVal, m_rect.top);
}

HRESULT CControlClient::put_Top(LONG newVal) noexcept
{
    const LONG h = height(m_rect);
    m_rect.top = newVal;
    m_rect.bottom = newVal + h;
    place();
    return S_OK;
}

HRESULT CControlClient::get_Left(LONG *pVal) noexcept
{
    return giveOut(pVal, m_rect.left);
}

HRESULT CControlClient::put_Left(LONG newVal) noexcept
{
    const LONG w = width(m_rect);
    m_rect.left = newVal;
    m_rect.right = newVal + w;
    place();
    return S_OK;
}

HRESULT CControlClient::get_Visible(VARIANT_BOOL *pVal) noexcept
{
    return giveOut(pVal, m_shown ? VARIANT_TRUE : VARIANT_FALSE);
}

HRESULT CControlClient::put_Visible(VARIANT_BOOL newVal) noexcept
{
    if (newVal != VARIANT_FALSE)
        show();
    else
        hide();
    return S_OK;
}

HRESULT CControlClient::get_Object(IDispatch **pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    *pVal = nullptr;
    if (m_object)
        (void)m_object->QueryInterface(IDispatch::iid, reinterpret_cast<void **>(pVal));
    return S_OK;
}

HRESULT CControlClient::get_hWnd(LONG *pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    const HWND hwnd = controlWindow();
    if (!hwnd)
        return S_FALSE;
    *pVal = static_cast<LONG>(hwnd);
    return S_OK;
}

HRESULT CControlClient::get_Key(BSTR *pVal) noexcept
{
    return giveOut(pVal, hosting::keyText(m_key).copy());
}

HRESULT CControlClient::get_Resizable(VARIANT_BOOL *pVal) noexcept
{
    if (!pVal)
        return E_POINTER;
    const HWND hwnd = controlWindow();
    if (!hwnd)
        return S_FALSE;
    const auto style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    *pVal = (style & WS_THICKFRAME) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CControlClient::put_Resizable(VARIANT_BOOL newVal) noexcept
{
    const HWND hwnd = controlWindow();
    if (!hwnd)
        return S_FALSE;
    const auto style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    const DWORD wanted =
        newVal != VARIANT_FALSE ? (style | WS_THICKFRAME) : (style & ~WS_THICKFRAME);
    if (wanted != style)
        (void)SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(wanted));
    return S_OK;
}

HRESULT CControlClient::put_WidthContainer(LONG newVal) noexcept
{
    m_rect.right = m_rect.left + std::max<LONG>(0, newVal);
    m_rectPending = true;
    return S_OK;
}

HRESULT CControlClient::put_HeightContainer(LONG newVal) noexcept
{
    m_rect.bottom = m_rect.top + std::max<LONG>(0, newVal);
    m_rectPending = true;
    return S_OK;
}

HRESULT CControlClient::MoveAt(LONG X, LONG Y) noexcept
{
    const LONG w = width(m_rect), h = height(m_rect);
    m_rect = { X, Y, X + w, Y + h };
    place();
    return S_OK;
}

HRESULT CControlClient::get_ShowHatching(VARIANT_BOOL *pVal) noexcept
{
    return giveOut(pVal, VARIANT_FALSE);
}

HRESULT CControlClient::get_ShowGrabHandles(VARIANT_BOOL *pVal) noexcept
{
    return giveOut(pVal, VARIANT_FALSE);
}

HRESULT CControlClient::get_UserMode(LONG *pVal) noexcept
{
    return giveOut(pVal, 1);
}

HRESULT CControlClient::GetWindow(HWND *phwnd) noexcept
{
    if (!phwnd)
        return E_POINTER;
    *phwnd = m_owner && m_owner->tree() ? m_owner->tree()->hostWindow() : 0;
    return *phwnd ? S_OK : E_FAIL;
}

HRESULT CControlClient::GetMoniker(DWORD, DWORD, IMoniker **ppmk) noexcept
{
    if (ppmk)
        *ppmk = nullptr;
    return E_NOTIMPL;
}

HRESULT CControlClient::GetContainer(IOleContainer **ppContainer) noexcept
{
    if (ppContainer)
        *ppContainer = nullptr;
    return E_NOTIMPL;
}

HRESULT CControlClient::OnShowWindow(BOOL fShow) noexcept
{
    m_shown = fShow != FALSE;
    return S_OK;
}

HRESULT CControlClient::CanInPlaceActivate() noexcept
{
    return m_misc != 0 && m_owner ? S_OK : S_FALSE;
}

HRESULT CControlClient::GetWindowContext(IOleInPlaceFrame **ppFrame, IOleInPlaceUIWindow **ppDoc,
    LPRECT lprcPosRect, LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO) noexcept
{
    if (!ppFrame || !ppDoc || !lprcPosRect || !lprcClipRect)
        return E_POINTER;
    *ppFrame = ComPtr<IOleInPlaceFrame>(static_cast<IOleInPlaceFrame *>(this)).Detach();
    *ppDoc = ComPtr<IOleInPlaceUIWindow>(static_cast<IOleInPlaceFrame *>(this)).Detach();
    *lprcPosRect = m_rect;
    *lprcClipRect = m_rect;
    return S_OK;
}

HRESULT getControlFactory(REFIID riid, void **ppv) noexcept
{
    return getClassFactory<CControlClient>(riid, ppv);
}

} // namespace arbor

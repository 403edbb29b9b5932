#include "platform/com/ole/controlhost.h"

#include "platform/com/creation.h"
#include "platform/com/ole/inplace.h"
#include "platform/com/ole/internal/controlsite.h"
#include "platform/com/ole/olectl.h"

#include <QFocusEvent>
#include <QPainter>
#include <QResizeEvent>

namespace platform::com {

ControlHost::ControlHost(QWidget *parent)
    : QWidget(parent)
    , m_site(ControlSite::make(this))
{
    setFocusPolicy(Qt::StrongFocus);
}

ControlHost::~ControlHost()
{
    closeControl();
    if (m_site)
        m_site->detach();
}

HRESULT ControlHost::createControl(std::u16string_view name, IStream *properties) noexcept
{
    const std::u16string text(name);
    CLSID clsid {};
    const HRESULT hr = CLSIDFromString(text.c_str(), &clsid);
    if (FAILED(hr))
        return hr;
    return createControl(clsid, properties);
}

HRESULT ControlHost::createControl(REFCLSID clsid, IStream *properties) noexcept
{
    closeControl();
    if (!m_site)
        return E_OUTOFMEMORY;
    ComPtr<IOleObject> object;
    HRESULT hr =
        CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, object.voidOut());
    if (FAILED(hr))
        return hr;
    DWORD status = 0;
    if (FAILED(object->GetMiscStatus(DVASPECT_CONTENT, &status)))
        (void)OleRegGetMiscStatus(clsid, DVASPECT_CONTENT, &status);
    m_miscStatus = status;
    m_object = object;

    IOleClientSite *site = m_site.Get();
    // A control that asks for it sees its site before anything else, so that it can read the
    // ambient properties while it initialises.
    if (status & OLEMISC_SETCLIENTSITEFIRST)
        hr = object->SetClientSite(site);
    ComPtr<IPersistStreamInit> persist;
    if (SUCCEEDED(hr) && SUCCEEDED(object.As(persist)))
        hr = properties ? persist->Load(properties) : persist->InitNew();
    else if (SUCCEEDED(hr) && properties)
        hr = E_NOINTERFACE; // settings for a control that cannot read them
    if (SUCCEEDED(hr) && !(status & OLEMISC_SETCLIENTSITEFIRST))
        hr = object->SetClientSite(site);
    if (FAILED(hr)) {
        closeControl();
        return hr;
    }
    const std::u16string name = m_displayName.toStdU16String();
    (void)object->SetHostNames(u"Bidlark", name.c_str());
    SIZEL extent { pixelsToHimetric(width(), screenDpiX()),
        pixelsToHimetric(height(), screenDpiY()) };
    (void)object->SetExtent(DVASPECT_CONTENT, &extent);

    if ((status & OLEMISC_INVISIBLEATRUNTIME) && m_userMode)
        return S_OK;
    const RECT rect = controlRect();
    hr = object->DoVerb(
        OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, platform::ui::windowHandle(this), &rect);
    if (SUCCEEDED(hr))
        m_shown = true;
    return hr;
}

void ControlHost::closeControl() noexcept
{
    if (!m_object)
        return;
    const ComPtr<IOleObject> object = std::move(m_object);
    m_object = nullptr;
    if (m_inPlace)
        (void)m_inPlace->InPlaceDeactivate();
    (void)object->Close(OLECLOSE_NOSAVE);
    (void)object->SetClientSite(nullptr);
    m_inPlace.Reset();
    m_inPlaceActive = false;
    m_shown = false;
    m_miscStatus = 0;
}

ComPtr<IDispatch> ControlHost::control() const noexcept
{
    ComPtr<IDispatch> dispatch;
    if (m_object)
        (void)m_object.As(dispatch);
    return dispatch;
}

HWND ControlHost::controlWindow() const noexcept
{
    ComPtr<IOleWindow> window;
    HWND hwnd = 0;
    if (m_object && SUCCEEDED(m_object.As(window)) && SUCCEEDED(window->GetWindow(&hwnd)))
        return hwnd;
    return 0;
}

HRESULT ControlHost::doVerb(LONG verb) noexcept
{
    if (!m_object)
        return E_UNEXPECTED;
    const RECT rect = controlRect();
    const HRESULT hr =
        m_object->DoVerb(verb, nullptr, m_site.Get(), 0, platform::ui::windowHandle(this), &rect);
    if (SUCCEEDED(hr) && verb == OLEIVERB_HIDE)
        m_shown = false;
    else if (SUCCEEDED(hr) &&
        (verb == OLEIVERB_SHOW || verb == OLEIVERB_INPLACEACTIVATE || verb == OLEIVERB_UIACTIVATE))
        m_shown = true;
    return hr;
}

HRESULT ControlHost::drawControl(QPainter &painter, const QRect &bounds) noexcept
{
    if (!m_object)
        return E_UNEXPECTED;
    ComPtr<IViewObject> view;
    if (FAILED(m_object.As(view)))
        return E_NOINTERFACE;
    const RECTL rect { bounds.left(), bounds.top(), bounds.left() + bounds.width(),
        bounds.top() + bounds.height() };
    return view->Draw(
        DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, &painter, &rect, nullptr, nullptr, 0);
}

void ControlHost::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // A control with a window paints itself; one without is drawn here.
    if (m_object && !controlWindow()) {
        QPainter painter(this);
        (void)drawControl(painter, rect());
    }
}

void ControlHost::setUserMode(bool on)
{
    if (m_userMode == on)
        return;
    m_userMode = on;
    ambientChanged(DISPID_AMBIENT_USERMODE);
}

void ControlHost::setDisplayName(const QString &name)
{
    if (m_displayName == name)
        return;
    m_displayName = name;
    ambientChanged(DISPID_AMBIENT_DISPLAYNAME);
}

RECT ControlHost::controlRect() const noexcept
{
    return RECT { 0, 0, width(), height() };
}

void ControlHost::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeControl();
}

void ControlHost::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    if (QWidget *w = platform::ui::widgetFromHandle(controlWindow()))
        w->setFocus(event->reason());
}

void ControlHost::placeControl() noexcept
{
    if (!m_object)
        return;
    if (m_inPlace)
        (void)placeInPlaceObject(m_object.Get(), controlRect(), true);
    else {
        SIZEL extent { pixelsToHimetric(width(), screenDpiX()),
            pixelsToHimetric(height(), screenDpiY()) };
        (void)m_object->SetExtent(DVASPECT_CONTENT, &extent);
    }
}

void ControlHost::ambientChanged(DISPID id) noexcept
{
    ComPtr<IOleControl> control;
    if (m_object && SUCCEEDED(m_object.As(control)))
        (void)control->OnAmbientPropertyChange(id);
}

} // namespace platform::com

// automation.h names a parameter "slots", which Qt defines as a macro: it comes before any Qt
// header.
#include "tests/platform/no_type_info.h"
#include "tests/platform/ole_control/control.h"

#include "platform/com/creation.h"
#include "platform/com/ole/controlhost.h"
#include "platform/com/ole/stdfont.h"
#include "platform/com/server_module.h"
#include "platform/ui/wincalls.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <cstdlib>
#include <vector>

namespace {

using namespace platform::com;
using platform::ui::widgetFromHandle;
using platform::ui::windowHandle;

std::string controlLibrary()
{
    const char *bin = std::getenv("BIDLARK_BIN_DIR");
    return std::string(bin ? bin : ".") + "/liboletestcontrol.so";
}

// Records the events it receives: DISPID and the first argument as a number.
class EventSink final : public NoTypeInfo<ComObject<EventSink, IDispatch>> {
public:
    struct Event {
        DISPID id;
        LONG arg;
        bool operator==(const Event &) const = default;
    };
    std::vector<Event> events;

    HRESULT QueryInterface(REFIID riid, void **ppv) noexcept override
    {
        // Answers the event interface as its IDispatch, as an event sink must.
        if (riid == DIID__ITestControlEvents) {
            *ppv = static_cast<IDispatch *>(this);
            AddRef();
            return S_OK;
        }
        return ComObject::QueryInterface(riid, ppv);
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *p, VARIANT *, EXCEPINFO *,
        UINT *) noexcept override
    {
        LONG arg = 0;
        if (p && p->cArgs > 0 && p->rgvarg[p->cArgs - 1].vt == VT_I4)
            arg = p->rgvarg[p->cArgs - 1].lVal;
        events.push_back({ id, arg });
        return S_OK;
    }
};

class ControlHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(CallServerRegistration(controlLibrary(), false), S_OK) << lastServerLoadError();
    }
    static HRESULT canUnloadNow()
    {
        HRESULT status = S_OK;
        auto entry = reinterpret_cast<HRESULT (*)()>(
            serverEntryPoint(controlLibrary(), "DllCanUnloadNow", &status));
        return entry ? entry() : status;
    }
};

TEST_F(ControlHostTest, HostsTheControlByProgIdEndToEnd)
{
    HWND controlHwnd = 0;
    {
        QWidget window;
        window.resize(400, 300);
        auto *host = new ControlHost(&window);
        host->setGeometry(10, 20, 200, 80);
        window.show();
        ASSERT_EQ(host->createControl(u"Test.OleControl"), S_OK);
        EXPECT_EQ(host->miscStatus(), testcontrol::kMiscStatus);
        EXPECT_TRUE(host->isInPlaceActive());

        // The control's window is a child of the host's window, found by handle.
        controlHwnd = host->controlWindow();
        ASSERT_NE(controlHwnd, 0);
        EXPECT_EQ(GetParent(controlHwnd), windowHandle(host));
        EXPECT_TRUE(IsChild(windowHandle(&window), controlHwnd));
        QWidget *control = widgetFromHandle(controlHwnd);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->geometry(), QRect(0, 0, 200, 80));
        EXPECT_TRUE(control->isVisible());

        ComPtr<ITestControl> object;
        ASSERT_EQ(host->control().As(object), S_OK);
        LONG value = 0;
        ASSERT_EQ(object->get_hWnd(&value), S_OK);
        EXPECT_EQ(value, controlHwnd);
        ASSERT_EQ(object->get_SeenUserMode(&value), S_OK);
        EXPECT_EQ(value, VARIANT_TRUE) << "the site was given first and answered UserMode";
        host->setUserMode(false);
        ASSERT_EQ(object->get_SeenUserMode(&value), S_OK);
        EXPECT_EQ(value, VARIANT_FALSE) << "ambient change announced to the control";

        // Resizing the host moves and sizes the control and tells it its extent.
        host->resize(300, 120);
        EXPECT_EQ(control->geometry(), QRect(0, 0, 300, 120));
        SIZEL extent {};
        ASSERT_EQ(host->oleObject()->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
        EXPECT_EQ(himetricToPixels(extent.cx, screenDpiX()), 300);
        EXPECT_EQ(himetricToPixels(extent.cy, screenDpiY()), 120);

        // Hide and show follow the verbs.
        ASSERT_EQ(host->doVerb(OLEIVERB_HIDE), S_OK);
        EXPECT_FALSE(control->isVisible());
        EXPECT_FALSE(host->isControlShown());
        EXPECT_FALSE(IsWindowVisible(controlHwnd));
        ASSERT_EQ(host->doVerb(OLEIVERB_SHOW), S_OK);
        EXPECT_TRUE(control->isVisible());
        EXPECT_TRUE(host->isControlShown());

        // Events reach a sink.
        ComPtr<IConnectionPointContainer> points;
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(object.As(points), S_OK);
        ASSERT_EQ(points->FindConnectionPoint(DIID__ITestControlEvents, &point), S_OK);
        auto sink = EventSink::make();
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(sink->identity(), &cookie), S_OK);
        ASSERT_EQ(object->Bump(5, &value), S_OK);
        QTest::mouseClick(control, Qt::LeftButton);
        EXPECT_EQ(sink->events,
            (std::vector<EventSink::Event> {
                { testcontrol::kChanged, 5 }, { testcontrol::kClicked, 0 } }));

        // Keyboard focus given to the host goes on to the control.
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        host->setFocus();
        EXPECT_EQ(QApplication::focusWidget(), control);
        EXPECT_NE(canUnloadNow(), S_OK) << "the control is alive";
    }
    // Closing the host released the control: its window is gone and the module may unload.
    EXPECT_FALSE(IsWindow(controlHwnd));
    EXPECT_EQ(canUnloadNow(), S_OK);
}

TEST_F(ControlHostTest, CloseControlLeavesAnEmptyHostAndRefusals)
{
    QWidget window;
    auto *host = new ControlHost(&window);
    host->resize(100, 40);
    ASSERT_EQ(host->createControl(u"Test.OleControl.1"), S_OK);
    const HWND hwnd = host->controlWindow();
    EXPECT_TRUE(IsWindow(hwnd));
    host->closeControl();
    EXPECT_FALSE(host->hasControl());
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(host->controlWindow(), 0);
    EXPECT_EQ(host->doVerb(OLEIVERB_SHOW), E_UNEXPECTED);
    host->closeControl(); // twice is harmless
    EXPECT_EQ(canUnloadNow(), S_OK);

    EXPECT_EQ(host->createControl(u"No.Such.Control"), CO_E_CLASSSTRING);
    EXPECT_EQ(host->createControl(u"{00000000-1111-2222-3333-444444444444}"), REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(host->hasControl());

    // Creating a second control replaces the first.
    ASSERT_EQ(host->createControl(u"Test.OleControl"), S_OK);
    const HWND first = host->controlWindow();
    ASSERT_EQ(host->createControl(u"Test.OleControl"), S_OK);
    EXPECT_FALSE(IsWindow(first));
    EXPECT_TRUE(IsWindow(host->controlWindow()));
}

TEST_F(ControlHostTest, SiteComesBeforeInitialisationOnlyWhenTheControlAsks)
{
    struct Case {
        const char16_t *progId;
        LONG siteAtInit;
    } cases[] = {
        { u"Test.OleControl.1", 1 },
        { u"Test.OleControlLateSite.1", 0 },
    };
    for (const Case &c : cases) {
        ControlHost host;
        host.resize(50, 20);
        ASSERT_EQ(host.createControl(c.progId), S_OK);
        ComPtr<ITestControl> object;
        ASSERT_EQ(host.control().As(object), S_OK);
        LONG seen = 99;
        ASSERT_EQ(object->get_SiteAtInit(&seen), S_OK);
        EXPECT_EQ(seen, c.siteAtInit);
        ComPtr<IOleClientSite> site;
        ASSERT_EQ(host.oleObject()->GetClientSite(&site), S_OK);
        EXPECT_TRUE(site) << "every control has its site once created";
    }
}

TEST_F(ControlHostTest, LoadsDesignTimePropertiesFromAStream)
{
    std::string saved;
    {
        ControlHost host;
        ASSERT_EQ(host.createControl(u"Test.OleControl"), S_OK);
        ComPtr<ITestControl> object;
        ASSERT_EQ(host.control().As(object), S_OK);
        BStr caption(u"Saved caption");
        LONG value = 0;
        ASSERT_EQ(object->put_Caption(caption.get()), S_OK);
        ASSERT_EQ(object->Bump(41, &value), S_OK);
        ComPtr<IPersistStreamInit> persist;
        ComPtr<IStream> stream;
        ASSERT_EQ(object.As(persist), S_OK);
        ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
        ASSERT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
        ASSERT_EQ(streamBytes(stream.Get(), saved), S_OK);
    }
    ControlHost host;
    ComPtr<IStream> stream;
    ASSERT_EQ(createStreamOnBytes(saved, &stream), S_OK);
    ASSERT_EQ(host.createControl(u"Test.OleControl", stream.Get()), S_OK);
    ComPtr<ITestControl> object;
    ASSERT_EQ(host.control().As(object), S_OK);
    BStr caption;
    LONG value = 0;
    ASSERT_EQ(object->get_Caption(caption.out()), S_OK);
    ASSERT_EQ(object->get_Value(&value), S_OK);
    EXPECT_EQ(caption.view(), u"Saved caption");
    EXPECT_EQ(value, 41);
    EXPECT_EQ(GetWindowTextLengthW(host.controlWindow()), 13)
        << "the window shows the loaded caption";

    ComPtr<IStream> broken;
    ASSERT_EQ(createStreamOnBytes(saved.substr(0, 6), &broken), S_OK);
    EXPECT_EQ(host.createControl(u"Test.OleControl", broken.Get()), E_FAIL);
    EXPECT_FALSE(host.hasControl()) << "a control that cannot load is released";
}

TEST_F(ControlHostTest, DrawsTheControlThroughItsViewObject)
{
    ControlHost host;
    host.resize(80, 30);
    QImage image(80, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    EXPECT_EQ(host.drawControl(painter, QRect(0, 0, 80, 30)), E_UNEXPECTED);
    ASSERT_EQ(host.createControl(u"Test.OleControl"), S_OK);
    ASSERT_EQ(host.drawControl(painter, QRect(10, 5, 60, 20)), S_OK);
    painter.end();
    EXPECT_EQ(image.pixelColor(10, 5), QColor(Qt::black))
        << "the control's frame, where it was asked to draw";
    EXPECT_EQ(image.pixelColor(5, 2), QColor(Qt::white)) << "nothing outside the bounds";
}

TEST_F(ControlHostTest, AmbientPropertiesThroughTheSiteDispatch)
{
    ControlHost host;
    host.setDisplayName(QStringLiteral("Tree1"));
    QFont font(QStringLiteral("Liberation Serif"));
    font.setPointSizeF(11);
    font.setBold(true);
    host.setFont(font);
    ASSERT_EQ(host.createControl(u"Test.OleControl"), S_OK);
    ComPtr<IOleClientSite> site;
    ComPtr<IDispatch> ambient;
    ASSERT_EQ(host.oleObject()->GetClientSite(&site), S_OK);
    ASSERT_EQ(site.As(ambient), S_OK);
    const std::pair<const char16_t *, VARIANT_BOOL> flags[] = { { u"UserMode", VARIANT_TRUE },
        { u"ShowHatching", VARIANT_FALSE }, { u"ShowGrabHandles", VARIANT_FALSE },
        { u"UIDead", VARIANT_FALSE } };
    for (const auto &[flag, value] : flags) {
        Variant result;
        ASSERT_EQ(
            invokeByName(ambient.Get(), flag, DISPATCH_PROPERTYGET, nullptr, 0, &result), S_OK);
        EXPECT_EQ(result.vt, VT_BOOL);
        EXPECT_EQ(result.boolVal, value);
    }
    Variant name, fontValue, unknown;
    ASSERT_EQ(invokeByDispid(ambient.Get(), DISPID_AMBIENT_DISPLAYNAME, DISPATCH_PROPERTYGET,
                  nullptr, 0, &name),
        S_OK);
    EXPECT_EQ(view(name.bstrVal), u"Tree1");
    ASSERT_EQ(invokeByDispid(
                  ambient.Get(), DISPID_AMBIENT_FONT, DISPATCH_PROPERTYGET, nullptr, 0, &fontValue),
        S_OK);
    ASSERT_EQ(fontValue.vt, VT_DISPATCH);
    QFont seen;
    ASSERT_EQ(fontToQFont(fontValue.pdispVal, &seen), S_OK);
    EXPECT_EQ(seen.family(), "Liberation Serif");
    EXPECT_DOUBLE_EQ(seen.pointSizeF(), 11.0);
    EXPECT_TRUE(seen.bold());
    EXPECT_EQ(invokeByDispid(ambient.Get(), 12345, DISPATCH_PROPERTYGET, nullptr, 0, &unknown),
        DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(invokeByDispid(
                  ambient.Get(), DISPID_AMBIENT_USERMODE, DISPATCH_PROPERTYPUT, &name, 1, nullptr),
        DISP_E_MEMBERNOTFOUND);
}

} // namespace

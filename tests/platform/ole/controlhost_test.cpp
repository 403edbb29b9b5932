// automation.h names a parameter "slots", which Qt defines as a macro: it comes before any Qt
// header.
#include "tests/platform/ole_control/control.h"

#include "platform/com/creation.h"
#include "platform/com/ole/controlhost.h"
#include "platform/com/ole/stdfont.h"
#include "platform/com/server_module.h"
#include "platform/ui/wincalls.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QTest>

#include <cstdlib>

// What the tree control shares with the test control when hosted (activation, extent, drawing,
// release) is proved with the tree itself: ControlInContainer.*. Here: what only the test control
// can show.
namespace {

using namespace platform::com;
using platform::ui::widgetFromHandle;
using platform::ui::windowHandle;

std::string controlLibrary()
{
    const char *bin = std::getenv("BIDLARK_BIN_DIR");
    return std::string(bin ? bin : ".") + "/liboletestcontrol.so";
}

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
    static LONG siteAtInit(const ControlHost &host)
    {
        ComPtr<ITestControl> object;
        LONG seen = 99;
        EXPECT_EQ(host.control().As(object), S_OK);
        if (object) {
            EXPECT_EQ(object->get_SiteAtInit(&seen), S_OK);
        }
        return seen;
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
        host->setDisplayName(QStringLiteral("Tree1"));
        QFont font(QStringLiteral("Liberation Serif"));
        font.setPointSizeF(11);
        font.setBold(true);
        host->setFont(font);
        window.show();
        ASSERT_EQ(host->createControl(u"Test.OleControl"), S_OK);
        EXPECT_EQ(siteAtInit(*host), 1) << "the control asks for its site first";

        controlHwnd = host->controlWindow();
        QWidget *control = widgetFromHandle(controlHwnd);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(control->isVisible());

        ComPtr<ITestControl> object;
        ASSERT_EQ(host->control().As(object), S_OK);
        LONG value = 0;
        ASSERT_EQ(object->get_SeenUserMode(&value), S_OK);
        EXPECT_EQ(value, VARIANT_TRUE) << "the site was given first and answered UserMode";
        host->setUserMode(false);
        ASSERT_EQ(object->get_SeenUserMode(&value), S_OK);
        EXPECT_EQ(value, VARIANT_FALSE) << "ambient change announced to the control";

        // The other ambient properties, read through the site's dispatch.
        ComPtr<IOleClientSite> site;
        ComPtr<IDispatch> ambient;
        ASSERT_EQ(host->oleObject()->GetClientSite(&site), S_OK);
        ASSERT_EQ(site.As(ambient), S_OK);
        Variant name, fontValue, unknown;
        ASSERT_EQ(
            invokeByName(ambient.Get(), u"DisplayName", DISPATCH_PROPERTYGET, nullptr, 0, &name),
            S_OK);
        EXPECT_EQ(view(name.bstrVal), u"Tree1");
        ASSERT_EQ(invokeByDispid(ambient.Get(), DISPID_AMBIENT_FONT, DISPATCH_PROPERTYGET, nullptr,
                      0, &fontValue),
            S_OK);
        ASSERT_EQ(fontValue.vt, VT_DISPATCH);
        QFont seen;
        ASSERT_EQ(fontToQFont(fontValue.pdispVal, &seen), S_OK);
        EXPECT_EQ(seen.family(), "Liberation Serif");
        EXPECT_DOUBLE_EQ(seen.pointSizeF(), 11.0);
        EXPECT_TRUE(seen.bold());
        EXPECT_EQ(invokeByDispid(ambient.Get(), 12345, DISPATCH_PROPERTYGET, nullptr, 0, &unknown),
            DISP_E_MEMBERNOTFOUND);
        EXPECT_EQ(invokeByDispid(ambient.Get(), DISPID_AMBIENT_USERMODE, DISPATCH_PROPERTYPUT,
                      &name, 1, nullptr),
            DISP_E_MEMBERNOTFOUND);

        // Hide and show follow the verbs.
        ASSERT_EQ(host->doVerb(OLEIVERB_HIDE), S_OK);
        EXPECT_FALSE(control->isVisible());
        EXPECT_FALSE(host->isControlShown());
        ASSERT_EQ(host->doVerb(OLEIVERB_SHOW), S_OK);
        EXPECT_TRUE(control->isVisible());
        EXPECT_TRUE(host->isControlShown());

        // The view object draws inside the bounds it is given, not at the origin.
        QImage image(80, 30, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        ASSERT_EQ(host->drawControl(painter, QRect(10, 5, 60, 20)), S_OK);
        painter.end();
        EXPECT_EQ(image.pixelColor(10, 5), QColor(Qt::black)) << "the control's frame";
        EXPECT_EQ(image.pixelColor(5, 2), QColor(Qt::white)) << "nothing outside the bounds";

        // Keyboard focus given to the host goes on to the control.
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        host->setFocus();
        EXPECT_EQ(QApplication::focusWidget(), control);
    }
    EXPECT_FALSE(IsWindow(controlHwnd)) << "closing the host released the control";
}

TEST_F(ControlHostTest, CloseControlLeavesAnEmptyHostAndRefusals)
{
    QWidget window;
    auto *host = new ControlHost(&window);
    host->resize(100, 40);
    ASSERT_EQ(host->createControl(u"Test.OleControlLateSite.1"), S_OK);
    EXPECT_EQ(siteAtInit(*host), 0) << "a control that does not ask gets its site after";
    const HWND hwnd = host->controlWindow();
    EXPECT_TRUE(IsWindow(hwnd));
    host->closeControl();
    EXPECT_FALSE(host->hasControl());
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(host->controlWindow(), 0);
    EXPECT_EQ(host->doVerb(OLEIVERB_SHOW), E_UNEXPECTED);
    QImage image(8, 8, QImage::Format_RGB32);
    QPainter painter(&image);
    EXPECT_EQ(host->drawControl(painter, QRect(0, 0, 8, 8)), E_UNEXPECTED);
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
    EXPECT_NE(canUnloadNow(), S_OK) << "the control is alive";
}

TEST_F(ControlHostTest, LoadsDesignTimePropertiesFromAStream)
{
    // The test control's saved properties: u32 caption length, the UTF-16 caption, i32 value.
    const std::u16string caption = u"Saved caption";
    std::string saved(4, '\0');
    saved[0] = static_cast<char>(caption.size());
    saved.append(reinterpret_cast<const char *>(caption.data()), caption.size() * 2);
    saved.append("\x29\x00\x00\x00", 4); // 41
    ControlHost host;
    ComPtr<IStream> stream;
    ASSERT_EQ(createStreamOnBytes(saved, &stream), S_OK);
    ASSERT_EQ(host.createControl(u"Test.OleControl", stream.Get()), S_OK);
    ComPtr<ITestControl> object;
    ASSERT_EQ(host.control().As(object), S_OK);
    BStr loaded;
    LONG value = 0;
    ASSERT_EQ(object->get_Caption(loaded.out()), S_OK);
    ASSERT_EQ(object->get_Value(&value), S_OK);
    EXPECT_EQ(loaded.view(), caption);
    EXPECT_EQ(value, 41);
    EXPECT_EQ(GetWindowTextLengthW(host.controlWindow()), 13)
        << "the window shows the loaded caption";

    ComPtr<IStream> broken;
    ASSERT_EQ(createStreamOnBytes(saved.substr(0, 6), &broken), S_OK);
    EXPECT_EQ(host.createControl(u"Test.OleControl", broken.Get()), E_FAIL);
    EXPECT_FALSE(host.hasControl()) << "a control that cannot load is released";
}

} // namespace

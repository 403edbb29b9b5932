// The control in a container: created by ProgID through the container helper (the library stays
// loaded meanwhile), activated in place inside the host's window, shown at design time, clicked
// with the mouse while a sink listens, deactivated with its items kept, and released so the library
// may unload.
#include "tests/arbor/control_test_support.h"

#include "platform/com/ole/controlhost.h"
#include "platform/com/ole/olectl.h"
#include "platform/ui/wincalls.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPointer>
#include <QTest>
#include <QWidget>

namespace {

using namespace arbortest;
using platform::ui::widgetFromHandle;
using platform::ui::windowHandle;
namespace e = arbor::eventid;

std::vector<DISPID> withoutMoves(const std::vector<DISPID> &ids)
{
    std::vector<DISPID> out;
    for (DISPID id : ids)
        if (id != e::MouseMove)
            out.push_back(id);
    return out;
}

// A point at x on the item's row as HitTest finds it; null when no row near the top is the item's.
QPoint pointOn(IArbor *arbor, LONG item, int x)
{
    for (int y = 0; y < 40; ++y) {
        LONG hit = 0;
        EXPECT_EQ(arbor->get_HitTest(x, y, &hit), S_OK);
        if (hit == item)
            return QPoint(x, y);
    }
    return {};
}

TEST(ControlInContainer, ActivatedInPlaceClickedHeardDeactivatedAndReleased)
{
    const CanUnloadNow canUnload = registerArbor();
    ASSERT_NE(canUnload, nullptr);
    {
        QWidget window;
        window.resize(400, 300);
        auto *host = new ControlHost(&window);
        host->setGeometry(10, 20, 240, 160);
        window.show();
        ASSERT_EQ(host->createControl(u"Corvel.Arbor"), S_OK);
        EXPECT_EQ(host->miscStatus(), 131473u);
        ASSERT_TRUE(host->isInPlaceActive());
        const HWND frame = host->controlWindow();
        ASSERT_NE(frame, 0);
        EXPECT_EQ(GetParent(frame), windowHandle(host));
        EXPECT_EQ(widgetFromHandle(frame)->geometry(), QRect(0, 0, 240, 160));

        // The extent follows the host in HIMETRIC.
        host->resize(300, 120);
        SIZEL extent {};
        ASSERT_EQ(host->oleObject()->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
        EXPECT_EQ(extent.cx, pixelsToHimetric(300, screenDpiX()));
        EXPECT_EQ(extent.cy, pixelsToHimetric(120, screenDpiY()));

        ComPtr<IArbor> arbor;
        ASSERT_EQ(host->control().As(arbor), S_OK);
        EXPECT_EQ(canUnload(), S_FALSE);
        QWidget *view = itemWindow(arbor.Get());
        ASSERT_NE(view, nullptr);

        // At design time the logo from the library's resources shows where a background picture
        // would go, and only while none is set. Its top box is navy, unlike all else drawn here.
        const auto navyPixels = [&] {
            const QImage shot = view->grab().toImage();
            int count = 0;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    count += shot.pixelColor(x, y) == QColor(0, 0, 128);
            return count;
        };
        EXPECT_EQ(navyPixels(), 0);
        host->setUserMode(false);
        EXPECT_GT(navyPixels(), 50);
        ASSERT_EQ(arbor->putref_Picture(bitmapPicture(Qt::red).Get()), S_OK);
        EXPECT_EQ(navyPixels(), 0);
        ASSERT_EQ(arbor->putref_Picture(nullptr), S_OK);
        EXPECT_GT(navyPixels(), 50);
        host->setUserMode(true);
        EXPECT_EQ(navyPixels(), 0);

        ComPtr<ISupportErrorInfo> errors;
        ASSERT_EQ(arbor.As(errors), S_OK);
        EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IArbor::iid), S_OK);
        EXPECT_EQ(errors->InterfaceSupportsErrorInfo(IDispatch::iid), S_FALSE);
        ComPtr<IConnectionPointContainer> container;
        ASSERT_EQ(arbor.As(container), S_OK);
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(container->FindConnectionPoint(DIID__IArborEvents, &point), S_OK);
        auto sink = EventSink::make();
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(sink.Get(), &cookie), S_OK);

        Variant h;
        ASSERT_EQ(
            arbor->AddItem(BStr(u"click me").get(), Variant::missing(), Variant::missing(), &h),
            S_OK);
        EXPECT_TRUE(IsChild(frame, windowHandle(view)));

        // Click the item's body.
        const QPoint at = pointOn(arbor.Get(), h.lVal, 40);
        ASSERT_FALSE(at.isNull());
        QTest::mouseClick(view, Qt::LeftButton, {}, at);
        EXPECT_EQ(withoutMoves(sink->ids()),
            std::vector<DISPID>({ e::MouseDown, e::ItemSelect, e::MouseUp, e::Click }));
        ASSERT_GE(sink->events.size(), 2u);
        EXPECT_EQ(sink->events[0].arg(2), at.x());
        EXPECT_EQ(sink->events[0].arg(3), at.y());

        // Frozen events reach no sink.
        ComPtr<IOleControl> control;
        ASSERT_EQ(arbor.As(control), S_OK);
        sink->events.clear();
        ASSERT_EQ(control->FreezeEvents(TRUE), S_OK);
        QTest::mouseClick(view, Qt::LeftButton, {}, at);
        EXPECT_TRUE(sink->events.empty());
        ASSERT_EQ(control->FreezeEvents(FALSE), S_OK);

        // Drawing through the view object gives the window's picture.
        QImage picture(300, 120, QImage::Format_RGB32);
        picture.fill(Qt::black);
        {
            QPainter painter(&picture);
            ASSERT_EQ(host->drawControl(painter, QRect(0, 0, 300, 120)), S_OK);
        }
        EXPECT_EQ(picture.pixelColor(150, 100), QColor(Qt::white)); // background below the item

        // Deactivation keeps the items; closing the host releases the control.
        ComPtr<IOleInPlaceObject> inPlace;
        ASSERT_EQ(arbor.As(inPlace), S_OK);
        ASSERT_EQ(inPlace->InPlaceDeactivate(), S_OK);
        LONG roots = 0;
        ASSERT_EQ(arbor->get_RootCount(&roots), S_OK);
        EXPECT_EQ(roots, 1);
        EXPECT_NE(GetParent(frame), windowHandle(host));
        ASSERT_EQ(point->Unadvise(cookie), S_OK);
        point = nullptr;
        container = nullptr;
        control = nullptr;
        inPlace = nullptr;
        arbor = nullptr;
        host->closeControl();
    }
    EXPECT_EQ(canUnload(), S_OK);
}

// A host may let go of the control from inside any handler of a mouse click: the control and its
// window go away without the rest of the click touching either.
TEST(ControlReleasedInHandler, LastReferenceDroppedInsideAnEvent)
{
    const CanUnloadNow canUnload = registerArbor();
    ASSERT_NE(canUnload, nullptr);
    for (DISPID releaseIn : { e::MouseDown, e::ItemSelect, e::MouseUp, e::Click }) {
        ComPtr<IArbor> arbor;
        ComPtr<IConnectionPoint> point;
        auto sink = EventSink::make();
        DWORD cookie = 0;
        ASSERT_NO_FATAL_FAILURE(createAdvised(arbor, point, sink.Get(), cookie));

        Variant h;
        ASSERT_EQ(arbor->AddItem(BStr(u"let go").get(), Variant::missing(), Variant::missing(), &h),
            S_OK);
        QPointer<QWidget> view = itemWindow(arbor.Get());
        ASSERT_TRUE(view);
        view->window()->resize(200, 100);
        view->window()->show();
        const QPoint at = pointOn(arbor.Get(), h.lVal, 30);
        ASSERT_FALSE(at.isNull());

        sink->onEvent = [&](const SeenEvent &seen) {
            if (seen.id == releaseIn) {
                point = nullptr;
                arbor = nullptr;
            }
        };
        QTest::mousePress(view, Qt::LeftButton, {}, at);
        if (view)
            QTest::mouseRelease(view, Qt::LeftButton, {}, at);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        EXPECT_FALSE(arbor);
        EXPECT_FALSE(view) << releaseIn;
        const std::vector<DISPID> seen = withoutMoves(sink->ids());
        ASSERT_FALSE(seen.empty());
        EXPECT_EQ(seen.back(), releaseIn) << "an event after the control was gone";
        EXPECT_EQ(canUnload(), S_OK) << releaseIn;
    }
}

} // namespace

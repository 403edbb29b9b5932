// Fonts a host shares with the control by reference: changes made through the object after the
// put reach painting (seen here as row heights through HitTest), the objects go with their items,
// and a font that outlives the control reaches nothing.
#include "tests/arbor/control_test_support.h"

#include "platform/com/ole/olectl.h"

#include <QCoreApplication>
#include <QPushButton>

#include <vector>

namespace {

using namespace arbortest;
namespace d = arbor::dispid;
namespace e = arbor::eventid;

ComPtr<IFontDisp> newFont(LONGLONG size = 80000)
{
    FONTDESC desc { sizeof(FONTDESC), const_cast<LPOLESTR>(u"Arial"), { .int64 = size }, 400, 0,
        FALSE, FALSE, FALSE };
    ComPtr<IFontDisp> font;
    EXPECT_EQ(OleCreateFontIndirect(&desc, IFontDisp::iid, font.voidOut()), S_OK);
    return font;
}

class ControlFonts : public ControlFixture {
protected:
    // The height of the item's row: the client rows HitTest finds it in down the left edge.
    int rowHeight(LONG h)
    {
        int height = 0;
        for (LONG y = 0; y < 400; ++y) {
            LONG hit = 0;
            EXPECT_EQ(arbor->get_HitTest(2, y, &hit), S_OK);
            height += hit == h;
        }
        return height;
    }
};

TEST_F(ControlFonts, ChangesThroughTheControlFontObjectRepaintTheControl)
{
    const LONG a = add(u"a");
    add(u"b");
    const int small = rowHeight(a);
    ASSERT_GT(small, 0);
    ComPtr<IFontDisp> original = newFont();
    const struct {
        const char *name;
        std::function<ComPtr<IFontDisp>()> object; // the object the host then changes
        bool reachesControl;
    } cases[] = {
        { "an object put by reference",
            [&] {
                EXPECT_EQ(arbor->putref_Font(original.Get()), S_OK);
                return original;
            },
            true },
        { "the copy put_Font stored",
            [&] {
                EXPECT_EQ(arbor->put_Font(original.Get()), S_OK);
                return ComPtr<IFontDisp>();
            },
            true },
        { "the original of a put_Font copy",
            [&] {
                EXPECT_EQ(arbor->put_Font(original.Get()), S_OK);
                return original;
            },
            false },
    };
    for (const auto &c : cases) {
        ComPtr<IFontDisp> font = c.object();
        if (!font) {
            ASSERT_EQ(arbor->get_Font(&font), S_OK) << c.name;
        }
        ASSERT_EQ(rowHeight(a), small) << c.name;
        putProperty(font.Get(), u"Size", Variant::i4(30));
        putProperty(font.Get(), u"Bold", Variant::boolean(true));
        if (c.reachesControl)
            EXPECT_GT(rowHeight(a), small * 2) << c.name;
        else
            EXPECT_EQ(rowHeight(a), small) << c.name;
        putProperty(font.Get(), u"Size", Variant::i4(8));
        putProperty(font.Get(), u"Bold", Variant::boolean(false));
        EXPECT_EQ(rowHeight(a), small) << c.name;
    }
    // The object replaced by another is no longer heard.
    ASSERT_EQ(arbor->putref_Font(original.Get()), S_OK);
    ASSERT_EQ(arbor->putref_Font(newFont().Get()), S_OK);
    putProperty(original.Get(), u"Size", Variant::i4(30));
    EXPECT_EQ(rowHeight(a), small);
}

TEST_F(ControlFonts, OneItemFontObjectOnSeveralItemsRepaintsEachOfThem)
{
    const LONG a = add(u"a");
    const LONG b = add(u"b");
    const LONG c = add(u"c");
    add(u"d");
    const int small = rowHeight(b);
    ComPtr<IFontDisp> font = newFont();
    const ULONG unshared = refCount(font.Get());
    ASSERT_EQ(arbor->putref_ItemFont(a, font.Get()), S_OK);
    ASSERT_EQ(arbor->putref_ItemFont(c, font.Get()), S_OK);
    putProperty(font.Get(), u"Size", Variant::i4(30));
    EXPECT_GT(rowHeight(a), small * 2);
    EXPECT_EQ(rowHeight(b), small);
    EXPECT_EQ(rowHeight(c), rowHeight(a));

    // A copy put on an item is its own; the host's original no longer reaches it.
    ASSERT_EQ(arbor->put_ItemFont(c, font.Get()), S_OK);
    putProperty(font.Get(), u"Size", Variant::i4(8));
    EXPECT_EQ(rowHeight(a), small);
    EXPECT_GT(rowHeight(c), small * 2);
    ComPtr<IFontDisp> copy;
    ASSERT_EQ(arbor->get_ItemFont(c, &copy), S_OK);
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.Get(), font.Get());
    putProperty(copy.Get(), u"Size", Variant::i4(8));
    EXPECT_EQ(rowHeight(c), small);

    // A null font lets go of the object: the item no longer hears it.
    ASSERT_EQ(arbor->putref_ItemFont(a, nullptr), S_OK);
    EXPECT_EQ(refCount(font.Get()), unshared);
    putProperty(font.Get(), u"Size", Variant::i4(30));
    EXPECT_EQ(rowHeight(a), small);
}

// The removal of the whole tree: ControlFontsInside.AFontSharedByThousandsOfItemsReachesThemAll.
TEST_F(ControlFonts, ARemovedItemLetsGoOfItsFontAndItsReusedHandleHasNone)
{
    const LONG parent = add(u"parent");
    const LONG child = add(u"child", parent);
    ComPtr<IFontDisp> font = newFont();
    const ULONG before = refCount(font.Get());
    ASSERT_EQ(arbor->putref_ItemFont(parent, font.Get()), S_OK);
    const ULONG perItem = refCount(font.Get()) - before;
    ASSERT_GT(perItem, 0u);
    ASSERT_EQ(arbor->putref_ItemFont(child, font.Get()), S_OK);

    // A freed handle comes back only once a thousand more are free: free enough after ours.
    std::vector<LONG> fillers;
    for (int i = 0; i < 1030; ++i)
        fillers.push_back(add(u"filler"));
    Variant done;
    ASSERT_EQ(arbor->RemoveItem(child, &done), S_OK);
    EXPECT_EQ(done.boolVal, VARIANT_TRUE);
    EXPECT_EQ(refCount(font.Get()), before + perItem);
    putProperty(font.Get(), u"Size", Variant::i4(20)); // reaches the parent only
    for (LONG f : fillers)
        ASSERT_EQ(arbor->RemoveItemRec(f), S_OK);
    ASSERT_EQ(add(u"new"), child) << "the handle was not given again";
    IFontDisp *got = reinterpret_cast<IFontDisp *>(0xdeadbeef);
    ASSERT_EQ(arbor->get_ItemFont(child, &got), S_OK);
    EXPECT_EQ(got, nullptr);
}

// The host lets go of the control inside an event its window raised: the window and its items
// outlive the control until the event loop deletes them. Fonts changed and the adopted window's
// notifications meanwhile reach nothing, and every font reference goes with the window.
TEST(ControlFontsReleased, FontsChangedAfterTheControlWentReachNothing)
{
    for (const bool deferred : { false, true }) {
        ASSERT_NE(registerArbor(), nullptr);
        QPushButton button(QStringLiteral("go"));
        ComPtr<IArbor> arbor;
        ComPtr<IConnectionPoint> point;
        auto sink = EventSink::make();
        DWORD cookie = 0;
        ASSERT_NO_FATAL_FAILURE(createAdvised(arbor, point, sink.Get(), cookie));

        ComPtr<IFontDisp> controlFont = newFont();
        ComPtr<IFontDisp> itemFont = newFont();
        const ULONG controlBefore = refCount(controlFont.Get());
        const ULONG itemBefore = refCount(itemFont.Get());
        Variant h;
        ASSERT_EQ(arbor->AddItemWindow(static_cast<LONG>(platform::ui::windowHandle(&button)),
                      Variant::missing(), Variant::missing(), &h),
            S_OK);
        Variant text;
        ASSERT_EQ(
            arbor->AddItem(BStr(u"text").get(), Variant::missing(), Variant::missing(), &text),
            S_OK);
        ASSERT_EQ(arbor->putref_Font(controlFont.Get()), S_OK);
        ASSERT_EQ(arbor->putref_ItemFont(text.lVal, itemFont.Get()), S_OK);
        ASSERT_EQ(arbor->putref_ItemFont(h.lVal, controlFont.Get()), S_OK);

        sink->onEvent = [&](const SeenEvent &) {
            point = nullptr;
            arbor = nullptr;
        };
        if (deferred) {
            button.click(); // CommandMessage: released while the window raises it
            button.click(); // the dying control stopped listening at once
        } else {
            (void)point->Unadvise(cookie);
            point = nullptr;
            arbor = nullptr;
        }
        ASSERT_FALSE(arbor);
        for (IFontDisp *font : { controlFont.Get(), itemFont.Get() }) {
            putProperty(font, u"Size", Variant::i4(30));
            putProperty(font, u"Italic", Variant::boolean(true));
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(refCount(controlFont.Get()), controlBefore) << deferred;
        EXPECT_EQ(refCount(itemFont.Get()), itemBefore) << deferred;
        button.click();
        EXPECT_EQ(sink->ids(),
            deferred ? std::vector<DISPID> { e::CommandMessage } : std::vector<DISPID> {});
        putProperty(itemFont.Get(), u"Size", Variant::i4(10));
    }
}

} // namespace

// The control-wide properties of the control object as a host reads and writes them through
// Invoke: the version, enumerations refused outside their values, colour translation, the about
// box and the object-safety options.
#include "tests/arbor/control_test_support.h"

#include "platform/com/ole/olectl.h"
#include "platform/ui/handles.h"
#include "platform/ui/messagebox.h"

#include <QPixmap>

namespace {

using namespace arbortest;
namespace d = arbor::dispid;

constexpr WORD kGet = DISPATCH_PROPERTYGET;
constexpr WORD kPut = DISPATCH_PROPERTYPUT;

using ControlProperties = ControlFixture;

// The types and defaults of what a host saves are the saved-property fixtures'
// (ControlPersistence.SavedBytesMatchTheFixturesAndRoundTrip). The version is the library's own.
TEST_F(ControlProperties, VersionIsTheLibrarysOwnAndAPutIsIgnored)
{
    Variant out;
    ASSERT_EQ(call(d::Version, kPut, { Variant::str(u"9.9") }), S_OK);
    ASSERT_EQ(call(d::Version, kGet, {}, &out), S_OK);
    ASSERT_EQ(out.vt, VT_BSTR);
    EXPECT_EQ(view(out.bstrVal), u"1.01.006");
}

TEST_F(ControlProperties, EnumerationsOutsideTheirValuesAreRefusedAndChangeNothing)
{
    const struct {
        DISPID id;
        LONG good;
        LONG bad;
    } cases[] = {
        { d::BorderStyle, 6, 7 },
        { d::BorderStyle, 0, -1 },
        { d::PicturePosition, 34, 3 },
        { d::PicturePosition, 0, 15 },
        { d::PicturePosition, 32, 48 },
        { d::MousePointer, 99, 12 },
        { d::MousePointer, 11, 98 },
    };
    for (const auto &c : cases) {
        ASSERT_EQ(call(c.id, kPut, { Variant::i4(c.good) }), S_OK) << c.id << " " << c.good;
        EXCEPINFO excep {};
        EXPECT_EQ(call(c.id, kPut, { Variant::i4(c.bad) }, nullptr, &excep), DISP_E_EXCEPTION);
        EXPECT_EQ(excep.scode, E_INVALIDARG) << c.id << " " << c.bad;
        clearExcepInfo(&excep);
        Variant out;
        ASSERT_EQ(call(c.id, kGet, {}, &out), S_OK);
        EXPECT_EQ(out.lVal, c.good) << c.id;
    }
}

TEST_F(ControlProperties, ColoursAreStoredAsRgbAfterTranslation)
{
    COLORREF window = 0;
    ASSERT_EQ(OleTranslateColor(0x80000005, 0, &window), S_OK);
    const struct {
        OLE_COLOR put;
        LONG want;
    } cases[] = {
        { 0x000000FF, 0x000000FF },
        { 0x80000005, static_cast<LONG>(window & 0xFFFFFF) },
    };
    for (const auto &c : cases) {
        for (DISPID id : { d::BackColor, d::ForeColor }) {
            ASSERT_EQ(call(id, kPut, { Variant::i4(static_cast<LONG>(c.put)) }), S_OK);
            Variant out;
            ASSERT_EQ(call(id, kGet, {}, &out), S_OK);
            EXPECT_EQ(out.lVal, c.want) << std::hex << c.put;
        }
    }
}

// The drop effect's masking is in the members table (ModifyDropEffect rows).
TEST_F(ControlProperties, StyleIsMaskedAfterRemoveAndAdd)
{
    const struct {
        LONG remove, add, wantStyle;
    } styles[] = {
        { 0, 65535, 63 }, { 65535, 0, 0 }, { 0, 4 | 2, 6 }, { 4, 4, 2 }, // remove wins over add
    };
    for (const auto &c : styles) {
        ASSERT_EQ(arbor->ModifyStyle(Variant::i4(c.remove), Variant::i4(c.add)), S_OK);
        LONG style = -1;
        ASSERT_EQ(arbor->get_Style(&style), S_OK);
        EXPECT_EQ(style, c.wantStyle) << c.remove << " " << c.add;
    }
}

TEST_F(ControlProperties, AboutShowsNameAndVersionThroughTheMessageBoxFacade)
{
    platform::ui::MessageBoxRecorder recorder;
    ASSERT_EQ(call(d::About, DISPATCH_METHOD, {}), S_OK);
    ASSERT_EQ(recorder.boxes().size(), 1);
    EXPECT_TRUE(recorder.boxes()[0].text.contains(QStringLiteral("1.01.006")));
    EXPECT_TRUE(recorder.boxes()[0].text.contains(QStringLiteral("Arbor")));
}

// The mask rules are the shared helper's (platform ObjectSafety test); here this control's answers
// and the interfaces it has them for.
TEST_F(ControlProperties, ObjectSafetyAnswersForTheControlsOwnInterfaces)
{
    ComPtr<IObjectSafety> safety;
    ASSERT_EQ(arbor.As(safety), S_OK);
    DWORD supported = 0xdeadbeef, enabled = 0xdeadbeef;
    ASSERT_EQ(safety->GetInterfaceSafetyOptions(IArbor::iid, &supported, &enabled), S_OK);
    EXPECT_EQ(supported, 3u);
    EXPECT_EQ(enabled, 0u);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IDispatch::iid, 3, 3), S_OK);
    EXPECT_EQ(safety->SetInterfaceSafetyOptions(IClassFactory::iid, 1, 0), E_NOINTERFACE);
    ASSERT_EQ(safety->GetInterfaceSafetyOptions(IArbor::iid, &supported, &enabled), S_OK);
    EXPECT_EQ(enabled, 3u);
    supported = enabled = 0xdeadbeef;
    EXPECT_EQ(
        safety->GetInterfaceSafetyOptions(IClassFactory::iid, &supported, &enabled), E_NOINTERFACE);
    EXPECT_EQ(supported, 0u);
    EXPECT_EQ(enabled, 0u);
}

using ControlPictures = ControlFixture;

TEST_F(ControlPictures, PicturePutStoresACopyPutByReferenceTheObjectNullClears)
{
    const ComPtr<IPictureDisp> picture = bitmapPicture(Qt::red);
    ASSERT_TRUE(picture);
    using Put = HRESULT (IArbor::*)(IPictureDisp *) noexcept;
    using Get = HRESULT (IArbor::*)(IPictureDisp **) noexcept;
    const struct {
        const char *name;
        Put put, putref;
        Get get;
    } members[] = {
        { "Picture", &IArbor::put_Picture, &IArbor::putref_Picture, &IArbor::get_Picture },
        { "MouseIcon", &IArbor::put_MouseIcon, &IArbor::putref_MouseIcon, &IArbor::get_MouseIcon },
    };
    for (const auto &m : members) {
        ComPtr<IPictureDisp> got;
        ASSERT_EQ((arbor.Get()->*m.put)(picture.Get()), S_OK) << m.name;
        ASSERT_EQ((arbor.Get()->*m.get)(&got), S_OK);
        ASSERT_TRUE(got) << m.name;
        EXPECT_NE(got.Get(), picture.Get()) << m.name;
        QPixmap pixels;
        ASSERT_EQ(pictureToPixmap(got.Get(), &pixels), S_OK);
        EXPECT_EQ(pixels.toImage().pixelColor(4, 4), QColor(Qt::red)) << m.name;

        ASSERT_EQ((arbor.Get()->*m.putref)(picture.Get()), S_OK);
        ASSERT_EQ((arbor.Get()->*m.get)(&got), S_OK);
        EXPECT_EQ(got.Get(), picture.Get()) << m.name;

        ASSERT_EQ((arbor.Get()->*m.putref)(nullptr), S_OK);
        IPictureDisp *raw = reinterpret_cast<IPictureDisp *>(0xdeadbeef);
        ASSERT_EQ((arbor.Get()->*m.get)(&raw), S_OK);
        EXPECT_EQ(raw, nullptr) << m.name;
    }
    // Through Invoke a picture reads as an object.
    ASSERT_EQ(arbor->putref_Picture(picture.Get()), S_OK);
    Variant out;
    ASSERT_EQ(call(d::Picture, DISPATCH_PROPERTYGET, {}, &out), S_OK);
    EXPECT_EQ(out.vt, VT_DISPATCH);
}

// Translation is in the members table (ItemBackColor rows), the Invoke type in
// ControlInvoke.ItemGettersAnswerNothingForAnInvalidHandle, fonts in ControlFonts.
TEST_F(ControlPictures, ItemColoursBelongToTheirItem)
{
    const LONG a = add(u"a");
    const LONG b = add(u"b");
    ASSERT_EQ(
        call(d::ItemForeColor, DISPATCH_PROPERTYPUT, { Variant::i4(a), Variant::i4(0xFF) }), S_OK);
    OLE_COLOR colour = 0xdeadbeef;
    ASSERT_EQ(arbor->put_Enabled(VARIANT_FALSE), S_OK);
    ASSERT_EQ(arbor->get_ItemForeColor(a, &colour), S_OK);
    EXPECT_EQ(colour, 0xFFu) << "a disabled control keeps the item's colour";
    ASSERT_EQ(arbor->get_ItemForeColor(b, &colour), S_OK);
    EXPECT_EQ(colour, 0u) << "an item without its own colour reads the control's";
}

} // namespace

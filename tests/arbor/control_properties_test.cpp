// The control-wide properties of the control object as a host reads and writes them through
// Invoke: the version, enumerations refused outside their values, the style mask, the about box
// and the pictures.
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

TEST_F(ControlProperties, EnumerationsOutsideTheirValuesAreRefusedAndChangeNothing)
{
    const struct {
        DISPID id;
        LONG good;
        LONG bad;
    } cases[] = {
        { d::BorderStyle, 6, 7 },
        { d::PicturePosition, 34, 3 },
        { d::MousePointer, 99, 12 },
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

// The version is the library's own: a put is ignored, and the about box names it.
TEST_F(ControlProperties, AboutShowsTheVersionThatAPutDoesNotChange)
{
    platform::ui::MessageBoxRecorder recorder;
    Variant version;
    ASSERT_EQ(call(d::Version, kPut, { Variant::str(u"9.9") }), S_OK);
    ASSERT_EQ(call(d::Version, kGet, {}, &version), S_OK);
    ASSERT_EQ(version.vt, VT_BSTR);
    EXPECT_EQ(view(version.bstrVal), u"1.01.006");
    ASSERT_EQ(call(d::About, DISPATCH_METHOD, {}), S_OK);
    ASSERT_EQ(recorder.boxes().size(), 1);
    EXPECT_TRUE(recorder.boxes()[0].text.contains(QStringLiteral("1.01.006")));
    EXPECT_TRUE(recorder.boxes()[0].text.contains(QStringLiteral("Arbor")));
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
}

} // namespace

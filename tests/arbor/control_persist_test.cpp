// The control's saved property set: the bytes of a default and of a fully configured control
// (tests/fixtures/arbor, checked by hand once against the layout), round trips through a stream
// and a storage, and damaged streams that must fail without touching the control.
#include "tests/arbor/control_test_support.h"

#include <fstream>
#include <sstream>

namespace {

using namespace arbortest;

std::string fixture(const std::string &name)
{
    const char *source = std::getenv("BIDLARK_SOURCE_DIR");
    std::ifstream in(
        std::string(source ? source : ".") + "/tests/fixtures/arbor/" + name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

ComPtr<IArbor> newControl()
{
    ComPtr<IArbor> a;
    EXPECT_EQ(
        CoCreateInstance(CLSID_Arbor, nullptr, CLSCTX_INPROC_SERVER, IArbor::iid, a.voidOut()),
        S_OK);
    return a;
}

std::string saved(IArbor *control)
{
    ComPtr<IPersistStreamInit> persist;
    ComPtr<IStream> stream;
    std::string bytes;
    EXPECT_EQ(control->QueryInterface(IID_PPV_ARGS(&persist)), S_OK);
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    EXPECT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
    EXPECT_EQ(streamBytes(stream.Get(), bytes), S_OK);
    return bytes;
}

HRESULT load(IArbor *control, std::string_view bytes)
{
    ComPtr<IPersistStreamInit> persist;
    ComPtr<IStream> stream;
    EXPECT_EQ(control->QueryInterface(IID_PPV_ARGS(&persist)), S_OK);
    EXPECT_EQ(createStreamOnBytes(bytes, &stream), S_OK);
    return persist->Load(stream.Get());
}

// Every property of the set changed from its default.
void configure(IArbor *a)
{
    ComPtr<IOleObject> ole;
    ComPtr<IFontDisp> font;
    SIZEL extent { 5000, 2500 };
    ASSERT_EQ(a->QueryInterface(IID_PPV_ARGS(&ole)), S_OK);
    ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    ASSERT_EQ(a->get_Font(&font), S_OK);
    ASSERT_NO_FATAL_FAILURE(putProperty(font.Get(), u"Size", Variant::i4(12)));
    ASSERT_NO_FATAL_FAILURE(putProperty(font.Get(), u"Bold", Variant::boolean(true)));
    const HRESULT results[] = { a->put_BorderStyle(3), a->put_BackColor(0x123456),
        a->put_ForeColor(0xABCDEF), a->putref_Picture(bitmapPicture(Qt::red).Get()),
        a->put_PicturePosition(34), a->put_Enabled(VARIANT_FALSE), a->put_MousePointer(99),
        a->putref_MouseIcon(bitmapPicture(Qt::blue).Get()), a->put_AutoHScroll(VARIANT_FALSE),
        a->put_AutoVScroll(VARIANT_FALSE), a->ModifyStyle(Variant::i4(65535), Variant::i4(0)),
        a->ModifyStyle(Variant::i4(0), Variant::i4(0x2A)),
        a->ModifyDropEffect(Variant::i4(7), Variant::i4(0)),
        a->ModifyDropEffect(Variant::i4(0), Variant::i4(5)) };
    for (HRESULT hr : results)
        ASSERT_EQ(hr, S_OK);
}

// Where each typed variant of a saved set starts, found by reading the set back.
std::vector<std::size_t> rowOffsets(const std::string &bytes)
{
    ComPtr<IStream> stream;
    EXPECT_EQ(createStreamOnBytes(bytes, &stream), S_OK);
    LARGE_INTEGER header {};
    header.QuadPart = 12;
    EXPECT_EQ(stream->Seek(header, STREAM_SEEK_SET, nullptr), S_OK);
    std::vector<std::size_t> offsets;
    for (int row = 0; row < 11; ++row) {
        ULARGE_INTEGER here {};
        Variant value;
        EXPECT_EQ(stream->Seek(LARGE_INTEGER {}, STREAM_SEEK_CUR, &here), S_OK);
        offsets.push_back(static_cast<std::size_t>(here.QuadPart));
        EXPECT_EQ(readTypedVariant(stream.Get(), &value), S_OK) << row;
    }
    return offsets;
}

using ControlPersistence = ControlFixture;

TEST_F(ControlPersistence, SavedBytesMatchTheFixturesAndRoundTrip)
{
    const std::string defaults = saved(arbor.Get());
    EXPECT_EQ(defaults, fixture("default.arbor"));
    // A container saves a changed control, and only once.
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(arbor.As(persist), S_OK);
    ASSERT_NO_FATAL_FAILURE(configure(arbor.Get()));
    EXPECT_EQ(persist->IsDirty(), S_OK);
    const std::string configured = saved(arbor.Get());
    EXPECT_EQ(persist->IsDirty(), S_FALSE);
    EXPECT_EQ(configured, fixture("configured.arbor"));

    ComPtr<IArbor> copy = newControl();
    ASSERT_EQ(load(copy.Get(), configured), S_OK);
    EXPECT_EQ(saved(copy.Get()), configured);
    ComPtr<IStorage> storage;
    ComPtr<IPersistStorage> from, to;
    ComPtr<IArbor> third = newControl();
    ASSERT_EQ(createMemoryStorage(&storage), S_OK);
    ASSERT_EQ(arbor.As(from), S_OK);
    ASSERT_EQ(third.As(to), S_OK);
    ASSERT_EQ(from->Save(storage.Get(), FALSE), S_OK);
    ASSERT_EQ(to->Load(storage.Get()), S_OK);
    EXPECT_EQ(saved(third.Get()), configured);
}

// A stream cut anywhere, with any row's type swapped or with a value the control would refuse
// fails as a whole: the control is exactly as it was.
TEST_F(ControlPersistence, DamagedStreamsFailAndChangeNothing)
{
    ComPtr<IArbor> source = newControl();
    ASSERT_NO_FATAL_FAILURE(configure(source.Get()));
    const std::string good = saved(source.Get());
    const std::string before = saved(arbor.Get());
    auto refused = [&](const std::string &bytes, const std::string &what) {
        EXPECT_EQ(load(arbor.Get(), bytes), E_FAIL) << what;
        EXPECT_EQ(saved(arbor.Get()), before) << what;
    };
    for (std::size_t cut = 0; cut < good.size(); ++cut)
        refused(good.substr(0, cut), "cut at " + std::to_string(cut));
    const std::vector<std::size_t> rows = rowOffsets(good);
    auto patched = [&](std::size_t offset, const auto &value) {
        std::string bytes = good;
        std::memcpy(bytes.data() + offset, &value, sizeof value);
        return bytes;
    };
    for (std::size_t row = 0; row < rows.size(); ++row)
        for (VARTYPE vt : std::initializer_list<VARTYPE> {
                 VT_EMPTY, VT_I2, VT_I4, VT_R8, VT_BSTR, VT_DISPATCH, VT_BOOL, 0x7FFF })
            if (std::memcmp(good.data() + rows[row], &vt, 2) != 0)
                refused(patched(rows[row], vt),
                    "row " + std::to_string(row) + " as " + std::to_string(vt));
    const struct {
        const char *what;
        std::string bytes;
    } damaged[] = {
        { "a newer version", patched(0, LONG(769)) },
        { "border style 7", patched(rows[0] + 2, LONG(7)) },
        { "an unknown system colour", patched(rows[1] + 2, LONG(0x80000077)) },
        { "mouse pointer 12", patched(rows[7] + 2, LONG(12)) },
        { "a font as the picture", patched(rows[3] + 2, CLSID_StdFont) },
        { "the control as the mouse icon", patched(rows[8] + 2, CLSID_Arbor) },
    };
    for (const auto &d : damaged)
        refused(d.bytes, d.what);

    // What the control cannot keep is trimmed, not refused.
    std::string wide = patched(4, LONG(-5));
    std::memcpy(wide.data() + 8, "\xff\xff\xff\x7f", 4);
    std::memcpy(wide.data() + wide.size() - 8, "\xff\xff\xff\xff\xff\x00\x00\x00", 8);
    ASSERT_EQ(load(arbor.Get(), wide), S_OK);
    ComPtr<IOleObject> ole;
    SIZEL extent {};
    LONG style = 0, drop = 0;
    ASSERT_EQ(arbor.As(ole), S_OK);
    EXPECT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(arbor->get_Style(&style), S_OK);
    EXPECT_EQ(arbor->get_DropEffect(&drop), S_OK);
    EXPECT_EQ((std::vector<LONG> { extent.cx, extent.cy, style, drop }),
        (std::vector<LONG> { 0, 500000, 63, 7 }));
}

} // namespace

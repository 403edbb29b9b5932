// The control's saved property set: the bytes of a default and of a fully configured control
// (tests/fixtures/arbor, checked by hand once against the layout), round trips through a stream
// and a storage, and loads that must fail without touching the control.
#include "tests/arbor/control_test_support.h"

#include <fstream>
#include <sstream>

namespace {

using namespace arbortest;

std::string fixture(const std::string &name)
{
    const char *source = std::getenv("BIDLARK_SOURCE_DIR");
    return std::string(source ? source : ".") + "/tests/fixtures/arbor/" + name;
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

ComPtr<IArbor> newControl()
{
    ComPtr<IArbor> a;
    EXPECT_EQ(CoCreateInstance(CLSID_Arbor, nullptr, CLSCTX_INPROC_SERVER, IArbor::iid, a.voidOut()),
        S_OK);
    return a;
}

std::string saved(IArbor *control)
{
    ComPtr<IPersistStreamInit> persist;
    EXPECT_EQ(control->QueryInterface(IID_PPV_ARGS(&persist)), S_OK);
    ComPtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    EXPECT_EQ(persist->Save(stream.Get(), TRUE), S_OK);
    std::string bytes;
    EXPECT_EQ(streamBytes(stream.Get(), bytes), S_OK);
    return bytes;
}

HRESULT load(IArbor *control, std::string_view bytes)
{
    ComPtr<IPersistStreamInit> persist;
    EXPECT_EQ(control->QueryInterface(IID_PPV_ARGS(&persist)), S_OK);
    ComPtr<IStream> stream;
    EXPECT_EQ(createStreamOnBytes(bytes, &stream), S_OK);
    return persist->Load(stream.Get());
}

// Every property of the set changed from its default.
void configure(IArbor *a)
{
    ComPtr<IOleObject> ole;
    ASSERT_EQ(a->QueryInterface(IID_PPV_ARGS(&ole)), S_OK);
    SIZEL extent { 5000, 2500 };
    ASSERT_EQ(ole->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
    ASSERT_EQ(a->put_BorderStyle(3), S_OK);
    ASSERT_EQ(a->put_BackColor(0x123456), S_OK);
    ASSERT_EQ(a->put_ForeColor(0xABCDEF), S_OK);
    ASSERT_EQ(a->putref_Picture(bitmapPicture(Qt::red).Get()), S_OK);
    ASSERT_EQ(a->put_PicturePosition(34), S_OK);
    ComPtr<IFontDisp> font;
    ASSERT_EQ(a->get_Font(&font), S_OK);
    ASSERT_NO_FATAL_FAILURE(putProperty(font.Get(), u"Size", Variant::i4(12)));
    ASSERT_NO_FATAL_FAILURE(putProperty(font.Get(), u"Bold", Variant::boolean(true)));
    ASSERT_EQ(a->put_Enabled(VARIANT_FALSE), S_OK);
    ASSERT_EQ(a->put_MousePointer(99), S_OK);
    ASSERT_EQ(a->putref_MouseIcon(bitmapPicture(Qt::blue).Get()), S_OK);
    ASSERT_EQ(a->put_AutoHScroll(VARIANT_FALSE), S_OK);
    ASSERT_EQ(a->put_AutoVScroll(VARIANT_FALSE), S_OK);
    ASSERT_EQ(a->ModifyStyle(Variant::i4(65535), Variant::i4(0)), S_OK);
    ASSERT_EQ(a->ModifyStyle(Variant::i4(0), Variant::i4(0x2A)), S_OK);
    ASSERT_EQ(a->ModifyDropEffect(Variant::i4(7), Variant::i4(0)), S_OK);
    ASSERT_EQ(a->ModifyDropEffect(Variant::i4(0), Variant::i4(5)), S_OK);
}

// Where each typed variant of a saved set starts (its 2-byte type), found by reading it back.
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
        EXPECT_EQ(stream->Seek(LARGE_INTEGER {}, STREAM_SEEK_CUR, &here), S_OK);
        offsets.push_back(static_cast<std::size_t>(here.QuadPart));
        Variant value;
        EXPECT_EQ(readTypedVariant(stream.Get(), &value), S_OK) << row;
    }
    return offsets;
}

class ControlPersistence : public ControlFixture {
};

TEST_F(ControlPersistence, SavedBytesMatchTheFixtures)
{
    const std::string defaults = saved(arbor.Get());
    ASSERT_GE(defaults.size(), 4u);
    EXPECT_EQ(defaults.substr(0, 4), std::string("\x00\x03\x00\x00", 4));
    ASSERT_NO_FATAL_FAILURE(configure(arbor.Get()));
    const std::string configured = saved(arbor.Get());
    if (std::getenv("ARBOR_WRITE_FIXTURES")) {
        std::ofstream(fixture("default.arbor"), std::ios::binary) << defaults;
        std::ofstream(fixture("configured.arbor"), std::ios::binary) << configured;
    }
    EXPECT_EQ(defaults, readFile(fixture("default.arbor")));
    EXPECT_EQ(configured, readFile(fixture("configured.arbor")));
    // No picture: the null class identifier right after the Picture row's type.
    const std::size_t picture = rowOffsets(defaults)[3];
    EXPECT_EQ(defaults.substr(picture, 18), std::string("\x09\x00", 2) + std::string(16, '\0'));
}

TEST_F(ControlPersistence, RoundTripsThroughStreamAndStorage)
{
    ASSERT_NO_FATAL_FAILURE(configure(arbor.Get()));
    const std::string configured = saved(arbor.Get());
    ComPtr<IArbor> copy = newControl();
    ASSERT_EQ(load(copy.Get(), configured), S_OK);
    EXPECT_EQ(saved(copy.Get()), configured);
    LONG style = 0;
    EXPECT_EQ(copy->get_Style(&style), S_OK);
    EXPECT_EQ(style, 0x2A);

    ComPtr<IStorage> storage;
    ASSERT_EQ(createMemoryStorage(&storage), S_OK);
    ComPtr<IPersistStorage> from, to;
    ASSERT_EQ(arbor->QueryInterface(IID_PPV_ARGS(&from)), S_OK);
    ASSERT_EQ(from->Save(storage.Get(), FALSE), S_OK);
    ComPtr<IStream> contents;
    ASSERT_EQ(storage->OpenStream(u"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                  &contents),
        S_OK);
    ComPtr<IArbor> third = newControl();
    ASSERT_EQ(third->QueryInterface(IID_PPV_ARGS(&to)), S_OK);
    ASSERT_EQ(to->Load(storage.Get()), S_OK);
    EXPECT_EQ(saved(third.Get()), configured);
    EXPECT_EQ(to->IsDirty(), S_FALSE);
}

// A stream cut anywhere, or with any row's type swapped, fails and leaves the control as it was.
TEST_F(ControlPersistence, DamagedStreamsFailAndChangeNothing)
{
    ComPtr<IArbor> source = newControl();
    ASSERT_NO_FATAL_FAILURE(configure(source.Get()));
    const std::string good = saved(source.Get());
    const std::string before = saved(arbor.Get());
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(arbor->QueryInterface(IID_PPV_ARGS(&persist)), S_OK);
    auto refused = [&](const std::string &bytes, const std::string &what) {
        EXPECT_EQ(load(arbor.Get(), bytes), E_FAIL) << what;
        EXPECT_EQ(persist->IsDirty(), S_FALSE) << what;
        EXPECT_EQ(saved(arbor.Get()), before) << what;
    };
    for (std::size_t cut = 0; cut < good.size(); ++cut)
        refused(good.substr(0, cut), "cut at " + std::to_string(cut));

    const std::vector<std::size_t> rows = rowOffsets(good);
    const VARTYPE others[] = { VT_EMPTY, VT_I2, VT_I4, VT_R8, VT_BSTR, VT_DISPATCH, VT_UNKNOWN,
        VT_BOOL, VT_UI4, 0x7FFF };
    for (std::size_t row = 0; row < rows.size(); ++row) {
        VARTYPE own = 0;
        std::memcpy(&own, good.data() + rows[row], 2);
        for (VARTYPE vt : others) {
            if (vt == own)
                continue;
            std::string bytes = good;
            std::memcpy(bytes.data() + rows[row], &vt, 2);
            refused(bytes, "row " + std::to_string(row) + " as type " + std::to_string(vt));
        }
    }

    auto withLong = [&](std::size_t offset, LONG v) {
        std::string bytes = good;
        std::memcpy(bytes.data() + offset, &v, 4);
        return bytes;
    };
    auto withClsid = [&](std::size_t row, REFCLSID clsid) {
        std::string bytes = good.substr(0, rows[row] + 2);
        bytes.append(reinterpret_cast<const char *>(&clsid), 16); // the object's data follows
        return bytes + good.substr(rows[row] + 18);
    };
    const struct {
        const char *what;
        std::string bytes;
    } damaged[] = {
        { "a newer version", withLong(0, 769) },
        { "an older version", withLong(0, 767) },
        { "border style 7", withLong(rows[0] + 2, 7) },
        { "mouse pointer 12", withLong(rows[7] + 2, 12) },
        { "picture position 3", withLong(rows[4] + 2, 3) },
        { "an unknown system colour", withLong(rows[1] + 2, LONG(0x80000077)) },
        { "a font where the picture goes", withClsid(3, CLSID_StdFont) },
        { "the control itself as a picture", withClsid(8, CLSID_Arbor) },
        { "a picture where the font goes", withClsid(5, CLSID_StdPicture) },
    };
    for (const auto &d : damaged)
        refused(d.bytes, d.what);
}

// Values a stream may carry beyond what the control keeps are trimmed, not refused.
TEST_F(ControlPersistence, ExtentStyleAndDropEffectAreBounded)
{
    const std::string good = saved(arbor.Get());
    std::string bytes = good;
    const LONG cx = -5, cy = 0x7FFFFFFF, style = -1, drop = 0xFF;
    std::memcpy(bytes.data() + 4, &cx, 4);
    std::memcpy(bytes.data() + 8, &cy, 4);
    std::memcpy(bytes.data() + bytes.size() - 8, &style, 4);
    std::memcpy(bytes.data() + bytes.size() - 4, &drop, 4);
    ASSERT_EQ(load(arbor.Get(), bytes), S_OK);
    ComPtr<IOleObject> ole;
    ASSERT_EQ(arbor.As(ole), S_OK);
    SIZEL extent {};
    EXPECT_EQ(ole->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
    EXPECT_EQ(extent.cx, 0);
    EXPECT_EQ(extent.cy, 500000);
    LONG value = 0;
    EXPECT_EQ(arbor->get_Style(&value), S_OK);
    EXPECT_EQ(value, 63);
    EXPECT_EQ(arbor->get_DropEffect(&value), S_OK);
    EXPECT_EQ(value, 7);
}

} // namespace

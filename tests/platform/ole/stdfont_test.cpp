#include "platform/com/ole/stdfont.h"

#include "platform/com/connection.h"
#include "platform/com/creation.h"
#include "platform/com/storage.h"
#include "tests/support/com_refcount.h"

#include <gtest/gtest.h>

#include <QFontInfo>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace platform::com;

ComPtr<IFont> makeFont(
    const char16_t *name, LONGLONG size, SHORT weight, bool italic, bool under, bool strike)
{
    FONTDESC d {};
    d.cbSizeofstruct = sizeof d;
    d.lpstrName = const_cast<LPOLESTR>(name);
    d.cySize.int64 = size;
    d.sWeight = weight;
    d.sCharset = 186;
    d.fItalic = italic;
    d.fUnderline = under;
    d.fStrikethrough = strike;
    ComPtr<IFont> font;
    EXPECT_EQ(OleCreateFontIndirect(&d, IID_PPV_ARGS(&font)), S_OK);
    return font;
}

// Records what a font tells its holders; can act inside OnChanged.
class NotifySink final : public ComObject<NotifySink, IPropertyNotifySink> {
public:
    std::vector<DISPID> seen;
    std::function<void()> onChanged;
    HRESULT OnChanged(DISPID id) noexcept override
    {
        seen.push_back(id);
        if (onChanged)
            onChanged();
        return S_OK;
    }
    HRESULT OnRequestEdit(DISPID) noexcept override { return S_OK; }
};

TEST(StdFont, RoundTripsThroughAStreamWithItsClassId)
{
    auto font = makeFont(u"Times New Roman — Ü", 123456, 700, true, false, true);
    ComPtr<IPersistStream> persist;
    ASSERT_EQ(font.As(persist), S_OK);
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(OleSaveToStream(persist.Get(), stream.Get()), S_OK);
    LARGE_INTEGER zero {};
    ASSERT_EQ(stream->Seek(zero, STREAM_SEEK_SET, nullptr), S_OK);
    ComPtr<IFont> loaded;
    ASSERT_EQ(OleLoadFromStream(stream.Get(), IID_PPV_ARGS(&loaded)), S_OK);
    EXPECT_EQ(loaded->IsEqual(font.Get()), S_OK);
}

TEST(StdFont, CorruptStreamsFailAndLeaveTheFontAsItWas)
{
    const std::string good = std::string("\x01\x01\x90\x01\x00\x00", 6) +
        std::string("\x80\x38\x01\x00\x00\x00\x00\x00", 8) + std::string("\x05", 1) + "Arial";
    struct Case {
        const char *name;
        std::string bytes;
        bool ok;
    } cases[] = {
        { "valid", good, true },
        { "empty", "", false },
        { "future version", "\x02" + good.substr(1), false },
        { "unknown flag", good.substr(0, 1) + "\x08" + good.substr(2), false },
        { "weight above 1000", good.substr(0, 2) + std::string("\xE9\x03", 2) + good.substr(4),
            false },
        { "name longer than the data", good.substr(0, 14) + "\x09" + "Arial", false },
        { "truncated size", good.substr(0, 9), false },
    };
    for (const Case &c : cases) {
        auto font = makeFont(u"Courier New", 90000, 400, false, false, false);
        auto sink = NotifySink::make();
        AdviseLink link;
        ASSERT_EQ(link.connect(font.Get(), IPropertyNotifySink::iid, sink.Get()), S_OK);
        ComPtr<IPersistStream> persist;
        ASSERT_EQ(font.As(persist), S_OK);
        for (int round = 0; round < 2; ++round) {
            ComPtr<IStream> stream;
            ASSERT_EQ(createStreamOnBytes(c.bytes, &stream), S_OK);
            EXPECT_EQ(SUCCEEDED(persist->Load(stream.Get())), c.ok) << c.name;
        }
        BStr name;
        ASSERT_EQ(font->get_Name(name.out()), S_OK);
        EXPECT_EQ(name.view(), c.ok ? u"Arial" : u"Courier New") << c.name;
        // One unknown change for new values; loading the same values again is no change.
        EXPECT_EQ(
            sink->seen, c.ok ? std::vector<DISPID> { DISPID_UNKNOWN } : std::vector<DISPID> {})
            << c.name;
    }
}

TEST(StdFont, CreatableByClassIdAndDispatchedWithTheStandardIds)
{
    ComPtr<IDispatch> disp;
    ASSERT_EQ(
        CoCreateInstance(CLSID_StdFont, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&disp)), S_OK);
    ComPtr<IFont> font;
    ASSERT_EQ(disp.As(font), S_OK);
    CY cy {};
    ASSERT_EQ(font->get_Size(&cy), S_OK);
    EXPECT_EQ(cy.int64, 80000) << "a new font is MS Sans Serif 8";
    Variant size = Variant::r8(10.5);
    ASSERT_EQ(invokeByName(disp.Get(), u"Size", DISPATCH_PROPERTYPUT, &size, 1, nullptr), S_OK);
    ASSERT_EQ(font->get_Size(&cy), S_OK);
    EXPECT_EQ(cy.int64, 105000);
    // Bold is no flag of its own but a reading of the weight.
    Variant heavy = Variant::i2(800);
    ASSERT_EQ(
        invokeByDispid(disp.Get(), DISPID_FONT_WEIGHT, DISPATCH_PROPERTYPUT, &heavy, 1, nullptr),
        S_OK);
    Variant result;
    ASSERT_EQ(
        invokeByDispid(disp.Get(), DISPID_FONT_BOLD, DISPATCH_PROPERTYGET, nullptr, 0, &result),
        S_OK);
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, VARIANT_TRUE);
    ASSERT_EQ(
        invokeByDispid(disp.Get(), DISPID_FONT_NAME, DISPATCH_PROPERTYGET, nullptr, 0, &result),
        S_OK);
    EXPECT_EQ(view(result.bstrVal), u"MS Sans Serif");
    EXPECT_EQ(invokeByDispid(disp.Get(), 42, DISPATCH_PROPERTYGET, nullptr, 0, &result),
        DISP_E_MEMBERNOTFOUND);
    Variant text = Variant::str(u"big");
    EXPECT_EQ(invokeByDispid(disp.Get(), DISPID_FONT_SIZE, DISPATCH_PROPERTYPUT, &text, 1, nullptr),
        DISP_E_TYPEMISMATCH);
}

TEST(StdFont, WindowsNamesPaintWithLiberationFaces)
{
    struct Case {
        const char16_t *windows;
        const char *face;
    } cases[] = {
        { u"arial", "Liberation Sans" },
        { u"Times New Roman", "Liberation Serif" },
        { u"Courier New", "Liberation Mono" },
    };
    for (const Case &c : cases) {
        auto font = makeFont(c.windows, 120000, 700, true, false, false);
        QFont qfont;
        ASSERT_EQ(fontToQFont(font.Get(), &qfont), S_OK);
        EXPECT_EQ(qfont.family(), c.face);
        EXPECT_EQ(QFontInfo(qfont).family(), c.face) << "the face must really be installed";
        EXPECT_DOUBLE_EQ(qfont.pointSizeF(), 12.0);
        EXPECT_TRUE(qfont.bold());
        EXPECT_TRUE(qfont.italic());
    }
    EXPECT_EQ(substituteFontFamily(QStringLiteral("DejaVu Sans")), "DejaVu Sans");
    QFont unused;
    EXPECT_EQ(fontToQFont(nullptr, &unused), E_POINTER);
}

TEST(StdFontNotify, EachPutThatChangesAPropertyTellsTheSinksItsIdOnce)
{
    const CY same { .int64 = 100000 };
    const struct Case {
        const char *name;
        std::function<HRESULT(IFont *)> put;
        std::vector<DISPID> want;
    } cases[] = {
        { "Name", [](IFont *f) { return f->put_Name(BStr(u"Courier New").get()); },
            { DISPID_FONT_NAME } },
        { "Weight", [](IFont *f) { return f->put_Weight(300); }, { DISPID_FONT_WEIGHT } },
        { "Bold through Invoke",
            [](IFont *f) {
                ComPtr<IDispatch> disp;
                EXPECT_EQ(f->QueryInterface(IID_PPV_ARGS(&disp)), S_OK);
                Variant on = Variant::boolean(true);
                return invokeByName(disp.Get(), u"Bold", DISPATCH_PROPERTYPUT, &on, 1, nullptr);
            },
            { DISPID_FONT_BOLD } },
        { "unchanged values",
            [&](IFont *f) {
                HRESULT hr = f->put_Name(BStr(u"Arial").get());
                hr |= f->put_Size(same);
                hr |= f->put_Bold(FALSE);
                hr |= f->put_Weight(FW_NORMAL);
                hr |= f->put_Italic(FALSE);
                return hr | f->put_Charset(186);
            },
            {} },
        { "refused values",
            [](IFont *f) {
                const bool taken =
                    f->put_Weight(1001) == S_OK || f->put_Size(CY { .int64 = -1 }) == S_OK;
                return taken ? E_FAIL : S_OK;
            },
            {} },
    };
    for (const Case &c : cases) {
        // Weight 0 in a description means normal: putting FW_NORMAL is no change.
        auto font = makeFont(u"Arial", 100000, 0, false, false, false);
        auto sink = NotifySink::make();
        AdviseLink link;
        ASSERT_EQ(link.connect(font.Get(), IPropertyNotifySink::iid, sink.Get()), S_OK) << c.name;
        ASSERT_EQ(c.put(font.Get()), S_OK) << c.name;
        EXPECT_EQ(sink->seen, c.want) << c.name;
        sink->seen.clear();
        ASSERT_EQ(c.put(font.Get()), S_OK) << c.name;
        EXPECT_TRUE(sink->seen.empty()) << c.name << ": the same value again is no change";
    }
}

TEST(StdFontNotify, ACloneStartsWithoutSinksAndUnadviseStopsTheCalls)
{
    auto font = makeFont(u"Arial", 80000, 400, false, false, false);
    auto sink = NotifySink::make();
    AdviseLink link;
    ASSERT_EQ(link.connect(font.Get(), IPropertyNotifySink::iid, sink.Get()), S_OK);
    const ULONG sinkRefs = refCount(sink.Get());

    ComPtr<IFont> clone;
    ASSERT_EQ(font->Clone(&clone), S_OK);
    EXPECT_EQ(clone->IsEqual(font.Get()), S_OK);
    ASSERT_EQ(clone->put_Bold(TRUE), S_OK);
    EXPECT_EQ(clone->IsEqual(font.Get()), S_FALSE) << "a clone is a separate font";
    EXPECT_TRUE(sink->seen.empty()) << "a change of the clone reaches nobody";

    ASSERT_EQ(font->put_Italic(TRUE), S_OK);
    EXPECT_EQ(sink->seen, std::vector<DISPID> { DISPID_FONT_ITALIC });
    link.reset();
    EXPECT_EQ(refCount(sink.Get()), sinkRefs - 1) << "the font let go of the sink";
    ASSERT_EQ(font->put_Italic(FALSE), S_OK);
    EXPECT_EQ(sink->seen.size(), 1u);
}

TEST(StdFontNotify, ASinkMayUnadviseItselfAndOthersAndDropTheFontInsideOnChanged)
{
    auto font = makeFont(u"Arial", 80000, 400, false, false, false);
    auto first = NotifySink::make();
    auto second = NotifySink::make();
    AdviseLink firstLink, secondLink;
    ASSERT_EQ(firstLink.connect(font.Get(), IPropertyNotifySink::iid, first.Get()), S_OK);
    ASSERT_EQ(secondLink.connect(font.Get(), IPropertyNotifySink::iid, second.Get()), S_OK);
    ComPtr<IFont> held = font;
    first->onChanged = [&] {
        firstLink.reset();
        secondLink.reset(); // removed before its turn: skipped
        held = nullptr;
        font = nullptr; // the font's last reference outside the round
    };
    ASSERT_EQ(held->put_Size(CY { .int64 = 90000 }), S_OK);
    EXPECT_EQ(first->seen.size(), 1u);
    EXPECT_TRUE(second->seen.empty());
    EXPECT_FALSE(held);
}

} // namespace

// Memory streams and storages, class identifiers in streams, object persistence and the
// typed-variant layout.
#include "platform/com/com.h"

#include <gtest/gtest.h>

using namespace platform::com;

namespace {

// A class no library serves.
constexpr CLSID CLSID_Memo = guid("{6B1F0004-0000-4000-8000-000000000001}");

std::string bytesOf(IStream *stream)
{
    std::string out;
    EXPECT_EQ(streamBytes(stream, out), S_OK);
    return out;
}

TEST(MemoryStream, ReadWriteSeekAndClone)
{
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    EXPECT_EQ(CreateStreamOnHGlobal(reinterpret_cast<HGLOBAL>(0x10), TRUE, &stream), E_INVALIDARG);
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ULONG written = 0;
    ASSERT_EQ(stream->Write("hello world", 11, &written), S_OK);
    EXPECT_EQ(written, 11u);
    LARGE_INTEGER to {};
    to.QuadPart = -5;
    ULARGE_INTEGER pos {};
    ASSERT_EQ(stream->Seek(to, STREAM_SEEK_END, &pos), S_OK);
    EXPECT_EQ(pos.QuadPart, 6u);
    ComPtr<IStream> clone;
    ASSERT_EQ(stream->Clone(&clone), S_OK);
    char buffer[16] = {};
    ULONG read = 0;
    EXPECT_EQ(stream->Read(buffer, 16, &read), S_FALSE); // fewer than asked
    EXPECT_EQ(std::string(buffer, read), "world");
    ASSERT_EQ(clone->Write("W", 1, nullptr), S_OK); // clones share the bytes
    EXPECT_EQ(bytesOf(stream.Get()), "hello World");
    to.QuadPart = -100;
    EXPECT_EQ(stream->Seek(to, STREAM_SEEK_CUR, nullptr), STG_E_INVALIDFUNCTION);
    ULARGE_INTEGER size {};
    size.QuadPart = 5;
    ASSERT_EQ(stream->SetSize(size), S_OK);
    STATSTG stat {};
    ASSERT_EQ(stream->Stat(&stat, STATFLAG_NONAME), S_OK);
    EXPECT_EQ(stat.cbSize.QuadPart, 5u);
    EXPECT_EQ(stream->Read(buffer, 1, &read), S_FALSE); // position now past the end
    EXPECT_EQ(read, 0u);
}

TEST(MemoryStorage, NamedStreamsAndSubStorages)
{
    ComPtr<IStorage> storage;
    ASSERT_EQ(createMemoryStorage(&storage), S_OK);
    ComPtr<IStream> contents;
    ASSERT_EQ(
        storage->CreateStream(u"Contents", STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0, &contents),
        S_OK);
    ASSERT_EQ(contents->Write("abc", 3, nullptr), S_OK);
    ComPtr<IStream> again;
    ASSERT_EQ(storage->OpenStream(u"CONTENTS", nullptr, STGM_READ, 0, &again), S_OK);
    EXPECT_EQ(bytesOf(again.Get()), "abc");
    EXPECT_EQ(
        storage->CreateStream(u"contents", STGM_READWRITE, 0, 0, &again), STG_E_FILEALREADYEXISTS);
    EXPECT_EQ(storage->OpenStream(u"Other", nullptr, STGM_READ, 0, &again), STG_E_FILENOTFOUND);
    EXPECT_EQ(again, nullptr);
    EXPECT_EQ(storage->CreateStream(u"a/b", STGM_READWRITE, 0, 0, &again), STG_E_INVALIDNAME);
    EXPECT_EQ(storage->CreateStream(u"", STGM_READWRITE, 0, 0, &again), STG_E_INVALIDNAME);
    ComPtr<IStorage> child;
    ASSERT_EQ(storage->CreateStorage(u"Child", STGM_READWRITE, 0, 0, &child), S_OK);
    ComPtr<IStorage> opened;
    ASSERT_EQ(storage->OpenStorage(u"child", nullptr, STGM_READ, nullptr, 0, &opened), S_OK);
    EXPECT_EQ(opened.Get(), child.Get());
    EXPECT_EQ(storage->DestroyElement(u"Contents"), S_OK);
    EXPECT_EQ(storage->OpenStream(u"Contents", nullptr, STGM_READ, 0, &again), STG_E_FILENOTFOUND);
}

TEST(Persistence, ClassIdentifiersAndObjectsInStreams)
{
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(WriteClassStm(stream.Get(), CLSID_Memo), S_OK);
    const std::string bytes = bytesOf(stream.Get());
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x04\x00\x1F\x6B", 4)); // Data1 little-endian
    EXPECT_EQ(bytes.substr(6, 4), std::string("\x00\x40\x80\x00", 4)); // Data3, then Data4 as bytes
    ComPtr<IStream> shortStream;
    ASSERT_EQ(createStreamOnBytes(std::string(10, '\0'), &shortStream), S_OK);
    CLSID clsid;
    EXPECT_EQ(ReadClassStm(shortStream.Get(), &clsid), STG_E_READFAULT);

    // No object: the null class identifier, read back as "no object".
    ComPtr<IStream> empty;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &empty), S_OK);
    ASSERT_EQ(OleSaveToStream(nullptr, empty.Get()), S_OK);
    EXPECT_EQ(bytesOf(empty.Get()), std::string(16, '\0'));
    LARGE_INTEGER zero {};
    ASSERT_EQ(empty->Seek(zero, STREAM_SEEK_SET, nullptr), S_OK);
    void *object = reinterpret_cast<void *>(0xdeadbeef);
    EXPECT_EQ(OleLoadFromStream(empty.Get(), IUnknown::iid, &object), S_FALSE);
    EXPECT_EQ(object, nullptr);

    // A class identifier nothing serves. (Objects saved and loaded back: the standard font and
    // picture tests.)
    ASSERT_EQ(stream->Seek(zero, STREAM_SEEK_SET, nullptr), S_OK);
    object = reinterpret_cast<void *>(0xdeadbeef);
    EXPECT_EQ(OleLoadFromStream(stream.Get(), IUnknown::iid, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(object, nullptr);
}

struct TypedCase {
    const char *name;
    Variant value;
    std::string bytes;
};

TEST(TypedVariant, LayoutByTypeAndRoundTrip)
{
    Variant cy, ui1, nullString, colour;
    cy.vt = VT_CY, cy.cyVal.int64 = 0x0102030405060708;
    ui1.vt = VT_UI1, ui1.bVal = 0xAB;
    nullString.vt = VT_BSTR;
    colour.vt = VT_UI4, colour.ulVal = 0x00FFFFFF;
    const TypedCase cases[] = {
        { "i4", Variant::i4(768), std::string("\x03\x00\x00\x03\x00\x00", 6) },
        { "bool true", Variant::boolean(true), std::string("\x0B\x00\xFF\xFF", 4) },
        { "ui1", ui1, std::string("\x11\x00\xAB", 3) },
        { "colour", colour, std::string("\x13\x00\xFF\xFF\xFF\x00", 6) },
        { "currency", cy, std::string("\x06\x00\x08\x07\x06\x05\x04\x03\x02\x01", 10) },
        { "empty", Variant(), std::string("\x00\x00", 2) },
        { "string", Variant::str(u"ab"), std::string("\x08\0\6\0\0\0a\0b\0\0\0", 12) },
        { "no string", nullString, std::string("\x08\x00\x00\x00\x00\x00", 6) },
        { "no object", Variant::unknown(nullptr),
            std::string("\x0D\x00", 2) + std::string(16, '\0') },
    };
    for (const auto &c : cases) {
        ComPtr<IStream> stream;
        ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
        ASSERT_EQ(writeTypedVariant(stream.Get(), c.value), S_OK) << c.name;
        EXPECT_EQ(bytesOf(stream.Get()), c.bytes) << c.name;
        LARGE_INTEGER zero {};
        ASSERT_EQ(stream->Seek(zero, STREAM_SEEK_SET, nullptr), S_OK);
        Variant back = Variant::i4(static_cast<LONG>(0xdeadbeef));
        ASSERT_EQ(readTypedVariant(stream.Get(), &back), S_OK) << c.name;
        EXPECT_EQ(back.vt, c.value.vt) << c.name;
        ComPtr<IStream> again; // what was read writes back to the same bytes
        ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &again), S_OK);
        ASSERT_EQ(writeTypedVariant(again.Get(), back), S_OK) << c.name;
        EXPECT_EQ(bytesOf(again.Get()), c.bytes) << c.name;
    }

    // A by-reference value is written as its value; an object without stream persistence fails.
    LONG target = 5;
    VARIANT ref;
    VariantInit(&ref);
    ref.vt = VT_BYREF | VT_I4, ref.plVal = &target;
    ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    ASSERT_EQ(writeTypedVariant(stream.Get(), ref), S_OK);
    EXPECT_EQ(bytesOf(stream.Get()), std::string("\x03\x00\x05\x00\x00\x00", 6));
    ComPtr<IStream> other;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &other), S_OK);
    Variant notPersistable = Variant::unknown(other.Get());
    EXPECT_EQ(writeTypedVariant(stream.Get(), notPersistable), E_FAIL);
}

TEST(TypedVariant, MalformedInputIsRefused)
{
    struct Bad {
        const char *name;
        std::string bytes;
        HRESULT expected;
    };
    const Bad cases[] = {
        { "nothing", "", STG_E_READFAULT },
        { "short payload", std::string("\x03\x00\x01\x02", 4), STG_E_READFAULT },
        { "unknown type", std::string("\x77\x00", 2), DISP_E_BADVARTYPE },
        { "by-reference type", std::string("\x03\x40\x00\x00\x00\x00", 6), DISP_E_BADVARTYPE },
        { "odd byte count", std::string("\x08\0\3\0\0\0abc", 9), STG_E_READFAULT },
        { "huge count", std::string("\x08\x00\xFF\xFF\xFF\x7F", 6), STG_E_READFAULT },
        { "no terminator", std::string("\x08\0\4\0\0\0a\0b\0", 10), STG_E_READFAULT },
        { "object, short class", std::string("\x0D\x00\x01\x02", 4), STG_E_READFAULT },
    };
    for (const auto &c : cases) {
        ComPtr<IStream> stream;
        ASSERT_EQ(createStreamOnBytes(c.bytes, &stream), S_OK);
        Variant out = Variant::i4(static_cast<LONG>(0xdeadbeef));
        EXPECT_EQ(readTypedVariant(stream.Get(), &out), c.expected) << c.name;
        EXPECT_EQ(out.vt, VT_I4) << c.name; // untouched
        EXPECT_EQ(out.lVal, static_cast<LONG>(0xdeadbeef)) << c.name;
    }
    ComPtr<IStream> objectStream;
    ASSERT_EQ(
        createStreamOnBytes(
            std::string("\x09\x00", 2) + guidToString(CLSID_Memo).substr(0, 16), &objectStream),
        S_OK);
    Variant out;
    EXPECT_EQ(readTypedVariant(objectStream.Get(), &out, false), E_FAIL);
}

} // namespace

// The .tlb file format: what is written reads back the same, and every damaged file is refused.
#include "tests/platform/com/test_widget.h"

#include "platform/com/internal/regutil.h"
#include "platform/com/internal/typedata.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

using namespace platform::com;

namespace {

std::string widgetLibBytes()
{
    return detail::serializeTypeLib(*detail::libFromDescription(testwidget::kWidgetLib));
}

TEST(TypeLibFile, RoundTripKeepsEveryField)
{
    const std::string bytes = widgetLibBytes();
    std::string error;
    auto lib = detail::parseTypeLib(bytes, &error);
    ASSERT_TRUE(lib) << error;
    EXPECT_EQ(detail::serializeTypeLib(*lib), bytes);
    ASSERT_EQ(lib->types.size(), 4u);
    EXPECT_EQ(lib->types[3].kind, TKIND_ENUM);
    EXPECT_EQ(lib->types[3].constants.back(), (std::pair<std::string, LONG>("ShadeNone", -1)));
    const detail::TypeData &widget = lib->types[0];
    const auto &compute =
        widget.funcs[static_cast<std::size_t>(widget.byId.at(testwidget::kCompute).front())];
    ASSERT_EQ(compute.params.size(), 5u);
    EXPECT_EQ(compute.params[1].defaultKind, DefaultValue::Integer);
    EXPECT_EQ(compute.params[1].defaultInteger, 10);
    EXPECT_EQ(compute.params[2].vt, VT_BYREF | VT_I4);
    EXPECT_EQ(compute.params[2].flags, PARAMFLAG_FIN | PARAMFLAG_FOUT);
    EXPECT_TRUE(compute.params[4].isRetval());
    EXPECT_EQ(compute.thunk, nullptr); // a file describes, it cannot call
    const auto &newEnum =
        widget.funcs[static_cast<std::size_t>(widget.byId.at(DISPID_NEWENUM).front())];
    EXPECT_EQ(newEnum.flags, FUNCFLAG_FHIDDEN | FUNCFLAG_FRESTRICTED);
    EXPECT_EQ(lib->types[2].impls[1].href, 1u);
    EXPECT_EQ(lib->types[2].impls[1].flags, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
}

TEST(TypeLibFile, EveryTruncationIsRefused)
{
    const std::string bytes = widgetLibBytes();
    for (std::size_t n = 0; n < bytes.size(); ++n) {
        ComPtr<ITypeLib> lib;
        ASSERT_EQ(
            loadTypeLibFromMemory(std::string_view(bytes).substr(0, n), &lib), TYPE_E_INVDATAREAD)
            << n;
        ASSERT_EQ(lib, nullptr);
    }
}

TEST(TypeLibFile, DamagedFieldsAreRefused)
{
    const std::string good = widgetLibBytes();
    // Offsets of the header fields: magic 8, version 2, libid 16, major/minor 4, lcid 4, syskind 2.
    struct Damage {
        const char *name;
        std::size_t offset;
        std::string bytes;
    };
    const std::size_t afterLib = 8 + 2 + 16 + 4 + 4 + 2 + 2;
    const Damage cases[] = {
        { "magic", 0, "X" },
        { "format version", 8, std::string("\x02\x00", 2) },
        { "platform", 8 + 2 + 16 + 4 + 4, std::string("\x09\x00", 2) },
        { "name longer than the file", afterLib, std::string("\xFF\xFF\x00\x00", 4) },
    };
    for (const auto &d : cases) {
        std::string bad = good;
        bad.replace(d.offset, d.bytes.size(), d.bytes);
        ComPtr<ITypeLib> lib;
        EXPECT_EQ(loadTypeLibFromMemory(bad, &lib), TYPE_E_INVDATAREAD) << d.name;
    }
    ComPtr<ITypeLib> lib;
    EXPECT_EQ(loadTypeLibFromMemory(good + "x", &lib), TYPE_E_INVDATAREAD); // trailing bytes
    EXPECT_EQ(loadTypeLibFromMemory(good, &lib), S_OK);

    // A type count the rest of the file cannot hold.
    detail::LibData empty;
    std::string counted = detail::serializeTypeLib(empty);
    counted.replace(counted.size() - 4, 4, std::string("\x00\x10\x00\x00", 4));
    EXPECT_EQ(loadTypeLibFromMemory(counted, &lib), TYPE_E_INVDATAREAD);
    // A coclass that names a type outside the file.
    detail::LibData dangling;
    detail::TypeData coclass;
    coclass.kind = TKIND_COCLASS;
    coclass.impls.push_back({ 5, IMPLTYPEFLAG_FDEFAULT });
    dangling.types.push_back(coclass);
    EXPECT_EQ(loadTypeLibFromMemory(detail::serializeTypeLib(dangling), &lib), TYPE_E_INVDATAREAD);
}

TEST(TypeLibFile, EnumerationsReadAsConstants)
{
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(loadTypeLibFromMemory(widgetLibBytes(), &lib), S_OK);
    ComPtr<ITypeInfo> shades;
    ASSERT_EQ(lib->GetTypeInfo(3, &shades), S_OK);
    TYPEATTR *attr = nullptr;
    ASSERT_EQ(shades->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_ENUM);
    EXPECT_EQ(attr->cVars, 2);
    shades->ReleaseTypeAttr(attr);
    VARDESC *var = nullptr;
    ASSERT_EQ(shades->GetVarDesc(1, &var), S_OK);
    EXPECT_EQ(var->varkind, VAR_CONST);
    EXPECT_EQ(var->lpvarValue->lVal, -1);
    BSTR name = nullptr;
    UINT count = 0;
    ASSERT_EQ(shades->GetNames(var->memid, &name, 1, &count), S_OK);
    shades->ReleaseVarDesc(var);
    EXPECT_EQ(view(name), u"ShadeNone");
    SysFreeString(name);
    EXPECT_EQ(shades->GetVarDesc(2, &var), TYPE_E_ELEMENTNOTFOUND);
    EXPECT_EQ(var, nullptr);
}

// Loaded from a file with registration, and removed again the way the uninstaller does it.
TEST(TypeLibFile, RegisteredFromTheFileAndRemovedByItsIdentity)
{
    const char *sandbox = std::getenv("BIDLARK_TEST_SANDBOX");
    const std::string tlb = std::string(sandbox ? sandbox : "/tmp") + "/widget.tlb";
    std::ofstream(tlb, std::ios::binary) << widgetLibBytes();
    const std::u16string path = utf8ToUtf16(tlb);
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &lib), S_OK);
    const std::string libKey = "TypeLib\\" + guidToString(LIBID_TestWidgetLib);
    const std::string interfaceKey = "Interface\\" + guidToString(ITestWidget::iid);
    std::string registered, owner;
    ASSERT_EQ(platform::registry::readString(
                  HKEY_CLASSES_ROOT, libKey + "\\1.0\\0\\win64", "", registered),
        ERROR_SUCCESS);
    EXPECT_EQ(registered, tlb);
    ASSERT_EQ(platform::registry::readString(HKEY_CLASSES_ROOT, interfaceKey + "\\TypeLib", "", owner),
        ERROR_SUCCESS);
    EXPECT_EQ(owner, guidToString(LIBID_TestWidgetLib));

    EXPECT_EQ(UnRegisterTypeLib(LIBID_TestWidgetLib, 1, 0, 0, SYS_WIN64), S_OK);
    EXPECT_FALSE(detail::keyExists(HKEY_CLASSES_ROOT, libKey));
    EXPECT_FALSE(detail::keyExists(HKEY_CLASSES_ROOT, interfaceKey));
    EXPECT_EQ(UnRegisterTypeLib(LIBID_TestWidgetLib, 1, 0, 0, SYS_WIN64), TYPE_E_REGISTRYACCESS);
    const std::u16string missing = utf8ToUtf16(tlb + ".none");
    ComPtr<ITypeLib> none;
    EXPECT_EQ(LoadTypeLib(missing.c_str(), &none), TYPE_E_CANTLOADLIBRARY);
}

} // namespace

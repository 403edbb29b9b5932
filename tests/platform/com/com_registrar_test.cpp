// Registry scripts: parsing, registration, and the removal rules.
#include "platform/com/com.h"
#include "platform/com/internal/regutil.h"
#include "platform/com/registrar.h"
#include "platform/registry/testing.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace platform::com;

namespace {

constexpr const char *kScript = R"(
HKCR
{
    Test.Widget.1 = s 'Widget Class'
    {
        CLSID = s '{6B1F0002-0000-4000-8000-000000000001}'
    }
    Test.Widget = s 'Widget Class'
    {
        CurVer = s 'Test.Widget.1'
    }
    NoRemove CLSID
    {
        ForceRemove {6B1F0002-0000-4000-8000-000000000001} = s 'Widget Class'
        {
            ProgID = s 'Test.Widget.1'
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Apartment'
            }
            'Quoted Name' = s 'it''s 100%%'
            Programmable
            MiscStatus = s '0' { '1' = s '131473' }
        }
    }
    Shared.Key
    {
        val Count = d '0x10'
    }
}
)";

std::string read(const std::string &path, const std::string &name = "")
{
    std::string value = "<missing>";
    platform::registry::readString(HKEY_CLASSES_ROOT, path, name, value);
    return value;
}

TEST(Registrar, WritesKeysValuesAndReplacements)
{
    Registrar r;
    r.addReplacement("Module", "/opt/widget/libwidget.so");
    ASSERT_EQ(r.registerScript(kScript), S_OK) << r.error();
    const std::string clsid = "CLSID\\{6B1F0002-0000-4000-8000-000000000001}";
    EXPECT_EQ(read(clsid), "Widget Class");
    EXPECT_EQ(read(clsid + "\\InprocServer32"), "/opt/widget/libwidget.so");
    EXPECT_EQ(read(clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(read(clsid + "\\Quoted Name"), "it's 100%");
    EXPECT_EQ(read(clsid + "\\MiscStatus\\1"), "131473");
    EXPECT_TRUE(detail::keyExists(HKEY_CLASSES_ROOT, clsid + "\\Programmable"));
    DWORD count = 0;
    EXPECT_EQ(platform::registry::readDword(HKEY_CLASSES_ROOT, "Shared.Key", "Count", count),
        ERROR_SUCCESS);
    EXPECT_EQ(count, 16u);

    CLSID found;
    EXPECT_EQ(CLSIDFromProgID(u"Test.Widget", &found), S_OK); // through CurVer
    EXPECT_EQ(found, guid("{6B1F0002-0000-4000-8000-000000000001}"));
    LPOLESTR progId = nullptr;
    EXPECT_EQ(ProgIDFromCLSID(found, &progId), S_OK);
    EXPECT_EQ(std::u16string_view(progId), u"Test.Widget.1");
    CoTaskMemFree(progId);
}

TEST(Registrar, RemovalRules)
{
    Registrar r;
    r.addReplacement("MODULE", "/x.so");
    ASSERT_EQ(r.registerScript(kScript), S_OK);
    const std::string clsid = "CLSID\\{6B1F0002-0000-4000-8000-000000000001}";
    // Something the script did not write: a foreign value keeps its key, a foreign subkey under a
    // ForceRemove key goes with it, and a foreign class under NoRemove CLSID stays.
    ASSERT_EQ(platform::registry::writeString(HKEY_CLASSES_ROOT, "Test.Widget", "Foreign", "x"),
        ERROR_SUCCESS);
    ASSERT_EQ(platform::registry::writeString(HKEY_CLASSES_ROOT, clsid + "\\Extra", "", "x"),
        ERROR_SUCCESS);
    ASSERT_EQ(platform::registry::writeString(HKEY_CLASSES_ROOT, "CLSID\\{OTHER}", "", "x"),
        ERROR_SUCCESS);

    ASSERT_EQ(r.unregisterScript(kScript), S_OK) << r.error();
    EXPECT_FALSE(detail::keyExists(HKEY_CLASSES_ROOT, clsid));
    EXPECT_FALSE(detail::keyExists(HKEY_CLASSES_ROOT, "Test.Widget.1"));
    EXPECT_TRUE(detail::keyExists(HKEY_CLASSES_ROOT, "Test.Widget"));
    EXPECT_FALSE(detail::keyExists(HKEY_CLASSES_ROOT, "Test.Widget\\CurVer"));
    EXPECT_TRUE(detail::keyExists(HKEY_CLASSES_ROOT, "CLSID\\{OTHER}"));
    EXPECT_FALSE(detail::keyExists(HKEY_CLASSES_ROOT, "Shared.Key")); // its only value was ours
    // A second removal finds nothing to do and still succeeds.
    EXPECT_EQ(r.unregisterScript(kScript), S_OK);
}

TEST(Registrar, ForceRemoveRebuildsAndDeleteRemoves)
{
    Registrar r;
    ASSERT_EQ(r.registerScript("HKCU { ForceRemove Soft { Old = s 'x' } Gone = s 'y' }"), S_OK);
    ASSERT_EQ(r.registerScript("HKCU { ForceRemove Soft { New = s 'z' } Delete Gone }"), S_OK);
    EXPECT_FALSE(detail::keyExists(HKEY_CURRENT_USER, "Soft\\Old"));
    EXPECT_TRUE(detail::keyExists(HKEY_CURRENT_USER, "Soft\\New"));
    EXPECT_FALSE(detail::keyExists(HKEY_CURRENT_USER, "Gone"));
}

// Binary values as real scripts write them; %MODULE_RAW% and quoted roots: RegsvrScript.
TEST(Registrar, WritesBinaryValues)
{
    Registrar r;
    ASSERT_EQ(r.registerScript("HKCU { Bin { val Flags = b '00aAfF10' val None = b '' } }"), S_OK)
        << r.error();
    HKEY key = nullptr;
    DWORD type = 0, size = 16;
    BYTE bytes[16] {};
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Bin", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueEx(key, "Flags", nullptr, &type, bytes, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(
        std::string(reinterpret_cast<char *>(bytes), size), std::string("\x00\xaa\xff\x10", 4));
    RegCloseKey(key);
    ASSERT_EQ(r.unregisterScript("HKCU { Bin { val Flags = b '00' val None = b '' } }"), S_OK);
    EXPECT_FALSE(detail::keyExists(HKEY_CURRENT_USER, "Bin"));
}

TEST(Registrar, RejectsMalformedScripts)
{
    const char *bad[] = {
        "HKCR { A { val B = b '0' } }",
        "HKXX { A }",
        "HKCR { A = s 'unterminated }",
        "HKCR { A = q 'x' }",
        "HKCR { A = d '-1' }",
        "HKCR { A = s '%UNKNOWN%' }",
        "HKCR { A { B }",
        "HKCR",
    };
    for (const char *script : bad) {
        Registrar r;
        std::vector<RgsRoot> roots;
        EXPECT_EQ(r.parse(script, roots), DISP_E_EXCEPTION) << script;
        EXPECT_FALSE(r.error().empty()) << script;
    }
    std::string deep = "HKCR {";
    for (int i = 0; i < kMaxRgsDepth + 2; ++i)
        deep += " K {";
    Registrar r;
    std::vector<RgsRoot> roots;
    EXPECT_EQ(r.parse(deep, roots), DISP_E_EXCEPTION);
}

TEST(Registrar, WriteFailureStopsAndIsReported)
{
    platform::registry::testing::denyAccess(HKEY_CLASSES_ROOT, false, true);
    Registrar r;
    EXPECT_EQ(
        r.registerScript("HKCR { Denied.Key = s 'x' }"), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(r.error().empty());
    ComPtr<ITypeLib> lib;
    static constexpr IID kLib = guid("{6B1F0005-0000-4000-8000-000000000001}");
    static constexpr TypeLibDesc kEmpty { "EmptyLib", kLib, 1, 0, {}, {} };
    ASSERT_EQ(typeLibOf(kEmpty, &lib), S_OK);
    EXPECT_EQ(RegisterTypeLib(lib.Get(), u"/x/empty.tlb", u"/x"), TYPE_E_REGISTRYACCESS);
    platform::registry::testing::allowAllAccess();
    EXPECT_EQ(RegisterTypeLib(lib.Get(), u"/x/empty.tlb", u"/x"), S_OK);
    ComPtr<ITypeLib> loaded;
    EXPECT_EQ(
        LoadRegTypeLib(kLib, 1, 0, 0, &loaded), TYPE_E_CANTLOADLIBRARY); // registered, file absent
    EXPECT_EQ(LoadRegTypeLib(kLib, 2, 0, 0, &loaded), TYPE_E_LIBNOTREGISTERED);
    // A higher minor version of the same major answers for a lower one, whichever platform it
    // was filed under; nothing answers for a minor above every registered one.
    EXPECT_EQ(LoadRegTypeLib(kLib, 1, 1, 0, &loaded), TYPE_E_LIBNOTREGISTERED);
    ASSERT_EQ(platform::registry::writeString(HKEY_CLASSES_ROOT,
                  "TypeLib\\" + guidToString(kLib) + "\\1.2\\0\\win32", "", "/x/newer.tlb"),
        ERROR_SUCCESS);
    EXPECT_EQ(LoadRegTypeLib(kLib, 1, 1, 0, &loaded), TYPE_E_CANTLOADLIBRARY); // found 1.2
    EXPECT_EQ(LoadRegTypeLib(kLib, 1, 3, 0, &loaded), TYPE_E_LIBNOTREGISTERED);
    // A higher minor version registered only for another locale hides nothing.
    ASSERT_EQ(platform::registry::writeString(HKEY_CLASSES_ROOT,
                  "TypeLib\\" + guidToString(kLib) + "\\1.5\\407\\win64", "", "/x/german.tlb"),
        ERROR_SUCCESS);
    EXPECT_EQ(LoadRegTypeLib(kLib, 1, 0, 0, &loaded), TYPE_E_CANTLOADLIBRARY); // found 1.2
    EXPECT_EQ(UnRegisterTypeLib(kLib, 1, 5, 0x407, SYS_WIN64), S_OK);
    EXPECT_EQ(UnRegisterTypeLib(kLib, 1, 2, 0, SYS_WIN32), S_OK);
    EXPECT_EQ(UnRegisterTypeLib(kLib, 1, 0, 0, SYS_WIN64), S_OK);
    EXPECT_FALSE(detail::keyExists(HKEY_CLASSES_ROOT, "TypeLib\\" + guidToString(kLib)));
}

// Creation through the registry: each way a class's library can fail has its own status, the
// out-parameter is cleared, and a library is unloaded once nothing of it is alive.
TEST(Creation, ErrorsAreDistinctAndUnusedLibrariesUnload)
{
    const char *bin = std::getenv("BIDLARK_BIN_DIR");
    const std::string dir = bin ? bin : ".", component = dir + "/liboletestcontrol.so";
    const CLSID unknown = guid("{6B1F0003-0000-4000-8000-0000000000FF}");
    const std::string key = "CLSID\\" + guidToString(unknown) + "\\InprocServer32";
    // Not registered, a library that is missing, one that serves nothing, and a real one asked
    // for a class it does not serve.
    const std::pair<std::string, HRESULT> servers[] = {
        { "", REGDB_E_CLASSNOTREG },
        { dir + "/missing.so", CO_E_DLLNOTFOUND },
        { dir + "/libbidlark-platform.so", CO_E_ERRORINDLL },
        { component, CLASS_E_CLASSNOTAVAILABLE },
    };
    for (const auto &[server, expected] : servers) {
        if (!server.empty()) {
            ASSERT_EQ(platform::registry::writeString(HKEY_CLASSES_ROOT, key, "", server),
                ERROR_SUCCESS);
        }
        void *out = reinterpret_cast<void *>(0xdeadbeef);
        EXPECT_EQ(
            CoCreateInstance(unknown, nullptr, CLSCTX_INPROC_SERVER, IUnknown::iid, &out), expected)
            << server;
        EXPECT_EQ(out, nullptr) << server;
    }
    (void)pollUnusedLibraries();

    const CLSID served = guid("{5C0E7A10-3B2D-4E8F-9A61-7D2C4B1E0A03}");
    ASSERT_EQ(platform::registry::writeString(HKEY_CLASSES_ROOT,
                  "CLSID\\" + guidToString(served) + "\\InprocServer32", "", component),
        ERROR_SUCCESS);
    {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(CoGetClassObject(
                      served, CLSCTX_INPROC_SERVER, nullptr, IClassFactory::iid, factory.voidOut()),
            S_OK);
        ASSERT_EQ(factory->LockServer(TRUE), S_OK);
        EXPECT_EQ(pollUnusedLibraries(), 0); // the library is locked
        ASSERT_EQ(factory->LockServer(FALSE), S_OK);
    }
    EXPECT_EQ(pollUnusedLibraries(), 1);

    CLSID none;
    EXPECT_EQ(CLSIDFromProgID(u"No.Such.Thing", &none), CO_E_CLASSSTRING);
    EXPECT_EQ(none, CLSID_NULL);
    // A CurVer loop ends instead of spinning.
    ASSERT_EQ(platform::registry::writeString(HKEY_CLASSES_ROOT, "Loop.A\\CurVer", "", "Loop.B"),
        ERROR_SUCCESS);
    ASSERT_EQ(platform::registry::writeString(HKEY_CLASSES_ROOT, "Loop.B\\CurVer", "", "Loop.A"),
        ERROR_SUCCESS);
    EXPECT_EQ(CLSIDFromProgID(u"Loop.A", &none), CO_E_CLASSSTRING);
}

} // namespace

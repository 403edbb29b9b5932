// The whole path a host takes: register the test component library with regsvr into the test's
// own registry, create it by ProgID, drive it through its vtable and IDispatch, read its type
// information and error info, and unregister it with no key left behind. Events and the details of
// Invoke are the dispatch tests' business, on the same class created in-process.
#include "tests/platform/com_component/widget.h"

#include "platform/com/internal/regutil.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <set>

using namespace platform::com;

namespace {

std::string binDir()
{
    if (const char *dir = std::getenv("BIDLARK_BIN_DIR"))
        return dir;
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

std::string componentPath()
{
    return binDir() + "/libcomtestwidget.so";
}

int regsvr(const std::string &arguments)
{
    const std::string command = "'" + binDir() + "/regsvr' " + arguments + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every key below HKEY_CLASSES_ROOT, as full paths.
void collect(const std::string &path, std::set<std::string> &out)
{
    for (const std::string &child : detail::subkeyNames(HKEY_CLASSES_ROOT, path)) {
        const std::string full = path.empty() ? child : path + "\\" + child;
        out.insert(full);
        collect(full, out);
    }
}

TEST(Component, RegisterCreateDriveAndUnregister)
{
    std::set<std::string> before;
    collect("", before);
    ASSERT_EQ(regsvr("'" + componentPath() + "'"), 0);
    ASSERT_EQ(regsvr("'" + componentPath() + "'"), 0); // registering twice is harmless

    std::string server;
    ASSERT_EQ(platform::registry::readString(HKEY_CLASSES_ROOT,
                  "CLSID\\" + guidToString(CLSID_TestWidget) + "\\InprocServer32", "", server),
        ERROR_SUCCESS);
    EXPECT_EQ(server, std::filesystem::canonical(componentPath()).string());

    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID(u"Test.Widget", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_TestWidget);
    {
        ComPtr<ITestWidget> widget;
        ASSERT_EQ(CoCreateInstance(
                      clsid, nullptr, CLSCTX_INPROC_SERVER, ITestWidget::iid, widget.voidOut()),
            S_OK);

        // Through the vtable.
        BStr name(u"first");
        ASSERT_EQ(widget->put_Name(name.get()), S_OK);
        LONG sum = 0;
        ASSERT_EQ(widget->Add(40, 2, &sum), S_OK);
        EXPECT_EQ(sum, 42);
        EXPECT_EQ(widget->get_Count(nullptr), E_POINTER);

        // Through IDispatch, by DISPID and by name.
        Variant args[] = { Variant::i4(6), Variant::str(u"7") };
        Variant result;
        ASSERT_EQ(invokeByDispid(widget.Get(), testwidget::kAdd, DISPATCH_METHOD, args, 2, &result),
            S_OK);
        EXPECT_EQ(result.lVal, 13);
        ASSERT_EQ(
            invokeByName(widget.Get(), u"name", DISPATCH_PROPERTYGET, nullptr, 0, &result), S_OK);
        EXPECT_EQ(view(result.bstrVal), u"first");

        // Error info after the failing call.
        BStr reason(u"Refused.");
        EXPECT_EQ(widget->Fail(reason.get()), DISP_E_EXCEPTION);
        ComPtr<IErrorInfo> error;
        ASSERT_EQ(GetErrorInfo(0, &error), S_OK);
        BStr source, description;
        ASSERT_EQ(error->GetSource(source.out()), S_OK);
        ASSERT_EQ(error->GetDescription(description.out()), S_OK);
        EXPECT_EQ(source.view(), u"Test.Widget.1");
        EXPECT_EQ(description.view(), u"Refused.");

        // Type information, from the registered library.
        ComPtr<ITypeLib> lib;
        ASSERT_EQ(LoadRegTypeLib(LIBID_TestWidgetLib, 1, 0, 0, &lib), S_OK);
        ComPtr<ITypeInfo> events;
        ASSERT_EQ(lib->GetTypeInfoOfGuid(DIID__ITestWidgetEvents, &events), S_OK);
        std::u16string changed = u"Changed";
        LPOLESTR names[] = { changed.data() };
        DISPID id = 0;
        ASSERT_EQ(events->GetIDsOfNames(names, 1, &id), S_OK);
        EXPECT_EQ(id, testwidget::kChanged);
        ComPtr<ITypeInfo> classInfo;
        ASSERT_EQ(lib->GetTypeInfoOfGuid(CLSID_TestWidget, &classInfo), S_OK);
        INT flags = 0;
        ASSERT_EQ(classInfo->GetImplTypeFlags(1, &flags), S_OK);
        EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
        EXPECT_EQ(pollUnusedLibraries(), 0); // objects of the library are alive
    }
    EXPECT_EQ(pollUnusedLibraries(), 1);
    CoFreeUnusedLibraries();

    ASSERT_EQ(regsvr("-u '" + componentPath() + "'"), 0);
    std::set<std::string> after;
    collect("", after);
    for (const std::string &key : after) {
        if (before.count(key))
            continue;
        // Only the shared containers may stay, and they must be empty.
        EXPECT_TRUE(key == "CLSID" || key == "TypeLib" || key == "Interface") << key;
        EXPECT_TRUE(detail::subkeyNames(HKEY_CLASSES_ROOT, key).empty()) << key;
    }
    ComPtr<ITestWidget> gone;
    EXPECT_EQ(CoCreateInstance(CLSID_TestWidget, nullptr, CLSCTX_INPROC_SERVER, ITestWidget::iid,
                  gone.voidOut()),
        REGDB_E_CLASSNOTREG);
}

TEST(Component, RegsvrReportsMissingLibraryAndEntryPoint)
{
    EXPECT_EQ(regsvr("'" + binDir() + "/no-such-library.so'"), 3);
    EXPECT_EQ(regsvr("'" + binDir() + "/libbidlark-platform.so'"), 4); // loads, but serves nothing
    EXPECT_EQ(regsvr(""), 1);
    // Exporting the type library: a missing library is 3 like any load, and an empty file name or
    // -u with it is a usage error rather than a registration.
    EXPECT_EQ(regsvr("-t out.tlb '" + binDir() + "/no-such-library.so'"), 3);
    EXPECT_EQ(regsvr("-t '' '" + componentPath() + "'"), 1);
    EXPECT_EQ(regsvr("-u -t out.tlb '" + componentPath() + "'"), 1);
    EXPECT_EQ(CallServerRegistration(binDir() + "/no-such-library.so", false),
        HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(CallServerRegistration(binDir() + "/libbidlark-platform.so", true),
        HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND));
}

TEST(Component, CreationErrorsAreDistinct)
{
    const CLSID unknown = guid("{6B1F0003-0000-4000-8000-0000000000FF}");
    void *out = reinterpret_cast<void *>(0xdeadbeef);
    EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_INPROC_SERVER, IUnknown::iid, &out),
        REGDB_E_CLASSNOTREG);
    EXPECT_EQ(out, nullptr);

    const std::string key = "CLSID\\" + guidToString(unknown) + "\\InprocServer32";
    // A library that is missing, one that serves nothing, and the real one asked for a class it
    // does not serve.
    const std::pair<std::string, HRESULT> servers[] = {
        { binDir() + "/missing.so", CO_E_DLLNOTFOUND },
        { binDir() + "/libbidlark-platform.so", CO_E_ERRORINDLL },
        { componentPath(), CLASS_E_CLASSNOTAVAILABLE },
    };
    for (const auto &[server, expected] : servers) {
        ASSERT_EQ(
            platform::registry::writeString(HKEY_CLASSES_ROOT, key, "", server), ERROR_SUCCESS);
        out = reinterpret_cast<void *>(0xdeadbeef);
        EXPECT_EQ(
            CoCreateInstance(unknown, nullptr, CLSCTX_INPROC_SERVER, IUnknown::iid, &out), expected)
            << server;
        EXPECT_EQ(out, nullptr) << server;
    }
    CLSID none;
    EXPECT_EQ(CLSIDFromProgID(u"No.Such.Thing", &none), CO_E_CLASSSTRING);
    EXPECT_EQ(none, CLSID_NULL);
    // A CurVer loop ends instead of spinning.
    ASSERT_EQ(platform::registry::writeString(HKEY_CLASSES_ROOT, "Loop.A\\CurVer", "", "Loop.B"),
        ERROR_SUCCESS);
    ASSERT_EQ(platform::registry::writeString(HKEY_CLASSES_ROOT, "Loop.B\\CurVer", "", "Loop.A"),
        ERROR_SUCCESS);
    CLSID clsid;
    EXPECT_EQ(CLSIDFromProgID(u"Loop.A", &clsid), CO_E_CLASSSTRING);
}

TEST(Component, TypeLibraryFileRoundTripAndRegistration)
{
    const std::string tlb =
        std::string(
            std::getenv("BIDLARK_TEST_SANDBOX") ? std::getenv("BIDLARK_TEST_SANDBOX") : "/tmp") +
        "/widget.tlb";
    ASSERT_EQ(regsvr("-t '" + tlb + "' '" + componentPath() + "'"), 0);
    const std::u16string path = utf8ToUtf16(tlb);
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, &lib), S_OK);
    TLIBATTR *attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    const TLIBATTR a = *attr;
    lib->ReleaseTLibAttr(attr);
    EXPECT_EQ(a.guid, LIBID_TestWidgetLib);
    EXPECT_EQ(a.wMajorVerNum, 1);
    std::string registered;
    ASSERT_EQ(platform::registry::readString(HKEY_CLASSES_ROOT,
                  "TypeLib\\" + guidToString(a.guid) + "\\1.0\\0\\win64", "", registered),
        ERROR_SUCCESS);
    EXPECT_EQ(registered, tlb);
    std::string owner;
    ASSERT_EQ(platform::registry::readString(HKEY_CLASSES_ROOT,
                  "Interface\\" + guidToString(ITestWidget::iid) + "\\TypeLib", "", owner),
        ERROR_SUCCESS);
    EXPECT_EQ(owner, guidToString(a.guid));

    // The uninstaller's way: read the identity from the file and unregister with it.
    EXPECT_EQ(UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind), S_OK);
    EXPECT_FALSE(detail::keyExists(HKEY_CLASSES_ROOT, "TypeLib\\" + guidToString(a.guid)));
    EXPECT_FALSE(
        detail::keyExists(HKEY_CLASSES_ROOT, "Interface\\" + guidToString(ITestWidget::iid)));
    EXPECT_EQ(UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind),
        TYPE_E_REGISTRYACCESS);

    // The file the build wrote next to the component describes the same library.
    const std::u16string built = utf8ToUtf16(binDir() + "/comtestwidget.tlb");
    ComPtr<ITypeLib> fromBuild;
    ASSERT_EQ(LoadTypeLib(built.c_str(), &fromBuild), S_OK);
    ComPtr<ITypeInfo> widgetInfo;
    EXPECT_EQ(fromBuild->GetTypeInfoOfGuid(ITestWidget::iid, &widgetInfo), S_OK);

    const std::u16string missing = utf8ToUtf16(tlb + ".none");
    ComPtr<ITypeLib> none;
    EXPECT_EQ(LoadTypeLib(missing.c_str(), &none), TYPE_E_CANTLOADLIBRARY);
}

} // namespace

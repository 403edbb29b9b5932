// libarbor as a component library: registered with regsvr into the test's own registry (every key
// and name of its scripts), its entry points, the type library it leaves registered, and removal.
#include "arbor/arbor.h"
#include "platform/com/com.h"
#include "platform/com/server_module.h"
#include "platform/registry/registry.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

using namespace platform::com;
namespace reg = platform::registry;

std::string binDir()
{
    if (const char *dir = std::getenv("BIDLARK_BIN_DIR"))
        return dir;
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

std::string libraryPath()
{
    return std::filesystem::canonical(binDir() + "/libarbor.so").string();
}

int regsvr(const std::string &options)
{
    const std::string command =
        "'" + binDir() + "/regsvr' " + options + " '" + libraryPath() + "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool keyExists(const std::string &path)
{
    HKEY key = nullptr;
    if (RegOpenKeyEx(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string value(const std::string &path, const std::string &name = "")
{
    std::string text = "<missing>";
    (void)reg::readString(HKEY_CLASSES_ROOT, path, name, text);
    return text;
}

std::string clsidKey(REFCLSID clsid)
{
    return "CLSID\\" + guidToString(clsid);
}

// ProgID keys of every served class: none may survive removal.
const char *const kProgIds[] = { "Corvel.Arbor.1", "Corvel.Arbor", "General.General.1",
    "General.General", "Arbor.Group.1", "Arbor.Group", "Arbor.Groups.1", "Arbor.Groups",
    "Corvel.Arbor.Control.1", "Corvel.Arbor.Control", "Corvel.Arbor.ControlHolder.1",
    "Corvel.Arbor.ControlHolder", "Corvel.Arbor.EventInfo.1", "Corvel.Arbor.EventInfo",
    "RodaVudu.EventParamInfo.1", "RodaVudu.EventParamInfo", "RodaVudu.EventsParamInfo.1",
    "RodaVudu.EventsParamInfo" };

const CLSID *const kServed[] = { &CLSID_Arbor, &CLSID_General, &CLSID_ControlHolder, &CLSID_Control,
    &CLSID_EventInfo, &CLSID_EventParamInfo, &CLSID_EventsParamInfo, &CLSID_Group, &CLSID_Groups };

constexpr CLSID kUnservedControls = guid("{0EAA9066-E9C1-11D2-B393-A0545072DB05}");

TEST(ArborServer, RegistersEveryKeyOfItsScripts)
{
    ASSERT_EQ(regsvr(""), 0);
    const std::string arbor = clsidKey(CLSID_Arbor);
    const std::string module = libraryPath();

    const struct {
        std::string key;
        std::string name;
        std::string expected;
    } entries[] = {
        { "Corvel.Arbor.1\\CLSID", "", guidToString(CLSID_Arbor) },
        { "Corvel.Arbor\\CurVer", "", "Corvel.Arbor.1" },
        { arbor, "", "Corvel Arbor ActiveX Control" },
        { arbor + "\\ToolboxBitmap32", "", module + ", 246" },
        { arbor + "\\MiscStatus\\1", "", "131473" },
        { arbor + "\\Verb\\0", "", "&Properties...,0,2" },
        { "General.General\\CurVer", "", "General.General.1" },
        { "Corvel.Arbor.Control\\CurVer", "", "Control.Control.1" },
        { clsidKey(CLSID_Control) + "\\ProgID", "", "Corvel.Arbor.Control.1" },
        { clsidKey(CLSID_EventInfo) + "\\ProgID", "", "RodaVudu.EventInfo.1" },
        { "RodaVudu.EventsParamInfo\\CurVer", "", "RodaVudu.EventsParamInfo.1" },
    };
    for (const auto &e : entries)
        EXPECT_EQ(value(e.key, e.name), e.expected) << e.key << " " << e.name;

    const struct {
        std::string key;
        bool exists;
    } keys[] = {
        { arbor + "\\Programmable", true },
        { clsidKey(CLSID_General) + "\\ProgID", false },
        { "Corvel.Arbor.Control\\CLSID", false },
        { clsidKey(kUnservedControls), false },
    };
    for (const auto &k : keys)
        EXPECT_EQ(keyExists(k.key), k.exists) << k.key;
    for (const CLSID *clsid : kServed) {
        EXPECT_EQ(value(clsidKey(*clsid) + "\\InprocServer32"), module) << guidToString(*clsid);
        EXPECT_EQ(value(clsidKey(*clsid) + "\\InprocServer32", "ThreadingModel"), "Apartment");
        EXPECT_TRUE(keyExists(clsidKey(*clsid) + "\\Programmable"));
    }
}

// The test container as a developer runs it: without the control registered it fails, with it
// registered it shows the example and saves its picture.
TEST(ArborServer, TestContainerMakesTheControlOnceRegistered)
{
    const std::string picture = (std::filesystem::temp_directory_path() / "container.png").string();
    const auto grab = [&] {
        const std::string command =
            "'" + binDir() + "/arbor-container' --grab '" + picture + "' >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    ASSERT_EQ(regsvr("-u"), 0);
    EXPECT_EQ(grab(), 1);
    ASSERT_EQ(regsvr(""), 0);
    std::filesystem::remove(picture);
    EXPECT_EQ(grab(), 0);
    EXPECT_GT(std::filesystem::file_size(picture), 1000u);
}

TEST(ArborServer, ServesTheControlOnlyInAGuiProcess)
{
    HRESULT status = S_OK;
    using GetClassObject = HRESULT (*)(REFCLSID, REFIID, void **);
    using CanUnloadNow = HRESULT (*)();
    const auto getClassObject = reinterpret_cast<GetClassObject>(
        serverEntryPoint(libraryPath(), "DllGetClassObject", &status));
    const auto canUnloadNow =
        reinterpret_cast<CanUnloadNow>(serverEntryPoint(libraryPath(), "DllCanUnloadNow", &status));
    ASSERT_NE(getClassObject, nullptr);
    ASSERT_NE(canUnloadNow, nullptr);
    const auto answer = [&](REFCLSID clsid) {
        void *factory = reinterpret_cast<void *>(0xdeadbeef);
        const HRESULT hr = getClassObject(clsid, IClassFactory::iid, &factory);
        EXPECT_EQ(hr == S_OK, factory != nullptr) << guidToString(clsid);
        if (factory)
            static_cast<IClassFactory *>(factory)->Release();
        return hr;
    };

    // The control is a window: a process without a GUI application gets no factory for it.
    EXPECT_EQ(answer(CLSID_Arbor), CLASS_E_CLASSNOTAVAILABLE);

    static int argc = 1;
    static char name[] = "arbor_server_test";
    static char *argv[] = { name, nullptr };
    QApplication app(argc, argv);
    for (const CLSID *clsid : kServed) // all nine are served in a GUI process
        EXPECT_EQ(answer(*clsid), S_OK) << guidToString(*clsid);
    EXPECT_EQ(answer(kUnservedControls), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(canUnloadNow(), S_OK);

    // Every served class is made through its registration (made by ProgID and released, the
    // control lets the module go: ControlInContainer).
    ASSERT_EQ(regsvr(""), 0);
    for (const CLSID *clsid : kServed) {
        ComPtr<IUnknown> object;
        EXPECT_EQ(CoCreateInstance(
                      *clsid, nullptr, CLSCTX_INPROC_SERVER, IUnknown::iid, object.voidOut()),
            S_OK)
            << guidToString(*clsid);
    }
    // The toolbox picture the registration names ("%MODULE%, 246") travels inside the module.
    EXPECT_FALSE(QImage(QStringLiteral(":/arbor/BITMAP/246")).isNull());
}

TEST(ArborServer, TypeLibraryDescribesTheControlAndStaysAfterRemoval)
{
    ASSERT_EQ(regsvr(""), 0);
    ASSERT_EQ(regsvr(""), 0); // twice: ForceRemove keys are rebuilt, nothing doubles

    const std::string libKey = "TypeLib\\" + guidToString(LIBID_ArborLib) + "\\1.0";
    EXPECT_EQ(
        value(libKey + "\\HELPDIR"), std::filesystem::path(libraryPath()).parent_path().string());
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(LoadRegTypeLib(LIBID_ArborLib, 1, 0, kArborLibLcid, &lib), S_OK);

    // The class names IArbor as its default and _IArborEvents as its default source.
    ComPtr<ITypeInfo> arborClass;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(CLSID_Arbor, &arborClass), S_OK);
    bool sourceFound = false;
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        ComPtr<ITypeInfo> implemented;
        TYPEATTR *attr = nullptr;
        ASSERT_EQ(arborClass->GetImplTypeFlags(i, &flags), S_OK);
        ASSERT_EQ(arborClass->GetRefTypeOfImplType(i, &ref), S_OK);
        ASSERT_EQ(arborClass->GetRefTypeInfo(ref, &implemented), S_OK);
        ASSERT_EQ(implemented->GetTypeAttr(&attr), S_OK);
        if (flags == (IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE)) {
            EXPECT_EQ(attr->guid, DIID__IArborEvents);
            sourceFound = true;
        } else {
            EXPECT_EQ(attr->guid, IID_IArbor);
        }
        implemented->ReleaseTypeAttr(attr);
    }
    EXPECT_TRUE(sourceFound);

    // Removal: no key of a served class is left, the type library stays.
    ASSERT_EQ(regsvr("-u"), 0);
    for (const CLSID *clsid : kServed)
        EXPECT_FALSE(keyExists(clsidKey(*clsid))) << guidToString(*clsid);
    for (const char *progId : kProgIds)
        EXPECT_FALSE(keyExists(progId)) << progId;
    EXPECT_TRUE(keyExists("CLSID"));
    EXPECT_TRUE(keyExists(libKey));
    ComPtr<ITypeLib> still;
    EXPECT_EQ(LoadRegTypeLib(LIBID_ArborLib, 1, 0, kArborLibLcid, &still), S_OK);
    ASSERT_EQ(regsvr("-u"), 0); // removing what is gone is harmless
}

// "General.General" is a name another server may have taken since: removal leaves its keys alone
// when they name another class, and still removes the page's own class key.
TEST(ArborServer, RemovalLeavesAGeneralProgIdThatNamesAnotherClass)
{
    ASSERT_EQ(regsvr(""), 0);
    const std::string other = "{0BADC0DE-0000-4000-8000-000000000001}";
    ASSERT_EQ(
        reg::writeString(HKEY_CLASSES_ROOT, "General.General.1\\CLSID", "", other), ERROR_SUCCESS);
    ASSERT_EQ(regsvr("-u"), 0);
    EXPECT_EQ(value("General.General.1\\CLSID"), other);
    EXPECT_EQ(value("General.General\\CurVer"), "General.General.1");
    EXPECT_FALSE(keyExists(clsidKey(CLSID_General)));
    EXPECT_FALSE(keyExists("Arbor.Groups.1"));
}

} // namespace

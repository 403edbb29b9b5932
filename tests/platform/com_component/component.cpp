// The test component library: one class, its registry script and type library, and the four
// entry points.
#include "tests/platform/com_component/widget_object.h"

using namespace platform::com;
using testwidget::TestWidget;

BIDLARK_EMBED_TYPELIB(testwidget::kWidgetLib);

namespace {

constexpr const char *kRegistryScript = R"(
HKCR
{
    Test.Widget.1 = s 'TestWidget Class'
    {
        CLSID = s '{6B1F0003-0000-4000-8000-000000000003}'
    }
    Test.Widget = s 'TestWidget Class'
    {
        CurVer = s 'Test.Widget.1'
    }
    NoRemove CLSID
    {
        ForceRemove {6B1F0003-0000-4000-8000-000000000003} = s 'TestWidget Class'
        {
            ProgID = s 'Test.Widget.1'
            VersionIndependentProgID = s 'Test.Widget'
            Programmable
            InprocServer32 = s '%MODULE%'
            {
                val ThreadingModel = s 'Apartment'
            }
            'TypeLib' = s '{6B1F0003-0000-4000-8000-000000000004}'
            Version = s '1.0'
        }
    }
}
)";

const ClassEntry kClasses[] = { { &CLSID_TestWidget, &getClassFactory<TestWidget> } };

std::string modulePath()
{
    return modulePathOf(reinterpret_cast<const void *>(&kClasses));
}

} // namespace

BIDLARK_COM_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void **ppv)
{
    return getClassObject(kClasses, std::size(kClasses), clsid, riid, ppv);
}

BIDLARK_COM_EXPORT HRESULT DllCanUnloadNow()
{
    return moduleCanUnloadNow();
}

BIDLARK_COM_EXPORT HRESULT DllRegisterServer()
{
    Registrar registrar;
    registrar.addReplacement("MODULE", modulePath());
    HRESULT hr = registrar.registerScript(kRegistryScript);
    if (FAILED(hr))
        return hr;
    return registerEmbeddedTypeLib(testwidget::kWidgetLib, modulePath());
}

BIDLARK_COM_EXPORT HRESULT DllUnregisterServer()
{
    Registrar registrar;
    registrar.addReplacement("MODULE", modulePath());
    (void)registrar.unregisterScript(kRegistryScript);
    (void)unregisterEmbeddedTypeLib(testwidget::kWidgetLib);
    return S_OK;
}

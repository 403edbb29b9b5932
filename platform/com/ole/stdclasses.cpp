// StdFont, StdPicture and the stock colour page are registered as class objects of the process when
// the platform library loads, so that CoCreateInstance and OleLoadFromStream find them by their
// standard class identifiers with no registry entry, as they would find the system's own.
#include "platform/com/ole/internal/stdclasses.h"

#include "platform/com/ole/propertyframe.h"
#include "platform/com/ole/stdpicture.h"

#include "platform/com/classfactory.h"
#include "platform/com/creation.h"

namespace platform::com {
namespace {

using CreateFn = HRESULT (*)(REFIID, void **) noexcept;

class StdClassFactory final : public ComObject<StdClassFactory, IClassFactory> {
public:
    explicit StdClassFactory(CreateFn create) noexcept
        : m_create(create)
    {
    }
    HRESULT CreateInstance(IUnknown *outer, REFIID riid, void **ppv) noexcept override
    {
        if (!ppv)
            return E_POINTER;
        *ppv = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return m_create(riid, ppv);
    }
    HRESULT LockServer(BOOL) noexcept override { return S_OK; }

private:
    CreateFn m_create;
};

bool registerStandardClasses() noexcept
{
    const struct {
        const CLSID *clsid;
        CreateFn create;
    } classes[] = {
        { &CLSID_StdFont, &createStdFont },
        { &CLSID_StdPicture, &createStdPicture },
        { &CLSID_StockColorPage, &createColorPage },
    };
    bool ok = true;
    for (const auto &c : classes) {
        auto factory = StdClassFactory::make(c.create);
        DWORD cookie = 0;
        ok = factory &&
            SUCCEEDED(CoRegisterClassObject(*c.clsid, factory->identity(), CLSCTX_INPROC_SERVER,
                REGCLS_MULTIPLEUSE, &cookie)) &&
            ok;
    }
    return ok;
}

[[maybe_unused]] const bool g_standardClassesRegistered = registerStandardClasses();

} // namespace
} // namespace platform::com

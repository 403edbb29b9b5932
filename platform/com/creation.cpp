#include "platform/com/creation.h"

#include "platform/com/boundary.h"
#include "platform/com/internal/logging.h"
#include "platform/com/server_module.h"
#include "platform/registry/registry.h"

#include <cstring>
#include <mutex>
#include <vector>

using namespace platform::com;

namespace {

constexpr int kMaxCurVerHops = 4; // a CurVer chain longer than this is a loop

struct RegisteredClass {
    CLSID clsid;
    ComPtr<IUnknown> object;
};

std::mutex &classMutex()
{
    static std::mutex m;
    return m;
}

std::vector<RegisteredClass> &registeredClasses()
{
    static std::vector<RegisteredClass> classes;
    return classes;
}

bool readDefault(const std::string &path, std::string &value)
{
    return platform::registry::readString(HKEY_CLASSES_ROOT, path, "", value) == ERROR_SUCCESS;
}

LPOLESTR taskString(std::u16string_view text) noexcept
{
    auto *out = static_cast<LPOLESTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(OLECHAR)));
    if (!out)
        return nullptr;
    std::memcpy(out, text.data(), text.size() * sizeof(OLECHAR));
    out[text.size()] = 0;
    return out;
}

std::u16string_view viewOf(LPCOLESTR text) noexcept
{
    return text ? std::u16string_view(text) : std::u16string_view();
}

} // namespace

HRESULT CoInitialize(void *) noexcept
{
    return S_OK;
}
HRESULT CoInitializeEx(void *, DWORD) noexcept
{
    return S_OK;
}
void CoUninitialize() noexcept { }
HRESULT OleInitialize(void *) noexcept
{
    return S_OK;
}
void OleUninitialize() noexcept { }

std::string platform::com::inprocServerPath(REFCLSID clsid)
{
    std::string path;
    if (!readDefault("CLSID\\" + guidToString(clsid) + "\\InprocServer32", path))
        return {};
    return path;
}

HRESULT CoGetClassObject(REFCLSID rclsid, CLSCTX context, void *, REFIID riid, void **ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    if (!(context & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)))
        return REGDB_E_CLASSNOTREG;
    return guarded([&] {
        {
            ComPtr<IUnknown> object;
            std::lock_guard lock(classMutex());
            for (const auto &entry : registeredClasses())
                if (entry.clsid == rclsid)
                    object = entry.object;
            if (object) {
                qCDebug(lcCom) << "class" << guidToString(rclsid).c_str()
                               << "from the object registered in this process";
                return object->QueryInterface(riid, ppv);
            }
        }
        const std::string path = inprocServerPath(rclsid);
        if (path.empty()) {
            qCDebug(lcCom) << "class" << guidToString(rclsid).c_str() << "is not registered";
            return REGDB_E_CLASSNOTREG;
        }
        HRESULT hr;
        void *entry = serverEntryPoint(path, "DllGetClassObject", &hr);
        if (!entry)
            return hr == HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND) ? CO_E_ERRORINDLL
                                                                  : CO_E_DLLNOTFOUND;
        using GetClassObject = HRESULT (*)(REFCLSID, REFIID, void **);
        hr = reinterpret_cast<GetClassObject>(entry)(rclsid, riid, ppv);
        qCDebug(lcCom).nospace() << "class " << guidToString(rclsid).c_str() << " from "
                                 << path.c_str() << ": 0x" << Qt::hex << static_cast<quint32>(hr);
        return hr;
    });
}

HRESULT CoCreateInstance(
    REFCLSID rclsid, IUnknown *outer, CLSCTX context, REFIID riid, void **ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    ComPtr<IClassFactory> factory;
    HRESULT hr = CoGetClassObject(rclsid, context, nullptr, IClassFactory::iid, factory.voidOut());
    if (FAILED(hr))
        return hr;
    return factory->CreateInstance(outer, riid, ppv);
}

HRESULT CoRegisterClassObject(
    REFCLSID rclsid, IUnknown *classObject, CLSCTX, DWORD, DWORD *cookie) noexcept
{
    if (!classObject || !cookie)
        return E_INVALIDARG;
    return guarded([&] {
        std::lock_guard lock(classMutex());
        auto &classes = registeredClasses();
        for (std::size_t i = 0; i < classes.size(); ++i) {
            if (!classes[i].object) {
                classes[i] = { rclsid, classObject };
                *cookie = static_cast<DWORD>(i + 1);
                return S_OK;
            }
        }
        classes.push_back({ rclsid, classObject });
        *cookie = static_cast<DWORD>(classes.size());
        return S_OK;
    });
}

HRESULT CoRevokeClassObject(DWORD cookie) noexcept
{
    ComPtr<IUnknown> released; // released outside the lock
    std::lock_guard lock(classMutex());
    auto &classes = registeredClasses();
    if (cookie == 0 || cookie > classes.size() || !classes[cookie - 1].object)
        return E_INVALIDARG;
    released = std::move(classes[cookie - 1].object);
    return S_OK;
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID *clsid) noexcept
{
    if (!progId || !clsid)
        return E_INVALIDARG;
    *clsid = CLSID_NULL;
    return guarded([&] {
        std::string name = utf16ToUtf8(viewOf(progId));
        for (int hop = 0; hop <= kMaxCurVerHops; ++hop) {
            if (name.empty() || name.find('\\') != std::string::npos)
                return CO_E_CLASSSTRING;
            std::string text;
            if (readDefault(name + "\\CLSID", text)) {
                auto g = guidFromString(text);
                if (!g)
                    return CO_E_CLASSSTRING;
                *clsid = *g;
                return S_OK;
            }
            if (!readDefault(name + "\\CurVer", text) || text == name)
                return CO_E_CLASSSTRING;
            name = text;
        }
        return CO_E_CLASSSTRING;
    });
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR *progId) noexcept
{
    if (!progId)
        return E_INVALIDARG;
    *progId = nullptr;
    return guarded([&] {
        std::string text;
        if (!readDefault("CLSID\\" + guidToString(clsid) + "\\ProgID", text) || text.empty())
            return REGDB_E_CLASSNOTREG;
        *progId = taskString(utf8ToUtf16(text));
        return *progId ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT CLSIDFromString(LPCOLESTR text, CLSID *clsid) noexcept
{
    if (!clsid)
        return E_INVALIDARG;
    *clsid = CLSID_NULL;
    if (!text || !*text)
        return S_OK; // an empty string names the null class, as on Windows
    if (text[0] == u'{') {
        auto g = guidFromString(viewOf(text));
        if (!g)
            return CO_E_CLASSSTRING;
        *clsid = *g;
        return S_OK;
    }
    const HRESULT hr = CLSIDFromProgID(text, clsid);
    return FAILED(hr) ? CO_E_CLASSSTRING : hr;
}

HRESULT IIDFromString(LPCOLESTR text, IID *iid) noexcept
{
    if (!iid)
        return E_INVALIDARG;
    *iid = IID_NULL;
    if (!text)
        return S_OK;
    auto g = guidFromString(viewOf(text));
    if (!g)
        return E_INVALIDARG;
    *iid = *g;
    return S_OK;
}

int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int cchMax) noexcept
{
    if (!buffer || cchMax < 39)
        return 0;
    const std::string text = guidToString(guid);
    for (std::size_t i = 0; i < text.size(); ++i)
        buffer[i] = static_cast<OLECHAR>(text[i]);
    buffer[text.size()] = 0;
    return static_cast<int>(text.size() + 1);
}

HRESULT StringFromCLSID(REFCLSID clsid, LPOLESTR *text) noexcept
{
    if (!text)
        return E_INVALIDARG;
    *text = static_cast<LPOLESTR>(CoTaskMemAlloc(39 * sizeof(OLECHAR)));
    if (!*text)
        return E_OUTOFMEMORY;
    StringFromGUID2(clsid, *text, 39);
    return S_OK;
}

void CoFreeUnusedLibraries() noexcept
{
    pollUnusedLibraries();
}

// The run-time form built from descriptions, the process-wide table of descriptions and embedded
// libraries, LoadTypeLib and type-library registration (the objects: typeinfo_objects.cpp).
#include "platform/com/typelib.h"

#include "platform/com/boundary.h"
#include "platform/com/creation.h"
#include "platform/com/internal/regutil.h"
#include "platform/com/internal/typedata.h"
#include "platform/com/server_module.h"
#include "platform/registry/registry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <unordered_map>

namespace platform::com::detail {

namespace {

constexpr std::size_t kMaxTypeLibFile = 16u << 20;

// ---- run-time form from descriptions ----

ParamData paramFrom(const MemberDesc &m, std::size_t i)
{
    const ParamDesc &pd = m.params[i];
    const VARTYPE sig = m.signature[i];
    ParamData p;
    p.name = pd.name ? pd.name : "";
    if (pd.vt != VT_EMPTY)
        p.vt = (sig & VT_BYREF) ? static_cast<VARTYPE>(VT_BYREF | (pd.vt & ~VT_BYREF)) : pd.vt;
    else
        p.vt = sig;
    USHORT flags = pd.flags;
    if (!(flags & (PARAMFLAG_FIN | PARAMFLAG_FOUT | PARAMFLAG_FRETVAL))) {
        if (!(p.vt & VT_BYREF))
            flags |= PARAMFLAG_FIN;
        else if (m.kind == INVOKE_PROPERTYGET && i + 1 == m.paramCount)
            flags |= PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
        else
            flags |= PARAMFLAG_FIN | PARAMFLAG_FOUT;
    }
    p.flags = flags;
    p.iid = m.signatureIids[i];
    p.defaultKind = pd.def.kind;
    p.defaultInteger = pd.def.integer;
    p.defaultReal = pd.def.real;
    if (pd.def.text)
        p.defaultText = pd.def.text;
    return p;
}

} // namespace

TypeData typeFromDescription(const InterfaceDesc &desc)
{
    TypeData t;
    t.kind = TKIND_DISPATCH;
    t.guid = desc.iid;
    t.name = desc.name ? desc.name : "";
    t.doc = desc.doc ? desc.doc : "";
    t.flags = desc.flags;
    t.impls.push_back({ kHrefIDispatch, 0 });
    for (const MemberDesc &m : desc.members) {
        FuncData f;
        f.id = m.dispid;
        f.kind = m.kind;
        f.name = m.name ? m.name : "";
        f.doc = m.doc ? m.doc : "";
        f.flags = m.flags;
        f.thunk = m.thunk;
        for (std::size_t i = 0; i < m.paramCount; ++i)
            f.params.push_back(paramFrom(m, i));
        t.funcs.push_back(std::move(f));
    }
    t.buildIndex();
    return t;
}

std::shared_ptr<LibData> libFromDescription(const TypeLibDesc &desc)
{
    auto lib = std::make_shared<LibData>();
    lib->libid = desc.libid;
    lib->major = desc.major;
    lib->minor = desc.minor;
    lib->lcid = desc.lcid;
    lib->name = desc.name ? desc.name : "";
    lib->doc = desc.doc ? desc.doc : "";
    for (const InterfaceDesc *i : desc.interfaces)
        lib->types.push_back(typeFromDescription(*i));
    for (const CoClassDesc *c : desc.coclasses) {
        TypeData t;
        t.kind = TKIND_COCLASS;
        t.guid = c->clsid;
        t.name = c->name ? c->name : "";
        t.doc = c->doc ? c->doc : "";
        t.flags = c->flags;
        for (const ImplDesc &impl : c->interfaces)
            for (std::size_t k = 0; k < desc.interfaces.size(); ++k)
                if (desc.interfaces[k] == impl.iface)
                    t.impls.push_back({ static_cast<HREFTYPE>(k), impl.flags });
        lib->types.push_back(std::move(t));
    }
    for (const EnumDesc *e : desc.enums) {
        TypeData t;
        t.kind = TKIND_ENUM;
        t.name = e->name ? e->name : "";
        t.doc = e->doc ? e->doc : "";
        for (const EnumMember &m : e->members)
            t.constants.emplace_back(m.name ? m.name : "", m.value);
        lib->types.push_back(std::move(t));
    }
    return lib;
}

namespace {

// ---- process-wide table of descriptions and embedded libraries ----

struct Known {
    std::shared_ptr<LibData> lib;
    UINT index = 0;
};

struct DescriptionTable {
    std::mutex mutex;
    std::unordered_map<const void *, Known> types; // InterfaceDesc* or CoClassDesc*
    std::unordered_map<const TypeLibDesc *, std::shared_ptr<LibData>> libs;
    std::map<std::string, std::shared_ptr<LibData>> modules; // real path -> carried library
};

DescriptionTable &table()
{
    static DescriptionTable t;
    return t;
}

// Caller holds the table's mutex.
std::shared_ptr<LibData> libForLocked(const TypeLibDesc &desc)
{
    auto &t = table();
    auto it = t.libs.find(&desc);
    if (it != t.libs.end())
        return it->second;
    auto lib = libFromDescription(desc);
    t.libs.emplace(&desc, lib);
    for (std::size_t i = 0; i < desc.interfaces.size(); ++i)
        t.types.emplace(desc.interfaces[i], Known { lib, static_cast<UINT>(i) });
    for (std::size_t i = 0; i < desc.coclasses.size(); ++i)
        t.types.emplace(
            desc.coclasses[i], Known { lib, static_cast<UINT>(desc.interfaces.size() + i) });
    return lib;
}

Known knownInterface(const InterfaceDesc &desc)
{
    auto &t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.types.find(&desc);
    if (it != t.types.end())
        return it->second;
    // Not announced as part of a library: a library of its own.
    auto lib = std::make_shared<LibData>();
    lib->name = desc.name ? desc.name : "";
    lib->types.push_back(typeFromDescription(desc));
    Known k { lib, 0 };
    t.types.emplace(&desc, k);
    return k;
}

// ---- loading ----

constexpr char kMagic[8] = { 'B', 'L', 'K', 'T', 'L', 'B', '\r', '\n' };

HRESULT loadLibData(const std::string &path, std::shared_ptr<const LibData> &out) noexcept
{
    return guarded([&] {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return TYPE_E_CANTLOADLIBRARY;
        char head[sizeof kMagic] = {};
        in.read(head, sizeof head);
        if (in.gcount() == sizeof head && std::memcmp(head, kMagic, sizeof kMagic) == 0) {
            in.seekg(0, std::ios::end);
            const auto size = static_cast<std::size_t>(in.tellg());
            if (size > kMaxTypeLibFile)
                return TYPE_E_INVDATAREAD;
            std::string bytes(size, '\0');
            in.seekg(0);
            in.read(bytes.data(), static_cast<std::streamsize>(size));
            auto lib = parseTypeLib(bytes);
            if (!lib)
                return TYPE_E_INVDATAREAD;
            out = std::move(lib);
            return S_OK;
        }
        // Otherwise a component library that carries its type library.
        std::string real;
        if (FAILED(loadServerLibrary(path, &real)))
            return TYPE_E_CANTLOADLIBRARY;
        auto &t = table();
        std::lock_guard lock(t.mutex);
        const auto it = t.modules.find(real);
        if (it == t.modules.end())
            return TYPE_E_CANTLOADLIBRARY;
        out = it->second;
        return S_OK;
    });
}

std::string versionKey(WORD major, WORD minor)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%x.%x", major, minor);
    return buffer;
}

std::string lcidKey(LCID lcid)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%x", lcid);
    return buffer;
}

const char *platformKey(SYSKIND kind)
{
    switch (kind) {
    case SYS_WIN16:
        return "win16";
    case SYS_WIN32:
        return "win32";
    case SYS_MAC:
        return "mac";
    default:
        return "win64";
    }
}

std::string parentFolder(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
}

} // namespace

const TypeData &typeDataOf(const InterfaceDesc &desc) noexcept
{
    // The table keeps every library alive for the life of the process, so the reference stays
    // valid.
    const Known k = knownInterface(desc);
    return k.lib->types[k.index];
}

} // namespace platform::com::detail

namespace platform::com {

using namespace detail;

HRESULT typeInfoOf(const InterfaceDesc &desc, ITypeInfo **out) noexcept
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    return guarded([&] {
        const Known k = knownInterface(desc);
        return makeTypeInfo(k.lib, k.index, out);
    });
}

HRESULT typeInfoOf(const CoClassDesc &desc, ITypeInfo **out) noexcept
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    Known k;
    {
        auto &t = table();
        std::lock_guard lock(t.mutex);
        const auto it = t.types.find(&desc);
        if (it == t.types.end())
            return TYPE_E_ELEMENTNOTFOUND; // a class is only known through its library
        k = it->second;
    }
    return makeTypeInfo(k.lib, k.index, out);
}

HRESULT typeLibOf(const TypeLibDesc &desc, ITypeLib **out) noexcept
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    return guarded([&] {
        std::shared_ptr<LibData> lib;
        {
            std::lock_guard lock(table().mutex);
            lib = libForLocked(desc);
        }
        return makeTypeLib(lib, out);
    });
}

EmbeddedTypeLib::EmbeddedTypeLib(const TypeLibDesc &desc) noexcept
{
    try {
        const std::string module = modulePathOf(&desc);
        auto &t = table();
        std::lock_guard lock(t.mutex);
        auto lib = libForLocked(desc);
        if (!module.empty())
            t.modules[module] = lib;
    } catch (...) {
        // Without the table entry LoadTypeLib of the module fails; the objects still work.
    }
}

HRESULT exportTypeLib(const std::string &library, const std::string &output) noexcept
{
    std::shared_ptr<const LibData> lib;
    HRESULT hr = loadLibData(library, lib);
    if (FAILED(hr))
        return hr;
    return guarded([&] {
        const std::string bytes = serializeTypeLib(*lib);
        const std::string temp = output + ".part";
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            if (!out.flush())
                return TYPE_E_IOERROR;
        }
        if (std::rename(temp.c_str(), output.c_str()) != 0)
            return TYPE_E_IOERROR;
        return S_OK;
    });
}

HRESULT loadTypeLibFromMemory(std::string_view bytes, ITypeLib **out) noexcept
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    return guarded([&] {
        auto lib = parseTypeLib(bytes);
        if (!lib)
            return TYPE_E_INVDATAREAD;
        return makeTypeLib(std::move(lib), out);
    });
}

HRESULT registerEmbeddedTypeLib(const TypeLibDesc &desc, const std::string &modulePath) noexcept
{
    ComPtr<ITypeLib> lib;
    HRESULT hr = typeLibOf(desc, &lib);
    if (FAILED(hr))
        return hr;
    return guarded([&] {
        const std::u16string path = utf8ToUtf16(modulePath);
        const std::u16string folder = utf8ToUtf16(parentFolder(modulePath));
        return RegisterTypeLib(lib.Get(), path.c_str(), folder.c_str());
    });
}

HRESULT unregisterEmbeddedTypeLib(const TypeLibDesc &desc) noexcept
{
    return UnRegisterTypeLib(desc.libid, desc.major, desc.minor, desc.lcid, SYS_WIN64);
}

} // namespace platform::com

using namespace platform::com;
using namespace platform::com::detail;

HRESULT LoadTypeLib(LPCOLESTR file, ITypeLib **out) noexcept
{
    return LoadTypeLibEx(file, REGKIND_NONE, out);
}

HRESULT LoadTypeLibEx(LPCOLESTR file, REGKIND regkind, ITypeLib **out) noexcept
{
    if (!file || !out)
        return E_INVALIDARG;
    *out = nullptr;
    return guarded([&] {
        const std::string path = utf16ToUtf8(file);
        std::shared_ptr<const LibData> lib;
        HRESULT hr = loadLibData(path, lib);
        if (FAILED(hr))
            return hr;
        ComPtr<ITypeLib> object;
        hr = makeTypeLib(lib, &object);
        if (FAILED(hr))
            return hr;
        if (regkind == REGKIND_REGISTER) {
            const std::u16string folder = utf8ToUtf16(parentFolder(path));
            hr = RegisterTypeLib(object.Get(), file, folder.c_str());
            if (FAILED(hr))
                return hr;
        }
        *out = object.Detach();
        return S_OK;
    });
}

HRESULT LoadRegTypeLib(REFGUID rguid, WORD major, WORD minor, LCID lcid, ITypeLib **out) noexcept
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    return guarded([&] {
        // The registered minor versions of the same major version from the one asked for up,
        // tried highest first; the first with a path for the locale (or the neutral one) wins.
        const std::string libKey = "TypeLib\\" + guidToString(rguid);
        std::vector<WORD> minors;
        for (const std::string &name : detail::subkeyNames(HKEY_CLASSES_ROOT, libKey)) {
            unsigned long a = 0, b = 0;
            char dot = 0, rest = 0;
            if (std::sscanf(name.c_str(), "%lx%c%lx%c", &a, &dot, &b, &rest) == 3 && dot == '.' &&
                a == major && b >= minor && b <= 0xFFFF)
                minors.push_back(static_cast<WORD>(b));
        }
        std::sort(minors.rbegin(), minors.rend());
        // Registration files a library under its own platform's key; any of them will do here.
        std::string path;
        for (const WORD candidate : minors) {
            const std::string base = libKey + "\\" + versionKey(major, candidate) + "\\";
            for (LCID tryLcid : { lcid, LCID(0) }) {
                for (const char *platformName : { "win64", "win32", "win16", "mac" }) {
                    if (platform::registry::readString(HKEY_CLASSES_ROOT,
                            base + lcidKey(tryLcid) + "\\" + platformName, "",
                            path) == ERROR_SUCCESS)
                        break;
                    path.clear();
                }
                if (!path.empty())
                    break;
            }
            if (!path.empty())
                break;
        }
        if (path.empty())
            return TYPE_E_LIBNOTREGISTERED;
        const std::u16string wide = utf8ToUtf16(path);
        return LoadTypeLib(wide.c_str(), out);
    });
}

HRESULT RegisterTypeLib(ITypeLib *lib, LPCOLESTR fullPath, LPCOLESTR helpDir) noexcept
{
    if (!lib || !fullPath)
        return E_INVALIDARG;
    return guarded([&] {
        TLIBATTR *attr = nullptr;
        HRESULT hr = lib->GetLibAttr(&attr);
        if (FAILED(hr))
            return hr;
        const TLIBATTR a = *attr;
        lib->ReleaseTLibAttr(attr);
        BStr name, doc;
        (void)lib->GetDocumentation(-1, name.out(), doc.out(), nullptr, nullptr);
        const std::string libid = guidToString(a.guid);
        const std::string version = versionKey(a.wMajorVerNum, a.wMinorVerNum);
        const std::string base = "TypeLib\\" + libid + "\\" + version;
        auto write = [](const std::string &path, const std::string &value,
                         const std::string &text) {
            return platform::registry::writeString(HKEY_CLASSES_ROOT, path, value, text) ==
                ERROR_SUCCESS;
        };
        bool ok = write(base, "", doc.empty() ? name.toUtf8() : doc.toUtf8()) &&
            write(base + "\\FLAGS", "", std::to_string(a.wLibFlags & ~LIBFLAG_FHASDISKIMAGE)) &&
            write(base + "\\HELPDIR", "", helpDir ? utf16ToUtf8(helpDir) : std::string()) &&
            write(base + "\\" + lcidKey(a.lcid) + "\\" + platformKey(a.syskind), "",
                utf16ToUtf8(fullPath));
        for (UINT i = 0; ok && i < lib->GetTypeInfoCount(); ++i) {
            ComPtr<ITypeInfo> info;
            if (FAILED(lib->GetTypeInfo(i, &info)))
                continue;
            TYPEATTR *ta = nullptr;
            if (FAILED(info->GetTypeAttr(&ta)))
                continue;
            const bool dispatch = ta->typekind == TKIND_DISPATCH;
            const bool automation =
                ta->typekind == TKIND_INTERFACE && (ta->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
            const GUID iid = ta->guid;
            const bool dual = ta->wTypeFlags & TYPEFLAG_FDUAL;
            info->ReleaseTypeAttr(ta);
            if (!dispatch && !automation)
                continue;
            BStr typeName;
            (void)info->GetDocumentation(MEMBERID_NIL, typeName.out(), nullptr, nullptr, nullptr);
            const std::string key = "Interface\\" + guidToString(iid);
            // Dispatch-only interfaces use the dispatch marshaler, dual and custom ones the
            // universal one.
            const std::string proxy = (dispatch && !dual)
                ? "{00020420-0000-0000-C000-000000000046}"
                : "{00020424-0000-0000-C000-000000000046}";
            ok = write(key, "", typeName.toUtf8()) && write(key + "\\ProxyStubClsid", "", proxy) &&
                write(key + "\\ProxyStubClsid32", "", proxy) &&
                write(key + "\\TypeLib", "", libid) && write(key + "\\TypeLib", "Version", version);
        }
        return ok ? S_OK : TYPE_E_REGISTRYACCESS;
    });
}

HRESULT UnRegisterTypeLib(
    REFGUID libID, WORD major, WORD minor, LCID lcid, SYSKIND syskind) noexcept
{
    return guarded([&] {
        const std::string libid = guidToString(libID);
        const std::string version = versionKey(major, minor);
        const std::string libKey = "TypeLib\\" + libid;
        const std::string base = libKey + "\\" + version;
        const std::string lcidPath = base + "\\" + lcidKey(lcid);
        if (!keyExists(HKEY_CLASSES_ROOT, lcidPath + "\\" + platformKey(syskind)))
            return TYPE_E_REGISTRYACCESS;
        (void)deleteTree(HKEY_CLASSES_ROOT, lcidPath + "\\" + platformKey(syskind));
        if (subkeyNames(HKEY_CLASSES_ROOT, lcidPath).empty())
            (void)deleteTree(HKEY_CLASSES_ROOT, lcidPath);

        bool otherLocales = false;
        for (const std::string &child : subkeyNames(HKEY_CLASSES_ROOT, base)) {
            const std::string l = lowerAscii(child);
            if (l != "flags" && l != "helpdir")
                otherLocales = true;
        }
        if (otherLocales)
            return S_OK; // the interfaces still belong to the remaining registration
        for (const std::string &iid : subkeyNames(HKEY_CLASSES_ROOT, "Interface")) {
            const std::string key = "Interface\\" + iid;
            std::string owner, ownerVersion;
            if (platform::registry::readString(HKEY_CLASSES_ROOT, key + "\\TypeLib", "", owner) ==
                    ERROR_SUCCESS &&
                lowerAscii(owner) == lowerAscii(libid) &&
                platform::registry::readString(HKEY_CLASSES_ROOT, key + "\\TypeLib", "Version",
                    ownerVersion) == ERROR_SUCCESS &&
                ownerVersion == version)
                (void)deleteTree(HKEY_CLASSES_ROOT, key);
        }
        (void)deleteTree(HKEY_CLASSES_ROOT, base);
        if (subkeyNames(HKEY_CLASSES_ROOT, libKey).empty())
            (void)deleteTree(HKEY_CLASSES_ROOT, libKey);
        return S_OK;
    });
}

// Reader and writer of the .tlb format documented in typelib.h.
#include "platform/com/internal/typedata.h"

#include <cstring>
#include <new>

namespace platform::com::detail {

namespace {

constexpr char kMagic[8] = { 'B', 'L', 'K', 'T', 'L', 'B', '\r', '\n' };
constexpr WORD kFormatVersion = 1;
constexpr std::size_t kMaxString = 64 * 1024;
constexpr std::uint32_t kMaxTypes = 4096;
constexpr std::uint32_t kMaxImpls = 256;
constexpr std::uint32_t kMaxFuncs = 4096;
constexpr std::uint32_t kMaxConstants = 4096;

class Writer {
public:
    template <class T> void put(T value)
    {
        char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T)); // the build targets are little-endian
        out.append(bytes, sizeof(T));
    }
    void str(const std::string &s)
    {
        put<std::uint32_t>(static_cast<std::uint32_t>(s.size()));
        out += s;
    }
    void guid(const GUID &g)
    {
        put(g.Data1);
        put(g.Data2);
        put(g.Data3);
        out.append(reinterpret_cast<const char *>(g.Data4), 8);
    }
    std::string out;
};

struct Malformed {
    const char *what;
};

class Reader {
public:
    explicit Reader(std::string_view bytes)
        : m_bytes(bytes)
    {
    }

    template <class T> T get()
    {
        need(sizeof(T));
        T value;
        std::memcpy(&value, m_bytes.data() + m_pos, sizeof(T));
        m_pos += sizeof(T);
        return value;
    }
    std::string str()
    {
        const auto n = get<std::uint32_t>();
        if (n > kMaxString)
            throw Malformed { "string too long" };
        need(n);
        std::string s(m_bytes.substr(m_pos, n));
        m_pos += n;
        return s;
    }
    GUID guid()
    {
        GUID g;
        g.Data1 = get<DWORD>();
        g.Data2 = get<WORD>();
        g.Data3 = get<WORD>();
        need(8);
        std::memcpy(g.Data4, m_bytes.data() + m_pos, 8);
        m_pos += 8;
        return g;
    }
    std::uint32_t count(std::uint32_t limit, std::size_t minimumEach)
    {
        const auto n = get<std::uint32_t>();
        // Every element takes at least `minimumEach` bytes, so a count the rest cannot hold is a
        // lie.
        if (n > limit || n * minimumEach > m_bytes.size() - m_pos)
            throw Malformed { "count out of range" };
        return n;
    }
    bool atEnd() const { return m_pos == m_bytes.size(); }

private:
    void need(std::size_t n)
    {
        if (n > m_bytes.size() - m_pos)
            throw Malformed { "truncated" };
    }
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

bool validVarType(VARTYPE vt)
{
    const VARTYPE base = vt & ~VT_BYREF;
    switch (base) {
    case VT_EMPTY:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_VARIANT:
    case VT_UNKNOWN:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
        return base != VT_EMPTY || !(vt & VT_BYREF);
    default:
        return false;
    }
}

} // namespace

std::string serializeTypeLib(const LibData &lib)
{
    Writer w;
    w.out.append(kMagic, sizeof kMagic);
    w.put<WORD>(kFormatVersion);
    w.guid(lib.libid);
    w.put<WORD>(lib.major);
    w.put<WORD>(lib.minor);
    w.put<std::uint32_t>(lib.lcid);
    w.put<WORD>(static_cast<WORD>(lib.syskind));
    w.put<WORD>(lib.flags);
    w.str(lib.name);
    w.str(lib.doc);
    w.str(lib.helpFile);
    w.put<std::uint32_t>(static_cast<std::uint32_t>(lib.types.size()));
    for (const TypeData &t : lib.types) {
        w.put<BYTE>(static_cast<BYTE>(t.kind));
        w.guid(t.guid);
        w.str(t.name);
        w.str(t.doc);
        w.put<WORD>(t.flags);
        w.put<std::uint32_t>(static_cast<std::uint32_t>(t.impls.size()));
        for (const ImplData &i : t.impls) {
            w.put<std::uint32_t>(i.href);
            w.put<std::int32_t>(i.flags);
        }
        w.put<std::uint32_t>(static_cast<std::uint32_t>(t.funcs.size()));
        for (const FuncData &f : t.funcs) {
            w.put<std::int32_t>(f.id);
            w.put<BYTE>(static_cast<BYTE>(f.kind));
            w.put<WORD>(f.flags);
            w.str(f.name);
            w.str(f.doc);
            w.put<BYTE>(static_cast<BYTE>(f.params.size()));
            for (const ParamData &p : f.params) {
                w.str(p.name);
                w.put<WORD>(p.vt);
                w.put<WORD>(p.flags);
                w.put<BYTE>(static_cast<BYTE>(p.defaultKind));
                if (p.defaultKind == DefaultValue::Integer)
                    w.put<std::int64_t>(p.defaultInteger);
                else if (p.defaultKind == DefaultValue::Real)
                    w.put<double>(p.defaultReal);
                else if (p.defaultKind == DefaultValue::Text)
                    w.str(utf16ToUtf8(p.defaultText));
            }
        }
        w.put<std::uint32_t>(static_cast<std::uint32_t>(t.constants.size()));
        for (const auto &[name, value] : t.constants) {
            w.str(name);
            w.put<std::int32_t>(value);
        }
    }
    return std::move(w.out);
}

std::shared_ptr<LibData> parseTypeLib(std::string_view bytes, std::string *error)
{
    try {
        if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
            throw Malformed { "not a type library" };
        Reader r(bytes.substr(sizeof kMagic));
        if (r.get<WORD>() != kFormatVersion)
            throw Malformed { "unsupported format version" };
        auto lib = std::make_shared<LibData>();
        lib->libid = r.guid();
        lib->major = r.get<WORD>();
        lib->minor = r.get<WORD>();
        lib->lcid = r.get<std::uint32_t>();
        const WORD sys = r.get<WORD>();
        if (sys > SYS_WIN64)
            throw Malformed { "unknown platform" };
        lib->syskind = static_cast<SYSKIND>(sys);
        lib->flags = r.get<WORD>();
        lib->name = r.str();
        lib->doc = r.str();
        lib->helpFile = r.str();
        const auto typeCount = r.count(kMaxTypes, 33);
        lib->types.resize(typeCount);
        for (TypeData &t : lib->types) {
            const BYTE kind = r.get<BYTE>();
            if (kind != TKIND_INTERFACE && kind != TKIND_DISPATCH && kind != TKIND_COCLASS &&
                kind != TKIND_ENUM)
                throw Malformed { "unsupported type kind" };
            t.kind = static_cast<TYPEKIND>(kind);
            t.guid = r.guid();
            t.name = r.str();
            t.doc = r.str();
            t.flags = r.get<WORD>();
            const auto implCount = r.count(kMaxImpls, 8);
            for (std::uint32_t i = 0; i < implCount; ++i) {
                ImplData impl;
                impl.href = r.get<std::uint32_t>();
                impl.flags = r.get<std::int32_t>();
                if (impl.href != kHrefIUnknown && impl.href != kHrefIDispatch &&
                    impl.href >= typeCount)
                    throw Malformed { "reference outside the library" };
                t.impls.push_back(impl);
            }
            const auto funcCount = r.count(kMaxFuncs, 16);
            for (std::uint32_t i = 0; i < funcCount; ++i) {
                FuncData f;
                f.id = r.get<std::int32_t>();
                const BYTE invkind = r.get<BYTE>();
                if (invkind != INVOKE_FUNC && invkind != INVOKE_PROPERTYGET &&
                    invkind != INVOKE_PROPERTYPUT && invkind != INVOKE_PROPERTYPUTREF)
                    throw Malformed { "unknown member kind" };
                f.kind = static_cast<INVOKEKIND>(invkind);
                f.flags = r.get<WORD>();
                f.name = r.str();
                f.doc = r.str();
                const BYTE paramCount = r.get<BYTE>();
                if (paramCount > kMaxParams)
                    throw Malformed { "too many parameters" };
                for (BYTE p = 0; p < paramCount; ++p) {
                    ParamData param;
                    param.name = r.str();
                    param.vt = r.get<WORD>();
                    if (!validVarType(param.vt))
                        throw Malformed { "unknown parameter type" };
                    param.flags = r.get<WORD>();
                    const BYTE defKind = r.get<BYTE>();
                    if (defKind > DefaultValue::Text)
                        throw Malformed { "unknown default kind" };
                    param.defaultKind = static_cast<DefaultValue::Kind>(defKind);
                    if (defKind == DefaultValue::Integer)
                        param.defaultInteger = r.get<std::int64_t>();
                    else if (defKind == DefaultValue::Real)
                        param.defaultReal = r.get<double>();
                    else if (defKind == DefaultValue::Text)
                        param.defaultText = utf8ToUtf16(r.str());
                    f.params.push_back(std::move(param));
                }
                t.funcs.push_back(std::move(f));
            }
            const auto constantCount = r.count(kMaxConstants, 8);
            for (std::uint32_t i = 0; i < constantCount; ++i) {
                std::string name = r.str();
                t.constants.emplace_back(std::move(name), r.get<std::int32_t>());
            }
            t.buildIndex();
        }
        if (!r.atEnd())
            throw Malformed { "trailing bytes" };
        return lib;
    } catch (const Malformed &m) {
        if (error)
            *error = m.what;
        return nullptr;
    } catch (const std::bad_alloc &) {
        if (error)
            *error = "out of memory";
        return nullptr;
    } catch (const std::exception &e) {
        if (error)
            *error = e.what();
        return nullptr;
    }
}

} // namespace platform::com::detail

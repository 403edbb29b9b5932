// Memory streams and storages, class identifiers in streams, object persistence and the
// typed-variant layout.
#include "platform/com/storage.h"

#include "platform/com/boundary.h"
#include "platform/com/creation.h"
#include "platform/com/dispatch.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

namespace platform::com {

namespace {

constexpr ULONGLONG kMaxStreamSize = 1ull << 31; // memory streams stay below 2 GiB

class MemoryStream final : public ComObject<MemoryStream, IStream> {
public:
    explicit MemoryStream(std::shared_ptr<std::string> bytes, ULONGLONG position = 0)
        : m_bytes(std::move(bytes))
        , m_pos(position)
    {
    }

    HRESULT Read(void *pv, ULONG cb, ULONG *read) noexcept override
    {
        if (!pv && cb)
            return STG_E_INVALIDPOINTER;
        const ULONGLONG size = m_bytes->size();
        const ULONG n =
            m_pos >= size ? 0 : static_cast<ULONG>(std::min<ULONGLONG>(cb, size - m_pos));
        if (n)
            std::memcpy(pv, m_bytes->data() + m_pos, n);
        m_pos += n;
        if (read)
            *read = n;
        return n == cb ? S_OK : S_FALSE;
    }
    HRESULT Write(const void *pv, ULONG cb, ULONG *written) noexcept override
    {
        if (written)
            *written = 0;
        if (!pv && cb)
            return STG_E_INVALIDPOINTER;
        if (m_pos + cb > kMaxStreamSize)
            return STG_E_MEDIUMFULL;
        const HRESULT grown = guarded(
            [&] {
                if (m_pos + cb > m_bytes->size())
                    m_bytes->resize(static_cast<std::size_t>(m_pos + cb));
                return S_OK;
            },
            STG_E_INSUFFICIENTMEMORY);
        if (FAILED(grown))
            return grown;
        if (cb)
            std::memcpy(m_bytes->data() + m_pos, pv, cb);
        m_pos += cb;
        if (written)
            *written = cb;
        return S_OK;
    }
    HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER *newPos) noexcept override
    {
        LONGLONG base;
        switch (origin) {
        case STREAM_SEEK_SET:
            base = 0;
            break;
        case STREAM_SEEK_CUR:
            base = static_cast<LONGLONG>(m_pos);
            break;
        case STREAM_SEEK_END:
            base = static_cast<LONGLONG>(m_bytes->size());
            break;
        default:
            return STG_E_INVALIDFUNCTION;
        }
        if ((move.QuadPart < 0 && base + move.QuadPart < 0) ||
            move.QuadPart > static_cast<LONGLONG>(kMaxStreamSize))
            return STG_E_INVALIDFUNCTION;
        m_pos = static_cast<ULONGLONG>(base + move.QuadPart);
        if (newPos)
            newPos->QuadPart = m_pos;
        return S_OK;
    }
    HRESULT SetSize(ULARGE_INTEGER size) noexcept override
    {
        if (size.QuadPart > kMaxStreamSize)
            return STG_E_MEDIUMFULL;
        return guarded([&] {
            m_bytes->resize(static_cast<std::size_t>(size.QuadPart));
            return S_OK;
        }, STG_E_INSUFFICIENTMEMORY);
    }
    HRESULT CopyTo(IStream *target, ULARGE_INTEGER cb, ULARGE_INTEGER *read,
        ULARGE_INTEGER *written) noexcept override
    {
        if (!target)
            return STG_E_INVALIDPOINTER;
        const ULONGLONG size = m_bytes->size();
        const ULONGLONG n = m_pos >= size ? 0 : std::min<ULONGLONG>(cb.QuadPart, size - m_pos);
        ULONG done = 0;
        const HRESULT hr = target->Write(m_bytes->data() + m_pos, static_cast<ULONG>(n), &done);
        m_pos += n;
        if (read)
            read->QuadPart = n;
        if (written)
            written->QuadPart = done;
        return hr;
    }
    HRESULT Commit(DWORD) noexcept override { return S_OK; }
    HRESULT Revert() noexcept override { return S_OK; }
    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) noexcept override
    {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) noexcept override
    {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT Stat(STATSTG *stat, DWORD) noexcept override
    {
        if (!stat)
            return STG_E_INVALIDPOINTER;
        *stat = STATSTG {};
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = m_bytes->size();
        stat->grfMode = STGM_READWRITE;
        return S_OK;
    }
    HRESULT Clone(IStream **out) noexcept override
    {
        if (!out)
            return STG_E_INVALIDPOINTER;
        auto copy = MemoryStream::make(m_bytes, m_pos);
        *out = copy.Detach();
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    const std::string &bytes() const { return *m_bytes; }

private:
    std::shared_ptr<std::string> m_bytes;
    ULONGLONG m_pos;
};

std::u16string folded(const OLECHAR *name)
{
    std::u16string out(name);
    for (char16_t &c : out)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c + 32);
    return out;
}

bool validName(const OLECHAR *name)
{
    if (!name || !*name)
        return false;
    std::size_t n = 0;
    for (const OLECHAR *p = name; *p; ++p, ++n)
        if (*p == u'/' || *p == u'\\' || *p == u':' || *p == u'!' || n >= 31)
            return false; // the compound-file limits: 31 characters, no separators
    return true;
}

class MemoryStorage final : public ComObject<MemoryStorage, IStorage> {
public:
    HRESULT CreateStream(
        const OLECHAR *name, DWORD mode, DWORD, DWORD, IStream **out) noexcept override
    {
        if (!out)
            return STG_E_INVALIDPOINTER;
        *out = nullptr;
        if (!validName(name))
            return STG_E_INVALIDNAME;
        return guarded([&] {
            const auto key = folded(name);
            if (m_storages.count(key))
                return STG_E_FILEALREADYEXISTS;
            auto &bytes = m_streams[key];
            if (bytes && !(mode & STGM_CREATE))
                return STG_E_FILEALREADYEXISTS;
            bytes = std::make_shared<std::string>();
            auto stream = MemoryStream::make(bytes);
            *out = stream.Detach();
            return *out ? S_OK : E_OUTOFMEMORY;
        }, STG_E_INSUFFICIENTMEMORY);
    }
    HRESULT OpenStream(const OLECHAR *name, void *, DWORD, DWORD, IStream **out) noexcept override
    {
        if (!out)
            return STG_E_INVALIDPOINTER;
        *out = nullptr;
        if (!validName(name))
            return STG_E_INVALIDNAME;
        return guarded([&] {
            const auto it = m_streams.find(folded(name));
            if (it == m_streams.end())
                return STG_E_FILENOTFOUND;
            auto stream = MemoryStream::make(it->second);
            *out = stream.Detach();
            return *out ? S_OK : E_OUTOFMEMORY;
        }, STG_E_INSUFFICIENTMEMORY);
    }
    HRESULT CreateStorage(
        const OLECHAR *name, DWORD mode, DWORD, DWORD, IStorage **out) noexcept override
    {
        if (!out)
            return STG_E_INVALIDPOINTER;
        *out = nullptr;
        if (!validName(name))
            return STG_E_INVALIDNAME;
        return guarded([&] {
            const auto key = folded(name);
            if (m_streams.count(key) || (m_storages.count(key) && !(mode & STGM_CREATE)))
                return STG_E_FILEALREADYEXISTS;
            auto child = MemoryStorage::make();
            if (!child)
                return E_OUTOFMEMORY;
            m_storages[key] = child;
            *out = child.Detach();
            return S_OK;
        }, STG_E_INSUFFICIENTMEMORY);
    }
    HRESULT OpenStorage(
        const OLECHAR *name, IStorage *, DWORD, SNB, DWORD, IStorage **out) noexcept override
    {
        if (!out)
            return STG_E_INVALIDPOINTER;
        *out = nullptr;
        if (!validName(name))
            return STG_E_INVALIDNAME;
        return guarded([&] {
            const auto it = m_storages.find(folded(name));
            if (it == m_storages.end())
                return STG_E_FILENOTFOUND;
            *out = it->second.Get();
            (*out)->AddRef();
            return S_OK;
        }, STG_E_INSUFFICIENTMEMORY);
    }
    HRESULT CopyTo(DWORD, const IID *, SNB, IStorage *) noexcept override { return E_NOTIMPL; }
    HRESULT MoveElementTo(const OLECHAR *, IStorage *, const OLECHAR *, DWORD) noexcept override
    {
        return E_NOTIMPL;
    }
    HRESULT Commit(DWORD) noexcept override { return S_OK; }
    HRESULT Revert() noexcept override { return S_OK; }
    HRESULT EnumElements(DWORD, void *, DWORD, IEnumSTATSTG **out) noexcept override
    {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT DestroyElement(const OLECHAR *name) noexcept override
    {
        if (!validName(name))
            return STG_E_INVALIDNAME;
        return guarded([&] {
            const auto key = folded(name);
            if (m_streams.erase(key) + m_storages.erase(key) == 0)
                return STG_E_FILENOTFOUND;
            return S_OK;
        }, STG_E_INSUFFICIENTMEMORY);
    }
    HRESULT RenameElement(const OLECHAR *, const OLECHAR *) noexcept override { return E_NOTIMPL; }
    HRESULT SetElementTimes(
        const OLECHAR *, const FILETIME *, const FILETIME *, const FILETIME *) noexcept override
    {
        return S_OK;
    }
    HRESULT SetClass(REFCLSID clsid) noexcept override
    {
        m_clsid = clsid;
        return S_OK;
    }
    HRESULT SetStateBits(DWORD bits, DWORD mask) noexcept override
    {
        m_stateBits = (m_stateBits & ~mask) | (bits & mask);
        return S_OK;
    }
    HRESULT Stat(STATSTG *stat, DWORD) noexcept override
    {
        if (!stat)
            return STG_E_INVALIDPOINTER;
        *stat = STATSTG {};
        stat->type = STGTY_STORAGE;
        stat->clsid = m_clsid;
        stat->grfStateBits = m_stateBits;
        stat->grfMode = STGM_READWRITE;
        return S_OK;
    }

private:
    std::map<std::u16string, std::shared_ptr<std::string>> m_streams;
    std::map<std::u16string, ComPtr<MemoryStorage>> m_storages;
    CLSID m_clsid {};
    DWORD m_stateBits = 0;
};

HRESULT readExact(IStream *stream, void *buffer, ULONG size) noexcept
{
    ULONG read = 0;
    const HRESULT hr = stream->Read(buffer, size, &read);
    if (FAILED(hr))
        return hr;
    return read == size ? S_OK : STG_E_READFAULT;
}

HRESULT writeExact(IStream *stream, const void *buffer, ULONG size) noexcept
{
    ULONG written = 0;
    const HRESULT hr = stream->Write(buffer, size, &written);
    if (FAILED(hr))
        return hr;
    return written == size ? S_OK : STG_E_WRITEFAULT;
}


} // namespace

HRESULT createMemoryStorage(IStorage **out) noexcept
{
    if (!out)
        return E_POINTER;
    auto storage = MemoryStorage::make();
    *out = storage.Detach();
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT createStreamOnBytes(std::string_view bytes, IStream **out) noexcept
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return guarded([&] {
        auto stream = MemoryStream::make(std::make_shared<std::string>(bytes));
        *out = stream.Detach();
        return *out ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT streamBytes(IStream *stream, std::string &out) noexcept
{
    if (!stream)
        return E_POINTER;
    return guarded([&] {
        ComPtr<IStream> clone;
        HRESULT hr = stream->Clone(&clone);
        if (FAILED(hr))
            return hr;
        LARGE_INTEGER zero {};
        hr = clone->Seek(zero, STREAM_SEEK_SET, nullptr);
        if (FAILED(hr))
            return hr;
        out.clear();
        char buffer[4096];
        for (;;) {
            ULONG read = 0;
            hr = clone->Read(buffer, sizeof buffer, &read);
            if (FAILED(hr))
                return hr;
            out.append(buffer, read);
            if (read < sizeof buffer)
                return S_OK;
        }
    });
}

HRESULT writeTypedVariant(IStream *stream, const VARIANT &input) noexcept
{
    if (!stream)
        return E_POINTER;
    Variant value;
    HRESULT hr = VariantCopyInd(&value, &input);
    if (FAILED(hr))
        return hr;
    const VARTYPE vt = value.vt;
    hr = writeExact(stream, &vt, sizeof vt);
    if (FAILED(hr))
        return hr;
    if (vt == VT_EMPTY || vt == VT_NULL)
        return S_OK;
    if (const std::size_t size = typedVariantPayloadSize(vt))
        return writeExact(stream, &value.llVal, static_cast<ULONG>(size));
    if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
        ComPtr<IPersistStream> persist;
        if (value.punkVal &&
            FAILED(value.punkVal->QueryInterface(IPersistStream::iid, persist.voidOut())))
            return E_FAIL;
        return OleSaveToStream(persist.Get(), stream);
    }
    Variant text;
    if (vt == VT_BSTR)
        text = value;
    else if (FAILED(VariantChangeType(&text, &value, 0, VT_BSTR)))
        return E_FAIL;
    const ULONG bytes = text.bstrVal ? (SysStringLen(text.bstrVal) + 1) * sizeof(OLECHAR) : 0;
    hr = writeExact(stream, &bytes, sizeof bytes);
    if (FAILED(hr) || bytes == 0)
        return hr;
    return writeExact(stream, text.bstrVal, bytes); // includes the terminator every BSTR has
}

HRESULT readTypedVariant(IStream *stream, VARIANT *out, bool loadObjects) noexcept
{
    if (!stream || !out)
        return E_POINTER;
    VARTYPE vt = 0;
    HRESULT hr = readExact(stream, &vt, sizeof vt);
    if (FAILED(hr))
        return hr;
    Variant value;
    if (vt == VT_EMPTY || vt == VT_NULL) {
        value.vt = vt;
    } else if (const std::size_t size = typedVariantPayloadSize(vt)) {
        hr = readExact(stream, &value.llVal, static_cast<ULONG>(size));
        if (FAILED(hr))
            return hr;
        value.vt = vt;
    } else if (vt == VT_UNKNOWN || vt == VT_DISPATCH) {
        if (!loadObjects) {
            CLSID clsid;
            hr = ReadClassStm(stream, &clsid);
            if (FAILED(hr))
                return hr;
            if (clsid != CLSID_NULL)
                return E_FAIL;
            value.vt = vt;
        } else {
            void *object = nullptr;
            hr = OleLoadFromStream(
                stream, vt == VT_DISPATCH ? IDispatch::iid : IUnknown::iid, &object);
            if (FAILED(hr))
                return hr;
            value.vt = vt;
            value.punkVal = static_cast<IUnknown *>(object);
        }
    } else {
        // Every type this layer has that is neither fixed-size nor an object is a string.
        if (vt != VT_BSTR)
            return DISP_E_BADVARTYPE;
        ULONG bytes = 0;
        hr = readExact(stream, &bytes, sizeof bytes);
        if (FAILED(hr))
            return hr;
        if (bytes == 0) {
            value.vt = VT_BSTR; // no string
        } else {
            if (bytes > kMaxTypedString || bytes % 2 != 0)
                return STG_E_READFAULT;
            BStr text = BStr::attach(SysAllocStringLen(nullptr, bytes / 2 - 1));
            if (!text.get())
                return E_OUTOFMEMORY;
            hr = readExact(stream, text.get(), bytes);
            if (FAILED(hr))
                return hr;
            if (text.get()[bytes / 2 - 1] != 0)
                return STG_E_READFAULT;
            value.vt = VT_BSTR;
            value.bstrVal = text.detach();
        }
    }
    hr = VariantClear(out);
    if (FAILED(hr))
        return hr;
    *out = value.detach();
    return S_OK;
}

std::size_t typedVariantPayloadSize(VARTYPE vt) noexcept
{
    switch (vt) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_ERROR:
        return 4;
    case VT_R8:
    case VT_CY:
    case VT_DATE:
    case VT_I8:
    case VT_UI8:
        return 8;
    default:
        return 0;
    }
}

} // namespace platform::com

using namespace platform::com;

HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL, IStream **out) noexcept
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    if (hGlobal)
        return E_INVALIDARG;
    return createStreamOnBytes({}, out);
}

HRESULT WriteClassStm(IStream *stream, REFCLSID clsid) noexcept
{
    if (!stream)
        return E_INVALIDARG;
    BYTE bytes[16];
    std::memcpy(bytes, &clsid.Data1, 4);
    std::memcpy(bytes + 4, &clsid.Data2, 2);
    std::memcpy(bytes + 6, &clsid.Data3, 2);
    std::memcpy(bytes + 8, clsid.Data4, 8);
    return writeExact(stream, bytes, sizeof bytes);
}

HRESULT ReadClassStm(IStream *stream, CLSID *clsid) noexcept
{
    if (!stream || !clsid)
        return E_INVALIDARG;
    BYTE bytes[16];
    const HRESULT hr = readExact(stream, bytes, sizeof bytes);
    if (FAILED(hr))
        return hr;
    std::memcpy(&clsid->Data1, bytes, 4);
    std::memcpy(&clsid->Data2, bytes + 4, 2);
    std::memcpy(&clsid->Data3, bytes + 6, 2);
    std::memcpy(clsid->Data4, bytes + 8, 8);
    return S_OK;
}

HRESULT OleSaveToStream(IPersistStream *object, IStream *stream) noexcept
{
    if (!stream)
        return E_INVALIDARG;
    if (!object)
        return WriteClassStm(stream, CLSID_NULL);
    CLSID clsid;
    HRESULT hr = object->GetClassID(&clsid);
    if (FAILED(hr))
        return hr;
    hr = WriteClassStm(stream, clsid);
    if (FAILED(hr))
        return hr;
    return object->Save(stream, TRUE);
}

HRESULT OleLoadFromStream(IStream *stream, REFIID iid, void **out) noexcept
{
    if (!stream || !out)
        return E_INVALIDARG;
    *out = nullptr;
    CLSID clsid;
    HRESULT hr = ReadClassStm(stream, &clsid);
    if (FAILED(hr))
        return hr;
    if (clsid == CLSID_NULL)
        return S_FALSE;
    ComPtr<IPersistStream> persist;
    hr = CoCreateInstance(
        clsid, nullptr, CLSCTX_INPROC_SERVER, IPersistStream::iid, persist.voidOut());
    if (FAILED(hr))
        return hr;
    hr = persist->Load(stream);
    if (FAILED(hr))
        return hr;
    return persist->QueryInterface(iid, out);
}

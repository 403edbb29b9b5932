// Streams and storages in memory, and the persistence interfaces objects save themselves through.
#pragma once

#include <cstddef>

#include "platform/com/variant.h"

#include <string>
#include <vector>

union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    };
    LONGLONG QuadPart;
};
union ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    };
    ULONGLONG QuadPart;
};
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
using HGLOBAL = void *;
using SNB = OLECHAR **;

struct STATSTG {
    LPOLESTR pwcsName;
    DWORD type;
    ULARGE_INTEGER cbSize;
    FILETIME mtime;
    FILETIME ctime;
    FILETIME atime;
    DWORD grfMode;
    DWORD grfLocksSupported;
    CLSID clsid;
    DWORD grfStateBits;
    DWORD reserved;
};

inline constexpr DWORD STGTY_STORAGE = 1;
inline constexpr DWORD STGTY_STREAM = 2;
inline constexpr DWORD STREAM_SEEK_SET = 0;
inline constexpr DWORD STREAM_SEEK_CUR = 1;
inline constexpr DWORD STREAM_SEEK_END = 2;
inline constexpr DWORD STATFLAG_DEFAULT = 0;
inline constexpr DWORD STATFLAG_NONAME = 1;
inline constexpr DWORD STGM_READ = 0x0;
inline constexpr DWORD STGM_WRITE = 0x1;
inline constexpr DWORD STGM_READWRITE = 0x2;
inline constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x10;
inline constexpr DWORD STGM_CREATE = 0x1000;
inline constexpr DWORD STGC_DEFAULT = 0;

struct ISequentialStream : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{0C733A30-2A1C-11CE-ADE5-00AA0044773D}");
    [[nodiscard]] virtual HRESULT Read(void *pv, ULONG cb, ULONG *pcbRead) noexcept = 0;
    [[nodiscard]] virtual HRESULT Write(const void *pv, ULONG cb, ULONG *pcbWritten) noexcept = 0;

protected:
    ~ISequentialStream() = default;
};

struct IStream : ISequentialStream {
    using Base = ISequentialStream;
    static constexpr IID iid = guid("{0000000C-0000-0000-C000-000000000046}");
    [[nodiscard]] virtual HRESULT Seek(
        LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER *plibNewPosition) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetSize(ULARGE_INTEGER libNewSize) noexcept = 0;
    [[nodiscard]] virtual HRESULT CopyTo(IStream *pstm, ULARGE_INTEGER cb, ULARGE_INTEGER *pcbRead,
        ULARGE_INTEGER *pcbWritten) noexcept = 0;
    [[nodiscard]] virtual HRESULT Commit(DWORD grfCommitFlags) noexcept = 0;
    [[nodiscard]] virtual HRESULT Revert() noexcept = 0;
    [[nodiscard]] virtual HRESULT LockRegion(
        ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) noexcept = 0;
    [[nodiscard]] virtual HRESULT UnlockRegion(
        ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) noexcept = 0;
    [[nodiscard]] virtual HRESULT Stat(STATSTG *pstatstg, DWORD grfStatFlag) noexcept = 0;
    [[nodiscard]] virtual HRESULT Clone(IStream **ppstm) noexcept = 0;

protected:
    ~IStream() = default;
};
using LPSTREAM = IStream *;

struct IEnumSTATSTG;

struct IStorage : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{0000000B-0000-0000-C000-000000000046}");
    [[nodiscard]] virtual HRESULT CreateStream(const OLECHAR *pwcsName, DWORD grfMode,
        DWORD reserved1, DWORD reserved2, IStream **ppstm) noexcept = 0;
    [[nodiscard]] virtual HRESULT OpenStream(const OLECHAR *pwcsName, void *reserved1,
        DWORD grfMode, DWORD reserved2, IStream **ppstm) noexcept = 0;
    [[nodiscard]] virtual HRESULT CreateStorage(const OLECHAR *pwcsName, DWORD grfMode,
        DWORD reserved1, DWORD reserved2, IStorage **ppstg) noexcept = 0;
    [[nodiscard]] virtual HRESULT OpenStorage(const OLECHAR *pwcsName, IStorage *pstgPriority,
        DWORD grfMode, SNB snbExclude, DWORD reserved, IStorage **ppstg) noexcept = 0;
    [[nodiscard]] virtual HRESULT CopyTo(DWORD ciidExclude, const IID *rgiidExclude, SNB snbExclude,
        IStorage *pstgDest) noexcept = 0;
    [[nodiscard]] virtual HRESULT MoveElementTo(const OLECHAR *pwcsName, IStorage *pstgDest,
        const OLECHAR *pwcsNewName, DWORD grfFlags) noexcept = 0;
    [[nodiscard]] virtual HRESULT Commit(DWORD grfCommitFlags) noexcept = 0;
    [[nodiscard]] virtual HRESULT Revert() noexcept = 0;
    [[nodiscard]] virtual HRESULT EnumElements(
        DWORD reserved1, void *reserved2, DWORD reserved3, IEnumSTATSTG **ppenum) noexcept = 0;
    [[nodiscard]] virtual HRESULT DestroyElement(const OLECHAR *pwcsName) noexcept = 0;
    [[nodiscard]] virtual HRESULT RenameElement(
        const OLECHAR *pwcsOldName, const OLECHAR *pwcsNewName) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetElementTimes(const OLECHAR *pwcsName, const FILETIME *pctime,
        const FILETIME *patime, const FILETIME *pmtime) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetClass(REFCLSID clsid) noexcept = 0;
    [[nodiscard]] virtual HRESULT SetStateBits(DWORD grfStateBits, DWORD grfMask) noexcept = 0;
    [[nodiscard]] virtual HRESULT Stat(STATSTG *pstatstg, DWORD grfStatFlag) noexcept = 0;

protected:
    ~IStorage() = default;
};
using LPSTORAGE = IStorage *;

struct IPersist : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{0000010C-0000-0000-C000-000000000046}");
    [[nodiscard]] virtual HRESULT GetClassID(CLSID *pClassID) noexcept = 0;

protected:
    ~IPersist() = default;
};

struct IPersistStream : IPersist {
    using Base = IPersist;
    static constexpr IID iid = guid("{00000109-0000-0000-C000-000000000046}");
    [[nodiscard]] virtual HRESULT IsDirty() noexcept = 0;
    [[nodiscard]] virtual HRESULT Load(IStream *pStm) noexcept = 0;
    [[nodiscard]] virtual HRESULT Save(IStream *pStm, BOOL fClearDirty) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetSizeMax(ULARGE_INTEGER *pcbSize) noexcept = 0;

protected:
    ~IPersistStream() = default;
};
using LPPERSISTSTREAM = IPersistStream *;

struct IPersistStreamInit : IPersist {
    using Base = IPersist;
    static constexpr IID iid = guid("{7FD52380-4E07-101B-AE2D-08002B2EC713}");
    [[nodiscard]] virtual HRESULT IsDirty() noexcept = 0;
    [[nodiscard]] virtual HRESULT Load(IStream *pStm) noexcept = 0;
    [[nodiscard]] virtual HRESULT Save(IStream *pStm, BOOL fClearDirty) noexcept = 0;
    [[nodiscard]] virtual HRESULT GetSizeMax(ULARGE_INTEGER *pcbSize) noexcept = 0;
    [[nodiscard]] virtual HRESULT InitNew() noexcept = 0;

protected:
    ~IPersistStreamInit() = default;
};

struct IPersistStorage : IPersist {
    using Base = IPersist;
    static constexpr IID iid = guid("{0000010A-0000-0000-C000-000000000046}");
    [[nodiscard]] virtual HRESULT IsDirty() noexcept = 0;
    [[nodiscard]] virtual HRESULT InitNew(IStorage *pStg) noexcept = 0;
    [[nodiscard]] virtual HRESULT Load(IStorage *pStg) noexcept = 0;
    [[nodiscard]] virtual HRESULT Save(IStorage *pStgSave, BOOL fSameAsLoad) noexcept = 0;
    [[nodiscard]] virtual HRESULT SaveCompleted(IStorage *pStgNew) noexcept = 0;
    [[nodiscard]] virtual HRESULT HandsOffStorage() noexcept = 0;

protected:
    ~IPersistStorage() = default;
};

// A stream over growable memory. Only a null hGlobal is supported (E_INVALIDARG otherwise): the
// stream owns its memory. Clones share the bytes and keep their own position.
[[nodiscard]] HRESULT CreateStreamOnHGlobal(
    HGLOBAL hGlobal, BOOL fDeleteOnRelease, IStream **ppstm) noexcept;

// The class identifier as 16 bytes (Data1, Data2, Data3 little-endian, then Data4).
// ReadClassStm gives STG_E_READFAULT for a stream that ends early.
[[nodiscard]] HRESULT WriteClassStm(IStream *pStm, REFCLSID rclsid) noexcept;
[[nodiscard]] HRESULT ReadClassStm(IStream *pStm, CLSID *pclsid) noexcept;

// Writes the object's class identifier and then the object itself (Save with fClearDirty TRUE).
// A null object writes the null class identifier.
[[nodiscard]] HRESULT OleSaveToStream(IPersistStream *pPStm, IStream *pStm) noexcept;
// Reads a class identifier, creates that class and lets it Load the rest; *ppvObj gets interface
// iid. The null class identifier means "no object": S_FALSE with *ppvObj null.
[[nodiscard]] HRESULT OleLoadFromStream(IStream *pStm, REFIID iidInterface, void **ppvObj) noexcept;

namespace platform::com {

// A storage in memory with named streams and sub-storages (names compared without case).
[[nodiscard]] HRESULT createMemoryStorage(IStorage **out) noexcept;
// A memory stream holding `bytes`, positioned at the start.
[[nodiscard]] HRESULT createStreamOnBytes(std::string_view bytes, IStream **out) noexcept;
// Every byte of a memory stream (or of any stream, read from the start); position kept.
[[nodiscard]] HRESULT streamBytes(IStream *stream, std::string &out) noexcept;

// The typed-variant layout of saved properties, little-endian:
//   u16 variant type, then by size class:
//     VT_I1, VT_UI1                                             1 byte
//     VT_I2, VT_UI2, VT_BOOL                                    2 bytes
//     VT_I4, VT_UI4, VT_INT, VT_UINT, VT_R4, VT_ERROR           4 bytes
//     VT_R8, VT_CY, VT_DATE, VT_I8, VT_UI8                      8 bytes
//     VT_UNKNOWN, VT_DISPATCH   the object through OleSaveToStream (its class identifier, then
//                               its own data; the null class identifier for no object)
//     VT_EMPTY, VT_NULL         nothing
//     anything else             converted to text: u32 byte count (the UTF-16 bytes plus 2 for the
//                               terminator; 0 for no string), then the UTF-16 text and terminator
// An object without IPersistStream cannot be written (E_FAIL). By-reference values are written
// as the value they refer to.
[[nodiscard]] HRESULT writeTypedVariant(IStream *stream, const VARIANT &value) noexcept;
// The byte count of a fixed-size type in that layout (1, 2, 4 or 8); 0 for every other type.
std::size_t typedVariantPayloadSize(VARTYPE vt) noexcept;
// Reads one value. Bounds every
// length by kMaxTypedString; a short stream gives STG_E_READFAULT, an unknown type
// DISP_E_BADVARTYPE. With loadObjects false an object other than "none" is refused (E_FAIL).
inline constexpr ULONG kMaxTypedString = 16u << 20;
[[nodiscard]] HRESULT readTypedVariant(
    IStream *stream, VARIANT *value, bool loadObjects = true) noexcept;

} // namespace platform::com

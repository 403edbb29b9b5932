// IEnumVARIANT: what a For Each loop over a collection walks (the collection's DISPID_NEWENUM
// member hands it out).
#pragma once

#include "platform/com/boundary.h"
#include "platform/com/variant.h"

#include <functional>
#include <type_traits>
#include <vector>

struct IEnumVARIANT : IUnknown {
    using Base = IUnknown;
    static constexpr IID iid = guid("{00020404-0000-0000-C000-000000000046}");
    // Copies up to celt items into rgVar; S_FALSE when fewer were left. pCeltFetched may be null
    // only when celt is 1.
    [[nodiscard]] virtual HRESULT Next(
        ULONG celt, VARIANT *rgVar, ULONG *pCeltFetched) noexcept = 0;
    [[nodiscard]] virtual HRESULT Skip(ULONG celt) noexcept = 0;
    [[nodiscard]] virtual HRESULT Reset() noexcept = 0;
    [[nodiscard]] virtual HRESULT Clone(IEnumVARIANT **ppEnum) noexcept = 0;

protected:
    ~IEnumVARIANT() = default;
};
inline constexpr IID IID_IEnumVARIANT = IEnumVARIANT::iid;

namespace platform::com {

// An enumerator over a copy of the given items (independent of later changes to the source).
[[nodiscard]] HRESULT createEnumVariant(std::vector<Variant> items, IEnumVARIANT **out) noexcept;

// The cursor of an enumerator interface (Next, Skip, Reset; Interface declares them with Item
// as the element type). Derived provides
//   ULONG enumCount() noexcept;                    the current number of items
//   HRESULT enumItem(ULONG index, Item *out) noexcept;     item `index` (a VARIANT comes empty)
template <class Derived, class Interface, class Item> class EnumCursor : public Interface {
public:
    [[nodiscard]] HRESULT Next(ULONG celt, Item *out, ULONG *fetched) noexcept override
    {
        if (!out || (celt > 1 && !fetched))
            return E_POINTER;
        ULONG n = 0;
        auto &self = static_cast<Derived &>(*this);
        while (n < celt && m_cursor < self.enumCount()) {
            if constexpr (std::is_same_v<Item, VARIANT>)
                VariantInit(&out[n]);
            if (FAILED(self.enumItem(m_cursor, &out[n])))
                break;
            ++n;
            ++m_cursor;
        }
        if (fetched)
            *fetched = n;
        return n == celt ? S_OK : S_FALSE;
    }
    [[nodiscard]] HRESULT Skip(ULONG celt) noexcept override
    {
        const ULONG count = static_cast<Derived &>(*this).enumCount();
        const ULONG left = m_cursor < count ? count - m_cursor : 0;
        m_cursor += celt < left ? celt : left;
        return celt <= left ? S_OK : S_FALSE;
    }
    [[nodiscard]] HRESULT Reset() noexcept override
    {
        m_cursor = 0;
        return S_OK;
    }

protected:
    ULONG cursor() const noexcept { return m_cursor; }
    void setCursor(ULONG cursor) noexcept { m_cursor = cursor; }

private:
    ULONG m_cursor = 0; // unsigned, as the one shared cursor of the collection
};

// IEnumVARIANT for a collection that is its own enumerator, with one cursor shared by every
// enumeration of the collection (Derived provides what EnumCursor asks for).
// Clone gives an independent snapshot at the current position.
template <class Derived>
class EnumVariantCursor : public EnumCursor<Derived, IEnumVARIANT, VARIANT> {
public:
    [[nodiscard]] HRESULT Clone(IEnumVARIANT **out) noexcept override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return guarded([&]() -> HRESULT {
            auto &self = static_cast<Derived &>(*this);
            std::vector<Variant> items(self.enumCount());
            for (ULONG i = 0; i < items.size(); ++i)
                if (FAILED(self.enumItem(i, &items[i])))
                    return E_FAIL;
            ComPtr<IEnumVARIANT> clone;
            const HRESULT hr = createEnumVariant(std::move(items), &clone);
            if (FAILED(hr))
                return hr;
            (void)clone->Skip(this->cursor());
            *out = clone.Detach();
            return S_OK;
        });
    }
};

// An enumerator over a snapshot of items taken when it was made; `copy` hands one item out
// (with the reference the caller releases). Clone copies the snapshot and the position.
template <class Interface, class Item, class Stored, HRESULT (*copy)(const Stored &, Item *)>
class SnapshotEnum final
    : public ComObject<SnapshotEnum<Interface, Item, Stored, copy>,
          EnumCursor<SnapshotEnum<Interface, Item, Stored, copy>, Interface, Item>> {
public:
    explicit SnapshotEnum(std::vector<Stored> items)
        : m_items(std::move(items))
    {
    }
    ULONG enumCount() noexcept { return static_cast<ULONG>(m_items.size()); }
    HRESULT enumItem(ULONG index, Item *out) noexcept { return copy(m_items[index], out); }
    [[nodiscard]] HRESULT Clone(Interface **out) noexcept override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        return guarded([&]() -> HRESULT {
            auto clone = SnapshotEnum::make(m_items);
            if (!clone)
                return E_OUTOFMEMORY;
            clone->setCursor(this->cursor());
            *out = clone.Detach();
            return S_OK;
        });
    }

private:
    std::vector<Stored> m_items;
};

} // namespace platform::com

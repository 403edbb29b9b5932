#include "platform/com/enumvariant.h"

namespace platform::com {

namespace {

class VariantList final : public ComObject<VariantList, EnumVariantCursor<VariantList>> {
public:
    explicit VariantList(std::vector<Variant> items)
        : m_items(std::move(items))
    {
    }
    ULONG enumCount() noexcept { return static_cast<ULONG>(m_items.size()); }
    HRESULT enumItem(ULONG index, VARIANT *out) noexcept
    {
        return VariantCopy(out, &m_items[index]);
    }

private:
    std::vector<Variant> m_items;
};

} // namespace

HRESULT createEnumVariant(std::vector<Variant> items, IEnumVARIANT **out) noexcept
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    auto list = VariantList::make(std::move(items));
    if (!list)
        return E_OUTOFMEMORY;
    *out = list.Detach();
    return S_OK;
}

} // namespace platform::com

// The one place where an exception escaping a member's body becomes the member's status: a
// member writes `return guarded([&] { ... return S_OK; });` instead of its own try/catch.
#pragma once

#include "platform/com/errorinfo.h"

#include <new>
#include <string>
#include <string_view>

namespace platform::com {

// Where a failing member lives, for objects that leave error information (ISupportErrorInfo).
struct MemberSite {
    REFIID iid;
    std::u16string_view source; // the ProgID the error information names
    std::u16string_view member; // the member's name as callers see it
};

// Runs `body` (returning HRESULT). bad_alloc becomes `outOfMemory` (E_OUTOFMEMORY, or a storage
// member's STG_E_INSUFFICIENTMEMORY); any other exception is a fault of ours: E_UNEXPECTED.
template <class Body>
[[nodiscard]] HRESULT guarded(Body &&body, HRESULT outOfMemory = E_OUTOFMEMORY) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return outOfMemory;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// As above, and on an unexpected exception the thread's error information names the member.
template <class Body> [[nodiscard]] HRESULT guarded(const MemberSite &site, Body &&body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    } catch (...) {
        try {
            std::u16string text(site.member);
            text += u" failed unexpectedly";
            return reportError(site.iid, site.source, text, E_UNEXPECTED);
        } catch (...) {
            return E_UNEXPECTED;
        }
    }
}

} // namespace platform::com

// The exception boundary of component members: which status an escaping exception becomes, and
// the error information a member site leaves.
#include "platform/com/boundary.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace platform::com;

namespace {

constexpr IID kIid = guid("{6B1F0002-0000-4000-8000-000000000001}");

TEST(Boundary, MapsWhatEscapesToAStatus)
{
    struct Row {
        const char *what;
        void (*body)();
        HRESULT plain, storage;
    };
    const Row rows[] = {
        { "nothing", [] {}, S_FALSE, S_FALSE },
        { "bad_alloc", [] { throw std::bad_alloc(); }, E_OUTOFMEMORY, STG_E_INSUFFICIENTMEMORY },
        { "runtime_error", [] { throw std::runtime_error("x"); }, E_UNEXPECTED, E_UNEXPECTED },
        { "int", [] { throw 7; }, E_UNEXPECTED, E_UNEXPECTED },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        const auto body = [&] {
            row.body();
            return S_FALSE;
        };
        EXPECT_EQ(guarded(body), row.plain);
        EXPECT_EQ(guarded(body, STG_E_INSUFFICIENTMEMORY), row.storage);
    }
}

TEST(Boundary, MemberSiteNamesTheMemberOnlyForUnexpectedFailures)
{
    const MemberSite site { kIid, u"Test.Widget.1", u"Add" };
    (void)SetErrorInfo(0, nullptr);
    EXPECT_EQ(guarded(site, []() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    ComPtr<IErrorInfo> info;
    EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);

    EXPECT_EQ(guarded(site, []() -> HRESULT { throw std::logic_error("broken"); }), E_UNEXPECTED);
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    GUID iid {};
    BSTR source = nullptr, description = nullptr;
    ASSERT_EQ(info->GetGUID(&iid), S_OK);
    ASSERT_EQ(info->GetSource(&source), S_OK);
    ASSERT_EQ(info->GetDescription(&description), S_OK);
    EXPECT_EQ(iid, kIid);
    EXPECT_EQ(std::u16string(source), u"Test.Widget.1");
    EXPECT_EQ(std::u16string(description), u"Add failed unexpectedly");
    SysFreeString(source);
    SysFreeString(description);
}

} // namespace

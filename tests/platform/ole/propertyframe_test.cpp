#include "platform/com/ole/propertyframe.h"

#include "platform/com/classfactory.h"
#include "platform/com/creation.h"
#include "platform/com/ole/olectl.h"
#include "tests/platform/no_type_info.h"
#include "tests/support/propertyframe_driver.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>

#include <map>
#include <string>
#include <vector>

namespace {

using namespace platform::com;

// An object with two colour properties that names the stock colour page.
class Coloured final : public NoTypeInfo<ComObject<Coloured, IDispatch, ISpecifyPropertyPages>> {
public:
    std::map<DISPID, LONG> values { { DISPID_BACKCOLOR, 0x00FFFFFF }, { DISPID_FORECOLOR, 0 } };
    bool refusePuts = false;

    HRESULT GetPages(CAUUID *pages) noexcept override
    {
        pages->cElems = 1;
        pages->pElems = static_cast<GUID *>(CoTaskMemAlloc(sizeof(GUID)));
        pages->pElems[0] = CLSID_StockColorPage;
        return S_OK;
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *p, VARIANT *result, EXCEPINFO *,
        UINT *) noexcept override
    {
        const auto it = values.find(id);
        if (it == values.end())
            return DISP_E_MEMBERNOTFOUND;
        if (flags & DISPATCH_PROPERTYPUT) {
            if (refusePuts)
                return CTL_E_INVALIDPROPERTYVALUE;
            it->second = p->rgvarg[0].lVal;
            return S_OK;
        }
        result->vt = VT_I4;
        result->lVal = it->second;
        return S_OK;
    }
};

int rowOf(QListWidget *list, const char *name)
{
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == QLatin1String(name))
            return i;
    return -1;
}

HRESULT showFrame(std::vector<IUnknown *> objects, std::vector<CLSID> pages)
{
    return OleCreatePropertyFrame(0, 0, 0, u"Properties", static_cast<ULONG>(objects.size()),
        objects.data(), static_cast<ULONG>(pages.size()), pages.data(), LOCALE_USER_DEFAULT, 0,
        nullptr);
}

TEST(PropertyFrame, ColourPageAppliesOnApplyAndOkToEveryObject)
{
    auto a = Coloured::make(), b = Coloured::make();
    EXPECT_EQ(propertyPagesOf(a->identity()), std::vector<CLSID> { CLSID_StockColorPage });
    testsupport::FrameDriver driver([&](PropertyFrame &frame) {
        ASSERT_EQ(frame.pageCount(), 1);
        auto *properties = frame.pageArea(0)->findChild<QComboBox *>("properties");
        auto *colours = frame.pageArea(0)->findChild<QListWidget *>("colors");
        ASSERT_TRUE(properties && colours);
        ASSERT_EQ(properties->count(), 2);
        EXPECT_EQ(colours->currentRow(), rowOf(colours, "White")) << "shows the current value";
        EXPECT_FALSE(frame.applyEnabled());

        colours->setCurrentRow(rowOf(colours, "Red"));
        EXPECT_TRUE(frame.applyEnabled()) << "a dirty page enables Apply";
        EXPECT_EQ(a->values[DISPID_BACKCOLOR], 0x00FFFFFF) << "nothing is written before Apply";
        frame.pressApply();
        EXPECT_EQ(a->values[DISPID_BACKCOLOR], static_cast<LONG>(RGB(255, 0, 0)));
        EXPECT_EQ(b->values[DISPID_BACKCOLOR], static_cast<LONG>(RGB(255, 0, 0)));
        EXPECT_FALSE(frame.applyEnabled());

        properties->setCurrentIndex(1);
        EXPECT_EQ(colours->currentRow(), rowOf(colours, "Black"));
        EXPECT_FALSE(frame.applyEnabled()) << "showing a property is no edit";
        colours->setCurrentRow(rowOf(colours, "Window Text"));
        b->refusePuts = true;
        frame.pressOk();
        EXPECT_TRUE(frame.applyEnabled()) << "a refused value leaves the page dirty";
        b->refusePuts = false;
        frame.pressOk();
        EXPECT_FALSE(frame.applyEnabled());
    });
    ASSERT_EQ(showFrame({ a->identity(), b->identity() }, { CLSID_StockColorPage }), S_OK);
    EXPECT_EQ(driver.runs, 1);
    EXPECT_EQ(a->values[DISPID_FORECOLOR], static_cast<LONG>(0x80000000u | COLOR_WINDOWTEXT));
    EXPECT_EQ(b->values[DISPID_FORECOLOR], static_cast<LONG>(0x80000000u | COLOR_WINDOWTEXT));
}

// A page that records, in its log (one per N), what the frame does with it.
struct PageLog {
    bool dirty = false;
    std::vector<std::string> calls;
    ComPtr<IPropertyPageSite> site;
};
PageLog pageLogs[2];

template <int N> class RecordingPage final : public ComObject<RecordingPage<N>, IPropertyPage> {
public:
    HRESULT SetPageSite(IPropertyPageSite *site) noexcept override
    {
        log().site = site;
        log().calls.push_back(site ? "site" : "no site");
        return S_OK;
    }
    HRESULT Activate(HWND, LPCRECT, BOOL) noexcept override
    {
        log().calls.push_back("activate");
        return S_OK;
    }
    HRESULT Deactivate() noexcept override
    {
        log().calls.push_back("deactivate");
        return S_OK;
    }
    HRESULT GetPageInfo(PROPPAGEINFO *) noexcept override { return E_NOTIMPL; }
    HRESULT SetObjects(ULONG count, IUnknown **) noexcept override
    {
        log().calls.push_back(count ? "objects" : "no objects");
        return S_OK;
    }
    HRESULT Show(UINT) noexcept override { return S_OK; }
    HRESULT Move(LPCRECT) noexcept override { return S_OK; }
    HRESULT IsPageDirty() noexcept override { return log().dirty ? S_OK : S_FALSE; }
    HRESULT Apply() noexcept override
    {
        log().calls.push_back("apply");
        log().dirty = false;
        return S_OK;
    }
    HRESULT Help(LPCOLESTR) noexcept override { return E_NOTIMPL; }
    HRESULT TranslateAccelerator(MSG *) noexcept override { return S_FALSE; }

private:
    static PageLog &log() { return pageLogs[N]; }
};

constexpr CLSID kPageA = guid("{9A3F1C20-7B44-4D1E-8C55-2E6F7A8B9C01}");
constexpr CLSID kPageB = guid("{9A3F1C20-7B44-4D1E-8C55-2E6F7A8B9C02}");

TEST(PropertyFrame, OnlyDirtyPagesAreAppliedAndEveryPageIsReleased)
{
    PageLog &a = pageLogs[0];
    DWORD cookieA = 0, cookieB = 0;
    auto fa = ClassFactory<RecordingPage<0>>::make();
    auto fb = ClassFactory<RecordingPage<1>>::make();
    ASSERT_EQ(CoRegisterClassObject(
                  kPageA, fa->identity(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookieA),
        S_OK);
    ASSERT_EQ(CoRegisterClassObject(
                  kPageB, fb->identity(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookieB),
        S_OK);
    auto object = Coloured::make();
    testsupport::FrameDriver driver([&](PropertyFrame &frame) {
        ASSERT_EQ(frame.pageCount(), 2);
        EXPECT_EQ(frame.pageTitle(1), "Page 2") << "a page without information still gets a tab";
        a.dirty = true;
        ASSERT_TRUE(a.site);
        EXPECT_FALSE(frame.applyEnabled()) << "the frame learns of changes from the page site";
        ASSERT_EQ(a.site->OnStatusChange(PROPPAGESTATUS_DIRTY), S_OK);
        EXPECT_TRUE(frame.applyEnabled());
        frame.pressOk();
    });
    ASSERT_EQ(showFrame({ object->identity() }, { kPageA, kPageB }), S_OK);
    using Calls = std::vector<std::string>;
    EXPECT_EQ(a.calls,
        (Calls { "site", "objects", "activate", "apply", "deactivate", "no objects", "no site" }));
    EXPECT_EQ(pageLogs[1].calls,
        (Calls { "site", "objects", "activate", "deactivate", "no objects", "no site" }))
        << "a clean page is not applied";
    EXPECT_FALSE(a.site || pageLogs[1].site) << "every page let go of its site";
    EXPECT_EQ(CoRevokeClassObject(cookieA), S_OK);
    EXPECT_EQ(CoRevokeClassObject(cookieB), S_OK);
}

TEST(PropertyFrame, CancelWritesNothingAndAFrameWithoutObjectsOrPagesIsRefused)
{
    auto object = Coloured::make();
    testsupport::FrameDriver driver([&](PropertyFrame &frame) {
        auto *colours = frame.pageArea(0)->findChild<QListWidget *>("colors");
        colours->setCurrentRow(rowOf(colours, "Navy"));
        frame.pressCancel();
    });
    EXPECT_EQ(showFrame({}, { CLSID_StockColorPage }), E_INVALIDARG);
    EXPECT_EQ(showFrame({ object->identity() }, {}), E_INVALIDARG);
    EXPECT_EQ(showFrame({ object->identity() }, { guid("{9A3F1C20-7B44-4D1E-8C55-2E6F7A8B9CFF}") }),
        REGDB_E_CLASSNOTREG);
    EXPECT_EQ(
        OleCreatePropertyFrame(0, 0, 0, nullptr, 1, nullptr, 0, nullptr, 0, 0, nullptr), E_POINTER);
    EXPECT_EQ(driver.runs, 0) << "nothing is shown when the frame cannot be built";
    ASSERT_EQ(showFrame({ object->identity() }, { CLSID_StockColorPage }), S_OK);
    EXPECT_EQ(driver.runs, 1);
    EXPECT_EQ(object->values[DISPID_BACKCOLOR], 0x00FFFFFF);
}

} // namespace

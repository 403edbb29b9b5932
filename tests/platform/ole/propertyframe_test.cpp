#include "platform/com/ole/propertyframe.h"

#include "platform/com/creation.h"
#include "platform/com/ole/olectl.h"
#include "tests/platform/no_type_info.h"
#include "tests/support/propertyframe_driver.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QListWidget>

#include <functional>
#include <map>

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
        EXPECT_EQ(frame.pageTitle(0), "Color");
        auto *properties = frame.pageArea(0)->findChild<QComboBox *>("properties");
        auto *colours = frame.pageArea(0)->findChild<QListWidget *>("colors");
        ASSERT_TRUE(properties && colours);
        ASSERT_EQ(properties->count(), 2);
        EXPECT_EQ(properties->itemText(0), "BackColor");
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
        frame.pressOk();
    });
    ASSERT_EQ(showFrame({ a->identity(), b->identity() }, { CLSID_StockColorPage }), S_OK);
    EXPECT_EQ(driver.runs, 1);
    EXPECT_EQ(a->values[DISPID_FORECOLOR], static_cast<LONG>(0x80000000u | COLOR_WINDOWTEXT));
    EXPECT_EQ(b->values[DISPID_FORECOLOR], static_cast<LONG>(0x80000000u | COLOR_WINDOWTEXT));
}

TEST(PropertyFrame, CancelAndRefusedValuesWriteNothing)
{
    auto object = Coloured::make();
    {
        testsupport::FrameDriver driver([&](PropertyFrame &frame) {
            auto *colours = frame.pageArea(0)->findChild<QListWidget *>("colors");
            colours->setCurrentRow(rowOf(colours, "Navy"));
            frame.pressCancel();
        });
        ASSERT_EQ(showFrame({ object->identity() }, { CLSID_StockColorPage }), S_OK);
        EXPECT_EQ(object->values[DISPID_BACKCOLOR], 0x00FFFFFF);
    }
    object->refusePuts = true;
    testsupport::FrameDriver driver([&](PropertyFrame &frame) {
        auto *colours = frame.pageArea(0)->findChild<QListWidget *>("colors");
        colours->setCurrentRow(rowOf(colours, "Navy"));
        frame.pressOk();
        EXPECT_TRUE(frame.applyEnabled()) << "a refused value leaves the page dirty";
        object->refusePuts = false;
        frame.pressOk();
        EXPECT_FALSE(frame.applyEnabled());
    });
    ASSERT_EQ(showFrame({ object->identity() }, { CLSID_StockColorPage }), S_OK);
    EXPECT_EQ(object->values[DISPID_BACKCOLOR], static_cast<LONG>(RGB(0, 0, 128)));
}

// A page that records what the frame does with it.
struct PageLog {
    bool dirty = false;
    int applies = 0, activates = 0, deactivates = 0, objectsSet = 0, objectsCleared = 0,
        sitesCleared = 0;
    ComPtr<IPropertyPageSite> site;
};

class RecordingPage final : public ComObject<RecordingPage, IPropertyPage> {
public:
    explicit RecordingPage(PageLog *log)
        : m_log(log)
    {
    }
    HRESULT SetPageSite(IPropertyPageSite *site) noexcept override
    {
        m_log->site = site;
        m_log->sitesCleared += site ? 0 : 1;
        return S_OK;
    }
    HRESULT Activate(HWND, LPCRECT, BOOL) noexcept override
    {
        ++m_log->activates;
        return S_OK;
    }
    HRESULT Deactivate() noexcept override
    {
        ++m_log->deactivates;
        return S_OK;
    }
    HRESULT GetPageInfo(PROPPAGEINFO *) noexcept override { return E_NOTIMPL; }
    HRESULT SetObjects(ULONG count, IUnknown **) noexcept override
    {
        (count ? m_log->objectsSet : m_log->objectsCleared)++;
        return S_OK;
    }
    HRESULT Show(UINT) noexcept override { return S_OK; }
    HRESULT Move(LPCRECT) noexcept override { return S_OK; }
    HRESULT IsPageDirty() noexcept override { return m_log->dirty ? S_OK : S_FALSE; }
    HRESULT Apply() noexcept override
    {
        ++m_log->applies;
        m_log->dirty = false;
        return S_OK;
    }
    HRESULT Help(LPCOLESTR) noexcept override { return E_NOTIMPL; }
    HRESULT TranslateAccelerator(MSG *) noexcept override { return S_FALSE; }

private:
    PageLog *m_log;
};

class PageFactory final : public ComObject<PageFactory, IClassFactory> {
public:
    explicit PageFactory(PageLog *log)
        : m_log(log)
    {
    }
    HRESULT CreateInstance(IUnknown *, REFIID riid, void **ppv) noexcept override
    {
        return RecordingPage::make(m_log)->QueryInterface(riid, ppv);
    }
    HRESULT LockServer(BOOL) noexcept override { return S_OK; }

private:
    PageLog *m_log;
};

constexpr CLSID kPageA = guid("{9A3F1C20-7B44-4D1E-8C55-2E6F7A8B9C01}");
constexpr CLSID kPageB = guid("{9A3F1C20-7B44-4D1E-8C55-2E6F7A8B9C02}");

TEST(PropertyFrame, OnlyDirtyPagesAreAppliedAndEveryPageIsReleased)
{
    PageLog a, b;
    DWORD cookieA = 0, cookieB = 0;
    auto fa = PageFactory::make(&a), fb = PageFactory::make(&b);
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
    EXPECT_EQ(a.applies, 1);
    EXPECT_EQ(b.applies, 0);
    for (const PageLog *log : { &a, &b }) {
        EXPECT_EQ(log->activates, 1);
        EXPECT_EQ(log->deactivates, 1);
        EXPECT_EQ(log->objectsSet, 1);
        EXPECT_EQ(log->objectsCleared, 1);
        EXPECT_EQ(log->sitesCleared, 1);
        EXPECT_FALSE(log->site);
    }
    EXPECT_EQ(CoRevokeClassObject(cookieA), S_OK);
    EXPECT_EQ(CoRevokeClassObject(cookieB), S_OK);
}

TEST(PropertyFrame, RefusesWithoutObjectsPagesOrCreatablePages)
{
    auto object = Coloured::make();
    testsupport::FrameDriver driver([](PropertyFrame &) {});
    EXPECT_EQ(showFrame({}, { CLSID_StockColorPage }), E_INVALIDARG);
    EXPECT_EQ(showFrame({ object->identity() }, {}), E_INVALIDARG);
    EXPECT_EQ(showFrame({ object->identity() }, { guid("{9A3F1C20-7B44-4D1E-8C55-2E6F7A8B9CFF}") }),
        REGDB_E_CLASSNOTREG);
    EXPECT_EQ(
        OleCreatePropertyFrame(0, 0, 0, nullptr, 1, nullptr, 0, nullptr, 0, 0, nullptr), E_POINTER);
    EXPECT_EQ(driver.runs, 0) << "nothing is shown when the frame cannot be built";
}

} // namespace

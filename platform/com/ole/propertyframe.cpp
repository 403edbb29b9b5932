#include "platform/com/ole/propertyframe.h"

#include "platform/com/boundary.h"
#include "platform/com/creation.h"
#include "platform/ui/wincalls.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <atomic>
#include <memory>

namespace platform::com {
namespace {

std::atomic<PropertyFrameDriver *> g_driver { nullptr };

class FrameDialog;

// The site every page of one frame reports to.
class FrameSite final : public ComObject<FrameSite, IPropertyPageSite> {
public:
    FrameSite(FrameDialog *frame, LCID lcid) noexcept
        : m_frame(frame)
        , m_lcid(lcid)
    {
    }
    void detach() noexcept { m_frame = nullptr; }

    HRESULT OnStatusChange(DWORD flags) noexcept override;
    HRESULT GetLocaleID(LCID *out) noexcept override
    {
        if (!out)
            return E_POINTER;
        *out = m_lcid;
        return S_OK;
    }
    HRESULT GetPageContainer(IUnknown **out) noexcept override
    {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    HRESULT TranslateAccelerator(MSG *) noexcept override { return S_FALSE; }

private:
    FrameDialog *m_frame;
    LCID m_lcid;
};

struct Page {
    ComPtr<IPropertyPage> page;
    QWidget *area = nullptr;
    QString title;
};

class FrameDialog final : public QDialog, public PropertyFrame {
public:
    FrameDialog(QWidget *owner, const QString &caption)
        : QDialog(owner)
        , m_tabs(new QTabWidget(this))
        , m_buttons(new QDialogButtonBox(
              QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this))
    {
        setWindowTitle(caption);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(m_tabs);
        layout->addWidget(m_buttons);
        m_buttons->button(QDialogButtonBox::Apply)->setEnabled(false);
        connect(m_buttons->button(QDialogButtonBox::Ok), &QPushButton::clicked, this,
            [this] { pressOk(); });
        connect(m_buttons->button(QDialogButtonBox::Cancel), &QPushButton::clicked, this,
            [this] { pressCancel(); });
        connect(m_buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            [this] { pressApply(); });
    }

    HRESULT addPage(
        ComPtr<IPropertyPage> page, IPropertyPageSite *site, ULONG count, IUnknown **objects)
    {
        HRESULT hr = page->SetPageSite(site);
        if (SUCCEEDED(hr))
            hr = page->SetObjects(count, objects);
        if (FAILED(hr))
            return hr;
        PROPPAGEINFO info {};
        info.cb = sizeof info;
        QString title = QStringLiteral("Page %1").arg(m_pages.size() + 1);
        QSize size(240, 160);
        if (SUCCEEDED(page->GetPageInfo(&info))) {
            if (info.pszTitle)
                title = QString::fromUtf16(info.pszTitle);
            if (info.size.cx > 0 && info.size.cy > 0)
                size = QSize(info.size.cx, info.size.cy);
            CoTaskMemFree(info.pszTitle);
            CoTaskMemFree(info.pszDocString);
            CoTaskMemFree(info.pszHelpFile);
        }
        auto *area = new QWidget;
        area->setMinimumSize(size);
        area->resize(size);
        m_tabs->addTab(area, title);
        m_pages.push_back({ page, area, title });
        const RECT rect { 0, 0, size.width(), size.height() };
        hr = page->Activate(platform::ui::windowHandle(area), &rect, TRUE);
        if (SUCCEEDED(hr))
            (void)page->Show(SW_SHOW);
        return hr;
    }

    void closePages() noexcept
    {
        for (Page &p : m_pages) {
            (void)p.page->Deactivate();
            (void)p.page->SetObjects(0, nullptr);
            (void)p.page->SetPageSite(nullptr);
        }
        m_pages.clear();
    }

    void updateApply()
    {
        bool dirty = false;
        for (const Page &p : m_pages)
            dirty = dirty || p.page->IsPageDirty() == S_OK;
        m_buttons->button(QDialogButtonBox::Apply)->setEnabled(dirty);
    }

    // PropertyFrame
    int pageCount() const override { return static_cast<int>(m_pages.size()); }
    QString pageTitle(int index) const override
    {
        return valid(index) ? m_pages[std::size_t(index)].title : QString();
    }
    QWidget *pageArea(int index) const override
    {
        return valid(index) ? m_pages[std::size_t(index)].area : nullptr;
    }
    void setCurrentPage(int index) override
    {
        if (valid(index))
            m_tabs->setCurrentIndex(index);
    }
    bool applyEnabled() const override
    {
        return m_buttons->button(QDialogButtonBox::Apply)->isEnabled();
    }
    void pressApply() override
    {
        applyDirtyPages();
        updateApply();
    }
    void pressOk() override
    {
        // A page that refuses its values keeps the frame open, as a dialog would.
        if (applyDirtyPages())
            done(QDialog::Accepted);
        updateApply();
    }
    void pressCancel() override { done(QDialog::Rejected); }

private:
    bool valid(int index) const { return index >= 0 && index < pageCount(); }
    bool applyDirtyPages()
    {
        bool ok = true;
        for (Page &p : m_pages)
            if (p.page->IsPageDirty() == S_OK && FAILED(p.page->Apply()))
                ok = false;
        return ok;
    }

    QTabWidget *m_tabs;
    QDialogButtonBox *m_buttons;
    std::vector<Page> m_pages;
};

HRESULT FrameSite::OnStatusChange(DWORD flags) noexcept
{
    if (m_frame &&
        (flags & (PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_CLEAN | PROPPAGESTATUS_VALIDATE)))
        m_frame->updateApply();
    return S_OK;
}

} // namespace

PropertyFrameDriver *setPropertyFrameDriver(PropertyFrameDriver *driver) noexcept
{
    return g_driver.exchange(driver);
}

std::vector<CLSID> propertyPagesOf(IUnknown *object)
{
    std::vector<CLSID> pages;
    ComPtr<ISpecifyPropertyPages> specify;
    if (!object || FAILED(object->QueryInterface(IID_PPV_ARGS(&specify))))
        return pages;
    CAUUID list { 0, nullptr };
    if (SUCCEEDED(specify->GetPages(&list)) && list.pElems)
        pages.assign(list.pElems, list.pElems + list.cElems);
    CoTaskMemFree(list.pElems);
    return pages;
}

} // namespace platform::com

HRESULT OleCreatePropertyFrame(HWND hwndOwner, UINT x, UINT y, LPCOLESTR caption, ULONG cObjects,
    IUnknown **objects, ULONG cPages, LPCLSID pages, LCID lcid, DWORD, void *) noexcept
{
    using namespace platform::com;
    if ((cObjects && !objects) || (cPages && !pages))
        return E_POINTER;
    if (cObjects == 0 || cPages == 0)
        return E_INVALIDARG;
    return guarded([&] {
        std::vector<ComPtr<IPropertyPage>> created;
        for (ULONG i = 0; i < cPages; ++i) {
            ComPtr<IPropertyPage> page;
            const HRESULT hr =
                CoCreateInstance(pages[i], nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&page));
            if (FAILED(hr))
                return hr;
            created.push_back(page);
        }
        QWidget *owner = platform::ui::widgetFromHandle(hwndOwner);
        FrameDialog dialog(
            owner, caption ? QString::fromUtf16(caption) : QStringLiteral("Properties"));
        auto site = FrameSite::make(&dialog, lcid);
        if (!site)
            return E_OUTOFMEMORY;
        HRESULT hr = S_OK;
        for (auto &page : created)
            if (SUCCEEDED(hr))
                hr = dialog.addPage(page, site.Get(), cObjects, objects);
        if (SUCCEEDED(hr)) {
            if (owner)
                dialog.move(owner->mapToGlobal(QPoint(static_cast<int>(x), static_cast<int>(y))));
            if (PropertyFrameDriver *driver = g_driver.load())
                driver->drive(dialog);
            else
                dialog.exec();
        }
        dialog.closePages();
        site->detach();
        return hr;
    });
}

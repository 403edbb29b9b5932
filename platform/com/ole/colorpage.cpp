// The stock colour page: lists the colour properties the objects share (by their stock DISPIDs),
// offers the standard colours and the system colours, and writes the chosen values back through
// IDispatch on Apply.
#include "platform/com/ole/internal/stdclasses.h"
#include "platform/com/boundary.h"
#include "platform/com/ole/olectl.h"
#include "platform/com/ole/propertyframe.h"
#include "platform/ui/wincalls.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <cstring>
#include <vector>

namespace platform::com {
namespace {

struct ColourChoice {
    const char *name;
    OLE_COLOR value;
};
constexpr ColourChoice kColours[] = {
    { "Black", RGB(0, 0, 0) },
    { "Maroon", RGB(128, 0, 0) },
    { "Green", RGB(0, 128, 0) },
    { "Olive", RGB(128, 128, 0) },
    { "Navy", RGB(0, 0, 128) },
    { "Purple", RGB(128, 0, 128) },
    { "Teal", RGB(0, 128, 128) },
    { "Gray", RGB(128, 128, 128) },
    { "Silver", RGB(192, 192, 192) },
    { "Red", RGB(255, 0, 0) },
    { "Lime", RGB(0, 255, 0) },
    { "Yellow", RGB(255, 255, 0) },
    { "Blue", RGB(0, 0, 255) },
    { "Fuchsia", RGB(255, 0, 255) },
    { "Aqua", RGB(0, 255, 255) },
    { "White", RGB(255, 255, 255) },
    { "Window Background", 0x80000000u | COLOR_WINDOW },
    { "Window Text", 0x80000000u | COLOR_WINDOWTEXT },
    { "Button Face", 0x80000000u | COLOR_BTNFACE },
    { "Button Text", 0x80000000u | COLOR_BTNTEXT },
    { "Highlight", 0x80000000u | COLOR_HIGHLIGHT },
    { "Highlight Text", 0x80000000u | COLOR_HIGHLIGHTTEXT },
    { "Gray Text", 0x80000000u | COLOR_GRAYTEXT },
};

struct ColourProperty {
    DISPID id;
    const char *name;
};
constexpr ColourProperty kColourProperties[] = {
    { DISPID_BACKCOLOR, "BackColor" },
    { DISPID_FORECOLOR, "ForeColor" },
    { DISPID_FILLCOLOR, "FillColor" },
    { DISPID_BORDERCOLOR, "BorderColor" },
};

LPOLESTR taskString(const char16_t *text) noexcept
{
    const std::size_t n = std::char_traits<char16_t>::length(text) + 1;
    auto *out = static_cast<LPOLESTR>(CoTaskMemAlloc(n * sizeof(OLECHAR)));
    if (out)
        std::memcpy(out, text, n * sizeof(OLECHAR));
    return out;
}

class ColorPage final : public ComObject<ColorPage, IPropertyPage> {
public:
    ~ColorPage() override { delete m_widget; }

    HRESULT SetPageSite(IPropertyPageSite *site) noexcept override
    {
        m_site = site;
        return S_OK;
    }
    HRESULT Activate(HWND parent, LPCRECT rect, BOOL) noexcept override;
    HRESULT Deactivate() noexcept override
    {
        delete m_widget;
        m_widget = nullptr;
        return S_OK;
    }
    HRESULT GetPageInfo(PROPPAGEINFO *info) noexcept override
    {
        if (!info)
            return E_POINTER;
        info->cb = sizeof *info;
        info->pszTitle = taskString(u"Color");
        info->pszDocString = taskString(u"Colour properties");
        info->pszHelpFile = nullptr;
        info->dwHelpContext = 0;
        info->size = SIZE { 300, 200 };
        return info->pszTitle ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT SetObjects(ULONG count, IUnknown **objects) noexcept override;
    HRESULT Show(UINT command) noexcept override
    {
        if (m_widget)
            m_widget->setVisible(command != SW_HIDE);
        return S_OK;
    }
    HRESULT Move(LPCRECT rect) noexcept override
    {
        if (!rect)
            return E_POINTER;
        if (m_widget)
            m_widget->setGeometry(
                rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
        return S_OK;
    }
    HRESULT IsPageDirty() noexcept override { return m_dirty ? S_OK : S_FALSE; }
    HRESULT Apply() noexcept override;
    HRESULT Help(LPCOLESTR) noexcept override { return E_NOTIMPL; }
    HRESULT TranslateAccelerator(MSG *) noexcept override { return S_FALSE; }

private:
    struct Entry {
        DISPID id;
        QString name;
        OLE_COLOR value;
        bool changed;
    };
    void showSelected();
    void choose(int colourRow);

    ComPtr<IPropertyPageSite> m_site;
    std::vector<ComPtr<IDispatch>> m_objects;
    std::vector<Entry> m_entries;
    QWidget *m_widget = nullptr;
    QComboBox *m_properties = nullptr;
    QListWidget *m_colours = nullptr;
    bool m_dirty = false;
    bool m_filling = false; // selection changes made by the page itself are no edits
};

HRESULT ColorPage::SetObjects(ULONG count, IUnknown **objects) noexcept
{
    if (count && !objects)
        return E_POINTER;
    return guarded([&] {
        m_objects.clear();
        m_entries.clear();
        m_dirty = false;
        for (ULONG i = 0; i < count; ++i) {
            ComPtr<IDispatch> d;
            if (objects[i] && SUCCEEDED(objects[i]->QueryInterface(IID_PPV_ARGS(&d))))
                m_objects.push_back(d);
        }
        // A property is offered when every object has it; its value is the first object's.
        for (const ColourProperty &p : kColourProperties) {
            bool everywhere = !m_objects.empty();
            OLE_COLOR first = 0;
            for (std::size_t i = 0; i < m_objects.size() && everywhere; ++i) {
                Variant value, number;
                everywhere = SUCCEEDED(invokeByDispid(m_objects[i].Get(), p.id,
                                 DISPATCH_PROPERTYGET, nullptr, 0, &value)) &&
                    SUCCEEDED(VariantChangeType(&number, &value, 0, VT_I4));
                if (everywhere && i == 0)
                    first = static_cast<OLE_COLOR>(number.lVal);
            }
            if (everywhere)
                m_entries.push_back({ p.id, QString::fromLatin1(p.name), first, false });
        }
        return S_OK;
    });
}

HRESULT ColorPage::Activate(HWND parent, LPCRECT rect, BOOL) noexcept
{
    QWidget *parentWidget = platform::ui::widgetFromHandle(parent);
    if (!parentWidget || !rect)
        return E_INVALIDARG;
    delete m_widget;
    m_widget = new QWidget(parentWidget);
    m_widget->setGeometry(
        rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    auto *layout = new QVBoxLayout(m_widget);
    layout->addWidget(new QLabel(QStringLiteral("Property:"), m_widget));
    m_properties = new QComboBox(m_widget);
    m_properties->setObjectName(QStringLiteral("properties"));
    for (const Entry &e : m_entries)
        m_properties->addItem(e.name);
    layout->addWidget(m_properties);
    m_colours = new QListWidget(m_widget);
    m_colours->setObjectName(QStringLiteral("colors"));
    for (const ColourChoice &c : kColours) {
        auto *item = new QListWidgetItem(QString::fromLatin1(c.name), m_colours);
        item->setData(Qt::UserRole, static_cast<uint>(c.value));
        COLORREF rgb = 0;
        if (SUCCEEDED(OleTranslateColor(c.value, nullptr, &rgb)))
            item->setData(
                Qt::DecorationRole, QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)));
    }
    layout->addWidget(m_colours);
    m_widget->setEnabled(!m_entries.empty());
    QObject::connect(
        m_properties, &QComboBox::currentIndexChanged, m_widget, [this] { showSelected(); });
    QObject::connect(
        m_colours, &QListWidget::currentRowChanged, m_widget, [this](int row) { choose(row); });
    showSelected();
    m_widget->show();
    return S_OK;
}

void ColorPage::showSelected()
{
    const int index = m_properties->currentIndex();
    if (index < 0 || index >= static_cast<int>(m_entries.size()))
        return;
    m_filling = true;
    int row = -1;
    for (int i = 0; i < static_cast<int>(std::size(kColours)); ++i)
        if (kColours[i].value == m_entries[std::size_t(index)].value)
            row = i;
    m_colours->setCurrentRow(row);
    m_filling = false;
}

void ColorPage::choose(int row)
{
    const int index = m_properties->currentIndex();
    if (m_filling || row < 0 || row >= static_cast<int>(std::size(kColours)) || index < 0 ||
        index >= static_cast<int>(m_entries.size()))
        return;
    Entry &e = m_entries[std::size_t(index)];
    if (e.value == kColours[row].value)
        return;
    e.value = kColours[row].value;
    e.changed = true;
    m_dirty = true;
    if (m_site)
        (void)m_site->OnStatusChange(PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE);
}

HRESULT ColorPage::Apply() noexcept
{
    for (const Entry &e : m_entries) {
        if (!e.changed)
            continue;
        for (const ComPtr<IDispatch> &object : m_objects) {
            Variant value = Variant::i4(static_cast<LONG>(e.value));
            const HRESULT hr =
                invokeByDispid(object.Get(), e.id, DISPATCH_PROPERTYPUT, &value, 1, nullptr);
            if (FAILED(hr))
                return hr; // stays dirty: nothing is lost
        }
    }
    for (Entry &e : m_entries)
        e.changed = false;
    m_dirty = false;
    return S_OK;
}

} // namespace

HRESULT createColorPage(REFIID riid, void **ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    auto page = ColorPage::make();
    if (!page)
        return E_OUTOFMEMORY;
    return page->QueryInterface(riid, ppv);
}

} // namespace platform::com

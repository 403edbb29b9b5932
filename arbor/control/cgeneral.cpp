#include "arbor/control/cgeneral.h"

#include "platform/com/boundary.h"
#include "platform/com/classfactory.h"
#include "platform/ui/handles.h"
#include "platform/ui/shell.h"
#include "platform/ui/wincalls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QWidget>

#include <cstring>

namespace arbor {

using namespace platform::com;

namespace {

constexpr char16_t kTitle[] = u"&General"; // string 102
constexpr char16_t kDocString[] = u"General properties"; // string 104
constexpr char16_t kHelpFile[] = u"General help file"; // string 105

// Dialog 106, in dialog units. Its size is the smallest that holds every control with the
// controls' own 5-unit margin.
constexpr QSize kDialogSize(230, 105);

struct Box {
    int id;
    const char *text;
    QRect rect;
    DWORD style; // 0 for the drag box and the reserved one
};
constexpr Box kStyleBoxes[] = {
    { 204, "Has &Buttons", QRect(10, 14, 65, 10), ARBORSTYLE_HASBUTTONS },
    { 205, "Has &Lines", QRect(10, 24, 65, 10), ARBORSTYLE_HASLINES },
    { 206, "Lines as &Root", QRect(10, 34, 65, 10), ARBORSTYLE_LINESATROOT },
    { 207, "Disable Drag && Drop", QRect(10, 75, 80, 10), 0 },
    { 208, "&Grid Lines", QRect(10, 44, 65, 10), ARBORSTYLE_GRIDLINES },
    { 209, "&Single Selection", QRect(10, 55, 65, 10), ARBORSTYLE_SINGLESEL },
    { 210, "Show Selection &Always", QRect(10, 65, 90, 10), ARBORSTYLE_SHOWSELALWAYS },
};
constexpr Box kReservedBox { 211, "Reserved", QRect(10, 85, 90, 10), 0 };

struct Border {
    const char *text;
    LONG value;
};
constexpr Border kBorders[] = { { "None", 0 }, { "Single line", 1 }, { "Raised", 2 }, { "Pop", 3 },
    { "Drop", 4 }, { "Shadow", 5 }, { "Inset", 6 } };

LPOLESTR taskString(std::u16string_view text) noexcept
{
    auto *out = static_cast<LPOLESTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(OLECHAR)));
    if (out) {
        std::memcpy(out, text.data(), text.size() * sizeof(OLECHAR));
        out[text.size()] = 0;
    }
    return out;
}

// The dialog's font: MS Sans Serif 8, or what the system offers for it.
QFont dialogFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSize(8);
    return font;
}

// Dialog units to pixels on `font`: a horizontal unit is a quarter of the font's average
// character width, a vertical one an eighth of its height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont &font)
    {
        const QFontMetrics metrics(font);
        const int width = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        m_x = std::max(1, (width / 26 + 1) / 2);
        m_y = std::max(1, metrics.height());
    }
    QRect map(const QRect &r) const
    {
        return QRect(r.x() * m_x / 4, r.y() * m_y / 8, r.width() * m_x / 4, r.height() * m_y / 8);
    }
    QSize map(const QSize &s) const { return QSize(s.width() * m_x / 4, s.height() * m_y / 8); }

private:
    int m_x;
    int m_y;
};

} // namespace

CGeneral::~CGeneral()
{
    delete m_widget.data();
}

SIZE CGeneral::pageSize()
{
    const QSize size = DialogUnits(dialogFont()).map(kDialogSize);
    return SIZE { size.width(), size.height() };
}

HRESULT CGeneral::SetPageSite(IPropertyPageSite *site) noexcept
{
    m_site = site;
    return S_OK;
}

HRESULT CGeneral::GetPageInfo(PROPPAGEINFO *info) noexcept
{
    if (!info)
        return E_POINTER;
    info->cb = sizeof *info;
    info->dwHelpContext = 0;
    info->pszTitle = taskString(kTitle);
    info->pszDocString = taskString(kDocString);
    info->pszHelpFile = taskString(kHelpFile);
    try {
        info->size = pageSize();
    } catch (...) {
        info->size = SIZE { 0, 0 };
    }
    if (info->pszTitle && info->pszDocString && info->pszHelpFile)
        return S_OK;
    CoTaskMemFree(info->pszTitle);
    CoTaskMemFree(info->pszDocString);
    CoTaskMemFree(info->pszHelpFile);
    info->pszTitle = info->pszDocString = info->pszHelpFile = nullptr;
    return E_OUTOFMEMORY;
}

HRESULT CGeneral::SetObjects(ULONG count, IUnknown **objects) noexcept
{
    if (count && !objects)
        return E_POINTER;
    m_object = nullptr;
    m_read = false;
    m_dirty = false;
    // Several controls at once would each need their own values: the page edits one or none.
    if (count == 1 && objects[0])
        (void)objects[0]->QueryInterface(IID_PPV_ARGS(&m_object));
    fill();
    return S_OK;
}

HRESULT CGeneral::Activate(HWND parent, LPCRECT rect, BOOL) noexcept
{
    QWidget *parentWidget = platform::ui::widgetFromHandle(parent);
    if (!parentWidget || !rect)
        return E_INVALIDARG;
    return guarded([&]() -> HRESULT {
        delete m_widget.data();
        m_widget = new QWidget(parentWidget);
        m_widget->setObjectName(QStringLiteral("General"));
        m_widget->setFont(dialogFont());
        m_widget->setGeometry(
            rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
        const DialogUnits units(m_widget->font());
        auto *group = new QGroupBox(QStringLiteral("Style"), m_widget);
        // A dialog's group box draws its title across its top edge; Qt's puts the title above
        // the frame, so the box starts half a line higher to keep its frame where the dialog has
        // it.
        const int halfLine = QFontMetrics(m_widget->font()).height() / 2;
        group->setGeometry(units.map(QRect(5, 5, 100, 95)).adjusted(0, -halfLine, 0, 0));
        auto place = [&](const Box &b) {
            auto *box = new QCheckBox(QString::fromLatin1(b.text), m_widget);
            box->setObjectName(QString::number(b.id));
            box->setGeometry(units.map(b.rect));
            return box;
        };
        for (std::size_t i = 0; i < std::size(kStyleBoxes); ++i) {
            m_boxes[i] = place(kStyleBoxes[i]);
            QObject::connect(m_boxes[i], &QCheckBox::clicked, m_widget, [this] { markDirty(); });
        }
        place(kReservedBox)->setEnabled(false);
        m_border = new QComboBox(m_widget);
        m_border->setObjectName(QString::number(kBorderList));
        m_border->setGeometry(units.map(QRect(110, 10, 72, 13))); // a closed list is one row high
        m_border->setMaxVisibleItems(static_cast<int>(std::size(kBorders)));
        for (const Border &b : kBorders)
            m_border->addItem(QString::fromLatin1(b.text), static_cast<int>(b.value));
        QObject::connect(
            m_border, &QComboBox::currentIndexChanged, m_widget, [this] { markDirty(); });
        auto *label = new QLabel(QStringLiteral("Border effect"), m_widget);
        label->setGeometry(units.map(QRect(182, 10, 43, 13)));
        fill();
        m_widget->show();
        return S_OK;
    });
}

HRESULT CGeneral::Deactivate() noexcept
{
    delete m_widget.data();
    m_boxes = {};
    m_border = nullptr;
    m_read = false;
    return S_OK;
}

void CGeneral::fill()
{
    if (!m_widget || !m_object)
        return;
    LONG style = 0, dropEffect = 0, border = 0;
    if (FAILED(m_object->get_Style(&style)) || FAILED(m_object->get_DropEffect(&dropEffect)) ||
        FAILED(m_object->get_BorderStyle(&border)))
        return;
    m_filling = true;
    for (std::size_t i = 0; i < std::size(kStyleBoxes); ++i) {
        const Box &b = kStyleBoxes[i];
        m_boxes[i]->setChecked(
            b.id == kDisableDragBox ? dropEffect == 0 : (static_cast<DWORD>(style) & b.style) != 0);
    }
    m_border->setCurrentIndex(m_border->findData(static_cast<int>(border)));
    m_filling = false;
    m_read = true;
}

void CGeneral::markDirty()
{
    if (m_filling)
        return;
    m_dirty = true;
    if (m_site)
        (void)m_site->OnStatusChange(PROPPAGESTATUS_DIRTY);
}

HRESULT CGeneral::Show(UINT command) noexcept
{
    if (m_widget)
        m_widget->setVisible(command != SW_HIDE);
    return S_OK;
}

HRESULT CGeneral::Move(LPCRECT rect) noexcept
{
    if (!rect)
        return E_POINTER;
    if (m_widget)
        m_widget->setGeometry(
            rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    return S_OK;
}

HRESULT CGeneral::Apply() noexcept
{
    // Boxes that were never filled from the control say nothing about it.
    if (!m_read || !m_object || !m_widget)
        return S_OK;
    DWORD flags = 0;
    bool noDrag = false;
    for (std::size_t i = 0; i < std::size(kStyleBoxes); ++i) {
        if (!m_boxes[i]->isChecked())
            continue;
        if (kStyleBoxes[i].id == kDisableDragBox)
            noDrag = true;
        else
            flags |= kStyleBoxes[i].style;
    }
    const auto i4 = [](LONG v) { return Variant::i4(v); };
    HRESULT hr = m_object->ModifyStyle(i4(65535), i4(0));
    if (SUCCEEDED(hr))
        hr = m_object->ModifyStyle(i4(0), i4(static_cast<LONG>(flags)));
    if (SUCCEEDED(hr))
        hr = m_object->ModifyDropEffect(i4(7), i4(0));
    if (SUCCEEDED(hr))
        hr = m_object->ModifyDropEffect(i4(0), i4(noDrag ? 0 : 2));
    // No selection in the list: the border stays as it was.
    if (SUCCEEDED(hr) && m_border->currentIndex() >= 0)
        hr = m_object->put_BorderStyle(m_border->currentData().toInt());
    if (FAILED(hr))
        return hr;
    m_dirty = false;
    if (m_site)
        (void)m_site->OnStatusChange(PROPPAGESTATUS_DIRTY | PROPPAGESTATUS_VALIDATE);
    return S_OK;
}

HRESULT CGeneral::Help(LPCOLESTR helpDir) noexcept
{
    return guarded([&]() -> HRESULT {
        const QString dir = helpDir ? QString::fromUtf16(helpDir) : QString();
        const QString file = QString::fromUtf16(kHelpFile);
        platform::ui::shellOpenDocument(dir.isEmpty() ? file : QDir(dir).filePath(file));
        return S_OK;
    });
}

HRESULT getGeneralFactory(REFIID riid, void **ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    // The page is a window: without a GUI application in the process it cannot exist.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return CLASS_E_CLASSNOTAVAILABLE;
    return getClassFactory<CGeneral>(riid, ppv);
}

} // namespace arbor

#include "uninstaller/frontend/template_window.h"

#include "platform/ui/shell.h"
#include "uninstaller/frontend/window_text.h"
#include "uninstaller/log/codepage.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QEnterEvent>
#include <QGroupBox>
#include <QImageReader>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTextEdit>
#include <QTreeWidget>

namespace uninstaller::frontend {

namespace {

constexpr std::uint32_t kColourWindowText = 0x1000000;
constexpr std::uint32_t kColourWindow = 0x2000000;
constexpr std::uint32_t kColourButtonFace = 0x3000000;
constexpr std::uint32_t kColourTransparent = 0x4000000;

constexpr std::uint32_t kButtonTypeMask = 0x0F;
constexpr std::uint32_t kEditMultiLine = 0x0004;
constexpr std::uint32_t kEditPassword = 0x0020;
constexpr std::uint32_t kEditReadOnly = 0x0800;
constexpr std::uint32_t kStaticCentre = 0x1;
constexpr std::uint32_t kStaticRight = 0x2;
constexpr std::uint32_t kSysMenu = 0x00080000;
constexpr std::uint32_t kMinimiseBox = 0x00020000;
constexpr std::uint32_t kMaximiseBox = 0x00010000;
constexpr std::uint32_t kExTopMost = 0x00000008;
constexpr std::uint32_t kTopBit = 0x80000000;

constexpr std::int32_t kOwnIcon = -1;
// Icon files hold a handful of sizes; more than this is not an icon anyone drew.
constexpr int kMaxIconImages = 32;

// The colour of a link while the mouse is over it.
const QColor kHoverColour(255, 0, 0);

struct Fonts {
    QFont normal;
    QFont bold;
    QFont underlined;
};

Fonts makeFonts(const log::WindowTemplate &tpl, std::int64_t factor)
{
    QFont base(log::cp1252ToQString(tpl.fontFace));
    base.setPixelSize(fontPixelHeight(tpl.fontSize, factor));
    Fonts fonts { base, base, base };
    fonts.normal.setWeight((tpl.fontFlags & log::kFontBold) ? QFont::Bold : QFont::Normal);
    fonts.normal.setItalic(tpl.fontFlags & log::kFontItalic);
    fonts.bold.setWeight(QFont::Bold);
    fonts.underlined.setWeight(QFont::Normal);
    fonts.underlined.setUnderline(true);
    return fonts;
}

const log::Picture *findPicture(const BuildContext &context, std::int32_t reference)
{
    if (!context.pictures || reference < 0)
        return nullptr;
    for (const log::Picture &picture : *context.pictures) {
        if (picture.number == static_cast<std::uint32_t>(reference))
            return &picture;
    }
    return nullptr;
}

// Qt decodes pictures from memory, so no picture ever has to pass through a temporary file.
QPixmap decodePicture(const log::Picture *picture, const char *format)
{
    QPixmap pixmap;
    if (picture && !picture->bytes.empty()) {
        pixmap.loadFromData(
            picture->bytes.data(), static_cast<uint>(picture->bytes.size()), format);
    }
    return pixmap;
}

// Every size an icon file holds, so the label gets the one nearest its own size.
QIcon decodeIcon(const log::Picture *picture)
{
    QIcon icon;
    if (!picture || picture->bytes.empty())
        return icon;
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(picture->bytes.data()),
            static_cast<qsizetype>(picture->bytes.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ICO");
    // The count comes from the file; the reader stops at the first image it cannot decode.
    for (int i = 0; i < kMaxIconImages; ++i) {
        const QImage image = reader.read();
        if (image.isNull())
            break;
        icon.addPixmap(QPixmap::fromImage(image));
        if (!reader.jumpToNextImage())
            break;
    }
    return icon;
}

void applyColours(QWidget *widget, const log::TemplateControl &c, QPalette::ColorRole textRole,
    QPalette::ColorRole backgroundRole)
{
    QPalette palette = widget->palette();
    const QPalette system = QApplication::palette();
    if (auto text = templateColour(c.textColour, false, system))
        palette.setColor(textRole, *text);
    if (auto background = templateColour(c.backgroundColour, true, system)) {
        palette.setColor(backgroundRole, *background);
        widget->setAutoFillBackground(true);
    } else {
        widget->setAutoFillBackground(false);
    }
    widget->setPalette(palette);
}

QWidget *makeButton(const log::TemplateControl &c, const QString &text, const BuildContext &context,
    QSize size, QWidget *parent)
{
    switch (c.style & kButtonTypeMask) {
    case 2:
    case 3:
    case 5:
    case 6: {
        auto *box = new QCheckBox(text, parent);
        box->setTristate((c.style & kButtonTypeMask) >= 5);
        return box;
    }
    case 4:
    case 9:
        return new QRadioButton(text, parent);
    case 7:
        return new QGroupBox(text, parent);
    default: {
        auto *button = new QPushButton(text, parent);
        button->setDefault((c.style & kButtonTypeMask) == 1);
        button->setAutoDefault(false);
        if (c.kind == 2 && (c.style & kTopBit)) {
            const QPixmap bitmap = decodePicture(findPicture(context, c.picture), "BMP");
            if (!bitmap.isNull()) {
                button->setIcon(QIcon(bitmap));
                button->setIconSize(size);
            }
        }
        return button;
    }
    }
}

QWidget *makeLabel(const log::TemplateControl &c, const std::string &text,
    const BuildContext &context, QSize size, const Fonts &fonts, QWidget *parent)
{
    if (c.subKind == 3 || c.subKind == 4) {
        auto *label = new QLabel(parent);
        if (c.subKind == 3) {
            QIcon icon;
            if (c.picture == kOwnIcon)
                icon = context.ownIcon;
            else
                icon = decodeIcon(findPicture(context, c.picture));
            if (!icon.isNull())
                label->setPixmap(icon.pixmap(size));
        } else {
            const QPixmap bitmap = decodePicture(findPicture(context, c.picture), "BMP");
            if (!bitmap.isNull()) {
                label->setPixmap(bitmap);
                label->setScaledContents(true);
            }
        }
        return label;
    }
    if (c.subKind == 2)
        return new QLabel(parent);
    if (auto link = parseLink(text)) {
        auto *label = new LinkLabel(
            log::cp1252ToQString(link->shown), log::cp1252ToQString(link->target), parent);
        label->setFont(fonts.underlined);
        return label;
    }
    auto *label = new QLabel(log::cp1252ToQString(text), parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    if (c.style & kStaticCentre)
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    else if (c.style & kStaticRight)
        label->setAlignment(Qt::AlignRight | Qt::AlignTop);
    else
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget *makeControl(const log::WindowTemplate &tpl, const log::TemplateControl &c,
    const BuildContext &context, QSize size, const Fonts &fonts, QWidget *parent)
{
    const std::string text = applyLanguageVariant(c.text, context.language);
    const QString qtext = log::cp1252ToQString(text);
    QWidget *widget = nullptr;
    switch (c.kind) {
    case 1:
        widget = makeLabel(c, text, context, size, fonts, parent);
        applyColours(widget, c, QPalette::WindowText, QPalette::Window);
        break;
    case 2:
    case 3:
    case 4:
    case 9:
        widget = makeButton(c, qtext, context, size, parent);
        applyColours(widget, c, QPalette::ButtonText, QPalette::Button);
        break;
    case 5:
        if (c.style & kEditMultiLine) {
            auto *edit = new QPlainTextEdit(qtext, parent);
            edit->setReadOnly(c.style & kEditReadOnly);
            widget = edit;
        } else {
            auto *edit = new QLineEdit(qtext, parent);
            edit->setReadOnly(c.style & kEditReadOnly);
            if (c.style & kEditPassword)
                edit->setEchoMode(QLineEdit::Password);
            widget = edit;
        }
        applyColours(widget, c, QPalette::Text, QPalette::Base);
        break;
    case 6: {
        auto *edit = new QTextEdit(parent);
        edit->setPlainText(qtext);
        edit->setReadOnly(c.style & kEditReadOnly);
        widget = edit;
        applyColours(widget, c, QPalette::Text, QPalette::Base);
        break;
    }
    case 7:
        widget = new QListWidget(parent);
        if (tpl.version >= 4)
            applyColours(widget, c, QPalette::Text, QPalette::Base);
        break;
    case 8: {
        auto *combo = new QComboBox(parent);
        combo->setEditable((c.style & 3) != 3);
        if (combo->isEditable())
            combo->setEditText(qtext);
        widget = combo;
        applyColours(widget, c, QPalette::Text, QPalette::Base);
        break;
    }
    case 10:
    case 11: {
        auto *tree = new QTreeWidget(parent);
        tree->setRootIsDecorated(c.kind == 11);
        tree->setHeaderHidden(c.kind == 11 || (c.style & 3) != 1);
        widget = tree;
        applyColours(widget, c, QPalette::Text, QPalette::Base);
        break;
    }
    default:
        return nullptr; // 12 and unknown kinds are not created
    }
    return widget;
}

} // namespace

std::optional<QColor> templateColour(std::uint32_t value, bool background, const QPalette &system)
{
    switch (value) {
    case kColourWindowText:
        return system.color(QPalette::WindowText);
    case kColourWindow:
        return system.color(QPalette::Base);
    case kColourButtonFace:
        return system.color(QPalette::Button);
    case kColourTransparent:
        if (background)
            return std::nullopt;
        break;
    default:
        break;
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

BuildContext screenContext()
{
    BuildContext context;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        context.verticalDpi = qRound(screen->logicalDotsPerInchY());
        const QRect area = screen->availableGeometry();
        context.workArea = { area.x(), area.y(), area.width(), area.height() };
    }
    const QStyle *style = QApplication::style();
    if (style) {
        context.frame.edgeAndBorder = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
        context.frame.captionHeight = style->pixelMetric(QStyle::PM_TitleBarHeight);
    }
    context.ownIcon = QApplication::windowIcon();
    if (context.ownIcon.isNull() && style)
        context.ownIcon = style->standardIcon(QStyle::SP_TrashIcon);
    return context;
}

QWidget *BuiltWindow::control(std::uint32_t number) const
{
    const auto it = controls.find(number);
    return it == controls.end() ? nullptr : it->second;
}

std::optional<BuiltWindow> buildTemplateWindow(
    const log::WindowTemplate &tpl, const BuildContext &context, QWidget *parent)
{
    BuiltWindow built;
    built.scaleFactor = scaleFactor(context.verticalDpi);
    const std::int64_t f = built.scaleFactor;
    const Fonts fonts = makeFonts(tpl, f);

    built.topLevel = (tpl.style & kWsVisible) != 0;
    if (built.topLevel) {
        auto *window =
            new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        Qt::WindowFlags flags = window->windowFlags();
        flags.setFlag(Qt::WindowCloseButtonHint, tpl.style & kSysMenu);
        flags.setFlag(Qt::WindowMinimizeButtonHint, tpl.style & kMinimiseBox);
        flags.setFlag(Qt::WindowMaximizeButtonHint, tpl.style & kMaximiseBox);
        flags.setFlag(Qt::WindowStaysOnTopHint, tpl.extendedStyle & kExTopMost);
        window->setWindowFlags(flags);
        QPalette palette = window->palette();
        palette.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
        window->setPalette(palette);
        window->setAutoFillBackground(true);
        window->setCursor(Qt::ArrowCursor);
        window->setWindowTitle(log::cp1252ToQString(tpl.title));
        window->setFont(fonts.normal);
        const Rect outer = PlaceWindow(tpl.width, tpl.height, tpl.positionCode, tpl.xOffset,
            tpl.yOffset, f, context.workArea, context.frame);
        const Rect client = clientArea(outer, context.frame);
        window->setGeometry(client.x, client.y, client.width, client.height);
        window->setFixedSize(client.width, client.height);
        built.window = window;
    } else {
        if (!parent)
            return std::nullopt;
        built.window = parent;
    }

    for (const log::TemplateControl &c : tpl.controls) {
        const QRect rect(scaleCoordinate(c.x, f), scaleCoordinate(c.y, f),
            std::max(0, scaleCoordinate(c.width, f)), std::max(0, scaleCoordinate(c.height, f)));
        QWidget *widget = makeControl(tpl, c, context, rect.size(), fonts, built.window);
        if (!widget)
            continue;
        widget->setObjectName(QStringLiteral("control%1").arg(c.number));
        widget->setGeometry(rect);
        if (c.extendedStyle & kExBold)
            widget->setFont(fonts.bold);
        else if (!qobject_cast<LinkLabel *>(widget)) // a link keeps its underlined font
            widget->setFont(fonts.normal);
        widget->setEnabled(!(c.style & kWsDisabled));
        widget->setVisible(c.style & kWsVisible);
        built.controls.emplace(c.number, widget);
    }
    return built;
}

LinkLabel::LinkLabel(const QString &text, QString target, QWidget *parent)
    : QLabel(text, parent)
    , m_target(std::move(target))
{
    setTextFormat(Qt::PlainText);
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::setTextColour(const QColor &colour)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, colour);
    setPalette(p);
}

void LinkLabel::enterEvent(QEnterEvent *event)
{
    m_normalColour = palette().color(QPalette::WindowText);
    setTextColour(kHoverColour);
    QLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent *event)
{
    if (m_normalColour.isValid())
        setTextColour(m_normalColour);
    QLabel::leaveEvent(event);
}

void LinkLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        platform::ui::shellOpenDocument(m_target, platform::ui::ShowState::Maximized);
    QLabel::mousePressEvent(event);
}

} // namespace uninstaller::frontend

// The window's state as text, for process tests and for looking at a running program from outside
// (BIDLARK_DUMP_TREE). One "name=value" line per fact under [window], then one line per tree item
// under [tree]: two blanks per level, the text, then tab-separated image key, item data and text
// colour (hex 0x00BBGGRR).
#include "app/forms/frmMain.h"

#include "platform/com/bstr.h"
#include "platform/com/variant.h"
#include "platform/ui/handles.h"

#include <QAction>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPixmap>
#include <QSaveFile>
#include <QSystemTrayIcon>
#include <QTextStream>
#include <QToolBar>

#include <map>
#include <vector>

namespace {

using platform::com::BStr;
using platform::com::Variant;

QString text(const Variant &v)
{
    Variant asText;
    if (FAILED(VariantChangeType(&asText, &v, 0, VT_BSTR)))
        return {};
    return QString::fromStdU16String(std::u16string(platform::com::view(asText.bstrVal)));
}

QString geometryText(const QWidget *w)
{
    const QRect g = w->geometry();
    return QStringLiteral("%1,%2,%3,%4").arg(g.x()).arg(g.y()).arg(g.width()).arg(g.height());
}

// Depth-first with an explicit stack, so a deep tree cannot exhaust the call stack.
void dumpTree(IArbor *tree, QTextStream &out)
{
    const auto siblingsFrom = [tree](LONG first) {
        std::vector<LONG> items;
        for (LONG item = first; item > 0 && items.size() < 1000000;) {
            items.push_back(item);
            LONG next = 0;
            if (FAILED(tree->get_ItemNext(item, &next)))
                break;
            item = next;
        }
        return items;
    };
    // Items hold their image's handle; the dump names the key it was registered under.
    std::map<QString, QString> keys;
    for (const char16_t *key : mTreeList::kImageKeys) {
        LONG handle = 0;
        if (SUCCEEDED(tree->get_Image(Variant::str(key), &handle)) && handle != 0)
            keys.emplace(QString::number(handle), QString::fromStdU16String(key));
    }
    const auto imageKey = [&keys](const Variant &image) {
        const QString handle = text(image);
        const auto it = keys.find(handle);
        return it == keys.end() ? handle : it->second;
    };
    std::vector<std::pair<LONG, int>> stack;
    LONG first = 0;
    if (SUCCEEDED(tree->get_Root(0, &first))) {
        const std::vector<LONG> roots = siblingsFrom(first);
        for (auto it = roots.rbegin(); it != roots.rend(); ++it)
            stack.emplace_back(*it, 0);
    }
    while (!stack.empty()) {
        const auto [item, depth] = stack.back();
        stack.pop_back();
        BStr caption;
        (void)tree->get_ItemText(item, caption.out());
        Variant image, data;
        (void)tree->get_ItemImage(item, Collapsed, &image);
        (void)tree->get_ItemData(item, &data);
        OLE_COLOR colour = 0;
        (void)tree->get_ItemForeColor(item, &colour);
        out << QString(depth * 2, u' ') << QString::fromStdU16String(std::u16string(caption.view()))
            << '\t' << imageKey(image) << '\t' << text(data) << '\t'
            << QStringLiteral("0x%1").arg(colour, 8, 16, QLatin1Char('0')) << '\n';
        LONG child = 0;
        if (SUCCEEDED(tree->get_ItemChild(item, &child)) && child > 0) {
            const std::vector<LONG> children = siblingsFrom(child);
            for (auto it = children.rbegin(); it != children.rend(); ++it)
                stack.emplace_back(*it, depth + 1);
        }
    }
}

} // namespace

bool frmMain::dumpState(const QString &path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QTextStream out(&file);
    const auto yesNo = [](bool b) { return b ? QStringLiteral("yes") : QStringLiteral("no"); };
    out << "[window]\n";
    out << "title=" << windowTitle() << '\n';
    out << "size=" << width() << 'x' << height() << '\n';
    out << "visible=" << yesNo(isVisible()) << '\n';
    out << "firstPaintAt=" << m_firstPaintAt << '\n';
    QStringList buttons;
    for (QAction *a : Toolbar1->actions())
        buttons << a->text();
    out << "toolbar1=" << buttons.join(u'|') << '\n';
    out << "toolbar2=" << txtSearch->text() << '|' << cmdSearch->text() << '\n';
    const QWidget *controlWindow = platform::ui::widgetFromHandle(Arbor1->controlWindow());
    out << "control=" << yesNo(treeList().hasTree()) << '\n';
    out << "controlWindowInMainWindow="
        << yesNo(controlWindow && isAncestorOf(controlWindow) && controlWindow->isVisible())
        << '\n';
    out << "tree=" << geometryText(Arbor1) << '\n';
    out << "banner=" << geometryText(picbanner) << '\n';
    out << "picture=" << geometryText(Picture1) << '\n';
    out << "status=" << statusText() << '\n';
    out << "busy=" << yesNo(statusBusy()) << '\n';
    out << "tray=" << yesNo(Tray->isVisible()) << '\n';
    out << "[tree]\n";
    if (treeList().hasTree())
        dumpTree(treeList().tree().Get(), out);
    out.flush();
    if (!file.commit())
        return false;
    // What a person would see, beside the text, for runs without a screen.
    const QPixmap picture = const_cast<frmMain *>(this)->grab();
    return picture.save(path + QStringLiteral(".png"));
}

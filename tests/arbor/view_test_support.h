// Shared set-up of the view tests: a fixed style, palette and font so that geometry does not
// depend on the machine, and a view of a known size.
#pragma once

#include "arbor/model/additem.h"
#include "arbor/view/xtreeview.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QStyleFactory>

#include <memory>

namespace arbor::testing {

// Liberation Sans 8 pt, loaded from the file so no substitution can change the metrics.
inline QFont fixedFont()
{
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(
            QStringLiteral("/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        return families.isEmpty() ? QStringLiteral("Liberation Sans") : families.first();
    }();
    QFont f(family);
    f.setPointSize(8);
    return f;
}

inline void fixStyle()
{
    static bool done = [] {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QPalette palette(QColor(0xC0, 0xC0, 0xC0), QColor(0xFF, 0xFF, 0xFF));
        QApplication::setPalette(palette);
        return true;
    }();
    (void)done;
}

// A view of the given size in the fixed font; `view` is a subclass to set up instead of a plain
// one.
inline std::unique_ptr<XTreeView> makeView(
    QSize size, DWORD style = 31, std::unique_ptr<XTreeView> view = nullptr)
{
    fixStyle();
    if (!view)
        view = std::make_unique<XTreeView>();
    view->model().appearance().font = fixedFont();
    view->model().appearance().style = style;
    view->resize(size);
    return view;
}

inline QRgb rgbAt(const QImage &img, int x, int y)
{
    return img.pixel(x, y) & 0xFFFFFF;
}

} // namespace arbor::testing

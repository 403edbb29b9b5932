// Builds the progress window from the template carried in the log. The template describes a
// window the way the system it was designed for creates dialogs: window classes, style bits and
// colour codes. Here each control becomes the Qt widget that behaves the same way:
//
//   kind  class           widget
//   1     static          QLabel; sub-kind 2: empty text; 3: icon; 4: bitmap stretched to the
//                         control; a "hyperlink:" text or the maker's name: LinkLabel
//   2,3,  button          by the button-type bits (style & 0x0F): 0 push, 1 default push
//   4,9                   (QPushButton; 8 and 11 as push too), 2/3 check box and 5/6 three-state
//                         (QCheckBox), 4/9 radio button (QRadioButton), 7 group box (QGroupBox);
//                         kind 2 with the style's top bit shows the listed bitmap on the button
//   5     edit            QLineEdit, or QPlainTextEdit when multi-line (0x0004); read-only
//                         (0x0800) and password (0x0020) honoured
//   6     rich edit       QTextEdit, its background colour on the base role
//   7     list box        QListWidget; templates older than version 4 get window-text on window
//                         colours whatever they say
//   8     combo box       QComboBox, editable unless a drop-down list (style & 3 == 3)
//   10    list view       QTreeWidget without root decoration, header shown in report mode
//   11    tree view       QTreeWidget without header, its background colour on the base role
//   12    (none)          not created
//
// Style bits that count for every control: visible (0x10000000), disabled (0x08000000). The
// extended style's top bit asks for the bold font. Colours: 0x1000000 window text, 0x2000000
// window, 0x3000000 button face (the palette's WindowText, Base and Button), 0x4000000 as a
// background: transparent; anything else a COLORREF (red in the low byte). A top-level window is
// a fixed-size Qt window with a title bar; the window style's system-menu, minimise and maximise
// bits choose its title-bar buttons and the topmost extended bit keeps it on top. The dialog-frame
// bit has no Qt counterpart: the window manager draws the frame.
#pragma once

#include "uninstaller/frontend/window_geometry.h"
#include "uninstaller/log/uninstall_log.h"
#include "uninstaller/log/window_template.h"

#include <QColor>
#include <QIcon>
#include <QLabel>
#include <QPalette>

#include <map>
#include <optional>
#include <vector>

namespace uninstaller::frontend {

inline constexpr std::uint32_t kWsVisible = 0x10000000;
inline constexpr std::uint32_t kWsDisabled = 0x08000000;
inline constexpr std::uint32_t kExBold = 0x80000000;

// What the builder needs to know about the desktop and the log besides the template.
struct BuildContext {
    int verticalDpi = 96;
    Rect workArea { 0, 0, 800, 600 };
    FrameMetrics frame;
    std::uint32_t language = 1;
    const std::vector<log::Picture> *pictures = nullptr;
    QIcon ownIcon; // picture reference -1 of an icon control
};

// The context of the primary screen and the current style.
BuildContext screenContext();

struct BuiltWindow {
    // The top-level window made here, or the given parent.
    QWidget *window = nullptr;
    bool topLevel = false;
    std::int64_t scaleFactor = 1000;
    // Controls by number; when numbers repeat, the first control keeps the number.
    std::map<std::uint32_t, QWidget *> controls;

    QWidget *control(std::uint32_t number) const;
};

// Builds the window. With 0x10000000 in the window style a new top-level window (owned by the
// caller, deleted on close: no) is made; otherwise the controls go into `parent`, which must not be
// null then (nullopt). Bad values never fail the build: unknown kinds are skipped, pictures that do
// not decode show nothing. O(controls + picture bytes).
std::optional<BuiltWindow> buildTemplateWindow(
    const log::WindowTemplate &tpl, const BuildContext &context, QWidget *parent = nullptr);

// A template colour; nullopt for transparent (0x4000000 as a background).
std::optional<QColor> templateColour(std::uint32_t value, bool background, const QPalette &system);

// A label that opens its target through the shell on a left click: underlined, hand cursor, red
// while the mouse is over it.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QString &text, QString target, QWidget *parent = nullptr);
    const QString &target() const { return m_target; }

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void setTextColour(const QColor &colour);

    QString m_target;
    QColor m_normalColour;
};

} // namespace uninstaller::frontend

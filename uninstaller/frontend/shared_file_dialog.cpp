#include "uninstaller/frontend/shared_file_dialog.h"

#include "platform/ui/messagebox.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace uninstaller::frontend {

namespace {

constexpr int kSharedTextId = 1003;
constexpr int kDetailsTextId = 1009;
constexpr int kDetailsWidth = 420;
constexpr int kDetailsHeight = 300;

} // namespace

SharedFileDialog::SharedFileDialog(const SharedFileTexts &texts, QWidget *parent)
    : QDialog(parent)
    , m_text(new QLabel(texts.text, this))
{
    setWindowTitle(QString::fromLatin1(kSharedFileTitle));
    m_text->setObjectName(QStringLiteral("control%1").arg(kSharedTextId));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    auto *row = new QHBoxLayout;
    layout->addLayout(row);
    const std::pair<int, QString> buttons[4] = { { kYesToAllButton, texts.yesToAll },
        { kYesButton, texts.yes }, { kNoButton, texts.no }, { kNoToAllButton, texts.noToAll } };
    for (int i = 0; i < 4; ++i) {
        const int number = buttons[i].first;
        m_buttons[i] = new QPushButton(buttons[i].second, this);
        m_buttons[i]->setObjectName(QStringLiteral("control%1").arg(number));
        m_buttons[i]->setAutoDefault(false);
        m_buttons[i]->setDefault(number == kYesButton);
        row->addWidget(m_buttons[i]);
        connect(m_buttons[i], &QPushButton::clicked, this, [this, number] { done(number); });
    }
}

QPushButton *SharedFileDialog::button(int number) const
{
    for (QPushButton *b : m_buttons) {
        if (b->objectName() == QStringLiteral("control%1").arg(number))
            return b;
    }
    return nullptr;
}

void SharedFileDialog::reject()
{
    done(kNoButton);
}

engine::SharedFileAnswer SharedFileDialog::answerOf(int result)
{
    switch (result) {
    case kYesButton:
        return engine::SharedFileAnswer::Yes;
    case kYesToAllButton:
        return engine::SharedFileAnswer::YesToAll;
    case kNoToAllButton:
        return engine::SharedFileAnswer::NoToAll;
    default:
        return engine::SharedFileAnswer::No;
    }
}

DetailsDialog::DetailsDialog(const DetailsTexts &texts, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(texts.title);
    auto *layout = new QVBoxLayout(this);
    auto *edit = new QPlainTextEdit(texts.text, this);
    edit->setObjectName(QStringLiteral("control%1").arg(kDetailsTextId));
    edit->setReadOnly(true);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Base, Qt::white);
    edit->setPalette(palette);
    layout->addWidget(edit);
    auto *close = new QPushButton(texts.button, this);
    close->setObjectName(QStringLiteral("control1"));
    close->setDefault(true);
    layout->addWidget(close, 0, Qt::AlignRight);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    resize(kDetailsWidth, kDetailsHeight);
}

namespace {

constexpr const char *kMessageBoxLogVariable = "BIDLARK_MESSAGEBOX_LOG";

QString escapeField(QString value)
{
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    value.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return value;
}

// With the message-box log switched on, a program run by a test or a script must never wait for a
// person; the two own dialogs are then logged like the boxes are and take their default button.
bool logDialog(
    const QString &title, const QString &buttons, const QString &answer, const QString &text)
{
    const QString path = qEnvironmentVariable(kMessageBoxLogVariable);
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (file.open(QIODevice::Append | QIODevice::Text)) {
        const QString block = QStringLiteral("[messagebox]\ntitle=%1\nicon=None\nbuttons=%2\n"
                                             "answer=%3\ntext=%4\n\n")
                                  .arg(escapeField(title), buttons, answer, escapeField(text));
        file.write(block.toUtf8());
    }
    return true;
}

class QtDialogs final : public Dialogs {
public:
    void error(const QString &caption, const QString &text, QWidget *parent) override
    {
        platform::ui::messageBox(
            text, platform::ui::MsgButtons::OK, platform::ui::MsgIcon::Critical, caption, parent);
    }
    void notice(const QString &caption, const QString &text, QWidget *parent) override
    {
        platform::ui::messageBox(text, platform::ui::MsgButtons::OK,
            platform::ui::MsgIcon::Exclamation, caption, parent);
    }
    bool question(const QString &caption, const QString &text, QWidget *parent) override
    {
        return platform::ui::messageBox(text, platform::ui::MsgButtons::YesNo,
                   platform::ui::MsgIcon::Question, caption,
                   parent) == platform::ui::MsgResult::Yes;
    }
    engine::SharedFileAnswer sharedFile(const SharedFileTexts &texts, QWidget *parent) override
    {
        if (logDialog(QString::fromLatin1(kSharedFileTitle),
                QStringLiteral("YesToAll,Yes,No,NoToAll"), QStringLiteral("Yes"), texts.text))
            return engine::SharedFileAnswer::Yes;
        SharedFileDialog dialog(texts, parent);
        return SharedFileDialog::answerOf(dialog.exec());
    }
    void details(const DetailsTexts &texts, QWidget *parent) override
    {
        if (logDialog(texts.title, QStringLiteral("Close"), QStringLiteral("Close"), texts.text))
            return;
        DetailsDialog dialog(texts, parent);
        dialog.exec();
    }
};

} // namespace

std::unique_ptr<Dialogs> makeQtDialogs()
{
    return std::make_unique<QtDialogs>();
}

} // namespace uninstaller::frontend

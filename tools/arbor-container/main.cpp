// arbor-container: creates a control by ProgID inside a window, adds items of each kind, sets
// properties and invokes members by name, and lists the events the control raises. With
// `--grab file.png` it fills the window with a small example, saves a picture of it and exits.
#include "tools/arbor-container/eventlog.h"

#include "platform/com/bstr.h"
#include "platform/com/dispatch.h"
#include "platform/com/ole/controlhost.h"
#include "platform/ui/handles.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCommandLineParser>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>

#include <vector>

namespace {

using namespace platform::com;
using arborcontainer::describe;
using arborcontainer::EventLog;
using arborcontainer::parse;

QString hresultText(HRESULT hr, const EXCEPINFO &excep)
{
    QString text = QStringLiteral("0x%1").arg(static_cast<quint32>(hr), 8, 16, QLatin1Char('0'));
    if (excep.bstrDescription)
        text += QStringLiteral(" ") +
            QString::fromStdU16String(std::u16string(view(excep.bstrDescription)));
    return text;
}

class ContainerWindow : public QWidget {
public:
    ContainerWindow()
    {
        setWindowTitle(QStringLiteral("Arbor container"));
        auto *layout = new QVBoxLayout(this);

        auto *top = new QHBoxLayout;
        m_progId = new QLineEdit(QStringLiteral("Corvel.Arbor"));
        top->addWidget(new QLabel(QStringLiteral("ProgID")));
        top->addWidget(m_progId, 1);
        top->addWidget(button(QStringLiteral("Create"), [this] { create(); }));
        top->addWidget(button(QStringLiteral("Release"), [this] { release(); }));
        top->addWidget(button(QStringLiteral("Properties"), [this] { properties(); }));
        layout->addLayout(top);

        auto *split = new QSplitter;
        m_host = new ControlHost;
        m_host->setMinimumSize(240, 200);
        m_events = new QListWidget;
        split->addWidget(m_host);
        split->addWidget(m_events);
        split->setStretchFactor(0, 1);
        split->setStretchFactor(1, 1);
        layout->addWidget(split, 1);

        // Items go under the first selected item, or at the root.
        auto *items = new QHBoxLayout;
        m_itemText = new QLineEdit(QStringLiteral("Item"));
        items->addWidget(new QLabel(QStringLiteral("Add")));
        items->addWidget(m_itemText, 1);
        items->addWidget(addButton(QStringLiteral("Text"), u"AddItem", {}));
        items->addWidget(addButton(QStringLiteral("Check"), u"AddItemCheck", { Variant::i4(1) }));
        items->addWidget(
            addButton(QStringLiteral("3-state"), u"AddItemCheck3", { Variant::i4(-1) }));
        items->addWidget(addButton(QStringLiteral("Radio"), u"AddItemRadio", { Variant::i4(0) }));
        items->addWidget(addButton(QStringLiteral("Image"), u"AddItemImage", { Variant::i4(1) }));
        items->addWidget(button(QStringLiteral("Window"), [this] { addWindow(); }));
        layout->addLayout(items);

        auto *property = new QHBoxLayout;
        m_propertyName = new QLineEdit(QStringLiteral("BackColor"));
        m_propertyValue = new QLineEdit(QStringLiteral("0x00E0FFFF"));
        property->addWidget(new QLabel(QStringLiteral("Property")));
        property->addWidget(m_propertyName, 1);
        property->addWidget(m_propertyValue, 1);
        property->addWidget(button(QStringLiteral("Set"), [this] { setProperty(); }));
        layout->addLayout(property);

        auto *member = new QHBoxLayout;
        m_memberName = new QLineEdit(QStringLiteral("ItemText"));
        m_memberArgs = new QLineEdit(QStringLiteral("1"));
        m_memberArgs->setPlaceholderText(QStringLiteral("arguments separated by ;"));
        member->addWidget(new QLabel(QStringLiteral("Invoke")));
        member->addWidget(m_memberName, 1);
        member->addWidget(m_memberArgs, 1);
        member->addWidget(button(QStringLiteral("Invoke"), [this] { invokeMember(); }));
        member->addWidget(button(QStringLiteral("Clear log"), [this] { m_events->clear(); }));
        layout->addLayout(member);

        m_log = EventLog::make();
        m_log->onLine = [this](const QString &line) { log(line); };
    }

    ~ContainerWindow() override { release(); }

    bool create()
    {
        release();
        const HRESULT hr = m_host->createControl(m_progId->text().toStdU16String());
        if (FAILED(hr)) {
            log(QStringLiteral("create %1 failed: %2").arg(m_progId->text(), hresultText(hr, {})));
            return false;
        }
        m_control = m_host->control();
        log(QStringLiteral("created %1").arg(m_progId->text()));
        if (!m_log->connect(m_host->oleObject().Get()))
            log(QStringLiteral("the control names no event interface a sink can join"));
        return m_control != nullptr;
    }

    // The control's property pages in the platform's frame, as a design environment opens them.
    void properties()
    {
        if (!m_host->hasControl()) {
            log(QStringLiteral("no control: press Create first"));
            return;
        }
        const HRESULT hr = m_host->doVerb(OLEIVERB_PROPERTIES);
        if (FAILED(hr))
            log(QStringLiteral("properties failed: %1").arg(hresultText(hr, {})));
    }

    void release()
    {
        m_log->disconnect();
        m_control = nullptr;
        if (m_host->hasControl()) {
            m_host->closeControl();
            log(QStringLiteral("released"));
        }
        for (const QPointer<QWidget> &w : m_windows)
            delete w.data();
        m_windows.clear();
    }

    // Calls `name` with arguments first to last and logs the outcome; the result or VT_EMPTY.
    Variant call(std::u16string_view name, WORD flags, std::vector<Variant> args)
    {
        Variant result;
        if (!m_control) {
            log(QStringLiteral("no control: create one first"));
            return result;
        }
        EXCEPINFO excep {};
        const HRESULT hr = invokeByName(m_control.Get(), name, flags, args.data(),
            static_cast<UINT>(args.size()), &result, &excep);
        QStringList shown;
        for (const Variant &a : args)
            shown << describe(a);
        QString line = QStringLiteral("> %1(%2)")
                           .arg(QString::fromStdU16String(std::u16string(name)),
                               shown.join(QStringLiteral(", ")));
        line += FAILED(hr)
            ? QStringLiteral(" failed: ") + hresultText(hr, excep)
            : (result.vt == VT_EMPTY ? QString() : QStringLiteral(" = ") + describe(result));
        clearExcepInfo(&excep);
        log(line);
        return result;
    }

    void addItem(std::u16string_view member, std::vector<Variant> extra)
    {
        std::vector<Variant> args { Variant::str(m_itemText->text().toStdU16String()) };
        for (Variant &v : extra)
            args.push_back(std::move(v));
        args.push_back(Variant::i4(selectedItem()));
        call(member, DISPATCH_METHOD, std::move(args));
    }

    void addWindow()
    {
        auto *edit = new QLineEdit(m_itemText->text());
        m_windows.emplace_back(edit);
        call(u"AddItemWindow", DISPATCH_METHOD,
            { Variant::i4(static_cast<LONG>(platform::ui::windowHandle(edit))),
                Variant::i4(selectedItem()) });
    }

    void setProperty()
    {
        call(m_propertyName->text().toStdU16String(), DISPATCH_PROPERTYPUT,
            { parse(m_propertyValue->text()) });
    }

    void invokeMember()
    {
        std::vector<Variant> args;
        const QString text = m_memberArgs->text();
        if (!text.trimmed().isEmpty())
            for (const QString &part : text.split(QLatin1Char(';')))
                args.push_back(parse(part.trimmed()));
        call(m_memberName->text().toStdU16String(), DISPATCH_METHOD | DISPATCH_PROPERTYGET,
            std::move(args));
    }

    void fillExample()
    {
        m_itemText->setText(QStringLiteral("Fruit"));
        addItem(u"AddItem", {});
        call(u"SelectItem", DISPATCH_PROPERTYPUT, { Variant::i4(1), Variant::boolean(true) });
        m_itemText->setText(QStringLiteral("Apples"));
        addItem(u"AddItemCheck", { Variant::i4(1) });
        m_itemText->setText(QStringLiteral("Pears"));
        addItem(u"AddItemCheck3", { Variant::i4(-1) });
        m_itemText->setText(QStringLiteral("Ripe"));
        addItem(u"AddItemRadio", { Variant::i4(1) });
        m_itemText->setText(QStringLiteral("Note"));
        addWindow();
        call(u"ExpandItem", DISPATCH_PROPERTYPUT, { Variant::i4(1), Variant::boolean(true) });
        setProperty();
        invokeMember();
    }

private:
    LONG selectedItem()
    {
        if (!m_control)
            return 0;
        Variant selected;
        EXCEPINFO excep {};
        Variant index = Variant::i4(0);
        if (FAILED(invokeByName(m_control.Get(), u"Selection", DISPATCH_PROPERTYGET, &index, 1,
                &selected, &excep))) {
            clearExcepInfo(&excep);
            return 0;
        }
        Variant asLong;
        return SUCCEEDED(VariantChangeType(&asLong, &selected, 0, VT_I4)) ? asLong.lVal : 0;
    }

    template <class F> QPushButton *button(const QString &text, F action)
    {
        auto *b = new QPushButton(text);
        QObject::connect(b, &QPushButton::clicked, this, action);
        return b;
    }

    QPushButton *addButton(
        const QString &text, std::u16string_view member, std::vector<Variant> extra)
    {
        return button(text, [this, member, extra] { addItem(member, extra); });
    }

    void log(const QString &line)
    {
        m_events->addItem(line);
        m_events->scrollToBottom();
    }

    QLineEdit *m_progId = nullptr;
    QLineEdit *m_itemText = nullptr;
    QLineEdit *m_propertyName = nullptr;
    QLineEdit *m_propertyValue = nullptr;
    QLineEdit *m_memberName = nullptr;
    QLineEdit *m_memberArgs = nullptr;
    ControlHost *m_host = nullptr;
    QListWidget *m_events = nullptr;
    ComPtr<IDispatch> m_control;
    ComPtr<EventLog> m_log;
    std::vector<QPointer<QWidget>> m_windows;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Hosts a control by ProgID to try its properties, members and events."));
    options.addHelpOption();
    const QCommandLineOption grab(QStringLiteral("grab"),
        QStringLiteral("Fill the window with an example, save a picture of it and exit."),
        QStringLiteral("file.png"));
    options.addOption(grab);
    options.process(app);

    ContainerWindow window;
    window.resize(760, 460);
    if (options.isSet(grab)) {
        window.show();
        // The picture is saved either way, so a failure can be seen; the exit code tells.
        const bool created = window.create();
        if (created)
            window.fillExample();
        QApplication::processEvents();
        const bool saved = window.grab().save(options.value(grab));
        return created && saved ? 0 : 1;
    }
    window.show();
    return QApplication::exec();
}

// arbor-host: the smallest useful host of the tree-list control. It creates the control by ProgID
// in a Qt window, adds a few items of different kinds, listens to the control's events and prints
// each one on standard output. The control must be registered first (scripts/install does it, or
// `regsvr PREFIX/lib/bidlark/libarbor.so`).
//
//   arbor-host [--quit]     --quit: leave once the window has been filled and shown
#include "arbor/arbor.h"
#include "platform/com/com.h"
#include "platform/com/ole/controlhost.h"
#include "platform/com/typeless_dispatch.h"

#include <QApplication>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <cstdio>
#include <map>

using namespace platform::com;

namespace {

// Receives _IArborEvents through IDispatch::Invoke and prints the event's name and arguments.
class EventPrinter final : public TypelessDispatch<ComObject<EventPrinter, IDispatch>> {
public:
    bool queryExtra(REFIID riid, void **ppv) noexcept
    {
        if (riid != DIID__IArborEvents)
            return false;
        *ppv = static_cast<IDispatch *>(this);
        return true;
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *, EXCEPINFO *,
        UINT *) noexcept override
    {
        namespace e = arbor::eventid;
        static const std::map<DISPID, const char *> names = { { e::ItemExpanding, "ItemExpanding" },
            { e::ItemExpanded, "ItemExpanded" }, { e::ItemSelect, "ItemSelect" },
            { e::ValueChanged, "ValueChanged" }, { e::RightClick, "RightClick" },
            { e::ItemDblClk, "ItemDblClk" }, { e::Click, "Click" }, { e::DblClick, "DblClick" },
            { e::KeyDown, "KeyDown" }, { e::KeyUp, "KeyUp" }, { e::KeyPress, "KeyPress" },
            { e::MouseDown, "MouseDown" }, { e::MouseUp, "MouseUp" } };
        if (id == e::MouseMove)
            return S_OK; // too many to be worth printing
        const auto name = names.find(id);
        std::printf("event %s(", name == names.end() ? "?" : name->second);
        // Arguments arrive last to first; numbers print as numbers, anything else by its type.
        for (UINT i = 0; params && i < params->cArgs; ++i) {
            Variant text;
            const VARIANT &arg = params->rgvarg[params->cArgs - 1 - i];
            if (SUCCEEDED(VariantChangeType(&text, &arg, 0, VT_I4)))
                std::printf("%s%d", i ? ", " : "", static_cast<int>(text.lVal));
            else
                std::printf("%s<type %d>", i ? ", " : "", static_cast<int>(arg.vt));
        }
        std::printf(")\n");
        std::fflush(stdout);
        return S_OK;
    }
};

LONG handleOf(const Variant &result)
{
    return result.vt == VT_I4 ? result.lVal : 0;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const bool quit = app.arguments().contains(QStringLiteral("--quit"));

    QWidget window;
    window.setWindowTitle(QStringLiteral("Arbor host"));
    auto *host = new ControlHost(&window);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(host);
    window.resize(320, 240);
    window.show();

    if (FAILED(host->createControl(u"Corvel.Arbor"))) {
        std::fprintf(
            stderr, "arbor-host: cannot create Corvel.Arbor; is libarbor.so registered?\n");
        return 1;
    }
    ComPtr<IArbor> tree;
    if (FAILED(host->control().As(tree))) {
        std::fprintf(stderr, "arbor-host: the control has no IArbor interface\n");
        return 1;
    }

    // Events come through the control's connection point for _IArborEvents.
    const ComPtr<EventPrinter> printer = EventPrinter::make();
    ComPtr<IConnectionPointContainer> points;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
    if (FAILED(tree.As(points)) ||
        FAILED(points->FindConnectionPoint(DIID__IArborEvents, &point)) ||
        FAILED(point->Advise(printer.Get(), &cookie))) {
        std::fprintf(stderr, "arbor-host: the control refuses the event sink\n");
        return 1;
    }

    // Items: a branch with a plain item and a check box under it, then a second branch.
    const Variant none = Variant::missing();
    Variant fruit;
    Variant apple;
    Variant pear;
    Variant vegetables;
    if (FAILED(tree->AddItem(BStr(u"Fruit").get(), none, none, &fruit)) ||
        FAILED(tree->AddItem(BStr(u"Apple").get(), Variant::i4(handleOf(fruit)), none, &apple)) ||
        FAILED(tree->AddItemCheck(
            BStr(u"Pear").get(), Variant::i4(1), Variant::i4(handleOf(fruit)), none, &pear)) ||
        FAILED(tree->AddItem(BStr(u"Vegetables").get(), none, none, &vegetables))) {
        std::fprintf(stderr, "arbor-host: adding items failed\n");
        return 1;
    }
    LONG roots = 0;
    (void)tree->get_RootCount(&roots);
    std::printf("items added: %d roots\n", static_cast<int>(roots));
    std::fflush(stdout);

    // What a user's clicks would do, done through the interface: each raises its events.
    (void)tree->put_ExpandItem(handleOf(fruit), VARIANT_TRUE);
    (void)tree->put_SelectItem(handleOf(apple), VARIANT_TRUE);

    if (quit)
        QTimer::singleShot(0, &app, &QApplication::quit);
    const int status = app.exec();
    (void)point->Unadvise(cookie);
    host->closeControl();
    return status;
}

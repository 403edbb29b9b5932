// The General property page on a registered control: what Apply writes, what an unread page or a
// list without a selection leaves alone, and the Properties verb opening the platform's frame with
// the page (its picture is written to the build tree for a look).
#include "tests/arbor/control_test_support.h"

#include "platform/com/ole/propertyframe.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QWidget>

namespace {

using namespace arbortest;

class Page : public ControlFixture {
protected:
    void SetUp() override
    {
        ControlFixture::SetUp();
        ASSERT_EQ(CoCreateInstance(CLSID_General, nullptr, CLSCTX_INPROC_SERVER,
                      IPropertyPage::iid, page.voidOut()),
            S_OK);
    }
    void activate(std::vector<IUnknown *> objects)
    {
        ASSERT_EQ(page->SetObjects(static_cast<ULONG>(objects.size()), objects.data()), S_OK);
        const RECT rect { 0, 0, 400, 200 };
        ASSERT_EQ(page->Activate(platform::ui::windowHandle(&host), &rect, TRUE), S_OK);
    }
    QCheckBox *box(int id) { return host.findChild<QCheckBox *>(QString::number(id)); }
    QComboBox *list() { return host.findChild<QComboBox *>(QStringLiteral("217")); }
    struct State {
        LONG style, dropEffect, border;
        bool operator==(const State &) const = default;
    };
    static State state(IArbor *a)
    {
        State s {};
        EXPECT_EQ(a->get_Style(&s.style), S_OK);
        EXPECT_EQ(a->get_DropEffect(&s.dropEffect), S_OK);
        EXPECT_EQ(a->get_BorderStyle(&s.border), S_OK);
        return s;
    }

    QWidget host;
    ComPtr<IPropertyPage> page;
};

TEST_F(Page, ApplyWritesStylesDragAndBorder)
{
    const struct {
        const char *what;
        std::vector<int> click; // boxes clicked after the page was filled
        int border; // list row, -1 for no selection
        State expected;
    } cases[] = {
        // The control starts with buttons, lines, root lines, single selection, show-selection
        // (31), drop effects copy and link (5), border 5; whatever effects were set, the page
        // writes none or move.
        { "grid lines on, single selection off", { 208, 209 }, 2, { 31 ^ 32 ^ 8, 2, 2 } },
        { "drag disabled", { 207 }, 0, { 31, 0, 0 } },
        { "drag enabled again", { 207, 207 }, 6, { 31, 2, 6 } },
        { "no border chosen", { 204 }, -1, { 31 ^ 4, 2, 5 } },
    };
    IUnknown *objects[] = { arbor.Get() };
    for (const auto &c : cases) {
        ASSERT_EQ(arbor->ModifyStyle(Variant::i4(65535), Variant::i4(0)), S_OK);
        ASSERT_EQ(arbor->ModifyStyle(Variant::i4(0), Variant::i4(31)), S_OK);
        ASSERT_EQ(arbor->ModifyDropEffect(Variant::i4(7), Variant::i4(0)), S_OK);
        ASSERT_EQ(arbor->ModifyDropEffect(Variant::i4(0), Variant::i4(5)), S_OK); // copy and link
        ASSERT_EQ(arbor->put_BorderStyle(5), S_OK);
        ASSERT_NO_FATAL_FAILURE(activate({ objects[0] }));
        EXPECT_EQ(page->IsPageDirty(), S_FALSE) << c.what;
        EXPECT_EQ(list()->currentText(), QStringLiteral("Shadow"));
        for (int id : c.click)
            box(id)->click();
        list()->setCurrentIndex(c.border);
        EXPECT_EQ(page->IsPageDirty(), S_OK) << c.what;
        ASSERT_EQ(page->Apply(), S_OK);
        EXPECT_EQ(page->IsPageDirty(), S_FALSE);
        const State got = state(arbor.Get());
        EXPECT_TRUE(got == c.expected)
            << c.what << ": " << got.style << " " << got.dropEffect << " " << got.border;
        ASSERT_EQ(page->Deactivate(), S_OK);
    }
}

// Apply on a page that never read its object, or that edits several, changes nothing.
TEST_F(Page, ApplyOnAnUnreadPageChangesNothing)
{
    ASSERT_EQ(arbor->ModifyDropEffect(Variant::i4(0), Variant::i4(5)), S_OK);
    const State before = state(arbor.Get());
    IUnknown *one[] = { arbor.Get() };
    ASSERT_EQ(page->SetObjects(1, one), S_OK);
    EXPECT_EQ(page->Apply(), S_OK); // no window: nothing was read
    EXPECT_TRUE(state(arbor.Get()) == before);

    ComPtr<IArbor> second;
    ASSERT_EQ(CoCreateInstance(
                  CLSID_Arbor, nullptr, CLSCTX_INPROC_SERVER, IArbor::iid, second.voidOut()),
        S_OK);
    const State secondBefore = state(second.Get());
    ASSERT_NO_FATAL_FAILURE(activate({ arbor.Get(), second.Get() }));
    box(208)->click();
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_TRUE(state(arbor.Get()) == before);
    EXPECT_TRUE(state(second.Get()) == secondBefore);
    EXPECT_FALSE(box(211)->isEnabled()); // "Reserved"

    PROPPAGEINFO info {};
    ASSERT_EQ(page->GetPageInfo(&info), S_OK);
    EXPECT_EQ(std::u16string_view(info.pszTitle), u"&General");
    EXPECT_EQ(std::u16string_view(info.pszDocString), u"General properties");
    EXPECT_EQ(std::u16string_view(info.pszHelpFile), u"General help file");
    EXPECT_GT(info.size.cx, info.size.cy);
    CoTaskMemFree(info.pszTitle);
    CoTaskMemFree(info.pszDocString);
    CoTaskMemFree(info.pszHelpFile);
}

class FrameDriver final : public PropertyFrameDriver {
public:
    explicit FrameDriver(std::function<void(PropertyFrame &)> f)
        : m_f(std::move(f))
        , m_previous(setPropertyFrameDriver(this))
    {
    }
    ~FrameDriver() override { setPropertyFrameDriver(m_previous); }
    void drive(PropertyFrame &frame) override { m_f(frame); }

private:
    std::function<void(PropertyFrame &)> m_f;
    PropertyFrameDriver *m_previous;
};

TEST_F(Page, PropertiesVerbOpensTheFrameWithTheGeneralAndColourPages)
{
    std::vector<QString> titles;
    FrameDriver driver([&](PropertyFrame &frame) {
        for (int i = 0; i < frame.pageCount(); ++i)
            titles.push_back(frame.pageTitle(i));
        QWidget *window = frame.pageArea(0)->window();
        window->show();
        QApplication::processEvents();
        auto *grid = frame.pageArea(0)->findChild<QCheckBox *>(QStringLiteral("208"));
        ASSERT_TRUE(grid);
        grid->click();
        EXPECT_TRUE(frame.applyEnabled());
        QApplication::processEvents();
#ifdef ARBOR_SCREENSHOT_DIR
        QDir().mkpath(QStringLiteral(ARBOR_SCREENSHOT_DIR));
        window->grab().save(QStringLiteral(ARBOR_SCREENSHOT_DIR "/property-frame.png"));
#endif
        frame.pressOk();
    });
    LONG before = 0, after = 0;
    ASSERT_EQ(arbor->get_Style(&before), S_OK);
    ComPtr<IOleObject> ole;
    ASSERT_EQ(arbor.As(ole), S_OK);
    ASSERT_EQ(ole->DoVerb(OLEIVERB_PRIMARY, nullptr, nullptr, 0, 0, nullptr), S_OK);
    EXPECT_EQ(titles, (std::vector<QString> { QStringLiteral("&General"), QStringLiteral("Color") }));
    ASSERT_EQ(arbor->get_Style(&after), S_OK);
    EXPECT_EQ(after, before ^ 32);
}

} // namespace

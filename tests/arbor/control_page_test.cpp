// The General property page on a registered control: what Apply writes, what an unread page or a
// list without a selection leaves alone, and the Properties verb opening the platform's frame with
// the page (its picture is written to the build tree for a look).
#include "tests/arbor/control_test_support.h"

#include "tests/support/propertyframe_driver.h"

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
        ASSERT_EQ(CoCreateInstance(CLSID_General, nullptr, CLSCTX_INPROC_SERVER, IPropertyPage::iid,
                      page.voidOut()),
            S_OK);
    }
    void activate(std::vector<IUnknown *> objects)
    {
        const RECT rect { 0, 0, 400, 200 };
        ASSERT_EQ(page->SetObjects(static_cast<ULONG>(objects.size()), objects.data()), S_OK);
        ASSERT_EQ(page->Activate(platform::ui::windowHandle(&host), &rect, TRUE), S_OK);
    }
    QCheckBox *box(int id) { return host.findChild<QCheckBox *>(QString::number(id)); }
    static std::vector<LONG> state(IArbor *a)
    {
        LONG style = 0, drop = 0, border = 0;
        EXPECT_EQ(a->get_Style(&style), S_OK);
        EXPECT_EQ(a->get_DropEffect(&drop), S_OK);
        EXPECT_EQ(a->get_BorderStyle(&border), S_OK);
        return { style, drop, border };
    }
    QWidget host;
    ComPtr<IPropertyPage> page;
};

TEST_F(Page, ApplyWritesStylesDragAndBorder)
{
    // Each case starts from styles 31 (buttons, lines, root lines, single selection, selection
    // always), drop effects copy and link (5) and border Shadow (5).
    const struct {
        std::vector<int> click;
        int row; // of the border list; -1 for no selection
        std::vector<LONG> expected;
    } cases[] = {
        { { 208, 209 }, 2, { 31 ^ 32 ^ 8, 2, 2 } },
        { { 207, 207 }, 6, { 31, 2, 6 } }, // drag allowed again: move only
        { { 204 }, -1, { 31 ^ 4, 2, 5 } }, // no border chosen: it stays
    };
    for (const auto &c : cases) {
        for (auto [remove, add] : { std::pair(65535, 0), std::pair(0, 31) })
            ASSERT_EQ(arbor->ModifyStyle(Variant::i4(remove), Variant::i4(add)), S_OK);
        ASSERT_EQ(arbor->ModifyDropEffect(Variant::i4(0), Variant::i4(5)), S_OK);
        ASSERT_EQ(arbor->ModifyDropEffect(Variant::i4(2), Variant::i4(0)), S_OK);
        ASSERT_EQ(arbor->put_BorderStyle(5), S_OK);
        ASSERT_NO_FATAL_FAILURE(activate({ arbor.Get() }));
        EXPECT_EQ(page->IsPageDirty(), S_FALSE);
        for (int id : c.click)
            box(id)->click();
        host.findChild<QComboBox *>(QStringLiteral("217"))->setCurrentIndex(c.row);
        EXPECT_EQ(page->IsPageDirty(), S_OK);
        ASSERT_EQ(page->Apply(), S_OK);
        EXPECT_EQ(page->IsPageDirty(), S_FALSE);
        EXPECT_EQ(state(arbor.Get()), c.expected) << c.click.front();
        ASSERT_EQ(page->Deactivate(), S_OK);
    }
}

// A page that never read its object, or that was given several, writes nothing on Apply.
TEST_F(Page, ApplyOnAnUnreadPageChangesNothing)
{
    ComPtr<IArbor> second;
    ASSERT_EQ(
        CoCreateInstance(CLSID_Arbor, nullptr, CLSCTX_INPROC_SERVER, IArbor::iid, second.voidOut()),
        S_OK);
    ASSERT_EQ(arbor->ModifyDropEffect(Variant::i4(0), Variant::i4(5)), S_OK);
    const std::vector<LONG> before = state(arbor.Get()), secondBefore = state(second.Get());
    IUnknown *one[] = { arbor.Get() };
    ASSERT_EQ(page->SetObjects(1, one), S_OK);
    EXPECT_EQ(page->Apply(), S_OK); // never shown, never read
    ASSERT_NO_FATAL_FAILURE(activate({ arbor.Get(), second.Get() }));
    box(208)->click();
    EXPECT_EQ(page->Apply(), S_OK);
    EXPECT_EQ(state(arbor.Get()), before);
    EXPECT_EQ(state(second.Get()), secondBefore);
}

TEST_F(Page, PropertiesVerbOpensTheFrameWithTheGeneralAndColourPages)
{
    std::vector<QString> titles;
    testsupport::FrameDriver driver([&](PropertyFrame &frame) {
        for (int i = 0; i < frame.pageCount(); ++i)
            titles.push_back(frame.pageTitle(i));
        QWidget *window = frame.pageArea(0)->window();
        window->show();
        frame.pageArea(0)->findChild<QCheckBox *>(QStringLiteral("208"))->click();
        QApplication::processEvents();
        QDir().mkpath(QStringLiteral(ARBOR_SCREENSHOT_DIR));
        window->grab().save(QStringLiteral(ARBOR_SCREENSHOT_DIR "/property-frame.png"));
        frame.pressOk();
    });
    LONG before = 0, after = 0;
    ComPtr<IOleObject> ole;
    ASSERT_EQ(arbor->get_Style(&before), S_OK);
    ASSERT_EQ(arbor.As(ole), S_OK);
    ASSERT_EQ(ole->DoVerb(OLEIVERB_PRIMARY, nullptr, nullptr, 0, 0, nullptr), S_OK);
    EXPECT_EQ(
        titles, (std::vector<QString> { QStringLiteral("&General"), QStringLiteral("Color") }));
    ASSERT_EQ(arbor->get_Style(&after), S_OK);
    EXPECT_EQ(after, before ^ 32);
}

} // namespace

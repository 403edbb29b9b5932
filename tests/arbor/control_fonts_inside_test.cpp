// Font objects seen from inside the control: a change through the object reaches the model the
// window paints from, and only the control font counts as a change of the control's saved state.
#include "arbor/control/cxtreeview.h"
#include "tests/arbor/control_test_support.h"

#include <vector>

namespace {

using namespace arbortest;
using arbor::CXTreeView;

// A host that changes the control font through its object changes what the window paints with
// and the control's saved state; changing an item's font object changes only that item.
TEST(ControlFontsInside, FontObjectChangesReachTheModelAndOnlyTheControlFontMarksDirty)
{
    const ComPtr<CXTreeView> control = CXTreeView::make();
    ASSERT_TRUE(control);
    Variant h;
    ASSERT_EQ(
        control->AddItem(BStr(u"item").get(), Variant::missing(), Variant::missing(), &h), S_OK);
    ComPtr<IFontDisp> font;
    ASSERT_EQ(control->get_Font(&font), S_OK);
    control->setDirty(false);
    putProperty(font.Get(), u"Bold", Variant::boolean(true));
    putProperty(font.Get(), u"Size", Variant::i4(20));
    EXPECT_TRUE(control->isDirty());
    EXPECT_TRUE(control->model().appearance().font.bold());
    EXPECT_EQ(control->model().appearance().font.pointSizeF(), 20.0);

    ComPtr<IFontDisp> itemFont;
    ASSERT_EQ(OleCreateFontIndirect(nullptr, IFontDisp::iid, itemFont.voidOut()), S_OK);
    ASSERT_EQ(control->putref_ItemFont(h.lVal, itemFont.Get()), S_OK);
    control->setDirty(false);
    putProperty(itemFont.Get(), u"Italic", Variant::boolean(true));
    const QFont *painted = control->model().item(h.lVal)->itemFont();
    ASSERT_TRUE(painted);
    EXPECT_TRUE(painted->italic());
    EXPECT_FALSE(control->model().appearance().font.italic());
    EXPECT_FALSE(control->isDirty());
}

// One font object on more items than a font takes listeners: every item follows its changes,
// through one connection the items share, and the font is let go with the last of them.
TEST(ControlFontsInside, AFontSharedByThousandsOfItemsReachesThemAll)
{
    const ComPtr<CXTreeView> control = CXTreeView::make();
    ASSERT_TRUE(control);
    ComPtr<IFontDisp> font;
    ASSERT_EQ(OleCreateFontIndirect(nullptr, IFontDisp::iid, font.voidOut()), S_OK);
    const ULONG before = refCount(font.Get());
    std::vector<LONG> items;
    for (int i = 0; i < 5000; ++i) {
        Variant h;
        ASSERT_EQ(
            control->AddItem(BStr(u"row").get(), Variant::missing(), Variant::missing(), &h), S_OK);
        ASSERT_EQ(control->putref_ItemFont(h.lVal, font.Get()), S_OK);
        items.push_back(h.lVal);
    }
    putProperty(font.Get(), u"Italic", Variant::boolean(true));
    int following = 0;
    for (LONG h : items) {
        const QFont *painted = control->model().item(h)->itemFont();
        following += painted && painted->italic();
    }
    EXPECT_EQ(following, 5000);
    ASSERT_EQ(control->RemoveAllItems(), S_OK);
    EXPECT_EQ(refCount(font.Get()), before);
}

} // namespace

// The control object made from inside the library, for the tests that link the control's own
// code rather than load libarbor.
#pragma once

#include "arbor/control/cxtreeview.h"
#include "tests/arbor/control_test_support.h"

namespace arbortest {

// A control object made from inside the library, with a sink on its events.
struct InsideControl {
    ComPtr<arbor::CXTreeView> control;
    ComPtr<EventSink> sink;

    void make()
    {
        control = arbor::CXTreeView::make();
        ASSERT_TRUE(control);
        ComPtr<IConnectionPoint> point;
        ASSERT_EQ(control->FindConnectionPoint(DIID__IArborEvents, &point), S_OK);
        sink = EventSink::make();
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(sink.Get(), &cookie), S_OK);
    }
    LONG add(const char16_t *text, LONG parent = 0, bool down = true)
    {
        Variant h;
        EXPECT_EQ(
            control->AddItem(BStr(text).get(), Variant::i4(parent), Variant::boolean(down), &h),
            S_OK);
        return h.lVal;
    }
    LONG roots()
    {
        LONG n = -1;
        EXPECT_EQ(control->get_RootCount(&n), S_OK);
        return n;
    }
};

} // namespace arbortest

// The control as a host meets it: libarbor registered into the test's own registry, an Arbor made
// by ProgID, and a sink that records _IArborEvents and can act inside a handler.
#pragma once

#include "arbor/arbor.h"
#include "platform/com/com.h"
#include "platform/com/ole/stdpicture.h"
#include "platform/com/server_module.h"
#include "platform/ui/handles.h"
#include "tests/platform/no_type_info.h"
#include "tests/support/com_refcount.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QPixmap>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace arbortest {

using namespace platform::com;

inline std::string libraryPath()
{
    const char *dir = std::getenv("BIDLARK_BIN_DIR");
    const std::string bin =
        dir ? dir : std::filesystem::canonical("/proc/self/exe").parent_path().string();
    return bin + "/libarbor.so";
}

// libarbor registered into the test's registry, and its answer to whether it may be unloaded.
using CanUnloadNow = HRESULT (*)();
inline CanUnloadNow registerArbor()
{
    EXPECT_EQ(CallServerRegistration(libraryPath(), false), S_OK) << lastServerLoadError();
    HRESULT status = S_OK;
    const auto entry =
        reinterpret_cast<CanUnloadNow>(serverEntryPoint(libraryPath(), "DllCanUnloadNow", &status));
    EXPECT_NE(entry, nullptr);
    return entry;
}

// The control's item window.
inline QWidget *itemWindow(IArbor *arbor)
{
    LONG hwnd = 0;
    EXPECT_EQ(arbor->get_hWnd(&hwnd), S_OK);
    return platform::ui::widgetFromHandle(static_cast<HWND>(hwnd));
}

// An 8 x 8 bitmap picture of one colour that owns its handle.
inline ComPtr<IPictureDisp> bitmapPicture(QColor colour)
{
    QPixmap pixmap(8, 8);
    pixmap.fill(colour);
    PICTDESC desc {};
    desc.cbSizeofstruct = sizeof(PICTDESC);
    desc.picType = PICTYPE_BITMAP;
    desc.bmp.hbitmap = platform::ui::registerBitmap(pixmap);
    ComPtr<IPictureDisp> picture;
    EXPECT_EQ(OleCreatePictureIndirect(&desc, IPictureDisp::iid, TRUE, picture.voidOut()), S_OK);
    return picture;
}

// As a script host writes `Arbor.Font.Size = 24`.
inline void putProperty(IDispatch *object, const char16_t *name, Variant value)
{
    ASSERT_EQ(invokeByName(object, name, DISPATCH_PROPERTYPUT, &value, 1, nullptr), S_OK)
        << utf16ToUtf8(name);
}

// One event as a sink saw it: identifier and arguments first to last.
struct SeenEvent {
    DISPID id;
    std::vector<Variant> args;
    LONG arg(std::size_t i) const
    {
        Variant v;
        return i < args.size() && SUCCEEDED(VariantChangeType(&v, &args[i], 0, VT_I4)) ? v.lVal
                                                                                       : -9999;
    }
};

class EventSink final : public NoTypeInfo<ComObject<EventSink, IDispatch>> {
public:
    std::vector<SeenEvent> events;
    // Runs inside Invoke, after the event is recorded.
    std::function<void(const SeenEvent &)> onEvent;

    HRESULT QueryInterface(REFIID riid, void **ppv) noexcept override
    {
        if (ppv && riid == DIID__IArborEvents) {
            *ppv = static_cast<IDispatch *>(this);
            AddRef();
            return S_OK;
        }
        return ComObject::QueryInterface(riid, ppv);
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *p, VARIANT *, EXCEPINFO *,
        UINT *) noexcept override
    {
        SeenEvent seen { id, {} };
        for (UINT i = p ? p->cArgs : 0; i-- > 0;) {
            Variant copy;
            (void)VariantCopy(&copy, &p->rgvarg[i]);
            seen.args.push_back(std::move(copy));
        }
        events.push_back(seen);
        if (onEvent)
            onEvent(events.back());
        return S_OK;
    }
    std::vector<DISPID> ids() const
    {
        std::vector<DISPID> out;
        for (const auto &e : events)
            out.push_back(e.id);
        return out;
    }
};

// Makes an Arbor by class identifier and connects `sink` to its events; `point` and `arbor` are
// then the only references the caller holds, so dropping both lets the control go.
inline void createAdvised(
    ComPtr<IArbor> &arbor, ComPtr<IConnectionPoint> &point, EventSink *sink, DWORD &cookie)
{
    ASSERT_EQ(
        CoCreateInstance(CLSID_Arbor, nullptr, CLSCTX_INPROC_SERVER, IArbor::iid, arbor.voidOut()),
        S_OK);
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(arbor.As(container), S_OK);
    ASSERT_EQ(container->FindConnectionPoint(DIID__IArborEvents, &point), S_OK);
    ASSERT_EQ(point->Advise(sink, &cookie), S_OK);
}

class ControlFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(registerArbor(), nullptr);
        CLSID clsid {};
        ASSERT_EQ(CLSIDFromProgID(u"Corvel.Arbor", &clsid), S_OK);
        ASSERT_EQ(clsid, CLSID_Arbor);
        sink = EventSink::make();
        ASSERT_NO_FATAL_FAILURE(createAdvised(arbor, point, sink.Get(), cookie));
    }
    void TearDown() override
    {
        if (point)
            (void)point->Unadvise(cookie);
    }

    // Invoke by DISPID with arguments first to last.
    HRESULT call(DISPID id, WORD flags, std::vector<Variant> args, Variant *result = nullptr,
        EXCEPINFO *excep = nullptr)
    {
        return invokeByDispid(
            arbor.Get(), id, flags, args.data(), static_cast<UINT>(args.size()), result, excep);
    }
    LONG add(const char16_t *text, LONG parent = 0)
    {
        Variant result;
        EXPECT_EQ(call(arbor::dispid::AddItem, DISPATCH_METHOD,
                      { Variant::str(text), Variant::i4(parent) }, &result),
            S_OK);
        return result.vt == VT_I4 ? result.lVal : 0;
    }

    ComPtr<IArbor> arbor;
    ComPtr<IConnectionPoint> point;
    ComPtr<EventSink> sink;
    DWORD cookie = 0;
};

} // namespace arbortest

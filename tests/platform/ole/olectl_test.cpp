#include "platform/com/ole/olectl.h"
#include "platform/com/unknown.h"
#include "platform/registry/registry.h"

#include <gtest/gtest.h>

namespace {

using namespace platform::com;

TEST(OleTranslateColor, PlainSystemAndPaletteColours)
{
    struct Case {
        const char *name;
        OLE_COLOR in;
        HRESULT hr;
        COLORREF out;
    } cases[] = {
        { "plain bgr kept as is", 0x00123456, S_OK, 0x00123456 },
        { "window background", 0x80000000u | COLOR_WINDOW, S_OK, GetSysColor(COLOR_WINDOW) },
        { "last system index", 0x80000000u | COLOR_MENUBAR, S_OK, GetSysColor(COLOR_MENUBAR) },
        { "system index past the end", 0x80000000u | 31, E_INVALIDARG, 0xdeadbeef },
        { "unused system index 25", 0x80000019u, E_INVALIDARG, 0xdeadbeef },
        { "system index with high bits", 0x80010005u, E_INVALIDARG, 0xdeadbeef },
        { "palette rgb", 0x02102030, S_OK, 0x00102030 },
        { "palette index without a palette", 0x01000003, E_INVALIDARG, 0xdeadbeef },
        { "unknown high byte", 0x40000000, E_INVALIDARG, 0xdeadbeef },
    };
    for (const Case &c : cases) {
        COLORREF out = 0xdeadbeef;
        EXPECT_EQ(OleTranslateColor(c.in, nullptr, &out), c.hr) << c.name;
        EXPECT_EQ(out, c.out) << c.name;
    }
    EXPECT_EQ(OleTranslateColor(0x80000005u, nullptr, nullptr), S_OK) << "validation only";
    EXPECT_EQ(GetSysColor(99), 0u);
}

TEST(Himetric, PixelConversionRoundsToNearestByTheIntegerRule)
{
    struct Case {
        LONG himetric;
        int dpi;
        LONG pixels;
    } cases[] = {
        { 2540, 96, 96 }, // one inch
        { 0, 96, 0 }, { 13, 96, 0 }, // 0.49 px
        { 14, 96, 1 }, // 0.53 px
        { 423, 96, 16 }, { 2540, 120, 120 }, { 10583, 96, 400 },
        { -2540, 96, -95 }, // integer division truncates towards zero after the +1270
    };
    for (const auto &c : cases)
        EXPECT_EQ(himetricToPixels(c.himetric, c.dpi), c.pixels) << c.himetric << " at " << c.dpi;
    for (LONG px : { 0, 1, 16, 31, 400, 1920 })
        EXPECT_EQ(himetricToPixels(pixelsToHimetric(px, 96), 96), px) << "round trip " << px;
}

constexpr CLSID kClass = guid("{6A0D9B4E-1F62-4C1B-9E3D-0B6A1C2D3E41}");

TEST(OleRegGetMiscStatus, ReadsTheAspectSubkeyThenTheDefault)
{
    using platform::registry::writeString;
    const std::string key = "CLSID\\" + guidToString(kClass);
    DWORD status = 0xdeadbeef;
    EXPECT_EQ(OleRegGetMiscStatus(kClass, DVASPECT_CONTENT, &status), REGDB_E_CLASSNOTREG);
    ASSERT_EQ(writeString(HKEY_CLASSES_ROOT, key, "", "Test"), ERROR_SUCCESS);
    EXPECT_EQ(OleRegGetMiscStatus(kClass, DVASPECT_CONTENT, &status), REGDB_E_KEYMISSING);
    EXPECT_EQ(status, 0u);

    ASSERT_EQ(writeString(HKEY_CLASSES_ROOT, key + "\\MiscStatus", "", "0"), ERROR_SUCCESS);
    ASSERT_EQ(writeString(HKEY_CLASSES_ROOT, key + "\\MiscStatus\\1", "", "131473"), ERROR_SUCCESS);
    EXPECT_EQ(OleRegGetMiscStatus(kClass, DVASPECT_CONTENT, &status), S_OK);
    EXPECT_EQ(status, 131473u) << "the aspect's own subkey, in decimal";
    EXPECT_EQ(OleRegGetMiscStatus(kClass, DVASPECT_ICON, &status), S_OK);
    EXPECT_EQ(status, 0u) << "an aspect without a subkey takes MiscStatus's own value";

    ASSERT_EQ(writeString(HKEY_CLASSES_ROOT, key + "\\MiscStatus\\4", "", "12x"), ERROR_SUCCESS);
    EXPECT_EQ(OleRegGetMiscStatus(kClass, DVASPECT_ICON, &status), REGDB_E_READREGDB);
    EXPECT_EQ(OleRegGetMiscStatus(kClass, DVASPECT_CONTENT, nullptr), E_POINTER);
}

class SafeObject : public ComObject<SafeObject, IOleControl, ObjectSafetyImpl<SafeObject>> {
public:
    HRESULT GetControlInfo(CONTROLINFO *) noexcept override { return E_NOTIMPL; }
    HRESULT OnMnemonic(MSG *) noexcept override { return E_NOTIMPL; }
    HRESULT OnAmbientPropertyChange(DISPID) noexcept override { return S_OK; }
    HRESULT FreezeEvents(BOOL) noexcept override { return S_OK; }
};

TEST(ObjectSafety, OnlyMaskedOptionsChangeAndUnknownOnesAreRefused)
{
    auto object = SafeObject::make();
    ComPtr<IObjectSafety> safety;
    ASSERT_EQ(object->QueryInterface(IID_PPV_ARGS(&safety)), S_OK);
    DWORD supported = 0, enabled = 0;
    EXPECT_EQ(safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled), E_POINTER);

    struct Step {
        DWORD mask, value;
        HRESULT hr;
        DWORD after;
    } steps[] = {
        { 3, 3, S_OK, 3 },
        { 1, 0, S_OK, 2 }, // only the masked bit changes
        { 4, 4, E_FAIL, 2 }, // an unknown option is refused and changes nothing
        { 3, 1, S_OK, 1 },
    };
    for (const Step &s : steps) {
        EXPECT_EQ(safety->SetInterfaceSafetyOptions(IOleControl::iid, s.mask, s.value), s.hr);
        ASSERT_EQ(safety->GetInterfaceSafetyOptions(IUnknown::iid, &supported, &enabled), S_OK);
        EXPECT_EQ(enabled, s.after) << s.mask << "/" << s.value;
    }
}

} // namespace

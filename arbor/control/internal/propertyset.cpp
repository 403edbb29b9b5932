#include "arbor/control/internal/propertyset.h"

#include "platform/com/boundary.h"
#include "platform/com/creation.h"
#include "platform/com/ole/olectl.h"

#include <algorithm>
#include <cstring>

namespace arbor::control {

using namespace platform::com;

namespace {

constexpr VARTYPE kRowTypes[] = { VT_I4, VT_I4, VT_I4, VT_DISPATCH, VT_I4, VT_DISPATCH, VT_BOOL,
    VT_I4, VT_DISPATCH, VT_BOOL, VT_BOOL };
constexpr int kRows = static_cast<int>(std::size(kRowTypes));
constexpr int kPictureRow = 3;
constexpr int kFontRow = 5;
constexpr int kMouseIconRow = 8;

bool readBytes(IStream *stream, void *buffer, ULONG size) noexcept
{
    ULONG got = 0;
    return SUCCEEDED(stream->Read(buffer, size, &got)) && got == size;
}

template <class T> bool readValue(IStream *stream, T &value) noexcept
{
    return readBytes(stream, &value, sizeof value);
}

// One typed variant of row `row`. The type is checked before anything else is read: no row holds
// text, so no length field of the stream is ever trusted here. Objects are created only of the
// row's own class.
bool readRow(IStream *in, int row, Variant &value)
{
    VARTYPE vt = 0;
    if (!readValue(in, vt))
        return false;
    if (vt != kRowTypes[row])
        return false;
    if (const std::size_t size = platform::com::typedVariantPayloadSize(vt)) {
        if (!readBytes(in, &value.llVal, static_cast<ULONG>(size)))
            return false;
        value.vt = vt;
        return true;
    }
    // An object: its class identifier, then its own data. Only the standard picture and font are
    // made, so a stream cannot instantiate an arbitrary registered class.
    CLSID clsid {};
    if (!readValue(in, clsid))
        return false;
    value.vt = VT_DISPATCH;
    value.pdispVal = nullptr;
    if (clsid == CLSID_NULL)
        return true;
    const CLSID &allowed = row == kFontRow ? CLSID_StdFont : CLSID_StdPicture;
    if (clsid != allowed)
        return false;
    ComPtr<IPersistStream> persist;
    if (FAILED(CoCreateInstance(
            clsid, nullptr, CLSCTX_INPROC_SERVER, IPersistStream::iid, persist.voidOut())))
        return false;
    if (FAILED(persist->Load(in)))
        return false;
    ComPtr<IDispatch> object;
    if (FAILED(persist.As(object)))
        return false;
    value.pdispVal = object.Detach();
    return true;
}

template <class I> ComPtr<I> objectOf(const Variant &value)
{
    ComPtr<I> out;
    if (value.pdispVal)
        (void)value.pdispVal->QueryInterface(I::iid, out.voidOut());
    return out;
}

bool isColour(LONG value) noexcept
{
    COLORREF rgb = 0;
    return SUCCEEDED(OleTranslateColor(static_cast<OLE_COLOR>(value), 0, &rgb));
}

} // namespace

VARTYPE propertyRowType(int row) noexcept
{
    return row >= 0 && row < kRows ? kRowTypes[row] : VARTYPE(VT_EMPTY);
}

bool isBorderStyle(LONG value) noexcept
{
    return value >= 0 && value <= 6;
}

bool isMousePointer(LONG value) noexcept
{
    return (value >= 0 && value <= 11) || value == 99;
}

bool isPicturePosition(LONG value) noexcept
{
    const LONG row = value & ~0x3;
    return value >= 0 && (value & 0x3) <= 2 && (row == 0 || row == 16 || row == 32);
}

HRESULT readPropertySet(IStream *stream, PropertySet &out) noexcept
{
    if (!stream)
        return E_POINTER;
    return platform::com::guarded([&]() -> HRESULT {
        IStream *in = stream;
        ULONG version = 0;
        LONG cx = 0, cy = 0;
        if (!readValue(in, version) || version != kPropertySetVersion || !readValue(in, cx) ||
            !readValue(in, cy))
            return E_FAIL;
        Variant rows[kRows];
        for (int row = 0; row < kRows; ++row)
            if (!readRow(in, row, rows[row]))
                return E_FAIL;
        DWORD style = 0;
        LONG dropEffect = 0;
        if (!readValue(in, style) || !readValue(in, dropEffect))
            return E_FAIL;

        PropertySet set;
        set.extent = { std::clamp(cx, 0, kMaxSavedExtent), std::clamp(cy, 0, kMaxSavedExtent) };
        set.borderStyle = rows[0].lVal;
        set.backColor = static_cast<OLE_COLOR>(rows[1].lVal);
        set.foreColor = static_cast<OLE_COLOR>(rows[2].lVal);
        set.picture = objectOf<IPictureDisp>(rows[kPictureRow]);
        set.picturePosition = rows[4].lVal;
        set.font = objectOf<IFontDisp>(rows[kFontRow]);
        set.enabled = rows[6].boolVal != VARIANT_FALSE;
        set.mousePointer = rows[7].lVal;
        set.mouseIcon = objectOf<IPictureDisp>(rows[kMouseIconRow]);
        set.autoHScroll = rows[9].boolVal != VARIANT_FALSE;
        set.autoVScroll = rows[10].boolVal != VARIANT_FALSE;
        set.style = style & 63;
        set.dropEffect = dropEffect & 7;
        if (!isBorderStyle(set.borderStyle) || !isColour(rows[1].lVal) || !isColour(rows[2].lVal) ||
            !isPicturePosition(set.picturePosition) || !isMousePointer(set.mousePointer) ||
            (rows[kPictureRow].pdispVal && !set.picture) ||
            (rows[kFontRow].pdispVal && !set.font) ||
            (rows[kMouseIconRow].pdispVal && !set.mouseIcon))
            return E_FAIL;
        out = std::move(set);
        return S_OK;
    });
}

} // namespace arbor::control

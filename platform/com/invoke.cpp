// GetIDsOfNames and Invoke over the run-time type form: the one place where automation calls are
// matched to members, arguments converted, defaults supplied and results written back.
#include "platform/com/internal/typedata.h"

#include "platform/com/boundary.h"

#include <array>
#include <cstring>

namespace platform::com::detail {

namespace {

bool isMissing(const VARIANT &v)
{
    return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND;
}

const FuncData *selectFunc(const TypeData &type, DISPID id, WORD flags)
{
    const auto it = type.byId.find(id);
    if (it == type.byId.end())
        return nullptr;
    static constexpr INVOKEKIND order[] = { INVOKE_FUNC, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT,
        INVOKE_PROPERTYPUTREF };
    for (INVOKEKIND kind : order) {
        if (!(flags & kind))
            continue;
        for (int index : it->second)
            if (type.funcs[static_cast<std::size_t>(index)].kind == kind)
                return &type.funcs[static_cast<std::size_t>(index)];
    }
    return nullptr;
}

HRESULT defaultValue(const ParamData &p, VARTYPE vt, VARIANT &out)
{
    Variant def;
    switch (p.defaultKind) {
    case DefaultValue::Integer:
        def.vt = VT_I8;
        def.llVal = p.defaultInteger;
        break;
    case DefaultValue::Real:
        def = Variant::r8(p.defaultReal);
        break;
    case DefaultValue::Text:
        def = Variant::str(p.defaultText);
        break;
    case DefaultValue::None:
        if (vt == VT_VARIANT) {
            out.vt = VT_ERROR;
            out.scode = DISP_E_PARAMNOTFOUND;
            return S_OK;
        }
        out.vt = vt; // zero of the type: 0, null string, null object
        return S_OK;
    }
    if (vt == VT_VARIANT) {
        if (def.vt == VT_I8) // integer defaults of VARIANT parameters read as VT_I4
            return VariantChangeType(&out, &def, 0, VT_I4);
        out = def.detach();
        return S_OK;
    }
    return VariantChangeType(&out, &def, 0, vt);
}

// Writes `value` through a by-reference argument of a possibly different type.
HRESULT writeBack(VARIANT &target, const VARIANT &value)
{
    const VARTYPE base = target.vt & ~VT_BYREF;
    if (base == VT_VARIANT)
        return VariantCopy(target.pvarVal, &value);
    Variant converted;
    HRESULT hr = VariantChangeType(&converted, &value, 0, base);
    if (FAILED(hr))
        return hr;
    switch (base) {
    case VT_BSTR:
        SysFreeString(*target.pbstrVal);
        *target.pbstrVal = converted.detach().bstrVal;
        return S_OK;
    case VT_DISPATCH:
    case VT_UNKNOWN:
        if (*target.ppunkVal)
            (*target.ppunkVal)->Release();
        *target.ppunkVal = converted.detach().punkVal;
        return S_OK;
    case VT_I1:
    case VT_UI1:
        *target.pbVal = converted.bVal;
        return S_OK;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        *target.piVal = converted.iVal;
        return S_OK;
    case VT_R8:
    case VT_DATE:
    case VT_I8:
    case VT_UI8:
    case VT_CY:
        *target.pllVal = converted.llVal;
        return S_OK;
    default:
        *target.plVal = converted.lVal;
        return S_OK;
    }
}

void fillException(EXCEPINFO *excep, IUnknown *errorSource, REFIID iid, HRESULT failure)
{
    if (!excep)
        return;
    excep->scode = failure;
    ComPtr<ISupportErrorInfo> support;
    if (!errorSource ||
        FAILED(errorSource->QueryInterface(ISupportErrorInfo::iid, support.voidOut())) ||
        support->InterfaceSupportsErrorInfo(iid) != S_OK)
        return;
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) != S_OK || !info)
        return;
    (void)info->GetSource(&excep->bstrSource);
    (void)info->GetDescription(&excep->bstrDescription);
    (void)info->GetHelpFile(&excep->bstrHelpFile);
    (void)info->GetHelpContext(&excep->dwHelpContext);
}

// Scratch variants for one call, initialised only when a parameter needs one, so that a call whose
// arguments already have the right types touches no more than it uses.
class Scratch {
public:
    Scratch() = default;
    Scratch(const Scratch &) = delete;
    Scratch &operator=(const Scratch &) = delete;
    ~Scratch()
    {
        for (std::size_t i = 0; i < kMaxParams; ++i)
            if (m_used & (1u << i))
                (void)VariantClear(&m_items[i]);
    }
    VARIANT &operator[](std::size_t i) noexcept
    {
        if (!(m_used & (1u << i))) {
            VariantInit(&m_items[i]);
            m_used |= 1u << i;
        }
        return m_items[i];
    }

private:
    VARIANT m_items[kMaxParams];
    unsigned m_used = 0;
};

} // namespace

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return out;
}

void TypeData::buildIndex()
{
    byId.clear();
    byName.clear();
    for (std::size_t i = 0; i < funcs.size(); ++i) {
        byId[funcs[i].id].push_back(static_cast<int>(i));
        byName.emplace(lowerAscii(funcs[i].name), funcs[i].id);
    }
}

HRESULT getIdsOfNames(const TypeData &type, LPOLESTR *names, UINT count, DISPID *ids) noexcept
{
    if (!names || !ids || count == 0)
        return E_INVALIDARG;
    return guarded([&] {
        for (UINT i = 0; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        if (!names[0])
            return DISP_E_UNKNOWNNAME;
        const auto it = type.byName.find(lowerAscii(utf16ToUtf8(names[0])));
        if (it == type.byName.end())
            return DISP_E_UNKNOWNNAME;
        ids[0] = it->second;
        HRESULT hr = S_OK;
        const auto &funcs = type.byId.at(it->second);
        for (UINT i = 1; i < count; ++i) {
            const std::string wanted = names[i] ? lowerAscii(utf16ToUtf8(names[i])) : std::string();
            for (int f : funcs) {
                const FuncData &func = type.funcs[static_cast<std::size_t>(f)];
                for (std::size_t p = 0; p < func.visibleCount() && ids[i] == DISPID_UNKNOWN; ++p)
                    if (lowerAscii(func.params[p].name) == wanted)
                        ids[i] = static_cast<DISPID>(p);
            }
            if (ids[i] == DISPID_UNKNOWN)
                hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    });
}

HRESULT invoke(const TypeData &type, void *iface, IUnknown *errorSource, DISPID id, WORD flags,
    DISPPARAMS *params, VARIANT *result, EXCEPINFO *excep, UINT *argErr) noexcept
{
    if (result)
        VariantInit(result);
    if (excep)
        std::memset(excep, 0, sizeof *excep);
    if (!params || (params->cArgs && !params->rgvarg) || params->cNamedArgs > params->cArgs ||
        (params->cNamedArgs && !params->rgdispidNamedArgs))
        return E_INVALIDARG;
    const FuncData *func = selectFunc(type, id, flags);
    if (!func || !func->thunk)
        return DISP_E_MEMBERNOTFOUND;

    const bool isPut = func->kind == INVOKE_PROPERTYPUT || func->kind == INVOKE_PROPERTYPUTREF;
    const std::size_t visible = func->visibleCount();
    const UINT named = params->cNamedArgs;
    if (isPut && (named == 0 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT || visible == 0))
        return DISP_E_PARAMNOTFOUND;
    const std::size_t positional = params->cArgs - named;
    if (positional + named > visible)
        return DISP_E_BADPARAMCOUNT;

    // Which rgvarg entry feeds each parameter (-1: left out).
    std::array<int, kMaxParams> source;
    source.fill(-1);
    for (std::size_t p = 0; p < positional; ++p)
        source[p] = static_cast<int>(params->cArgs - 1 - p);
    for (UINT n = 0; n < named; ++n) {
        const DISPID target = params->rgdispidNamedArgs[n];
        std::size_t p;
        if (target == DISPID_PROPERTYPUT && isPut && n == 0)
            p = visible - 1;
        else if (target >= 0 && static_cast<std::size_t>(target) < visible - (isPut ? 1 : 0))
            p = static_cast<std::size_t>(target);
        else
            p = kMaxParams;
        if (p >= kMaxParams || source[p] != -1) {
            if (argErr)
                *argErr = n;
            return DISP_E_PARAMNOTFOUND;
        }
        source[p] = static_cast<int>(n);
    }

    Scratch temps; // converted values and by-reference storage
    std::array<VARIANT, kMaxParams> slots;
    const std::size_t count = func->params.size();
    HRESULT hr = S_OK;
    for (std::size_t p = 0; p < count; ++p) {
        const ParamData &param = func->params[p];
        VARIANT *given = (p < visible && source[p] >= 0) ? &params->rgvarg[source[p]] : nullptr;
        if (given && isMissing(*given) && param.isOptional())
            given = nullptr;
        const UINT givenIndex = given ? static_cast<UINT>(source[p]) : 0;
        if (!given && p < visible && !param.isOptional() && !param.isRetval())
            return DISP_E_BADPARAMCOUNT;
        VARIANT &slot = slots[p];
        VariantInit(&slot);

        if (!(param.vt & VT_BYREF)) {
            if (param.vt == VT_VARIANT || (given && given->vt == param.vt && !param.iid)) {
                if (given) {
                    slot = *given; // by value, borrowed: the callee does not own it
                } else {
                    hr = defaultValue(param, VT_VARIANT, temps[p]);
                    slot = temps[p];
                }
            } else {
                VARIANT &temp = temps[p];
                if (given) {
                    hr = VariantChangeType(&temp, given, 0, param.vt);
                    if (SUCCEEDED(hr) && param.iid && temp.punkVal) {
                        IUnknown *specific = nullptr;
                        if (FAILED(temp.punkVal->QueryInterface(
                                *param.iid, reinterpret_cast<void **>(&specific))))
                            hr = DISP_E_TYPEMISMATCH;
                        (void)VariantClear(&temp);
                        temp.vt = VT_UNKNOWN;
                        temp.punkVal = specific;
                    }
                } else {
                    hr = defaultValue(param, param.vt, temp);
                }
                slot = temp;
            }
            if (FAILED(hr)) {
                if (argErr && given && (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_OVERFLOW))
                    *argErr = givenIndex;
                return hr;
            }
            continue;
        }

        const VARTYPE base = param.vt & ~VT_BYREF;
        if (base == VT_VARIANT) {
            slot.vt = VT_BYREF | VT_VARIANT;
            if (given) {
                slot.pvarVal = given->vt == (VT_BYREF | VT_VARIANT) ? given->pvarVal : given;
            } else {
                slot.pvarVal = &temps[p];
                if (!param.isRetval() && param.isOptional()) { // "left out", for the callee to see
                    temps[p].vt = VT_ERROR;
                    temps[p].scode = DISP_E_PARAMNOTFOUND;
                }
            }
            continue;
        }
        if (given && given->vt == param.vt) {
            slot = *given; // the caller's own storage: written back by the callee itself
            continue;
        }
        // Storage of the parameter's own type, filled from the argument for in/out parameters.
        VARIANT &temp = temps[p];
        if (given && (param.flags & PARAMFLAG_FIN) && !isMissing(*given)) {
            hr = VariantChangeType(&temp, given, 0, base);
            if (FAILED(hr)) {
                if (argErr && (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_OVERFLOW))
                    *argErr = givenIndex;
                return hr;
            }
        } else {
            temp.vt = base;
        }
        slot.vt = param.vt;
        slot.byref = &temp.llVal;
    }

    hr = func->thunk(iface, slots.data());
    if (FAILED(hr)) {
        fillException(excep, errorSource, type.guid, hr);
        return DISP_E_EXCEPTION;
    }

    for (std::size_t p = 0; p < count; ++p) {
        const ParamData &param = func->params[p];
        if (!(param.vt & VT_BYREF))
            continue;
        VARIANT &temp = temps[p];
        if (param.isRetval()) {
            if (result) { // temp.vt already names the type, or temp is the VARIANT itself
                *result = temp;
                VariantInit(&temp);
            }
            continue;
        }
        if (p >= visible || source[p] < 0)
            continue;
        VARIANT &given = params->rgvarg[source[p]];
        const VARTYPE base = param.vt & ~VT_BYREF;
        if (base == VT_VARIANT || given.vt == param.vt || !(given.vt & VT_BYREF))
            continue; // written in place, or a by-value argument the caller cannot see
        (void)writeBack(given, temp);
    }
    return hr;
}

} // namespace platform::com::detail

namespace platform::com {

HRESULT invokeByDispid(IDispatch *target, DISPID id, WORD flags, VARIANT *args, UINT count,
    VARIANT *result, EXCEPINFO *excep, UINT *argErr) noexcept
{
    if (!target || (count && !args) || count > kMaxParams)
        return E_INVALIDARG;
    std::array<VARIANT, kMaxParams> reversed;
    for (UINT i = 0; i < count; ++i)
        reversed[count - 1 - i] = args[i]; // borrowed
    DISPID putId = DISPID_PROPERTYPUT;
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    DISPPARAMS params { count ? reversed.data() : nullptr, put ? &putId : nullptr, count,
        put ? 1u : 0u };
    return target->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, excep, argErr);
}

HRESULT invokeByName(IDispatch *target, std::u16string_view name, WORD flags, VARIANT *args,
    UINT count, VARIANT *result, EXCEPINFO *excep) noexcept
{
    if (!target)
        return E_INVALIDARG;
    return guarded([&] {
        std::u16string text(name);
        LPOLESTR names[] = { text.data() };
        DISPID id = DISPID_UNKNOWN;
        HRESULT hr = target->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr))
            return hr;
        return invokeByDispid(target, id, flags, args, count, result, excep);
    });
}

} // namespace platform::com

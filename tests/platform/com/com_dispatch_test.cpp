// Invoke, GetIDsOfNames, type information, error info, events and enumeration, on the test
// widget created in-process.
#include "tests/platform/com/test_widget.h"
#include "tests/platform/no_type_info.h"

#include <gtest/gtest.h>

using namespace platform::com;
using testwidget::TestWidget;

namespace {

BIDLARK_EMBED_TYPELIB(testwidget::kWidgetLib);

constexpr UINT kSentinel = 0xdeadbeef;

struct Call {
    ComPtr<IDispatch> target;
    Variant result;
    EXCEPINFO excep {};
    UINT argErr = kSentinel;

    ~Call() { clearExcepInfo(&excep); }

    // Arguments given last-first, as they travel in DISPPARAMS.
    HRESULT invoke(DISPID id, WORD flags, std::vector<VARIANT> args, std::vector<DISPID> named = {})
    {
        result = Variant::i4(static_cast<LONG>(kSentinel));
        clearExcepInfo(&excep);
        argErr = kSentinel;
        DISPPARAMS params { args.empty() ? nullptr : args.data(),
            named.empty() ? nullptr : named.data(), static_cast<UINT>(args.size()),
            static_cast<UINT>(named.size()) };
        return target->Invoke(
            id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, &excep, &argErr);
    }
};

const auto i4 = [](LONG v) -> VARIANT { return Variant::i4(v); };
const auto missing = []() -> VARIANT { return Variant::missing(); };

// A string or a reference the argument only borrows: the caller keeps ownership.
VARIANT borrow(VARTYPE vt, void *p)
{
    VARIANT x;
    VariantInit(&x);
    x.vt = vt;
    x.byref = p;
    return x;
}
const auto text = [](BSTR s) { return borrow(VT_BSTR, s); };

class Dispatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        widget = TestWidget::make();
        ASSERT_TRUE(widget);
        ASSERT_EQ(widget->QueryInterface(IDispatch::iid, call.target.voidOut()), S_OK);
    }
    ComPtr<TestWidget> widget;
    Call call;
};

TEST_F(Dispatch, MethodArgumentsArriveLastFirstAndConvert)
{
    BStr two(u"2");
    ASSERT_EQ(call.invoke(testwidget::kAdd, DISPATCH_METHOD, { text(two.get()), i4(40) }), S_OK);
    EXPECT_EQ(call.result.vt, VT_I4);
    EXPECT_EQ(call.result.lVal, 42);
    // DISPATCH_METHOD | DISPATCH_PROPERTYGET together, as a script host sends them.
    ASSERT_EQ(call.invoke(testwidget::kCount, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}), S_OK);
    EXPECT_EQ(call.result.lVal, 3);
}

TEST_F(Dispatch, OptionalDefaultsAndByRefWriteBack)
{
    LONG total = 1;
    const VARIANT totalRef = borrow(VT_BYREF | VT_I4, &total);
    // Compute(a=4, b omitted, total) -> 40, total 41; label omitted entirely.
    ASSERT_EQ(
        call.invoke(testwidget::kCompute, DISPATCH_METHOD, { totalRef, missing(), i4(4) }), S_OK);
    EXPECT_EQ(call.result.lVal, 40);
    EXPECT_EQ(total, 41);

    // total passed as a reference to another type is converted in and written back.
    SHORT small = 2;
    const VARIANT smallRef = borrow(VT_BYREF | VT_I2, &small);
    Variant label;
    const VARIANT labelRef = borrow(VT_BYREF | VT_VARIANT, &label);
    ASSERT_EQ(
        call.invoke(testwidget::kCompute, DISPATCH_METHOD, { labelRef, smallRef, i4(3), i4(5) }),
        S_OK);
    EXPECT_EQ(call.result.lVal, 15);
    EXPECT_EQ(small, 17);
    EXPECT_EQ(view(label.bstrVal), u"5*3");

    // A null pVarResult is fine.
    VARIANT args[] = { smallRef, i4(2), i4(5) };
    DISPPARAMS params { args, nullptr, 3, 0 };
    EXPECT_EQ(call.target->Invoke(testwidget::kCompute, IID_NULL, 0, DISPATCH_METHOD, &params,
                  nullptr, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(small, 27);
}

TEST_F(Dispatch, NamedArguments)
{
    LONG total = 0;
    const VARIANT totalRef = borrow(VT_BYREF | VT_I4, &total);
    // Compute(a:=2, total:=..., b:=7) in any order.
    ASSERT_EQ(
        call.invoke(testwidget::kCompute, DISPATCH_METHOD, { i4(7), totalRef, i4(2) }, { 1, 2, 0 }),
        S_OK);
    EXPECT_EQ(call.result.lVal, 14);
    EXPECT_EQ(total, 14);
}

TEST_F(Dispatch, PropertyPutNeedsTheNamedValue)
{
    ASSERT_EQ(
        call.invoke(testwidget::kEnabled, DISPATCH_PROPERTYPUT, { i4(0) }, { DISPID_PROPERTYPUT }),
        S_OK);
    EXPECT_EQ(call.result.vt, VT_EMPTY);
    ASSERT_EQ(call.invoke(testwidget::kEnabled, DISPATCH_PROPERTYGET, {}), S_OK);
    EXPECT_EQ(call.result.vt, VT_BOOL);
    EXPECT_EQ(call.result.boolVal, VARIANT_FALSE);
}

struct ErrorCase {
    const char *name;
    DISPID id;
    WORD flags;
    std::vector<VARIANT> args;
    std::vector<DISPID> named;
    HRESULT expected;
    UINT argErr; // kSentinel: must stay untouched
};

TEST_F(Dispatch, ErrorPathsLeaveOutParametersAsDocumented)
{
    const ErrorCase cases[] = {
        { "unknown member", 99, DISPATCH_METHOD, {}, {}, DISP_E_MEMBERNOTFOUND, kSentinel },
        { "get of a method", testwidget::kAdd, DISPATCH_PROPERTYGET, {}, {}, DISP_E_MEMBERNOTFOUND,
            kSentinel },
        { "put of a read-only property", DISPID_VALUE, DISPATCH_PROPERTYPUT, { i4(1) },
            { DISPID_PROPERTYPUT }, DISP_E_MEMBERNOTFOUND, kSentinel },
        { "too many arguments", testwidget::kAdd, DISPATCH_METHOD, { i4(1), i4(2), i4(3) }, {},
            DISP_E_BADPARAMCOUNT, kSentinel },
        { "required argument missing", testwidget::kAdd, DISPATCH_METHOD, { i4(1) }, {},
            DISP_E_BADPARAMCOUNT, kSentinel },
        { "required argument marked missing", testwidget::kAdd, DISPATCH_METHOD,
            { i4(1), missing() }, {}, DISP_E_TYPEMISMATCH, 1 },
        { "number out of range", testwidget::kAdd, DISPATCH_METHOD,
            { text(SysAllocString(u"9999999999")), i4(1) }, {}, DISP_E_OVERFLOW, 0 },
        { "put without the named value", testwidget::kCount, DISPATCH_PROPERTYPUT, { i4(1) }, {},
            DISP_E_PARAMNOTFOUND, kSentinel },
        { "unknown named argument", testwidget::kAdd, DISPATCH_METHOD, { i4(1), i4(2) }, { 7, 0 },
            DISP_E_PARAMNOTFOUND, 0 },
        { "named argument given twice", testwidget::kAdd, DISPATCH_METHOD, { i4(1), i4(2) },
            { 0, 0 }, DISP_E_PARAMNOTFOUND, 1 },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(call.invoke(c.id, c.flags, c.args, c.named), c.expected) << c.name;
        EXPECT_EQ(call.result.vt, VT_EMPTY) << c.name;
        EXPECT_EQ(call.argErr, c.argErr) << c.name;
        EXPECT_EQ(call.excep.bstrDescription, nullptr) << c.name;
    }
    SysFreeString(cases[6].args[0].bstrVal);

    DISPPARAMS none { nullptr, nullptr, 0, 0 };
    EXPECT_EQ(call.target->Invoke(testwidget::kCount, IUnknown::iid, 0, DISPATCH_PROPERTYGET, &none,
                  nullptr, nullptr, nullptr),
        DISP_E_UNKNOWNINTERFACE);
}

TEST_F(Dispatch, FailingMemberFillsExcepInfoFromErrorInfo)
{
    EXPECT_EQ(call.invoke(testwidget::kCount, DISPATCH_PROPERTYPUT, { i4(-1) }, { DISPID_PROPERTYPUT }),
        DISP_E_EXCEPTION);
    EXPECT_EQ(call.excep.scode, E_INVALIDARG);
    EXPECT_EQ(view(call.excep.bstrSource), u"Test.Widget.1");
    EXPECT_EQ(view(call.excep.bstrDescription), u"Count cannot be negative.");
    EXPECT_EQ(call.argErr, kSentinel);
    ComPtr<IErrorInfo> left;
    EXPECT_EQ(GetErrorInfo(0, &left), S_FALSE); // taken by Invoke

    // Through the vtable the error object stays for the caller.
    EXPECT_EQ(widget->put_Count(-1), E_INVALIDARG);
    ASSERT_EQ(GetErrorInfo(0, &left), S_OK);
    GUID source;
    ASSERT_EQ(left->GetGUID(&source), S_OK);
    EXPECT_EQ(source, ITestWidget::iid);
}

TEST_F(Dispatch, GetIDsOfNamesIgnoresCaseAndMapsParameters)
{
    std::u16string n0 = u"COMPUTE", n1 = u"total", n2 = u"nope";
    LPOLESTR names[] = { n0.data(), n1.data(), n2.data() };
    DISPID ids[3] = { 7, 7, 7 };
    EXPECT_EQ(call.target->GetIDsOfNames(IID_NULL, names, 3, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], testwidget::kCompute);
    EXPECT_EQ(ids[1], 2);
    EXPECT_EQ(ids[2], DISPID_UNKNOWN);
    Variant result;
    EXPECT_EQ(
        invokeByName(call.target.Get(), u"count", DISPATCH_PROPERTYGET, nullptr, 0, &result), S_OK);
    EXPECT_EQ(result.lVal, 3);
    EXPECT_EQ(invokeByName(call.target.Get(), u"Missing", DISPATCH_METHOD, nullptr, 0, &result),
        DISP_E_UNKNOWNNAME);
}

TEST_F(Dispatch, ObjectConvertsThroughItsValueMember)
{
    Variant object = Variant::dispatch(call.target.Get());
    Variant text;
    ASSERT_EQ(VariantChangeType(&text, &object, 0, VT_BSTR), S_OK);
    EXPECT_EQ(view(text.bstrVal), u"3");
    EXPECT_EQ(VariantChangeType(&text, &object, VARIANT_NOVALUEPROP, VT_I4), DISP_E_TYPEMISMATCH);
    Variant unknown;
    ASSERT_EQ(VariantChangeType(&unknown, &object, 0, VT_UNKNOWN), S_OK);
    EXPECT_EQ(unknown.punkVal, widget->identity());

    // Converted in place, the old value's reference is released, not leaked.
    const ULONG before = (call.target->AddRef(), call.target->Release());
    Variant inPlace = Variant::dispatch(call.target.Get());
    ASSERT_EQ(VariantChangeType(&inPlace, &inPlace, 0, VT_I4), S_OK);
    EXPECT_EQ(inPlace.lVal, 3);
    EXPECT_EQ((call.target->AddRef(), call.target->Release()), before);
}

// A sink that records events, optionally sets the cancel flag, and can unadvise itself.
class Sink final : public NoTypeInfo<ComObject<Sink, IDispatch>> {
public:
    bool queryExtra(REFIID riid, void **ppv) noexcept
    {
        if (riid != DIID__ITestWidgetEvents)
            return false;
        *ppv = static_cast<IDispatch *>(this);
        return true;
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *p, VARIANT *, EXCEPINFO *,
        UINT *) noexcept override
    {
        log->push_back(name + ":" + std::to_string(id));
        if (id == testwidget::kClosing && p->cArgs == 1 &&
            p->rgvarg[0].vt == (VT_BYREF | VT_BOOL)) {
            seenCancel = *p->rgvarg[0].pboolVal;
            if (setCancel)
                *p->rgvarg[0].pboolVal = VARIANT_TRUE;
        }
        if (id == testwidget::kChanged && p->cArgs == 1)
            lastValue = p->rgvarg[0].lVal;
        if (unadviseOnCall && point)
            (void)point->Unadvise(cookie);
        return S_OK;
    }
    std::string name;
    std::vector<std::string> *log = nullptr;
    bool setCancel = false;
    bool unadviseOnCall = false;
    VARIANT_BOOL seenCancel = 7;
    LONG lastValue = 0;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
};

TEST_F(Dispatch, EventsReachSinksInConnectionOrder)
{
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(widget.As(container), S_OK);
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(container->FindConnectionPoint(IDispatch::iid, &point), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(container->FindConnectionPoint(DIID__ITestWidgetEvents, &point), S_OK);

    std::vector<std::string> log;
    ComPtr<Sink> a = Sink::make(), b = Sink::make(), c = Sink::make();
    a->name = "a", b->name = "b", c->name = "c";
    for (Sink *s : { a.Get(), b.Get(), c.Get() }) {
        s->log = &log;
        s->point = point;
        ASSERT_EQ(point->Advise(s->identity(), &s->cookie), S_OK);
    }
    EXPECT_EQ(a->cookie, 1u);
    EXPECT_EQ(c->cookie, 3u);
    b->setCancel = true;
    a->unadviseOnCall = true; // leaves during its own call

    VARIANT_BOOL cancelled = 0;
    ASSERT_EQ(widget->Fire(5, &cancelled), S_OK);
    EXPECT_EQ(log, (std::vector<std::string> { "a:1", "b:1", "c:1", "b:2", "c:2" }));
    EXPECT_EQ(c->lastValue, 5);
    EXPECT_EQ(c->seenCancel, VARIANT_TRUE); // c saw what b wrote
    EXPECT_EQ(cancelled, VARIANT_TRUE);
    EXPECT_EQ(widget->closingSeen(), (std::vector<VARIANT_BOOL> { VARIANT_TRUE, VARIANT_TRUE }));

    EXPECT_EQ(point->Unadvise(a->cookie), CONNECT_E_NOCONNECTION); // already gone
    EXPECT_EQ(point->Unadvise(0), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(99), CONNECT_E_NOCONNECTION);
    DWORD reused = 0;
    ASSERT_EQ(point->Advise(a->identity(), &reused), S_OK);
    EXPECT_EQ(reused, 1u); // the freed slot

    ComPtr<IEnumConnections> connections;
    ASSERT_EQ(point->EnumConnections(&connections), S_OK);
    ASSERT_EQ(connections->Skip(1), S_OK);
    ComPtr<IEnumConnections> clone; // starts where the original is, and moves on its own
    ASSERT_EQ(connections->Clone(&clone), S_OK);
    for (IEnumConnections *e : { clone.Get(), connections.Get() }) {
        CONNECTDATA data[4];
        ULONG fetched = 0;
        EXPECT_EQ(e->Next(4, data, &fetched), S_FALSE);
        ASSERT_EQ(fetched, 2u);
        EXPECT_EQ(data[0].dwCookie, 2u);
        EXPECT_EQ(data[1].dwCookie, 3u);
        for (ULONG i = 0; i < fetched; ++i)
            data[i].pUnk->Release();
    }

    // A sink without the event interface cannot connect.
    ComPtr<TestWidget> notASink = TestWidget::make();
    DWORD cookie = kSentinel;
    EXPECT_EQ(point->Advise(notASink->identity(), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    for (Sink *s : { a.Get(), b.Get(), c.Get() })
        s->point = nullptr;
}

TEST_F(Dispatch, CollectionIsItsOwnEnumeratorWithOneCursor)
{
    Variant result;
    ASSERT_EQ(invokeByDispid(
                  call.target.Get(), DISPID_NEWENUM, DISPATCH_PROPERTYGET, nullptr, 0, &result),
        S_OK);
    ComPtr<IEnumVARIANT> first, second;
    ASSERT_EQ(result.punkVal->QueryInterface(IEnumVARIANT::iid, first.voidOut()), S_OK);
    ASSERT_EQ(widget->QueryInterface(IEnumVARIANT::iid, second.voidOut()), S_OK);
    VARIANT items[2];
    ULONG fetched = 0;
    ASSERT_EQ(first->Next(1, items, &fetched), S_OK);
    EXPECT_EQ(items[0].lVal, 0);
    ASSERT_EQ(second->Next(1, items, nullptr), S_OK);
    EXPECT_EQ(items[0].lVal, 10); // shared cursor
    ComPtr<IEnumVARIANT> clone;
    ASSERT_EQ(first->Clone(&clone), S_OK);
    EXPECT_EQ(first->Next(2, items, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(items[0].lVal, 20);
    ASSERT_EQ(clone->Next(1, items, nullptr), S_OK); // the clone kept its own position
    EXPECT_EQ(items[0].lVal, 20);
    EXPECT_EQ(first->Skip(1), S_FALSE);
    EXPECT_EQ(first->Reset(), S_OK);
    EXPECT_EQ(first->Skip(3), S_OK);
    EXPECT_EQ(first->Next(2, items, nullptr), E_POINTER);
}

// What a browser of the type information reads beyond the member list: defaults, help strings,
// the library and the base interface.
TEST_F(Dispatch, TypeInformationCarriesDefaultsHelpAndTheBaseInterface)
{
    FUNCDESC *fd = nullptr;
    HREFTYPE href = 0;
    ComPtr<ITypeInfo> dual;
    ASSERT_EQ(call.target->GetTypeInfo(0, 0, &dual), S_OK);
    ComPtr<ITypeLib> lib;
    UINT index = 99;
    ASSERT_EQ(dual->GetContainingTypeLib(&lib, &index), S_OK);
    EXPECT_EQ(index, 0u);
    // Defaults and optional flags of Compute's parameters.
    for (UINT i = 0;; ++i) {
        ASSERT_EQ(dual->GetFuncDesc(i, &fd), S_OK);
        if (fd->memid != testwidget::kCompute) {
            dual->ReleaseFuncDesc(fd);
            continue;
        }
        EXPECT_EQ(fd->cParams, 4); // the retval is the result, not a parameter
        EXPECT_EQ(fd->elemdescFunc.tdesc.vt, VT_I4);
        const PARAMDESC &b = fd->lprgelemdescParam[1].paramdesc;
        EXPECT_TRUE(b.wParamFlags & PARAMFLAG_FHASDEFAULT);
        ASSERT_NE(b.pparamdescex, nullptr);
        EXPECT_EQ(b.pparamdescex->varDefaultValue.lVal, 10);
        EXPECT_EQ(fd->cParamsOpt, 2);
        dual->ReleaseFuncDesc(fd);
        break;
    }
    BStr name, doc;
    ASSERT_EQ(
        dual->GetDocumentation(testwidget::kCount, name.out(), doc.out(), nullptr, nullptr), S_OK);
    EXPECT_EQ(name.view(), u"Count");
    EXPECT_EQ(doc.view(), u"How many items the widget holds");
    ComPtr<ITypeInfo> base;
    ASSERT_EQ(dual->GetRefTypeOfImplType(0, &href), S_OK);
    ASSERT_EQ(dual->GetRefTypeInfo(href, &base), S_OK);
    TYPEATTR *attr = nullptr;
    ASSERT_EQ(base->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, IDispatch::iid);
    base->ReleaseTypeAttr(attr);
}

} // namespace

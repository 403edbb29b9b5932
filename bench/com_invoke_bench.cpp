// The cost of late binding: the same two-argument method of the test widget called directly
// through its vtable and through IDispatch::Invoke by DISPID (arguments as VT_I4, as a script
// host passes them, and as strings that need conversion). The ratio is what a host pays for
// automation over a direct call.
#include "tests/platform/com/test_widget.h"

#include <benchmark/benchmark.h>

using namespace platform::com;

namespace {

ComPtr<ITestWidget> makeWidget()
{
    ComPtr<ITestWidget> widget;
    auto object = testwidget::TestWidget::make();
    (void)object.As(widget);
    return widget;
}

void VtableCall(benchmark::State &state)
{
    ComPtr<ITestWidget> widget = makeWidget();
    // Read through a volatile so that the compiler cannot see the object's type and turn the
    // virtual call into a direct one, which no host could do either.
    ITestWidget *volatile direct = widget.Get();
    LONG a = 1, sum = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(direct->Add(a, 2, &sum));
        benchmark::DoNotOptimize(sum);
        ++a;
    }
}
BENCHMARK(VtableCall);

void InvokeByDispid(benchmark::State &state)
{
    ComPtr<ITestWidget> widget = makeWidget();
    VARIANT args[2];
    VariantInit(&args[0]);
    VariantInit(&args[1]);
    args[0].vt = VT_I4; // b (arguments travel last-first)
    args[0].lVal = 2;
    args[1].vt = VT_I4; // a
    DISPPARAMS params { args, nullptr, 2, 0 };
    VARIANT result;
    VariantInit(&result);
    LONG a = 1;
    for (auto _ : state) {
        args[1].lVal = a++;
        benchmark::DoNotOptimize(widget->Invoke(testwidget::kAdd, IID_NULL, LOCALE_USER_DEFAULT,
            DISPATCH_METHOD, &params, &result, nullptr, nullptr));
        benchmark::DoNotOptimize(result.lVal);
    }
}
BENCHMARK(InvokeByDispid);

void InvokeByDispidConverting(benchmark::State &state)
{
    ComPtr<ITestWidget> widget = makeWidget();
    Variant b = Variant::str(u"2");
    Variant a = Variant::r8(40.0);
    VARIANT args[2] = { b, a };
    DISPPARAMS params { args, nullptr, 2, 0 };
    VARIANT result;
    VariantInit(&result);
    for (auto _ : state) {
        benchmark::DoNotOptimize(widget->Invoke(testwidget::kAdd, IID_NULL, LOCALE_USER_DEFAULT,
            DISPATCH_METHOD, &params, &result, nullptr, nullptr));
        benchmark::DoNotOptimize(result.lVal);
    }
}
BENCHMARK(InvokeByDispidConverting);

void InvokeByName(benchmark::State &state)
{
    ComPtr<ITestWidget> widget = makeWidget();
    Variant args[2] = { Variant::i4(40), Variant::i4(2) };
    Variant result;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            invokeByName(widget.Get(), u"Add", DISPATCH_METHOD, args, 2, &result));
        benchmark::DoNotOptimize(result.lVal);
    }
}
BENCHMARK(InvokeByName);

} // namespace

BENCHMARK_MAIN();

// The start-up trace's cost: a span while the trace is off against an empty
// out-of-line call (the anchor), and a span while it records.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "runtime/startup_trace.h"

namespace {

[[gnu::noinline]] void EmptyStep(int* counter) { benchmark::DoNotOptimize(++*counter); }

void EmptyCallAnchor(benchmark::State& state) {
    int counter = 0;
    for (auto _ : state) EmptyStep(&counter);
}

void SpanWhileOff(benchmark::State& state) {
    int counter = 0;
    for (auto _ : state) {
        trace::Span span("step");
        EmptyStep(&counter);
    }
}

void SpanWhileRecording(benchmark::State& state) {
    int counter = 0;
    for (auto _ : state) {
        state.PauseTiming();
        trace::Stop();
        trace::Start(4096);
        state.ResumeTiming();
        for (int i = 0; i < 100; ++i) {
            trace::Span span("step", "detail");
            EmptyStep(&counter);
        }
    }
    trace::Stop();
    state.SetItemsProcessed(state.iterations() * 100);
}

BENCHMARK(EmptyCallAnchor);
BENCHMARK(SpanWhileOff);
BENCHMARK(SpanWhileRecording);

}  // namespace

BENCHMARK_MAIN();

#pragma once
// Each benchmark reports its figure beside a floor measured in the same run,
// because these machines are noisy: the ratio is what the targets are about.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

namespace pz::bench {

// Median seconds of one call of f over a few repetitions.
template <class F>
double MedianSeconds(F&& f, int reps = 15) {
    std::vector<double> t;
    for (int i = 0; i < reps; ++i) {
        auto a = std::chrono::steady_clock::now();
        f();
        auto b = std::chrono::steady_clock::now();
        t.push_back(std::chrono::duration<double>(b - a).count());
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// One plain copy of a width x height x 4 frame buffer.
inline double FrameCopySeconds(int width = 1920, int height = 1080) {
    std::vector<uint32_t> a(size_t(width) * height, 1), b(size_t(width) * height, 2);
    return MedianSeconds([&] {
        std::memcpy(b.data(), a.data(), a.size() * 4);
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }, 41);
}

// Runs the measured loop and reports time per iteration against the floor.
template <class F>
void Measure(benchmark::State& state, double floorSeconds, const char* floorName, F&& body) {
    auto t0 = std::chrono::steady_clock::now();
    int64_t n = 0;
    for (auto _ : state) {
        body();
        ++n;
    }
    const double per = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / double(n);
    state.counters["ms"] = per * 1e3;
    state.counters[std::string(floorName) + "_ms"] = floorSeconds * 1e3;
    state.counters["ratio"] = per / floorSeconds;
}

}  // namespace pz::bench

#pragma once
#include <chrono>
#include <cstdint>
#include <random>

namespace pz {

// Uniform draws in [0, 1), re-seedable from the clock.
class Random {
public:
    virtual ~Random() = default;
    virtual float Next() = 0;
    virtual void ReseedFromClock() = 0;
};

class ClockRandom : public Random {
public:
    explicit ClockRandom(uint64_t seed = 0) : gen_(seed) {}
    float Next() override { return float(gen_() >> 8) * (1.0f / 16777216.0f); }
    void ReseedFromClock() override {
        gen_.seed(uint64_t(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    }

private:
    std::mt19937 gen_;
};

}  // namespace pz

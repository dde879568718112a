#pragma once
#include <chrono>
#include <cstdint>
#include <random>
#include <vector>
#include <algorithm>
#include <initializer_list>

namespace pz {

// Uniform draws in [0, 1), re-seedable from the clock. Tests fix the seed.
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

// Replays a list of draws, then repeats the last one; never reseeds.
class FixedRandom : public Random {
public:
    explicit FixedRandom(std::initializer_list<float> v) : values_(v) {}
    float Next() override {
        if (values_.empty()) return 0.0f;
        float v = values_[std::min(pos_, values_.size() - 1)];
        ++pos_;
        return v;
    }
    void ReseedFromClock() override {}

private:
    std::vector<float> values_;
    size_t pos_ = 0;
};

}  // namespace pz

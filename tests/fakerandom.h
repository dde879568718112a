#pragma once
// Random sources for tests. Reseeding from the clock is recorded and
// otherwise ignored, so the draws stay the ones a test chose.
#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "game/interaction/random.h"

namespace pz::test {

// Replays a list of draws, then repeats the last one.
class FixedRandom : public Random {
public:
    explicit FixedRandom(std::vector<float> v) : values_(std::move(v)) {}
    float Next() override {
        if (values_.empty()) return 0.0f;
        return values_[std::min(draws++, values_.size() - 1)];
    }
    void ReseedFromClock() override { reseededAfter.push_back(draws); }

    size_t draws = 0;
    std::vector<size_t> reseededAfter;   // the draws taken before each reseed

private:
    std::vector<float> values_;
};

// A fixed pseudo-random sequence of uniform draws in [0, 1).
class SeededRandom : public Random {
public:
    explicit SeededRandom(uint32_t seed) : gen_(seed) {}
    float Next() override { return float(gen_() >> 8) * (1.0f / 16777216.0f); }
    void ReseedFromClock() override { ++reseeds; }

    int reseeds = 0;

private:
    std::mt19937 gen_;
};

}  // namespace pz::test

#pragma once
// Random sources for tests, whose draws do not depend on the clock.
#include <cstddef>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "game/interaction/random.h"

namespace pz::test {

// Replays a list of draws, over and over. Reseeding from the clock is
// recorded and otherwise ignored, so the draws stay the ones a test chose.
class FixedRandom : public Random {
public:
    explicit FixedRandom(std::vector<float> v) : values_(std::move(v)) {}
    float Next() override { return values_.empty() ? 0.0f : values_[draws++ % values_.size()]; }
    void ReseedFromClock() override { reseededAfter.push_back(draws); }

    size_t draws = 0;
    std::vector<size_t> reseededAfter;   // the draws taken before each reseed

private:
    std::vector<float> values_;
};

// The game's own kind of draws, but "the clock" is a sequence of its own, so
// that one seed replays a whole game, scrambles included.
class ReplayRandom : public Random {
public:
    explicit ReplayRandom(uint64_t seed) : clock_(seed) { ReseedFromClock(); }
    float Next() override { return float(gen_() >> 8) * (1.0f / 16777216.0f); }
    void ReseedFromClock() override { gen_.seed(uint32_t(clock_())); }

private:
    std::mt19937_64 clock_;
    std::mt19937 gen_;
};

}  // namespace pz::test

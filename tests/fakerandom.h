#pragma once
// A random source for tests. Reseeding from the clock is recorded and
// otherwise ignored, so the draws stay the ones a test chose.
#include <cstddef>
#include <utility>
#include <vector>

#include "game/interaction/random.h"

namespace pz::test {

// Replays a list of draws, over and over.
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

}  // namespace pz::test

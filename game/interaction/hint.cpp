#include "game/interaction/hint.h"

#include <algorithm>
#include <cmath>

namespace pz {

int16_t ChooseHintGroup(const PuzzleModel& m, Random& rnd) {
    int16_t grp = 0;
    for (int tries = 0; tries < 1000; ++tries) {
        const float r = rnd.Next();
        int k = int(std::floor(r * float(m.GroupCount) + 1.0f));
        k = std::clamp(k, 1, int(m.GroupCount));
        grp = m.GroupOrder[k];
        if (!m.Groups[grp].InPlace) break;
    }
    return grp;
}

}  // namespace pz

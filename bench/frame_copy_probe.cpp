// Prints the median time of one plain copy of a W x H x 4 frame, in ms: the
// floor the real-window drag figure is set against.
#include <cstdio>
#include <cstdlib>

#include "floor.h"

int main(int argc, char** argv) {
    const int w = argc > 2 ? std::atoi(argv[1]) : 3840, h = argc > 2 ? std::atoi(argv[2]) : 2160;
    std::printf("%.3f\n", pz::bench::FrameCopySeconds(w, h) * 1e3);
    return 0;
}

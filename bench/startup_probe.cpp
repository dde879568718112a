// The game's own start-up, ending as soon as the main window is shown: run
// from the shell, its wall time is exec to window shown (plus a tear-down).
#include "game/shell/app.h"

int main(int argc, char** argv) { return pz::RunPuzzora(argc, argv, true); }

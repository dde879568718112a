#include "game/shell/app.h"

int main(int argc, char** argv) { return pz::RunPuzzora(argc, argv); }

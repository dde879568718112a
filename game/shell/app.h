#pragma once

namespace pz {

// The game: its application, services and main window. With untilShown it
// returns as soon as the window has been shown (start-up measurements).
int RunPuzzora(int argc, char** argv, bool untilShown = false);

// SIGTERM and SIGHUP close the window, as its close box does, and quit.
class frmMain;
void EndOnSignals(frmMain& window);

}  // namespace pz

#include "uninstall/self_removal.h"

// Placeholders until self-removal is built: nothing can be started or removed.
BOOL StartSelfRemoval() { return FALSE; }
void RunDelSelfPhase(const std::string&) { ExitProcess(0); }

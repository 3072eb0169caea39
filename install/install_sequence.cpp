#include "install/install_sequence.h"

// Placeholder until the install sequence is built: installs nothing.
int InstallSequence() { return 0; }

#include "app/install_driver.h"

// Placeholder until the install driver is built: behaves as a cancelled wizard.
int RunInstall() { return 1; }

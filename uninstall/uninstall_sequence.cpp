#include "uninstall/uninstall_sequence.h"

// Placeholder until the uninstall sequence is built.
void RemoveInstallation(const std::string&) {}

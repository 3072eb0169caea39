#include "uninstall/registry_cleanup.h"

// Placeholders until registry cleanup is built.
void RemoveRegistryEntries() {}
BOOL RegDeleteKeyTree(HKEY, const char*) { return FALSE; }
void RegDeleteKeyIfNoSubkeys(HKEY, const char*) {}

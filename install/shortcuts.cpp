#include "install/shortcuts.h"

BOOL bComInitialized = FALSE;

// Placeholder until shortcuts are built.
HRESULT CreateShortcut(const std::string&, const std::string&, const char*) { return E_NOTIMPL; }

#include "app/setup_app.h"

CSetupApp::~CSetupApp() = default;

// Placeholder until the start-up routine is built.
BOOL CSetupApp::InitInstance() { return FALSE; }

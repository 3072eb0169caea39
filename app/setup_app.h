// The application object and its start-up routine: the silent flag, the
// self-removal phase, the choice between install and uninstall mode, the
// questions of the start and the hand-over to the install driver or to the
// uninstaller's copy-to-temp step.
#pragma once

#include "framework/winapp.h"

#include <string>

// The operations InitInstance hands over to. The program uses the real ones;
// the tests put recording stand-ins in their place.
struct SetupOperations {
    int (*pfnCountInstances)();
    void (*pfnCloseRunningCopies)();
    int (*pfnRunInstall)();
    BOOL (*pfnStartSelfRemoval)();
    void (*pfnRunDelSelfPhase)(const std::string& installedUninstaller);
};
const SetupOperations& RealSetupOperations();

// Install mode: "-install" (any case) as the first argument, or a program path
// that contains "setup.exe" in any case (so MySetup.exe installs too).
bool IsInstallMode(int argc, char** argv, const std::string& programPath);

class CSetupApp : public CWinApp {
  public:
    CSetupApp();
    explicit CSetupApp(const SetupOperations& operations);
    ~CSetupApp() override;

    // FALSE when the uninstall was declined or its hand-over failed, TRUE when
    // closing the running copies was declined, else the install driver's result.
    BOOL InitInstance() override;

    // The command map holds one entry, ID_HELP for the framework's help
    // handler. This framework has no help handler, so there is nothing to route.

  private:
    SetupOperations m_operations;
};

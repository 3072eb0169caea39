#include "app/setup_app.h"

#include "app/install_driver.h"
#include "app/state.h"
#include "framework/catalogue.h"
#include "instances/instance_manager.h"
#include "instances/running_copies.h"
#include "res/resource.h"
#include "uninstall/self_removal.h"

#include <cstdio>

namespace {

// The start-up's own message boxes use buffers of these sizes.
constexpr int kCaptionSize = 128;
constexpr int kMessageSize = 256;

int CountInstancesOfProduct() {
    return theInstanceManager.CountInstances();
}

bool EqualsIgnoringCase(const char* arg, const char* option) {
    return arg && lstrcmpiA(arg, option) == 0;
}

// Step 1: "-s" in any case at any position makes the run silent.
void SetSilentFlag(int argc, char** argv) {
    bSilent = FALSE;
    for (int i = 1; i < argc; ++i) {
        if (EqualsIgnoringCase(argv[i], "-s")) {
            bSilent = TRUE;
            OutputDebugStringA("-s option, bSilent = TRUE\n");
            break;
        }
    }
}

// Step 2: "-delself" (exactly) followed by the installed uninstaller's path.
bool IsSelfRemovalPhase(int argc, char** argv) {
    return argc >= 3 && argv[1] && argv[2] && lstrcmpA(argv[1], "-delself") == 0;
}

std::string ProgramPath() {
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(NULL, path, MAX_PATH);
    return path;
}

// True when `needle` occurs in `text` at the start of a character: a trail
// byte of a double-byte character never starts a match.
bool ContainsAtCharStart(const std::string& text, const std::string& needle) {
    for (size_t i = 0; i + needle.size() <= text.size(); ++i) {
        if (text.compare(i, needle.size(), needle) == 0)
            return true;
        if (IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < text.size())
            ++i;
    }
    return false;
}

std::string LowerCase(std::string text) {
    if (!text.empty())
        CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// Step 6: the uninstall confirmation; true when the user answered Yes.
bool ConfirmUninstall(const char* caption) {
    char text[kMessageSize];
    LoadCatalogueText(IDS_UNINSTALL_CONFIRM, text, sizeof text);
    return MessageBoxA(NULL, text, caption, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES;
}

// Step 8: "/s" or "-s" from the second argument on skips the running-copies prompt.
bool SkipsCopiesPrompt(int argc, char** argv) {
    for (int i = 2; i < argc; ++i) {
        if (EqualsIgnoringCase(argv[i], "/s") || EqualsIgnoringCase(argv[i], "-s"))
            return true;
    }
    return false;
}

// Step 8: asks whether the `others` running copies may be closed; on any answer
// but Yes tells the user that the installation was abandoned.
bool AgreeToCloseCopies(int others, const char* caption) {
    char text[kMessageSize];
    if (others == 1) {
        LoadCatalogueText(IDS_ONE_COPY_RUNNING, text, sizeof text);
    } else {
        char format[kMessageSize];
        LoadCatalogueText(IDS_COPIES_RUNNING, format, sizeof format);
        std::snprintf(text, sizeof text, format, others);
    }
    if (MessageBoxA(NULL, text, caption, MB_YESNO | MB_ICONEXCLAMATION) == IDYES)
        return true;
    LoadCatalogueText(IDS_INSTALL_ABANDONED, text, sizeof text);
    MessageBoxA(NULL, text, caption, MB_OK | MB_ICONINFORMATION);
    return false;
}

} // namespace

const SetupOperations& RealSetupOperations() {
    static const SetupOperations real = {CountInstancesOfProduct, CloseRunningCopies, RunInstall,
                                         StartSelfRemoval, RunDelSelfPhase};
    return real;
}

bool IsInstallMode(int argc, char** argv, const std::string& programPath) {
    if (argc >= 2 && EqualsIgnoringCase(argv[1], "-install"))
        return true;
    return ContainsAtCharStart(LowerCase(programPath), "setup.exe");
}

CSetupApp::CSetupApp() : m_operations(RealSetupOperations()) {}

CSetupApp::CSetupApp(const SetupOperations& operations) : m_operations(operations) {}

CSetupApp::~CSetupApp() = default;

BOOL CSetupApp::InitInstance() {
    SetSilentFlag(m_argc, m_argv);

    if (IsSelfRemovalPhase(m_argc, m_argv)) {
        m_operations.pfnRunDelSelfPhase(m_argv[2]);
        return FALSE; // the phase ends the process
    }

    m_hInstance = GetModuleHandleA(NULL);
    m_hResource = m_hInstance;

    char caption[kCaptionSize];
    LoadCatalogueText(IDS_SETUP_CAPTION, caption, sizeof caption);

    const bool installMode = IsInstallMode(m_argc, m_argv, ProgramPath());

    if (!installMode && !bSilent && !ConfirmUninstall(caption))
        return FALSE;

    const int others = m_operations.pfnCountInstances() - 1;
    if (others > 0) {
        if (installMode && !SkipsCopiesPrompt(m_argc, m_argv) &&
            !AgreeToCloseCopies(others, caption))
            return TRUE;
        m_operations.pfnCloseRunningCopies();
    }

    if (installMode)
        return m_operations.pfnRunInstall();
    m_operations.pfnStartSelfRemoval(); // returns only when the copy could not start
    return FALSE;
}

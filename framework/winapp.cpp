#include "framework/winapp.h"

#include "framework/catalogue.h"

#include <cstdlib>

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp::CWinApp() { g_pApp = this; }

CWinApp::~CWinApp() {
    if (g_pApp == this)
        g_pApp = nullptr;
}

const std::string& CWinApp::AppTitle() {
    if (m_strTitle.empty())
        m_strTitle = LoadCatalogueText(AFX_IDS_APP_TITLE);
    return m_strTitle;
}

CWinApp* AfxGetApp() { return g_pApp; }

HINSTANCE AfxGetResourceHandle() {
    if (g_pApp && g_pApp->m_hResource)
        return g_pApp->m_hResource;
    return GetModuleHandleA(NULL);
}

int AfxWinMain() {
    CWinApp* app = AfxGetApp();
    if (!app)
        return 0;
    app->m_hInstance = GetModuleHandleA(NULL);
    app->m_hResource = app->m_hInstance;
    app->m_argc = __argc;
    app->m_argv = __argv;
    app->InitInstance();
    // No window of the program stays open after InitInstance, so the message
    // loop would end at once: the exit code is 0 whatever InitInstance returned.
    // Paths that need another code end the process themselves.
    return 0;
}

// The application object: one global instance of a class derived from CWinApp.
// Its constructor registers it; the program entry calls InitInstance once with
// the run time's argc/argv and ends the process afterwards.
#pragma once

#include <windows.h>
#include <string>

class CDialog;

class CWinApp {
public:
    // No application name: the title comes from string 57344 of the program.
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return FALSE; }

    // The application title (string 57344), the caption of every framework message box.
    const std::string& AppTitle();

    HINSTANCE m_hInstance = NULL;  // module whose resources the program uses
    HINSTANCE m_hResource = NULL;  // module that dialog templates and strings come from
    CDialog* m_pMainWnd = nullptr; // the wizard while it is open
    int m_argc = 0;
    char** m_argv = nullptr;

private:
    std::string m_strTitle;
};

// The one application object, or null before it is constructed.
CWinApp* AfxGetApp();
// Module that resources are loaded from (the application's, else this module's).
HINSTANCE AfxGetResourceHandle();

// The framework's start-up: hands the run time's argc/argv to the application
// object, runs InitInstance and returns the process exit code.
int AfxWinMain();

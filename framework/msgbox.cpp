#include "framework/msgbox.h"

#include "framework/catalogue.h"
#include "framework/winapp.h"

namespace {
UINT WithDefaultIcon(UINT type) {
    if (type & MB_ICONMASK)
        return type;
    UINT buttons = type & MB_TYPEMASK;
    if (buttons == MB_YESNO || buttons == MB_YESNOCANCEL)
        return type | MB_ICONQUESTION;
    if (buttons == MB_OK || buttons == MB_OKCANCEL)
        return type | MB_ICONEXCLAMATION;
    return type;
}
} // namespace

int AfxMessageBox(const std::string& text, UINT type) {
    HWND owner = GetActiveWindow();
    CWinApp* app = AfxGetApp();
    std::string caption = app ? app->AppTitle() : LoadCatalogueText(AFX_IDS_APP_TITLE);
    return MessageBoxA(owner, text.c_str(), caption.c_str(), WithDefaultIcon(type));
}

int AfxMessageBox(UINT idPrompt, UINT type) {
    return AfxMessageBox(LoadCatalogueText(idPrompt), type);
}

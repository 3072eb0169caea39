#include "install/shortcuts.h"

#include "app/state.h"
#include "framework/handles.h"
#include "framework/msgbox.h"
#include "install/uninstall_log.h"

#include <shlobj.h>

#include <vector>

BOOL bComInitialized = FALSE;

namespace {

// The target is handed over through a buffer of this size.
constexpr size_t kTargetBuffer = 512;

// The target without one pair of enclosing double quotes, at most 511 bytes.
std::string UnquotedTarget(const std::string& target) {
    std::string path = target.substr(0, kTargetBuffer - 1);
    if (!path.empty() && path.front() == '"')
        path.erase(0, 1);
    if (!path.empty() && path.back() == '"')
        path.pop_back();
    return path;
}

void EnsureComInitialized() {
    if (bComInitialized)
        return;
    CoInitialize(NULL);
    bComInitialized = TRUE;
}

} // namespace

HRESULT CreateShortcut(const std::string& target, const std::string& linkPath,
                       const char* workingFolder) {
    EnsureComInitialized();
    ComPtr<IShellLinkA> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  link.outVoid());
    if (FAILED(hr))
        return hr;
    ComPtr<IPersistFile> file;
    hr = link->QueryInterface(IID_IPersistFile, file.outVoid());
    if (FAILED(hr))
        return hr;
    if (FAILED(link->SetPath(UnquotedTarget(target).c_str())))
        AfxMessageBox("SetPath failed!", MB_OK | MB_ICONEXCLAMATION);
    if (FAILED(link->SetDescription("")))
        AfxMessageBox("SetDescription failed!", MB_OK | MB_ICONEXCLAMATION);
    // A shortcut path beyond the path limit is not saved under a cut name.
    std::vector<wchar_t> widePath(MAX_PATH, L'\0');
    if (!MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath.data(), MAX_PATH))
        return HRESULT_FROM_WIN32(GetLastError());
    if (workingFolder)
        link->SetWorkingDirectory(workingFolder);
    hr = file->Save(widePath.data(), TRUE);
    if (SUCCEEDED(hr))
        AppendLogLine(m_strInstDir + "\\" + kLogFile, kTagShellLink + linkPath);
    return hr;
}

#include "wizard/folder_dlg.h"

#include "app/product.h"
#include "app/state.h"
#include "framework/catalogue.h"
#include "framework/handles.h"
#include "framework/msgbox.h"
#include "install/paths.h"
#include "res/resource.h"

#include <io.h>
#include <vector>

namespace {
constexpr char kVersion4File[] = "QmkShot.exe";
constexpr char kVersion5File[] = "QmkShot5.exe";

bool FileIn(const std::string& folder, const char* name) {
    return _access(JoinFolder(folder, name).c_str(), 0) == 0;
}
} // namespace

CFolderDlg::BrowseFn CFolderDlg::s_pfnBrowse = SHBrowseForFolderA;

CFolderDlg::CFolderDlg(HWND parent) : CDialog(IDD_FOLDER, parent) {}

void CFolderDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_FOLDER, m_stcFolder);
    DDX_Radio(pDX, IDC_CURRENT_USER, m_nType);
}

BOOL CFolderDlg::OnCommand(WORD id, WORD code) {
    if (id == IDC_BROWSE && code == BN_CLICKED) {
        OnBrowse();
        return TRUE;
    }
    return FALSE;
}

BOOL CFolderDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_strInfo = GetDlgItemText(IDC_FOLDER_INFO);
    UpdateFolderInfo();
    m_stcFolder.SetWindowText(m_strInstDir);
    m_nType = bAllUsers;
    UpdateData(FALSE);
    return TRUE;
}

void CFolderDlg::UpdateFolderInfo() {
    if (!bNewInstall && FileIn(m_strInstDir, kProgramFile))
        SetDlgItemText(IDC_FOLDER_INFO, LoadCatalogueText(IDS_FOLDER_HAS_VERSION));
    else
        SetDlgItemText(IDC_FOLDER_INFO, m_strInfo);
}

BOOL CFolderDlg::DestroyWindow() {
    UpdateData(TRUE);
    bAllUsers = m_nType == 1 ? TRUE : FALSE;
    return CDialog::DestroyWindow();
}

std::string JoinFolder(const std::string& folder, const std::string& name) {
    int last = LastBackslash(folder);
    if (last >= 0 && last == static_cast<int>(folder.size()) - 1)
        return folder + name;
    return folder + "\\" + name;
}

int CountFolderEntries(const std::string& folder) {
    WIN32_FIND_DATAA data;
    FindHandle search(FindFirstFileA(JoinFolder(folder, "*").c_str(), &data));
    if (!search)
        return 0;
    int count = 0;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..")
            ++count;
    } while (FindNextFileA(search.get(), &data));
    return count;
}

bool HoldsOldGeneration(const std::string& folder) {
    return FileIn(folder, kVersion4File) || FileIn(folder, kVersion5File);
}

std::string ChooseInstallFolder(const std::string& chosen) {
    if (FileIn(chosen, kProgramFile))
        return chosen;
    if (CountFolderEntries(chosen) > 0)
        return JoinFolder(chosen, kProductFolder);
    return chosen;
}

int CALLBACK CFolderDlg::BrowseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM) {
    switch (msg) {
    case BFFM_INITIALIZED:
        ::SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE,
                       reinterpret_cast<LPARAM>(m_strInstDir.c_str()));
        return 0;
    case BFFM_VALIDATEFAILEDA:
        AfxMessageBox(IDS_INVALID_FOLDER, MB_OK | MB_ICONEXCLAMATION);
        return 1;
    default:
        return 0;
    }
}

void CFolderDlg::OnBrowse() {
    std::string title = LoadCatalogueText(IDS_BROWSE_TITLE);
    std::vector<char> displayName(MAX_PATH + 1, '\0');
    BROWSEINFOA info = {};
    info.hwndOwner = m_hWnd;
    info.pidlRoot = NULL;
    info.pszDisplayName = displayName.data();
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_VALIDATE | BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseCallback;
    info.lParam = 0;

    // The folder exists while the browser runs, so that it can be preselected.
    CreateDirectoryA(m_strInstDir.c_str(), NULL);
    ItemIdList chosenItem(s_pfnBrowse(&info));
    RemoveDirectoryA(m_strInstDir.c_str());
    if (!chosenItem)
        return;

    std::vector<char> path(MAX_PATH + 1, '\0');
    if (!SHGetPathFromIDListA(chosenItem.get(), path.data()))
        return;
    std::string chosen = path.data();
    // An empty folder, also one just made in the browser, waits for the installation.
    RemoveDirectoryA(chosen.c_str());
    if (HoldsOldGeneration(chosen)) {
        AfxMessageBox(IDS_OLD_GENERATION_FOLDER, MB_OK);
        return;
    }
    m_strInstDir = ChooseInstallFolder(chosen);
    m_stcFolder.SetWindowText(m_strInstDir);
    UpdateFolderInfo();
}

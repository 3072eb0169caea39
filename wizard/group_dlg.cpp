#include "wizard/group_dlg.h"

#include "app/product.h"
#include "app/state.h"
#include "framework/msgbox.h"
#include "install/paths.h"
#include "install/registry.h"
#include "res/resource.h"

#include <vector>

namespace {
constexpr size_t kMinGroupLength = 3;
constexpr char kBlanks[] = " \t\n\v\f\r";

std::string LowerAnsi(const std::string& text) {
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    CharLowerA(copy.data());
    return std::string(copy.data(), text.size());
}

bool NamesStartupFolder(const std::string& group) {
    std::string name = LowerAnsi(group);
    std::string user = RegReadString(HKEY_CURRENT_USER, kShellFoldersKey, "Startup");
    std::string common = RegReadString(HKEY_LOCAL_MACHINE, kShellFoldersKey, "Common Startup");
    return name == LowerLastComponent(user) || name == LowerLastComponent(common);
}
} // namespace

std::string TrimBlanks(const std::string& text) {
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

std::string LowerLastComponent(const std::string& folder) {
    int last = LastBackslash(folder);
    return LowerAnsi(last < 0 ? folder : folder.substr(last + 1));
}

CGroupDlg::CGroupDlg(HWND parent) : CDialog(IDD_GROUP, parent) {}

void CGroupDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_GROUP_NAME, m_edtGroup);
    DDX_Check(pDX, IDC_AUTOSTART, m_bAutoStart);
    DDX_Check(pDX, IDC_DESKICON, m_bDeskIcon);
    DDX_Text(pDX, IDC_GROUP_NAME, m_strGroupName);
}

BOOL CGroupDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_bAutoStart = bAutoStart;
    m_bDeskIcon = bDeskIcon;
    m_strGroupName = m_strGroup;
    UpdateData(FALSE);
    return TRUE;
}

BOOL CGroupDlg::DestroyWindow() {
    if (!UpdateData(TRUE))
        return FALSE;
    m_strGroupName = TrimBlanks(m_strGroupName);
    if (m_strGroupName.size() < kMinGroupLength) {
        AfxMessageBox(IDS_GROUP_TOO_SHORT, MB_OK);
        return FALSE;
    }
    if (NamesStartupFolder(m_strGroupName)) {
        AfxMessageBox(IDS_GROUP_IS_STARTUP, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    bAutoStart = m_bAutoStart;
    bDeskIcon = m_bDeskIcon;
    m_strGroup = m_strGroupName;
    return CDialog::DestroyWindow();
}

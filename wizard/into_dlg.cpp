#include "wizard/into_dlg.h"

#include "app/state.h"
#include "res/resource.h"

#include <cstdio>
#include <vector>

CIntoDlg::CIntoDlg(HWND parent) : CDialog(IDD_INTO, parent) {}

void CIntoDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_VERSION, m_stcVersion);
}

std::string FormatVersionText(const std::string& format, int major, int minor, int build,
                              int beta) {
    std::string betaText;
    if (beta != 0)
        betaText = "Beta " + std::to_string(beta);
        // The template's format is trusted text of the program's own resources.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int n = std::snprintf(nullptr, 0, format.c_str(), major, minor, build, betaText.c_str());
    if (n < 0)
        return format;
    std::vector<char> out(n + 1);
    std::snprintf(out.data(), out.size(), format.c_str(), major, minor, build, betaText.c_str());
#pragma GCC diagnostic pop
    return std::string(out.data(), n);
}

BOOL CIntoDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    std::string format = m_stcVersion.GetWindowText();
    m_stcVersion.SetWindowText(
        FormatVersionText(format, nVerMajor, nVerMinor, nVerBuild, nVerBeta));
    return TRUE;
}

#include "wizard/agreement_dlg.h"

#include "framework/handles.h"
#include "res/resource.h"

#include <cstdio>

namespace {
constexpr char kAgreementFile[] = "agreement.txt";
}

CAgreementDlg::CAgreementDlg(HWND parent) : CDialog(IDD_AGREEMENT, parent) {}

void CAgreementDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_AGREEMENT_TEXT, m_edtText);
    DDX_Text(pDX, IDC_AGREEMENT_TEXT, m_strText);
}

std::string ReadWholeFile(const char* path) {
    StdioFile file(path, "rb");
    if (!file)
        return std::string();
    if (std::fseek(file.get(), 0, SEEK_END) != 0)
        return std::string();
    long size = std::ftell(file.get());
    if (size <= 0 || std::fseek(file.get(), 0, SEEK_SET) != 0)
        return std::string();
    std::string text(static_cast<size_t>(size), '\0');
    size_t got = std::fread(&text[0], 1, text.size(), file.get());
    text.resize(got);
    return text;
}

BOOL CAgreementDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_strText = ReadWholeFile(kAgreementFile);
    UpdateData(FALSE);
    m_edtText.SendMessage(EM_SETSEL, static_cast<WPARAM>(-1), 0);
    m_edtText.SendMessage(EM_SCROLLCARET);
    SetWindowPos(m_hWnd, HWND_TOP, 4, 4, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    UpdateData(FALSE);
    return FALSE;
}

#include "wizard/setup_dlg.h"

#include "app/state.h"
#include "framework/catalogue.h"
#include "framework/msgbox.h"
#include "install/install_sequence.h"
#include "res/resource.h"
#include "wizard/agreement_dlg.h"
#include "wizard/folder_dlg.h"
#include "wizard/group_dlg.h"
#include "wizard/into_dlg.h"
#include "wizard/start_dlg.h"

std::string strNextCaption;
std::string strCancelCaption;

namespace {
enum Page { kWelcome, kAgreement, kFolder, kGroup, kReady, kInstalled, kDone };
constexpr int kPageGap = 4; // pixels between the picture and the page
} // namespace

CSetupDlg::CSetupDlg() : CDialog(IDD_SETUP_DIALOG) {}

CSetupDlg::~CSetupDlg() = default;

void CSetupDlg::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, IDC_PICTURE, m_stcPicture);
    DDX_Control(pDX, IDC_BACK, m_btnBack);
    DDX_Control(pDX, IDOK, m_btnNext);
}

BOOL CSetupDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    strNextCaption = m_btnNext.GetWindowText();
    strCancelCaption = m_btnCancel.GetWindowText();
    OnOK();
    return FALSE;
}

BOOL CSetupDlg::OnCommand(WORD id, WORD code) {
    if (id == IDC_BACK && code == BN_CLICKED) {
        OnBack();
        return TRUE;
    }
    return FALSE;
}

void CSetupDlg::OnBack() {
    int before = m_nPage;
    m_nPage -= 2;
    if (!Advance())
        m_nPage = before; // the page refused: the wizard stays where it was
}

void CSetupDlg::OnOK() {
    Advance();
}

bool CSetupDlg::Advance() {
    if (m_pPage && m_nPage < kReady) {
        if (!m_pPage->DestroyWindow())
            return false;
        m_pPage.reset();
    }
    ++m_nPage;
    if (m_strTitle.empty())
        m_strTitle = GetWindowText();
    if (m_nPage != kAgreement) {
        m_btnNext.SetWindowText(strNextCaption);
        m_btnCancel.SetWindowText(strCancelCaption);
    }
    switch (m_nPage) {
    case kWelcome:
        ShowPage(new CIntoDlg(m_hWnd), IDD_INTO);
        m_btnBack.ShowWindow(SW_HIDE);
        PlacePage();
        break;
    case kAgreement:
        m_btnNext.SetWindowText(LoadCatalogueText(IDS_YES));
        m_btnCancel.SetWindowText(LoadCatalogueText(IDS_NO));
        m_btnBack.ShowWindow(SW_SHOW);
        m_stcPicture.ShowWindow(SW_HIDE);
        ShowPage(new CAgreementDlg(m_hWnd), IDD_AGREEMENT);
        SetWindowText(LoadCatalogueText(IDS_AGREEMENT_TITLE));
        break;
    case kFolder:
        ShowPage(new CFolderDlg(m_hWnd), IDD_FOLDER);
        PlacePage();
        break;
    case kGroup:
        ShowPage(new CGroupDlg(m_hWnd), IDD_GROUP);
        PlacePage();
        break;
    case kReady:
        ShowPage(new CStartDlg(m_hWnd), IDD_START);
        PlacePage();
        break;
    case kInstalled:
        RunInstallation();
        break;
    default:
        Finish();
        break;
    }
    return true;
}

void CSetupDlg::ShowPage(CDialog* page, UINT idTemplate) {
    m_pPage.reset(page);
    m_pPage->Create(idTemplate, m_hWnd);
}

void CSetupDlg::PlacePage() {
    SetWindowText(m_strTitle);
    m_stcPicture.ShowWindow(SW_SHOW);
    m_btnNext.EnableWindow(TRUE);
    m_btnNext.SetFocus();
    RECT picture;
    GetWindowRect(m_stcPicture.m_hWnd, &picture);
    MapWindowPoints(NULL, m_hWnd, reinterpret_cast<POINT*>(&picture), 2);
    SetWindowPos(m_pPage->m_hWnd, HWND_TOP, picture.right + kPageGap, picture.top, 0, 0,
                 SWP_NOSIZE | SWP_SHOWWINDOW);
}

void CSetupDlg::RunInstallation() {
    CDialog& page = *m_pPage;
    ::ShowWindow(page.GetDlgItem(IDC_READY_TITLE), SW_HIDE);
    ::ShowWindow(page.GetDlgItem(IDC_READY_TEXT), SW_HIDE);
    ::ShowWindow(page.GetDlgItem(IDC_INSTALLING), SW_SHOW);
    page.UpdateWindow();

    m_btnBack.EnableWindow(FALSE);
    m_btnNext.EnableWindow(FALSE);
    m_btnCancel.EnableWindow(FALSE);
    SetCursor(LoadCursor(NULL, IDC_WAIT));
    InstallSequence();
    SetCursor(LoadCursor(NULL, IDC_ARROW));

    m_btnNext.EnableWindow(TRUE);
    m_btnNext.SetWindowText(LoadCatalogueText(IDS_FINISH_BUTTON));
    ::ShowWindow(page.GetDlgItem(IDC_INSTALLING), SW_HIDE);
    ::ShowWindow(page.GetDlgItem(IDC_RUN_AFTER), SW_SHOW);
    page.SetDlgItemText(IDC_READY_TITLE, LoadCatalogueText(IDS_INSTALL_DONE));
    page.SetDlgItemText(IDC_READY_TEXT, LoadCatalogueText(IDS_PRESS_FINISH));
    ::ShowWindow(page.GetDlgItem(IDC_READY_TITLE), SW_SHOW);
    ::ShowWindow(page.GetDlgItem(IDC_READY_TEXT), SW_SHOW);
    m_btnNext.SetFocus();
}

void CSetupDlg::Finish() {
    HWND runAfter = m_pPage->GetDlgItem(IDC_RUN_AFTER);
    bRunAfter = ::SendMessageA(runAfter, BM_GETCHECK, 0, 0) == BST_CHECKED ? TRUE : FALSE;
    CDialog::OnOK();
}

void CSetupDlg::OnCancel() {
    if (AfxMessageBox(IDS_CANCEL_QUESTION, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
        EndDialog(IDCANCEL);
}

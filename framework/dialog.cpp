#include "framework/dialog.h"

#include "framework/winapp.h"

#include <vector>

namespace {
std::string WindowText(HWND h) {
    int n = GetWindowTextLengthA(h);
    if (n <= 0)
        return std::string();
    std::vector<char> buffer(n + 1);
    int got = GetWindowTextA(h, buffer.data(), n + 1);
    return std::string(buffer.data(), got > 0 ? got : 0);
}
} // namespace

std::string CWnd::GetWindowText() const { return WindowText(m_hWnd); }

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (!control.m_hWnd)
        control.Attach(::GetDlgItem(pDX->m_hDlg, id));
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
    HWND h = ::GetDlgItem(pDX->m_hDlg, id);
    if (pDX->m_bSaveAndValidate)
        value = WindowText(h);
    else
        ::SetWindowTextA(h, value.c_str());
}

void DDX_Check(CDataExchange* pDX, int id, BOOL& value) {
    HWND h = ::GetDlgItem(pDX->m_hDlg, id);
    if (pDX->m_bSaveAndValidate)
        value = ::SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED ? TRUE : FALSE;
    else
        ::SendMessageA(h, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DDX_Radio(CDataExchange* pDX, int id, int& value) {
    // The group runs from `id` to the next control with WS_GROUP (or the end).
    HWND first = ::GetDlgItem(pDX->m_hDlg, id);
    if (pDX->m_bSaveAndValidate)
        value = -1;
    int index = 0;
    for (HWND h = first; h; h = ::GetWindow(h, GW_HWNDNEXT), ++index) {
        if (h != first && (GetWindowLongA(h, GWL_STYLE) & WS_GROUP))
            break;
        if (pDX->m_bSaveAndValidate) {
            if (::SendMessageA(h, BM_GETCHECK, 0, 0) == BST_CHECKED)
                value = index;
        } else {
            ::SendMessageA(h, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
}

CDialog::~CDialog() {
    if (m_hWnd && !m_bModal)
        ::DestroyWindow(m_hWnd);
}

INT_PTR CDialog::DoModal() {
    m_bModal = true;
    return DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), m_hParent,
                           DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create(UINT idTemplate, HWND parent) {
    m_bModal = false;
    m_nIDTemplate = idTemplate;
    m_hParent = parent;
    HWND h = CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(idTemplate), parent,
                                DialogProc, reinterpret_cast<LPARAM>(this));
    return h != NULL;
}

BOOL CDialog::DestroyWindow() {
    if (!m_hWnd)
        return FALSE;
    HWND h = m_hWnd;
    m_hWnd = NULL;
    return ::DestroyWindow(h);
}

void CDialog::EndDialog(INT_PTR result) { ::EndDialog(m_hWnd, result); }

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx{m_hWnd, bSaveAndValidate};
    DoDataExchange(&dx);
    return !dx.m_bFailed;
}

std::string CDialog::GetDlgItemText(int id) const { return WindowText(GetDlgItem(id)); }

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    if (m_bModal)
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    if (m_bModal)
        EndDialog(IDCANCEL);
}

BOOL CDialog::OnCommand(WORD, WORD) { return FALSE; }

BOOL CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return FALSE; }

INT_PTR CALLBACK CDialog::DialogProc(HWND hDlg, UINT msg, WPARAM wp, LPARAM lp) {
    CDialog* self;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lp);
        SetWindowLongPtrA(hDlg, DWLP_USER, lp);
        self->m_hWnd = hDlg;
        return self->OnInitDialog();
    }
    self = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hDlg, DWLP_USER));
    if (!self)
        return FALSE;
    switch (msg) {
    case WM_COMMAND: {
        WORD id = LOWORD(wp), code = HIWORD(wp);
        if (id == IDOK && code == BN_CLICKED) {
            self->OnOK();
            return TRUE;
        }
        if (id == IDCANCEL && code == BN_CLICKED) {
            self->OnCancel();
            return TRUE;
        }
        return self->OnCommand(id, code);
    }
    case WM_NCDESTROY:
        self->m_hWnd = NULL;
        SetWindowLongPtrA(hDlg, DWLP_USER, 0);
        return FALSE;
    default: {
        LRESULT result = 0;
        if (!self->OnMessage(msg, wp, lp, result))
            return FALSE;
        SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, result);
        return TRUE;
    }
    }
}

// Modal and child dialogs from templates, control objects and data exchange.
#pragma once

#include <windows.h>
#include <string>

// A control (or any window) the program talks to through its handle.
class CWnd {
public:
    HWND m_hWnd = NULL;

    HWND GetSafeHwnd() const { return m_hWnd; }
    void Attach(HWND h) { m_hWnd = h; }
    BOOL ShowWindow(int cmd) const { return ::ShowWindow(m_hWnd, cmd); }
    BOOL EnableWindow(BOOL enable) const { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    HWND SetFocus() const { return ::SetFocus(m_hWnd); }
    void SetWindowText(const std::string& text) const { ::SetWindowTextA(m_hWnd, text.c_str()); }
    std::string GetWindowText() const;
    LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const {
        return ::SendMessageA(m_hWnd, msg, wp, lp);
    }
    void UpdateWindow() const { ::UpdateWindow(m_hWnd); }
};
using CButton = CWnd;
using CStatic = CWnd;
using CEdit = CWnd;

// One data-exchange pass: towards the controls (save false) or from them (save true).
struct CDataExchange {
    HWND m_hDlg;
    BOOL m_bSaveAndValidate;
    BOOL m_bFailed = FALSE;
};

void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
void DDX_Text(CDataExchange* pDX, int id, std::string& value);
void DDX_Check(CDataExchange* pDX, int id, BOOL& value);
// Radio group starting at control `id`: index of the checked button, -1 for none.
void DDX_Radio(CDataExchange* pDX, int id, int& value);

class CDialog : public CWnd {
public:
    CDialog(UINT idTemplate, HWND hParent = NULL) : m_nIDTemplate(idTemplate), m_hParent(hParent) {}
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog modally; returns the value given to EndDialog, -1 on failure.
    INT_PTR DoModal();
    // Creates the dialog as a modeless child of `parent` (hidden unless its template says WS_VISIBLE).
    BOOL Create(UINT idTemplate, HWND parent);
    virtual BOOL DestroyWindow();
    void EndDialog(INT_PTR result);

    // Data exchange for the whole dialog; false when a value could not be taken.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    void SetDlgItemText(int id, const std::string& text) const {
        ::SetDlgItemTextA(m_hWnd, id, text.c_str());
    }
    std::string GetDlgItemText(int id) const;

    UINT m_nIDTemplate;
    HWND m_hParent;

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange*) {}
    virtual void OnOK();
    virtual void OnCancel();
    // Commands other than IDOK and IDCANCEL; return TRUE when handled.
    virtual BOOL OnCommand(WORD id, WORD code);
    // Every other message; return TRUE when handled (the result goes to DWLP_MSGRESULT).
    virtual BOOL OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

    bool m_bModal = false;

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT msg, WPARAM wp, LPARAM lp);
};

// The licence agreement page: agreement.txt from the working directory.
#pragma once

#include "framework/dialog.h"

#include <string>

class CAgreementDlg : public CDialog {
  public:
    explicit CAgreementDlg(HWND parent);

    CEdit m_edtText;
    std::string m_strText;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};

// The whole file read in binary; empty when it cannot be opened.
std::string ReadWholeFile(const char* path);

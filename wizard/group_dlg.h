// The program group and options page: group name, start with Windows, desktop icon.
#pragma once

#include "framework/dialog.h"

#include <string>

class CGroupDlg : public CDialog {
  public:
    explicit CGroupDlg(HWND parent);

    BOOL DestroyWindow() override;

    CEdit m_edtGroup;
    BOOL m_bAutoStart = FALSE;
    BOOL m_bDeskIcon = FALSE;
    std::string m_strGroupName;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};

// `text` without white space at either end; inner blanks stay.
std::string TrimBlanks(const std::string& text);
// The last path component of `folder`, lower-cased in the ANSI code page.
std::string LowerLastComponent(const std::string& folder);

// The welcome page: greeting and the version about to be installed.
#pragma once

#include "framework/dialog.h"

#include <string>

class CIntoDlg : public CDialog {
  public:
    explicit CIntoDlg(HWND parent);

    CStatic m_stcVersion;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
};

// The version line: `format` (the template's text, with %d, %02d, %02d and %s)
// filled with major, minor, build and "Beta <n>" (empty for beta 0).
std::string FormatVersionText(const std::string& format, int major, int minor, int build, int beta);

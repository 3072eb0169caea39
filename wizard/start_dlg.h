// The ready and finish page. It has no behaviour of its own: the frame drives
// its controls.
#pragma once

#include "framework/dialog.h"

class CStartDlg : public CDialog {
  public:
    explicit CStartDlg(HWND parent);
};

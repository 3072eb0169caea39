// The wizard frame: picture, Back/Next/Cancel, one page at a time.
#pragma once

#include "framework/dialog.h"

class CSetupDlg : public CDialog {
public:
    CSetupDlg();
};

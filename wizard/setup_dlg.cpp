#include "wizard/setup_dlg.h"

#include "res/resource.h"

// Placeholder until the wizard is built: the frame template alone.
CSetupDlg::CSetupDlg() : CDialog(IDD_SETUP_DIALOG) {}

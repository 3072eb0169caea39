// The wizard frame: picture, Back/Next/Cancel, one page at a time. It runs the
// installation itself from its ready page and then shows the finish state.
#pragma once

#include "framework/dialog.h"

#include <memory>
#include <string>

// Captions of Next and Cancel as the frame's template gives them, read when the
// frame initialises and used to restore them after the agreement page.
extern std::string strNextCaption;
extern std::string strCancelCaption;

class CSetupDlg : public CDialog {
  public:
    CSetupDlg();
    ~CSetupDlg() override;

    CButton m_btnCancel;
    CStatic m_stcPicture;
    CButton m_btnBack;
    CButton m_btnNext;
    int m_nPage = -1;
    std::unique_ptr<CDialog> m_pPage;
    std::string m_strTitle;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    BOOL OnCommand(WORD id, WORD code) override;

  private:
    void OnBack();
    // Next's steps; false when the current page refused to be left.
    bool Advance();
    void ShowPage(CDialog* page, UINT idTemplate);
    void PlacePage();
    void RunInstallation();
    void Finish();
};

// The install type and folder page: current user or all users, and the
// installation folder chosen with the shell's folder browser.
#pragma once

#include "framework/dialog.h"

#include <shlobj.h>
#include <string>

class CFolderDlg : public CDialog {
  public:
    explicit CFolderDlg(HWND parent);

    BOOL DestroyWindow() override;

    std::string m_strInfo;
    CStatic m_stcFolder;
    int m_nType = -1;

    // The shell's folder browser; tests may put a stand-in here that returns the
    // item list of a chosen folder (or null for a cancelled dialog).
    using BrowseFn = LPITEMIDLIST(WINAPI*)(LPBROWSEINFOA);
    static BrowseFn s_pfnBrowse;

    static int CALLBACK BrowseCallback(HWND hwnd, UINT msg, LPARAM lParam, LPARAM data);

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnCommand(WORD id, WORD code) override;

  private:
    void OnBrowse();
    void UpdateFolderInfo();
};

// Entries of `folder` other than "." and ".."; 0 when it cannot be listed.
int CountFolderEntries(const std::string& folder);
// `folder` and `name` with exactly one backslash between them (a drive root
// such as "C:\" already ends in one).
std::string JoinFolder(const std::string& folder, const std::string& name);
// The installation folder for a folder chosen in the browser: the folder itself
// when it holds the product or nothing, else its "Quillmark 6" subfolder.
std::string ChooseInstallFolder(const std::string& chosen);
// True when `folder` holds version 4 or 5 of the product.
bool HoldsOldGeneration(const std::string& folder);

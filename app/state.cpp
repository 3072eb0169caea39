#include "app/state.h"

BOOL bSilent = FALSE;
BOOL bDeskIcon = TRUE;
BOOL bAutoStart = FALSE;
BOOL bAllUsers = FALSE;
BOOL bRunAfter = FALSE;
BOOL bNewInstall = FALSE;

int nVerMajor = 0;
int nVerMinor = 0;
int nVerBuild = 0;
int nVerBeta = 0;

std::string m_strInstDir;
std::string m_strSrcDir;
std::string m_strGroup;

void ResetProgramState() {
    bSilent = FALSE;
    bDeskIcon = TRUE;
    bAutoStart = FALSE;
    bAllUsers = FALSE;
    bRunAfter = FALSE;
    bNewInstall = FALSE;
    nVerMajor = nVerMinor = nVerBuild = nVerBeta = 0;
    m_strInstDir.clear();
    m_strSrcDir.clear();
    m_strGroup.clear();
}

// The program-wide state of one run: flags from the command line and the
// wizard, the folders and the group the installation works with, and the
// version last read from a program file. Written only on the GUI thread.
#pragma once

#include <windows.h>
#include <string>

extern BOOL bSilent;
extern BOOL bDeskIcon;
extern BOOL bAutoStart;
extern BOOL bAllUsers;
extern BOOL bRunAfter;
extern BOOL bNewInstall;

extern int nVerMajor;
extern int nVerMinor;
extern int nVerBuild;
extern int nVerBeta;

extern std::string m_strInstDir;
extern std::string m_strSrcDir;
extern std::string m_strGroup;

// Puts every variable back to its initial value (for tests that run several
// installations in one process).
void ResetProgramState();

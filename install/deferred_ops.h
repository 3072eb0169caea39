// File operations carried out at the next restart.
#pragma once

#include <windows.h>
#include <string>

// The "rename" section of "WININIT.INI" is handled in one buffer of this size.
constexpr int kWininitSectionBuffer = 16384;

// True when the deletion was scheduled, by the system's list of pending operations
// or by the "rename" section of "WININIT.INI".
bool ScheduleDeleteOnReboot(const std::string& path);
void ScheduleRenameOnReboot(const std::string& source, const std::string& target);

// The delayed move asked of the system first; tests replace it to reach the
// "WININIT.INI" way, which the system never needs to take.
typedef BOOL(WINAPI* PFN_MOVEFILEEXA)(LPCSTR, LPCSTR, DWORD);
extern PFN_MOVEFILEEXA pfnDelayedMove;

// Copying the product's files from the package folder into the installation folder.
#pragma once

#include <windows.h>
#include <string>

typedef BOOL(WINAPI* PFN_ISWOW64PROCESS)(HANDLE, PBOOL);
// Looked up before the application object runs.
extern PFN_ISWOW64PROCESS pfnIsWow64Process;
PFN_ISWOW64PROCESS LookUpIsWow64Process();

bool RunningOnWow64();
void CopyManifestFiles(const std::string& manifestPath);
int CopyMatchingFiles(const std::string& pattern, const std::string& targetFolder,
                      const std::string& sourceFolder);
bool PlaceFile(const std::string& name, const std::string& sourceFolder,
               const std::string& targetFolder, const char* targetName);

// Creates `folder` with every missing parent; true when it exists afterwards.
bool CreateFolderChain(const std::string& folder);


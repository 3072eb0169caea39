; Peer installer for the benchmark: the same payload, an uninstaller, one
; registry entry for the list of installed programs and one shortcut, so that
; it does the same kinds of work as the program under test.
; makensis -DPAYLOAD=<folder> -DOUTFILE=<exe> [-DNOCOMPRESS] payload.nsi
Unicode true
!ifdef NOCOMPRESS
SetCompress off
!endif
Name "Bench Payload"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Bench Payload"
RequestExecutionLevel admin
ShowInstDetails nevershow
ShowUninstDetails nevershow

Page directory
Page instfiles
UninstPage instfiles

Section "Payload"
    SetOutPath "$INSTDIR"
    File /r "${PAYLOAD}/*.*"
    WriteUninstaller "$INSTDIR\uninst.exe"
    WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\BenchPayload" "DisplayName" "Bench Payload"
    WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\BenchPayload" "UninstallString" "$INSTDIR\uninst.exe"
    CreateShortCut "$SMPROGRAMS\Bench Payload.lnk" "$INSTDIR\uninst.exe"
SectionEnd

Section "Uninstall"
    Delete "$SMPROGRAMS\Bench Payload.lnk"
    DeleteRegKey HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\BenchPayload"
    RMDir /r "$INSTDIR"
SectionEnd

; The Korvex LCR installer: the program folder into Program Files, a Start-menu entry, an entry in
; "Apps and features", and an uninstaller that removes exactly what was installed.
; makensis -DSTAGE=<staged program folder> -DLISTS=<folder of files.nsh and remove.nsh> -DVERSION=1.01
;          -DOUTFILE=<installer> korvex-lcr.nsi
; A 64-bit installer for the 64-bit program: it runs wherever the program can, also where 32-bit programs
; cannot run (a Wine without its 32-bit part).
Target amd64-unicode
!include "MUI2.nsh"
!include "x64.nsh"

!define PRODUCT "Korvex LCR"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvexLCR"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define MUI_ICON "${STAGE}\korvex-lcr.ico"
!define MUI_UNICON "${STAGE}\korvex-lcr.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\korvex-lcr.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "${PRODUCT} needs 64-bit Windows."
    Abort
  ${EndIf}
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Install"
  SetShellVarContext all
  !include "${LISTS}\files.nsh"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\korvex-lcr.exe" "" "$INSTDIR\korvex-lcr.exe" 0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Korvex"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\korvex-lcr.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  !include "${LISTS}\remove.nsh"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; Only when empty: files a user put there stay.
  RMDir "$INSTDIR"
SectionEnd

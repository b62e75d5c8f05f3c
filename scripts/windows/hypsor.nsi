# SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer, built by scripts/package-windows with makensis -D: VERSION, FILES and
; UNFILES (the File and Delete lines of every file of the staged program), ICON, LICENSE,
; OUTFILE. A 64-bit installer for a 64-bit program.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Hypsor"
!define FILE_TYPE "Hypsor.Flight"

Name "Hypsor ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Hypsor"
InstallDirRegKey HKLM "Software\Hypsor" "InstallDir"
RequestExecutionLevel admin

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\bin\hypsor.exe"
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Polish"

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Hypsor"
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Hypsor"
  CreateShortcut "$SMPROGRAMS\Hypsor\Hypsor.lnk" "$INSTDIR\bin\hypsor.exe"
  CreateShortcut "$SMPROGRAMS\Hypsor\Hypsor - guide.lnk" "$INSTDIR\share\hypsor\doc\guide-en.html"
  CreateShortcut "$SMPROGRAMS\Hypsor\Hypsor - przewodnik.lnk" "$INSTDIR\share\hypsor\doc\guide-pl.html"
  CreateShortcut "$SMPROGRAMS\Hypsor\Hypsor - examples.lnk" "$INSTDIR\share\hypsor\examples"

  ; Flight files open in the program, with its icon.
  WriteRegStr HKLM "Software\Classes\.hyp" "" "${FILE_TYPE}"
  WriteRegStr HKLM "Software\Classes\${FILE_TYPE}" "" "Hypsor flight"
  WriteRegStr HKLM "Software\Classes\${FILE_TYPE}\DefaultIcon" "" "$INSTDIR\bin\hypsor.exe,0"
  WriteRegStr HKLM "Software\Classes\${FILE_TYPE}\shell\open\command" "" '"$INSTDIR\bin\hypsor.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  WriteRegStr HKLM "Software\Hypsor" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Hypsor"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Hypsor developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\bin\hypsor.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ; Exactly the files installed; folders only when nothing else was put in them.
  !include "${UNFILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Hypsor\Hypsor.lnk"
  Delete "$SMPROGRAMS\Hypsor\Hypsor - guide.lnk"
  Delete "$SMPROGRAMS\Hypsor\Hypsor - przewodnik.lnk"
  Delete "$SMPROGRAMS\Hypsor\Hypsor - examples.lnk"
  RMDir "$SMPROGRAMS\Hypsor"

  ; The association only while it is still ours.
  ReadRegStr $0 HKLM "Software\Classes\.hyp" ""
  StrCmp $0 "${FILE_TYPE}" 0 +2
    DeleteRegKey HKLM "Software\Classes\.hyp"
  DeleteRegKey HKLM "Software\Classes\${FILE_TYPE}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  DeleteRegKey HKLM "Software\Hypsor"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; The installer of Pernard for Windows, made by scripts/package-windows.sh with NSIS:
;   makensis -DVERSION=1.0.0 -DSTAGE=<the zip's folder> -DICON=<pernard.ico> -DOUTFILE=<setup.exe> pernard.nsi
; It installs for the current user only, without administrator rights, into
; %LOCALAPPDATA%\Programs\Pernard, adds a Start menu entry and an uninstaller, and registers
; the uninstaller with Windows' list of programs. The uninstaller removes exactly what was
; installed: the user's settings (HKCU\Software\Tesvel) and bookmark files stay.
; A 64-bit installer for a 64-bit program (it also runs where no 32-bit subsystem is installed).
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pernard"

Name "Pernard ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Pernard"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Pernard ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\pernard.exe"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE RefuseAForeignFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; A folder that holds files but no Pernard is someone else's: installing there would replace
; files of the same names, and uninstalling would take them.
Function RefuseAForeignFolder
  IfFileExists "$INSTDIR\pernard.exe" done
  FindFirst $0 $1 "$INSTDIR\*"
  loop:
    StrCmp $1 "" empty
    StrCmp $1 "." next
    StrCmp $1 ".." next
    FindClose $0
    MessageBox MB_OK|MB_ICONEXCLAMATION "このフォルダーにはほかのファイルがあります。空のフォルダーか、新しいフォルダーを選んでください。$\r$\n$INSTDIR"
    Abort
  next:
    FindNext $0 $1
    Goto loop
  empty:
    FindClose $0
  done:
FunctionEnd

Section "Pernard"
  SetOutPath "$INSTDIR"
  File "${STAGE}\pernard.exe"
  File "${STAGE}\pernard-cli.exe"
  File "${STAGE}\pernard.htm"
  File "${STAGE}\README-ja.txt"
  SetOutPath "$INSTDIR\licenses"
  File "${STAGE}\licenses\*.txt"
  SetOutPath "$INSTDIR\source"
  File "${STAGE}\source\*.tar.xz"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Pernard.lnk" "$INSTDIR\pernard.exe"
  CreateShortcut "$SMPROGRAMS\Pernard のアンインストール.lnk" "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Pernard"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The Pernard developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pernard.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ; Only what the installer put there, file by file (the list is made with the package): a file
  ; of the user's beside them stays, and so do the folders that still hold one.
  !include "${STAGE}.files.nsh"
  RMDir "$INSTDIR\licenses"
  RMDir "$INSTDIR\source"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Pernard.lnk"
  Delete "$SMPROGRAMS\Pernard のアンインストール.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; The Windows installer of Morvane. Built by the CMake target
; `windows-installer`, which stages the files and passes:
;   VERSION   the project's version
;   VERSION4  the same as four numbers, for the file's version resource
;   STAGE     the staged install tree (what the portable zip holds too)
;   FILES     the file list written from STAGE (macros MORVANE_INSTALL_FILES
;             and MORVANE_REMOVE_FILES)
;   ICON      the program's icon
;   OUTFILE   the installer to write
;
; The programs go into Program Files. Morvane keeps "Morvane.ini" and its
; spool file "Morvane.$$$" in its current folder, which Program Files is not
; for a user, so the Start menu shortcut starts it in %APPDATA%\Morvane. The
; uninstaller removes what was installed and leaves that folder's settings.
; Silent: /S (install), uninstall.exe /S (uninstall).

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT "Morvane"
!define PUBLISHER "The Morvane developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvane"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION4}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "${FILES}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The folder the program runs in: the installing user's, as is the shortcut.
!define DATA_DIR "$APPDATA\${PRODUCT}"

Section "Install"
  SetShellVarContext current
  !insertmacro MORVANE_INSTALL_FILES
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut's working folder is the output path at the moment it is made.
  CreateDirectory "${DATA_DIR}"
  SetOutPath "${DATA_DIR}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Morvane.exe" "" "$INSTDIR\Morvane.exe" 0 \
      SW_SHOWNORMAL "" "TI-99/4A printer emulator"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Morvane.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  !insertmacro MORVANE_REMOVE_FILES
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; Kept when the program has written its settings there; gone when unused.
  RMDir "${DATA_DIR}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

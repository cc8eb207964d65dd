; The suite's Windows setup. It installs, for every user of the machine, the
; wizard, its DLLs, the modem installer and its INF into Program Files\Ravelin,
; adds a Start-menu shortcut to the wizard and an uninstaller listed under Add
; or Remove Programs. /S installs (and, given to the uninstaller, removes)
; without asking anything.
;
;   makensis -DVERSION=<major.minor.patch> -DINPUT_DIR=<folder holding the files>
;            -DOUTPUT_FILE=<setup program to write> ravelin.nsi

!macro REQUIRE_DEFINE NAME
  !ifndef ${NAME}
    !error "Pass ${NAME} with -D${NAME}=... (see the head of ravelin.nsi)"
  !endif
!macroend
!insertmacro REQUIRE_DEFINE VERSION
!insertmacro REQUIRE_DEFINE INPUT_DIR
!insertmacro REQUIRE_DEFINE OUTPUT_FILE

!define PRODUCT "Ravelin"
!define PUBLISHER "Tavo"
!define WIZARD "RavelinWiz.exe"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; $SMPROGRAMS is the all-users Start menu once SetShellVarContext all has run.
!define SHORTCUT "$SMPROGRAMS\Tavo GPRS Wireless Modem Setup.lnk"
; Windows' ERROR_ELEVATION_REQUIRED, the exit code when run without the rights.
!define ERROR_ELEVATION_REQUIRED 740

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
Name "${PRODUCT} ${VERSION}"
OutFile "${OUTPUT_FILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

!include "LogicLib.nsh"
!include "MUI2.nsh"
!include "files.nsh"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) ${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}.0"

; Actions for RAVELIN_FILES (files.nsh).
!macro InstallFile NAME
  File "${INPUT_DIR}/${NAME}"
!macroend

!macro RemoveFile NAME
  Delete "$INSTDIR\${NAME}"
!macroend

; Adds the size in bytes of the installed file NAME to $0.
!macro AddFileSize NAME
  FileOpen $1 "$INSTDIR\${NAME}" r
  FileSeek $1 0 END $2
  FileClose $1
  IntOp $0 $0 + $2
!macroend

; Program Files and the machine's registry need an administrator; without one
; the setup stops before it changes anything.
!macro REQUIRE_ADMIN
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is set up for every user of this PC: run it as an administrator." /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
!macroend

Function .onInit
  SetShellVarContext all
  !insertmacro REQUIRE_ADMIN
FunctionEnd

Function un.onInit
  SetShellVarContext all
  !insertmacro REQUIRE_ADMIN
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  !insertmacro RAVELIN_FILES InstallFile
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortCut "${SHORTCUT}" "$INSTDIR\${WIZARD}"

  ; Add or Remove Programs shows the size in KB: that of the files installed here.
  StrCpy $0 0
  !insertmacro RAVELIN_FILES AddFileSize
  !insertmacro AddFileSize "${UNINSTALLER}"
  IntOp $0 $0 + 1023
  IntOp $0 $0 / 1024

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${WIZARD}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes exactly what the setup made. What the wizard made later (its profile,
; the modems it installed, dial-up entries) belongs to the user and stays.
; RMDir without /r leaves the folder when anything else is in it.
Section "Uninstall"
  !insertmacro RAVELIN_FILES RemoveFile
  Delete "$INSTDIR\${UNINSTALLER}"
  Delete "${SHORTCUT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  RMDir "$INSTDIR"
SectionEnd

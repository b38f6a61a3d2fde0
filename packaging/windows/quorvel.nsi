; The Windows installer: Quorvel with its Qt and its data folders in
; Program Files, a Start-menu entry, and an uninstaller listed under Windows'
; installed apps.
;
; makensis is given, with -D:
;   VERSION  the program's version, e.g. 1.1.3
;   STAGE    the folder laid out as the installed program folder
;   FILES    an include file with two macros that name every file of STAGE:
;            InstallFiles (File commands) and UninstallFiles (Delete and
;            RMDir commands), so the uninstaller removes exactly what was
;            installed and nothing the crew put there
;   OUTFILE  the installer to write
; make-installer.sh does all of that.

; A 64-bit installer, like the program: it runs where the program does, on
; 64-bit Windows (and on Wine without its 32-bit half), and sees the 64-bit
; Program Files and registry without redirection.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!macro Require NAME
  !ifndef ${NAME}
    !error "makensis needs -D${NAME}= (make-installer.sh passes it)"
  !endif
!macroend
!insertmacro Require VERSION
!insertmacro Require STAGE
!insertmacro Require FILES
!insertmacro Require OUTFILE

!define PRODUCT "Quorvel"
!define PUBLISHER "Dunmere Inc."
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "${FILES}"

Name "${PRODUCT} ${VERSION}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; Program Files is for every user of the laptop, so this takes an
; administrator; the races and settings live in each crew member's own
; folders, never here.
RequestExecutionLevel admin
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "MIT License, ${PUBLISHER}"

!define MUI_ABORTWARNING
; No "Run Quorvel" on the last page: started from here the program would run
; as the administrator who installed it, and keep that account's settings.
!insertmacro MUI_PAGE_WELCOME
; The licence asks nothing of the crew to use the program: shown, not agreed to.
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Quorvel may be used, copied and passed on under this licence."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The Start-menu entry is for every user of the laptop, like the program.
Function .onInit
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Quorvel" SecProgram
  SectionIn RO
  !insertmacro InstallFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\quorvel.exe" "" \
      "$INSTDIR\quorvel.exe" 0 SW_SHOWNORMAL "" "Fuel calculator for racing crews"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quorvel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  !insertmacro UninstallFiles
  Delete "$INSTDIR\uninstall.exe"
  ; Not /r: a folder that still holds something the crew put there stays,
  ; with that file in it.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

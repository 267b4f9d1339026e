; The Tesselog installer for 64-bit Windows, built by scripts/make-installer.sh:
;
;   makensis -DVERSION=2.16 -DTESSELOG_EXE=... -DDUMP_EXE=... [-DEXPORT_EXE=...]
;            -DICON=.../tesselog.ico -DSETTINGS_TEMPLATE=.../settings-default.ini
;            -DOUTFILE=... tesselog.nsi
;
; It installs the programs into Program Files, creates the two folders under
; C:\ProgramData\Brenvik that the program expects (it never creates the
; settings folder, so without it no setting is kept), creates a data folder
; that every user can write (Tesselog in the Public Documents,
; C:\Users\Public\Documents\Tesselog), writes the first settings file with
; that data folder when there is none yet (the program's own default is C:\,
; where a standard Windows account may not create files), adds a Start menu
; entry and an uninstaller. The uninstaller removes the programs and leaves the
; settings folder with TESSELWIN.INI and the data folder as they are.
;
; Silent use: "setup.exe /S", "uninstall.exe /S" (add "_?=<install folder>"
; to run the uninstaller in place and wait for it).

!macro RequireDefine NAME
  !ifndef ${NAME}
    !error "${NAME} is not defined: build the installer with scripts/make-installer.sh"
  !endif
!macroend
!insertmacro RequireDefine VERSION
!insertmacro RequireDefine TESSELOG_EXE
!insertmacro RequireDefine DUMP_EXE
!insertmacro RequireDefine ICON
!insertmacro RequireDefine OUTFILE
!insertmacro RequireDefine SETTINGS_TEMPLATE

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!define PRODUCT "Tesselog"
!define PUBLISHER "Brenvik"
; The program opens these fixed paths, whatever the machine's ProgramData is.
!define SETTINGS_DIR "C:\ProgramData\Brenvik\Tesselog"
!define TEMP_DIR "C:\ProgramData\Brenvik\Temp"
; With SetShellVarContext all, $DOCUMENTS is the Public Documents folder.
!define DATA_DIR "$DOCUMENTS\Tesselog"
!define SETTINGS_FILE "${SETTINGS_DIR}\TESSELWIN.INI"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PUBLISHER}\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

; The installer's own version resource (four numbers: 2.16 -> 2.16.0.0).
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!include "MUI2.nsh"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\tesselog.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Tesselog" SecProgram
  SectionIn RO
  SetShellVarContext all
  SetRegView 64

  SetOutPath "$INSTDIR"
  File "${TESSELOG_EXE}"
  File "${DUMP_EXE}"
!ifdef EXPORT_EXE
  File "${EXPORT_EXE}"
!endif
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${SETTINGS_DIR}"
  CreateDirectory "${TEMP_DIR}"
  ; The program runs as the operator, not as the administrator who installed
  ; it: let every user of the machine write the settings and the scratch files
  ; (S-1-5-32-545 is the Users group, whatever the system's language).
  nsExec::Exec '"$SYSDIR\icacls.exe" "C:\ProgramData\Brenvik" /grant *S-1-5-32-545:(OI)(CI)M /T /Q'
  Pop $0

  CreateDirectory "${DATA_DIR}"
  nsExec::Exec '"$SYSDIR\icacls.exe" "${DATA_DIR}" /grant *S-1-5-32-545:(OI)(CI)M /T /Q'
  Pop $0
  IfFileExists "${SETTINGS_FILE}" +2
    Call WriteFirstSettings

  ; The program creates WYNIKBAD.TXT in its working folder, which must be
  ; writable: the settings folder, not Program Files.
  SetOutPath "${SETTINGS_DIR}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\tesselog.exe" "" "$INSTDIR\tesselog.exe" 0
  SetOutPath "$INSTDIR"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tesselog.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The program's default settings file (79 lines, CR LF) with line 2, the
; data folder, set to DATA_DIR. Every other line is copied byte for byte.
Function WriteFirstSettings
  InitPluginsDir
  File "/oname=$PLUGINSDIR\defaults.ini" "${SETTINGS_TEMPLATE}"
  FileOpen $0 "$PLUGINSDIR\defaults.ini" r
  FileOpen $1 "${SETTINGS_FILE}" w
  StrCpy $3 0
  ClearErrors
  next_line:
    FileRead $0 $2
    IfErrors done
    IntOp $3 $3 + 1
    StrCmp $3 2 0 +3
      FileWrite $1 "${DATA_DIR}\$\r$\n"
      Goto next_line
    FileWrite $1 $2
    Goto next_line
  done:
  FileClose $1
  FileClose $0
FunctionEnd

; Removes what the installer put in Program Files and the Start menu. The
; settings folder and the data folder are left whole: a reinstall finds the
; operator's settings, and the surveys stay.
; The scratch folder goes only when the program left nothing in it.
Section "Uninstall"
  SetShellVarContext all
  SetRegView 64

  Delete "${SHORTCUT}"
  Delete "$INSTDIR\tesselog.exe"
  Delete "$INSTDIR\tesselog-dump.exe"
  Delete "$INSTDIR\tesselog-export.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES64\${PUBLISHER}"
  RMDir "${TEMP_DIR}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; The Windows installer: the staged program tree (quietbell.exe, its DLLs and plugins, Data\)
; under Program Files, a Start-menu entry, the per-user autostart value and an uninstaller
; that Add/Remove Programs lists. Built by the `installer` target (cmake/WindowsInstaller.cmake):
;   makensis /DVERSION=1.01 /DSTAGE=<staged tree> /DFILELIST=<file list> /DOUTFILE=<setup.exe>
;            [/DICON=<the program's .ico>]
; FILELIST names every staged file and folder for the uninstaller, so that it removes what
; this installer put there and nothing a user added to the folder.
;
; A running copy keeps its DLLs and Data folder open: replacing or removing them under it would
; leave it with a mix of versions, or none. So both the installer and the uninstaller look for
; the program's single-instance mutex first; if it exists they ask the user to end the program
; from its tray menu (Retry/Cancel), and in silent mode they end at once with exit code 2,
; changing nothing.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!ifndef VERSION | STAGE | FILELIST | OUTFILE
  !error "VERSION, STAGE, FILELIST and OUTFILE must be defined"
!endif

!define PRODUCT "Quietbell"
!define PUBLISHER "Brindlewax"
!define EXE "quietbell.exe"
!define MUTEX "com.brindlewax.mirel.Singlton.V1.0"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define EXIT_PROGRAM_RUNNING 2

!include "MUI2.nsh"
!include "LogicLib.nsh"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ABORTWARNING
!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Waits until no copy of the program runs: the user ends it and retries, or cancels. Silent
; runs cannot ask and end with EXIT_PROGRAM_RUNNING.
!macro WAIT_FOR_PROGRAM_END
  ${Do}
    ; SYNCHRONIZE access is enough to see whether the mutex exists.
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${MUTEX}") p .r0'
    ${If} $0 P= 0
      ${Break}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    ${If} ${Silent}
      SetErrorLevel ${EXIT_PROGRAM_RUNNING}
      Quit
    ${EndIf}
    ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is running. End it with Exit in its tray menu, then choose Retry." /SD IDCANCEL IDCANCEL`
      SetErrorLevel ${EXIT_PROGRAM_RUNNING}
      Quit
    ${EndIf}
  ${Loop}
!macroend

Function .onInit
  SetRegView 64
  !insertmacro WAIT_FOR_PROGRAM_END
FunctionEnd

Section "Program"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}/*"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
  SetShellVarContext current
  ; Starts with the user's session; the user switches it off by removing the value.
  WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\${EXE}"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\${EXE}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetRegView 64
  !insertmacro WAIT_FOR_PROGRAM_END
FunctionEnd

; The user's preferences (HKCU\Software\Brindlewax\quietbell) stay for a later install.
Section "Uninstall"
  !include "${FILELIST}"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only if empty: whatever the user put in the folder stays.
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  SetShellVarContext current
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

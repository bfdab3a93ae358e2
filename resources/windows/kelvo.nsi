; Kelvo's installer: a per-user install without administrator rights.
; makensis -DVERSION=x.y.z -DPACKAGE=<folder of the zip> -DFILES=<list of its files, .nsh>
;          -DOUTFILE=<setup.exe> kelvo.nsi
; Switches: /S silent, /AUTOSTART start at log-in, /D=<folder> (last).
; The uninstaller: /S silent (keeps the settings), /REMOVESETTINGS removes them as well.

; Debian's Wine runs 64-bit programs only, and the texts need Unicode.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma

!ifndef VERSION | PACKAGE | FILES | OUTFILE
  !error "VERSION, PACKAGE, FILES and OUTFILE must be defined"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelvo"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Task Manager's mark of a Run value switched off, as kelvo --autostart handles it.
!define APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"
!define PUBLISHER "Kelvo developers"

Name "Kelvo"
BrandingText "Kelvo ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
; The settings file beside kelvo.exe needs a folder the user can write.
InstallDir "$LOCALAPPDATA\Programs\Kelvo"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Kelvo"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "Kelvo setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

!define MUI_ICON "${__FILEDIR__}\kelvo.ico"
!define MUI_UNICON "${__FILEDIR__}\kelvo.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\kelvo.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString SecProgram ${LANG_ENGLISH} "Kelvo"
LangString SecProgram ${LANG_JAPANESE} "Kelvo"
LangString SecAutostart ${LANG_ENGLISH} "Start at log-in"
LangString SecAutostart ${LANG_JAPANESE} "ログイン時に起動する"
LangString KelvoRunning ${LANG_ENGLISH} "Kelvo is running. It will save its settings and close now."
LangString KelvoRunning ${LANG_JAPANESE} "Kelvo が起動しています。設定を保存してから終了します。"
LangString KelvoStays ${LANG_ENGLISH} "Kelvo could not be closed. Close it from its tray menu, then choose Retry."
LangString KelvoStays ${LANG_JAPANESE} "Kelvo を終了できませんでした。タスクトレイのメニューから Kelvo を終了してから「再試行」を押してください。"
LangString KeepSettings ${LANG_ENGLISH} "Keep your Kelvo settings (kelvo.ini) for a later installation?$\r$\n$\r$\nNo removes them."
LangString KeepSettings ${LANG_JAPANESE} "Kelvo の設定 (kelvo.ini) を残しますか？$\r$\n$\r$\n「いいえ」を選ぶと設定も削除します。"

; ---- Shared by the installer and the uninstaller -------------------------------------------

!macro KelvoHelpers un
; $0 = 1 while a Kelvo runs: it holds the mutex "KELVO_EXE" for its whole life.
Function ${un}KelvoRunning
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "KELVO_EXE") p.r0'
  ${If} $0 != 0
    System::Call 'kernel32::CloseHandle(p r0)'
    StrCpy $0 1
  ${EndIf}
FunctionEnd

; $0 = 1 while a Kelvo runs, polled for up to $1 quarter-seconds.
Function ${un}WaitForKelvo
  ${Do}
    Call ${un}KelvoRunning
    ${If} $0 == 0
    ${OrIf} $1 <= 0
      Return
    ${EndIf}
    Sleep 250
    IntOp $1 $1 - 1
  ${Loop}
FunctionEnd

; kelvo.exe cannot be replaced or deleted while it runs. A close request first (taskkill without
; /F posts WM_CLOSE, and Kelvo saves its settings on close); the forced end only when that is
; not answered.
Function ${un}CloseKelvo
  Call ${un}KelvoRunning
  ${If} $0 == 0
    Return
  ${EndIf}
  MessageBox MB_OKCANCEL|MB_ICONINFORMATION "$(KelvoRunning)" /SD IDOK IDOK close
  Abort
close:
  nsExec::Exec '"$SYSDIR\taskkill.exe" /IM kelvo.exe'
  Pop $0
  StrCpy $1 40
  Call ${un}WaitForKelvo
  ${If} $0 == 1
    nsExec::Exec '"$SYSDIR\taskkill.exe" /F /IM kelvo.exe'
    Pop $0
    StrCpy $1 20
    Call ${un}WaitForKelvo
  ${EndIf}
  ${If} $0 == 1
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(KelvoStays)" /SD IDCANCEL IDRETRY close
    Abort
  ${EndIf}
FunctionEnd

; The Run value is removed only when it starts this copy: another copy's start at log-in
; (a zip unpacked elsewhere) is that copy's business.
Function ${un}RemoveOwnRunValue
  ReadRegStr $0 HKCU "${RUN_KEY}" "Kelvo"
  ${If} $0 == '"$INSTDIR\kelvo.exe"'
  ${OrIf} $0 == "$INSTDIR\kelvo.exe"
    DeleteRegValue HKCU "${RUN_KEY}" "Kelvo"
    DeleteRegValue HKCU "${APPROVED_KEY}" "Kelvo"
  ${EndIf}
FunctionEnd
!macroend

!insertmacro KelvoHelpers ""
!insertmacro KelvoHelpers "un."

; ---- Installer ------------------------------------------------------------------------------

Section "$(SecProgram)" SecProgram
  SectionIn RO
  Call CloseKelvo
  SetOutPath "$INSTDIR"
  File /r "${PACKAGE}/*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Kelvo.lnk" "$INSTDIR\kelvo.exe" "" "$INSTDIR\kelvo.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Kelvo"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kelvo.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "$(SecAutostart)" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "Kelvo" '"$INSTDIR\kelvo.exe"'
  DeleteRegValue HKCU "${APPROVED_KEY}" "Kelvo"
SectionEnd

; Unticked: this copy no longer starts at log-in.
Section "-NoAutostart"
  ${IfNot} ${SectionIsSelected} ${SecAutostart}
    Call RemoveOwnRunValue
  ${EndIf}
SectionEnd

Function .onInit
  ; An installed copy that starts at log-in keeps doing so unless the user unticks it.
  ReadRegStr $0 HKCU "${RUN_KEY}" "Kelvo"
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/AUTOSTART" $2
  ${IfNot} ${Errors}
  ${OrIf} $0 == '"$INSTDIR\kelvo.exe"'
    !insertmacro SelectSection ${SecAutostart}
  ${EndIf}
FunctionEnd

; ---- Uninstaller ----------------------------------------------------------------------------

Section "Uninstall"
  Call un.CloseKelvo

  ; Never lose the settings without asking: a silent removal keeps them unless told otherwise.
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/REMOVESETTINGS" $2
  ${If} ${Errors}
    MessageBox MB_YESNO|MB_ICONQUESTION "$(KeepSettings)" /SD IDYES IDYES kept
  ${EndIf}
  Delete "$INSTDIR\kelvo.ini"
  Delete "$APPDATA\kelvo\kelvo.ini"
  RMDir "$APPDATA\kelvo"
kept:

  Call un.RemoveOwnRunValue
  Delete "$SMPROGRAMS\Kelvo.lnk"
  ; File by file: the folder may have been one the user chose, with files of their own in it.
  !include "${FILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

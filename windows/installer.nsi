; quillmorph's installer: for the user who runs it, without administrator rights, into
; %LOCALAPPDATA%\Programs\quillmorph. Built by windows/installer.sh, which passes
;   VERSION  the project's version          STAGE    the portable zip's folder
;   ICON     quillmorph.ico                 PANEL    the welcome and finish pages' picture
;   OUTFILE  the setup.exe to write
;   FILES    the File lines of STAGE        UNFILES  the Delete and RMDir lines of the same files
;   SIZE_KB  what STAGE holds, in KiB
; Switches: /S silent, /D=DIR another folder; /S /EXPLORERMENU also adds the Explorer action.
Unicode true
; A 64-bit installer for a 64-bit program: it also runs where Windows (or Wine) has no 32-bit side.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\quillmorph"
!define PROGRAM "$INSTDIR\quillmorph.exe"

Name "quillmorph"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\quillmorph"
; An installed copy is updated where it is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "quillmorph ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "quillmorph"
VIAddVersionKey /LANG=0 "FileDescription" "quillmorph setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "quillmorph"
VIAddVersionKey /LANG=0 "LegalCopyright" "quillmorph's authors"

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEFINISHPAGE_BITMAP "${PANEL}"
!define MUI_WELCOMEPAGE_TEXT "$(Welcome)"
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "${PROGRAM}"
!define MUI_FINISHPAGE_SHOWREADME ""
!define MUI_FINISHPAGE_SHOWREADME_TEXT "$(ExplorerMenu)"
; Explorer's menu changes for every file the user right-clicks: only when asked for.
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION AddExplorerMenu
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; English first: what a system in any language but Japanese gets.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString Welcome ${LANG_ENGLISH} "Setup will install quillmorph for you alone, in your own folders: no administrator rights are needed.$\r$\n$\r$\nIt adds quillmorph to the Start menu and to Send to, and it can be removed again in Apps and Features; your settings and pictures stay.$\r$\n$\r$\n$_CLICK"
LangString Welcome ${LANG_JAPANESE} "quillmorph をこのユーザーのフォルダーにインストールします。管理者の権限は要りません。$\r$\n$\r$\nスタートメニューと「送る」に quillmorph を追加します。「アプリと機能」から削除でき、設定と画像はそのまま残ります。$\r$\n$\r$\n$_CLICK"
; The entry as the program names it in each language.
LangString ExplorerMenu ${LANG_ENGLISH} "Add $\"Convert with quillmorph$\" to Explorer's$\r$\nright-click menu"
LangString ExplorerMenu ${LANG_JAPANESE} "エクスプローラーの右クリックメニューに$\r$\n「quillmorph で変換」を加える"
LangString ProgramRunning ${LANG_ENGLISH} "quillmorph is running. Close its window (and the command-line tool), then choose Retry."
LangString ProgramRunning ${LANG_JAPANESE} "quillmorph が動いています。ウィンドウ (とコマンドラインのツール) を閉じてから「再試行」を選んでください。"
LangString DesktopShortcut ${LANG_ENGLISH} "Shortcut on the Desktop"
LangString DesktopShortcut ${LANG_JAPANESE} "デスクトップのショートカット"

; A running program cannot be replaced or removed (Windows holds its file open): the user is
; asked to close it; a silent run ends with status 2 and changes nothing.
!macro FileInUse file
  ${If} ${FileExists} "$INSTDIR\${file}"
    ClearErrors
    FileOpen $0 "$INSTDIR\${file}" a
    ${If} ${Errors}
      StrCpy $1 "in use"
    ${Else}
      FileClose $0
    ${EndIf}
  ${EndIf}
!macroend
!macro ProgramsClosed un
Function ${un}ProgramsClosed
  retry:
  StrCpy $1 ""
  !insertmacro FileInUse quillmorph.exe
  !insertmacro FileInUse quillmorph-cli.exe
  ${If} $1 != ""
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(ProgramRunning)" /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd
!macroend
!insertmacro ProgramsClosed ""
!insertmacro ProgramsClosed "un."

; The uninstaller's own list of what this version installed.
Function un.RemoveProgramFiles
  !include "${UNFILES}"
FunctionEnd

Function AddExplorerMenu
  ; The program says itself, in its own box, when it cannot.
  ExecWait '"${PROGRAM}" --install-explorer-action --quiet'
FunctionEnd

; The Explorer checkbox gets the two lines its text takes in either language.
Function FinishShow
  System::Call '*(i 0, i 0, i 0, i 0) p .r1'
  System::Call 'user32::GetWindowRect(p $mui.FinishPage.ShowReadme, p r1)'
  System::Call 'user32::MapWindowPoints(p 0, p $mui.FinishPage, p r1, i 2)'
  System::Call '*$1(i .r2, i .r3, i .r4, i .r5)'
  System::Free $1
  IntOp $4 $4 - $2
  IntOp $5 $5 - $3
  IntOp $5 $5 * 2
  System::Call 'user32::SetWindowPos(p $mui.FinishPage.ShowReadme, p 0, i 0, i 0, i r4, i r5, i 0x16)'
FunctionEnd

Section "quillmorph" SecProgram
  SectionIn RO
  Call ProgramsClosed
  ; Over an older install: its own uninstaller takes away the files it put here (and nothing
  ; else: shortcuts, the Explorer action and the settings stay), then this version's go in.
  ${If} ${FileExists} "$INSTDIR\uninstall.exe"
    ExecWait '"$INSTDIR\uninstall.exe" /S /UPDATE _?=$INSTDIR'
  ${EndIf}
  ; Removed again by the uninstaller only when this installer made it.
  ${GetParent} "$INSTDIR" $0
  ${IfNot} ${FileExists} "$0\*.*"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "CreatedFolder" "$0"
  ${EndIf}
  !include "${FILES}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\quillmorph.lnk" "${PROGRAM}"
  ; 送る: Explorer starts the target with the selected files as its arguments.
  CreateShortcut "$SENDTO\quillmorph.lnk" "${PROGRAM}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "quillmorph"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "quillmorph"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "${PROGRAM},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1

  ${If} ${Silent}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/EXPLORERMENU" $1
    ${IfNot} ${Errors}
      Call AddExplorerMenu
    ${EndIf}
  ${EndIf}
SectionEnd

; On by default: pictures dropped on it are converted, the way such a tool is mostly used.
Section "$(DesktopShortcut)" SecDesktop
  SetOutPath "$INSTDIR"
  CreateShortcut "$DESKTOP\quillmorph.lnk" "${PROGRAM}"
SectionEnd

Section "Uninstall"
  Call un.ProgramsClosed
  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/UPDATE" $1
  ${IfNot} ${Errors}
    Call un.RemoveProgramFiles
    Return
  ${EndIf}
  ; The program knows which keys its Explorer action wrote; it goes first, while it is there.
  ; Started only when the action is there (the key the program itself looks for), so that an
  ; uninstall without it shows nothing of the program's.
  ClearErrors
  EnumRegKey $0 HKCU "Software\Classes\Directory\shell\quillmorph" 0
  ${IfNot} ${Errors}
    ExecWait '"${PROGRAM}" --remove-explorer-action --quiet'
  ${EndIf}
  Delete "$SMPROGRAMS\quillmorph.lnk"
  Delete "$SENDTO\quillmorph.lnk"
  Delete "$DESKTOP\quillmorph.lnk"
  Call un.RemoveProgramFiles
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: a quillmorph.ini the user put beside the program stays, and its folder.
  RMDir "$INSTDIR"
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "CreatedFolder"
  ${If} $0 != ""
    RMDir "$0"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; The Windows installer of Pix_Rn. scripts/release builds it with makensis:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DPIX_EXE=... -DHELP_EXE=...
;            -DDEFAULT_JPG=... -DOUTFILE=... installer/Pix_Rn.nsi
;
; It installs Pix_Rn.exe and help\Hlp_Vw.exe into the chosen folder, and
; optionally a shortcut in the user's Startup folder so that the picture
; changes at every log-on. The program itself runs without elevation, so the
; installer prepares the two files it writes: C:\Windows\Pix_Rn.jpg (made from
; a picture shipped here when missing) and Pix_rn.dat beside the program
; (the four default lines when missing), and grants the Users group the
; right to modify those two files, and nothing else.
;
; The uninstaller removes what the installer put there. It asks before it
; removes Pix_rn.dat, the user's settings; a silent uninstall (/S) keeps
; them unless /REMOVESETTINGS is given.

Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "pass the version: -DVERSION=x.y.z (the project's VERSION in CMakeLists.txt)"
!endif
!ifndef VERSION_QUAD
  !define VERSION_QUAD "${VERSION}.0"
!endif
!ifndef PIX_EXE | HELP_EXE | DEFAULT_JPG | OUTFILE
  !error "pass -DPIX_EXE, -DHELP_EXE, -DDEFAULT_JPG and -DOUTFILE (scripts/release does)"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pix_Rn"
!define USERS_SID "*S-1-5-32-545"

Name "Pix_Rn"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Pix_Rn"
BrandingText "Pix_Rn ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=0 "ProductName" "Pix_Rn"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Pix_Rn setup"
VIAddVersionKey /LANG=0 "CompanyName" "The Pix_Rn developers"
VIAddVersionKey /LANG=0 "LegalCopyright" "The Pix_Rn developers"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

; makensis works in this folder.
!define MUI_ICON "../skin/art/MAINICON.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The program speaks Russian; the installer follows the system's language
; where it is one of these two.
!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "English"

LangString NameProgram ${LANG_RUSSIAN} "Pix_Rn (программа и справка)"
LangString NameProgram ${LANG_ENGLISH} "Pix_Rn (program and help)"
LangString NameStartup ${LANG_RUSSIAN} "Запуск при входе в систему"
LangString NameStartup ${LANG_ENGLISH} "Start at log-on"
LangString DescProgram ${LANG_RUSSIAN} "Pix_Rn.exe, справка help\Hlp_Vw.exe, файл настроек Pix_rn.dat и картинка C:\Windows\Pix_Rn.jpg."
LangString DescProgram ${LANG_ENGLISH} "Pix_Rn.exe, the help help\Hlp_Vw.exe, the settings file Pix_rn.dat and the picture C:\Windows\Pix_Rn.jpg."
LangString DescStartup ${LANG_RUSSIAN} "Ярлык в папке автозагрузки: картинка меняется при каждом входе в систему."
LangString DescStartup ${LANG_ENGLISH} "A shortcut in the Startup folder: the picture changes at every log-on."
LangString GrantFailed ${LANG_RUSSIAN} "Не удалось дать группе «Пользователи» право изменять файл"
LangString GrantFailed ${LANG_ENGLISH} "Could not grant the Users group the right to modify"
LangString AskRemoveSettings ${LANG_RUSSIAN} "Удалить и файл настроек Pix_rn.dat (папка с картинками, задержка, режим)?"
LangString AskRemoveSettings ${LANG_ENGLISH} "Remove the settings file Pix_rn.dat too (picture folder, delay, mode)?"

; Lets the users group modify one file (the program runs unelevated).
!macro GrantUsersModify FILE
  nsExec::ExecToLog '"$SYSDIR\icacls.exe" "${FILE}" /grant ${USERS_SID}:M'
  Pop $0
  ${If} $0 != 0
    DetailPrint "$(GrantFailed): ${FILE} ($0)"
  ${EndIf}
!macroend

Section "$(NameProgram)" SecProgram
  SectionIn RO

  SetOutPath "$INSTDIR"
  File "/oname=Pix_Rn.exe" "${PIX_EXE}"
  SetOutPath "$INSTDIR\help"
  File "/oname=Hlp_Vw.exe" "${HELP_EXE}"
  SetOutPath "$INSTDIR"

  ; The settings are the user's: an existing file is kept as it is.
  ${IfNot} ${FileExists} "$INSTDIR\Pix_rn.dat"
    ; The picture folder ends with its separator; a drive root has it already.
    StrCpy $1 "$INSTDIR" 1 -1
    ${If} $1 == "\"
      StrCpy $1 "$INSTDIR"
    ${Else}
      StrCpy $1 "$INSTDIR\"
    ${EndIf}
    ClearErrors
    FileOpen $0 "$INSTDIR\Pix_rn.dat" w
    ${If} ${Errors}
      Abort "Pix_rn.dat"
    ${EndIf}
    ; FileWrite writes the ANSI code page, as the program reads the file.
    FileWrite $0 "$1$\r$\n0$\r$\n0$\r$\n-1$\r$\n"
    FileClose $0
  ${EndIf}
  !insertmacro GrantUsersModify "$INSTDIR\Pix_rn.dat"

  ; The program replaces this picture; an existing one is kept.
  ${IfNot} ${FileExists} "$WINDIR\Pix_Rn.jpg"
    SetOutPath "$WINDIR"
    File "/oname=Pix_Rn.jpg" "${DEFAULT_JPG}"
    SetOutPath "$INSTDIR"
  ${EndIf}
  !insertmacro GrantUsersModify "$WINDIR\Pix_Rn.jpg"

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Pix_Rn"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
SectionEnd

Section "$(NameStartup)" SecStartup
  ; The shortcut starts the program in its own folder.
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMSTARTUP\Pix_Rn.lnk" "$INSTDIR\Pix_Rn.exe" "" "$INSTDIR\Pix_Rn.exe" 0 SW_SHOWNORMAL
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} $(DescProgram)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecStartup} $(DescStartup)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Section "Uninstall"
  Delete "$SMSTARTUP\Pix_Rn.lnk"
  Delete "$INSTDIR\Pix_Rn.exe"
  Delete "$INSTDIR\help\Hlp_Vw.exe"
  RMDir "$INSTDIR\help"
  Delete "$WINDIR\Pix_Rn.jpg"

  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    Delete "$INSTDIR\Pix_rn.dat"
  ${ElseIf} ${FileExists} "$INSTDIR\Pix_rn.dat"
    ; Silent: keep them.
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(AskRemoveSettings)" /SD IDNO IDNO keep_settings
    Delete "$INSTDIR\Pix_rn.dat"
    keep_settings:
  ${EndIf}

  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: whatever else the user put there stays.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

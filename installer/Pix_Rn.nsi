; The Windows installer of Pix_Rn. scripts/release builds it with makensis:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DPIX_EXE=... -DHELP_EXE=...
;            -DDEFAULT_JPG=... -DOUTFILE=... installer/Pix_Rn.nsi
;
; A 64-bit installer for the 64-bit program. It installs Pix_Rn.exe and
; help\Hlp_Vw.exe into the chosen folder (Program Files by default), and
; optionally a shortcut in the user's Startup folder so that the picture
; changes at every log-on. The folder gets rights of its own, inheriting
; nothing from where it stands: Administrators and SYSTEM full control, the
; Users group read and execute, for the folder and all it holds. Windows
; hands such rights down to whatever a folder holds already, so an existing
; folder is taken only when it holds nothing but the installer's own files
; (an earlier installation, or the settings a silent uninstall kept). A
; folder that is a junction or a symbolic link, or lies behind one, is
; refused, and so is a link among the files the installer writes in place
; or gives rights to.
; The program itself runs without elevation, so the installer prepares the
; two files it writes: C:\Windows\Pix_Rn.jpg (made from a picture shipped
; here when missing) and Pix_rn.dat beside the program (the four default
; lines when missing), and lets the Users group read and write those two
; files in place, without the right to delete them or to change their
; rights, and nothing else.
;
; An earlier 32-bit installation (its uninstall entry in the 32-bit registry
; view) is taken over: its Pix_rn.dat moves into the new folder unless one
; is there already, the Startup shortcut is pointed at the new program, and
; its programs, its uninstall entry and its folder, once empty, go.
;
; The uninstaller removes what the installer put there. It asks before it
; removes Pix_rn.dat, the user's settings; a silent uninstall (/S) keeps
; them unless /REMOVESETTINGS is given.

Target amd64-unicode
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

; The rights, as SDDL with well-known SIDs (names differ between languages):
; Administrators own everything installed; SYSTEM and Administrators have
; full control (FA), Users read and execute (0x1200a9: icacls RX). Each DACL
; is protected, so nothing from the parent folder is inherited.
!define ADMINS_SID "S-1-5-32-544"
!define SYSTEM_SID "S-1-5-18"
!define USERS_SID "S-1-5-32-545"
!define OWNER_SDDL "O:${ADMINS_SID}D:P"
; The install folder and its help folder: inherited by all they hold.
!define FOLDER_SDDL "${OWNER_SDDL}(A;OICI;FA;;;${SYSTEM_SID})(A;OICI;FA;;;${ADMINS_SID})(A;OICI;0x1200a9;;;${USERS_SID})"
; A file installed there, which may have been in the folder before.
!define PROGRAM_FILE_SDDL "${OWNER_SDDL}(A;;FA;;;${SYSTEM_SID})(A;;FA;;;${ADMINS_SID})(A;;0x1200a9;;;${USERS_SID})"
; Pix_Rn.jpg and Pix_rn.dat, which the program opens for GENERIC_WRITE: for
; a file that is FILE_GENERIC_WRITE (0x120116: write and append data, write
; attributes and extended attributes, read control, synchronize), every bit
; of which the open needs. With FILE_GENERIC_READ, 0x12019f (icacls (R,W)):
; no DELETE, no WRITE_DAC, no WRITE_OWNER, so that no user can delete a file
; that no user could create again, nor take it over.
!define WRITABLE_FILE_SDDL "${OWNER_SDDL}(A;;FA;;;${SYSTEM_SID})(A;;FA;;;${ADMINS_SID})(A;;0x12019f;;;${USERS_SID})"
; FILE_ATTRIBUTE_REPARSE_POINT: a junction, a symbolic link, a mounted volume.
!define REPARSE_POINT 0x400
!define DIRECTORY 0x10

Name "Pix_Rn"
OutFile "${OUTFILE}"
!define DEFAULT_DIR "$PROGRAMFILES64\Pix_Rn"
InstallDir "${DEFAULT_DIR}"
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
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
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
LangString SecureFailed ${LANG_RUSSIAN} "Не удалось задать права доступа к $R0 (ошибка $R1). Установка прервана."
LangString SecureFailed ${LANG_ENGLISH} "Could not set the access rights of $R0 (error $R1). The installation stops."
LangString FolderIsLink ${LANG_RUSSIAN} "$R0 — точка соединения или символическая ссылка. Pix_Rn не устанавливается в папку, которая сама является ссылкой или находится за ней: выберите другую папку."
LangString FolderIsLink ${LANG_ENGLISH} "$R0 is a junction or a symbolic link. Pix_Rn is not installed into a folder that is a link or lies behind one: choose another folder."
LangString FolderNotOwn ${LANG_RUSSIAN} "Папка $R0 уже существует, и в ней есть не только файлы Pix_Rn. Pix_Rn устанавливается только в новую или пустую папку либо поверх своей прежней установки и не меняет чужих папок: выберите другую папку."
LangString FolderNotOwn ${LANG_ENGLISH} "The folder $R0 already exists and holds more than Pix_Rn's own files. Pix_Rn is installed only into a new or empty folder, or over an earlier installation of its own, and changes no one else's folder: choose another folder."
LangString FileIsLink ${LANG_RUSSIAN} "$R0 — ссылка: точка соединения, символическая ссылка или одно из нескольких имён одного файла (жёсткая ссылка). Pix_Rn не меняет файлы через ссылки: сначала удалите ссылку."
LangString FileIsLink ${LANG_ENGLISH} "$R0 is a link: a junction, a symbolic link, or one of several names of one file (a hard link). Pix_Rn changes no file through a link: remove the link first."
LangString AskRemoveSettings ${LANG_RUSSIAN} "Удалить и файл настроек Pix_rn.dat (папка с картинками, задержка, режим)?"
LangString AskRemoveSettings ${LANG_ENGLISH} "Remove the settings file Pix_rn.dat too (picture folder, delay, mode)?"

; The first folder of a path, from the path itself up to its drive, that
; exists and is a reparse point: what the path would lead through to
; somewhere else. Push PATH, Call, Pop: that folder, or "" when there is
; none.
Function FindLink
  Exch $R0
  Push $R1
  Push $R2
  System::Call 'kernel32::GetFullPathNameW(w R0, i ${NSIS_MAX_STRLEN}, w .R1, p 0) i .R2'
  ${If} $R2 > 0
    StrCpy $R0 $R1
  ${EndIf}
  ${Do}
    System::Call 'kernel32::GetFileAttributesW(w R0) i .R1'
    ${If} $R1 != -1
      IntOp $R1 $R1 & ${REPARSE_POINT}
      ${If} $R1 != 0
        ${Break}
      ${EndIf}
    ${EndIf}
    ; A drive ("C:") is where the path starts, not a folder on it.
    ${GetParent} $R0 $R1
    StrLen $R2 $R1
    ${If} $R2 <= 2
    ${OrIf} $R1 == $R0
      StrCpy $R0 ""
      ${Break}
    ${EndIf}
    StrCpy $R0 $R1
  ${Loop}
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

; Refuses a folder that is a link or lies behind one: a message, and the
; installation stops with error level 2 before anything is put there.
!macro RefuseLink PATH
  Push "${PATH}"
  Call FindLink
  Pop $R0
  ${If} $R0 != ""
    MessageBox MB_OK|MB_ICONSTOP "$(FolderIsLink)" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
!macroend

; 1 when a file or folder is a link, through which a write or new rights
; would reach what is not the installer's: a reparse point, or a file with
; more names than one (a hard link). 0 for what is not there. Push PATH,
; Call, Pop.
Function IsLink
  Exch $R0
  Push $R1
  Push $R2
  Push $R3
  System::Call 'kernel32::GetFileAttributesW(w R0) i .R1'
  ${If} $R1 == -1
    StrCpy $R0 0
  ${Else}
    IntOp $R2 $R1 & ${REPARSE_POINT}
    IntOp $R1 $R1 & ${DIRECTORY}
    ${If} $R2 != 0
      StrCpy $R0 1
    ${ElseIf} $R1 != 0
      StrCpy $R0 0
    ${Else}
      ; FILE_READ_ATTRIBUTES, any sharing, OPEN_EXISTING, the link itself
      ; (FILE_FLAG_OPEN_REPARSE_POINT).
      System::Call 'kernel32::CreateFileW(w R0, i 0x80, i 7, p 0, i 3, i 0x00200000, p 0) p .R1'
      ; A file that cannot be looked at counts as a link: nothing shows it
      ; is not one.
      StrCpy $R0 1
      ${If} $R1 != -1
        System::Alloc 52 ; BY_HANDLE_FILE_INFORMATION
        Pop $R2
        System::Call 'kernel32::GetFileInformationByHandle(p R1, p R2) i .R3'
        ${If} $R3 != 0
          ; nNumberOfLinks, the eleventh DWORD.
          System::Call '*$R2(i, i, i, i, i, i, i, i, i, i, i .R3)'
          ${If} $R3 == 1
            StrCpy $R0 0
          ${EndIf}
        ${EndIf}
        System::Free $R2
        System::Call 'kernel32::CloseHandle(p R1)'
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $R3
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

; The first thing in an existing install folder that is not the installer's
; own: anything but the files Pix_Rn.exe, Uninstall.exe and Pix_rn.dat and
; a folder help that holds nothing but the file Hlp_Vw.exe. Push FOLDER,
; Push "help" when it is that help folder or "" when the install folder,
; Call, Pop: its path, or "" when there is none.
Function ForeignEntry
  Exch $R0
  Exch
  Exch $R1
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  StrCpy $R5 ""
  ClearErrors
  FindFirst $R2 $R3 "$R1\*"
  ${If} ${Errors}
    ; A folder that cannot be listed may hold anything.
    StrCpy $R5 $R1
  ${EndIf}
  ${DoWhile} $R3 != ""
    StrCpy $R4 "$R1\$R3"
    ${If} $R3 == "."
    ${OrIf} $R3 == ".."
    ${ElseIf} ${FileExists} "$R4\*.*"
      ${If} $R0 == ""
      ${AndIf} $R3 == "help"
        Push $R4
        Push "help"
        Call ForeignEntry
        Pop $R5
      ${Else}
        StrCpy $R5 $R4
      ${EndIf}
    ${ElseIf} $R0 == "help"
      ${If} $R3 != "Hlp_Vw.exe"
        StrCpy $R5 $R4
      ${EndIf}
    ${ElseIf} $R3 != "Pix_Rn.exe"
    ${AndIf} $R3 != "Uninstall.exe"
    ${AndIf} $R3 != "Pix_rn.dat"
      StrCpy $R5 $R4
    ${EndIf}
    ${If} $R5 != ""
      ${Break}
    ${EndIf}
    FindNext $R2 $R3
  ${Loop}
  FindClose $R2
  StrCpy $R0 $R5
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

; Sets the message of FileIsLink and leaves Refusal when PATH is a link.
!macro RefuseLinkedFile PATH
  Push "${PATH}"
  Call IsLink
  Pop $R2
  ${If} $R2 == 1
    StrCpy $R0 "${PATH}"
    StrCpy $R1 "$(FileIsLink)"
    Goto refusal_done
  ${EndIf}
!macroend

; Why the installation may not go into a folder, as the message to show, or
; "" when it may: the folder is a link or lies behind one, or exists and
; holds more than the installer's own files, or a file that the
; installation would write or give rights to is a link. Every check comes
; before anything is created or given rights. Push FOLDER, Call, Pop.
Function Refusal
  Exch $R0
  Push $R1
  Push $R2
  Push $R3
  StrCpy $R3 $R0
  StrCpy $R1 ""
  Push $R3
  Call FindLink
  Pop $R0
  ${If} $R0 != ""
    StrCpy $R1 "$(FolderIsLink)"
    Goto refusal_done
  ${EndIf}
  StrCpy $R0 $R3
  ${If} ${FileExists} "$R3"
    ${IfNot} ${FileExists} "$R3\*.*"
      ; A file stands where the folder would.
      StrCpy $R1 "$(FolderNotOwn)"
      Goto refusal_done
    ${EndIf}
    Push $R3
    Push ""
    Call ForeignEntry
    Pop $R2
    ${If} $R2 != ""
      StrCpy $R1 "$(FolderNotOwn)"
      Goto refusal_done
    ${EndIf}
  ${EndIf}
  !insertmacro RefuseLinkedFile "$R3\Pix_Rn.exe"
  !insertmacro RefuseLinkedFile "$R3\Uninstall.exe"
  !insertmacro RefuseLinkedFile "$R3\Pix_rn.dat"
  !insertmacro RefuseLinkedFile "$R3\help"
  !insertmacro RefuseLinkedFile "$R3\help\Hlp_Vw.exe"
  !insertmacro RefuseLinkedFile "$WINDIR\Pix_Rn.jpg"
  refusal_done:
  StrCpy $R0 $R1
  Pop $R3
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

; Refuses a folder as Refusal does: a message, and the installation stops
; with error level 2 before anything is put there.
!macro RefuseFolder PATH
  Push "${PATH}"
  Call Refusal
  Pop $R0
  ${If} $R0 != ""
    MessageBox MB_OK|MB_ICONSTOP "$R0" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
!macroend

; Gives a file or folder the owner and the protected DACL of an SDDL
; string. Push SDDL, Push PATH, Call, Pop: 0, or the Windows error code.
Function SecurePath
  Exch $R0
  Exch
  Exch $R1
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w R1, i 1, *p .R2, p 0) i .R3 ?e'
  Pop $R1
  ${If} $R3 != 0
    System::Call 'advapi32::GetSecurityDescriptorOwner(p R2, *p .R3, *i .R5) i .R1'
    ${If} $R1 != 0
      System::Call 'advapi32::GetSecurityDescriptorDacl(p R2, *i .R5, *p .R4, *i .R1) i .R1'
    ${EndIf}
    ${If} $R1 != 0
      ; OWNER, DACL and PROTECTED_DACL_SECURITY_INFORMATION on a file object.
      System::Call 'advapi32::SetNamedSecurityInfoW(w R0, i 1, i 0x80000005, p R3, p 0, p R4, p 0) i .R1'
    ${Else}
      StrCpy $R1 87 ; ERROR_INVALID_PARAMETER: the SDDL lacks a part
    ${EndIf}
    System::Call 'kernel32::LocalFree(p R2)'
  ${EndIf}
  StrCpy $R0 $R1
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd

; Sets the rights of a file or folder; a failure stops the installation.
!macro Secure PATH SDDL
  Push "${SDDL}"
  Push "${PATH}"
  Call SecurePath
  Pop $R1
  ${If} $R1 != 0
    StrCpy $R0 "${PATH}"
    MessageBox MB_OK|MB_ICONSTOP "$(SecureFailed)" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
!macroend

; The uninstall entry lives in the 64-bit view, beside the program's kind.
Function un.onInit
  SetRegView 64
FunctionEnd

; A folder given with /D=, and any in a silent installation, is looked at
; before any page shows; the default one of an interactive installation
; on leaving the folder page, where another can still be chosen.
Function .onInit
  SetRegView 64
  ${If} ${Silent}
  ${OrIf} $INSTDIR != "${DEFAULT_DIR}"
    !insertmacro RefuseFolder "$INSTDIR"
  ${EndIf}
FunctionEnd

; A folder chosen on the page: the page stays until another is chosen.
Function DirectoryLeave
  Push $INSTDIR
  Call Refusal
  Pop $R0
  ${If} $R0 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "$R0"
    Abort
  ${EndIf}
FunctionEnd

; 1 once an earlier installation's Pix_rn.dat was copied into the new folder.
Var SettingsTakenOver

; The folder of an earlier 32-bit installation, from its uninstall entry in
; the 32-bit registry view. Call, Pop: the folder, or "" when there is none.
Function FindEarlierInstallation
  Push $R0
  Push $R1
  SetRegView 32
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "UninstallString"
  SetRegView 64
  ${If} $R0 != ""
    ; "C:\...\Uninstall.exe", quoted or not.
    StrCpy $R1 $R0 1
    ${If} $R1 == '"'
      StrCpy $R0 $R0 "" 1
      StrCpy $R1 $R0 1 -1
      ${If} $R1 == '"'
        StrCpy $R0 $R0 -1
      ${EndIf}
    ${EndIf}
    ${GetParent} $R0 $R0
  ${EndIf}
  Pop $R1
  Exch $R0
FunctionEnd

; Removes what an earlier 32-bit installation put in its folder (its
; uninstaller cannot run on every machine that runs this one), and its
; uninstall entry. Its settings were taken over unless the new folder had
; its own; the Windows picture stays, and a Startup shortcut now starts the
; new program.
Function RemoveEarlierInstallation
  Call FindEarlierInstallation
  Pop $R0
  ${If} $R0 == ""
    Return
  ${EndIf}
  ${If} $R0 != "$INSTDIR"
    Delete "$R0\Pix_Rn.exe"
    Delete "$R0\help\Hlp_Vw.exe"
    RMDir "$R0\help"
    Delete "$R0\Uninstall.exe"
    ; Settings that were not taken over stay where they are.
    ${If} $SettingsTakenOver == 1
      Delete "$R0\Pix_rn.dat"
    ${EndIf}
    RMDir "$R0"
  ${EndIf}
  ${If} ${FileExists} "$SMSTARTUP\Pix_Rn.lnk"
    SetOutPath "$INSTDIR"
    CreateShortCut "$SMSTARTUP\Pix_Rn.lnk" "$INSTDIR\Pix_Rn.exe" "" "$INSTDIR\Pix_Rn.exe" 0 SW_SHOWNORMAL
  ${EndIf}
  SetRegView 32
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  SetRegView 64
FunctionEnd

Section "$(NameProgram)" SecProgram
  SectionIn RO

  ; The folders get their rights before anything is put in them, and each
  ; file after it is put there: a file that was there before keeps its own
  ; rights when it is overwritten. What the pages saw may have changed since.
  !insertmacro RefuseFolder "$INSTDIR"
  CreateDirectory "$INSTDIR"
  !insertmacro RefuseLink "$INSTDIR"
  !insertmacro Secure "$INSTDIR" "${FOLDER_SDDL}"
  CreateDirectory "$INSTDIR\help"
  !insertmacro RefuseLink "$INSTDIR\help"
  !insertmacro Secure "$INSTDIR\help" "${FOLDER_SDDL}"

  SetOutPath "$INSTDIR"
  File "/oname=Pix_Rn.exe" "${PIX_EXE}"
  !insertmacro Secure "$INSTDIR\Pix_Rn.exe" "${PROGRAM_FILE_SDDL}"
  SetOutPath "$INSTDIR\help"
  File "/oname=Hlp_Vw.exe" "${HELP_EXE}"
  !insertmacro Secure "$INSTDIR\help\Hlp_Vw.exe" "${PROGRAM_FILE_SDDL}"
  SetOutPath "$INSTDIR"

  ; The settings are the user's: an existing file is kept as it is, and an
  ; earlier 32-bit installation's come along.
  Call FindEarlierInstallation
  Pop $R0
  ${If} $R0 != ""
  ${AndIf} $R0 != "$INSTDIR"
  ${AndIfNot} ${FileExists} "$INSTDIR\Pix_rn.dat"
  ${AndIf} ${FileExists} "$R0\Pix_rn.dat"
    ; Fails rather than overwrite (the last 1).
    System::Call 'kernel32::CopyFileW(w "$R0\Pix_rn.dat", w "$INSTDIR\Pix_rn.dat", i 1) i .R1'
    ${If} $R1 == 0
      Abort "Pix_rn.dat"
    ${EndIf}
    StrCpy $SettingsTakenOver 1
  ${EndIf}
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
  !insertmacro Secure "$INSTDIR\Pix_rn.dat" "${WRITABLE_FILE_SDDL}"

  ; The program replaces this picture; an existing one is kept.
  ${IfNot} ${FileExists} "$WINDIR\Pix_Rn.jpg"
    SetOutPath "$WINDIR"
    File "/oname=Pix_Rn.jpg" "${DEFAULT_JPG}"
    SetOutPath "$INSTDIR"
  ${EndIf}
  !insertmacro Secure "$WINDIR\Pix_Rn.jpg" "${WRITABLE_FILE_SDDL}"

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  !insertmacro Secure "$INSTDIR\Uninstall.exe" "${PROGRAM_FILE_SDDL}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Pix_Rn"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"

  ; Only now that the new installation is whole does the earlier one go.
  Call RemoveEarlierInstallation
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

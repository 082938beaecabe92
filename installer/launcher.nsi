; The installer players download: the launcher, the updater and the brand's
; game files, installed for the current user (no administrator prompt) into a
; folder under the user's local programs folder, with Start-menu and desktop
; shortcuts and an uninstaller registered under the user's Uninstall key.
; Chinese or English pages by the system language; /S installs silently,
; /D=FOLDER chooses the folder.
;
; scripts/release.sh compiles it with the brand's values:
;   makensis -DTARGET=x86-unicode|amd64-unicode -DNAME=... -DEXECUTABLE=...
;            -DVERSION=... -DPUBLISHER=... -DKEY=... -DSTAGE=folder -DOUTFILE=...
;            -DFILES=files.nsh -DREMOVE=remove.nsh launcher.nsi
; FILES lists the staged files to install (File lines), REMOVE the same files
; and folders to delete again (Delete and RMDir lines), so that uninstalling
; takes what it put there and leaves what the player made.

Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${KEY}"

Name "${NAME}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${NAME}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${NAME} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${NAME}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${NAME} ${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXECUTABLE}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the default; the system's language picks the other.
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

LangString KeepQuestion ${LANG_SIMPCHINESE} "是否也删除您的设置和您在游戏文件夹中创建的文件？"
LangString KeepQuestion ${LANG_ENGLISH} "Also delete your settings and the files you created in the game folder?"

Section "Install"
  SetOutPath "$INSTDIR"
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${NAME}"
  CreateShortCut "$SMPROGRAMS\${NAME}\${NAME}.lnk" "$INSTDIR\${EXECUTABLE}" "" "$INSTDIR\${EXECUTABLE}" 0
  CreateShortCut "$DESKTOP\${NAME}.lnk" "$INSTDIR\${EXECUTABLE}" "" "$INSTDIR\${EXECUTABLE}" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXECUTABLE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Var RemoveAll

Function un.onInit
  StrCpy $RemoveAll 0
  ; /PURGE (or "yes" to the question) also removes what the player created.
  ${GetParameters} $0
  ${GetOptions} $0 "/PURGE" $1
  IfErrors 0 purge
  IfSilent done
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(KeepQuestion)" IDNO done
  purge:
  StrCpy $RemoveAll 1
  done:
FunctionEnd

Section "Uninstall"
  !include "${REMOVE}"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\${NAME}\${NAME}.lnk"
  RMDir "$SMPROGRAMS\${NAME}"
  Delete "$DESKTOP\${NAME}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  StrCmp $RemoveAll 1 0 +2
  RMDir /r "$INSTDIR"
  ; Empty now unless the player made files there.
  RMDir "$INSTDIR"
SectionEnd

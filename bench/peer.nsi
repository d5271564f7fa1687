; The benchmark's peer: an NSIS installer that does what setup.exe does for one distribution.
; The same files into the same folder, the same uninstall entry, the same desktop and
; Start-menu shortcuts, an uninstaller in the Windows folder under the same name; no program
; started. Built by bench/run.sh (bench/peer_lib.sh writes HEADER from the distribution):
;
;   makensis -DHEADER=dist.nsh -DOUTFILE=peer.exe [-DTARGET=amd64-unicode] [-DSTORED] peer.nsi
;
; TARGET is one of the compiler's stubs (default x86-ansi). STORED stores the files as they are
; (SetCompress off); without it the compiler's default compression applies.

!ifdef TARGET
  Target ${TARGET}
!endif
!ifdef STORED
  SetCompress off
!endif

; PRODUCT, NAME, FOLDER, TITLE, PROGRAM, SIZE_KB, the macros FILES, UNFILES, MENU and UNMENU,
; INSTALLED_FILES where the list fits the compiler's string limit, DISPLAY_VERSION and
; PUBLISHER where the program's version resource names them, and INSTALLED_SHORTCUTS where the
; header was written for the folders of the machine it runs on.
!include "${HEADER}"

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${NAME}"
!define UNINSTALLER "$WINDIR\${NAME} Uninstall.exe"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "${FOLDER}"
; As setup.exe's manifest asks.
RequestExecutionLevel admin

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
  ; setup.exe puts its shortcuts into the all-users folders on the NT family.
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  !insertmacro FILES
  WriteUninstaller "${UNINSTALLER}"
  WriteRegStr HKLM "${KEY}" DisplayName "${NAME}"
  WriteRegStr HKLM "${KEY}" UninstallString '"${UNINSTALLER}"'
  WriteRegStr HKLM "${KEY}" InstallTo "$INSTDIR"
  WriteRegStr HKLM "${KEY}" QuietUninstallString '"${UNINSTALLER}" /S'
  WriteRegStr HKLM "${KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKLM "${KEY}" DisplayIcon "$INSTDIR\${PROGRAM}"
  !ifdef DISPLAY_VERSION
    WriteRegStr HKLM "${KEY}" DisplayVersion "${DISPLAY_VERSION}"
  !endif
  !ifdef PUBLISHER
    WriteRegStr HKLM "${KEY}" Publisher "${PUBLISHER}"
  !endif
  WriteRegDWORD HKLM "${KEY}" EstimatedSize ${SIZE_KB}
  WriteRegDWORD HKLM "${KEY}" NoModify 1
  WriteRegDWORD HKLM "${KEY}" NoRepair 1
  !ifdef INSTALLED_FILES
    WriteRegMultiStr /REGEDIT5 HKLM "${KEY}" InstalledFiles ${INSTALLED_FILES}
  !endif
  ; The output folder, $INSTDIR, is each shortcut's working folder.
  CreateShortCut "$DESKTOP\${TITLE}.lnk" "$INSTDIR\${PROGRAM}" "" "" 0 SW_SHOWNORMAL "" \
    "${TITLE}"
  !insertmacro MENU
  !ifdef INSTALLED_SHORTCUTS
    WriteRegMultiStr /REGEDIT5 HKLM "${KEY}" InstalledShortcuts ${INSTALLED_SHORTCUTS}
  !endif
SectionEnd

Section Uninstall
  SetShellVarContext all
  Delete "$DESKTOP\${TITLE}.lnk"
  !insertmacro UNMENU
  !insertmacro UNFILES
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${KEY}"
  Delete /REBOOTOK "${UNINSTALLER}"
SectionEnd

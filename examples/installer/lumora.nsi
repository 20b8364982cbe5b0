; An installer for Lumora, a VR companion app, that registers the app with
; the OpenVR runtime when it installs and takes the registration back when
; it moves or uninstalls, with vrenlist.exe and vrdelist.exe. Copy it and put
; your own application's files where the placeholder says.
;
;   makensis -DTOOLS_DIR=<folder holding vrenlist.exe, vrdelist.exe and openvr_api.dll>
;            -DOUTFILE=<setup.exe> lumora.nsi
;
; Silent use: setup.exe /S [/D=<install folder>] (/D= last and unquoted, even
; with spaces); uninstall.exe /S.

Unicode true
Target amd64-unicode

!ifndef TOOLS_DIR
  !error "Give -DTOOLS_DIR=<folder holding vrenlist.exe, vrdelist.exe and openvr_api.dll>"
!endif
!ifndef OUTFILE
  !define OUTFILE "lumora-setup.exe"
!endif

!include LogicLib.nsh

!define APP_NAME "Lumora"
!define MANIFEST "lumora.vrmanifest"
; Where the installer remembers its folder, so that a reinstall elsewhere
; can find the old registration.
!define SETTINGS_KEY "Software\Lumora"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumora"

Name "${APP_NAME}"
OutFile "${OUTFILE}"

; Per user, never elevated. The OpenVR runtime keeps its list of
; applications in the profile of the user who runs the tools. Run elevated,
; possibly as another administrator account, they would register into that
; account's profile, where the user's runtime never looks (or find no
; runtime at all: "Installation path could not be located"). So the
; installer, and the tools it starts, run as the person who will use the
; headset, and install under that person's own folder.
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Lumora"
InstallDirRegKey HKCU "${SETTINGS_KEY}" "InstallDir"

ShowInstDetails show
ShowUninstDetails show
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var previousDir
Var status
Var output
Var outputEnd

; Writes a line to the details list and to install.log in the install
; folder (this NSIS has no log of its own, and a silent install shows none).
!macro Log text
  DetailPrint "${text}"
  Push "${text}"
  Call AppendToLog
!macroend

Function AppendToLog
  Exch $0
  Push $1
  FileOpen $1 "$INSTDIR\install.log" a
  FileSeek $1 0 END
  FileWriteUTF16LE /BOM $1 "$0$\r$\n"
  FileClose $1
  Pop $1
  Pop $0
FunctionEnd

; Runs TOOL (vrenlist or vrdelist) from FOLDER on FOLDER's manifest, with no
; console window, and leaves its exit status in $status ("error" if it could
; not start) and its lines in $output. The manifest is named exactly as it
; was registered: the runtime matches the path as given.
!macro RunTool tool folder
  nsExec::ExecToStack '"${folder}\${tool}.exe" "${folder}\${MANIFEST}"'
  Pop $status
  Pop $output
  StrCpy $outputEnd $output "" -2
  ${If} $outputEnd == "$\r$\n"
    StrCpy $output $output -2
  ${EndIf}
  DetailPrint "$output"
!macroend

; The files this installer puts in FOLDER; RMDir leaves a folder that holds
; anything else (the user's own files).
!macro RemoveFiles folder
  Delete "${folder}\vrenlist.exe"
  Delete "${folder}\vrdelist.exe"
  Delete "${folder}\openvr_api.dll"
  Delete "${folder}\${MANIFEST}"
  Delete "${folder}\install.log"
  Delete "${folder}\uninstall.exe"
  RMDir "${folder}"
!macroend

Section "Lumora"
  ; A reinstall into another folder: the runtime would keep the old path
  ; registered for the same app key, so take it back first, while the old
  ; folder's tools and manifest are still there.
  ReadRegStr $previousDir HKCU "${SETTINGS_KEY}" "InstallDir"
  ${If} $previousDir != ""
  ${AndIf} $previousDir != $INSTDIR
  ${AndIf} ${FileExists} "$previousDir\vrdelist.exe"
    !insertmacro RunTool vrdelist $previousDir
    !insertmacro Log "Removed the registration from $previousDir (vrdelist exited with $status)"
    !insertmacro RemoveFiles $previousDir
  ${EndIf}

  SetOutPath "$INSTDIR"
  ; Placeholder: your application's own files go here, e.g. File "lumora.exe".
  File "../${MANIFEST}"  ; paths are relative to this script
  File "${TOOLS_DIR}/vrenlist.exe"
  File "${TOOLS_DIR}/vrdelist.exe"
  File "${TOOLS_DIR}/openvr_api.dll"

  !insertmacro RunTool vrenlist $INSTDIR
  ${If} $status == 0
    !insertmacro Log "Registered ${APP_NAME} with the OpenVR runtime."
  ${ElseIf} $status == 1
    ; No runtime, or it refused: the app works all the same, and running
    ; the installer again once the runtime is there registers it.
    !insertmacro Log "Warning: ${APP_NAME} is not registered with the OpenVR runtime: $output"
  ${Else}
    ; Not a runtime's answer (a wrong command line, or the tool did not
    ; start): something is wrong with this installer itself.
    DetailPrint "vrenlist failed with status $status"
    !insertmacro RemoveFiles $INSTDIR
    MessageBox MB_ICONSTOP "Registering ${APP_NAME} with the OpenVR runtime failed (status $status)." /SD IDOK
    Abort
  ${EndIf}

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "${SETTINGS_KEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP_NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  ; Before any file goes: vrdelist and the manifest it names are in here.
  !insertmacro RunTool vrdelist $INSTDIR
  ${If} $status != 0
    DetailPrint "Warning: the OpenVR runtime's registration may remain (vrdelist exited with $status)."
  ${EndIf}
  !insertmacro RemoveFiles $INSTDIR
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd

; An installer for Lumora, a VR companion app, that registers the app with
; the OpenVR runtime when it installs and takes the registration back when
; it moves or uninstalls, with vrenlist.exe and vrdelist.exe, and asks
; vrcheck.exe what stands in the way when that fails. Copy it and put your own
; application's files where the placeholder says.
;
;   makensis -DTOOLS_DIR=<folder holding the three tools and openvr_api.dll>
;            -DOUTFILE=<setup.exe> lumora.nsi
;
; Silent use: setup.exe /S [/D=<install folder>] (/D= last and unquoted, even
; with spaces); uninstall.exe /S.

Unicode true
Target amd64-unicode

!ifndef TOOLS_DIR
  !error "Give -DTOOLS_DIR=<folder holding vrenlist.exe, vrdelist.exe, vrcheck.exe and openvr_api.dll>"
!endif
!ifndef OUTFILE
  !define OUTFILE "lumora-setup.exe"
!endif

!include LogicLib.nsh
!include WordFunc.nsh

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
Var diagnosis  ; vrcheck's lines as UTF-16 (System::Alloc), or 0
Var otherManifest
Var otherCut  ; 1 when that manifest's path was too long to read whole

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

; Runs the tool EXE on MANIFEST, with no console window, and leaves its exit
; status in $status ("error" if it could not start) and its lines in $output.
; The manifest is named exactly as it was registered: the runtime matches the
; path as given.
!macro RunTool exe manifest
  nsExec::ExecToStack '"${exe}" "${manifest}"'
  Pop $status
  Pop $output
  StrCpy $outputEnd $output "" -2
  ${If} $outputEnd == "$\r$\n"
    StrCpy $output $output -2
  ${EndIf}
  DetailPrint "$output"
!macroend

; Runs vrcheck on the installed manifest and keeps its lines in $diagnosis.
; They are UTF-8, which nsExec would read in the ANSI code page and cut at
; ${NSIS_MAX_STRLEN} characters, so they go through a file and are decoded
; here, whole.
Function RunVrcheck
  Push $0
  Push $1
  Push $2
  System::Free $diagnosis
  StrCpy $diagnosis 0
  nsExec::Exec '"$SYSDIR\cmd.exe" /d /c ""$INSTDIR\vrcheck.exe" "$INSTDIR\${MANIFEST}" 2> "$PLUGINSDIR\vrcheck.log""'
  Pop $0
  FileOpen $0 "$PLUGINSDIR\vrcheck.log" r
  ${If} $0 != ""
    System::Call 'kernel32::GetFileSize(p r0, p 0) i .r1'
    IntOp $2 $1 + 1
    System::Alloc $2  ; zeroed: the bytes end in a NUL
    Pop $2
    System::Call 'kernel32::ReadFile(p r0, p r2, i r1, *i .r1, p 0)'
    FileClose $0
    System::Call 'kernel32::MultiByteToWideChar(i 65001, i 0, p r2, i -1, p 0, i 0) i .r0'
    IntOp $1 $0 * 2
    System::Alloc $1
    Pop $diagnosis
    System::Call 'kernel32::MultiByteToWideChar(i 65001, i 0, p r2, i -1, p $diagnosis, i r0)'
    System::Free $2
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; The manifest that vrcheck says holds the app key from another folder, or
; "": the path in its line "... Take that registration back with: vrdelist
; "<path>", ...". A path longer than an NSIS string is never cut short, as
; vrdelist would act on another path: $otherCut is then 1 instead.
!define TAKE_BACK 'registration back with: vrdelist "'
Function FindOtherRegistration
  Push $0
  Push $1
  StrCpy $otherManifest ""
  StrCpy $otherCut 0
  ${If} $diagnosis P<> 0
    System::Call 'shlwapi::StrStrW(p $diagnosis, w `${TAKE_BACK}`) p .r0'
    ${If} $0 P<> 0
      StrLen $1 `${TAKE_BACK}`
      IntOp $1 $1 * 2
      IntPtrOp $0 $0 + $1
      System::Call 'kernel32::lstrcpynW(w .r1, p r0, i ${NSIS_MAX_STRLEN})'
      ClearErrors
      ${WordFind} $1 '"' "E+1{" $otherManifest
      ${If} ${Errors}  ; no closing quote: the copy was cut
        StrCpy $otherManifest ""
        StrCpy $otherCut 1
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

; Appends vrcheck's lines to install.log, as they are.
Function AppendDiagnosisToLog
  Push $0
  Push $1
  ${If} $diagnosis P<> 0
    FileOpen $0 "$INSTDIR\install.log" a
    FileSeek $0 0 END
    System::Call 'kernel32::lstrlenW(p $diagnosis) i .r1'
    IntOp $1 $1 * 2
    System::Call 'kernel32::WriteFile(p r0, p $diagnosis, i r1, *i .r1, p 0)'
    FileClose $0
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

; The files this installer puts in FOLDER; RMDir leaves a folder that holds
; anything else (the user's own files).
!macro RemoveFiles folder
  Delete "${folder}\vrenlist.exe"
  Delete "${folder}\vrdelist.exe"
  Delete "${folder}\vrcheck.exe"
  Delete "${folder}\openvr_api.dll"
  Delete "${folder}\${MANIFEST}"
  Delete "${folder}\install.log"
  Delete "${folder}\uninstall.exe"
  RMDir "${folder}"
!macroend

Section "Lumora"
  ; A reinstall into another folder: only one manifest can hold the app key,
  ; so take the old one back first, while the old folder's tools and
  ; manifest are still there.
  ReadRegStr $previousDir HKCU "${SETTINGS_KEY}" "InstallDir"
  ${If} $previousDir != ""
  ${AndIf} $previousDir != $INSTDIR
  ${AndIf} ${FileExists} "$previousDir\vrdelist.exe"
    !insertmacro RunTool "$previousDir\vrdelist.exe" "$previousDir\${MANIFEST}"
    !insertmacro Log "Removed the registration from $previousDir (vrdelist exited with $status)"
    !insertmacro RemoveFiles $previousDir
  ${EndIf}

  SetOutPath "$INSTDIR"
  ; Placeholder: your application's own files go here, e.g. File "lumora.exe".
  File "../${MANIFEST}"  ; paths are relative to this script
  File "${TOOLS_DIR}/vrenlist.exe"
  File "${TOOLS_DIR}/vrdelist.exe"
  File "${TOOLS_DIR}/vrcheck.exe"
  File "${TOOLS_DIR}/openvr_api.dll"

  ; The tools run with a working folder of their own: Windows cannot remove
  ; a folder that a process, or one just ending, works in.
  InitPluginsDir
  SetOutPath $PLUGINSDIR

  ; A registration from a folder this installer does not remember (its
  ; settings are gone, or the app was moved by hand) would keep the key and
  ; refuse this one. vrcheck names its manifest (exactly, from the runtime's
  ; records, when the runtime is not running); take that one back too.
  Call RunVrcheck
  Call FindOtherRegistration
  ${If} $otherManifest != ""
    !insertmacro RunTool "$INSTDIR\vrdelist.exe" $otherManifest
    !insertmacro Log "Removed the registration of $otherManifest (vrdelist exited with $status)"
  ${ElseIf} $otherCut == 1
    !insertmacro Log "Warning: a registration from another folder holds the app key, and its path is too long to take back here. vrcheck found:"
    Call AppendDiagnosisToLog
  ${EndIf}

  !insertmacro RunTool "$INSTDIR\vrenlist.exe" "$INSTDIR\${MANIFEST}"
  ${If} $status == 0
    !insertmacro Log "Registered ${APP_NAME} with the OpenVR runtime."
  ${ElseIf} $status == 1
    ; No runtime, or it refused: the app works all the same, and running
    ; the installer again once the runtime is there registers it. What
    ; vrcheck says goes into install.log, for a support request.
    !insertmacro Log "Warning: ${APP_NAME} is not registered with the OpenVR runtime: $output"
    Call RunVrcheck
    Call AppendDiagnosisToLog
  ${Else}
    ; Not a runtime's answer (a wrong command line, or the tool did not
    ; start): something is wrong with this installer itself.
    DetailPrint "vrenlist failed with status $status"
    !insertmacro RemoveFiles $INSTDIR
    MessageBox MB_ICONSTOP "Registering ${APP_NAME} with the OpenVR runtime failed (status $status)." /SD IDOK
    Abort
  ${EndIf}
  System::Free $diagnosis
  StrCpy $diagnosis 0

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
  !insertmacro RunTool "$INSTDIR\vrdelist.exe" "$INSTDIR\${MANIFEST}"
  ${If} $status != 0
    DetailPrint "Warning: the OpenVR runtime's registration may remain (vrdelist exited with $status)."
  ${EndIf}
  !insertmacro RemoveFiles $INSTDIR
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd

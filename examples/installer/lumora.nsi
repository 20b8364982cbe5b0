; An installer for Lumora, a VR companion app, that registers the app with
; the OpenVR runtime when it installs and takes the registration back when
; it moves or uninstalls, with vrenlist.exe and vrdelist.exe, and asks
; vrcheck.exe what stands in the way when that fails. Copy it and put your own
; application's files where the placeholder says.
;
;   makensis -DTOOLS_DIR=<folder holding the three tools, openvr_api.dll and its licence>
;            -DOUTFILE=<setup.exe> lumora.nsi
;
; Silent use: setup.exe /S [/D=<install folder>] (/D= last and unquoted, even
; with spaces); uninstall.exe /S.

Unicode true
Target amd64-unicode

!ifndef TOOLS_DIR
  !error "Give -DTOOLS_DIR=<folder holding vrenlist.exe, vrdelist.exe, vrcheck.exe, openvr_api.dll and openvr_api.LICENSE.txt>"
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
Var diagnosis  ; vrcheck's lines as UTF-16 (System::Alloc), or 0
Var report  ; vrcheck's --json report as UTF-16 (System::Alloc), or 0
Var otherManifest
Var otherCut  ; 1 when that manifest's path was too long to read whole
Var problem  ; the first finding of vrcheck's that is not in place
Var jsonText
Var jsonWhole

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

; What both the installer and the uninstaller ask of vrcheck: NSIS keeps
; their functions apart, so these are defined twice, the uninstaller's
; named un.*.
!macro ReportFunctions un
; The UTF-8 file on the stack, decoded, as UTF-16 in memory from
; System::Alloc (free it with System::Free), left on the stack; 0 if it
; cannot be opened. nsExec would read a tool's output in the ANSI code page
; and cut it at ${NSIS_MAX_STRLEN} characters, so the tools write to files.
Function ${un}ReadUtf8File
  Exch $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 0
  FileOpen $0 $0 r
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
    Pop $3
    System::Call 'kernel32::MultiByteToWideChar(i 65001, i 0, p r2, i -1, p r3, i r0)'
    System::Free $2
  ${EndIf}
  StrCpy $0 $3
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Runs vrcheck on the installed manifest: its lines in $diagnosis, for
; install.log, and its findings as data in $report.
Function ${un}RunVrcheck
  Push $0
  System::Free $diagnosis
  System::Free $report
  nsExec::Exec '"$SYSDIR\cmd.exe" /d /c ""$INSTDIR\vrcheck.exe" --json "$INSTDIR\${MANIFEST}" > "$PLUGINSDIR\vrcheck.json" 2> "$PLUGINSDIR\vrcheck.log""'
  Pop $0
  Push "$PLUGINSDIR\vrcheck.log"
  Call ${un}ReadUtf8File
  Pop $diagnosis
  Push "$PLUGINSDIR\vrcheck.json"
  Call ${un}ReadUtf8File
  Pop $report
  Pop $0
FunctionEnd

; The JSON string that starts at the address on the stack, just after its
; opening quote, unescaped into $jsonText. $jsonWhole is 1 when it ends
; within ${NSIS_MAX_STRLEN} characters, else 0: the text was cut.
Function ${un}JsonString
  Exch $0
  Push $1
  Push $2
  Push $3
  System::Call 'kernel32::lstrcpynW(w .r1, p r0, i ${NSIS_MAX_STRLEN})'
  StrCpy $jsonText ""
  StrCpy $jsonWhole 0
  StrCpy $2 0
  ${Do}
    StrCpy $3 $1 1 $2
    ${If} $3 == ""
      ${Break}
    ${ElseIf} $3 == '"'
      StrCpy $jsonWhole 1
      ${Break}
    ${ElseIf} $3 == "\"
      ; What follows a backslash stands for itself: \\ and \" are all that a
      ; Windows path or a vrcheck message can need.
      IntOp $2 $2 + 1
      StrCpy $3 $1 1 $2
    ${EndIf}
    StrCpy $jsonText "$jsonText$3"
    IntOp $2 $2 + 1
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; In $report, the line of the finding whose code is on the stack: its start
; in $R0 (0 if there is none) and its end in $R1. vrcheck writes each
; finding on a line of its own.
Function ${un}FindingLine
  Exch $0
  StrCpy $R1 0
  System::Call 'shlwapi::StrStrW(p $report, w `"code":"$0"`) p .R0'
  ${If} $R0 P<> 0
    System::Call 'shlwapi::StrChrW(p R0, i 10) p .R1'
  ${EndIf}
  Pop $0
FunctionEnd

; In the line from $R0 to $R1, the JSON string that follows the text on
; the stack, into $jsonText and $jsonWhole; $jsonWhole is "" when the line
; has no such text.
Function ${un}StringInLine
  Exch $0
  Push $1
  Push $2
  StrCpy $jsonWhole ""
  System::Call 'shlwapi::StrStrW(p R0, w r0) p .r1'
  ${If} $1 P<> 0
  ${AndIf} $1 P< $R1
    StrLen $2 $0
    IntOp $2 $2 * 2
    IntPtrOp $1 $1 + $2
    Push $1
    Call ${un}JsonString
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; The message of vrcheck's finding whose code is on the stack, in $problem,
; or "" when it found no such thing.
Function ${un}FindingMessage
  StrCpy $problem ""
  ${If} $report P<> 0
    Call ${un}FindingLine
    ${If} $R0 P<> 0
      Push '"message":"'
      Call ${un}StringInLine
      StrCpy $problem $jsonText
    ${EndIf}
  ${Else}
    Pop $problem
    StrCpy $problem ""
  ${EndIf}
FunctionEnd
!macroend
!insertmacro ReportFunctions ""
!insertmacro ReportFunctions "un."

; The manifest whose registration holds the app key instead of this one:
; the argument of vrcheck's vrdelist fix, in $otherManifest, or "". A path
; longer than an NSIS string is never cut short, as vrdelist would act on
; another path: $otherCut is then 1 instead.
Function FindOtherRegistration
  StrCpy $otherManifest ""
  StrCpy $otherCut 0
  ${If} $report P<> 0
    Push "records-other-manifest"  ; the runtime not running: from its records
    Call FindingLine
    ${If} $R0 P= 0
      Push "registered-other-folder"  ; the runtime running
      Call FindingLine
    ${EndIf}
    ${If} $R0 P<> 0
      Push '"fix":[["vrdelist","'
      Call StringInLine
      ${If} $jsonWhole == 1
        StrCpy $otherManifest $jsonText
      ${ElseIf} $jsonWhole == 0
        StrCpy $otherCut 1
      ${EndIf}
    ${EndIf}
  ${EndIf}
FunctionEnd

; The message of vrcheck's first finding that is not in place (a warning or
; an error), in $problem, or "".
Function FindFirstProblem
  Push $0
  Push $1
  StrCpy $problem ""
  ${If} $report P<> 0
    System::Call 'shlwapi::StrStrW(p $report, w `"level":"warn"`) p .r0'
    System::Call 'shlwapi::StrStrW(p $report, w `"level":"error"`) p .r1'
    ${If} $1 P<> 0
      ${If} $0 P= 0
      ${OrIf} $1 P< $0
        StrCpy $0 $1  ; the error comes first
      ${EndIf}
    ${EndIf}
    ${If} $0 P<> 0
      StrCpy $R0 $0
      System::Call 'shlwapi::StrChrW(p R0, i 10) p .R1'
      Push '"message":"'
      Call StringInLine
      StrCpy $problem $jsonText
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
  Delete "${folder}\openvr_api.LICENSE.txt"
  Delete "${folder}\${MANIFEST}"
  Delete "${folder}\install.log"
  Delete "${folder}\uninstall.exe"
  RMDir "${folder}"
!macroend

Section "Lumora"
  SetOutPath "$INSTDIR"
  ; Placeholder: your application's own files go here, e.g. File "lumora.exe".
  File "../${MANIFEST}"  ; paths are relative to this script
  File "${TOOLS_DIR}/vrenlist.exe"
  File "${TOOLS_DIR}/vrdelist.exe"
  File "${TOOLS_DIR}/vrcheck.exe"
  File "${TOOLS_DIR}/openvr_api.dll"
  File "${TOOLS_DIR}/openvr_api.LICENSE.txt"  ; the SDK's licence asks that it go with the DLL

  ; The tools run with a working folder of their own: Windows cannot remove
  ; a folder that a process, or one just ending, works in.
  InitPluginsDir
  SetOutPath $PLUGINSDIR

  ; A translation layer listed first would be loaded by vrdelist and
  ; vrenlist, and some answer with a message box and an abort, which hangs
  ; or fails a silent install without a reason. vrcheck never loads one.
  ; The app is installed all the same; vrcheck's message says what to do,
  ; and then running the installer again registers it.
  ReadRegStr $previousDir HKCU "${SETTINGS_KEY}" "InstallDir"
  Call RunVrcheck
  Push "runtime-translation-layer"
  Call FindingMessage
  ${If} $problem != ""
    !insertmacro Log "Warning: ${APP_NAME} is not registered with the OpenVR runtime: $problem"
    ${If} $previousDir != ""
    ${AndIf} $previousDir != $INSTDIR
    ${AndIf} ${FileExists} "$previousDir\vrdelist.exe"
      !insertmacro Log "Warning: the registration from $previousDir remains; the runtime drops it once that manifest is gone."
      !insertmacro RemoveFiles $previousDir
    ${EndIf}
    MessageBox MB_ICONEXCLAMATION "${APP_NAME} is installed, but it will not start with the OpenVR runtime: $problem$\r$\n$\r$\nDetails are in $INSTDIR\install.log." /SD IDOK
    Call AppendDiagnosisToLog
    Goto registered
  ${EndIf}

  ; A reinstall into another folder: only one manifest can hold the app key,
  ; so take the old one back first, while the old folder's tools and
  ; manifest are still there; then ask vrcheck again.
  ${If} $previousDir != ""
  ${AndIf} $previousDir != $INSTDIR
  ${AndIf} ${FileExists} "$previousDir\vrdelist.exe"
    !insertmacro RunTool "$previousDir\vrdelist.exe" "$previousDir\${MANIFEST}"
    !insertmacro Log "Removed the registration from $previousDir (vrdelist exited with $status)"
    !insertmacro RemoveFiles $previousDir
    Call RunVrcheck
  ${EndIf}

  ; A registration from a folder this installer does not remember (its
  ; settings are gone, or the app was moved by hand) would keep the key and
  ; refuse this one. vrcheck names its manifest exactly, from the runtime's
  ; records; take that one back too.
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
    ; vrcheck finds now says why, to the user, and goes into install.log
    ; whole, for a support request.
    !insertmacro Log "Warning: ${APP_NAME} is not registered with the OpenVR runtime: $output"
    Call RunVrcheck
    Call FindFirstProblem
    !insertmacro Log "Why: $problem"
    MessageBox MB_ICONEXCLAMATION "${APP_NAME} is installed, but it will not start with the OpenVR runtime: $problem$\r$\n$\r$\nDetails are in $INSTDIR\install.log." /SD IDOK
    Call AppendDiagnosisToLog
  ${Else}
    ; Not a runtime's answer (a wrong command line, or the tool did not
    ; start): something is wrong with this installer itself.
    DetailPrint "vrenlist failed with status $status"
    !insertmacro RemoveFiles $INSTDIR
    MessageBox MB_ICONSTOP "Registering ${APP_NAME} with the OpenVR runtime failed (status $status)." /SD IDOK
    Abort
  ${EndIf}
  registered:
  System::Free $diagnosis
  System::Free $report

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
  ; Not with a translation layer listed first, which vrdelist would load
  ; (see the install); the runtime drops the registration once the manifest
  ; is gone.
  InitPluginsDir
  SetOutPath $PLUGINSDIR
  Call un.RunVrcheck
  Push "runtime-translation-layer"
  Call un.FindingMessage
  ${If} $problem != ""
    DetailPrint "Warning: the OpenVR runtime's registration remains: $problem"
  ${Else}
    !insertmacro RunTool "$INSTDIR\vrdelist.exe" "$INSTDIR\${MANIFEST}"
    ${If} $status != 0
      DetailPrint "Warning: the OpenVR runtime's registration may remain (vrdelist exited with $status)."
    ${EndIf}
  ${EndIf}
  System::Free $diagnosis
  System::Free $report
  !insertmacro RemoveFiles $INSTDIR
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd

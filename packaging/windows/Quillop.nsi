; The Windows installer: a per-user install of Quillop.exe under the user's programs folder,
; with a Start-menu entry and an entry under installed apps. CMake passes every /D name used
; here (cmake/QuillopWindowsPackage.cmake); the names other programs rely on come from the
; program's own header through it.
Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel user

!include FileFunc.nsh
!include LogicLib.nsh
!include MUI2.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillop"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; How long a running Quillop has to end after it was asked to.
!define CLOSE_TIMEOUT_MS 15000

Name "Quillop"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quillop"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Quillop ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "Quillop"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Quillop ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quillop.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!macro DEFINE_CLOSE_QUILLOP prefix
; The main window of a running Quillop of any version in $0, or 0. NOTE: FindWindow compares
; whole captions and the caption carries the version, so the windows of the class are gone
; through and their captions' starts compared.
Function ${prefix}FindQuillop
    StrCpy $0 0
    StrLen $2 "${MAIN_CAPTION_START}"
    ${Do}
        FindWindow $0 "${MAIN_CLASS}" "" 0 $0
        ${If} $0 = 0
            Return
        ${EndIf}
        System::Call "user32::GetWindowTextW(p r0, w .r1, i ${NSIS_MAX_STRLEN})"
        StrCpy $1 $1 $2
    ${LoopUntil} $1 S== "${MAIN_CAPTION_START}"
FunctionEnd

; Asks every running Quillop to end, as its "Exit" does, and waits until its process has gone,
; so that its settings are written and its file can be replaced. Aborts when one does not end.
Function ${prefix}CloseQuillop
    ${Do}
        Call ${prefix}FindQuillop
        ${If} $0 = 0
            Return
        ${EndIf}
        DetailPrint "Asking the running Quillop to end"
        System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
        ; SYNCHRONIZE
        System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2"
        System::Call "user32::PostMessage(p r0, i ${CLOSE_MESSAGE}, p 0, p 0)"
        ${If} $2 <> 0
            System::Call "kernel32::WaitForSingleObject(p r2, i ${CLOSE_TIMEOUT_MS}) i .r3"
            System::Call "kernel32::CloseHandle(p r2)"
        ${Else}
            ; Without a handle of its process, the window's going has to do.
            StrCpy $3 1
            StrCpy $4 0
            ${Do}
                Sleep 100
                IntOp $4 $4 + 100
                IsWindow $0 +2
                StrCpy $3 0
                ${If} $4 >= ${CLOSE_TIMEOUT_MS}
                    ${ExitDo}
                ${EndIf}
            ${LoopUntil} $3 = 0
        ${EndIf}
        ${If} $3 <> 0
            ; NOTE: a Quillop that cannot write its settings cancels its close and keeps
            ; running; its file cannot be replaced or removed then.
            MessageBox MB_ICONSTOP "Quillop is still running. End it with Exit in its menu, then run this again." /SD IDOK
            SetErrorLevel 2
            Quit
        ${EndIf}
    ${Loop}
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_QUILLOP ""
!insertmacro DEFINE_CLOSE_QUILLOP "un."

Section "Quillop"
    Call CloseQuillop
    SetOutPath "$INSTDIR"
    File "/oname=Quillop.exe" "${EXE}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    SetShellVarContext current
    CreateShortcut "$SMPROGRAMS\Quillop.lnk" "$INSTDIR\Quillop.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Quillop"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillop.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${HOME_PAGE}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes the program, its Start-menu entry and its entry under installed apps, and its logon
; entry when that names this copy; the user's settings stay for a later install.
Section "Uninstall"
    Call un.CloseQuillop
    ; Read after Quillop has ended: it writes the logon entry as it ends.
    ReadRegStr $0 HKCU "${RUN_KEY}" "${SETTINGS_NAME}"
    ; Quillop quotes a path with a space. Windows paths and LogicLib's == ignore case.
    ${If} $0 == "$INSTDIR\Quillop.exe"
    ${OrIf} $0 == '"$INSTDIR\Quillop.exe"'
        DeleteRegValue HKCU "${RUN_KEY}" "${SETTINGS_NAME}"
    ${EndIf}
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    SetShellVarContext current
    Delete "$SMPROGRAMS\Quillop.lnk"
    Delete "$INSTDIR\Quillop.exe"
    Delete "$INSTDIR\Uninstall.exe"
    ; The folder goes last: whoever waits for the uninstall may take its going as the end.
    RMDir "$INSTDIR"
SectionEnd

; QuillmereSetup.exe: installs the add-on's DLL for both the 64-bit and the 32-bit browser,
; registers each with the regsvr32 of its own bitness, and lists Quillmere among the installed
; programs with an uninstaller that takes all of it away again. The quillmere command goes beside
; them in the installation folder.
;
;   makensis -DX64_DLL=<x64 Quillmere.dll> -DX86_DLL=<x86 Quillmere.dll>
;            -DCOMMAND_EXE=<quillmere.exe> -DOUTFILE=<setup.exe> quillmere.nsi
;
; A 64-bit installer: 32-bit browsers run on 64-bit Windows too, and both are served from it. As
; a 64-bit process it sees the 64-bit registry and system folder without redirection.

Target amd64-unicode
SetCompressor /SOLID lzma
ManifestSupportedOS all
ManifestDPIAware true

!ifndef X64_DLL
    !error "give the x64 DLL with -DX64_DLL="
!endif
!ifndef X86_DLL
    !error "give the x86 DLL with -DX86_DLL="
!endif
!ifndef COMMAND_EXE
    !error "give the quillmere command with -DCOMMAND_EXE="
!endif
!ifndef OUTFILE
    !error "give the setup program's path with -DOUTFILE="
!endif

!define PRODUCT "Quillmere"
!define VERSION "1.4.0"
!define PUBLISHER "Quillmere"
!define DLL "Quillmere.dll"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; The product's web page, as the About page shows it.
!searchparse /file "../resources/resource.h" \
    '#define QLMR_PRODUCT_WEB_PAGE "' WEB_PAGE '"'

!include FileFunc.nsh
!include LogicLib.nsh
!include MUI2.nsh

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "../resources/icons/quillmere.ico"
!define MUI_UNICON "../resources/icons/quillmere.ico"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Runs a regsvr32 silently on one DLL; $0 is its exit code afterwards ("error" when it did not run).
!macro Regsvr32 REGSVR32 ARGUMENTS DLLPATH
    ClearErrors
    ExecWait '"${REGSVR32}" ${ARGUMENTS} "${DLLPATH}"' $0
    ${If} ${Errors}
        StrCpy $0 "error"
    ${EndIf}
!macroend

Section "${PRODUCT}"
    SectionIn RO

    SetOutPath "$INSTDIR\x64"
    File "/oname=${DLL}" "${X64_DLL}"
    SetOutPath "$INSTDIR\x86"
    File "/oname=${DLL}" "${X86_DLL}"
    SetOutPath "$INSTDIR"
    File "/oname=quillmere.exe" "${COMMAND_EXE}"

    ; The uninstaller and its entry come before the registration, so that whatever a failed
    ; registration left behind can still be removed.
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${WEB_PAGE}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\x64\${DLL},-214"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMajor" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMinor" 4
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1

    ; The 64-bit browser reads the 64-bit registry, which only the 64-bit regsvr32 writes.
    !insertmacro Regsvr32 "$SYSDIR\regsvr32.exe" "/s" "$INSTDIR\x64\${DLL}"
    ${If} $0 != 0
        SetErrorLevel 3
        MessageBox MB_ICONSTOP|MB_OK \
            "${PRODUCT} could not be registered for the 64-bit browser (regsvr32: $0)." /SD IDOK
        Abort
    ${EndIf}
    DetailPrint "Registered for the 64-bit browser"

    ; The 32-bit browser reads the 32-bit view, written by the 32-bit regsvr32 in SysWOW64.
    ${If} ${FileExists} "$WINDIR\SysWOW64\regsvr32.exe"
        !insertmacro Regsvr32 "$WINDIR\SysWOW64\regsvr32.exe" "/s" "$INSTDIR\x86\${DLL}"
        ${If} $0 != 0
            SetErrorLevel 3
            MessageBox MB_ICONSTOP|MB_OK \
                "${PRODUCT} could not be registered for the 32-bit browser (regsvr32: $0)." /SD IDOK
            Abort
        ${EndIf}
        DetailPrint "Registered for the 32-bit browser"
    ${Else}
        DetailPrint "No 32-bit system here: the x86 DLL is not registered"
    ${EndIf}
SectionEnd

Section "Uninstall"
    ; Everything is removed even when a step fails; the exit code then says so.
    ${If} ${FileExists} "$INSTDIR\x64\${DLL}"
        !insertmacro Regsvr32 "$SYSDIR\regsvr32.exe" "/u /s" "$INSTDIR\x64\${DLL}"
        ${If} $0 != 0
            SetErrorLevel 3
            DetailPrint "Unregistering for the 64-bit browser failed (regsvr32: $0)"
        ${EndIf}
    ${EndIf}
    ${If} ${FileExists} "$INSTDIR\x86\${DLL}"
    ${AndIf} ${FileExists} "$WINDIR\SysWOW64\regsvr32.exe"
        !insertmacro Regsvr32 "$WINDIR\SysWOW64\regsvr32.exe" "/u /s" "$INSTDIR\x86\${DLL}"
        ${If} $0 != 0
            SetErrorLevel 3
            DetailPrint "Unregistering for the 32-bit browser failed (regsvr32: $0)"
        ${EndIf}
    ${EndIf}

    ; A browser still running holds its DLL: that one goes at the next restart.
    Delete /REBOOTOK "$INSTDIR\x64\${DLL}"
    Delete /REBOOTOK "$INSTDIR\x86\${DLL}"
    Delete /REBOOTOK "$INSTDIR\quillmere.exe"
    RMDir /REBOOTOK "$INSTDIR\x64"
    RMDir /REBOOTOK "$INSTDIR\x86"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir /REBOOTOK "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

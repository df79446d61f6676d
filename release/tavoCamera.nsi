; The station's installer. Made by a Windows build's release step (release/CMakeLists.txt):
;
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.2 -DARCH=win64|win32 -DSTAGE=<release folder>
;            -DICON=<station's icon> -DOUTFILE=<setup.exe> tavoCamera.nsi
;
; A per-user installation into a folder the user can write (the station keeps Log\ and bin\
; beside itself): C:\tavoCamera unless chosen otherwise. Command line: /S silent, /D=<folder>,
; /DEMO selects the demo cameras (for silent installs). While the station runs, the installer and
; the uninstaller change nothing (silent: they end with exit code 2).

Unicode true
!if "${ARCH}" == "win64"
  Target amd64-unicode
!else
  Target x86-unicode
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define PRODUCT "tavoCamera"
!define PUBLISHER "tavoCamera"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\tavoCamera"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; How the running station is recognised: its single-instance mutex and its main window.
!define STATION_MUTEX "高清车牌识别"
!define STATION_CLASS "TFrmMain_tavoCamera"
!define STATION_TITLE "高清车牌识别"
!define EXIT_STATION_RUNNING 2

Name "tavoCamera 高清车牌识别 ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "C:\tavoCamera"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "tavoCamera ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "tavoCamera 高清车牌识别"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "tavoCamera 高清车牌识别 ${VERSION} (${ARCH}) setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\tavoCamera.exe"
!define MUI_FINISHPAGE_TEXT "$(FinishText)"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$(UninstallFinishText)"
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

LangString SectionStation ${LANG_SIMPCHINESE} "tavoCamera 高清车牌识别"
LangString SectionStation ${LANG_ENGLISH} "tavoCamera station"
LangString SectionStartMenu ${LANG_SIMPCHINESE} "开始菜单快捷方式"
LangString SectionStartMenu ${LANG_ENGLISH} "Start-menu shortcut"
LangString SectionAutostart ${LANG_SIMPCHINESE} "随 Windows 启动"
LangString SectionAutostart ${LANG_ENGLISH} "start with Windows"
LangString SectionDemo ${LANG_SIMPCHINESE} "演示相机 (demo cameras)"
LangString SectionDemo ${LANG_ENGLISH} "demo cameras"
LangString UninstallLink ${LANG_SIMPCHINESE} "卸载 tavoCamera"
LangString UninstallLink ${LANG_ENGLISH} "Uninstall tavoCamera"
LangString StationRunning ${LANG_SIMPCHINESE} "高清车牌识别 (tavoCamera) 正在运行。$\r$\n$\r$\n请先在任务栏通知区域右键点击它的图标，选择“退出”，然后点“重试”。"
LangString StationRunning ${LANG_ENGLISH} "The station (tavoCamera, 高清车牌识别) is running.$\r$\n$\r$\nExit it first: right-click its icon in the notification area and choose 退出 (exit), then press Retry."
LangString KeptLibrary ${LANG_SIMPCHINESE} "保留已有的 ice_ipcsdk.dll"
LangString KeptLibrary ${LANG_ENGLISH} "Kept the present ice_ipcsdk.dll"
LangString KeptSettings ${LANG_SIMPCHINESE} "保留已有的 bin\FormLayout.ini"
LangString KeptSettings ${LANG_ENGLISH} "Kept the present bin\FormLayout.ini"
LangString FinishText ${LANG_SIMPCHINESE} "tavoCamera 已安装到 $INSTDIR。$\r$\n$\r$\n接相机前，请把相机厂商的 ice_ipcsdk.dll 放到这个文件夹里，并在 bin\FormLayout.ini 中设置两台相机的地址（见 README.txt）。"
LangString FinishText ${LANG_ENGLISH} "tavoCamera is installed in $INSTDIR.$\r$\n$\r$\nFor real cameras, put the vendor's ice_ipcsdk.dll in that folder and set the two camera addresses in bin\FormLayout.ini (see README.txt)."
LangString UninstallFinishText ${LANG_SIMPCHINESE} "tavoCamera 已卸载。$\r$\n$\r$\n图片和日志 (Log\) 以及设置 (bin\FormLayout.ini) 保留在 $INSTDIR 中；不再需要时可以手动删除。"
LangString UninstallFinishText ${LANG_ENGLISH} "tavoCamera has been uninstalled.$\r$\n$\r$\nThe pictures and logs (Log\) and the settings (bin\FormLayout.ini) are kept in $INSTDIR; delete them by hand when they are no longer needed."

; StationRunning: pushes 1 when the station's mutex or main window exists, else 0.
!macro DEFINE_STATION_RUNNING prefix
Function ${prefix}StationRunning
  Push $0
  Push $1
  StrCpy $1 0
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${STATION_MUTEX}") p .r0'
  ${If} $0 != 0
    System::Call 'kernel32::CloseHandle(p r0)'
    StrCpy $1 1
  ${EndIf}
  FindWindow $0 "${STATION_CLASS}" "${STATION_TITLE}"
  ${If} $0 != 0
    StrCpy $1 1
  ${EndIf}
  Pop $0
  Exch $1
FunctionEnd

; RequireStationStopped: while the station runs, asks the user to exit it from the tray (Retry)
; or ends (Cancel); silent, ends at once. Ending changes nothing and leaves exit code 2.
Function ${prefix}RequireStationStopped
  Push $0
  ${Do}
    Call ${prefix}StationRunning
    Pop $0
    ${If} $0 == 0
      ${ExitDo}
    ${EndIf}
    ${If} ${Silent}
      SetErrorLevel ${EXIT_STATION_RUNNING}
      Quit
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StationRunning)" /SD IDCANCEL IDRETRY retry
    SetErrorLevel ${EXIT_STATION_RUNNING}
    Quit
    retry:
  ${Loop}
  Pop $0
FunctionEnd
!macroend
!insertmacro DEFINE_STATION_RUNNING ""
!insertmacro DEFINE_STATION_RUNNING "un."

Section "!$(SectionStation)" SecStation
  SectionIn RO
  ; The user may have started the station since the installer began.
  Call RequireStationStopped
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${STAGE}\tavoCamera.exe"
  File "${STAGE}\README.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
SectionEnd

Section "$(SectionStartMenu)" SecStartMenu
  SetShellVarContext current
  CreateDirectory "$SMPROGRAMS\tavoCamera"
  CreateShortcut "$SMPROGRAMS\tavoCamera\tavoCamera 高清车牌识别.lnk" "$INSTDIR\tavoCamera.exe" "" "$INSTDIR\tavoCamera.exe" 0
  CreateShortcut "$SMPROGRAMS\tavoCamera\$(UninstallLink).lnk" "$INSTDIR\Uninstall.exe"
SectionEnd

; Only a choice: the last section writes or removes the start entry.
Section "$(SectionAutostart)" SecAutostart
SectionEnd

Section /o "$(SectionDemo)" SecDemo
  ; The library in the folder may be the vendor's: never replaced. The uninstaller removes the
  ; simulator only while it is the file installed here (same time stamp).
  ${If} ${FileExists} "$INSTDIR\ice_ipcsdk.dll"
    DetailPrint "$(KeptLibrary)"
  ${Else}
    SetOutPath "$INSTDIR"
    File "${STAGE}\demo\ice_ipcsdk.dll"
    GetFileTime "$INSTDIR\ice_ipcsdk.dll" $0 $1
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DemoLibraryTime" "$0:$1"
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\bin\FormLayout.ini"
    DetailPrint "$(KeptSettings)"
  ${Else}
    SetOutPath "$INSTDIR\bin"
    File "${STAGE}\demo\bin\FormLayout.ini"
  ${EndIf}
  SetOutPath "$INSTDIR\sim"
  File /r "${STAGE}\demo\sim\*.*"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "DemoCameras" 1
  SetOutPath "$INSTDIR"
SectionEnd

Section "-Register"
  ${If} ${SectionIsSelected} ${SecAutostart}
    WriteRegStr HKCU "${RUN_KEY}" "tavoCamera" '"$INSTDIR\tavoCamera.exe"'
  ${Else}
    DeleteRegValue HKCU "${RUN_KEY}" "tavoCamera"
  ${EndIf}
  ${IfNot} ${SectionIsSelected} ${SecStartMenu}
    SetShellVarContext current
    RMDir /r "$SMPROGRAMS\tavoCamera"
  ${EndIf}
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "tavoCamera 高清车牌识别"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tavoCamera.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/DEMO" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecDemo}
  ${EndIf}
  Call RequireStationStopped
FunctionEnd

Function un.onInit
  Call un.RequireStationStopped
FunctionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$INSTDIR\tavoCamera.exe"
  Delete "$INSTDIR\README.txt"
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "DemoLibraryTime"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$INSTDIR\ice_ipcsdk.dll"
    GetFileTime "$INSTDIR\ice_ipcsdk.dll" $1 $2
    ${If} "$1:$2" == $0
      Delete "$INSTDIR\ice_ipcsdk.dll"
    ${Else}
      DetailPrint "$(KeptLibrary)"
    ${EndIf}
  ${EndIf}
  ReadRegDWORD $0 HKCU "${UNINSTALL_KEY}" "DemoCameras"
  ${If} $0 == 1
    RMDir /r "$INSTDIR\sim\192.168.1.100"
    RMDir /r "$INSTDIR\sim\192.168.1.101"
    RMDir "$INSTDIR\sim"
  ${EndIf}
  Delete "$INSTDIR\Uninstall.exe"
  RMDir /r "$SMPROGRAMS\tavoCamera"
  DeleteRegValue HKCU "${RUN_KEY}" "tavoCamera"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Log\ and bin\FormLayout.ini stay; the folders go only when empty.
  RMDir "$INSTDIR\bin"
  RMDir "$INSTDIR"
  DetailPrint "$(UninstallFinishText)"
SectionEnd

# Sourced by the demo and the session suite: writes the host script of one plug-in session.
# Variables: DIR (Windows folder of ORVO.exe, Vellacord.dll and the converters), CFG (the
# configuration the click pins), SONGS (array of Windows song paths; the first is played again),
# TRACKS (array, the host's playlist; default SONGS), SELECT (selected track, default 0),
# CACHE_EDIT (cache size typed into the dialog). Flags: SHOT (hold the plug-in's menu, then the
# dialog, open for pictures: C:\menu-open gets the menu's picture, C:\dialog-open the dialog's
# screen rectangle), SECOND (hold still while a second host starts), REOPEN (the host closes and
# opens again before the exit item), UNPIN (a click on "デフォルト" after the pin).
# Both help entries are clicked; the host records what they hand the shell and opens nothing.
# Every path goes to the host in double quotes, so that paths with spaces read as one word.
vlc_session_steps() {
    local s t
    echo "mkdir C:\\logs"
    echo 'keep-folder "C:\kept"'
    for t in "${TRACKS[@]:-${SONGS[@]}}"; do echo "track \"$t\""; done
    echo "select ${SELECT:-0}"
    echo "echo == start: the host loads and starts the plug-in"
    echo "load \"$DIR\\Vellacord.dll\""
    echo "shell record"
    echo run
    echo "pump 300"
    echo "log-new C:\\logs\\rcpcv.log rcpcv"
    echo "log-new C:\\logs\\smfk32.log smfk32"
    if [ -n "${SECOND:-}" ]; then
        echo "echo == a second host process starts meanwhile"
        echo "touch C:\\first-running"
        echo "wait-for-file C:\\second-done 60000"
    fi
    echo "echo == the menu tree the host holds"
    echo "menu tree"
    echo "echo == WIN.INI"
    echo "print-file %WINDIR%\\win.ini"
    for s in "${SONGS[@]}" "${SONGS[0]}"; do
        echo "echo == play $s"
        echo "play-keep \"$s\""
        echo "log-new C:\\logs\\rcpcv.log rcpcv"
        echo "log-new C:\\logs\\smfk32.log smfk32"
    done
    echo "echo == the host shows its menu for the selected track; a click pins the configuration"
    echo "menu display 0x9000"
    echo "pump 300"
    if [ -n "${SHOT:-}" ]; then
        echo "menu picture 0x9000/Vellacord C:\\menu-open C:\\menu-shot-done"
    fi
    echo "menu click \"0x9000/Vellacord/SMFナイフ/$CFG\""
    echo "pump 300"
    echo "print-file \"$DIR\\Vellacord.ini\""
    if [ -n "${UNPIN:-}" ]; then
        echo "menu click 0x9000/Vellacord/SMFナイフ/デフォルト"
        echo "pump 300"
        echo "print-file \"$DIR\\Vellacord.ini\""
    fi
    echo "menu click 0x9000/Vellacord/ヘルプ"
    echo "pump 100"
    echo "echo == the settings dialog: opened from the menu, changed, confirmed"
    echo "menu click 0x9000/Vellacord/プロパティ..."
    echo "dialog wait"
    if [ -n "${SHOT:-}" ]; then
        echo "pump 500"  # let every control paint before the picture
        echo "dialog rect C:\\dialog-open"
        echo "wait-for-file C:\\shot-done 30000"
    fi
    echo "dialog click ヘルプ"
    echo "pump 100"
    echo "dialog click CC#64をノートイベントで置換する"
    echo "dialog type 105 ${CACHE_EDIT:-4}"
    echo "dialog click OK"
    echo "pump 300"
    echo "dialog show"
    echo "print-file \"$DIR\\Vellacord.ini\""
    echo "echo == play ${SONGS[0]} after the settings change"
    echo "play-keep \"${SONGS[0]}\""
    echo "log-new C:\\logs\\rcpcv.log rcpcv"
    echo "log-new C:\\logs\\smfk32.log smfk32"
    if [ -n "${REOPEN:-}" ]; then
        echo "echo == the host closes and opens again"
        echo "notify close"
        echo "pump 300"
        echo clients
        echo "notify open"
        echo "pump 300"
        echo "menu tree"
        echo "play-keep \"${SONGS[0]}\""
        echo "log-new C:\\logs\\rcpcv.log rcpcv"
        echo "log-new C:\\logs\\smfk32.log smfk32"
    fi
    echo "echo == the exit item: the host ends the plug-in"
    echo "menu click 0x9000/Vellacord/終了"
    echo "pump 500"
    echo clients
    echo "echo == after stop: the settings file and the work folder"
    echo "print-file \"$DIR\\Vellacord.ini\""
    echo "list \"$DIR\" VLCRD*"
    echo "log-new C:\\logs\\rcpcv.log rcpcv"
    echo "log-new C:\\logs\\smfk32.log smfk32"
}

# Sourced by the Wine suite and the demo: picks the Wine loader and the build it can run.
# The product is the 32-bit DLL; a machine whose kernel runs no 32-bit code (no IA-32
# emulation) cannot start 32-bit Wine at all, and there the runs use the 64-bit build of the
# same sources under 64-bit Wine.

# 32-bit programs run natively: the kernel executes them and no user-mode emulator has been
# registered to take them over (Wine does not survive such emulation).
vlc_native32() {
    grep -qs 'qemu-i386' /proc/sys/fs/binfmt_misc/* && return 1
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

vlc_pick_wine() {  # $1: repository root. Sets WINE, WINESERVER_BIN, VLC_WIN_BUILD, VLC_WIN_BITS.
    local root=$1
    if vlc_native32; then
        WINE=wine WINESERVER_BIN=wineserver VLC_WIN_BUILD=$root/build/win32 VLC_WIN_BITS=32
    elif [ -x /usr/lib/wine/wine64 ]; then
        WINE=/usr/lib/wine/wine64 WINESERVER_BIN=/usr/lib/wine/wineserver64
        VLC_WIN_BUILD=$root/build/win64 VLC_WIN_BITS=64
        export WINELOADER=/usr/lib/wine/wine64
    else
        echo "no runnable Wine found (scripts/setup.sh installs it)" >&2
        return 1
    fi
    export WINEDEBUG=-all
}

# A new prefix under $1 (a fresh temporary folder); the display must already be there.
vlc_new_prefix() {
    export WINEPREFIX=$1
    timeout 180 "$WINE" wineboot -i >/dev/null 2>&1
}

vlc_end_prefix() {
    [ -n "${WINEPREFIX:-}" ] && "$WINESERVER_BIN" -k >/dev/null 2>&1
    "$WINESERVER_BIN" -w >/dev/null 2>&1 || true
}

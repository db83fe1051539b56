# Sourced by every Wine script, the demo and the benchmark: the one place that chooses the Wine
# loader and the build it runs. The product is the 32-bit DLL, and wherever 32-bit code runs,
# the runs use build/win32 under 32-bit Wine. A machine whose kernel runs no 32-bit code (no
# IA-32 emulation) cannot start 32-bit Wine at all; there the runs use build/win64, the 64-bit
# build of the same sources, under 64-bit Wine. VLC_WINE_BITS=64 chooses the 64-bit build on
# any machine, to check it where 32-bit code runs too.

# 32-bit programs run natively: the kernel executes them and no user-mode emulator has been
# registered to take them over (Wine does not survive such emulation).
vlc_native32() {
    grep -qs 'qemu-i386' /proc/sys/fs/binfmt_misc/* && return 1
    /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Whether the runs here use the 64-bit build (which must then be built).
vlc_uses_win64() {
    [ "${VLC_WINE_BITS:-}" = 64 ] || ! vlc_native32
}

vlc_pick_wine() {  # $1: repository root. Sets WINE, WINESERVER_BIN, VLC_WIN_BUILD, VLC_WIN_BITS.
    local root=$1
    if ! vlc_uses_win64; then
        WINE=wine WINESERVER_BIN=wineserver VLC_WIN_BUILD=$root/build/win32 VLC_WIN_BITS=32
        unset WINELOADER
    elif [ -x /usr/lib/wine/wine64 ]; then
        WINE=/usr/lib/wine/wine64 WINESERVER_BIN=/usr/lib/wine/wineserver64
        VLC_WIN_BUILD=$root/build/win64 VLC_WIN_BITS=64
        export WINELOADER=/usr/lib/wine/wine64
    else
        echo "no runnable Wine found (scripts/setup.sh installs it)" >&2
        return 1
    fi
    export WINE WINESERVER_BIN VLC_WIN_BUILD VLC_WIN_BITS WINEDEBUG=-all
}

# One line saying what the runs use, as "Wine suite: build/win32 under wine (32-bit, wine-8.0)".
vlc_describe_wine() {  # $1: repository root; $2: what runs (default "Wine suite")
    echo "${2:-Wine suite}: ${VLC_WIN_BUILD#"$1"/} under $WINE ($VLC_WIN_BITS-bit, $("$WINE" --version 2>/dev/null))"
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

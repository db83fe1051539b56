#!/usr/bin/env bash
# Runs the real plug-in in the stand-in host under Wine and checks the host link end to end:
# binding through the host's own automation server, the menu tree the host receives (in the
# default locale and in a Japanese one), the version refusal, notifications reaching the
# plug-in's handlers through the message queue, the exit item ending the client, and the host
# closing and reopening mid-session. One ok/FAIL line per check, then "N passed, N failed".
# Usage: tests/wine/host.sh   (the build that wine-env.sh chooses)
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${DISPLAY:-}" ]; then exec xvfb-run -a "$0" "$@"; fi
. "$root/tests/wine/wine-env.sh"
vlc_pick_wine "$root" || { echo "0 passed, 1 failed"; exit 1; }
vlc_describe_wine "$root" "host link"
build=$VLC_WIN_BUILD
wine=$WINE
work=$(mktemp -d)
export WINEPREFIX=$(mktemp -d)
trap '"$WINESERVER_BIN" -k 2>/dev/null; rm -rf "$work" "$WINEPREFIX"' EXIT

passed=0
failed=0
check() {  # check NAME STATUS
    if [ "$2" -eq 0 ]; then echo "ok $1"; passed=$((passed + 1)); else echo "FAIL $1"; failed=$((failed + 1)); fi
}
has() { grep -qxF -- "$2" "$work/$1.txt"; }      # has RUN LINE: the transcript holds the line
before() {  # before RUN A B: line A occurs, and before line B
    local a b
    a=$(grep -nxF -- "$2" "$work/$1.txt" | head -1 | cut -d: -f1)
    b=$(grep -nxF -- "$3" "$work/$1.txt" | tail -1 | cut -d: -f1)
    [ -n "$a" ] && [ -n "$b" ] && [ "$a" -lt "$b" ]
}
utf16() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 | tr -d ' \n'; }

cp "$build/ORVO.exe" "$build/Vellacord.dll" "$work/" || { echo "FAIL build outputs missing"; echo "0 passed, 1 failed"; exit 1; }
cd "$work"
host() {  # host RUN [LANG] STEP...: one host process, transcript in RUN.txt
    local run=$1 lang=$2; shift 2
    LANG=$lang timeout 120 "$wine" ORVO.exe "$@" >"$run.txt" 2>"$run.err"
    echo "exit $?" >>"$run.txt"
}
settings() { printf '[Vellacord]\r\nSMFKConfig=%s\r\n' "$1" >Vellacord.ini; }

captions=("Vellacord" "-" "Vellacord" "SMFナイフ" "デフォルト" "Config File" "その他..." "プロパティ..." "ヘルプ" "-" "終了")
tree_ok() {  # tree_ok RUN FIRST_ID: the menu tree printed after start, ids counted from FIRST_ID
    local run=$1 id=$(( $2 )) expected i
    local indent=("  " "  " "  " "    " "      " "      " "      " "    " "    " "    " "    ")
    expected=$'menu: 0x4000\n'
    for i in 0 1 2 3 4 5 6 7 8 9 10; do
        [ "$i" -eq 1 ] && expected+=$'menu: 0x5000\nmenu: 0x9000\n'
        expected+="menu: ${indent[$i]}[$(printf '0x%x' $((id + i)))] \"${captions[$i]}\""$'\n'
    done
    expected+='menu: 0x8000'
    grep -A100 -xF 'step: menu tree' "$run.txt" | grep '^menu: ' | head -16 | diff - <(echo "$expected") >/dev/null
}
utf16_ok() {  # utf16_ok RUN: the UTF-16 of each AddItem caption, in order, is the expected text's
    local got expected="" c
    got=$(grep -A1 'Menu.AddItem' "$1.txt" | grep '^com-utf16: ' | head -11 | cut -d' ' -f2)
    for c in "${captions[@]}"; do expected+="$(utf16 "$c")"$'\n'; done
    [ "$got" = "${expected%$'\n'}" ]
}

# ---- binding and the menu tree, default locale and Japanese locale ----
for locale in default ja; do
    lang=C.UTF-8; acp=1252
    [ "$locale" = ja ] && { lang=ja_JP.UTF-8; acp=932; }
    settings ""
    host "bind-$locale" "$lang" "load Vellacord.dll" run "pump 300" clients "menu tree" abort clients
    r="bind-$locale"
    grep -q "^host: started .* acp=$acp " "$r.txt"; check "$locale: the host runs with code page $acp" $?
    has "$r" "host: ORVOControl class object registered"; check "$locale: the class object is registered with COM" $?
    before "$r" "com: QueryInterface(IUnknown)" "com: CreateInstance -> 0x0"
    check "$locale: the plug-in's CoCreateInstance reaches the host's own class object" $?
    window=$(sed -n 's/^wm_orvo: wParam=0x401 lParam=\(0x[0-9a-f]*\)$/\1/p' "$r.txt" | head -1)
    grep -q "^com: Attach(instance=0x[0-9a-f]*, pid=[0-9]*, window=$window) -> mode 2, run 1 (this process)$" "$r.txt"
    check "$locale: Attach with the hidden window the plug-in announced ($window)" $?
    has "$r" "com: SetEvent($window, 0xeffff81f)"; check "$locale: SetEvent hands over the mask 0xEFFFF81F" $?
    has "$r" "client: window=$window mask=0xeffff81f"; check "$locale: the host holds the client with its mask" $?
    tree_ok "$r" 0x100; check "$locale: the menu tree the host sees, captions in Japanese" $?
    utf16_ok "$r"; check "$locale: the UTF-16 of every caption the host received" $?
    has "$r" "com: Detach($window), 0 menu items left behind"; check "$locale: stop removes every item, then detaches" $?
    has "$r" "clients: 0 attached, 0 references held"; check "$locale: stop releases every interface" $?
    has "$r" "exit 0" && ! grep -q FAIL "$r.txt"; check "$locale: the session ran to its end without failure" $?
done

# ---- version refusal ----
host refuse C.UTF-8 "load Vellacord.dll" "server-version 5999" run "pump 300" clients "menu tree" abort
has refuse "box: icon=warning caption=\"ORVO\" text=\"このバージョンのORVOには対応していません\\n対応版をお使いください\""
check "refusal: the two-line warning for host automation version 5999" $?
grep -q '^run: result=0x[0-9a-f]* nonzero decline=no$' refuse.txt && has refuse "clients: 0 attached, 0 references held"
check "refusal: the plug-in stays loaded, unbound, holding no interface" $?
! grep -q 'Menu.AddItem' refuse.txt && has refuse "exit 0"
check "refusal: no menu item is added and the plug-in stops cleanly" $?

# ---- converter libraries beside the plug-in, in a folder apart from the host's ----
mkdir -p "plug in"
cp Vellacord.dll "plug in/" && cp "$build/standins/rcpcv/rcpcv-double.dll" "plug in/rcpcv.dll" &&
    cp "$build/standins/smfk32/smfk32-double.dll" "plug in/smfk32.dll"
printf '[Vellacord]\r\nRCPCV=1\r\nSMFKnife=1\r\n' >"plug in/Vellacord.ini"
host beside C.UTF-8 'load "plug in\Vellacord.dll"' run abort 'print-file "%HOSTDIR%plug in\Vellacord.ini"'
has beside "file: RCPCV=1" && has beside "file: SMFKnife=1" && has beside "exit 0"
check "beside the plug-in: both converters are found and stay on" $?

# ---- the plug-in ended from inside its own boxes, as the player may do while one is up ----
settings ""
host endinbox C.UTF-8 "load Vellacord.dll" run "pump 300" "menu click 0x9000/Vellacord/プロパティ..." "dialog wait" \
    "dialog click SMFナイフ" abort-in-next-box "dialog click OK" "pump 500" clients 'open C:\Songs\a.mid'
grep -q '^dialog: shown ".*" owner=TFormORVO$' endinbox.txt
check "end inside a box: the settings dialog belongs to the player's window" $?
has endinbox 'box: icon=error caption="Vellacord" text="SMFK32.DLLがありません"' &&
    has endinbox "box: owner=VellacordFormMain" && before endinbox "host: _pinAbort returned inside the box" "clients: 0 attached, 0 references held"
check "end inside a box: the dialog's refusal box, owned by the dialog, ends the plug-in from inside" $?
has endinbox 'open: result=C:\Songs\a.mid same-pointer=yes' && has endinbox "exit 0" && ! grep -q FAIL endinbox.txt
check "end inside a box: the dialog's handler returned first; the host lives on, the plug-in is gone" $?
printf '[Vellacord]\r\nSMFKnife=1\r\n' >"plug in/Vellacord.ini"
host warnend C.UTF-8 'load "plug in\Vellacord.dll"' run abort-in-next-box 'open C:\Songs\a.mid' clients 'open C:\Songs\a.mid'
has warnend 'box: owner=TFormORVO' && [ "$(grep -c '^open: result=C:\\Songs\\a.mid same-pointer=yes$' warnend.txt)" -eq 2 ] &&
    has warnend "clients: 0 attached, 0 references held" && has warnend "exit 0" && ! grep -q FAIL warnend.txt
check "end inside a box: the missing-configuration warning, owned by the player, during a play" $?

# ---- notifications into the plug-in's handlers ----
settings 'C:\cfg\default.cfg'
host round C.UTF-8 "load Vellacord.dll" 'track C:\Songs\a.RCP' 'track C:\Songs\b.txt' "select 0" run "pump 300" \
    "notify post 0x100 0x10001" "menu display 0x9000" "pump 300" "menu tree" \
    'menu click 0x9000/Vellacord/SMFナイフ/C:\cfg\default.cfg' "pump 300" 'print-file "%HOSTDIR%Vellacord.ini"' \
    "menu click 0x9000/Vellacord/SMFナイフ/デフォルト" "pump 300" 'print-file "%HOSTDIR%Vellacord.ini"' \
    "select 1" "menu display 0x9000" "pump 300" "menu click 0x9000/Vellacord/終了" "pump 500" clients
grep -q '^notify: 0x100 masked out for ' round.txt; check "round trip: an unsubscribed notification is not sent" $?
before round 'com: Menu.SetItemCaption(0x105, "C:\\cfg\\default.cfg")' 'step: menu tree' &&
    before round "com: Menu.SetItemEnabled(0x103, 1)" "step: menu tree"
check "round trip: the display status refreshes the configuration item for a .RCP track" $?
has round 'menu:       [0x105] "C:\\cfg\\default.cfg"'; check "round trip: the host shows the refreshed caption" $?
has round 'com: Menu.GetItemCaption(0x105) -> "C:\\cfg\\default.cfg"' && has round 'file: C:\Songs\a.RCP=C:\cfg\default.cfg'
check "round trip: a click reaches the item, which reads its caption back and pins it" $?
[ "$(grep -c '^file: C:\\Songs\\a.RCP=' round.txt)" -eq 1 ]
check "round trip: a click on the default item removes the pinned key" $?
has round "com: Menu.SetItemEnabled(0x103, 0)"; check "round trip: the submenu is disabled for a .txt track" $?
before round "host: ending the client, _pinAbort" "host: client ended" &&
    before round "com: Abort($(sed -n 's/^com: Attach(.*window=\(0x[0-9a-f]*\)).*/\1/p' round.txt | head -1)), the host will end this client" "host: ending the client, _pinAbort"
check "round trip: the exit item asks the host, which ends the client from its loop" $?
has round "clients: 0 attached, 0 references held" && has round "exit 0" && ! grep -q FAIL round.txt
check "round trip: the ended client left nothing behind" $?

# ---- the host closes and opens again mid-session ----
host reopen C.UTF-8 "load Vellacord.dll" 'track C:\Songs\a.RCP' "select 0" run "pump 300" \
    "notify close" "pump 300" clients "notify open" "pump 300" clients "menu tree" \
    "menu display 0x9000" "pump 300" "menu click 0x9000/Vellacord/SMFナイフ/C:\\cfg\\default.cfg" "pump 300" \
    'print-file "%HOSTDIR%Vellacord.ini"' abort clients
has reopen "clients: 0 attached, 0 references held" && [ "$(grep -c '^com: Attach(' reopen.txt)" -eq 2 ]
check "reopen: Close unbinds and releases everything; Open binds again" $?
tree_ok reopen 0x10b; check "reopen: the menu is built anew after Open" $?
has reopen 'com: Menu.GetItemCaption(0x110) -> "C:\\cfg\\default.cfg"' && has reopen 'file: C:\Songs\a.RCP=C:\cfg\default.cfg'
check "reopen: the rebuilt menu answers display and click" $?
[ "$(grep -c '^clients: 0 attached, 0 references held$' reopen.txt)" -eq 2 ] && has reopen "exit 0" && ! grep -q FAIL reopen.txt
check "reopen: the plug-in stops cleanly afterwards" $?

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]

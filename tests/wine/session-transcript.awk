# Turns the stand-in host's full transcript of a session into one a newcomer reads: each step in
# words, the file the player was handed and whether the cache answered, what each converter
# did, the progress shown, the messages, the menu and the files shown. host.txt keeps it all.
function flush_section() {
    if (counter != "") print "   progress shown on the player's counter:" counter
    # Converters that keep no call log show a conversion by their progress on the counter.
    if (opened == "converted") print "   cache: " (calls || counter != "" ? "not there yet, so the song was converted" : "already converted earlier, no converter ran")
    else if (opened == "own") print "   not converted: the player plays the file it named"
    counter = ""; opened = ""; calls = 0
}
function menu_name(id) {
    if (id == "0x4000") return "the player's settings menu"
    if (id == "0x9000") return "the player's main menu"
    return "another menu of the player"
}
# The quoted text of a line (after the first double quote, without the last one); the host's
# call lines double their backslashes.
function quoted(line) {
    sub(/^[^"]*"/, "", line); sub(/"[^"]*$/, "", line)
    if (line ~ /\\\\/) gsub(/\\\\/, "\\", line)
    return line
}
/^== / { flush_section(); root = ""; print ""; print; next }
/FAIL/ { print "   " $0; next }
/^step: |^com-utf16|^box-utf16|^file: end|^kept: |: \(no calls\)$|callback\(|^(rcpcv|smfk32): (attach|detach)/ { next }
/^open: / {
    sub(/^open: result=/, "")
    own = sub(/ same-pointer=yes$/, "")
    sub(/ same-pointer=no$/, "")
    print "   the player is handed: " $0
    opened = own ? "own" : "converted"
    next
}
/^rcpcv: rcpcvConvertFile\(/ { calls++; print "   RCPCV (rcpcv.dll) reads " quoted($0); next }
/^rcpcv: rcpcvSaveSMF\(/ { calls++; n = $0; sub(/.*-> /, "", n); print "   RCPCV writes the MIDI file " quoted($0) (n == "0" ? "" : " (failed: " n ")"); next }
/^smfk32: SmfkConvert\(/ {
    calls++; split($0, f, "\"")
    print "   SMF Knife (smfk32.dll) turns " f[2] " into " f[4] ", configuration " f[6]
    next
}
/^smfk32: SmfkConvert -> / { n = $0; sub(/.*-> /, "", n); if (n != "0") print "   SMF Knife reports failure " n; next }
/^(rcpcv|smfk32): / { next }
/^com: set_Counter\(/ { v = $0; gsub(/[^0-9]/, "", v); counter = counter " " v; next }
/^load: ok / { sub(/^load: ok /, ""); print "   the player loads the plug-in " $0; next }
/^host: AcceptsVersion\(/ { print "   the plug-in asks whether the player takes plug-ins of version 6000: " ($0 ~ /-> 1$/ ? "yes" : "no"); next }
/^host: HostVersion\(\) -> / { sub(/.*-> /, ""); print "   the player says it is version " $0; next }
/^run: / { print ($0 ~ /decline=no/ ? "   the plug-in has started" : "   the plug-in refused to start"); next }
/^abort: returned/ { print "   the player has stopped the plug-in"; next }
/^com: CheckVersion\(/ { print "   the player accepts the plug-in's link version" ($0 ~ /S_OK/ ? "" : ": NO"); next }
/^com: Attach\(/ { print "   the plug-in connects to the player"; next }
/^com: SetEvent\(/ { print "   the plug-in tells the player which notices it wants"; next }
/^com: Detach\(/ { n = $0; sub(/.*\), /, "", n); print "   the plug-in disconnects from the player (" n ")"; next }
/^com: Abort\(/ { print "   the plug-in's exit item asks the player to end it"; next }
/^host: ending the client/ { print "   the player ends the plug-in"; next }
/^host: client ended/ { print "   the plug-in has ended"; next }
/^com: Menu\.SetItemCaption\(/ { print "   the plug-in shows \"" quoted($0) "\" in its menu"; next }
/^com: Menu\.SetItemEnabled\(/ { print "   the plug-in " ($0 ~ /, 1\)$/ ? "enables" : "disables") " its SMF Knife menu for this song"; next }
/^com: Menu\.GetItemCaption\(/ { print "   the plug-in reads the clicked item: \"" quoted($0) "\""; next }
/^shell: ShellExecuteA\(/ {
    chm = $0; sub(/.*file="/, "", chm); sub(/", parameters=.*/, "", chm)
    print "   the plug-in asks Windows to open its help file " chm ($0 ~ /exists=yes$/ ? "" : " (NOT THERE)")
    next
}
/^com: / { next }
/^host: / { next }
/^menu: 0x[0-9a-f]+$/ { root = menu_name($2); next }  # printed with its first item
/^menu: / {
    if (root != "") print "   " root ":"
    root = ""
    line = $0; sub(/^menu: /, "", line); sub(/\[0x[0-9a-f]*\] /, "", line); print "   " line
    next
}
/^box: icon=/ { t = $0; sub(/.* text="/, "", t); sub(/"$/, "", t); print "   message box: \"" t "\""; next }
/^box: / { next }
/^dialog: shown / { print "   the settings dialog is open: \"" quoted($0) "\""; next }
/^dialog: none shown/ { print "   the settings dialog is closed"; next }
/^dialog: click / { print "   the user clicks \"" quoted($0) "\""; next }
/^dialog: typed / { print "   the user types \"" quoted($0) "\" into the cache size"; next }
/^dialog: / { sub(/^dialog: +/, ""); print "      control " $0; next }
/^clients: / {
    print ($0 ~ /^clients: 0 attached, 0 references held/ ? "   the player holds nothing of the plug-in any more" : "   the player: " substr($0, 10))
    next
}
/^list: [0-9]+ files?$/ { print "   " $2 " cache file(s) in the plug-in's folder"; next }
/^list: / { print "   in the plug-in's folder: " $2; next }
/^file: / { sub(/^file: /, "   | "); print; next }
END { flush_section() }

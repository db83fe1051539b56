# Turns the stand-in host's full transcript of a session into one a person reads: each step,
# the path the host got and whether the cache answered, converter calls, the counter, messages,
# the menu tree and the files shown.
function flush_section() {
    if (counter != "") print "   counter shown by the host:" counter
    # Converters that keep no call log show a conversion by their progress on the counter.
    if (opened == "converted") print "   cache: " (calls || counter != "" ? "miss, converted" : "hit, no converter call")
    else if (opened == "own") print "   not converted: the host plays its own file"
    counter = ""; opened = ""; calls = 0
}
/^== / { flush_section(); print ""; print; next }
/FAIL/ { print "   " $0; next }
/^step: |^com-utf16|^box-utf16|^file: end|^kept: |: \(no calls\)$|callback\(/ { next }
/^open: / {
    sub(/^open: result=/, "")
    own = sub(/ same-pointer=yes$/, "")
    sub(/ same-pointer=no$/, "")
    print "   the host got: " $0
    opened = own ? "own" : "converted"
    next
}
/^(rcpcv|smfk32): / {
    if ($0 ~ /ConvertFile\(|SaveSMF\(|SmfkConvert\(/) calls++
    sub(/^rcpcv: /, "   rcpcv.dll  "); sub(/^smfk32: /, "   smfk32.dll ")
    print; next
}
/^com: set_Counter\(/ { v = $0; gsub(/[^0-9]/, "", v); counter = counter " " v; next }
/^com: (CheckVersion|get_Version|Attach|Detach|SetEvent|Abort|Menu\.SetItem|Menu\.GetItemCaption)/ {
    sub(/^com: /, "   host: "); print; next
}
/^host: (AcceptsVersion|HostVersion|PluginFileName|ending|client ended)/ { print "   " $0; next }
/^(run|abort|load|box|menu|dialog|clients|list): / { print "   " $0; next }
/^file: / { sub(/^file: /, "   | "); print; next }
END { flush_section() }

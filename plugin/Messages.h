// The plug-in's own user-visible texts, as code-page-932 bytes.
#pragma once

namespace messages {

// Caption of every message box the plug-in shows.
inline constexpr char kCaption[] = "Vellacord";

// "Vellacord\n\nこのバージョンのORVOには対応していません\n対応版をお使いください"
inline constexpr char kHostRefused[] =
    "Vellacord\x0a\x0a\x82\xb1\x82\xcc\x83o\x81[\x83W\x83\x87\x83\x93\x82\xccORVO\x82\xc9\x82\xcd"
    "\x91\xce\x89\x9e\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1\x0a\x91\xce\x89\x9e\x94\xc5"
    "\x82\xf0\x82\xa8\x8eg\x82\xa2\x82\xad\x82\xbe\x82\xb3\x82\xa2";

}  // namespace messages

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

// "SMFナイフ コンフィグファイルが設定されていません"
inline constexpr char kNoConfig[] =
    "SMF\x83i\x83"
    "C\x83t \x83R\x83\x93\x83t\x83"
    "B\x83O\x83t\x83@\x83"
    "C\x83\x8b\x82\xaa\x90\xdd"
    "\x92\xe8\x82\xb3\x82\xea\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1";

// Menu captions.
inline constexpr char kMenuPlugin[] = "Vellacord";
inline constexpr char kMenuSeparator[] = "-";
inline constexpr char kMenuSmfKnife[] =
    "SMF\x83i\x83"
    "C\x83t";  // SMFナイフ
inline constexpr char kMenuDefault[] =
    "\x83"
    "f\x83t\x83H\x83\x8b\x83g";  // デフォルト
inline constexpr char kMenuConfigFile[] = "Config File";
inline constexpr char kMenuOther[] = "\x82\xbb\x82\xcc\x91\xbc...";  // その他...
inline constexpr char kMenuProperties[] =
    "\x83v\x83\x8d\x83p\x83"
    "e\x83"
    "B...";                                                // プロパティ...
inline constexpr char kMenuHelp[] = "\x83w\x83\x8b\x83v";  // ヘルプ
inline constexpr char kMenuExit[] = "\x8fI\x97\xb9";       // 終了

// The configuration-file chooser: "SMFナイフ コンフィグファイル" and
// "コンフィグファイル (*.cfg)|*.cfg|すべてのファイル (*.*)|*.*".
inline constexpr char kConfigDialogTitle[] =
    "SMF\x83i\x83"
    "C\x83t \x83R\x83\x93\x83t\x83"
    "B\x83O\x83t\x83@\x83"
    "C\x83\x8b";
inline constexpr char kConfigDialogFilter[] =
    "\x83R\x83\x93\x83t\x83"
    "B\x83O\x83t\x83@\x83"
    "C\x83\x8b (*.cfg)|*.cfg|\x82\xb7\x82\xd7\x82\xc4"
    "\x82\xcc\x83t\x83@\x83"
    "C\x83\x8b (*.*)|*.*";

}  // namespace messages

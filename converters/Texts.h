// The converter bindings' own user-visible texts, as code-page-932 bytes.
#pragma once

namespace converters::texts {

inline constexpr char kCaption[] = "Vellacord";

// "SMFナイフが使用できません"
inline constexpr char kSmfKnifeUnusable[] =
    "SMF\x83i\x83"
    "C\x83t\x82\xaa\x8eg\x97p\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";

// "RCPCVが使用できません"
inline constexpr char kRcpcvUnusable[] =
    "RCPCV\x82\xaa\x8eg\x97p\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1";

}  // namespace converters::texts

// Fuzzes the playlist's track record reading, whose CD fallback takes drive and track number
// from the file name when the player left them at 0: random names (code page 932 bytes or raw
// UTF-16 units), kinds and packed numbers from the player.
#include <cstdint>
#include <memory>
#include <string>

#include "hostlink/orvo.h"
#include "tests/fuzz/FuzzWorld.h"

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    fuzz::World world;
    world.os.ansiCodePage = data.ConsumeBool() ? platform::kCodePage932 : 1252;

    fake::HostTrack track;
    const std::int32_t kind =
        data.ConsumeBool() ? data.PickValueInArray({16, 17}) : data.ConsumeIntegral<std::int32_t>();
    const auto packed = data.ConsumeBool() ? data.ConsumeIntegral<std::uint32_t>()
                                           : data.ConsumeIntegralInRange<std::uint32_t>(0, 0x1FFFF);
    track.values[3] = kind;
    track.values[4] = static_cast<std::int32_t>(packed);
    const bool wide = data.ConsumeBool();
    std::string name = data.ConsumeRemainingBytesAsString();
    if (wide) {
        track.texts[2].assign(reinterpret_cast<const char16_t*>(name.data()), name.size() / 2);
    } else {
        track.texts[2] = world.os.ToUtf16(name, world.os.ansiCodePage);
    }
    world.server.tracks = {track};

    {
        TORVO orvo(nullptr);
        orvo.Bind();
        Check(orvo.Bound, "bound to the faked player");
        const TTrackInfo info = orvo.GetTrackInfo(0);
        const auto drive = static_cast<std::int32_t>(packed >> 16);
        const auto trackNo = static_cast<std::int32_t>(packed & 0xFFFF);
        const bool fallback = (kind == 16 || kind == 17) && (drive == 0 || trackNo == 0);
        if (!fallback) {
            Check(info.Drive == drive && info.TrackNo == trackNo, "numbers as the player gave");
        } else {
            Check(info.Drive == drive || (info.Drive >= 0 && info.Drive <= 26),
                  "a drive from the path lies in a to z");
        }
        Check(info.Kind == kind && info.Spare == 0, "kind carried, spare empty");
    }
    world.CheckBalanced();
    return 0;
}

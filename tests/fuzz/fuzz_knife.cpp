// Fuzzes the MIDI reader and the post-processor: random file bytes (bare, RIFF-wrapped or behind
// a MacBinary header), random options and, now and then, a random configuration text. Any input
// must end in an output or a knife::Error; an output must read back with the same format and
// division, and a run that changes nothing must keep every event of every track.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "knife/Config.h"
#include "knife/Knife.h"
#include "smf/Smf.h"

namespace {

void Check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "property failed: %s\n", what);
    std::abort();
}

bool SameEvents(const smf::Track& a, const smf::Track& b) {
    if (a.events.size() != b.events.size()) return false;
    for (size_t i = 0; i < a.events.size(); ++i) {
        const smf::Event& x = a.events[i];
        const smf::Event& y = b.events[i];
        if (x.tick != y.tick || x.status != y.status || x.metaType != y.metaType ||
            x.data != y.data) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const std::uint8_t flags = data.ConsumeIntegral<std::uint8_t>();
    knife::Options options;
    options.ch10 = flags & 1;
    options.bank = flags & 2;
    options.cc64 = flags & 4;
    options.macCut = flags & 8;
    knife::Config config;
    if (flags & 16) {
        try {
            config = knife::ParseConfig(data.ConsumeRandomLengthString(200));
        } catch (const knife::Error& e) {
            Check(e.failure == knife::Failure::BadConfig && e.line > 0,
                  "config errors name a line");
            return 0;
        }
    }
    const std::vector<std::uint8_t> file = data.ConsumeRemainingBytes<std::uint8_t>();

    std::vector<std::uint8_t> out;
    try {
        out = knife::Process(file.data(), file.size(), config, options);
    } catch (const knife::Error& e) {
        Check(e.failure == knife::Failure::NotSmf, "a bad file is refused as not a MIDI file");
        return 0;
    }
    const smf::File result = smf::Read(out);  // throws, and so crashes, if unreadable
    Check(result.format <= 1, "format 0 or 1 out");

    if (!(flags & (16 | 1 | 2 | 4))) {
        // Nothing to change: the output holds the input's tracks event by event.
        smf::File source;
        bool found = false;
        // The song is at the front, or else behind a MacBinary header; RIFF files are not
        // compared, nor those only a lenient reading accepts.
        auto tag = [&](std::size_t at) {
            return file.size() >= at + 4 ? std::string(file.begin() + at, file.begin() + at + 4)
                                         : std::string();
        };
        const bool riff = tag(0) == "RIFF";
        for (std::size_t start : {std::size_t{0}, std::size_t{128}}) {
            if (found || riff || tag(start) != "MThd") continue;
            if (start == 128 && tag(0) == "MThd") continue;
            try {
                source = smf::Read(file.data() + start, file.size() - start);
                found = true;
            } catch (const smf::FormatError&) {
            }
        }
        if (found) {
            Check(source.tracks.size() == result.tracks.size(), "same track count");
            Check(source.division == result.division && source.format == result.format,
                  "same format and division");
            for (std::size_t t = 0; t < source.tracks.size(); ++t) {
                Check(SameEvents(source.tracks[t], result.tracks[t]), "same events");
            }
        }
    }
    return 0;
}

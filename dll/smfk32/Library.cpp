// The exports of smfk32.dll over the portable post-processor: read the source and the
// configuration, process, write the destination whole or not at all, and turn every failure
// into its own result code.
#include <windows.h>

#include <cstring>
#include <new>
#include <vector>

#include "dll/common/FileAccess.h"
#include "dll/common/Guard.h"
#include "dll/common/ProgressSteps.h"
#include "dll/smfk32/smfk32.h"
#include "knife/Config.h"
#include "knife/Knife.h"
#include "smf/Smf.h"

namespace {

// The player is a 32-bit process. Post-processing holds the source, the song (eight bytes an
// event) and the result at once: at the densest (two-byte events, whose running status a channel
// move may break) that peaks near 6.5 times the file, and a format 0 file needs its events in one
// block of four times its size. 16 MB keeps the peak near 100 MB and that block at 64 MB, which a
// fragmented 2 GB address space still finds; MIDI files seldom pass one megabyte.
constexpr std::size_t kSourceLimit = 16u << 20;
constexpr std::size_t kConfigLimit = 1u << 20;

// Forwards the post-processor's percentages to the caller, with the record's owner word.
class Progress {
  public:
    Progress(SmfkProgressCallback callback, std::uint32_t owner)
        : callback_(callback), owner_(owner) {}

    bool Report(int percent) {
        if (!callback_) return true;
        const auto next = steps_.Next(percent);
        return !next || callback_(*next, owner_) != 0;
    }

  private:
    SmfkProgressCallback callback_;
    std::uint32_t owner_;
    dllfront::ProgressSteps steps_;
};

std::int32_t Run(const char* source, const char* dest, const char* config,
                 const SmfkOptions* record, SmfkProgressCallback callback) {
    if (!source || !*source || !dest || !*dest) return SMFK_BAD_ARGUMENTS;
    SmfkOptions words{};  // a missing record leaves every option off (Mac off at 0)
    words.ch10 = words.bank = words.cc64 = -1;
    if (record) {
        // Read as bytes: the caller's record need not be aligned, and only its claimed size
        // may be read.
        std::int32_t size = 0;
        std::memcpy(&size, record, sizeof size);
        if (size < static_cast<std::int32_t>(sizeof(SmfkOptions))) return SMFK_BAD_ARGUMENTS;
        std::memcpy(&words, record, sizeof words);
    }
    Progress progress(callback, words.owner);
    if (!progress.Report(0)) return SMFK_STOPPED;

    const auto input = dllfront::ReadWholeFile(source, kSourceLimit);
    if (!input) return SMFK_SOURCE_UNREADABLE;
    std::vector<std::uint8_t> configBytes;
    if (config && *config) {
        auto read = dllfront::ReadWholeFile(config, kConfigLimit);
        if (!read) return SMFK_BAD_CONFIG;
        configBytes = std::move(*read);
    }
    try {
        const knife::Config parsed = knife::ParseConfig(configBytes.data(), configBytes.size());
        const knife::Options options =
            knife::OptionsFromWords(words.ch10, words.bank, words.cc64, words.mac);
        const std::vector<std::uint8_t> output =
            knife::Process(input->data(), input->size(), parsed, options, nullptr,
                           [&progress](int percent) { return progress.Report(percent); });
        // The last report comes before anything is written: a stop there writes nothing.
        if (!progress.Report(100)) return SMFK_STOPPED;
        return dllfront::WriteWholeOrNothing(dest, output) ? SMFK_DONE : SMFK_NOT_WRITABLE;
    } catch (const knife::Error& error) {
        switch (error.failure) {
            case knife::Failure::NotSmf:
                return SMFK_NOT_SMF;
            case knife::Failure::BadConfig:
                return SMFK_BAD_CONFIG;
            case knife::Failure::Stopped:
                return SMFK_STOPPED;
        }
        return SMFK_INTERNAL_ERROR;
    } catch (const smf::FormatError&) {
        return SMFK_NOT_SMF;
    }
}

}  // namespace

extern "C" {

std::int32_t SMFK_CALL SmfkConvert(void*, const char* source, const char* dest, const char* config,
                                   std::int32_t, const SmfkOptions* options,
                                   SmfkProgressCallback callback) {
    return dllfront::Guarded<std::int32_t>(
        SMFK_INTERNAL_ERROR, [&] { return Run(source, dest, config, options, callback); });
}

std::int32_t SMFK_CALL GetSmfkVersion() {
    return 100;
}

}  // extern "C"

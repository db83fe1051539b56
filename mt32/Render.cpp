// The song is walked in playing order (all tracks merged by tick) with the MT-32's state
// following it. What the synthesizer is told is sent just before the event that needs it, in
// that event's track, so that it comes first whatever the order players merge tracks in: once
// for every part before the song's first channel message, then wherever a part's state changed.
#include "mt32/Render.h"

#include <algorithm>
#include <array>
#include <set>

#include "mt32/Machine.h"
#include "mt32/Presets.h"
#include "mt32/Synth.h"
#include "smf/Resets.h"

namespace mt32 {
namespace {

constexpr int kDrumChannel = 9;

struct Place {
    uint32_t tick;
    size_t track, index;
};

std::vector<Place> PlayingOrder(const smf::File& file) {
    std::vector<Place> order;
    for (size_t track = 0; track < file.tracks.size(); ++track)
        for (size_t index = 0; index < file.tracks[track].events.size(); ++index)
            order.push_back({file.tracks[track].events[index].tick, track, index});
    std::stable_sort(order.begin(), order.end(), [](const Place& a, const Place& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.track < b.track;
    });
    return order;
}

// Each track's port as its port events say; only port A's messages reach the MT-32.
class Ports {
  public:
    explicit Ports(size_t tracks) : ports_(tracks, 0) {}
    // Whether `event` of `track` goes to the MT-32's port.
    bool onMt32(size_t track, const smf::Event& event) {
        if (event.isMeta() && event.metaType == 0x21 && event.data.size() == 1)
            ports_[track] = event.data[0];
        return ports_[track] == 0;
    }

  private:
    std::vector<uint8_t> ports_;
};

// A reset that would undo the rendering: the song's own GS reset or GM System On.
bool IsDeviceReset(const smf::Event& event) {
    if (event.status != 0xF0) return false;
    const auto reset = smf::ResetIn(event.data.data(), event.data.size());
    return reset == smf::DeviceReset::GsReset || reset == smf::DeviceReset::GmSystemOn;
}

std::string PartName(int part) {
    return part == kRhythmPart ? "rhythm part" : "part " + std::to_string(part + 1);
}

std::string Plural(size_t count, const std::string& one, const std::string& many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Channel 10 is free for the rhythm part when nothing else ever plays there: no melodic part
// listens on it while the song sends it something, and nothing is sent there unheard.
bool DrumChannelFree(const smf::File& file, const std::vector<Place>& order) {
    Machine machine;
    Ports ports(file.tracks.size());
    for (const Place& at : order) {
        const smf::Event& event = file.tracks[at.track].events[at.index];
        if (!ports.onMt32(at.track, event)) continue;
        if (event.status == 0xF0) machine.Receive(event.data.data(), event.data.size());
        if (event.isChannel() && event.channel() == kDrumChannel &&
            machine.partOn(kDrumChannel) != kRhythmPart)
            return false;
    }
    return true;
}

class Renderer {
  public:
    Renderer(smf::File& file, Target target)
        : file_(file), target_(target), synth_(target), out_(file.tracks.size()) {}

    std::vector<std::string> Run() {
        const std::vector<Place> order = PlayingOrder(file_);
        moveRhythm_ = DrumChannelFree(file_, order);
        Ports ports(file_.tracks.size());
        for (const Place& at : order) {
            smf::Event& event = file_.tracks[at.track].events[at.index];
            std::vector<smf::Event>& out = out_[at.track];
            if (!ports.onMt32(at.track, event) || event.isMeta() || event.status == 0xF7) {
                out.push_back(std::move(event));
            } else if (event.status == 0xF0) {
                Exclusive(std::move(event), out);
            } else {
                Channel(std::move(event), out);
            }
        }
        for (size_t track = 0; track < out_.size(); ++track)
            file_.tracks[track].events = std::move(out_[track]);
        std::vector<std::string> report = Report();
        if (file_.tracks.empty()) file_.tracks.emplace_back();
        std::vector<smf::Event>& first = file_.tracks[0].events;
        first.insert(first.begin(),
                     {synth_.Reset(), {0, 0xFF, 0x01, {report[0].begin(), report[0].end()}}});
        return report;
    }

  private:
    void Exclusive(smf::Event event, std::vector<smf::Event>& out) {
        const Received received = machine_.Receive(event.data.data(), event.data.size());
        if (received == Received::Applied) stale_ = true;
        if (received != Received::Other || IsDeviceReset(event)) return;
        out.push_back(std::move(event));
    }

    void Channel(smf::Event event, std::vector<smf::Event>& out) {
        const uint32_t tick = event.tick;
        if (!started_ || stale_) {
            started_ = true;
            BringAll(tick, out);
        }
        const int channel = event.channel();
        const std::optional<int> part = machine_.partOn(channel);
        if (!part) {
            if (event.kind() == 0x90 && event.data[1] > 0) ++unheardNotes_;
            out.push_back(std::move(event));
            return;
        }
        const bool rhythm = *part == kRhythmPart;
        const int to = rhythm ? RhythmChannel(channel) : channel;
        const auto pass = [&] {
            if (to != channel) ++movedRhythm_;
            event.status = uint8_t(event.kind() | to);
            out.push_back(std::move(event));
        };
        switch (event.kind()) {
            case 0x80:
            case 0x90:
            case 0xE0:
                pass();
                return;
            case 0xC0:
                if (rhythm) break;
                machine_.ProgramChange(*part, event.data[0]);
                ++programChanges_;
                synth_.ForgetProgram(to);
                Bring(*part, tick, out);
                return;
            case 0xB0:
                if (Controller(*part, channel, to, event)) pass();
                return;
            default:  // key and channel pressure
                break;
        }
        ++ignored_;
    }

    // Returns whether the controller goes on as it is; it may be sent changed instead.
    bool Controller(int part, int channel, int to, smf::Event& event) {
        const int controller = event.data[0], value = event.data[1];
        const bool rhythm = part == kRhythmPart;
        switch (controller) {
            case 1:
            case 11:
            case 64:
            case 121:
            case 123:
                return true;
            case 124:  // the mode messages act as all notes off on the MT-32, and only that
            case 125:
            case 126:
            case 127:
                event.data = {123, 0};
                return true;
            case 7:
                machine_.SetVolume(part, value);
                synth_.SongSent(to, 7, value);
                return true;
            case 10:
                if (rhythm) break;  // its keys have their own pans
                machine_.SetPan(part, 127 - value);
                synth_.SongSent(to, 10, 127 - value);
                event.data[1] = uint8_t(127 - value);
                return true;
            case 101:
            case 100:
                rpn_[channel][controller == 101 ? 0 : 1] = value;
                nrpn_[channel] = false;
                synth_.SongSent(to, controller, value);
                return true;
            case 99:  // non-registered parameters: not taken, and they block data entry
            case 98:
                nrpn_[channel] = true;
                break;
            case 6:
                if (rhythm || nrpn_[channel] || rpn_[channel][0] != 0 || rpn_[channel][1] != 0)
                    break;
                machine_.SetBenderRange(part, value);
                event.data[1] = uint8_t(machine_.part(part).benderRange);
                synth_.SongSent(to, 6, event.data[1]);
                return true;
            default:
                break;
        }
        ++ignored_;
        return false;
    }

    int RhythmChannel(int channel) const { return moveRhythm_ ? kDrumChannel : channel; }

    // Every part (and the system area) brought to the machine's state.
    void BringAll(uint32_t tick, std::vector<smf::Event>& out) {
        stale_ = false;
        synth_.BringSystem(machine_.masterVolume(), machine_.reverbMode(), machine_.reverbTime(),
                           machine_.reverbLevel(), tick, out);
        for (int part = 0; part < kParts; ++part) Bring(part, tick, out);
    }

    void Bring(int part, uint32_t tick, std::vector<smf::Event>& out) {
        const std::optional<int> channel = machine_.channelOf(part);
        // A part that shares its channel with an earlier one is not heard apart from it.
        if (!channel || machine_.partOn(*channel) != part) return;
        const bool rhythm = part == kRhythmPart;
        const int to = rhythm ? RhythmChannel(*channel) : *channel;
        if (rhythm && to != kDrumChannel) leftRhythmChannel_ = to;
        // GM keeps channel 10 for drums whatever the song sends there.
        if (!rhythm && to == kDrumChannel && target_ == Target::GM) melodicOnDrums_ = part;
        const Part& state = machine_.part(part);
        Voice voice;
        voice.drums = rhythm;
        voice.volume = state.volume;
        if (rhythm) {
            voice.bankLsb = 1;  // the GS map of the MT-32's drum set; the standard kit on GM
            voice.program = target_ == Target::GS ? 127 : 0;
            voice.reverb = 64;
        } else {
            const int preset = PresetOf(part, state);
            voice.bankMsb = 127;  // the MT-32 map...
            voice.bankLsb = 1;    // ...as the first GS synthesizers hold it
            voice.program = target_ == Target::GS ? preset : GmProgramOf(preset);
            voice.benderRange = state.benderRange;
            voice.keyShift = state.keyShift;
            voice.fineTune = state.fineTune;
            voice.pan = state.pan;
            voice.reverb = state.reverb ? 64 : 0;
        }
        synth_.Bring(to, voice, tick, out);
        brought_.insert(part);
    }

    int PresetOf(int part, const Part& state) {
        switch (state.group) {
            case TimbreGroup::A:
                return state.timbre;
            case TimbreGroup::B:
                return 64 + state.timbre;
            case TimbreGroup::Memory: {
                const std::string name = machine_.customName(state.timbre);
                const int preset = PresetForCustomTimbre(name, state.program);
                custom_.insert(PartName(part) + ": custom timbre '" + name + "' played as '" +
                               PresetName(preset) + "'");
                return preset;
            }
            case TimbreGroup::Rhythm:
                break;
        }
        custom_.insert(PartName(part) + ": rhythm timbre r" + std::to_string(state.timbre + 1) +
                       " played as '" + PresetName(state.program) + "'");
        return state.program;
    }

    std::vector<std::string> Report() const {
        std::string summary = std::string("MT-32 song rendered for ") + TargetName(target_) + ": " +
                              Plural(brought_.size(), "part", "parts") + ", " +
                              Plural(programChanges_, "program change", "program changes");
        if (!custom_.empty())
            summary +=
                ", " + Plural(custom_.size(), "custom timbre", "custom timbres") + " approximated";
        std::vector<std::string> report{summary};
        report.insert(report.end(), custom_.begin(), custom_.end());
        if (movedRhythm_)
            report.push_back("rhythm part moved to channel 10: " +
                             Plural(movedRhythm_, "message", "messages"));
        if (leftRhythmChannel_)
            report.push_back(
                "rhythm part left on channel " + std::to_string(*leftRhythmChannel_ + 1) +
                (target_ == Target::GS ? ", which plays the drum set there"
                                       : ": channel 10 is taken, so it plays melodic sounds"));
        if (melodicOnDrums_)
            report.push_back(PartName(*melodicOnDrums_) +
                             " listens on channel 10, where a GM synth plays drums");
        if (ignored_)
            report.push_back(Plural(ignored_, "message", "messages") +
                             " the MT-32 ignores left out");
        if (unheardNotes_)
            report.push_back(Plural(unheardNotes_, "note", "notes") +
                             " on channels no MT-32 part listens to, left as written");
        return report;
    }

    smf::File& file_;
    Target target_;
    Machine machine_;
    Synth synth_;
    std::vector<std::vector<smf::Event>> out_;
    bool moveRhythm_ = false, started_ = false, stale_ = false;
    std::array<std::array<int, 2>, 16> rpn_ = [] {
        std::array<std::array<int, 2>, 16> none;
        for (auto& selection : none) selection = {127, 127};
        return none;
    }();
    std::array<bool, 16> nrpn_{};
    std::set<int> brought_;
    std::set<std::string> custom_;
    std::optional<int> leftRhythmChannel_, melodicOnDrums_;
    size_t programChanges_ = 0, movedRhythm_ = 0, ignored_ = 0, unheardNotes_ = 0;
};

}  // namespace

bool HasDataSets(const smf::File& file) {
    for (const smf::Track& track : file.tracks)
        for (const smf::Event& event : track.events)
            if (event.status == 0xF0 && IsDataSet(event.data.data(), event.data.size()))
                return true;
    return false;
}

std::optional<std::vector<std::string>> Render(smf::File& file, Target target, bool setupNamed) {
    if (target == Target::None || (!setupNamed && !HasDataSets(file))) return std::nullopt;
    return Renderer(file, target).Run();
}

}  // namespace mt32

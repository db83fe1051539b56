// Bank: a bank select only matters to the program change that follows it. One that no program
// change follows before the channel's next note would switch the bank under a sounding program
// on some devices and not on others, so it goes.
#include "knife/Rules.h"

namespace knife {
namespace {

bool IsBankSelect(const smf::Event& e) {
    return e.kind() == 0xB0 && (e.data[0] == 0 || e.data[0] == 32);
}

}  // namespace

void HandleBankSelects(smf::File& file, bool removeAll, Report& report) {
    const std::vector<EventRef> order = PlayingOrder(file);
    // Walking backwards, `programNext[ch]` tells whether the channel's next program change or
    // note-on (in playing order, across all tracks) is a program change.
    std::array<bool, 16> programNext{};
    std::vector<std::vector<bool>> doomed(file.tracks.size());
    for (size_t t = 0; t < file.tracks.size(); ++t) doomed[t].resize(file.tracks[t].events.size());
    size_t removed = 0;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const smf::Event& e = file.tracks[it->track].events[it->index];
        if (!e.isChannel()) continue;
        const int ch = e.channel();
        if (e.kind() == 0xC0) {
            programNext[ch] = true;
        } else if (e.kind() == 0x90 && e.data[1] > 0) {
            programNext[ch] = false;
        } else if (IsBankSelect(e) && (removeAll || !programNext[ch])) {
            doomed[it->track][it->index] = true;
            ++removed;
        }
    }
    RemoveDoomed(file, doomed);
    AddLine(report, "Bank",
            {Count(removed, removeAll ? "bank selects removed (GM target)"
                                      : "bank selects without a program change removed")});
}

}  // namespace knife

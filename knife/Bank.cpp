// Bank: a bank select only matters to the program change that follows it. One that no program
// change follows before the channel's next note would switch the bank under a sounding program
// on some devices and not on others, so it goes.
#include "knife/Rules.h"

namespace knife {
namespace {

bool IsBankSelect(const Event& e) {
    return e.kind() == 0xB0 && (e.data1() == 0 || e.data1() == 32);
}

}  // namespace

void HandleBankSelects(Song& song, bool removeAll, Report& report) {
    // Walking backwards, `programNext[ch]` tells whether the channel's next program change or
    // note-on (in playing order, across all tracks) is a program change.
    std::array<bool, 16> programNext{};
    size_t removed = 0;
    PlayingOrder order(song, PlayingOrder::Backwards);
    for (EventRef at; order.next(&at);) {
        Event& e = song.tracks[at.track].events[at.index];
        if (!e.isChannel()) continue;
        const int ch = e.channel();
        if (e.kind() == 0xC0) {
            programNext[ch] = true;
        } else if (e.isNoteOn()) {
            programNext[ch] = false;
        } else if (IsBankSelect(e) && (removeAll || !programNext[ch])) {
            e.remove();
            ++removed;
        }
    }
    AddLine(report, "Bank",
            {Count(removed, removeAll ? "bank selects removed (GM target)"
                                      : "bank selects without a program change removed")});
}

}  // namespace knife

// Songs written for the MT-32 family rendered for a GS or GM synthesizer: the programs, drum set,
// bender ranges, pans and levels the MT-32 would have played, at every note, from its power-on
// state and every data set the song sends it (a setup file's included); what the MT-32 ignores
// is not passed on. Notes keep their keys, times and velocities.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mt32/Target.h"
#include "smf/Smf.h"

namespace mt32 {

// Whether the file holds a data set of the MT-32 family (model 16h).
bool HasDataSets(const smf::File& file);

// Renders `file` in place for `target` when it holds MT-32 data: data sets, or, with
// `setupNamed`, none at all where the song names an MT-32 setup file that was not sent. Returns
// the report, its first line the summary ("MT-32 song rendered for GS: 9 parts, 14 program
// changes, 1 custom timbre approximated"), which the file also carries as a text event; nothing,
// and the file untouched, for Target::None or a song without MT-32 data. Raises nothing beyond
// allocation failures.
std::optional<std::vector<std::string>> Render(smf::File& file, Target target, bool setupNamed);

}  // namespace mt32

// Standard MIDI File bytes as the stand-in converters write them: format 0, one track that
// names its source in a text event, a few notes whose number grows modestly with the source's
// size, and an end-of-track event.
#pragma once

#include <cstdint>
#include <string>

namespace standin {

// How many notes a source of `sourceBytes` bytes turns into: at least 1, at most 257.
std::size_t NotesFor(std::uint64_t sourceBytes);

// A complete file; `text` goes into a text meta event, `trackName` into the track name.
std::string MakeSmf(const std::string& trackName, const std::string& text, std::size_t notes);

}  // namespace standin

// Deterministic inputs for the archive round trips: the same bytes on every
// run and platform, shaped like what the program really meets.
#pragma once

#include <string>
#include <vector>

namespace roundtrip {

struct DataSet {
  const char* name;  // also the member's file name
  std::string bytes;
};

// A parts index as the server publishes it: 6,783,440 bytes, nearly all
// zero, with group, subgroup and part records scattered through it.
std::string parts_index_shape();
// Shift-JIS catalogue text: lines of part numbers, names and makers.
std::string catalogue_text(size_t size);
// Bytes no compressor can shrink.
std::string random_bytes(size_t size, unsigned seed);
// Runs of text, noise, zeros and repeats from far back, cut so that the
// encoder crosses many blocks and uses the whole of a 64 KB dictionary.
std::string mixed(size_t size);
// Bytes whose literal code, left alone, would need codes longer than the
// 16 bits a block can describe.
std::string lopsided(size_t size);

// Every kind above, an empty file and a single byte: a second's round trip.
std::vector<DataSet> round_trip_sets();

}  // namespace roundtrip

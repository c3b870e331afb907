// A part data file as the server sends one, for tests of what is done with
// received parts.
#pragma once

#include <cstdint>
#include <string>

namespace oktest {

// "PT-V01" data whose stream holds one type-71 element naming element_ref
// (no stream for 0) and whose section 7 holds one record naming
// section_ref (none for 0); `tag` at the end tells files apart.
std::string part_data(const std::string& tag, uint16_t element_ref = 0, int32_t section_ref = 0);

// Where the store keeps a part's file, under the program folder `dir`
// (relative when empty): HDPARTS\PARTSnnn\Pnnnnnnn.BHN, 2000 parts to a
// folder counted from 1001.
std::string part_file(const std::string& dir, int32_t part);
// Writes a part file into the store, its folders made.
bool put_part_file(const std::string& dir, int32_t part, const std::string& bytes);

}  // namespace oktest

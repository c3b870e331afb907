// Members written by the Macintosh writer (system letter 'm') may hold a
// MacBinary image: a 128-byte header, the data fork, the resource fork,
// padded to a whole 128-byte block. Such a member extracts as one fork.
#pragma once
#include <cstdint>
#include <string>

#include "archive/header.h"

namespace lzh {

const size_t kMacBinaryHeader = 128;

// True when the member's first 128 bytes `head` are the MacBinary header the
// Macintosh writer adds: its reserved fields zero, its file name the
// member's `name`, its forks filling the member to the last 128-byte block,
// and its modification time (local, since 1904) within 14 hours of the
// member's. A MacBinary file archived as such carries its own name (with
// ".bin") and stays whole. *fork gets the length of the fork to extract: the
// data fork, or the resource fork when the data fork is empty. Both start
// right after the header.
bool macbinary_fork(const uint8_t* head, const Header& header, const std::string& name,
                    uint64_t* fork);

}  // namespace lzh

// The download worker: background threads that fetch files from the
// maker's download server, a few requests at once, and post the outcome of
// each to the report window in queue order.
//
// Reports: WM_DL_DONE or WM_DL_FAILED with (tag, value) as queued, each
// followed by WM_DL_PENDING with the number of requests still queued. A
// failure for want of a connection to the server has DL_FAILED_UNREACHABLE
// in wParam besides the tag, which keeps the low 16 bits.
#pragma once

#include <cstdint>

enum : unsigned {
  WM_DL_DONE = 0x0C61,
  WM_DL_FAILED = 0x0C63,
  WM_DL_PENDING = 0x0C64,
};

// Or-ed into the tag of a WM_DL_FAILED report when the server could not be
// reached at all (no connection, or no answer in time), as against an
// answer other than 200.
enum : uint32_t { DL_FAILED_UNREACHABLE = 0x10000 };

enum : int32_t {
  DL_TAG_PART = 0,     // "BH%07d.DAT", value: part number
  DL_TAG_LIST = 1,     // "pvnbhn_lst%02d%02d%02d.dat", value: yymmdd
  DL_TAG_ARCHIVE = 2,  // "TRBHN.LZH", value: 0
  DL_TAG_VIEW = 3,     // "VIEW%07d.DAT", value: part number
};

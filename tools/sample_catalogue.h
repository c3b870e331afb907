// The sample parts library and the maker's server tree that goes with it,
// for the demo, the benchmarks and the end-to-end cases. The native tool
// make_sample_library calls it, and so do Windows test programs in-process:
// everything is written through the platform seam, so folders may be given
// with slashes or backslashes on either side.
//
// Program folder: HDINI\, HDTMP\, HDPARTS\, the five classification files
// filled with a few items and figures per destination (figure part numbers
// from 50001 on, far from the list files' numbers), an empty parts index
// and, for テキスト読込, the sample list file HDPARTS\LST\pvnbhn_lst240401.dat
// and the delete list pvnbhn_lst240402.dat.
//
// Server tree under the catalogue folder, as the stand-in download server
// serves it:
//   newdownload\K-VAL\pvnbhn_lst%06d.dat     list files of a few recent days
//   newdownload\K-VAL\HDPARTS\TRBHN.LZH      the parts archive, TRBHN.DAT in it
//   newdownload\k-val\HDPARTS\PARTS%03d\P%07d.BHN   one data file per part
// and LASTDATE in the program folder's bhnmente.dat a little before the
// oldest list, so that the program's list walk finds them all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sample {

extern const char kSampleListName[];  // "pvnbhn_lst240401.dat"
extern const char kDeleteListName[];  // "pvnbhn_lst240402.dat"
extern const char kBulkListName[];    // "pvnbhn_lst240501.dat"
extern const char kBulkMaker[];

// The sample list's makers and what their parts show.
//  日本建材, 東洋サッシ: fittings (kinds 8 and 9), which 3DCAD does not list.
//  みらい住設: five new parts of kind 3 (kHomeParts), and two deleted ones.
//    3002 and 7002 refer to each other (3002 by an element, 7002 by a
//    section 7 record); 3003 refers to part 70000, outside the range the
//    program downloads; 5000 refers to 6000, which refers to nothing. 6000
//    and 7002 are in no list.
//  さくら照明: three parts of kind 5; the server answers 4003 with an HTML
//    error page instead of part data.
// Every part has a figure: lines (type 1: four i16 coordinates), a polyline,
// arcs and its number as a label (docs/figure-elements.md).
extern const char kHomeMaker[];
extern const int32_t kHomeParts[5];
extern const char* const kHomeFigureNames[5];
extern const char kLightingMaker[];
extern const int32_t kLightingParts[3];
constexpr int32_t kChainHead = 5000, kChainTail = 6000;
constexpr int32_t kCycleListed = 3002, kCycleOther = 7002;
constexpr int32_t kOutOfRangeReferrer = 3003, kOutOfRange = 70000;
constexpr int32_t kErrorPagePart = 4003;

// The delete list's makers, in this order, and their deleted parts in the
// order of their keys (flag 1 the figure only, flag 2 the part data too).
//  みらい住設: 3001 (1), 5000 (2), 3004 (1 and 2), 3002 (2).
//  kHomeRelatedMaker: 6000 and 7002 (2), parts no figure names.
//  さくら照明: 4001 added again, and 70000 (2), outside the range the
//    program handles.
extern const char kHomeRelatedMaker[];

// In the 3DCAD file, 建具/玄関ドア (major item 0, classification item 0)
// has three figures, in slots 0-2.
constexpr int kUsedSlotsOfFirstItem = 3;

// The program folder (made when missing). False, with a message on stderr,
// when a file cannot be written.
bool make_program_folder(const std::string& program);
// A part file in the store for every figure of the program folder's
// classification files, so that the figure list window shows each one.
bool put_figure_parts(const std::string& program);
// The server tree for the sample list, and LASTDATE for the walk.
bool make_catalogue(const std::string& program, const std::string& catalogue);
// For benchmarks: one maker (kBulkMaker) of `parts` fittings parts (kind 8,
// numbers from 10001 on, at most 2000) in kBulkListName, in HDPARTS\LST\ and
// as yesterday's list on the server, with the archive and their data.
bool make_bulk_catalogue(const std::string& program, const std::string& catalogue, int parts);

// The server's parts index (TRBHN.DAT, 6783440 bytes) for the sample list.
std::vector<uint8_t> sample_parts_index();
// The data file the server holds for a part of the sample (empty for a
// part it has none of).
std::string sample_part_data(int32_t part);

}  // namespace sample

// UNLHA32.DLL: extracts LZH archives for the program.
//
//   int WINAPI Unlha(HWND owner, LPCSTR command, LPSTR output, DWORD size);
//
// The one command is  e -n "<archive>" "<folder\>" : every member is written
// into the folder under the last element of its stored name (directories and
// symbolic links are not extracted); of members that reduce to one file name
// the last one extracted stays. Paths are Shift-JIS. -n (no progress
// display) is accepted and is how the library always works: it never shows
// a window. The output buffer receives a report, one line per member and a
// closing count, NUL-terminated and cut to `size` bytes.
//
// The result is 0 when every member was extracted, otherwise the first of
// the codes below that applied. Members after a refused one are still
// extracted; a member is never left half written, and a file it would have
// replaced stays as it was.
#pragma once

enum UnlhaResult {
  kUnlhaDone = 0,
  kUnlhaBadCommand = 0x8001,     // not "e", an unknown switch, or paths missing
  kUnlhaCannotOpen = 0x8003,     // the archive cannot be opened
  kUnlhaNotArchive = 0x8004,     // no member header where the archive begins
  kUnlhaBrokenArchive = 0x8005,  // a header after the first is not sound
  kUnlhaUnsafeName =
      0x8010,  // member refused: its name would leave the folder or mean something else
  kUnlhaUnknownMethod = 0x8011,  // member refused: a method this library does not extract
  kUnlhaCorrupt = 0x8012,        // member refused: data truncated or not valid for its method
  kUnlhaCrcMismatch = 0x8013,    // member refused: data decoded but its CRC differs
  kUnlhaTooLarge = 0x8014,       // member refused: 4 GiB or more
  kUnlhaWriteFailed = 0x8015,    // member refused: its file could not be written or put in place
};

// The one-pass section read must answer every lookup exactly as the keyed
// reader does (natively the emulation, under Wine the platform's own), on
// a file that uses the liberties of the layout. Two corners follow the
// platform alone: a second section of the same name and keys before any
// section header.
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "catalogue/section_values.h"
#include "platform/profile.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

namespace {

const char kAwkwardFile[] =
    "; comment=not a key\r\n[INFO]\r\nTITLE=t\r\n  [ A社 ]  \r\n1001,0=ドア,8,5\r\n  1002,1\t=\t "
    "窓 , 3 \t\r\n"
    "1003,2=\"quoted, "
    "kept\"\r\n1004,0='single'\r\n1005,0=\"unbalanced\r\n1006,0=\r\n1007,0=a=b=c\r\n"
    "1001,0=second of the same key\r1008,0=after a lone CR\nKeyOnly\r\n;1009,0=commented "
    "out\r\nABC=upper\r\n"
    "[B社]\r\n1001,0=B's door\r\n[表ソ]\r\n1011,1=表\r\n[Ｆ社]\r\n1012,0=全角\r\n1013,0=\x83\r\n"
    "1014,0=after a broken pair\r\n1015,0\r\n1015,0=after a line without value\r\n[no bracket\r\n"
    "1016,0=\x0bvertical tab\x1a\r\n[G]\r\n1017,0=\x82\x41 is no character, \x87\x90 has an IBM "
    "twin\r\n"
    "\x98\x98\x98"
    "1018,0=a lead byte that takes the 1 along\r\n";

const char* kSections[] = {"A社", "a社", " A社 ", "B社",  "表ソ", "INFO",
                           "C社", "",    "Ｆ社",  "ｆ社", "G"};
const char kLeadBytes[] = "\230\230\2301018,0";  // three lead bytes, then 1018,0
const char* kKeys[] = {"1001,0",  "1002,1",  "1003,2", "1004,0",      "1005,0", "1006,0",
                       "1007,0",  "1008,0",  "1009,0", "1010,0",      "1011,1", "abc",
                       "KeyOnly", "orphan",  "TITLE",  " 1001,0 ",    "1001,1", "1012,0",
                       "1013,0",  "1014,0",  "1015,0", "[no bracket", "1016,0", ";1009,0",
                       "1017,0",  kLeadBytes};

}  // namespace

TEST(lookups_agree_with_the_keyed_reader) {
  std::string path = oktest::scratch_folder("awkward") + "pvnbhn_lst240401.dat";
  oktest::put_file(path, kAwkwardFile);
  std::vector<std::string> keys(std::begin(kKeys), std::end(kKeys));
  for (const char* section : kSections) {
    catalogue::SectionValues values;
    catalogue::read_section_values(path.c_str(), section, keys, &values);
    for (const char* key : kKeys) {
      for (unsigned size : {400u, 4u}) {
        char mine[400], reader[400];
        unsigned got = catalogue::section_value(values, key, mine, size);
        unsigned want = plat::profile_read(section, key, "", reader, size, path.c_str());
        ok(got == want && std::strcmp(mine, reader) == 0,
           "[%s] %s (%u): [%s] but the reader [%s]\n", section, key, size, mine, reader);
      }
    }
  }
}

TEST(first_section_wanted_keys_and_missing_files) {
  std::string dir = oktest::scratch_folder("twice");
  oktest::put_file(
      dir + "a.dat",
      "orphan=before any section\r\n[A社]\r\n1001,0=first\r\n1003,0=b\r\n1001,0=later\r\n"
      "[B社]\r\n[a社]\r\n1001,0=second\r\n1002,0=only here\r\n");
  static const struct {
    const char *file, *section, *key, *value;
  } cases[] = {
      {"a.dat", "A社", "1001,0", "first"},
      {"a.dat", "A社", "1002,0", ""},  // only the first section of a name counts
      {"a.dat", "A社", "1003,0", ""},  // a key not asked for
      {"a.dat", "A社", "1004,0", ""},
      {"a.dat", "", "orphan", "before any section"},
      {"none.dat", "A社", "1001,0", ""},
  };
  for (const auto& c : cases) {
    catalogue::SectionValues values;
    catalogue::read_section_values((dir + c.file).c_str(), c.section,
                                   {"1001,0", "1002,0", "1004,0", "orphan"}, &values);
    char value[32] = "x";
    unsigned got = catalogue::section_value(values, c.key, value, sizeof value);
    ok(got == std::strlen(c.value) && std::strcmp(value, c.value) == 0, "%s [%s] %s: [%s]\n",
       c.file, c.section, c.key, value);
  }
}

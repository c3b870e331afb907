// Makes the sample parts library under a program folder for demonstrations
// and benchmarks, and with a catalogue folder the maker's server tree for
// the stand-in download server (tools/sample_catalogue.h says what is in
// them). Existing files of those names are overwritten.
//
//   make_sample_library PROGRAM_FOLDER [CATALOGUE_FOLDER [--bulk N | --figures]]
//
// With --bulk the server holds one maker of N fittings parts instead of
// the sample list. With --figures the store also holds a part file for
// every figure of the classification files, as a library in use does.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tools/sample_catalogue.h"

int main(int argc, char** argv) {
  const bool bulk = argc == 5 && std::strcmp(argv[3], "--bulk") == 0;
  const bool figures = argc == 4 && std::strcmp(argv[3], "--figures") == 0;
  if (argc != 2 && argc != 3 && !bulk && !figures) {
    std::fprintf(stderr,
                 "usage: make_sample_library PROGRAM_FOLDER [CATALOGUE_FOLDER [--bulk N | "
                 "--figures]]\n");
    return 2;
  }
  if (!sample::make_program_folder(argv[1])) return 1;
  if ((argc == 3 || figures) && !sample::make_catalogue(argv[1], argv[2])) return 1;
  if (figures && !sample::put_figure_parts(argv[1])) return 1;
  if (bulk && !sample::make_bulk_catalogue(argv[1], argv[2], std::atoi(argv[4]))) return 1;
  return 0;
}

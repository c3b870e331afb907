#include <cstring>
#include <string>

#include "app/shell.h"
#include "suite/data_path.h"
#include "tests/support/ok.h"

namespace {

std::string stripped(const char* text) {
  char out[app::kArgumentBuffer];
  app::strip_argument_quotes(text, out);
  return out;
}

std::string directory_of(const std::string& module_path, bool* accepted) {
  char directory[app::kProgramDirectoryMax + 1] = "x";
  *accepted =
      app::program_directory_from_module_path(module_path.c_str(), directory, sizeof directory);
  return directory;
}

}  // namespace

TEST(argument_quotes) {
  ok(stripped("\"C:\\a b\\x.dat\"") == "C:\\a b\\x.dat", "quoted path keeps its inside\n");
  ok(stripped("C:\\a b\\x.dat") == "C:\\a b\\x.dat", "unquoted path stays the same\n");
  ok(stripped("\"C:\\a b\\x.dat") == "\"C:\\a b\\x.dat", "an unclosed quote is kept whole\n");
  ok(stripped("\"") == "\"", "a lone quote is no pair\n");
  ok(stripped("\"\"") == "" && stripped("") == "", "empty texts\n");
  std::string quoted = "\"" + std::string(300, 'a') + "\"";
  ok(stripped(quoted.c_str()) == std::string(app::kArgumentBuffer - 1, 'a'),
     "a long argument is cut to its buffer\n");
}

TEST(program_directory) {
  static const struct {
    const char* module;
    const char* directory;
  } cases[] = {
      {"D:\\APP\\TOOL.EXE", "D:\\APP\\"},
      // 表 and ソ end in 0x5C, which must not pass for a separator.
      {"C:\\表計算\\ソフト\\TOOL.EXE", "C:\\表計算\\ソフト\\"},
      {"C:\\APP\\ソ.EXE", "C:\\APP\\"},
      {"C:TOOL.EXE", "C:"},
      {"TOOL.EXE", "TOOL.EXE"},
  };
  for (const auto& c : cases) {
    bool accepted;
    std::string dir = directory_of(c.module, &accepted);
    ok(accepted && dir == c.directory, "%s gave %s\n", c.module, dir.c_str());
  }

  bool accepted;
  std::string longest = "C:\\" + std::string(123, 'd') + "\\";  // 127 characters
  ok(directory_of(longest + "TOOL.EXE", &accepted) == longest && accepted,
     "a directory at the limit must be taken\n");
  std::string dir = directory_of("C:\\" + std::string(124, 'd') + "\\TOOL.EXE", &accepted);
  ok(!accepted && dir.empty(), "a directory over the limit must be refused, got %s\n", dir.c_str());
}

TEST(join_data_path) {
  char path[25];
  ok(suite::join_data_path("D:\\APP\\", "HDPARTS\\", "LST\\x.dat", path, sizeof path) &&
         std::strcmp(path, "D:\\APP\\HDPARTS\\LST\\x.dat") == 0,
     "got %s\n", path);
  char small[24];  // one byte short of the NUL
  ok(!suite::join_data_path("D:\\APP\\", "HDPARTS\\", "LST\\x.dat", small, sizeof small) &&
         small[0] == '\0',
     "a path that does not fit is refused, not cut\n");
}

#include <cstring>
#include <string>

#include "app/shell.h"
#include "suite/data_path.h"
#include "tests/support/ok.h"

TEST(argument_quotes) {
  const std::string long_inside(300, 'a');
  const std::string cases[][2] = {
      {"\"C:\\a b\\x.dat\"", "C:\\a b\\x.dat"},
      {"C:\\a b\\x.dat", "C:\\a b\\x.dat"},
      {"\"C:\\a b\\x.dat", "\"C:\\a b\\x.dat"},  // an unclosed quote is kept whole
      {"\"", "\""},
      {"\"\"", ""},
      {"\"" + long_inside + "\"", std::string(app::kArgumentBuffer - 1, 'a')},  // cut to the buffer
  };
  for (const auto& c : cases) {
    char out[app::kArgumentBuffer];
    app::strip_argument_quotes(c[0].c_str(), out);
    ok(out == c[1], "[%.20s] gave [%.20s]\n", c[0].c_str(), out);
  }
}

TEST(program_directory) {
  const std::string longest = "C:\\" + std::string(123, 'd') + "\\";  // 127 characters
  static const struct {
    std::string module, directory;  // directory empty: refused
  } cases[] = {
      {"D:\\APP\\TOOL.EXE", "D:\\APP\\"},
      // 表 and ソ end in 0x5C, which must not pass for a separator.
      {"C:\\表計算\\ソフト\\TOOL.EXE", "C:\\表計算\\ソフト\\"},
      {"C:\\APP\\ソ.EXE", "C:\\APP\\"},
      {"C:TOOL.EXE", "C:"},
      {"TOOL.EXE", "TOOL.EXE"},
      {longest + "TOOL.EXE", longest},
      {"C:\\" + std::string(124, 'd') + "\\TOOL.EXE", ""},
  };
  for (const auto& c : cases) {
    char directory[app::kProgramDirectoryMax + 1] = "x";
    bool accepted =
        app::program_directory_from_module_path(c.module.c_str(), directory, sizeof directory);
    ok(accepted == !c.directory.empty() && directory == c.directory, "%.40s gave %s\n",
       c.module.c_str(), directory);
  }
}

TEST(join_data_path) {
  char path[25], small[24];  // small: one byte short of the NUL
  ok(suite::join_data_path("D:\\APP\\", "HDPARTS\\", "LST\\x.dat", path, sizeof path) &&
         std::strcmp(path, "D:\\APP\\HDPARTS\\LST\\x.dat") == 0,
     "got %s\n", path);
  ok(!suite::join_data_path("D:\\APP\\", "HDPARTS\\", "LST\\x.dat", small, sizeof small) &&
         small[0] == '\0',
     "a path that does not fit is refused, not cut\n");
}

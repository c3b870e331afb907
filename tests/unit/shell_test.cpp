#include <cstring>
#include <string>

#include "app/app_state.h"
#include "app/shell.h"
#include "tests/support/ok.h"

namespace {

std::string stripped(const char* text) {
  char out[app::kArgumentBuffer];
  std::memset(out, 'x', sizeof out);
  app::strip_argument_quotes(text, out);
  return out;
}

std::string directory_of(const char* module_path, bool* accepted) {
  char directory[app::kProgramDirectoryMax + 1];
  std::memset(directory, 'x', sizeof directory);
  *accepted = app::program_directory_from_module_path(module_path, directory, sizeof directory);
  return directory;
}

}  // namespace

TEST(argument_quotes) {
  ok(stripped("\"C:\\a b\\x.dat\"") == "C:\\a b\\x.dat", "quoted path keeps its inside\n");
  ok(stripped("C:\\a b\\x.dat") == "C:\\a b\\x.dat", "unquoted path stays the same\n");
  ok(stripped("\"C:\\a b\\x.dat") == "\"C:\\a b\\x.dat", "an unclosed quote is kept whole\n");
  ok(stripped("\"") == "\"", "a lone quote is no pair\n");
  ok(stripped("\"\"") == "", "an empty quoted text gives nothing\n");
  ok(stripped("") == "", "no argument gives an empty text\n");
  ok(stripped("C:\\x\"") == "C:\\x\"", "a closing quote alone is kept\n");
}

TEST(argument_is_cut_to_its_buffer) {
  std::string quoted = "\"" + std::string(300, 'a') + "\"";
  std::string result = stripped(quoted.c_str());
  ok(result == std::string(app::kArgumentBuffer - 1, 'a'), "got %u bytes\n",
     (unsigned)result.size());
}

TEST(program_directory) {
  bool accepted;
  std::string dir = directory_of("D:\\APP\\TOOL.EXE", &accepted);
  ok(accepted && dir == "D:\\APP\\", "got %s\n", dir.c_str());

  // 表 and ソ end in 0x5C; the folder must survive whole.
  dir = directory_of("C:\\表計算\\ソフト\\TOOL.EXE", &accepted);
  ok(accepted && dir == "C:\\表計算\\ソフト\\", "got %s\n", dir.c_str());
  dir = directory_of("C:\\APP\\表\\TOOL.EXE", &accepted);
  ok(accepted && dir == "C:\\APP\\表\\", "got %s\n", dir.c_str());
  dir = directory_of("C:\\APP\\ソ.EXE", &accepted);
  ok(accepted && dir == "C:\\APP\\", "a 0x5C in the file name is no separator: got %s\n",
     dir.c_str());

  dir = directory_of("C:TOOL.EXE", &accepted);
  ok(accepted && dir == "C:", "drive-relative path cuts after the colon: got %s\n", dir.c_str());
  dir = directory_of("TOOL.EXE", &accepted);
  ok(accepted && dir == "TOOL.EXE", "without a separator the text stays: got %s\n", dir.c_str());
}

TEST(program_directory_length_limit) {
  bool accepted;
  // 126 characters of folders plus the backslash: exactly the limit.
  std::string longest = "C:\\" + std::string(123, 'd') + "\\";
  std::string dir = directory_of((longest + "TOOL.EXE").c_str(), &accepted);
  ok(accepted && dir == longest, "a directory of %u characters must be taken\n",
     (unsigned)longest.size());

  std::string too_long = "C:\\" + std::string(124, 'd') + "\\";
  dir = directory_of((too_long + "TOOL.EXE").c_str(), &accepted);
  ok(!accepted, "a directory of %u characters must be refused\n", (unsigned)too_long.size());
  ok(dir.empty(), "a refused directory is left empty, got %u bytes\n", (unsigned)dir.size());

  char small[7];  // one byte short of D:\APP\ and its NUL
  ok(!app::program_directory_from_module_path("D:\\APP\\TOOL.EXE", small, sizeof small),
     "a directory that does not fit the caller's buffer must be refused\n");
}

TEST(join_data_path) {
  char path[260];
  app::join_data_path("D:\\APP\\", "HDINI\\", "", path);
  ok(std::strcmp(path, "D:\\APP\\HDINI\\") == 0, "got %s\n", path);
  app::join_data_path("D:\\APP\\", "HDPARTS\\", "LST\\x.dat", path);
  ok(std::strcmp(path, "D:\\APP\\HDPARTS\\LST\\x.dat") == 0, "got %s\n", path);
}

TEST(context_block) {
  app::init_context_block();
  ok(app::g_context.drawing_settings[0] == 0 && app::g_context.drawing_settings[1] == 0 &&
         app::g_context.drawing_settings[2] == 10,
     "drawing settings %d %d %d\n", app::g_context.drawing_settings[0],
     app::g_context.drawing_settings[1], app::g_context.drawing_settings[2]);
  ok(app::g_context.first_work_area && app::g_context.second_work_area &&
         app::g_context.first_work_area != app::g_context.second_work_area,
     "the two work areas must be set and distinct\n");
  ok(static_cast<void*>(&app::g_context) == static_cast<void*>(app::g_context.drawing_settings),
     "the drawing settings must head the block\n");
}

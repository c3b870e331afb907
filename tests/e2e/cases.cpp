#include "tests/e2e/cases.h"

#include <cstdlib>

#include "resources/resource.h"
#include "store/classification.h"
#include "tools/sample_catalogue.h"

using namespace gui;

const char kAddDone[] = "部品リストの追加が終了しました。";

bool open_dialog(Program* program, const Folder& folder) {
  return ok(start(program, folder.path) && wait_windows(program), "dialog did not open in %s\n",
            folder.path.c_str());
}

void close_with(Program* program, int button) {
  click(program->dialog, button);
  DWORD code = 99;
  ok(wait_exit(program, &code) && code == 0, "button %d did not end the program with 0\n", button);
}

bool rows_are(HWND dialog, int id, const std::vector<std::string>& expected, const char* what) {
  std::vector<std::string> rows = list_rows(dialog, id);
  size_t same = 0;
  while (same < rows.size() && same < expected.size() && rows[same] == expected[same]) ++same;
  return ok(same == rows.size() && same == expected.size(),
            "%s: list %d has %d rows (expected %d), row %d reads \"%s\"\n", what, id,
            static_cast<int>(rows.size()), static_cast<int>(expected.size()),
            static_cast<int>(same), same < rows.size() ? readable(rows[same]).c_str() : "");
}

std::string server_path(const char* variable, const std::string& relative) {
  const char* value = std::getenv(variable);
  return value ? std::string(value) + relative : std::string();
}

bool serve(const std::string& relative, const std::string& bytes) {
  std::string path = server_path("DLTEST_ROOT", "\\");
  for (size_t at = 0; (at = relative.find('\\', at)) != std::string::npos; ++at)
    CreateDirectoryA((path + relative.substr(0, at)).c_str(), nullptr);
  return write_file(path + relative, bytes);
}

void set_rules(const std::string& rules) {
  write_file(server_path("DLTEST_RULES"), rules);
  pause_ms(100);  // the server reads the file again by its time
}

std::vector<std::string> files_matching(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

bool expect_box(const Program& program, const char* caption, const char* expected,
                DWORD timeout_ms) {
  HWND box = wait_message_box(program.pid(), timeout_ms);
  const bool seen = box && text(box) == caption && message_box_text(box) == expected;
  ok(seen, "box \"%s\" \"%s\", expected \"%s\" \"%s\"\n",
     box ? readable(text(box)).c_str() : "none", box ? readable(message_box_text(box)).c_str() : "",
     readable(caption).c_str(), readable(expected).c_str());
  dismiss(box);
  return seen;
}

void dismiss(HWND box) {
  if (!box) return;
  answer_ok(box);
  closes(box);
}

bool closes(HWND window) {
  return wait_until(kWaitMs, [&] { return !IsWindow(window); });
}

HWND wait_titled(const Program& program, const char* title, DWORD timeout_ms) {
  HWND found = nullptr;
  wait_until(timeout_ms, [&] {
    for (HWND window : process_windows(program.pid(), "#32770"))
      if (text(window) == title && IsWindowVisible(window)) found = window;
    return found != nullptr;
  });
  return found;
}

bool set_last_date(const Folder& folder, int days_ago) {
  return write_file(folder.file("HDINI\\bhnmente.dat"),
                    "[日付]\r\nLASTDATE=" + list_date(days_ago) + "\r\n");
}

bool lay_out(const Folder& folder) {
  return ok(sample::make_program_folder(folder.path) &&
                sample::make_catalogue(folder.path, server_path("DLTEST_ROOT")) &&
                set_last_date(folder, 0),
            "cannot lay out the sample in %s\n", folder.path.c_str());
}

bool import_list(const Program& program, const char* name, size_t makers, const char* maker) {
  post_click(program.dialog, IDC_TEXT_IMPORT);
  HWND chooser = wait_file_dialog(program.pid());
  if (!ok(chooser != nullptr, "no open-file dialog\n")) return false;
  type_text(file_name_box(chooser), name);
  post_click(chooser, IDOK);
  wait_until(kWaitMs, [&] { return list_rows(program.dialog, IDC_MAKERS).size() == makers; });
  return select_maker(program.dialog, maker);
}

bool select_maker(HWND dialog, const char* maker) {
  std::vector<std::string> rows = list_rows(dialog, IDC_MAKERS);
  for (size_t row = 0; row < rows.size(); ++row)
    if (rows[row] == maker) {
      select_row(dialog, IDC_MAKERS, static_cast<int>(row));
      return true;
    }
  return ok(false, "maker %s not listed\n", readable(maker).c_str());
}

bool open_sample_list(Program* program, const Folder& folder, const char* maker) {
  return open_dialog(program, folder) && import_list(*program, sample::kSampleListName, 4, maker);
}

bool open_newest_list(Program* program, const Folder& folder) {
  set_last_date(folder, 30);
  if (!ok(start(program, folder.path), "cannot start in %s\n", folder.path.c_str())) return false;
  HWND selection = wait_titled(*program, "ダウンロードリスト", 60000);
  if (!ok(selection != nullptr, "no list selection\n")) return false;
  post_click(selection, IDOK);
  return ok(wait_windows(program), "main dialog not usable after the list selection\n");
}

HWND progress_dialog(const Program& program) {
  for (HWND window : process_windows(program.pid(), "#32770"))
    if (GetDlgItem(window, IDC_STATUS) && !GetDlgItem(window, IDC_MAKERS) &&
        IsWindowVisible(window))
      return window;
  return nullptr;
}

bool add_home_parts(const Program& program, const Folder& folder) {
  const std::vector<int32_t> parts = {3001, 3002, 3003, 3004, 5000, 6000, 7002};
  post_click(program.dialog, IDC_ADD);
  return expect_box(program, "追加", kAddDone) &&
         ok(wait_until(kWaitMs, [&] { return installed(folder, parts); }),
            "the Add did not install the parts\n");
}

std::vector<std::string> with_home_rows(std::vector<std::string> rows) {
  for (int k = 0; k < 5 && rows.size() == store::kFigureSlots; ++k)
    rows[sample::kUsedSlotsOfFirstItem + k] = sample::kHomeFigureNames[k];
  return rows;
}

std::string part_file(const Folder& folder, int32_t part) {
  return store::part_file_path(folder.path.c_str(), store::PartFileVariant::Current, part);
}

std::string work_file(const Folder& folder, store::WorkFile kind, int32_t part) {
  return store::work_file_path(folder.path.c_str(), kind, part);
}

std::string part_remote(int32_t part) {
  std::string path =
      "/newdownload/k-val/" + store::part_file_path("", store::PartFileVariant::Current, part);
  for (char& c : path) c = c == '\\' ? '/' : c;
  return path;
}

bool put_older_part(const Folder& folder, int32_t part) {
  store::create_part_folder(folder.path.c_str(), part);
  return write_file(part_file(folder, part), "PT-V01 an older version");
}

bool installed(const Folder& folder, const std::vector<int32_t>& parts) {
  for (int32_t part : parts)
    if (read_file(part_file(folder, part)) != sample::sample_part_data(part)) return false;
  return true;
}

std::vector<std::string> part_files(const Folder& folder) {
  std::vector<std::string> names;
  // One part of each store folder names the folder.
  for (int32_t part = store::kFirstPartNumber; part <= store::kLastPartNumber; part += 2000) {
    std::string relative = store::part_file_path("", store::PartFileVariant::Current, part);
    relative.erase(relative.rfind('\\') + 1);
    for (const std::string& name : files_matching(folder.path + relative + "*"))
      names.push_back(relative + name);
  }
  return names;
}

std::map<std::string, std::string> store_state(const Folder& folder) {
  std::map<std::string, std::string> files;
  for (const char* name : {"HDINI\\GLZSLCT.INI", "HDINI\\VGZLST0.INI", "HDINI\\VGZLST2.INI",
                           "HDINI\\VGZLST3.INI", "HDINI\\VGZLST4.INI", "HDPARTS\\TRBHN.DAT"})
    files[name] = read_file(folder.file(name));
  for (const std::string& name : part_files(folder))
    files[name] = read_file(folder.file(name.c_str()));
  return files;
}

void same_state(const std::map<std::string, std::string>& now,
                const std::map<std::string, std::string>& opening, const char* how) {
  for (const auto& file : opening)
    ok(now.count(file.first) && now.at(file.first) == file.second, "%s: %s differs\n",
       readable(how).c_str(), file.first.c_str());
  for (const auto& file : now)
    ok(opening.count(file.first), "%s: %s was not there at opening\n", readable(how).c_str(),
       file.first.c_str());
}

void work_folder_empty(const Folder& folder, const char* how) {
  std::vector<std::string> left = files_matching(folder.file("HDTMP\\*"));
  for (const std::string& name : files_matching(folder.file("HDTMP\\~partsdl\\*")))
    left.push_back("~partsdl\\" + name);
  std::string names;
  for (const std::string& name : left) names += " " + name;
  ok(left.empty(), "%s: %d files left in HDTMP\\:%.200s\n", readable(how).c_str(),
     static_cast<int>(left.size()), names.c_str());
}

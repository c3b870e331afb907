// Forgetting a recent path, the URL a request goes to and received files put
// in place whole or not at all. The rest is tested through the worker
// (worker_test_win.cpp) and download_queue_fuzz.
#include <cstring>
#include <string>

#include "download/received_file.h"
#include "download/request_queue.h"
#include "platform/files.h"
#include "tests/support/ok.h"
#include "tests/support/scratch.h"

using oktest::file_text;
using namespace download;

TEST(a_forgotten_path_leaves_the_recent_list) {
  // The list's limits are held to a model by download_queue_fuzz.
  char recent[kRecentSize] = {};
  for (const char* path : {"/a", "/b", "/a", "/c"}) remember(recent, path);
  forget(recent, "/a");
  ok(std::memcmp(recent, "/c\0/b\0", 7) == 0, "the rest does not move up\n");
}

TEST(urls_are_formed_from_the_base_unless_complete) {
  const char* base = "http://host.example/newdownload";
  const char* const cases[][2] = {
      // the scheme compared as written
      {"/K-VAL/a.dat", "http://host.example/newdownload/K-VAL/a.dat"},
      {"https://other/x", "https://other/x"},
      {"http://other/x", "http://other/x"},
      {"HTTP://other/x", "http://host.example/newdownloadHTTP://other/x"},
      {"https:/x", "http://host.example/newdownloadhttps:/x"}};
  char url[256];
  for (const auto& c : cases)
    ok(full_url(base, c[0], url, sizeof url) && std::strcmp(url, c[1]) == 0, "%s: %s\n", c[0], url);
  std::string fits(255 - std::strlen(base), 'p');
  ok(full_url(base, fits.c_str(), url, sizeof url) && std::strlen(url) == 255,
     "255 characters do not fit\n");
  ok(!full_url(base, (fits + "p").c_str(), url, sizeof url), "256 characters fit\n");
}

TEST(received_files_replace_the_target_whole_or_not_at_all) {
  std::string dir = oktest::scratch_folder("received"), target = dir + "TRBHN.LZH";
  const std::string work = dir + "~partsdl\\";
  oktest::put_file(target, "previous archive");
  plat::create_directory(work.c_str());
  oktest::put_file(work + "TRBHN.LZH.new", "left over from a crash");
  ReceivedFile f;
  ok(begin_file(&f, target.c_str()) && append_file(&f, "new ", 4) &&
         file_text(target) == "previous archive",
     "not begun over a stale file, or the target changed while receiving\n");
  ok(append_file(&f, "archive", 7) && finish_file(&f, nullptr) &&
         file_text(target) == "new archive" && !plat::file_exists((work + "TRBHN.LZH.new").c_str()),
     "not put in place whole\n");
  // A full disk: the write fails, and every later one; nothing is put in place.
  for (const char* name : {"TRBHN.LZH", "NEVER.DAT"}) {
    ok(begin_file(&f, (dir + name).c_str()), "%s: not begun\n", name);
    plat::fail_writes_after(5);
    bool wrote = append_file(&f, "0123456789", 10);
    plat::fail_writes_after(-1);
    ok(!wrote && !append_file(&f, "x", 1) && !finish_file(&f, nullptr),
       "%s: a short write finished\n", name);
    ok(file_text(dir + name) == (name[0] == 'T' ? "new archive" : "<missing>") &&
           !plat::file_exists((work + name + ".new").c_str()),
       "%s: changed, or a partial file left\n", name);
  }
}

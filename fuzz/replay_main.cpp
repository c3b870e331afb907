// Replays saved fuzz inputs through a fuzz target without libFuzzer, so the
// ordinary sanitizer builds keep checking every input that ever mattered.
// Arguments are files or folders; a folder's files are replayed in turn.
#include <dirent.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static bool replay_file(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
    bytes.insert(bytes.end(), chunk, chunk + got);
  std::fclose(f);
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return true;
}

static int replay(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return 0;  // no corpus saved yet
  if (!S_ISDIR(st.st_mode)) return replay_file(path) ? 1 : 0;
  int count = 0;
  if (DIR* dir = opendir(path.c_str())) {
    while (dirent* entry = readdir(dir)) {
      if (entry->d_name[0] == '.') continue;
      count += replay(path + "/" + entry->d_name);
    }
    closedir(dir);
  }
  return count;
}

int main(int argc, char** argv) {
  int count = 0;
  for (int i = 1; i < argc; ++i) count += replay(argv[i]);
  // An empty input is always worth one run.
  LLVMFuzzerTestOneInput(nullptr, 0);
  std::printf("replayed %d inputs\n", count);
  return 0;
}

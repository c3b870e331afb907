// Replays saved fuzz inputs through a fuzz target without libFuzzer, so the
// ordinary sanitizer builds keep checking every input that ever mattered.
// Arguments are files or folders; a folder's files are replayed in turn.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fs = std::filesystem;

static int replay(const fs::path& path) {
  std::error_code error;
  if (fs::is_directory(path, error)) {
    int count = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(path, error))
      if (entry.path().filename().string()[0] != '.') count += replay(entry.path());
    return count;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return 0;  // no corpus saved yet
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  // Exactly sized, as libFuzzer hands inputs over: a read past the end is caught.
  const std::vector<uint8_t> bytes(text.begin(), text.end());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return 1;
}

int main(int argc, char** argv) {
  int count = 0;
  for (int i = 1; i < argc; ++i) count += replay(argv[i]);
  // An empty input is always worth one run.
  LLVMFuzzerTestOneInput(nullptr, 0);
  std::printf("replayed %d inputs\n", count);
  return 0;
}

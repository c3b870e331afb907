#include "archive/command.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "archive/extract.h"
#include "archive/unlha32.h"
#include "platform/shift_jis.h"

namespace lzh {
namespace {

// Splits at blanks; a double-quoted word may hold blanks. False for an
// unterminated quote.
bool split_words(const char* text, std::vector<std::string>* words) {
  const char* p = text;
  for (;;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) return true;
    std::string word;
    if (*p == '"') {
      const char* end = std::strchr(p + 1, '"');
      if (!end) return false;
      word.assign(p + 1, end);
      p = end + 1;
    } else {
      while (*p && *p != ' ' && *p != '\t') word += *p++;
    }
    words->push_back(word);
  }
}

}  // namespace

int run_command(const char* command, std::string* report) {
  std::vector<std::string> words;
  if (!command || !split_words(command, &words) || words.empty()) {
    *report += "bad command\r\n";
    return kUnlhaBadCommand;
  }
  if (words[0] != "e" && words[0] != "E") {
    *report += "unknown command\r\n";
    return kUnlhaBadCommand;
  }
  std::vector<std::string> paths;
  for (size_t i = 1; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "-n" || word == "-N") continue;
    if (!word.empty() && word[0] == '-') {
      *report += "unknown switch\r\n";
      return kUnlhaBadCommand;
    }
    paths.push_back(word);
  }
  if (paths.size() != 2 || paths[0].empty() || paths[1].empty()) {
    *report += "expected an archive and a folder\r\n";
    return kUnlhaBadCommand;
  }
  return extract_archive(paths[0].c_str(), paths[1].c_str(), report);
}

void copy_report(const std::string& report, char* buffer, size_t size) {
  if (!buffer || size == 0) return;
  size_t keep = plat::whole_characters(report.data(), std::min(report.size(), size - 1));
  std::memcpy(buffer, report.data(), keep);
  buffer[keep] = '\0';
}

}  // namespace lzh

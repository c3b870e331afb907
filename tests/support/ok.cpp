#include "tests/support/ok.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace oktest {
namespace {

Case* first_case = nullptr;
Case** last_link = &first_case;
const char* running = "";
int failed_count = 0, checks = 0;

}  // namespace

int add(Case* test_case) {
  *last_link = test_case;
  last_link = &test_case->next;
  return 0;
}

bool check(bool passed, const char* file, int line, const char* format, ...) {
  ++checks;
  if (passed) return true;
  ++failed_count;
  std::printf("%s:%d: %s: Test failed: ", file, line, running);
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);
  return false;
}

int failed_checks() { return failed_count; }

}  // namespace oktest

int main(int argc, char** argv) {
  using namespace oktest;
  int passed = 0, failed = 0;
  for (Case* c = first_case; c; c = c->next) {
    bool named = argc <= 1;
    for (int i = 1; i < argc; ++i) named = named || std::strcmp(argv[i], c->name) == 0;
    if (!named) continue;
    running = c->name;
    int before = failed_count;
    c->run();
    if (failed_count == before)
      ++passed;
    else
      ++failed, std::printf("FAILED %s\n", c->name);
  }
  if (passed + failed == 0) return std::printf("no test of that name\n"), 2;
  std::printf("tests: %d passed, %d failed (%d checks)\n", passed, failed, checks);
  return failed ? 1 : 0;
}

#include "tests/support/ok.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace oktest {
namespace {

Case* first_case = nullptr;
Case** last_link = &first_case;
const char* running = "";
int failed_checks_count = 0;
int checks = 0;

bool named(const char* name, int argc, char** argv) {
  if (argc <= 1) return true;
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return true;
  return false;
}

}  // namespace

int add(Case* test_case) {
  *last_link = test_case;
  last_link = &test_case->next;
  return 0;
}

bool check(bool passed, const char* file, int line, const char* format, ...) {
  ++checks;
  if (passed) return true;
  ++failed_checks_count;
  std::fprintf(stdout, "%s:%d: %s: Test failed: ", file, line, running);
  va_list args;
  va_start(args, format);
  std::vfprintf(stdout, format, args);
  va_end(args);
  std::fflush(stdout);
  return false;
}

int failed_checks() { return failed_checks_count; }

void skip(const char* file, int line, const char* reason) {
  std::fprintf(stdout, "%s:%d: %s: skipped: %s\n", file, line, running, reason);
}

}  // namespace oktest

int main(int argc, char** argv) {
  using namespace oktest;
  int passed = 0, failed = 0, known = 0;
  for (Case* c = first_case; c; c = c->next) {
    if (!named(c->name, argc, argv)) continue;
    ++known;
    running = c->name;
    int before = failed_checks_count;
    c->run();
    if (failed_checks_count == before) {
      ++passed;
    } else {
      ++failed;
      std::fprintf(stdout, "FAILED %s\n", c->name);
    }
  }
  if (known == 0) {
    std::fprintf(stdout, "no test of that name\n");
    return 2;
  }
  std::fprintf(stdout, "tests: %d passed, %d failed (%d checks)\n", passed, failed, checks);
  return failed ? 1 : 0;
}

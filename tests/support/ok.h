// A small test harness in the manner of Wine's conformance tests: each TEST
// states behaviour as plain ok(condition, printf format, ...) checks, and
// the same sources build natively and for Windows. A test program runs every
// TEST, or those named on its command line, and ends with the line
// "tests: N passed, N failed"; its exit code is 0 only when nothing failed.
#pragma once

namespace oktest {

struct Case {
  const char* name;
  void (*run)();
  Case* next;
};

int add(Case* test_case);
// Records one check; prints the message (printf format) when it fails.
bool check(bool passed, const char* file, int line, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
int failed_checks();  // so far in this run

}  // namespace oktest

#define TEST(name)                                          \
  static void name();                                       \
  static oktest::Case name##_case = {#name, name, nullptr}; \
  static int name##_registered = oktest::add(&name##_case); \
  static void name()

#define ok(condition, ...) oktest::check(!!(condition), __FILE__, __LINE__, __VA_ARGS__)

#include "platform/notice.h"

#include <windows.h>

#include <string>

namespace plat {

namespace {
std::string last_text;
}

// The text is kept here too, so that the same tests can check it on both
// platforms. A NULL caption gives the system's own "error" caption.
void error_box(const char* text) {
  last_text = text ? text : "";
  MessageBoxA(GetFocus(), last_text.c_str(), nullptr, MB_OK | MB_ICONERROR);
}

const char* last_error_box() { return last_text.c_str(); }

void clear_error_box() { last_text.clear(); }

}  // namespace plat

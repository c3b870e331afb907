#include "platform/notice.h"

#include <string>

namespace plat {

namespace {
std::string last_text;
}

// No window natively: the text is kept so that tests can see what the user
// would have been told.
void error_box(const char* text) { last_text = text ? text : ""; }

const char* last_error_box() { return last_text.c_str(); }

void clear_error_box() { last_text.clear(); }

}  // namespace plat

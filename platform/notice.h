// The one piece of user interface the portable core needs: telling the user
// that a file could not be opened. On Windows a message box with the error
// icon, owned by the window that has the keyboard focus; natively the text is
// kept for tests.
#pragma once

namespace plat {

void error_box(const char* text);

// Native builds: the last text given to error_box (empty when none), and a
// way to clear it.
const char* last_error_box();
void clear_error_box();

}  // namespace plat

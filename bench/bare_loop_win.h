// What the program's timing programs compare against: a bare sequential
// WinINet loop over the same URLs, storing what arrives, as the floor of
// a download under Wine; and the program's windows found by title.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tools/gui_driver/gui_driver_win.h"

namespace bench {

// The part data URLs of parts first .. first + count - 1 on the maker's
// server.
std::vector<std::string> part_urls(int first, int count);

// One GET after another over one root handle, each answer of status 200
// written to a file of `folder` named as the URL ends; the milliseconds
// spent.
DWORD bare_loop(const std::vector<std::string>& urls, const std::string& folder);

// A visible dialog of the program with that title, other than its main
// dialog; null when there is none.
HWND window_titled(const gui::Program& program, const char* title);

}  // namespace bench

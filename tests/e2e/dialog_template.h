// Reads a dialog template from a module's resources as stored, before the
// dialog manager and the controls change any style bit (a created control
// trades WS_BORDER for a client edge, a list box shows WS_VSCROLL only while
// it scrolls).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct TemplateItem {
  DWORD style = 0, ex_style = 0;
  int id = 0;
  int x = 0, y = 0, width = 0, height = 0;
  std::string class_name;  // predefined classes by name: "Button", "Static", ...
  std::string text;        // cp932
};

struct DialogTemplate {
  DWORD style = 0, ex_style = 0;
  int x = 0, y = 0, width = 0, height = 0;
  std::string title;          // cp932
  int point_size = 0;
  std::wstring font;
  std::vector<TemplateItem> items;
};

// False when the module has no such dialog or it cannot be read.
bool read_dialog_template(HMODULE module, const char* name, DialogTemplate* dialog);

}  // namespace e2e

// Both template forms: DLGTEMPLATE and DLGTEMPLATEEX with their items.
#include "tests/e2e/dialog_template.h"

#include "tests/e2e/driver.h"

namespace e2e {
namespace {

struct Reader {
  const BYTE* at;
  const BYTE* end;
  bool bad = false;

  WORD word() {
    if (at + 2 > end) { bad = true; return 0; }
    WORD value = static_cast<WORD>(at[0] | (at[1] << 8));
    at += 2;
    return value;
  }
  DWORD dword() {
    DWORD low = word();
    return low | (static_cast<DWORD>(word()) << 16);
  }
  std::wstring wide() {
    std::wstring text;
    for (WORD c = word(); c && !bad; c = word()) text += static_cast<wchar_t>(c);
    return text;
  }
  // A class or title: none, an ordinal after 0xFFFF, or a text.
  std::wstring name_or_ordinal(WORD* ordinal) {
    *ordinal = 0;
    if (at + 2 <= end && at[0] == 0xFF && at[1] == 0xFF) {
      word();
      *ordinal = word();
      return L"";
    }
    return wide();
  }
  void align(const BYTE* base) {
    while ((at - base) % 4) ++at;
  }
};

std::string predefined_class(WORD atom) {
  switch (atom) {
    case 0x80: return "Button";
    case 0x81: return "Edit";
    case 0x82: return "Static";
    case 0x83: return "ListBox";
    case 0x84: return "ScrollBar";
    case 0x85: return "ComboBox";
  }
  return "#" + std::to_string(atom);
}

}  // namespace

bool read_dialog_template(HMODULE module, const char* name, DialogTemplate* dialog) {
  HRSRC resource = FindResourceA(module, name, MAKEINTRESOURCEA(5));  // RT_DIALOG
  HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const BYTE* base = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
  if (!base) return false;
  Reader in = {base, base + SizeofResource(module, resource)};

  bool extended = in.at[0] == 1 && in.at[1] == 0 && in.at[2] == 0xFF && in.at[3] == 0xFF;
  int count = 0;
  if (extended) {
    in.dword();  // version and signature
    in.dword();  // help id
    dialog->ex_style = in.dword();
    dialog->style = in.dword();
  } else {
    dialog->style = in.dword();
    dialog->ex_style = in.dword();
  }
  count = in.word();
  dialog->x = static_cast<short>(in.word());
  dialog->y = static_cast<short>(in.word());
  dialog->width = static_cast<short>(in.word());
  dialog->height = static_cast<short>(in.word());
  WORD ordinal = 0;
  in.name_or_ordinal(&ordinal);  // menu
  in.name_or_ordinal(&ordinal);  // class
  std::wstring title = in.wide();
  dialog->title = to_cp932(title.c_str());
  if (dialog->style & (DS_SETFONT | DS_SHELLFONT)) {
    dialog->point_size = in.word();
    if (extended) in.dword();  // weight, italic, character set
    dialog->font = in.wide();
  }

  dialog->items.clear();
  for (int k = 0; k < count && !in.bad; ++k) {
    in.align(base);
    TemplateItem item;
    if (extended) {
      in.dword();  // help id
      item.ex_style = in.dword();
      item.style = in.dword();
    } else {
      item.style = in.dword();
      item.ex_style = in.dword();
    }
    item.x = static_cast<short>(in.word());
    item.y = static_cast<short>(in.word());
    item.width = static_cast<short>(in.word());
    item.height = static_cast<short>(in.word());
    item.id = extended ? static_cast<int>(in.dword() & 0xFFFF) : in.word();
    std::wstring class_text = in.name_or_ordinal(&ordinal);
    item.class_name = ordinal ? predefined_class(ordinal) : to_cp932(class_text.c_str());
    std::wstring text = in.name_or_ordinal(&ordinal);
    item.text = to_cp932(text.c_str());
    WORD extra = in.word();
    in.at += extra;
    dialog->items.push_back(item);
  }
  return !in.bad;
}

}  // namespace e2e

// ﾌﾟﾚﾋﾞｭｰ: the figure of any part of the selected maker, drawn by the figure
// drawing library from the parts store, where the parts' preview copies
// stand in for the part files while the dialog is open.
#include <vector>

#include "catalogue/list_entry.h"
#include "catalogue/list_file.h"
#include "flow/run.h"
#include "store/preview_files.h"

namespace flow {
namespace {

const char kPreviewCaption[] = "ﾌﾟﾚﾋﾞｭｰ";
const char kPreviewNotReady[] =
    "ﾌﾟﾚﾋﾞｭｰ用の部品がﾀﾞｳﾝﾛｰﾄﾞされていません。\nしばらく待って再試行して下さい。";

int32_t row_part(const std::string& row) {
  return catalogue::leading_number(row.data(), row.data() + row.size());
}

void redraw(const Preview& preview, FigureLibrary* library) {
  const uint16_t part = static_cast<uint16_t>(preview.part);
  library->end();
  library->begin(part, preview.background);
  library->load(part, preview.background);
  library->draw(preview.angle, preview.background);
}

}  // namespace

bool open_preview(Run* run, Preview* preview, FigureLibrary* library) {
  *preview = Preview();
  // One read of the maker's entries gives both the rows and the work list.
  std::vector<catalogue::ListEntry> entries;
  catalogue::read_maker_entries(run->current_list_file, run->maker_name, &entries);
  std::vector<int32_t> work;
  for (const catalogue::ListEntry& entry : entries) {
    (entry.flag == catalogue::kAdded ? preview->added : preview->deleted)
        .push_back(catalogue::numbered_row(entry.part_number, entry.figure_name));
    work.push_back(entry.part_number);
  }
  if (!preview->added.empty()) preview->part = row_part(preview->added[0]);
  preview->first_list = preview->added.empty() ? 0 : 405;
  if (preview->part == 0 && !preview->deleted.empty()) {
    preview->part = row_part(preview->deleted[0]);
    preview->first_list = 406;
  }

  const char* dir = run->program_directory.c_str();
  if (store::prepare_preview_files(dir, work, &run->preview_set, &run->journal.log) != 1) {
    store::restore_preview_files(dir, &run->preview_set);
    run->view->tell(kPreviewNotReady, kPreviewCaption);
    return false;
  }
  library->begin(static_cast<uint16_t>(preview->part), preview->background);
  return true;
}

void preview_choose_row(Preview* preview, FigureLibrary* library, const std::string& row) {
  preview->part = row_part(row);
  preview->angle = 180;
  redraw(*preview, library);
}

void preview_rotate(Preview* preview, FigureLibrary* library) {
  preview->angle = (preview->angle + 30) % 360;
  redraw(*preview, library);
}

void preview_toggle_background(Preview* preview, FigureLibrary* library) {
  preview->background = 1 - preview->background;
  redraw(*preview, library);
}

void preview_paint(const Preview& preview, FigureLibrary* library) {
  library->draw(preview.angle, preview.background);
}

void close_preview(Run* run, FigureLibrary* library) {
  library->end();
  store::restore_preview_files(run->program_directory.c_str(), &run->preview_set);
}

}  // namespace flow

#include "app/app_state.h"

namespace app {

namespace {

// The figure drawing library only ever sees these through the context block;
// their size is its matter, so they are generous and live for the process.
constexpr int kWorkAreaSize = 64 * 1024;
alignas(16) unsigned char g_first_work_area[kWorkAreaSize];
alignas(16) unsigned char g_second_work_area[kWorkAreaSize];

}  // namespace

void init_context_block(ContextBlock* context) {
  context->first_work_area = g_first_work_area;
  context->second_work_area = g_second_work_area;
  context->drawing_settings[2] = 10;
}

}  // namespace app

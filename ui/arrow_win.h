// The arrow between the list area and the destination area: the bitmap
// "YAZIRUSI" shown in static 1001 with its white (and the control's white)
// turned into the button-face colour, so it looks transparent.
#pragma once

#include <windows.h>

namespace ui {

// Makes the control paint the arrow each time it paints itself. The bitmap
// must outlive the control or be detached with attach_arrow(control, NULL).
void attach_arrow(HWND control, HBITMAP arrow);

}  // namespace ui

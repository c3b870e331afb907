#include "ui/arrow_win.h"

#include <cstdint>

namespace ui {
namespace {

const char kArrowProperty[] = "partsdl.arrow";
const char kOldProcProperty[] = "partsdl.arrow.proc";

// Composes the picture in a 32-bit section: the control's white, the bitmap
// copied unscaled from its origin, then every pure white pixel turned into
// the button face in one pass.
void paint_arrow(HWND control, HDC target, HBITMAP arrow) {
  RECT client;
  GetClientRect(control, &client);
  const int width = client.right, height = client.bottom;
  if (width <= 0 || height <= 0) return;

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!section || !bits) {
    if (section) DeleteObject(section);
    return;
  }
  HDC canvas = CreateCompatibleDC(target);
  HDC source = CreateCompatibleDC(target);
  HGDIOBJ old_canvas = SelectObject(canvas, section);
  PatBlt(canvas, 0, 0, width, height, WHITENESS);
  if (arrow) {
    HGDIOBJ old_source = SelectObject(source, arrow);
    BitBlt(canvas, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(source, old_source);
  }
  GdiFlush();

  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const uint32_t face_pixel = (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
  uint32_t* pixel = static_cast<uint32_t*>(bits);
  for (int i = 0; i < width * height; ++i)
    if ((pixel[i] & 0xFFFFFF) == 0xFFFFFF) pixel[i] = face_pixel;

  BitBlt(target, 0, 0, width, height, canvas, 0, 0, SRCCOPY);
  SelectObject(canvas, old_canvas);
  DeleteDC(source);
  DeleteDC(canvas);
  DeleteObject(section);
}

LRESULT CALLBACK arrow_proc(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
  WNDPROC old_proc = reinterpret_cast<WNDPROC>(GetPropA(control, kOldProcProperty));
  switch (message) {
    case WM_ERASEBKGND: return 1;  // the whole client area is painted below
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(control, &paint);
      paint_arrow(control, dc, static_cast<HBITMAP>(GetPropA(control, kArrowProperty)));
      EndPaint(control, &paint);
      return 0;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old_proc));
      RemovePropA(control, kArrowProperty);
      RemovePropA(control, kOldProcProperty);
      break;
  }
  return CallWindowProcA(old_proc, control, message, wparam, lparam);
}

}  // namespace

void attach_arrow(HWND control, HBITMAP arrow) {
  if (!control) return;
  SetPropA(control, kArrowProperty, arrow);
  if (!GetPropA(control, kOldProcProperty)) {
    LONG_PTR old_proc =
        SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(arrow_proc));
    SetPropA(control, kOldProcProperty, reinterpret_cast<HANDLE>(old_proc));
  }
  InvalidateRect(control, nullptr, TRUE);
}

}  // namespace ui

// What the program shows on screen: pixels and screenshots.
#include "tests/e2e/driver.h"

namespace e2e {

void bring_to_front_and_paint(HWND window) {
  SetForegroundWindow(window);
  BringWindowToTop(window);
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

Pixels capture(const RECT& screen_rect) {
  Pixels pixels;
  int width = screen_rect.right - screen_rect.left;
  int height = screen_rect.bottom - screen_rect.top;
  if (width <= 0 || height <= 0) return pixels;

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, screen_rect.left, screen_rect.top, SRCCOPY);
    GdiFlush();
    pixels.width = width;
    pixels.height = height;
    const unsigned char* bgrx = static_cast<const unsigned char*>(bits);
    pixels.colour.resize(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < pixels.colour.size(); ++i)
      pixels.colour[i] = RGB(bgrx[4 * i + 2], bgrx[4 * i + 1], bgrx[4 * i]);
    SelectObject(memory, old);
  }
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

COLORREF screen_pixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  COLORREF colour = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return colour;
}

RECT client_on_screen(HWND control) {
  RECT rect = {};
  GetClientRect(control, &rect);
  MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool screenshot(const std::string& path) {
  RECT all = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  Pixels pixels = capture(all);
  if (pixels.width == 0) return false;

  // 24-bit rows, bottom-up, each padded to four bytes.
  int stride = (pixels.width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = pixels.width;
  header.biHeight = pixels.height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = stride * pixels.height;
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + header.biSizeImage;

  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
  std::string row(stride, '\0');
  for (int y = pixels.height - 1; y >= 0; --y) {
    for (int x = 0; x < pixels.width; ++x) {
      COLORREF colour = pixels.at(x, y);
      row[3 * x] = static_cast<char>(GetBValue(colour));
      row[3 * x + 1] = static_cast<char>(GetGValue(colour));
      row[3 * x + 2] = static_cast<char>(GetRValue(colour));
    }
    bytes += row;
  }
  return write_file(path, bytes);
}

}  // namespace e2e

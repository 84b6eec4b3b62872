// PNG pictures compiled into the program, decoded with libpng when a window
// is built.
#include <windows.h>

#include <png.h>

#include <map>
#include <utility>
#include <vector>

#include "toolkit/toolkit_internal.h"

namespace tw::toolkit::detail {

namespace {

std::map<std::pair<int, COLORREF>, HBITMAP> pictures;

// Controls draw bitmaps without regard to alpha, so transparent pixels are
// blended with the background the picture will sit on.
HBITMAP DecodePng(const void* data, size_t size, COLORREF background) {
  png_image image = {};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) return nullptr;
  image.format = PNG_FORMAT_BGRA;
  std::vector<unsigned char> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return nullptr;
  }
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = static_cast<LONG>(image.width);
  info.bmiHeader.biHeight = -static_cast<LONG>(image.height);  // top-down, as libpng gives rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return nullptr;
  const unsigned back[3] = {GetBValue(background), GetGValue(background), GetRValue(background)};
  auto* out = static_cast<unsigned char*>(bits);
  for (size_t i = 0; i < pixels.size(); i += 4) {
    const unsigned alpha = pixels[i + 3];
    for (int c = 0; c < 3; ++c)
      out[i + c] = static_cast<unsigned char>((pixels[i + c] * alpha + back[c] * (255 - alpha) + 127) / 255);
    out[i + 3] = 255;
  }
  return bitmap;
}

}  // namespace

HBITMAP PngBitmap(int png_resource, COLORREF background) {
  const auto key = std::make_pair(png_resource, background);
  if (auto it = pictures.find(key); it != pictures.end()) return it->second;
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(png_resource), MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (found == nullptr) return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (data == nullptr) return nullptr;
  HBITMAP bitmap = DecodePng(data, SizeofResource(module, found), background);
  if (bitmap != nullptr) pictures[key] = bitmap;
  return bitmap;
}

void ReleasePictures() {
  for (auto& [key, bitmap] : pictures) DeleteObject(bitmap);
  pictures.clear();
}

}  // namespace tw::toolkit::detail

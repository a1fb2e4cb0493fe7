// Reading pixels off the screen and saving screenshots as PNG.
#include "driver.h"

#include <objbase.h>
#include <wincodec.h>

#include <cstdio>
#include <map>
#include <system_error>

namespace veskaro::e2e {

namespace {

struct DcReleaser {
  void operator()(HDC dc) const noexcept { ReleaseDC(nullptr, dc); }
};
struct DcDeleter {
  void operator()(HDC dc) const noexcept { DeleteDC(dc); }
};
struct ObjectDeleter {
  void operator()(HGDIOBJ object) const noexcept { DeleteObject(object); }
};

template <typename T>
struct ComReleaser {
  void operator()(T* p) const noexcept { p->Release(); }
};
template <typename T>
using ComPtr = std::unique_ptr<T, ComReleaser<T>>;

// COM for the imaging component, held for one call: the driver does not know
// whether its caller has initialised COM already (then this is a no-op pair).
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT result_;
};

}  // namespace

std::vector<COLORREF> Snapshot::Region(const RECT& r) const {
  std::vector<COLORREF> region;
  for (LONG y = std::max(r.top, 0L); y < std::min(r.bottom, height_); ++y)
    for (LONG x = std::max(r.left, 0L); x < std::min(r.right, width_); ++x)
      region.push_back(At(x, y));
  return region;
}

bool Snapshot::SavePng(const std::filesystem::path& file) const {
  ComScope com;
  IWICImagingFactory* raw_factory = nullptr;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(&raw_factory))))
    return false;
  ComPtr<IWICImagingFactory> factory(raw_factory);

  // COLORREF is 0x00BBGGRR; WIC's 24bpp BGR wants bytes B, G, R.
  const UINT stride = UINT(width_) * 3;
  std::vector<BYTE> bgr(std::size_t(stride) * height_);
  for (LONG y = 0; y < height_; ++y) {
    for (LONG x = 0; x < width_; ++x) {
      const COLORREF c = At(x, y);
      BYTE* p = &bgr[std::size_t(y) * stride + std::size_t(x) * 3];
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
    }
  }

  IWICStream* raw_stream = nullptr;
  if (FAILED(factory->CreateStream(&raw_stream))) return false;
  ComPtr<IWICStream> stream(raw_stream);
  if (FAILED(stream->InitializeFromFilename(file.c_str(), GENERIC_WRITE))) return false;

  IWICBitmapEncoder* raw_encoder = nullptr;
  if (FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &raw_encoder))) return false;
  ComPtr<IWICBitmapEncoder> encoder(raw_encoder);
  if (FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache))) return false;

  IWICBitmapFrameEncode* raw_frame = nullptr;
  if (FAILED(encoder->CreateNewFrame(&raw_frame, nullptr))) return false;
  ComPtr<IWICBitmapFrameEncode> frame(raw_frame);
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(frame->Initialize(nullptr)) || FAILED(frame->SetSize(UINT(width_), UINT(height_))) ||
      FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat24bppBGR)
    return false;
  if (FAILED(frame->WritePixels(UINT(height_), stride, UINT(bgr.size()), bgr.data())) ||
      FAILED(frame->Commit()) || FAILED(encoder->Commit()))
    return false;
  return true;
}

Snapshot CaptureScreen(const RECT& screen_rect) {
  const LONG width = std::max(Width(screen_rect), 0L);
  const LONG height = std::max(Height(screen_rect), 0L);
  std::vector<COLORREF> pixels(std::size_t(width) * height);
  if (width == 0 || height == 0) return Snapshot(width, height, std::move(pixels));

  std::unique_ptr<std::remove_pointer_t<HDC>, DcReleaser> screen(GetDC(nullptr));
  std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter> memory(CreateCompatibleDC(screen.get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  std::unique_ptr<void, ObjectDeleter> bitmap(
      CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || bits == nullptr) return Snapshot(width, height, std::move(pixels));
  HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
  BitBlt(memory.get(), 0, 0, width, height, screen.get(), screen_rect.left, screen_rect.top,
         SRCCOPY);
  GdiFlush();
  SelectObject(memory.get(), old);

  // DIB pixels are 0x00RRGGBB; COLORREF swaps red and blue.
  const auto* source = static_cast<const DWORD*>(bits);
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    const DWORD p = source[i];
    pixels[i] = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  return Snapshot(width, height, std::move(pixels));
}

Snapshot CaptureWholeScreen() {
  return CaptureScreen(RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
}

Snapshot CaptureWindow(HWND window) { return CaptureScreen(WindowRect(window)); }

COLORREF ScreenPixel(POINT screen) {
  return CaptureScreen(RECT{screen.x, screen.y, screen.x + 1, screen.y + 1}).At(0, 0);
}

Snapshot CaptureWhenSteady(const RECT& screen_rect, Milliseconds timeout, Milliseconds gap) {
  Snapshot last = CaptureScreen(screen_rect);
  WaitUntil(
      [&] {
        Snapshot next = CaptureScreen(screen_rect);
        const bool same = next.Region({0, 0, next.Width(), next.Height()}) ==
                          last.Region({0, 0, last.Width(), last.Height()});
        last = std::move(next);
        return same;
      },
      timeout, gap);
  return last;
}

int ColorDistance(COLORREF a, COLORREF b) {
  auto d = [](int x, int y) { return x > y ? x - y : y - x; };
  return std::max({d(GetRValue(a), GetRValue(b)), d(GetGValue(a), GetGValue(b)),
                   d(GetBValue(a), GetBValue(b))});
}

COLORREF MostCommonColor(const std::vector<COLORREF>& pixels) {
  std::map<COLORREF, std::size_t> counts;
  for (COLORREF c : pixels) ++counts[c];
  COLORREF best = 0;
  std::size_t best_count = 0;
  for (auto [color, count] : counts) {
    if (count > best_count) {
      best = color;
      best_count = count;
    }
  }
  return best;
}

COLORREF AverageColor(const std::vector<COLORREF>& pixels) {
  if (pixels.empty()) return 0;
  std::uint64_t r = 0, g = 0, b = 0;
  for (COLORREF c : pixels) {
    r += GetRValue(c);
    g += GetGValue(c);
    b += GetBValue(c);
  }
  const std::uint64_t n = pixels.size();
  return RGB(BYTE((r + n / 2) / n), BYTE((g + n / 2) / n), BYTE((b + n / 2) / n));
}

COLORREF ClosestColor(const std::vector<COLORREF>& pixels, COLORREF wanted) {
  COLORREF best = pixels.empty() ? ~wanted & 0xFFFFFF : pixels.front();
  for (COLORREF c : pixels)
    if (ColorDistance(c, wanted) < ColorDistance(best, wanted)) best = c;
  return best;
}

std::string DescribeColor(COLORREF color) {
  char text[64];
  std::snprintf(text, sizeof text, "%lu (R %u, G %u, B %u)", static_cast<unsigned long>(color),
                unsigned(GetRValue(color)), unsigned(GetGValue(color)),
                unsigned(GetBValue(color)));
  return text;
}

std::filesystem::path ScreenshotDir() {
#ifdef VESKARO_SCREENSHOT_DIR
  std::filesystem::path dir = Wide(VESKARO_SCREENSHOT_DIR);
#else
  std::filesystem::path dir = L"screenshots";
#endif
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  return dir;
}

std::filesystem::path SaveScreenshot(HWND window, std::string_view name) {
  const auto file = ScreenshotDir() / (Wide(name) + L".png");
  const Snapshot shot = window != nullptr ? CaptureWindow(window) : CaptureWholeScreen();
  return shot.SavePng(file) ? file : std::filesystem::path{};
}

}  // namespace veskaro::e2e

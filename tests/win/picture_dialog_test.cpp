// The preview's decoding and drawing on small pictures made here with the
// imaging component and GDI, and files that must give an empty preview.
#include "app/picture_dialog.h"

#include <gtest/gtest.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "dialog_test_support.h"

using Microsoft::WRL::ComPtr;

namespace veskaro::app {
namespace {

using test::TempFile;
using test::WriteFileBytes;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// A solid picture through the imaging component's encoder (BMP, JPEG).
void WriteWithEncoder(const std::wstring& path, REFGUID container, UINT width, UINT height, COLORREF color) {
  ComPtr<IWICImagingFactory> factory;
  ASSERT_HRESULT_SUCCEEDED(
      CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory)));
  ComPtr<IWICStream> stream;
  ASSERT_HRESULT_SUCCEEDED(factory->CreateStream(&stream));
  ASSERT_HRESULT_SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE));
  ComPtr<IWICBitmapEncoder> encoder;
  ASSERT_HRESULT_SUCCEEDED(factory->CreateEncoder(container, nullptr, &encoder));
  ASSERT_HRESULT_SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache));
  ComPtr<IWICBitmapFrameEncode> frame;
  ASSERT_HRESULT_SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr));
  ASSERT_HRESULT_SUCCEEDED(frame->Initialize(nullptr));
  ASSERT_HRESULT_SUCCEEDED(frame->SetSize(width, height));
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  ASSERT_HRESULT_SUCCEEDED(frame->SetPixelFormat(&format));
  ASSERT_TRUE(IsEqualGUID(format, GUID_WICPixelFormat24bppBGR));
  const UINT stride = (width * 3 + 3) & ~3u;
  std::vector<BYTE> pixels(static_cast<size_t>(stride) * height);
  for (UINT y = 0; y < height; ++y)
    for (UINT x = 0; x < width; ++x) {
      BYTE* p = &pixels[y * stride + x * 3];
      p[0] = GetBValue(color), p[1] = GetGValue(color), p[2] = GetRValue(color);
    }
  ASSERT_HRESULT_SUCCEEDED(frame->WritePixels(height, stride, static_cast<UINT>(pixels.size()), pixels.data()));
  ASSERT_HRESULT_SUCCEEDED(frame->Commit());
  ASSERT_HRESULT_SUCCEEDED(encoder->Commit());
}

// An enhanced metafile whose frame is width x height hundredths of a
// millimetre, filled with one colour.
void WriteEmf(const std::wstring& path, LONG width, LONG height, COLORREF color) {
  const RECT frame{0, 0, width, height};
  HDC dc = CreateEnhMetaFileW(nullptr, path.c_str(), &frame, nullptr);
  ASSERT_NE(dc, nullptr);
  // Logical units: hundredths of a millimetre, as the frame.
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, width, height, nullptr);
  const int hres = GetDeviceCaps(dc, HORZRES), vres = GetDeviceCaps(dc, VERTRES);
  const int hsize = GetDeviceCaps(dc, HORZSIZE), vsize = GetDeviceCaps(dc, VERTSIZE);
  SetViewportExtEx(dc, MulDiv(width, hres, hsize * 100), MulDiv(height, vres, vsize * 100), nullptr);
  HBRUSH brush = CreateSolidBrush(color);
  const RECT all{0, 0, width, height};
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  DeleteEnhMetaFile(CloseEnhMetaFile(dc));
}

// The bits of a Windows metafile of width x height logical units filled
// with one colour; with placeable, the Aldus header in front (unitsPerInch).
std::vector<BYTE> WindowsMetafileBytes(int width, int height, COLORREF color, bool placeable, int unitsPerInch) {
  HDC dc = CreateMetaFileW(nullptr);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetWindowExtEx(dc, width, height, nullptr);
  HBRUSH brush = CreateSolidBrush(color);
  HGDIOBJ old = SelectObject(dc, brush);
  SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 0, 0, width + 1, height + 1);
  SelectObject(dc, old);
  HMETAFILE metafile = CloseMetaFile(dc);
  DeleteObject(brush);
  const UINT size = GetMetaFileBitsEx(metafile, 0, nullptr);
  std::vector<BYTE> bits(size);
  GetMetaFileBitsEx(metafile, size, bits.data());
  DeleteMetaFile(metafile);
  if (!placeable) return bits;
  std::vector<BYTE> header;
  auto put16 = [&](unsigned v) {
    header.push_back(static_cast<BYTE>(v));
    header.push_back(static_cast<BYTE>(v >> 8));
  };
  put16(0xCDD7), put16(0x9AC6), put16(0);                    // key, handle
  put16(0), put16(0), put16(static_cast<unsigned>(width)), put16(static_cast<unsigned>(height));  // bounds
  put16(static_cast<unsigned>(unitsPerInch)), put16(0), put16(0);  // inch, reserved
  unsigned checksum = 0;
  for (size_t i = 0; i < header.size(); i += 2) checksum ^= header[i] | (header[i + 1] << 8);
  put16(checksum);
  header.insert(header.end(), bits.begin(), bits.end());
  return header;
}

// A white 32-bit canvas to draw previews on and read pixels back.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
    std::fill(bits_, bits_ + width * height, 0x00FFFFFFu);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const {
    GdiFlush();
    const UINT32 p = bits_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }

 private:
  int width_;
  UINT32* bits_ = nullptr;
  HBITMAP bitmap_;
  HDC dc_;
  HGDIOBJ old_;
};

bool Near(COLORREF a, COLORREF b, int tolerance = 24) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

class PicturePreviewTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
  void TearDown() override {
    for (const auto& file : files_) DeleteFileW(file.c_str());
    CoUninitialize();
  }
  std::wstring File(const std::wstring& name) {
    files_.push_back(TempFile(L"veskaro-preview-" + name));
    return files_.back();
  }

 private:
  std::vector<std::wstring> files_;
};

// One picture per format: what it is made of, the size the preview must
// report and the colour at the centre of a 40 x 40 pane.
struct DecodeCase {
  const char* name;
  const wchar_t* file;
  std::function<void(const std::wstring& path)> make;
  std::function<SIZE()> expectedSize;
  COLORREF color;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

class PicturePreviewDecodeTest : public PicturePreviewTest, public ::testing::WithParamInterface<DecodeCase> {};

TEST_P(PicturePreviewDecodeTest, ReportsTheSizeAndDrawsScaledToFitKeepingProportions) {
  const DecodeCase& c = GetParam();
  const std::wstring path = File(c.file);
  c.make(path);
  if (HasFatalFailure()) return;

  const auto preview = LoadPreview(path);
  ASSERT_TRUE(preview.has_value());
  const SIZE expected = c.expectedSize();
  EXPECT_EQ(preview->Size().cx, expected.cx);
  EXPECT_EQ(preview->Size().cy, expected.cy);
  EXPECT_EQ(PictureSizeText(preview->Size()), std::to_wstring(expected.cx) + L" x " + std::to_wstring(expected.cy));

  Canvas canvas(40, 40);
  const RECT pane{0, 0, 40, 40};
  preview->Draw(canvas.dc(), pane);
  const RECT placed = FitPicture(preview->Size(), pane);
  EXPECT_TRUE(Near(canvas.At(20, 20), c.color)) << std::hex << canvas.At(20, 20);
  // Outside the fitted picture the pane is untouched.
  if (placed.top > 1) {
    EXPECT_EQ(canvas.At(20, 0), kWhite);
  }
  if (placed.left > 1) {
    EXPECT_EQ(canvas.At(0, 20), kWhite);
  }
}

INSTANTIATE_TEST_SUITE_P(
    PicturePreviewFormats, PicturePreviewDecodeTest,
    ::testing::Values(
        DecodeCase{"Bmp", L"small.bmp",
                   [](const std::wstring& p) { WriteWithEncoder(p, GUID_ContainerFormatBmp, 7, 5, kRed); },
                   [] { return SIZE{7, 5}; }, kRed},
        DecodeCase{"BmpLargerThanThePane", L"wide.bmp",
                   [](const std::wstring& p) { WriteWithEncoder(p, GUID_ContainerFormatBmp, 798, 200, kBlue); },
                   [] { return SIZE{798, 200}; }, kBlue},
        DecodeCase{"Jpeg", L"photo.jpg",
                   [](const std::wstring& p) { WriteWithEncoder(p, GUID_ContainerFormatJpeg, 64, 32, kBlue); },
                   [] { return SIZE{64, 32}; }, kBlue},
        DecodeCase{"JpegNamedAsBitmap", L"photo-named.bmp",
                   [](const std::wstring& p) { WriteWithEncoder(p, GUID_ContainerFormatJpeg, 30, 60, kRed); },
                   [] { return SIZE{30, 60}; }, kRed},
        DecodeCase{"IconLargestImage", L"folder.ico",
                   [](const std::wstring& p) { ASSERT_TRUE(test::WriteIcoFile(p, {16, 48, 32}, 0xFFFF0000)); },
                   [] { return SIZE{48, 48}; }, kRed},
        DecodeCase{"EnhancedMetafile", L"drawing.emf",
                   [](const std::wstring& p) { WriteEmf(p, 5080, 2540, kRed); },
                   [] { return SIZE{ScreenDpi() * 2, ScreenDpi()}; }, kRed},
        DecodeCase{"PlaceableMetafile", L"drawing.wmf",
                   [](const std::wstring& p) {
                     const auto bytes = WindowsMetafileBytes(300, 100, kBlue, true, 100);
                     ASSERT_TRUE(WriteFileBytes(p, bytes.data(), bytes.size()));
                   },
                   [] { return SIZE{ScreenDpi() * 3, ScreenDpi()}; }, kBlue}),
    [](const ::testing::TestParamInfo<DecodeCase>& param) { return std::string(param.param.name); });

TEST_F(PicturePreviewTest, MetafileWithoutPlaceableHeaderStillShows) {
  const std::wstring path = File(L"plain.wmf");
  const auto bytes = WindowsMetafileBytes(200, 100, kRed, false, 0);
  ASSERT_TRUE(WriteFileBytes(path, bytes.data(), bytes.size()));
  const auto preview = LoadPreview(path);
  ASSERT_TRUE(preview.has_value());
  EXPECT_GT(preview->Size().cx, 0);
  EXPECT_GT(preview->Size().cy, 0);
}

// Files that are no picture, or a broken one: an empty preview, no error.
struct UndecodableCase {
  const char* name;
  std::vector<BYTE> bytes;
};

void PrintTo(const UndecodableCase& c, std::ostream* os) { *os << c.name; }

class PicturePreviewUndecodableTest : public PicturePreviewTest,
                                      public ::testing::WithParamInterface<UndecodableCase> {};

TEST_P(PicturePreviewUndecodableTest, GivesNoPreview) {
  const std::wstring path = File(L"broken.jpg");
  ASSERT_TRUE(WriteFileBytes(path, GetParam().bytes.data(), GetParam().bytes.size()));
  EXPECT_FALSE(LoadPreview(path).has_value());
}

std::vector<BYTE> Repeat(std::vector<BYTE> head, size_t total, BYTE fill) {
  head.resize(total, fill);
  return head;
}

INSTANTIATE_TEST_SUITE_P(
    PicturePreviewBroken, PicturePreviewUndecodableTest,
    ::testing::Values(UndecodableCase{"Empty", {}},
                      UndecodableCase{"Text", {'h', 'e', 'l', 'l', 'o', '\r', '\n'}},
                      UndecodableCase{"Garbage", Repeat({0x13, 0x37}, 4096, 0xA5)},
                      UndecodableCase{"JpegHeaderThenGarbage", Repeat({0xFF, 0xD8, 0xFF, 0xE0}, 600, 0x5A)},
                      UndecodableCase{"BitmapHeaderOnly", {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0}},
                      // An EMF header record claiming more than the file holds.
                      UndecodableCase{"TruncatedEnhancedMetafile",
                                      Repeat({1, 0, 0, 0, 0x6C, 0, 0, 0}, 44, 0)},
                      UndecodableCase{"PlaceableKeyOnly", {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0}}),
    [](const ::testing::TestParamInfo<UndecodableCase>& param) { return std::string(param.param.name); });

TEST_F(PicturePreviewTest, MissingFileAndFolderGiveNoPreview) {
  EXPECT_FALSE(LoadPreview(TempFile(L"veskaro-no-such-picture.jpg")).has_value());
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  EXPECT_FALSE(LoadPreview(folder).has_value());
  EXPECT_FALSE(LoadPreview(L"").has_value());
}

struct FitCase {
  const char* name;
  SIZE picture;
  RECT box;
  RECT expected;
};

void PrintTo(const FitCase& c, std::ostream* os) { *os << c.name; }

class PictureFitTest : public ::testing::TestWithParam<FitCase> {};

TEST_P(PictureFitTest, ShrinksToFitKeepsProportionsAndCentres) {
  const FitCase& c = GetParam();
  const RECT r = FitPicture(c.picture, c.box);
  EXPECT_EQ(r.left, c.expected.left);
  EXPECT_EQ(r.top, c.expected.top);
  EXPECT_EQ(r.right, c.expected.right);
  EXPECT_EQ(r.bottom, c.expected.bottom);
}

INSTANTIATE_TEST_SUITE_P(
    PictureFit, PictureFitTest,
    ::testing::Values(FitCase{"SmallerIsCentredNotEnlarged", {20, 10}, {0, 0, 100, 100}, {40, 45, 60, 55}},
                      FitCase{"WiderIsLimitedByWidth", {798, 648}, {0, 0, 100, 100}, {0, 9, 100, 90}},
                      FitCase{"TallerIsLimitedByHeight", {100, 400}, {10, 20, 110, 120}, {47, 20, 72, 120}},
                      FitCase{"ExactFit", {100, 50}, {0, 0, 100, 50}, {0, 0, 100, 50}},
                      FitCase{"ThinLineKeepsOnePixel", {10000, 1}, {0, 0, 50, 50}, {0, 24, 50, 25}},
                      FitCase{"EmptyPicture", {0, 10}, {5, 5, 50, 50}, {5, 5, 5, 5}},
                      FitCase{"EmptyBox", {10, 10}, {5, 5, 5, 50}, {5, 5, 5, 5}}),
    [](const ::testing::TestParamInfo<FitCase>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace veskaro::app

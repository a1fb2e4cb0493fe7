#include "app/picture_dialog.h"

#include <commdlg.h>
#include <dlgs.h>
#include <wincodec.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "../../res/dialogs_ids.h"
#include "platform/win32/handles.h"

namespace veskaro::app {
namespace {

struct FilterEntry {
  std::wstring_view description;
  std::wstring_view pattern;
};

// One entry per extension we can load, after the entry that takes them all.
constexpr std::array<FilterEntry, 7> kPictureFilters{{
    {L"All", L"*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf"},
    {L"JPEG Image File", L"*.jpg"},
    {L"JPEG Image File", L"*.jpeg"},
    {L"Bitmaps", L"*.bmp"},
    {L"Icons", L"*.ico"},
    {L"Enhanced Metafiles", L"*.emf"},
    {L"Metafiles", L"*.wmf"},
}};

// The pane is a few hundred pixels at most; a photo decoded at full size
// would cost hundreds of megabytes for nothing.
constexpr UINT kMaxPreviewSide = 512;
// Metafiles are read whole; anything larger is not a picture we would show.
constexpr LONGLONG kMaxMetafileBytes = 64LL * 1024 * 1024;

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableHeaderBytes = 22;

std::uint16_t ReadU16(const std::vector<BYTE>& bytes, size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}
std::uint32_t ReadU32(const std::vector<BYTE>& bytes, size_t at) {
  return static_cast<std::uint32_t>(ReadU16(bytes, at)) |
         (static_cast<std::uint32_t>(ReadU16(bytes, at + 2)) << 16);
}
std::int16_t ReadS16(const std::vector<BYTE>& bytes, size_t at) {
  return static_cast<std::int16_t>(ReadU16(bytes, at));
}

// The whole file, or nothing when it cannot be read or is over the limit.
std::optional<std::vector<BYTE>> ReadSmallFile(const std::wstring& path, LONGLONG limit) {
  win32::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > limit) return std::nullopt;
  std::vector<BYTE> bytes(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() &&
      (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
       read != bytes.size()))
    return std::nullopt;
  return bytes;
}

SIZE ScreenPixelsPerInch() {
  const win32::WindowDc screen(nullptr, false);
  SIZE dpi{96, 96};
  if (screen.dc()) {
    dpi.cx = GetDeviceCaps(screen.dc(), LOGPIXELSX);
    dpi.cy = GetDeviceCaps(screen.dc(), LOGPIXELSY);
  }
  return dpi;
}

bool IsEnhancedMetafile(const std::vector<BYTE>& bytes) {
  return bytes.size() >= sizeof(ENHMETAHEADER) && ReadU32(bytes, 0) == EMR_HEADER &&
         ReadU32(bytes, offsetof(ENHMETAHEADER, dSignature)) == ENHMETA_SIGNATURE;
}

bool IsPlaceableMetafile(const std::vector<BYTE>& bytes) {
  return bytes.size() > kPlaceableHeaderBytes + sizeof(METAHEADER) && ReadU32(bytes, 0) == kPlaceableKey;
}

// A metafile without the placeable header: memory or disk type, header of
// nine words.
bool IsStandardMetafile(const std::vector<BYTE>& bytes, size_t at) {
  if (bytes.size() < at + sizeof(METAHEADER)) return false;
  const std::uint16_t type = ReadU16(bytes, at);
  return (type == 1 || type == 2) && ReadU16(bytes, at + 2) == 9;
}

// The size in screen pixels of an enhanced metafile's frame (0.01 mm units).
std::optional<SIZE> MetafilePixelSize(HENHMETAFILE metafile) {
  ENHMETAHEADER header{};
  if (GetEnhMetaFileHeader(metafile, sizeof header, &header) == 0) return std::nullopt;
  const SIZE dpi = ScreenPixelsPerInch();
  SIZE size{MulDiv(header.rclFrame.right - header.rclFrame.left, dpi.cx, 2540),
            MulDiv(header.rclFrame.bottom - header.rclFrame.top, dpi.cy, 2540)};
  if (size.cx <= 0 || size.cy <= 0)
    size = {header.rclBounds.right - header.rclBounds.left + 1, header.rclBounds.bottom - header.rclBounds.top + 1};
  if (size.cx <= 0 || size.cy <= 0) return std::nullopt;
  return size;
}

std::optional<PicturePreview> LoadEnhancedMetafile(const std::vector<BYTE>& bytes) {
  win32::UniqueEnhMetaFile metafile(SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data()));
  if (!metafile) return std::nullopt;
  const auto size = MetafilePixelSize(metafile.get());
  if (!size) return std::nullopt;
  return PicturePreview::FromMetafile(std::move(metafile), *size);
}

std::optional<PicturePreview> LoadWindowsMetafile(const std::vector<BYTE>& bytes) {
  if (IsPlaceableMetafile(bytes)) {
    // The placeable header gives the picture's bounds in units of 1/inch.
    const int width = std::abs(ReadS16(bytes, 10) - ReadS16(bytes, 6));
    const int height = std::abs(ReadS16(bytes, 12) - ReadS16(bytes, 8));
    const int unitsPerInch = ReadU16(bytes, 14);
    if (width == 0 || height == 0 || unitsPerInch == 0 || !IsStandardMetafile(bytes, kPlaceableHeaderBytes))
      return std::nullopt;
    METAFILEPICT picture{MM_ANISOTROPIC, MulDiv(width, 2540, unitsPerInch), MulDiv(height, 2540, unitsPerInch),
                         nullptr};
    win32::UniqueEnhMetaFile metafile(SetWinMetaFileBits(static_cast<UINT>(bytes.size() - kPlaceableHeaderBytes),
                                                  bytes.data() + kPlaceableHeaderBytes, nullptr, &picture));
    if (!metafile) return std::nullopt;
    const SIZE dpi = ScreenPixelsPerInch();
    return PicturePreview::FromMetafile(
        std::move(metafile), SIZE{MulDiv(width, dpi.cx, unitsPerInch), MulDiv(height, dpi.cy, unitsPerInch)});
  }
  win32::UniqueEnhMetaFile metafile(SetWinMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data(), nullptr, nullptr));
  if (!metafile) return std::nullopt;
  const auto size = MetafilePixelSize(metafile.get());
  if (!size) return std::nullopt;
  return PicturePreview::FromMetafile(std::move(metafile), *size);
}

// JPEG, BMP, ICO and whatever else the imaging component decodes. Of the
// frames of an icon the largest is shown.
std::optional<PicturePreview> LoadWithImagingComponent(const std::wstring& path) {
  win32::ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(factory.put()))))
    return std::nullopt;
  win32::ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, decoder.put())))
    return std::nullopt;
  UINT frameCount = 0;
  if (FAILED(decoder->GetFrameCount(&frameCount)) || frameCount == 0) return std::nullopt;

  win32::ComPtr<IWICBitmapFrameDecode> best;
  UINT width = 0, height = 0;
  for (UINT i = 0; i < std::min(frameCount, 256u); ++i) {
    win32::ComPtr<IWICBitmapFrameDecode> frame;
    UINT w = 0, h = 0;
    if (FAILED(decoder->GetFrame(i, frame.put())) || FAILED(frame->GetSize(&w, &h))) continue;
    if (!best || static_cast<UINT64>(w) * h > static_cast<UINT64>(width) * height) {
      best = std::move(frame);
      width = w;
      height = h;
    }
  }
  if (!best || width == 0 || height == 0) return std::nullopt;

  win32::ComPtr<IWICBitmapSource> source;
  if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, best.get(), source.put()))) return std::nullopt;

  const RECT fitted = FitPicture(SIZE{static_cast<LONG>(width), static_cast<LONG>(height)},
                                 RECT{0, 0, static_cast<LONG>(kMaxPreviewSide), static_cast<LONG>(kMaxPreviewSide)});
  const UINT keptWidth = static_cast<UINT>(fitted.right - fitted.left);
  const UINT keptHeight = static_cast<UINT>(fitted.bottom - fitted.top);
  if (keptWidth != width || keptHeight != height) {
    win32::ComPtr<IWICBitmapScaler> scaler;
    if (FAILED(factory->CreateBitmapScaler(scaler.put())) ||
        FAILED(scaler->Initialize(source.get(), keptWidth, keptHeight, WICBitmapInterpolationModeFant)))
      return std::nullopt;
    source = std::move(scaler);
  }

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = static_cast<LONG>(keptWidth);
  info.bmiHeader.biHeight = -static_cast<LONG>(keptHeight);  // top-down, as WIC delivers rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  win32::UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return std::nullopt;
  const UINT stride = keptWidth * 4;
  if (FAILED(source->CopyPixels(nullptr, stride, stride * keptHeight, static_cast<BYTE*>(bits))))
    return std::nullopt;
  GdiFlush();
  return PicturePreview::FromBitmap(std::move(bitmap),
                                    SIZE{static_cast<LONG>(keptWidth), static_cast<LONG>(keptHeight)},
                                    SIZE{static_cast<LONG>(width), static_cast<LONG>(height)});
}

// What the hook keeps for one showing of the dialog.
struct PreviewPane {
  std::optional<PicturePreview> picture;
  // The template's layout when the dialog was first shown, to follow resizing.
  bool laidOut = false;
  SIZE initialClient{};
  RECT initialGroup{}, initialImage{}, initialSize{};
};

RECT ChildRect(HWND dialog, int id) {
  RECT rect{};
  HWND child = GetDlgItem(dialog, id);
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void RecordLayout(HWND dialog, PreviewPane& pane) {
  RECT client{};
  GetClientRect(dialog, &client);
  pane.initialClient = {client.right, client.bottom};
  pane.initialGroup = ChildRect(dialog, IDC_PREVIEW_GROUP);
  pane.initialImage = ChildRect(dialog, IDC_PREVIEW_IMAGE);
  pane.initialSize = ChildRect(dialog, IDC_PREVIEW_SIZE);
  pane.laidOut = true;
}

// The pane stays at the right edge; the picture area takes the new height.
void FollowResize(HWND dialog, const PreviewPane& pane) {
  if (!pane.laidOut) return;
  RECT client{};
  GetClientRect(dialog, &client);
  const LONG dx = client.right - pane.initialClient.cx;
  const LONG dy = std::max<LONG>(client.bottom - pane.initialClient.cy, 0);
  auto place = [&](int id, const RECT& r, LONG grow, LONG down) {
    SetWindowPos(GetDlgItem(dialog, id), nullptr, r.left + dx, r.top + down, r.right - r.left,
                 r.bottom - r.top + grow, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  place(IDC_PREVIEW_GROUP, pane.initialGroup, dy, 0);
  place(IDC_PREVIEW_IMAGE, pane.initialImage, dy, 0);
  place(IDC_PREVIEW_SIZE, pane.initialSize, 0, dy);
  InvalidateRect(dialog, nullptr, TRUE);
}

void ShowSelection(HWND dialog, PreviewPane& pane) {
  std::vector<wchar_t> path(32768);
  const int length = static_cast<int>(SendMessageW(GetParent(dialog), CDM_GETFILEPATH,
                                                   static_cast<WPARAM>(path.size()),
                                                   reinterpret_cast<LPARAM>(path.data())));
  pane.picture.reset();
  if (length > 0 && static_cast<size_t>(length) <= path.size()) pane.picture = LoadPreview(path.data());
  SetDlgItemTextW(dialog, IDC_PREVIEW_SIZE,
                  pane.picture ? PictureSizeText(pane.picture->Size()).c_str() : L"");
  InvalidateRect(GetDlgItem(dialog, IDC_PREVIEW_IMAGE), nullptr, TRUE);
}

void DrawPane(const DRAWITEMSTRUCT& item, const PreviewPane& pane) {
  RECT box = item.rcItem;
  FillRect(item.hDC, &box, GetSysColorBrush(COLOR_WINDOW));
  FrameRect(item.hDC, &box, GetSysColorBrush(COLOR_BTNSHADOW));
  InflateRect(&box, -3, -3);
  if (pane.picture) pane.picture->Draw(item.hDC, box);
}

// The child dialog's procedure. Nothing may escape it: a preview that fails
// leaves the pane empty.
UINT_PTR CALLBACK PreviewHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    auto* pane = reinterpret_cast<PreviewPane*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    switch (message) {
      case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<OPENFILENAMEW*>(lParam)->lCustData);
        return TRUE;
      case WM_NOTIFY: {
        if (!pane) break;
        const auto* notify = reinterpret_cast<const OFNOTIFYW*>(lParam);
        if (notify->hdr.code == CDN_INITDONE) {
          RecordLayout(dialog, *pane);
          ShowSelection(dialog, *pane);
        } else if (notify->hdr.code == CDN_SELCHANGE) {
          ShowSelection(dialog, *pane);
        }
        break;
      }
      case WM_SIZE:
        if (pane) FollowResize(dialog, *pane);
        break;
      case WM_DRAWITEM:
        if (pane && wParam == IDC_PREVIEW_IMAGE) {
          DrawPane(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam), *pane);
          return TRUE;
        }
        break;
      default:
        break;
    }
  } catch (...) {
  }
  return 0;
}

}  // namespace

PicturePreview PicturePreview::FromBitmap(win32::UniqueBitmap bitmap, SIZE bitmapSize, SIZE pictureSize) {
  PicturePreview preview;
  preview.bitmap_ = std::move(bitmap);
  preview.bitmapSize_ = bitmapSize;
  preview.size_ = pictureSize;
  return preview;
}

PicturePreview PicturePreview::FromMetafile(win32::UniqueEnhMetaFile metafile, SIZE pictureSize) {
  PicturePreview preview;
  preview.metafile_ = std::move(metafile);
  preview.size_ = pictureSize;
  return preview;
}

void PicturePreview::Draw(HDC dc, const RECT& box) const {
  const RECT target = FitPicture(size_, box);
  if (IsRectEmpty(&target)) return;
  if (metafile_) {
    PlayEnhMetaFile(dc, metafile_.get(), &target);
  } else if (bitmap_) {
    const win32::UniqueMemoryDc memory(CreateCompatibleDC(dc));
    const win32::SelectScope selected(memory.get(), bitmap_.get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, memory.get(), 0,
               0, bitmapSize_.cx, bitmapSize_.cy, blend);
  }
}

std::optional<PicturePreview> LoadPreview(const std::wstring& path) {
  try {
    // Sniff the content rather than trust the extension; metafiles first,
    // since the imaging component does not read them.
    win32::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::vector<BYTE> head(sizeof(ENHMETAHEADER));
    DWORD read = 0;
    if (!ReadFile(file.get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr)) return std::nullopt;
    head.resize(read);
    file.reset();

    const bool enhanced = IsEnhancedMetafile(head);
    const bool windows = !enhanced && (IsPlaceableMetafile(head) || IsStandardMetafile(head, 0));
    if (enhanced || windows) {
      const auto bytes = ReadSmallFile(path, kMaxMetafileBytes);
      if (!bytes) return std::nullopt;
      auto preview = enhanced ? LoadEnhancedMetafile(*bytes) : LoadWindowsMetafile(*bytes);
      if (preview) return preview;
    }
    return LoadWithImagingComponent(path);
  } catch (const std::exception&) {
    return std::nullopt;  // out of memory: no preview, as for any other unreadable file
  }
}

RECT FitPicture(SIZE picture, const RECT& box) {
  const LONG boxWidth = std::max<LONG>(box.right - box.left, 0);
  const LONG boxHeight = std::max<LONG>(box.bottom - box.top, 0);
  if (picture.cx <= 0 || picture.cy <= 0 || boxWidth == 0 || boxHeight == 0)
    return RECT{box.left, box.top, box.left, box.top};
  LONG width = picture.cx, height = picture.cy;
  if (width > boxWidth || height > boxHeight) {
    if (static_cast<LONGLONG>(picture.cx) * boxHeight > static_cast<LONGLONG>(picture.cy) * boxWidth) {
      width = boxWidth;
      height = static_cast<LONG>(std::max<LONGLONG>(1, static_cast<LONGLONG>(picture.cy) * boxWidth / picture.cx));
    } else {
      height = boxHeight;
      width = static_cast<LONG>(std::max<LONGLONG>(1, static_cast<LONGLONG>(picture.cx) * boxHeight / picture.cy));
    }
  }
  const LONG left = box.left + (boxWidth - width) / 2;
  const LONG top = box.top + (boxHeight - height) / 2;
  return RECT{left, top, left + width, top + height};
}

std::wstring PictureSizeText(SIZE size) {
  return std::to_wstring(size.cx) + L" x " + std::to_wstring(size.cy);
}

std::wstring PictureFilter() {
  std::wstring filter;
  for (const auto& entry : kPictureFilters) {
    filter.append(entry.description).append(L" (").append(entry.pattern).append(L")").push_back(L'\0');
    filter.append(entry.pattern).push_back(L'\0');
  }
  filter.push_back(L'\0');
  return filter;
}

std::optional<std::wstring> PictureDialog::Show() {
  std::vector<wchar_t> file(32768);
  const size_t preset = std::min(lastFile_.size(), file.size() - 1);
  std::copy_n(lastFile_.data(), preset, file.data());
  const std::wstring filter = PictureFilter();
  PreviewPane pane;

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.hInstance = ResourceModule();
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.Flags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLESIZING | OFN_HIDEREADONLY;
  dialog.lCustData = reinterpret_cast<LPARAM>(&pane);
  dialog.lpfnHook = PreviewHook;
  dialog.lpTemplateName = MAKEINTRESOURCEW(IDD_PICTURE_PREVIEW);
  if (!GetOpenFileNameW(&dialog)) {
    const DWORD error = CommDlgExtendedError();
    if (error == 0) return std::nullopt;
    throw std::runtime_error("The open dialog cannot be shown (error " + std::to_string(error) + ")");
  }
  lastFile_ = file.data();
  return lastFile_;
}

}  // namespace veskaro::app

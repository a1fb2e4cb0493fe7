// openpd1: the open-file dialog with a preview pane that shows the selected
// picture scaled to fit and its size in pixels.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "app/dialog_support.h"
#include "platform/win32/handles.h"

namespace veskaro::app {

// A picture decoded for the preview: a 32-bit premultiplied bitmap (JPEG,
// BMP, ICO through WIC) or an enhanced metafile (EMF, and WMF converted).
class PicturePreview {
 public:
  static PicturePreview FromBitmap(win32::UniqueBitmap bitmap, SIZE bitmapSize, SIZE pictureSize);
  static PicturePreview FromMetafile(win32::UniqueEnhMetaFile metafile, SIZE pictureSize);

  // The picture's own size in pixels (for a metafile, at the screen's
  // resolution), whatever was kept for drawing.
  SIZE Size() const { return size_; }
  // Draws the picture into box, shrunk to fit with its proportions kept and
  // centred. Draws nothing for an empty picture.
  void Draw(HDC dc, const RECT& box) const;

 private:
  PicturePreview() = default;
  win32::UniqueBitmap bitmap_;
  SIZE bitmapSize_{};
  win32::UniqueEnhMetaFile metafile_;
  SIZE size_{};
};

// Decodes a picture file by its content; nothing when it cannot be decoded
// (missing, unreadable, a folder, not a picture). Needs COM on this thread
// for the bitmap formats.
std::optional<PicturePreview> LoadPreview(const std::wstring& path);

// Where a picture of the given size goes in box: shrunk (never enlarged) to
// fit with its proportions kept, centred.
RECT FitPicture(SIZE picture, const RECT& box);

// "798 x 648".
std::wstring PictureSizeText(SIZE size);

// The filter list in GetOpenFileNameW's form: pairs of description and
// pattern, each ended by a NUL, the whole list by a second NUL.
std::wstring PictureFilter();

// The dialog. It keeps the file chosen last and opens with it preset.
class PictureDialog {
 public:
  explicit PictureDialog(HWND owner) : owner_(owner) {}
  // The chosen file's full path, or nothing when the user cancelled.
  // Throws when the dialog cannot be shown.
  std::optional<std::wstring> Show();
  const std::wstring& LastFile() const { return lastFile_; }

 private:
  HWND owner_;
  std::wstring lastFile_;
};

}  // namespace veskaro::app

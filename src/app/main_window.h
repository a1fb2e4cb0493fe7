// TForm1, the main window: the skinned frame with its controls, the side
// panel and the folder tree. It turns messages into calls on the core's
// Editor, SideChannel and CreditGesture and shows what they say.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/skin/controls.h"
#include "app/skin/side_panel.h"
#include "app/skin/title_bar.h"
#include "core/credit_gesture.h"
#include "core/editor.h"
#include "core/side_channel.h"

namespace veskaro::app {

class ShellTree;
class Win32EditorDialogs;

// Timer1 of the credit gesture: once enabled it ticks every second for the
// rest of the run.
class Timer1 final : public GestureTimer {
 public:
  static constexpr UINT_PTR Id = 2;
  explicit Timer1(HWND owner) : owner_(owner) {}
  void Enable() override;

 private:
  HWND owner_;
  bool enabled_ = false;
};

class TForm1 final : public EditorView {
 public:
  static constexpr int ClientWidth = 294;
  static constexpr int ClientHeight = 438;
  static constexpr wchar_t ClassName[] = L"TForm1";

  TForm1(HINSTANCE instance, const skin::Theme& theme);
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  HWND hwnd() const { return hwnd_; }
  void Show();

  // EditorView
  void SetEditingEnabled(bool enabled) override;
  void SetFolderName(const std::string& text) override;
  void SetPictureText(const std::string& text) override;
  std::string PictureText() const override;
  void SetPathText(const std::string& text) override;
  std::string PathText() const override;
  void SetSampleTextColor(ColorValue color) override;
  void SetSampleBackColor(ColorValue color) override;
  void SetSampleTransparent(bool transparent) override;
  ColorValue WindowColor() const override;
  void ShowEmptyPathError() override;

  static void Register(HINSTANCE instance);

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

  void BuildLayout();
  void FormCreate();
  void OnPaint();
  void OnCommand(int id, int code);
  LRESULT OnCtlColorStatic(HDC dc, HWND control);
  LRESULT OnCtlColorEdit(HDC dc, HWND control);
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  void OnTimer(UINT_PTR id);
  void OnMouseDown(MouseButton button);
  void OnActivate(bool active);
  LRESULT OnSysCommand(WPARAM wp, LPARAM lp);
  void Label7Click();

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  skin::Skin skin_;

  FolderState folderState_;
  std::unique_ptr<skin::TitleBar> titleBar_;
  std::unique_ptr<skin::SidePanel> sidePanel_;
  std::unique_ptr<SideChannel> sideChannel_;
  std::unique_ptr<Win32EditorDialogs> dialogs_;
  std::unique_ptr<FolderSettingsStore> store_;
  std::unique_ptr<Editor> editor_;
  std::unique_ptr<ShellTree> shellTree_;
  std::unique_ptr<Timer1> timer1_;
  std::unique_ptr<CreditGesture> gesture_;

  HWND foldername_ = nullptr, edit1_ = nullptr, pathTo_ = nullptr, label4_ = nullptr, label7_ = nullptr;
  HWND editingButtons_[7] = {};  // Button1 .. Button7

  // Label4, the sample of the caption colours.
  COLORREF sampleText_ = 0;
  COLORREF sampleBack_ = 0;
  bool sampleTransparent_ = true;
  win32::UniqueBrush sampleBrush_;
  // Label7: the layout's blue until FormCreate makes it the link colour.
  COLORREF linkColor_ = RGB(0, 0, 255);
};

}  // namespace veskaro::app

// The About window (TForm3): any number may be open, each freeing itself
// when closed.
#pragma once

#include <windows.h>

#include <exception>
#include <memory>

#include "core/credit_gesture.h"

namespace veskaro::app {

// BitBtn1Click: opens one more About window, modeless, centred on the screen,
// owned by the application's window. Throws when the window cannot be
// created; Form3 is then clear.
void OpenAboutWindow(HINSTANCE instance, CreditGesture& gesture);

class TForm3;

// The newest About window; cleared when any About window closes.
extern TForm3* Form3;

// The window class of the About windows.
inline constexpr wchar_t kAboutWindowClass[] = L"TForm3";

class TForm3 {
 public:
  TForm3(const TForm3&) = delete;
  TForm3& operator=(const TForm3&) = delete;

  ~TForm3();

  HWND Handle() const { return hwnd_; }

 private:
  friend void OpenAboutWindow(HINSTANCE, CreditGesture&);
  friend struct AboutWindowAccess;

  enum class TitleButton { None, ControlBox, Minimise, Close };
  struct Resources;

  TForm3(HINSTANCE instance, CreditGesture& gesture);

  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK PageControlProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK PageProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK ImageProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK MemoSubclassProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandlePageControlMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandlePageMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleImageMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  // Message handlers of the window itself.
  void OnCreate();
  void OnPaint();
  LRESULT OnNcHitTest(LPARAM lParam);
  void OnMouseMove(POINT point);
  void OnLButtonDown(POINT point);
  void OnLButtonUp(POINT point);
  void OnActivate(bool active);
  void OnClose();

  // Handlers named as the form's events.
  void FormCreate();
  void FormClose();
  void Image1DblClick();

  void CreateControls();
  void SelectPage(int index);
  void SyncScrollBar();
  void OnScrollBar(WPARAM wParam);
  void ShowControlBoxMenu();
  RECT TitleButtonRect(TitleButton button) const;
  TitleButton TitleButtonAt(POINT point) const;
  void InvalidateTitleBar();
  void PaintPageControl(HDC dc, const RECT& client);
  void PaintLogoUnder(HWND child, HDC dc);

  HINSTANCE instance_;
  CreditGesture& gesture_;
  std::unique_ptr<Resources> resources_;
  HWND hwnd_ = nullptr;
  std::exception_ptr createError_;
  bool ownedByWindow_ = false;  // set once created: WM_NCDESTROY deletes it
  bool active_ = false;
  TitleButton hotButton_ = TitleButton::None;
  TitleButton pressedButton_ = TitleButton::None;
  bool trackingLeave_ = false;
  bool draggingFrame_ = false;
  bool syncing_ = false;

  HWND pageControl_ = nullptr;
  HWND pages_[2] = {};
  int activePage_ = 0;
  HWND memo_ = nullptr;
  HWND scrollBar_ = nullptr;
  HWND image_ = nullptr;
  HWND label1_ = nullptr;
};

}  // namespace veskaro::app

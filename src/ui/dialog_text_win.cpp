#include "ui/dialog_text_win.h"

#include "core/text.h"

void centerWindow(HWND window) {
  HWND reference = GetParent(window);
  if (!reference) reference = GetDesktopWindow();
  RECT outer;
  RECT own;
  GetWindowRect(reference, &outer);
  GetWindowRect(window, &own);
  int width = own.right - own.left;
  int height = own.bottom - own.top;
  int left = outer.left + ((outer.right - outer.left) - width) / 2;
  int top = outer.top + ((outer.bottom - outer.top) - height) / 2;
  SetWindowPos(window, HWND_TOP, left, top, 0, 0, SWP_NOSIZE);
}

static void setWindowTextWide(HWND window, const char16_t* text) {
  SetWindowTextW(window, reinterpret_cast<const wchar_t*>(text));
}

void setDlgItemTextWide(HWND window, int control, const char16_t* text) {
  SetDlgItemTextW(window, control, reinterpret_cast<const wchar_t*>(text));
}

void setWindowRecord(const ConfigTables& config, HWND window, int32_t record) {
  WideText text;
  configWString(config, record, text);
  setWindowTextWide(window, text);
}

void setDlgItemRecord(const ConfigTables& config, HWND window, int control, int32_t record) {
  WideText text;
  configWString(config, record, text);
  setDlgItemTextWide(window, control, text);
}

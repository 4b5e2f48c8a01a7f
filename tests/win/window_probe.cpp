// Test helper. Prints the visible dialogs of the launcher's kind (the
// progress window's class and the standard dialog class) on this desktop,
// one JSON object per window: its title, and per child control its id,
// class, text, whether it is visible and enabled, and for a progress bar
// its position and range. Texts are UTF-8.
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>

static void printJsonText(const wchar_t* text) {
  char utf8[4096];
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
  if (n <= 0) utf8[0] = 0;
  putchar('"');
  for (const unsigned char* c = reinterpret_cast<const unsigned char*>(utf8); *c; ++c) {
    if (*c == '"' || *c == '\\')
      printf("\\%c", *c);
    else if (*c < 0x20)
      printf("\\u%04x", *c);
    else
      putchar(*c);
  }
  putchar('"');
}

static bool first;

static BOOL CALLBACK printChild(HWND child, LPARAM) {
  wchar_t text[1024];
  char className[64];
  // Asked of the control itself: another process's GetWindowTextW sees
  // only the text stored with the window, never what was typed into an edit.
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(child, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied))
    GetWindowTextW(child, text, 1024);
  text[1023] = 0;
  GetClassNameA(child, className, sizeof className);
  printf("%s{\"id\":%d,\"class\":\"%s\",\"text\":", first ? "" : ",", GetDlgCtrlID(child), className);
  printJsonText(text);
  printf(",\"visible\":%s,\"enabled\":%s", IsWindowVisible(child) ? "true" : "false",
         IsWindowEnabled(child) ? "true" : "false");
  if (lstrcmpiA(className, PROGRESS_CLASSA) == 0) {
    printf(",\"position\":%ld,\"range\":%ld", static_cast<long>(SendMessageW(child, PBM_GETPOS, 0, 0)),
           static_cast<long>(SendMessageW(child, PBM_GETRANGE, FALSE, 0)));
  }
  putchar('}');
  first = false;
  return TRUE;
}

static BOOL CALLBACK printWindow(HWND window, LPARAM) {
  char className[64];
  GetClassNameA(window, className, sizeof className);
  if (!IsWindowVisible(window) || (lstrcmpiA(className, "MyDialogClass") != 0 && lstrcmpA(className, "#32770") != 0))
    return TRUE;
  wchar_t title[1024];
  GetWindowTextW(window, title, 1024);
  printf("{\"class\":\"%s\",\"title\":", className);
  printJsonText(title);
  printf(",\"controls\":[");
  first = true;
  EnumChildWindows(window, printChild, 0);
  printf("]}\n");
  return TRUE;
}

int main() {
  EnumWindows(printWindow, 0);
  return 0;
}

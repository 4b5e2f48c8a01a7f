// The code page conversions through Windows' own tables.
#include <windows.h>

#include "builder/builder_error.h"
#include "builder/code_page.h"

namespace {

std::wstring toWide(std::string_view utf8) {
  std::wstring wide;
  for (char32_t c : decodeUtf8(utf8)) {
    if (c < 0x10000) {
      wide += static_cast<wchar_t>(c);
    } else {
      wide += static_cast<wchar_t>(0xD800 | (c - 0x10000) >> 10);
      wide += static_cast<wchar_t>(0xDC00 | (c & 0x3FF));
    }
  }
  return wide;
}

// The bytes of wide in codePage; false when a character has none there
// (no best-fit replacements: "é" must not become "e").
bool fromWide(const std::wstring& wide, int codePage, std::string& out) {
  if (wide.empty()) return true;
  bool utf8 = codePage == CP_UTF8;
  BOOL usedDefault = FALSE;
  DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  int n = WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                              utf8 ? nullptr : &usedDefault);
  if (n <= 0 || usedDefault) return false;
  out.resize(static_cast<size_t>(n));
  WideCharToMultiByte(codePage, flags, wide.data(), static_cast<int>(wide.size()), &out[0], n, nullptr,
                      utf8 ? nullptr : &usedDefault);
  // Some code pages take a character and give back another one.
  int back = MultiByteToWideChar(codePage, 0, out.data(), n, nullptr, 0);
  std::wstring again(static_cast<size_t>(back > 0 ? back : 0), L'\0');
  if (back > 0) MultiByteToWideChar(codePage, 0, out.data(), n, &again[0], back);
  return !usedDefault && again == wide;
}

}  // namespace

void requireCodePage(int codePage) {
  if (!IsValidCodePage(static_cast<UINT>(codePage)))
    throw BuilderError("code page " + std::to_string(codePage) + " is not supported (Windows knows no code page " +
                       std::to_string(codePage) + ")");
}

std::string utf8ToCodePage(std::string_view utf8, int codePage) {
  std::wstring wide = toWide(utf8);
  requireCodePage(codePage);
  std::string out;
  if (fromWide(wide, codePage, out)) return out;
  // Which character it was, for the message.
  for (size_t at = 0; at < utf8.size();) {
    Decoded c = decodeUtf8At(utf8, at);
    std::string ignored;
    if (!fromWide(toWide(utf8.substr(at, c.length)), codePage, ignored))
      throw TextConversionError(codePoint(c.value) + " cannot be represented in code page " + std::to_string(codePage));
    at += c.length;
  }
  throw TextConversionError("the text cannot be represented in code page " + std::to_string(codePage));
}

std::string codePageToUtf8(std::string_view bytes, int codePage) {
  requireCodePage(codePage);
  std::string out;
  int n = bytes.empty() ? 0
                        : MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string wide(static_cast<size_t>(n > 0 ? n : 0), u'\0');
  if (n > 0)
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), reinterpret_cast<wchar_t*>(&wide[0]),
                        n);
  return utf16ToUtf8(wide);
}

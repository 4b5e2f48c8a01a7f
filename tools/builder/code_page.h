// Text conversions between the manifest's UTF-8, the launcher's 8-bit code
// page and its UTF-16. Conversions into a target refuse what it cannot hold
// (a launcher showing "?" instead of a message is worse than a failed
// build); conversions back for display never fail.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// The message names the problem without context ("U+0416 cannot be
// represented in code page 1252"); the caller says which text it was.
class TextConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws BuilderError when the system knows no such code page.
void requireCodePage(int codePage);

// Throws TextConversionError for invalid UTF-8.
std::u32string decodeUtf8(std::string_view utf8);

std::string utf8ToCodePage(std::string_view utf8, int codePage);
std::string utf8ToUtf16le(std::string_view utf8);

// Bytes or units that have no character become U+FFFD.
std::string codePageToUtf8(std::string_view bytes, int codePage);
std::string utf16ToUtf8(std::u16string_view text);

// Shared by the conversions of each system (code_page_iconv.cpp,
// code_page_win.cpp).
constexpr char32_t kReplacement = 0xFFFD;
// "U+0416".
std::string codePoint(char32_t c);
// The character at byte at: strict decoding, overlong forms, surrogates and
// values beyond U+10FFFF refused (TextConversionError), as they have no
// UTF-16 form either.
struct Decoded {
  char32_t value;
  size_t length;
};
Decoded decodeUtf8At(std::string_view text, size_t at);
void appendUtf8(std::string& out, char32_t c);

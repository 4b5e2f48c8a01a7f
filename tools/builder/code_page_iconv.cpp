// The code page conversions through iconv, as the host's C library has them.
#include <errno.h>
#include <iconv.h>

#include "builder/builder_error.h"
#include "builder/code_page.h"

namespace {

// Windows' UTF-8 code page has no "CP65001" in iconv.
std::string iconvName(int codePage) { return codePage == 65001 ? "UTF-8" : "CP" + std::to_string(codePage); }

class Converter {
 public:
  Converter(const std::string& to, const std::string& from, int codePage)
      : handle_(iconv_open(to.c_str(), from.c_str())) {
    if (handle_ == reinterpret_cast<iconv_t>(-1))
      throw BuilderError("code page " + std::to_string(codePage) + " is not supported (iconv knows no \"" +
                         iconvName(codePage) + "\")");
  }
  ~Converter() { iconv_close(handle_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts from *at on; stops at the end or at the first input it cannot
  // convert, leaving *at there. True when all input was converted.
  bool convert(std::string_view input, size_t* at, std::string& out) {
    char buffer[256];
    char* in = const_cast<char*>(input.data()) + *at;
    size_t inLeft = input.size() - *at;
    bool complete = true;
    while (inLeft > 0) {
      char* next = buffer;
      size_t outLeft = sizeof buffer;
      size_t result = iconv(handle_, &in, &inLeft, &next, &outLeft);
      out.append(buffer, static_cast<size_t>(next - buffer));
      if (result == static_cast<size_t>(-1) && errno != E2BIG) {
        complete = false;
        break;
      }
    }
    char* next = buffer;
    size_t outLeft = sizeof buffer;
    iconv(handle_, nullptr, nullptr, &next, &outLeft);
    out.append(buffer, static_cast<size_t>(next - buffer));
    *at = input.size() - inLeft;
    return complete;
  }

 private:
  iconv_t handle_;
};

}  // namespace

void requireCodePage(int codePage) { Converter(iconvName(codePage), "UTF-8", codePage); }

std::string utf8ToCodePage(std::string_view utf8, int codePage) {
  decodeUtf8(utf8);
  Converter converter(iconvName(codePage), "UTF-8", codePage);
  std::string out;
  size_t at = 0;
  if (!converter.convert(utf8, &at, out))
    throw TextConversionError(codePoint(decodeUtf8At(utf8, at).value) + " cannot be represented in code page " +
                              std::to_string(codePage));
  return out;
}

std::string codePageToUtf8(std::string_view bytes, int codePage) {
  Converter converter("UTF-8", iconvName(codePage), codePage);
  std::string out;
  size_t at = 0;
  while (!converter.convert(bytes, &at, out)) {
    appendUtf8(out, kReplacement);
    ++at;
  }
  return out;
}


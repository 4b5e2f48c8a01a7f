#include "builder/version_resource.h"

#include "builder/builder_error.h"
#include "builder/byte_order.h"
#include "builder/code_page.h"

namespace {

constexpr uint32_t kFixedSignature = 0xFEEF04BDu;
constexpr uint32_t kFixedVersion = 0x00010000u;
constexpr uint32_t kOsNtWindows32 = 0x00040004u;
constexpr uint32_t kTypeApplication = 1;
constexpr uint16_t kEnglishUs = 0x0409;
constexpr uint16_t kUnicode = 1200;

void appendWide(std::vector<uint8_t>& out, const std::string& utf8) {
  std::string units = utf8ToUtf16le(utf8);
  out.insert(out.end(), units.begin(), units.end());
  appendLittle(out, 0, 2);
}

// One block: length, value length, type, key, padding, value, children.
// valueLength counts bytes for binary values and UTF-16 units for texts.
std::vector<uint8_t> block(const std::string& key, const std::vector<uint8_t>& value, uint32_t valueLength, bool text,
                           const std::vector<std::vector<uint8_t>>& children) {
  std::vector<uint8_t> out(6, 0);
  appendWide(out, key);
  padTo(out, 4);
  out.insert(out.end(), value.begin(), value.end());
  for (const auto& child : children) {
    padTo(out, 4);
    out.insert(out.end(), child.begin(), child.end());
  }
  writeLittle(out, 0, static_cast<uint32_t>(out.size()), 2);
  writeLittle(out, 2, valueLength, 2);
  writeLittle(out, 4, text ? 1 : 0, 2);
  return out;
}

void appendVersion(std::vector<uint8_t>& out, const VersionNumber& v) {
  appendLittle(out, uint32_t{v.parts[0]} << 16 | v.parts[1], 4);
  appendLittle(out, uint32_t{v.parts[2]} << 16 | v.parts[3], 4);
}

}  // namespace

VersionNumber parseVersionNumber(const std::string& text, const std::string& what) {
  VersionNumber version;
  size_t part = 0;
  uint32_t value = 0;
  bool digits = false;
  auto refuse = [&]() {
    return BuilderError(what + ": must be a version of one to four numbers from 0 to 65535 (\"1.2.3.4\"), not \"" +
                        text + "\"");
  };
  for (size_t i = 0; i <= text.size(); ++i) {
    char c = i < text.size() ? text[i] : '.';
    if (c >= '0' && c <= '9') {
      value = value * 10 + static_cast<uint32_t>(c - '0');
      if (value > 65535) throw refuse();
      digits = true;
    } else if (c == '.' && digits && part < 4) {
      version.parts[part++] = static_cast<uint16_t>(value);
      value = 0;
      digits = false;
    } else {
      throw refuse();
    }
  }
  return version;
}

std::vector<uint8_t> versionResource(const VersionNumber& file, const VersionNumber& product,
                                     const std::vector<std::pair<std::string, std::string>>& strings) {
  std::vector<uint8_t> fixed;
  appendLittle(fixed, kFixedSignature, 4);
  appendLittle(fixed, kFixedVersion, 4);
  appendVersion(fixed, file);
  appendVersion(fixed, product);
  appendLittle(fixed, 0x3F, 4);  // the flags that are defined
  appendLittle(fixed, 0, 4);
  appendLittle(fixed, kOsNtWindows32, 4);
  appendLittle(fixed, kTypeApplication, 4);
  appendLittle(fixed, 0, 4);  // subtype
  appendLittle(fixed, 0, 4);  // date
  appendLittle(fixed, 0, 4);

  std::vector<std::vector<uint8_t>> entries;
  for (const auto& [key, value] : strings) {
    std::vector<uint8_t> text;
    appendWide(text, value);
    entries.push_back(block(key, text, static_cast<uint32_t>(text.size() / 2), true, {}));
  }
  std::vector<uint8_t> table = block("040904B0", {}, 0, true, entries);
  std::vector<uint8_t> stringInfo = block("StringFileInfo", {}, 0, true, {table});
  std::vector<uint8_t> translation;
  appendLittle(translation, kEnglishUs, 2);
  appendLittle(translation, kUnicode, 2);
  std::vector<uint8_t> var = block("Translation", translation, 4, false, {});
  std::vector<uint8_t> varInfo = block("VarFileInfo", {}, 0, true, {var});
  return block("VS_VERSION_INFO", fixed, static_cast<uint32_t>(fixed.size()), false, {stringInfo, varInfo});
}

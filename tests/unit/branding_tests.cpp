// The builder's branding: the resource tree, the PE rewrite around it, the
// icon file, the version resource and the execution level.
#include <gtest/gtest.h>

#include <string.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "builder/branding.h"
#include "builder/builder_error.h"
#include "builder/icon_file.h"
#include "builder/pe_resources.h"
#include "builder/resource_tree.h"
#include "builder/version_resource.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t get(const Bytes& b, size_t at, int size) {
  uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = v << 8 | b[at + i];
  return v;
}

void put(Bytes& b, size_t at, uint32_t v, int size) {
  for (int i = 0; i < size; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

Resource resource(uint16_t type, uint16_t name, uint16_t language, const std::string& data) {
  Resource r;
  r.type.id = type;
  r.name.id = name;
  r.language = language;
  r.data.assign(data.begin(), data.end());
  return r;
}

std::string error(const std::function<void()>& action) {
  try {
    action();
  } catch (const BuilderError& e) {
    return e.what();
  }
  return "no error";
}

// A PE32+ image as the stubs are laid out: .text, .rsrc, .reloc, with the
// resource and relocation directories pointing at their sections.
constexpr size_t kOptional = 64 + 24;
constexpr size_t kTable = kOptional + 0xF0;

Bytes peImage(const std::vector<Resource>& resources, const Bytes& relocations) {
  Bytes rsrc = writeResources(resources, 0x2000);
  size_t rsrcRaw = (rsrc.size() + 0x1FF) / 0x200 * 0x200;
  Bytes image(0x400, 0);
  image[0] = 'M';
  image[1] = 'Z';
  put(image, 60, 64, 4);
  put(image, 64, 0x4550, 4);
  put(image, 64 + 4, 0x8664, 2);
  put(image, 64 + 6, 3, 2);
  put(image, 64 + 20, 0xF0, 2);
  put(image, kOptional, 0x20B, 2);
  put(image, kOptional + 32, 0x1000, 4);
  put(image, kOptional + 36, 0x200, 4);
  put(image, kOptional + 108, 16, 4);
  auto section = [&](int index, const char* name, uint32_t rva, uint32_t virtualSize, uint32_t raw, uint32_t rawSize) {
    size_t at = kTable + 40 * index;
    memcpy(&image[at], name, strlen(name));
    put(image, at + 8, virtualSize, 4);
    put(image, at + 12, rva, 4);
    put(image, at + 16, rawSize, 4);
    put(image, at + 20, raw, 4);
  };
  section(0, ".text", 0x1000, 0x10, 0x200, 0x200);
  section(1, ".rsrc", 0x2000, static_cast<uint32_t>(rsrc.size()), 0x400, static_cast<uint32_t>(rsrcRaw));
  uint32_t relocRva = 0x2000 + static_cast<uint32_t>((rsrc.size() + 0xFFF) / 0x1000 * 0x1000);
  section(2, ".reloc", relocRva, static_cast<uint32_t>(relocations.size()), static_cast<uint32_t>(0x400 + rsrcRaw), 0x200);
  put(image, kOptional + 112 + 8 * 2, 0x2000, 4);
  put(image, kOptional + 112 + 8 * 2 + 4, static_cast<uint32_t>(rsrc.size()), 4);
  put(image, kOptional + 112 + 8 * 5, relocRva, 4);
  put(image, kOptional + 112 + 8 * 5 + 4, static_cast<uint32_t>(relocations.size()), 4);
  put(image, kOptional + 56, relocRva + 0x1000, 4);
  image.resize(0x400);
  image.insert(image.end(), rsrc.begin(), rsrc.end());
  image.resize(0x400 + rsrcRaw, 0);
  Bytes reloc = relocations;
  reloc.resize(0x200, 0);
  image.insert(image.end(), reloc.begin(), reloc.end());
  return image;
}

// The blocks of a version resource: key path -> value bytes.
void walkVersion(const Bytes& data, size_t at, size_t end, const std::string& path,
                 std::map<std::string, Bytes>& out) {
  while (at + 6 <= end) {
    size_t length = get(data, at, 2), valueLength = get(data, at + 2, 2), type = get(data, at + 4, 2);
    size_t key = at + 6;
    std::string name;
    while (get(data, key, 2)) {
      name += static_cast<char>(get(data, key, 2));
      key += 2;
    }
    size_t value = (key + 2 + 3) / 4 * 4;
    size_t valueBytes = type == 1 ? valueLength * 2 : valueLength;
    out[path + "/" + name] = Bytes(data.begin() + value, data.begin() + value + valueBytes);
    walkVersion(data, (value + valueBytes + 3) / 4 * 4, at + length, path + "/" + name, out);
    at = (at + length + 3) / 4 * 4;
  }
}

std::u16string wide(const Bytes& bytes) {
  std::u16string text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) text += static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
  if (!text.empty() && text.back() == 0) text.pop_back();
  return text;
}

// An .ico with images of the given sizes, bitmaps of one colour.
Bytes iconFile(const std::vector<int>& sizes) {
  Bytes file(6 + 16 * sizes.size(), 0);
  put(file, 2, 1, 2);
  put(file, 4, static_cast<uint32_t>(sizes.size()), 2);
  for (size_t i = 0; i < sizes.size(); ++i) {
    int s = sizes[i];
    Bytes image(40 + s * s * 4 + s * ((s + 31) / 32 * 4), 0x7F);
    put(image, 0, 40, 4);
    put(image, 4, s, 4);
    put(image, 8, 2 * s, 4);
    size_t entry = 6 + 16 * i;
    file[entry] = static_cast<uint8_t>(s);
    file[entry + 1] = static_cast<uint8_t>(s);
    put(file, entry + 4, 1, 2);
    put(file, entry + 6, 32, 2);
    put(file, entry + 8, static_cast<uint32_t>(image.size()), 4);
    put(file, entry + 12, static_cast<uint32_t>(file.size()), 4);
    file.insert(file.end(), image.begin(), image.end());
    // The offset was written before the image: correct it to where it landed.
    put(file, entry + 12, static_cast<uint32_t>(file.size() - image.size()), 4);
  }
  return file;
}

}  // namespace

TEST(BrandingResources, TheTreeReadsBackAsWritten) {
  Resource named = resource(5, 0, 0x409, "dialog");
  named.name.name = u"SETUPDIALOG";
  Resource namedType = resource(0, 7, 0, "custom");
  namedType.type.name = u"MYDATA";
  namedType.codePage = 1252;
  std::vector<Resource> input = {resource(24, 1, 0x409, "<manifest/>"), resource(3, 2, 0x409, "icon two"),
                                 resource(3, 1, 0x409, "icon one"),    named,
                                 resource(3, 1, 0x407, "icon one de"), namedType};
  Bytes section = writeResources(input, 0x5000);
  std::vector<Resource> read = readResources(section, 0x5000, "test");
  // In the order Windows looks them up: named types first, then ids; in a
  // type, named entries first; languages ascending.
  std::vector<std::string> order;
  for (const Resource& r : read) order.push_back(std::string(r.data.begin(), r.data.end()));
  EXPECT_EQ(order, (std::vector<std::string>{"custom", "icon one de", "icon one", "icon two", "dialog", "<manifest/>"}));
  EXPECT_EQ(read[0].type.name, u"MYDATA");
  EXPECT_EQ(read[0].codePage, 1252u);
  EXPECT_EQ(read[4].name.name, u"SETUPDIALOG");
  EXPECT_EQ(read[1].language, 0x407);
  EXPECT_EQ(writeResources(read, 0x5000), section) << "the same tree gives the same bytes";
}

TEST(BrandingResources, DamagedTreesAreRefused) {
  Bytes section = writeResources({resource(3, 1, 0, "abc")}, 0x1000);
  Bytes outside = section;
  // The one data entry follows the three directories of one entry each.
  put(outside, 3 * 24, 0x9000, 4);
  EXPECT_EQ(error([&] { readResources(outside, 0x1000, "stub \"s\""); }),
            "stub \"s\" has resource data outside its resource section");
  Bytes cut(section.begin(), section.begin() + 20);
  EXPECT_EQ(error([&] { readResources(cut, 0x1000, "stub \"s\""); }), "stub \"s\" is cut short");
  Bytes loop = section;
  put(loop, 16 + 4, 0x80000000u, 4);  // the type's directory is the root again
  EXPECT_NE(error([&] { readResources(loop, 0x1000, "stub \"s\""); }), "no error");
}

TEST(BrandingPe, TheResourceSectionIsRewrittenAndTheRelocationsMoveBehindIt) {
  Bytes relocations = {0x00, 0x10, 0, 0, 0x0C, 0, 0, 0, 0x10, 0xA0, 0x18, 0xA0};
  Bytes stub = peImage({resource(24, 1, 0x409, "<small/>")}, relocations);
  std::vector<Resource> bigger = stubResources(stub, "stub");
  ASSERT_EQ(bigger.size(), 1u);
  bigger.push_back(resource(16, 1, 0x409, std::string(9000, 'v')));
  Bytes out = replaceStubResources(stub, bigger, "stub");

  size_t rsrc = kTable + 40, reloc = kTable + 80;
  uint32_t rsrcSize = get(out, rsrc + 8, 4);
  EXPECT_EQ(get(out, rsrc + 12, 4), 0x2000u) << "the resources stay where they were";
  EXPECT_EQ(get(out, kOptional + 112 + 8 * 2 + 4, 4), rsrcSize);
  EXPECT_GT(rsrcSize, 9000u);
  uint32_t relocRva = get(out, reloc + 12, 4);
  EXPECT_EQ(relocRva, 0x2000 + (rsrcSize + 0xFFF) / 0x1000 * 0x1000) << "the next aligned address behind them";
  EXPECT_EQ(get(out, kOptional + 112 + 8 * 5, 4), relocRva);
  EXPECT_EQ(get(out, kOptional + 56, 4), relocRva + 0x1000) << "SizeOfImage";
  uint32_t relocRaw = get(out, reloc + 20, 4);
  EXPECT_EQ(relocRaw, get(out, rsrc + 20, 4) + get(out, rsrc + 16, 4));
  EXPECT_EQ(Bytes(out.begin() + relocRaw, out.begin() + relocRaw + relocations.size()), relocations);
  EXPECT_EQ(relocRaw + 0x200, out.size()) << "the last section still ends the file";
  EXPECT_EQ(get(out, kOptional + 64, 4), peChecksum(out, kOptional + 64));
  std::vector<Resource> read = stubResources(out, "out");
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0].data, bigger[1].data) << "the version (16) before the manifest (24)";
  EXPECT_EQ(read[1].data, bigger[0].data);
  EXPECT_TRUE(std::equal(stub.begin() + 0x200, stub.begin() + 0x400, out.begin() + 0x200)) << ".text is untouched";
}

TEST(BrandingPe, StubsWhoseResourcesCannotBeReplacedAreRefused) {
  Bytes stub = peImage({resource(24, 1, 0, "m")}, {1, 2, 3, 4});
  Bytes movedData = stub;
  memcpy(&movedData[kTable + 80], ".data\0\0\0", 8);
  EXPECT_EQ(error([&] { stubResources(movedData, "stub \"x\""); }),
            "stub \"x\": its resource section is followed by .data, which cannot move");
  Bytes noResources = stub;
  put(noResources, kOptional + 112 + 8 * 2, 0, 4);
  EXPECT_EQ(error([&] { stubResources(noResources, "stub \"x\""); }), "stub \"x\" has no resources");
  Bytes trailing = stub;
  trailing.push_back(0);
  EXPECT_EQ(error([&] { stubResources(trailing, "stub \"x\""); }),
            "stub \"x\": its last section does not end at the end of the file");
}

TEST(BrandingIcon, IconFilesBecomeAGroupAndItsImages) {
  Bytes file = iconFile({16, 32, 48});
  std::vector<IconImage> images = parseIconFile(file, "a.ico");
  ASSERT_EQ(images.size(), 3u);
  EXPECT_EQ(images[1].entry[0], 32);
  EXPECT_EQ(images[2].data.size(), 40u + 48 * 48 * 4 + 48 * 8);
  Bytes group = iconGroup(images, 7);
  EXPECT_EQ(group.size(), 6u + 3 * 14);
  EXPECT_EQ(iconGroupIds(group, "g"), (std::vector<uint16_t>{7, 8, 9}));
  EXPECT_TRUE(std::equal(images[0].entry, images[0].entry + 12, group.begin() + 6));

  struct {
    const char* what;
    Bytes bytes;
    const char* message;
  } refused[] = {
      {"a PNG file", {0x89, 'P', 'N', 'G', 0, 0}, "icon \"x.ico\" is not an icon file (.ico)"},
      {"a cursor file", {0, 0, 2, 0, 1, 0}, "icon \"x.ico\" is not an icon file (.ico)"},
      {"no image", {0, 0, 1, 0, 0, 0}, "icon \"x.ico\" holds no image"},
      {"cut directory", {0, 0, 1, 0, 2, 0, 16}, "icon \"x.ico\" is cut short"},
  };
  for (const auto& r : refused) EXPECT_EQ(error([&] { parseIconFile(r.bytes, "x.ico"); }), r.message) << r.what;
  Bytes outside = file;
  put(outside, 6 + 12, static_cast<uint32_t>(file.size()), 4);
  EXPECT_EQ(error([&] { parseIconFile(outside, "x.ico"); }), "icon \"x.ico\": image 1 lies outside the file");
  Bytes strange = file;
  put(strange, get(file, 6 + 12, 4), 12, 4);
  EXPECT_EQ(error([&] { parseIconFile(strange, "x.ico"); }),
            "icon \"x.ico\": image 1 is neither a bitmap nor a PNG image");
}

TEST(BrandingVersion, NumbersOfOneToFourParts) {
  struct {
    const char* text;
    std::vector<uint16_t> parts;
  } good[] = {{"1", {1, 0, 0, 0}}, {"2.1", {2, 1, 0, 0}}, {"1.2.3", {1, 2, 3, 0}}, {"65535.0.7.4", {65535, 0, 7, 4}}};
  for (const auto& g : good) {
    VersionNumber v = parseVersionNumber(g.text, "v");
    EXPECT_EQ(std::vector<uint16_t>(v.parts, v.parts + 4), g.parts) << g.text;
  }
  for (const char* bad : {"", "1.", ".1", "1..2", "1.2.3.4.5", "65536", "1.x", "v1", "1 .2", "-1"})
    EXPECT_EQ(error([&] { parseVersionNumber(bad, "branding.fileVersion"); }),
              std::string("branding.fileVersion: must be a version of one to four numbers from 0 to 65535 "
                          "(\"1.2.3.4\"), not \"") + bad + "\"")
        << bad;
}

TEST(BrandingVersion, TheResourceHoldsTheFixedVersionsAndTheStrings) {
  VersionNumber file = parseVersionNumber("2.1.0.7", "f"), product = parseVersionNumber("2.1", "p");
  Bytes data = versionResource(file, product, {{"ProductName", "Example Suite"}, {"LegalCopyright", "\xC2\xA9 \xE6\x9D\xB1"}});
  EXPECT_EQ(get(data, 0, 2), data.size());
  std::map<std::string, Bytes> blocks;
  walkVersion(data, 0, data.size(), "", blocks);
  const Bytes& fixed = blocks.at("/VS_VERSION_INFO");
  ASSERT_EQ(fixed.size(), 52u);
  EXPECT_EQ(get(fixed, 0, 4), 0xFEEF04BDu);
  EXPECT_EQ(get(fixed, 8, 4), 0x00020001u);
  EXPECT_EQ(get(fixed, 12, 4), 0x00000007u);
  EXPECT_EQ(get(fixed, 16, 4), 0x00020001u);
  EXPECT_EQ(get(fixed, 20, 4), 0u);
  EXPECT_EQ(wide(blocks.at("/VS_VERSION_INFO/StringFileInfo/040904B0/ProductName")), u"Example Suite");
  EXPECT_EQ(wide(blocks.at("/VS_VERSION_INFO/StringFileInfo/040904B0/LegalCopyright")), u"\u00A9 \u6771");
  EXPECT_EQ(blocks.at("/VS_VERSION_INFO/VarFileInfo/Translation"), (Bytes{0x09, 0x04, 0xB0, 0x04}));
  EXPECT_EQ(blocks.size(), 7u);
}

TEST(BrandingFields, ValuesAreCheckedWhereTheyAreGiven) {
  Branding branding;
  EXPECT_TRUE(branding.empty());
  setBrandingField(branding, "productName", "Example", "branding.productName");
  EXPECT_FALSE(branding.empty());
  EXPECT_TRUE(branding.versionGiven());
  EXPECT_TRUE(setBrandingOption(branding, "--execution-level", "asInvoker"));
  EXPECT_EQ(branding.executionLevel, "asInvoker");
  EXPECT_TRUE(setBrandingOption(branding, "--icon", "x.ico"));
  EXPECT_EQ(branding.icon, "x.ico");
  EXPECT_FALSE(setBrandingOption(branding, "--stub", "s.exe")) << "not a branding option";
  struct {
    const char* key;
    std::string value;
    const char* message;
  } refused[] = {
      {"executionLevel", "admin", "w: must be asInvoker, highestAvailable or requireAdministrator, not \"admin\""},
      {"fileVersion", "1.2.3.4.5",
       "w: must be a version of one to four numbers from 0 to 65535 (\"1.2.3.4\"), not \"1.2.3.4.5\""},
      {"productName", "", "w: must not be empty"},
      {"companyName", std::string(1025, 'c'), "w: must not be longer than 1024 bytes"},
      {"fileDescription", "\xFF", "w: invalid UTF-8 at byte 0"},
      {"icon", "", "w: must name an .ico file"},
      {"iconn", "x", "unknown key 'iconn' in branding, did you mean 'icon'?"},
  };
  for (const auto& r : refused) EXPECT_EQ(error([&] { setBrandingField(branding, r.key, r.value, "w"); }), r.message);
  EXPECT_EQ(error([&] { setBrandingOption(branding, "--file-version", "x"); }),
            "--file-version: must be a version of one to four numbers from 0 to 65535 (\"1.2.3.4\"), not \"x\"");
}

TEST(BrandingStub, BrandsTheResourcesOfAStub) {
  std::string xml = "<assembly><trustInfo><security><requestedPrivileges>"
                    "<requestedExecutionLevel level=\"highestAvailable\" uiAccess=\"false\"/>"
                    "</requestedPrivileges></security></trustInfo></assembly>";
  Resource group = resource(14, 1001, 0x409, "");
  Resource oldIcon = resource(3, 1, 0x409, "old icon image");
  group.data = iconGroup({IconImage{{32, 32, 0, 0, 1, 0, 32, 0, 14, 0, 0, 0}, {}}}, 1);
  Bytes stub = peImage({resource(24, 1, 0x409, xml), group, oldIcon, resource(5, 103, 0x409, "dialog"),
                        resource(16, 1, 0x409, "old version")},
                       {1, 2, 3, 4});
  char path[] = "/tmp/branding_tests.XXXXXX";
  ASSERT_TRUE(mkdtemp(path));
  std::string icon = std::string(path) + "/brand.ico";
  Bytes ico = iconFile({16, 32});
  FILE* f = fopen(icon.c_str(), "wb");
  fwrite(ico.data(), 1, ico.size(), f);
  fclose(f);

  Branding branding;
  branding.icon = icon;
  branding.productName = "Example";
  branding.fileVersion = "3.2";
  branding.executionLevel = "requireAdministrator";
  std::vector<Resource> read = stubResources(brandStub(stub, branding, "s.exe"), "out");
  std::map<std::pair<int, int>, Resource> byKey;
  for (const Resource& r : read) byKey[{r.type.id, r.name.id}] = r;
  EXPECT_EQ(byKey.size(), 6u) << "the old image replaced by two new ones";
  std::string level(byKey[{24, 1}].data.begin(), byKey[{24, 1}].data.end());
  EXPECT_NE(level.find("level=\"requireAdministrator\" uiAccess=\"false\""), std::string::npos) << level;
  EXPECT_EQ(iconGroupIds(byKey[{14, 1001}].data, "g"), (std::vector<uint16_t>{1, 2}));
  Resource& second = byKey[std::make_pair(3, 2)];
  EXPECT_EQ(second.data.size(), 40u + 32 * 32 * 4 + 32 * 4);
  EXPECT_EQ(std::string(byKey[{5, 103}].data.begin(), byKey[{5, 103}].data.end()), "dialog") << "the dialogs stay";
  std::map<std::string, Bytes> blocks;
  walkVersion(byKey[{16, 1}].data, 0, byKey[{16, 1}].data.size(), "", blocks);
  EXPECT_EQ(wide(blocks.at("/VS_VERSION_INFO/StringFileInfo/040904B0/ProductName")), u"Example");
  EXPECT_EQ(wide(blocks.at("/VS_VERSION_INFO/StringFileInfo/040904B0/FileVersion")), u"3.2");
  EXPECT_EQ(blocks.count("/VS_VERSION_INFO/StringFileInfo/040904B0/ProductVersion"), 0u) << "only what was given";
  EXPECT_EQ(get(blocks.at("/VS_VERSION_INFO"), 16, 4), 0x00030002u) << "the product version follows the file version";
  for (const Resource& r : read) EXPECT_EQ(r.language, 0x409) << "the stub's language";

  EXPECT_EQ(brandStub(stub, Branding(), "s.exe"), stub) << "no branding: the stub as it is";
  Bytes noLevel = peImage({resource(24, 1, 0, "<assembly/>")}, {1});
  Branding level2;
  level2.executionLevel = "asInvoker";
  EXPECT_EQ(error([&] { brandStub(noLevel, level2, "s.exe"); }),
            "stub \"s.exe\": its manifest has no requestedExecutionLevel with a level");
  Branding iconOnly;
  iconOnly.icon = icon;
  EXPECT_EQ(error([&] { brandStub(noLevel, iconOnly, "s.exe"); }), "stub \"s.exe\" has no icon 1001 to replace");
  std::filesystem::remove_all(path);
}

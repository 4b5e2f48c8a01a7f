#include "builder/branding.h"

#include <algorithm>

#include "builder/builder_error.h"
#include "builder/code_page.h"
#include "builder/icon_file.h"
#include "builder/input_file.h"
#include "builder/nearest_name.h"
#include "builder/pe_resources.h"
#include "builder/version_resource.h"

namespace {

// The progress window's icon, which Explorer also shows for the file.
constexpr uint16_t kStubIconGroup = 1001;
constexpr uint16_t kVersionId = 1;
// A version string's block holds its length in 16 bits.
constexpr size_t kLongestVersionText = 1024;

const char* const kVersionKeys[][2] = {
    {"productName", "ProductName"},         {"companyName", "CompanyName"},
    {"fileDescription", "FileDescription"}, {"fileVersion", "FileVersion"},
    {"productVersion", "ProductVersion"},   {"legalCopyright", "LegalCopyright"},
    {"originalFilename", "OriginalFilename"},
};

std::string versionKeyOf(const char* field) {
  for (const auto& pair : kVersionKeys)
    if (std::string(pair[0]) == field) return pair[1];
  return "";
}

void replaceIcon(std::vector<Resource>& resources, const std::vector<IconImage>& images, const std::string& what) {
  auto group = std::find_if(resources.begin(), resources.end(), [](const Resource& r) {
    return r.type.name.empty() && r.type.id == kResourceIconGroup && r.name.name.empty() && r.name.id == kStubIconGroup;
  });
  if (group == resources.end()) throw BuilderError(what + " has no icon " + std::to_string(kStubIconGroup) + " to replace");
  uint16_t language = group->language;
  std::vector<uint16_t> old = iconGroupIds(group->data, what);
  resources.erase(group);
  resources.erase(std::remove_if(resources.begin(), resources.end(),
                                 [&](const Resource& r) {
                                   return r.type.name.empty() && r.type.id == kResourceIcon && r.name.name.empty() &&
                                          std::find(old.begin(), old.end(), r.name.id) != old.end();
                                 }),
                  resources.end());
  uint32_t first = 1;
  for (const Resource& r : resources)
    if (r.type.name.empty() && r.type.id == kResourceIcon && r.name.name.empty()) first = std::max(first, r.name.id + 1u);
  if (first + images.size() > 0xFFFF) throw BuilderError(what + " has no room for " + std::to_string(images.size()) + " icon images");
  for (size_t i = 0; i < images.size(); ++i) {
    Resource image;
    image.type.id = kResourceIcon;
    image.name.id = static_cast<uint16_t>(first + i);
    image.language = language;
    image.data = images[i].data;
    resources.push_back(image);
  }
  Resource directory;
  directory.type.id = kResourceIconGroup;
  directory.name.id = kStubIconGroup;
  directory.language = language;
  directory.data = iconGroup(images, static_cast<uint16_t>(first));
  resources.push_back(directory);
}

void replaceVersion(std::vector<Resource>& resources, const Branding& branding) {
  auto version = std::find_if(resources.begin(), resources.end(), [](const Resource& r) {
    return r.type.name.empty() && r.type.id == kResourceVersion;
  });
  Resource fresh;
  fresh.type.id = kResourceVersion;
  fresh.name.id = kVersionId;
  if (version != resources.end()) {
    fresh.name = version->name;
    fresh.language = version->language;
    resources.erase(version);
  }
  const std::string& fileText = branding.fileVersion.empty() ? branding.productVersion : branding.fileVersion;
  const std::string& productText = branding.productVersion.empty() ? branding.fileVersion : branding.productVersion;
  VersionNumber file, product;
  if (!fileText.empty()) file = parseVersionNumber(fileText, "branding.fileVersion");
  if (!productText.empty()) product = parseVersionNumber(productText, "branding.productVersion");
  std::vector<std::pair<std::string, std::string>> strings;
  for (const BrandingField& field : brandingFields()) {
    std::string key = versionKeyOf(field.key);
    if (!key.empty() && !(branding.*field.member).empty()) strings.push_back({key, branding.*field.member});
  }
  fresh.data = versionResource(file, product, strings);
  resources.push_back(fresh);
}

void replaceExecutionLevel(std::vector<Resource>& resources, const std::string& level, const std::string& what) {
  auto manifest = std::find_if(resources.begin(), resources.end(), [](const Resource& r) {
    return r.type.name.empty() && r.type.id == kResourceManifest;
  });
  if (manifest == resources.end()) throw BuilderError(what + " has no application manifest");
  std::string text(manifest->data.begin(), manifest->data.end());
  size_t element = text.find("<requestedExecutionLevel");
  size_t end = element == std::string::npos ? element : text.find('>', element);
  size_t attribute = element == std::string::npos ? element : text.find(" level=\"", element);
  if (attribute == std::string::npos || attribute > end)
    throw BuilderError(what + ": its manifest has no requestedExecutionLevel with a level");
  size_t value = attribute + 8;
  size_t close = text.find('"', value);
  text.replace(value, close - value, level);
  manifest->data.assign(text.begin(), text.end());
}

}  // namespace

bool Branding::versionGiven() const {
  for (const BrandingField& field : brandingFields())
    if (!versionKeyOf(field.key).empty() && !(this->*field.member).empty()) return true;
  return false;
}

bool Branding::empty() const { return icon.empty() && executionLevel.empty() && !versionGiven(); }

const std::vector<BrandingField>& brandingFields() {
  static const std::vector<BrandingField> fields = {
      {"icon", "--icon", "An .ico file (several sizes, bitmap or PNG images) that replaces the stub's icon: the file's icon and the one of its windows.", "setup.ico", &Branding::icon},
      {"productName", "--product-name", "ProductName of the version resource.", "Example Suite", &Branding::productName},
      {"companyName", "--company-name", "CompanyName of the version resource.", "Example Ltd.", &Branding::companyName},
      {"fileDescription", "--file-description", "FileDescription of the version resource: what Windows shows as the program's name.", "Example Suite Setup", &Branding::fileDescription},
      {"fileVersion", "--file-version", "FileVersion: the version string and the fixed file version (one to four numbers from 0 to 65535); the product version when that is not given.", "2.1.0.7", &Branding::fileVersion},
      {"productVersion", "--product-version", "ProductVersion: as fileVersion, for the product; the file version when not given.", "2.1", &Branding::productVersion},
      {"legalCopyright", "--legal-copyright", "LegalCopyright of the version resource.", "(c) 2026 Example Ltd.", &Branding::legalCopyright},
      {"originalFilename", "--original-filename", "OriginalFilename of the version resource.", "example-setup.exe", &Branding::originalFilename},
      {"executionLevel", "--execution-level", "The requestedExecutionLevel of the application manifest; the stub asks for highestAvailable.", "requireAdministrator", &Branding::executionLevel},
  };
  return fields;
}

const std::vector<std::string>& executionLevels() {
  static const std::vector<std::string> levels = {"asInvoker", "highestAvailable", "requireAdministrator"};
  return levels;
}

void setBrandingField(Branding& branding, const std::string& key, const std::string& value, const std::string& where) {
  for (const BrandingField& field : brandingFields()) {
    if (key != field.key) continue;
    if (key == "executionLevel" &&
        std::find(executionLevels().begin(), executionLevels().end(), value) == executionLevels().end())
      throw BuilderError(where + ": must be asInvoker, highestAvailable or requireAdministrator, not \"" + value + "\"");
    if (key == "fileVersion" || key == "productVersion") parseVersionNumber(value, where);
    if (!versionKeyOf(field.key).empty()) {
      if (value.empty()) throw BuilderError(where + ": must not be empty");
      if (value.size() > kLongestVersionText)
        throw BuilderError(where + ": must not be longer than " + std::to_string(kLongestVersionText) + " bytes");
      try {
        decodeUtf8(value);
      } catch (const TextConversionError& e) {
        throw BuilderError(where + ": " + e.what());
      }
    }
    if (key == "icon" && value.empty()) throw BuilderError(where + ": must name an .ico file");
    branding.*field.member = value;
    return;
  }
  std::vector<std::string> keys;
  for (const BrandingField& field : brandingFields()) keys.push_back(field.key);
  throw BuilderError("unknown key '" + key + "' in branding" + didYouMean(key, keys));
}

bool setBrandingOption(Branding& branding, const std::string& option, const std::string& value) {
  for (const BrandingField& field : brandingFields())
    if (option == field.option) {
      setBrandingField(branding, field.key, value, option);
      return true;
    }
  return false;
}

std::vector<uint8_t> brandStub(const std::vector<uint8_t>& stub, const Branding& branding, const std::string& stubPath) {
  if (branding.empty()) return stub;
  std::vector<IconImage> images;
  if (!branding.icon.empty()) images = parseIconFile(readWholeFile(branding.icon, "icon"), branding.icon);
  std::string what = "stub \"" + stubPath + "\"";
  std::vector<Resource> resources = stubResources(stub, what);
  if (!images.empty()) replaceIcon(resources, images, what);
  if (branding.versionGiven()) replaceVersion(resources, branding);
  if (!branding.executionLevel.empty()) replaceExecutionLevel(resources, branding.executionLevel, what);
  return replaceStubResources(stub, resources, what);
}

// What a built installer shows of itself instead of the stub's own: the
// icon, the version resource and the requested execution level. The same
// fields come from the manifest's "branding" object and from command-line
// options ("--product-name ..."), through one table.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

struct Branding {
  std::string icon;  // an .ico file; empty: the stub's icon
  // Version strings (UTF-8); when every one is empty the stub's version
  // resource stays.
  std::string productName, companyName, fileDescription, fileVersion, productVersion, legalCopyright,
      originalFilename;
  std::string executionLevel;  // asInvoker, highestAvailable, requireAdministrator; empty: the stub's

  bool empty() const;
  bool versionGiven() const;
};

struct BrandingField {
  const char* key;      // in the manifest's "branding" object
  const char* option;   // on a command line
  const char* meaning;  // for the schema and the reference page
  const char* example;
  std::string Branding::*member;
};

const std::vector<BrandingField>& brandingFields();
const std::vector<std::string>& executionLevels();

// Sets the field of that manifest key (or, for setBrandingOption, that
// option) after checking its value; where names the value in messages.
// Throws BuilderError. setBrandingOption is false for an option that is
// not a branding one.
void setBrandingField(Branding& branding, const std::string& key, const std::string& value, const std::string& where);
bool setBrandingOption(Branding& branding, const std::string& option, const std::string& value);

// The stub with the branding applied; the stub itself when there is none.
// icon paths are taken as they are. Throws BuilderError.
std::vector<uint8_t> brandStub(const std::vector<uint8_t>& stub, const Branding& branding, const std::string& stubPath);

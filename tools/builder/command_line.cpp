#include "builder/command_line.h"

#include <algorithm>
#include <optional>

#include "builder/build.h"
#include "builder/builder_error.h"
#include "builder/input_file.h"
#include "builder/inspect.h"
#include "builder/inspect_report.h"
#include "builder/manifest_schema.h"

namespace {

constexpr const char* kUsage =
    "usage: ltrbuild build MANIFEST.json -o OUT.exe [--stub STUB.exe]\n"
    "       ltrbuild inspect FILE.exe [--json] [--code-page N]\n"
    "       ltrbuild schema [--reference]\n";

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Walks the arguments behind the command name.
class Arguments {
 public:
  explicit Arguments(const std::vector<std::string>& arguments) : arguments_(arguments) {}

  bool next(std::string* argument) {
    if (at_ == arguments_.size()) return false;
    *argument = arguments_[at_++];
    return true;
  }

  std::string value(const std::string& option) {
    if (at_ == arguments_.size()) throw UsageError(option + " needs a value");
    return arguments_[at_++];
  }

 private:
  const std::vector<std::string>& arguments_;
  size_t at_ = 1;
};

void setOnce(std::optional<std::string>& slot, const std::string& value, const std::string& what) {
  if (slot) throw UsageError(what + " is given twice");
  slot = value;
}

int build(const std::vector<std::string>& arguments, const std::string& defaultStub) {
  Arguments walk(arguments);
  std::optional<std::string> manifest, output, stub;
  for (std::string argument; walk.next(&argument);) {
    if (argument == "-o") {
      setOnce(output, walk.value(argument), "-o");
    } else if (argument == "--stub") {
      setOnce(stub, walk.value(argument), "--stub");
    } else if (argument.size() > 1 && argument[0] == '-') {
      throw UsageError("unknown option " + argument);
    } else {
      setOnce(manifest, argument, "the manifest");
    }
  }
  if (!manifest) throw UsageError("build needs a manifest");
  if (!output) throw UsageError("build needs -o OUT.exe");
  buildLauncher({*manifest, *output, stub.value_or(""), defaultStub});
  return 0;
}

int parseCodePage(const std::string& text) {
  bool decimal = !text.empty() && text.size() <= 5 &&
                 std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  int codePage = decimal ? std::stoi(text) : 0;
  if (codePage < 1 || codePage > 65535) throw UsageError("--code-page needs a number from 1 to 65535, not " + text);
  return codePage;
}

int inspect(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
  Arguments walk(arguments);
  std::optional<std::string> file, codePageText;
  bool json = false;
  for (std::string argument; walk.next(&argument);) {
    if (argument == "--json") {
      json = true;
    } else if (argument == "--code-page") {
      setOnce(codePageText, walk.value(argument), "--code-page");
    } else if (argument.size() > 1 && argument[0] == '-') {
      throw UsageError("unknown option " + argument);
    } else {
      setOnce(file, argument, "the file");
    }
  }
  if (!file) throw UsageError("inspect needs a file");
  int codePage = codePageText ? parseCodePage(*codePageText) : 1252;
  std::vector<uint8_t> media = readWholeFile(*file, "file");
  try {
    Inspection inspection = inspectMedia(media, codePage);
    out << (json ? inspectionJson(inspection) : inspectionText(inspection, codePage));
    return 0;
  } catch (const DamagedPayload& damage) {
    if (json) out << damageJson(damage);
    err << "ltrbuild: " << damage.what() << "\n";
    return 1;
  }
}

// The manifest's JSON Schema, or its reference page in Markdown.
int schema(const std::vector<std::string>& arguments, std::ostream& out) {
  Arguments walk(arguments);
  bool reference = false;
  for (std::string argument; walk.next(&argument);) {
    if (argument != "--reference") throw UsageError("unknown option " + argument);
    reference = true;
  }
  nlohmann::ordered_json document = manifestSchema();
  out << (reference ? manifestReference(document) : document.dump(1) + "\n");
  return 0;
}

}  // namespace

int runCommandLine(const std::vector<std::string>& arguments, const std::string& defaultStub, std::ostream& out,
                   std::ostream& err) {
  try {
    std::string command = arguments.empty() ? "" : arguments[0];
    if (command == "-h" || command == "--help" || command == "help") {
      out << kUsage;
      return 0;
    }
    if (command == "build") return build(arguments, defaultStub);
    if (command == "inspect") return inspect(arguments, out, err);
    if (command == "schema") return schema(arguments, out);
    throw UsageError(command.empty() ? "no command given" : "unknown command " + command);
  } catch (const UsageError& error) {
    err << "ltrbuild: " << error.what() << "\n" << kUsage;
    return 2;
  } catch (const std::exception& error) {
    err << "ltrbuild: " << error.what() << "\n";
    return 1;
  }
}

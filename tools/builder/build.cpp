#include "builder/build.h"

#include "builder/branding.h"

#include "builder/input_file.h"
#include "builder/output_file.h"
#include "builder/payload_writer.h"
#include "builder/pe_stub.h"

std::string chooseStub(const BuildRequest& request, const Manifest& manifest) {
  if (!request.stub.empty()) return request.stub;
  if (!manifest.stub.empty()) return manifest.stub;
  return request.defaultStub;
}

void buildLauncher(const BuildRequest& request) {
  Manifest manifest = loadManifest(request.manifestPath);
  std::string stubPath = chooseStub(request, manifest);
  std::vector<uint8_t> stub = readWholeFile(stubPath, "stub");
  checkStub(stub, stubPath);
  stub = brandStub(stub, manifest.branding, stubPath);
  std::vector<uint8_t> records = encodeRecords(manifest);
  // Every input is refused before the output is started, not halfway.
  int64_t end = static_cast<int64_t>(stub.size() + records.size());
  for (const IncludedFile& file : manifest.files) end += 8 + InputFile(file.path, "included file").size();
  checkIncludedFilesEnd(end);
  if (!manifest.javaBlock.empty()) InputFile(manifest.javaBlock, "Java-side block");

  OutputFile out(request.outputPath);
  out.write(stub.data(), stub.size());
  out.write(records.data(), records.size());
  for (const IncludedFile& file : manifest.files) writeIncludedFile(out, file.path);
  if (!manifest.javaBlock.empty()) writeJavaBlock(out, manifest.javaBlock);
  out.commit();
}

#include "builder/inspect.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "builder/code_page.h"
#include "builder/record_names.h"
#include "platform/host/media_io_memory.h"
#include "core/payload_format.h"
#include "core/record_ids.h"
#include "core/record_reader.h"

DamagedPayload::DamagedPayload(int64_t offset, const std::string& reason)
    : std::runtime_error("damaged payload at offset " + std::to_string(offset) + ": " + reason),
      offset_(offset),
      reason_(reason) {}

namespace {

struct FreeDeleter {
  void operator()(void* block) const { free(block); }
};

std::string counted(int64_t count, const char* unit) {
  return std::to_string(count) + " " + unit + (count == 1 ? "" : "s");
}

// The four bytes of a stored int32, in file order: "D5 13 E4 E8".
std::string hexBytes(uint32_t value) {
  char text[16];
  snprintf(text, sizeof text, "%02X %02X %02X %02X", value & 0xFF, value >> 8 & 0xFF, value >> 16 & 0xFF, value >> 24);
  return text;
}

class Walker {
 public:
  Walker(const std::vector<uint8_t>& bytes, int codePage)
      : bytes_(bytes), memory_{bytes.data(), bytes.size(), 0}, codePage_(codePage) {}

  Inspection inspect() {
    Inspection result;
    PayloadLocation location;
    ReadError error;
    if (!locatePayload(media(), &location, &error)) throw locateFailure(location, error);
    result.payloadStart = location.payloadStart;
    result.records = readList(RecordKind::eightBit);
    result.wideRecords = readList(RecordKind::wide);
    result.includedFilesPosition = position();
    result.files = readIncludedFiles(result.records);
    result.unextractedPosition = position();
    result.javaBlockSize = size() - position();
    return result;
  }

 private:
  MediaHandle media() { return &memory_; }
  int64_t position() const { return static_cast<int64_t>(memory_.position); }
  int64_t size() const { return static_cast<int64_t>(bytes_.size()); }
  std::string left(int64_t from) const { return "(" + counted(std::max<int64_t>(size() - from, 0), "byte") + " left)"; }

  // A value the reader has already taken or refused, for the message.
  int32_t intAt(int64_t offset) const {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | bytes_[static_cast<size_t>(offset + i)];
    return static_cast<int32_t>(value);
  }

  // The reader stops at the first field it cannot read; the first field
  // that lies outside the file is that one.
  DamagedPayload locateFailure(const PayloadLocation& l, const ReadError& error) {
    struct Field {
      const char* name;
      int64_t offset;
      int64_t width;
    };
    const Field fields[] = {
        {"the PE header pointer", kPeHeaderPointerOffset, 4},
        {"the section count", int64_t{l.peHeader} + kSectionCountOffset, 2},
        {"the optional header size", int64_t{l.peHeader} + kOptionalHeaderSizeOffset, 2},
        {"the raw data size of the last section", l.lastSectionEntry + kRawDataSizeOffset, 4},
        {"the raw data offset of the last section", l.lastSectionEntry + kRawDataPointerOffset, 4},
    };
    for (const Field& field : fields)
      if (field.offset < 0 || field.offset + field.width > size())
        return DamagedPayload(field.offset, std::string("cannot read ") + field.name + ": the file is " +
                                                counted(size(), "byte") + " long");
    int64_t start = l.payloadStart;
    if (error.failure == ReadFailure::magic)
      return DamagedPayload(start, "wrong magic: found " + hexBytes(static_cast<uint32_t>(intAt(start))) +
                                       " instead of " + hexBytes(kPayloadMagic));
    if (start == size()) return DamagedPayload(start, "no payload: the file ends where the last section ends");
    if (start < 0 || start > size())
      return DamagedPayload(start, "the payload start lies outside the file (" + counted(size(), "byte") + ")");
    return DamagedPayload(start, "the file ends inside the magic " + left(start));
  }

  std::vector<InspectedRecord> readList(RecordKind kind) {
    std::string list = kind == RecordKind::eightBit ? "8-bit record" : "wide record";
    int64_t countAt = position();
    int32_t count = 0;
    ReadError error;
    if (!readInt(media(), &count, &error))
      throw DamagedPayload(countAt, "the file ends inside the " + list + " count " + left(countAt));
    // Each record takes at least its id and its length. Only a count that
    // could not fit even in the whole file is blamed here: a file cut short
    // is better reported at the record where it was cut.
    if (count < 0 || count > size() / 8)
      throw DamagedPayload(countAt, list + " count " + std::to_string(count) + " cannot fit in the " +
                                        counted(size() - position(), "byte") + " left");
    std::vector<InspectedRecord> records;
    for (int32_t i = 1; i <= count; ++i) {
      std::string which = list + " " + std::to_string(i) + " of " + std::to_string(count);
      int64_t idAt = position();
      int32_t id = 0;
      if (!readInt(media(), &id, &error))
        throw DamagedPayload(idAt, which + ": the file ends inside its id " + left(idAt));
      which += " (id " + std::to_string(id) + ")";
      int64_t lengthAt = position();
      std::optional<std::string> text = readText(kind);
      if (!text) throw textFailure(which, lengthAt);
      records.push_back({id, idAt, *text});
    }
    return records;
  }

  std::optional<std::string> readText(RecordKind kind) {
    int64_t lengthAt = position();
    ReadError error;
    if (kind == RecordKind::eightBit) {
      std::unique_ptr<char, FreeDeleter> text(readString(media(), &error));
      if (!text) return std::nullopt;
      return codePageToUtf8(std::string_view(text.get(), static_cast<size_t>(intAt(lengthAt))), codePage_);
    }
    std::unique_ptr<char16_t, FreeDeleter> text(readWString(media(), &error));
    if (!text) return std::nullopt;
    return utf16ToUtf8(std::u16string_view(text.get(), static_cast<size_t>(intAt(lengthAt)) / 2));
  }

  DamagedPayload textFailure(const std::string& which, int64_t lengthAt) {
    if (lengthAt + 4 > size())
      return DamagedPayload(lengthAt, which + ": the file ends inside its length " + left(lengthAt));
    int32_t length = intAt(lengthAt);
    if (length < 0) return DamagedPayload(lengthAt, which + ": length " + std::to_string(length) + " is negative");
    return DamagedPayload(lengthAt, which + ": length " + std::to_string(length) +
                                        " runs past the end of the file " + left(lengthAt + 4));
  }

  // The file list is what the launcher extracts: the count of record
  // 2002, the names of record 2003, the later record of an id winning.
  std::vector<InspectedFile> readIncludedFiles(const std::vector<InspectedRecord>& records) {
    auto last = [&](int32_t id) {
      auto found = std::find_if(records.rbegin(), records.rend(), [id](const InspectedRecord& r) { return r.id == id; });
      return found == records.rend() ? nullptr : &*found;
    };
    const InspectedRecord* countRecord = last(kRecord_includedFileCount);
    const InspectedRecord* namesRecord = last(kRecord_includedFileNames);
    std::string countName = describeRecord(RecordKind::eightBit, kRecord_includedFileCount);
    std::string namesName = describeRecord(RecordKind::eightBit, kRecord_includedFileNames);

    int64_t count = 0;
    if (countRecord) {
      const std::string& text = countRecord->text;
      bool decimal = !text.empty() && text.size() <= 9 &&
                     std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
      if (!decimal) throw DamagedPayload(countRecord->offset, countName + " is \"" + text + "\", not a file count");
      count = std::stoll(text);
    }
    std::vector<std::string> names;
    if (namesRecord) {
      const std::string& text = namesRecord->text;
      for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.find(';', start), text.size());
        names.push_back(text.substr(start, end - start));
        start = end + 1;
      }
    }
    if (static_cast<int64_t>(names.size()) != count) {
      std::string says = countRecord ? countName + " says " + counted(count, "file") : "there is no " + countName;
      if (!namesRecord) throw DamagedPayload(countRecord->offset, says + " but there is no " + namesName);
      throw DamagedPayload(namesRecord->offset,
                           namesName + " names " + counted(static_cast<int64_t>(names.size()), "file") + " but " + says);
    }

    std::vector<InspectedFile> files;
    for (size_t i = 0; i < names.size(); ++i) {
      std::string which = "included file " + std::to_string(i + 1) + " of " + std::to_string(names.size()) + " (" +
                          names[i] + ")";
      int64_t sizeAt = position();
      int64_t length = 0;
      ReadError error;
      if (!readLong(media(), &length, &error))
        throw DamagedPayload(sizeAt, which + ": the file ends inside its size " + left(sizeAt));
      if (length < 0) throw DamagedPayload(sizeAt, which + ": size " + std::to_string(length) + " is negative");
      if (length > size() - position())
        throw DamagedPayload(sizeAt, which + ": size " + std::to_string(length) + " runs past the end of the file " +
                                         left(position()));
      files.push_back({names[i], length, position()});
      mediaSeek(media(), position() + length);
    }
    return files;
  }

  const std::vector<uint8_t>& bytes_;
  MemoryMedia memory_;
  int codePage_;
};

}  // namespace

Inspection inspectMedia(const std::vector<uint8_t>& media, int codePage) {
  requireCodePage(codePage);
  return Walker(media, codePage).inspect();
}

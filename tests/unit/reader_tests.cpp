// The payload reader and the configuration tables over in-memory media files.
#include <gtest/gtest.h>

#include "platform/host/log_memory.h"
#include "core/configuration.h"
#include "core/record_reader.h"
#include "payload_bytes.h"

namespace {

struct Loaded {
  bool ok = false;
  ReadError error;
  ConfigTables tables;
  ~Loaded() { freeConfigTables(&tables); }
};

void load(const PayloadBytes& payload, Loaded* out) {
  MemoryMedia media = payload.media();
  PayloadLocation location;
  out->ok = locatePayload(&media, &location, &out->error) &&
            readConfigTables(&media, &out->tables, &out->error);
}

TEST(Reader, LocatesPayloadFromTheLastSectionAndLogsTheHeaders) {
  PayloadBytes payload;
  payload.magic().int32(0).int32(0);
  clearCapturedLog();
  Loaded loaded;
  load(payload, &loaded);
  ASSERT_TRUE(loaded.ok);
  EXPECT_EQ(capturedLog(),
            "number of sections: 1\n"
            "size of optional headers: 0\n"
            "resSectionTableStart: 88\n"
            "rawDataSize: 128, rawDataOffset: 128\n");
  EXPECT_EQ(loaded.tables.includedFilesPosition, PayloadBytes::kHeaderSize + 12);
}

TEST(Reader, WrongMagicWhenTheLastEntryIsNotTheLastSection) {
  PayloadBytes payload;
  payload.magic().int32(0).int32(0);
  payload.put32At(64 + 24 + 16, 0x40);  // the section now ends before the payload
  Loaded loaded;
  load(payload, &loaded);
  EXPECT_FALSE(loaded.ok);
  EXPECT_EQ(loaded.error.failure, ReadFailure::magic);
  EXPECT_STREQ(readFailureText(loaded.error.failure), "Internal Error: magic");
}

TEST(Reader, RecordListsAndTheirEdgeCases) {
  PayloadBytes payload;
  payload.magic()
      .int32(4)
      .record(1000, "Error")
      .record(2001, "")  // length 0: an empty text
      .record(122, "first")
      .record(122, "second")  // the later record of an id wins
      .int32(2)
      .wideRecord(1000, u"wide")  // same id in the other list
      .int32(20013)
      .int32(5)  // odd length: two whole units, the fifth byte consumed
      .raw(std::string("A\0B\0C", 5))
      .int64(7);
  Loaded loaded;
  load(payload, &loaded);
  ASSERT_TRUE(loaded.ok);
  EXPECT_STREQ(findConfigString(loaded.tables, 1000), "Error");
  EXPECT_STREQ(findConfigString(loaded.tables, 2001), "");
  EXPECT_STREQ(findConfigString(loaded.tables, 122), "second");
  EXPECT_EQ(findConfigString(loaded.tables, 123), nullptr);
  EXPECT_EQ(std::u16string(findConfigWString(loaded.tables, 1000)), u"wide");
  EXPECT_EQ(std::u16string(findConfigWString(loaded.tables, 20013)), u"AB");
  EXPECT_EQ(findConfigWString(loaded.tables, 122), nullptr);
  EXPECT_EQ(loaded.tables.includedFilesPosition, payload.size() - 8);
}

TEST(Reader, ZeroAndNegativeCountsReadAsNoRecords) {
  for (int32_t count : {0, -1, INT32_MIN}) {
    PayloadBytes payload;
    payload.magic().int32(count).int32(count);
    Loaded loaded;
    load(payload, &loaded);
    ASSERT_TRUE(loaded.ok) << count;
    EXPECT_EQ(loaded.tables.records.count, 0);
    EXPECT_EQ(loaded.tables.wideRecords.count, 0);
    EXPECT_EQ(loaded.tables.includedFilesPosition, PayloadBytes::kHeaderSize + 12);
  }
}

struct Damage {
  const char* what;
  PayloadBytes payload;
  ReadFailure failure;
  int64_t position;  // relative to the payload start
};

TEST(Reader, DamagedPayloadsFailWithTheReadThatRanShort) {
  auto start = [] { return PayloadBytes().magic(); };
  std::vector<Damage> cases = {
      {"nothing behind the image", PayloadBytes(), ReadFailure::readInt, 0},
      {"magic only, both counts missing", start(), ReadFailure::readInt, 4},
      {"half a count", start().int16(1), ReadFailure::readInt, 4},
      {"huge count on a short payload", start().int32(INT32_MAX).record(1, "x"), ReadFailure::readInt, 17},
      {"id without length", start().int32(1).int32(1000), ReadFailure::readInt, 12},
      {"negative length", start().int32(1).int32(1000).int32(-1), ReadFailure::readString, 12},
      {"length past the end", start().int32(1).int32(1000).int32(0x7fffffff).raw("abc"),
       ReadFailure::readString, 12},
      {"text cut short", start().int32(1).int32(1000).int32(5).raw("abc"), ReadFailure::readString, 12},
      {"wide count missing", start().int32(0), ReadFailure::readInt, 8},
      {"negative wide length", start().int32(0).int32(1).int32(20013).int32(-2), ReadFailure::readWString, 16},
      {"wide text cut short", start().int32(0).int32(1).int32(20013).int32(0x40000000).raw("ab"),
       ReadFailure::readWString, 16},
  };
  for (Damage& c : cases) {
    Loaded loaded;
    load(c.payload, &loaded);
    EXPECT_FALSE(loaded.ok) << c.what;
    EXPECT_EQ(loaded.error.failure, c.failure) << c.what;
    EXPECT_EQ(loaded.error.position, PayloadBytes::kHeaderSize + c.position) << c.what;
  }
}

TEST(Reader, PrimitivesSignExtendAndAdvanceExactly) {
  PayloadBytes bytes;
  bytes.int16(-2).int32(-3).int64(-4).int64(INT64_C(0x0102030405060708));
  MemoryMedia media = bytes.media();
  media.position = PayloadBytes::kHeaderSize;
  ReadError error;
  int32_t s = 0, i = 0;
  int64_t l = 0, big = 0;
  ASSERT_TRUE(readShort(&media, &s, &error));
  ASSERT_TRUE(readInt(&media, &i, &error));
  ASSERT_TRUE(readLong(&media, &l, &error));
  ASSERT_TRUE(readLong(&media, &big, &error));
  EXPECT_EQ(s, -2);
  EXPECT_EQ(i, -3);
  EXPECT_EQ(l, -4);
  EXPECT_EQ(big, INT64_C(0x0102030405060708));
  EXPECT_EQ(media.position, bytes.size());
  EXPECT_FALSE(readLong(&media, &l, &error));
  EXPECT_EQ(error.failure, ReadFailure::readLong);
}

TEST(Reader, HeaderSeeksBeforeTheFileStartFail) {
  PayloadBytes payload;
  payload.magic().int32(0).int32(0);
  payload.put32At(60, 0x80000000u);  // PE header pointer negative
  Loaded loaded;
  load(payload, &loaded);
  EXPECT_FALSE(loaded.ok);
  EXPECT_EQ(loaded.error.failure, ReadFailure::readShort);
}

}  // namespace

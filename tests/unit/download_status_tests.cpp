// The download status line: its figures, and the configured text filled
// without printf.
#include <gtest/gtest.h>

#include <string>

#include "core/download_status.h"

namespace {

std::u16string fill(const char16_t* format, const DownloadFigures& figures, size_t capacity = 256) {
  char16_t text[256];
  fillDownloadStatus(format, figures, text, capacity);
  return text;
}

}  // namespace

TEST(DownloadStatus, Figures) {
  DownloadFigures half = downloadFigures(3 * 1048576, 6 * 1048576, 1000);
  EXPECT_DOUBLE_EQ(half.receivedMegabytes, 3.0);
  EXPECT_DOUBLE_EQ(half.totalMegabytes, 6.0);
  EXPECT_DOUBLE_EQ(half.percent, 50.0);
  EXPECT_DOUBLE_EQ(half.speed, 3 * 1048576 / 1000.0);
  // The first update can come before a millisecond has passed.
  EXPECT_DOUBLE_EQ(downloadFigures(16384, 65536, 0).speed, 0.0);
  // Sizes near 4 GB stay unsigned.
  EXPECT_DOUBLE_EQ(downloadFigures(0xFFFFFFFFu, 0xFFFFFFFFu, 1).percent, 100.0);
  EXPECT_DOUBLE_EQ(downloadFigures(0, 0, 0).percent, 100.0);
}

TEST(DownloadStatus, PlaceholdersFilledInOrder) {
  DownloadFigures figures = {1.2345, 10.5, 11.9047, 812.3456};
  struct {
    const char16_t* format;
    const char16_t* text;
  } cases[] = {
      {u"%.1f of %.1f MB (%.0f%%), %.1f kb/s", u"1.2 of 10.5 MB (12%), 812.3 kb/s"},
      {u"%f", u"1.234500"},
      {u"[%6.2f]", u"[  1.23]"},
      {u"%lf|%e|%g", u"1.234500|1.050000e+01|11.9047"},
      {u"%.1f %.1f %.1f %.1f %.1f", u"1.2 10.5 11.9 812.3 %.1f"},
      // Placeholders for other values are not filled and take no figure.
      {u"%s %d %n %x %S %.1f", u"%s %d %n %x %S 1.2"},
      {u"100%", u"100%"},
      {u"%", u"%"},
      {u"%%f", u"%f"},
      {u"", u""},
      // Flags and the case of the conversion letter are honoured.
      {u"[%-6.1f]", u"[1.2   ]"},
      {u"[%+.1f]", u"[+1.2]"},
      {u"[% .1f]", u"[ 1.2]"},
      {u"[%06.1f]", u"[0001.2]"},
      {u"[%#.0f]", u"[1.]"},
      {u"[%-+8.2f]", u"[+1.23   ]"},
      {u"[%--++6.1f]", u"[+1.2  ]"},
      {u"%E %G", u"1.234500E+00 10.5"},
  };
  for (const auto& c : cases) EXPECT_EQ(fill(c.format, figures), c.text);
  // A width or precision beyond reason is cut, never a long write.
  EXPECT_EQ(fill(u"%.999999999999f", figures).size(), 42u);
  EXPECT_EQ(fill(u"%99999f", figures).size(), 40u);
}

TEST(DownloadStatus, CutAtTheCapacity) {
  DownloadFigures figures = {1.25, 10.5, 11.9, 812.3};
  EXPECT_EQ(fill(u"ab%.2fcd", figures, 5), u"ab1.");
  EXPECT_EQ(fill(u"abcdef", figures, 1), u"");
  char16_t untouched[2] = {u'x', u'y'};
  fillDownloadStatus(u"abc", figures, untouched, 0);
  EXPECT_EQ(untouched[0], u'x');
}

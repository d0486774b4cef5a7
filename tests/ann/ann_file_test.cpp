#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ann/tdbp_ann.h"
#include "ann/tdbp_ann_list.h"
#include "common/file_util.h"
#include "common/notices.h"
#include "common/random.h"
#include "test_support.h"

namespace {

// A 2-2-1 network with hand-set weights.
CTdbpAnn SmallNetwork() {
  CTdbpAnn ann(2, 2, 1, -0.5f, 0.5f, 100, 2, 3, 0.25f, 0.75f);
  ann.Weight11s = {{0.5f, -1.25f}, {3e-5f, 1234.5f}};
  ann.Weight12s = {{0.1f, -0.2f}};
  ann.Weight2s = {2.0f};
  return ann;
}

const char* const kSmallNetworkText =
    "\nCount0 =2\nCount11=2\nCount12=1\n\nLower=-5.000000e-01\nUpper=5.000000e-01\n\n"
    "MaxLearnCount=100\nAutoSaveCount=2\n\nThreadCount=3\n\nAlpha =2.500000e-01\n"
    "Lambda=7.500000e-01\n\nWeight11s=\n\n5.000000e-01;-1.250000e+00;3.000000e-05;1.234500e+03;"
    "\n\nWeight12s=\n\n1.000000e-01;-2.000000e-01;\n\nWeight2s=\n\n2.000000e+00;\n";

// Plain write without the flush to disk that saving does: these tests write
// hundreds of small files.
int WritePlain(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  return out.good() ? 1 : 0;
}

std::string ReadText(const std::string& path) {
  std::string text;
  ReadWholeFile(path, text);
  return text;
}

void ExpectSameNetwork(const CTdbpAnn& a, const CTdbpAnn& b) {
  EXPECT_EQ(a.Count0, b.Count0);
  EXPECT_EQ(a.Count11, b.Count11);
  EXPECT_EQ(a.Count12, b.Count12);
  EXPECT_EQ(a.Lower, b.Lower);
  EXPECT_EQ(a.Upper, b.Upper);
  EXPECT_EQ(a.MaxLearnCount, b.MaxLearnCount);
  EXPECT_EQ(a.AutoSaveCount, b.AutoSaveCount);
  EXPECT_EQ(a.ThreadCount, b.ThreadCount);
  EXPECT_EQ(a.Alpha, b.Alpha);
  EXPECT_EQ(a.Lambda, b.Lambda);
}

class AnnFileTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return Home.Path() + name; }
  ScopedTarvoHome Home;
};

}  // namespace

TEST_F(AnnFileTest, TextFileIsWrittenExactlyAndReadBack) {
  const CTdbpAnn ann = SmallNetwork();
  ASSERT_EQ(ann.Save(Path("small.ann")), 1);
  EXPECT_EQ(ReadText(Path("small.ann")), kSmallNetworkText);

  CTdbpAnn loaded;
  ASSERT_EQ(loaded.Load(Path("small.ann")), 1);
  ExpectSameNetwork(loaded, ann);
  EXPECT_EQ(loaded.Weight11s, ann.Weight11s);  // these values survive "%e" exactly
  EXPECT_EQ(loaded.Weight2s, ann.Weight2s);
}

TEST_F(AnnFileTest, TextRoundTripKeepsSevenSignificantDigits) {
  SeedRandomWith(5);
  CTdbpAnn ann(91, 31, 11, -3.0f, 3.0f, 10, 1, 2, 0.01f, 0.9f);
  ann.Weight11s[0][0] = 1.2345678e-20f;
  ann.Weight11s[0][1] = -9.8765432e+25f;
  ASSERT_EQ(ann.Save(Path("eval000.ann")), 1);
  CTdbpAnn loaded;
  ASSERT_EQ(loaded.Load(Path("eval000.ann")), 1);
  ExpectSameNetwork(loaded, ann);
  auto close = [](float a, float b) { return std::fabs(a - b) <= 5e-7f * std::fabs(a); };
  for (int i = 0; i < 31; ++i)
    for (int j = 0; j < 91; ++j) ASSERT_TRUE(close(ann.Weight11s[i][j], loaded.Weight11s[i][j]));
  for (int i = 0; i < 11; ++i) {
    for (int j = 0; j < 31; ++j) ASSERT_TRUE(close(ann.Weight12s[i][j], loaded.Weight12s[i][j]));
    ASSERT_TRUE(close(ann.Weight2s[i], loaded.Weight2s[i]));
  }
}

TEST_F(AnnFileTest, BinaryRoundTripIsBitForBit) {
  SeedRandomWith(6);
  CTdbpAnn ann(91, 31, 11, -0.1f, 0.1f, 10, 1, 2, 0.01f, 0.9f);
  ASSERT_EQ(ann.Save(Path("eval.bin"), 1), 1);
  EXPECT_EQ(std::filesystem::file_size(Path("eval.bin")), 40u + 4u * (91 * 31 + 31 * 11 + 11));
  CTdbpAnn loaded;
  ASSERT_EQ(loaded.Load(Path("eval.bin"), 1), 1);
  ExpectSameNetwork(loaded, ann);
  EXPECT_EQ(loaded.Weight11s, ann.Weight11s);
  EXPECT_EQ(loaded.Weight12s, ann.Weight12s);
  EXPECT_EQ(loaded.Weight2s, ann.Weight2s);

  // Little-endian, parameters first.
  const std::string bytes = ReadText(Path("eval.bin"));
  EXPECT_EQ(bytes.substr(0, 4), std::string("\x5b\0\0\0", 4));
  EXPECT_EQ(bytes.substr(12, 4), std::string("\xcd\xcc\xcc\xbd", 4));  // -0.1f
}

TEST_F(AnnFileTest, ReaderAcceptsThreeDigitExponentsAndMissingBlanks) {
  std::string text = kSmallNetworkText;
  auto replace = [&](const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
  };
  replace("Lower=-5.000000e-01", "Lower=-5.000000e-001");
  replace("2.000000e+00;", "2.000000e+000;");
  replace("Count0 =", "Count0=");
  ASSERT_EQ(WritePlain(Path("win.ann"), text), 1);
  CTdbpAnn loaded;
  ASSERT_EQ(loaded.Load(Path("win.ann")), 1);
  ExpectSameNetwork(loaded, SmallNetwork());
  EXPECT_EQ(loaded.Weight2s[0], 2.0f);
}

TEST_F(AnnFileTest, EveryTruncatedTextFileIsRefused) {
  const std::string text = kSmallNetworkText;
  // Only the final line end may be lost.
  for (size_t length = 0; length + 1 < text.size(); ++length) {
    ASSERT_EQ(WritePlain(Path("cut.ann"), text.substr(0, length)), 1);
    CTdbpAnn loaded = SmallNetwork();
    ASSERT_EQ(loaded.Load(Path("cut.ann")), 0) << "length " << length;
    EXPECT_TRUE(loaded.IsEmpty());
  }
  ASSERT_EQ(WritePlain(Path("cut.ann"), text.substr(0, text.size() - 1)), 1);
  CTdbpAnn loaded;
  EXPECT_EQ(loaded.Load(Path("cut.ann")), 1);
}

TEST_F(AnnFileTest, DamagedTextFilesAreRefused) {
  struct Damage {
    const char* from;
    const char* to;
  };
  const Damage damages[] = {
      {"ThreadCount=3\n", "ThreadCount=3\nThreadCount=4\n"},  // a repeated parameter
      {"ThreadCount=3\n", "ThreadCount=3x\n"},                 // trailing garbage
      {"ThreadCount=3\n", "Threads=3\n"},                      // an unknown line
      {"Count0 =2", "Count0 =2147483648"},                     // beyond 32 bits
      {"Lambda=7.500000e-01", "Lambda=oops"},                  // garbage value
      {"-1.250000e+00;", "-1.250000e+00;x"},                   // garbage between weights
      {"3.000000e-05;", "nan;"},                               // not a number
      {"-2.000000e-01;", ""},                                  // a weight missing
      {"2.000000e+00;\n", "2.000000e+00;5.000000e-01;\n"},     // one weight too many
      {"Weight12s=", "Weights12="},                            // a damaged block header
      {"Count11=2", "Count11=999999999"},                      // absurd size
      // Training values no run can use: they turn every weight into NaN or never end.
      {"Lambda=7.500000e-01", "Lambda=-5"},
      {"Lambda=7.500000e-01", "Lambda=1.5"},
      {"Alpha =2.500000e-01", "Alpha =-1"},
      {"Alpha =2.500000e-01", "Alpha =1e30"},
      {"MaxLearnCount=100", "MaxLearnCount=-1"},
      {"AutoSaveCount=2", "AutoSaveCount=-3"},
      {"ThreadCount=3", "ThreadCount=65"},
      {"Lower=-5.000000e-01", "Lower=9.000000e-01"},  // above Upper
  };
  for (const Damage& damage : damages) {
    std::string text = kSmallNetworkText;
    text.replace(text.find(damage.from), std::string(damage.from).size(), damage.to);
    ASSERT_EQ(WritePlain(Path("bad.ann"), text), 1);
    CTdbpAnn loaded;
    EXPECT_EQ(loaded.Load(Path("bad.ann")), 0) << damage.from << " -> " << damage.to;
  }
  CTdbpAnn loaded;
  EXPECT_EQ(loaded.Load(Path("missing.ann")), 0);
}

TEST_F(AnnFileTest, MissingParameterLinesTakeTheirPresetsAndSaySo) {
  TakeNoticeTexts();
  std::string text = kSmallNetworkText;
  text.erase(text.find("ThreadCount=3\n"), 14);
  ASSERT_EQ(WritePlain(Path("nothreads.ann"), text), 1);
  CTdbpAnn loaded;
  ASSERT_EQ(loaded.Load(Path("nothreads.ann")), 1);
  EXPECT_EQ(loaded.ThreadCount, 1);
  EXPECT_EQ(loaded.MaxLearnCount, 100);
  EXPECT_EQ(loaded.Weight11s[1][1], 1234.5f);  // the weights are read as they stand
  std::vector<std::string> notices = TakeNoticeTexts();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("nothreads.ann"), std::string::npos);
  EXPECT_NE(notices[0].find("ThreadCount (1)"), std::string::npos);

  // Every other parameter's preset is 0.
  text = kSmallNetworkText;
  for (const char* line : {"MaxLearnCount=100\n", "AutoSaveCount=2\n", "Alpha =2.500000e-01\n",
                           "Lambda=7.500000e-01\n", "Lower=-5.000000e-01\n"})
    text.erase(text.find(line), std::string(line).size());
  ASSERT_EQ(WritePlain(Path("fewer.ann"), text), 1);
  ASSERT_EQ(loaded.Load(Path("fewer.ann")), 1);
  EXPECT_EQ(loaded.MaxLearnCount, 0);
  EXPECT_EQ(loaded.AutoSaveCount, 0);
  EXPECT_EQ(loaded.ThreadCount, 3);
  EXPECT_EQ(loaded.Alpha, 0.0f);
  EXPECT_EQ(loaded.Lambda, 0.0f);
  EXPECT_EQ(loaded.Lower, 0.0f);
  EXPECT_EQ(loaded.Upper, 0.5f);
  notices = TakeNoticeTexts();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("MaxLearnCount (0)"), std::string::npos);
  EXPECT_NE(notices[0].find("Lambda (0)"), std::string::npos);

  // A missing count is 0: an empty network, whatever weights follow.
  text = kSmallNetworkText;
  text.erase(text.find("Count12=1\n"), 10);
  ASSERT_EQ(WritePlain(Path("nocount.ann"), text), 1);
  ASSERT_EQ(loaded.Load(Path("nocount.ann")), 1);
  EXPECT_TRUE(loaded.IsEmpty());

  // A file that is all presets still needs its weight header to be whole.
  ASSERT_EQ(WritePlain(Path("bare.ann"), "\nWeight11s=\n\nWeight12s=\n\nWeight2s=\n"), 1);
  EXPECT_EQ(loaded.Load(Path("bare.ann")), 1);
  EXPECT_TRUE(loaded.IsEmpty());
  ASSERT_EQ(WritePlain(Path("none.ann"), "\n\n"), 1);
  EXPECT_EQ(loaded.Load(Path("none.ann")), 0);
  TakeNoticeTexts();
}

TEST_F(AnnFileTest, ACountOfZeroLoadsAnEmptyNetwork) {
  std::string text = kSmallNetworkText;
  text.replace(text.find("Count12=1"), 9, "Count12=0");
  ASSERT_EQ(WritePlain(Path("empty.ann"), text), 1);
  CTdbpAnn loaded = SmallNetwork();
  ASSERT_EQ(loaded.Load(Path("empty.ann")), 1);
  EXPECT_TRUE(loaded.IsEmpty());
  EXPECT_EQ(loaded.Count0, 0);

  // An empty network saves and loads as one.
  ASSERT_EQ(CTdbpAnn().Save(Path("empty2.ann")), 1);
  EXPECT_EQ(loaded.Load(Path("empty2.ann")), 1);
  EXPECT_TRUE(loaded.IsEmpty());
}

TEST_F(AnnFileTest, EveryTruncatedOrOverlongBinaryFileIsRefused) {
  ASSERT_EQ(SmallNetwork().Save(Path("small.bin"), 1), 1);
  const std::string bytes = ReadText(Path("small.bin"));
  ASSERT_EQ(bytes.size(), 40u + 4u * 7);
  for (size_t length = 0; length < bytes.size(); ++length) {
    ASSERT_EQ(WritePlain(Path("cut.bin"), bytes.substr(0, length)), 1);
    CTdbpAnn loaded;
    ASSERT_EQ(loaded.Load(Path("cut.bin"), 1), 0) << "length " << length;
  }
  ASSERT_EQ(WritePlain(Path("long.bin"), bytes + "x"), 1);
  CTdbpAnn loaded;
  EXPECT_EQ(loaded.Load(Path("long.bin"), 1), 0);
  EXPECT_EQ(loaded.Load(Path("small.bin"), 1), 1);
  EXPECT_EQ(loaded.Weight11s[1][1], 1234.5f);
}

TEST_F(AnnFileTest, SaveKeepsTheOldFileWhenItCannotWrite) {
  ASSERT_EQ(SmallNetwork().Save(Path("keep.ann")), 1);
  EXPECT_EQ(SmallNetwork().Save(Path("no/such/folder/x.ann")), 0);
  EXPECT_EQ(ReadText(Path("keep.ann")), kSmallNetworkText);
}

TEST_F(AnnFileTest, ListFilesAreNamedByIndexAndSavedAndLoadedTogether) {
  EXPECT_EQ(CTdbpAnnList::FileName("/d/", "eval", 0, ".ann"), "/d/eval000.ann");
  EXPECT_EQ(CTdbpAnnList::FileName("/d/", "eval", 1234, ".ann"), "/d/eval1234.ann");

  CTdbpAnnList list;
  const int count0[] = {3, 4}, count11[] = {2, 2}, count12[] = {1, 2};
  ASSERT_EQ(list.CreateAll(2, count0, count11, count12), 1);
  const std::string dir = Home.Path();

  // A count that differs from the list's size writes nothing.
  EXPECT_EQ(list.SaveAll(1, "eval", ".ann", dir.c_str()), 0);
  EXPECT_EQ(list.SaveAll(3, "eval", ".ann", dir.c_str()), 0);
  EXPECT_FALSE(std::filesystem::exists(dir + "eval000.ann"));
  EXPECT_EQ(list.SaveAll(2, nullptr, ".ann", dir.c_str()), 0);

  ASSERT_EQ(list.SaveAll(2, "eval", ".ann", dir.c_str()), 1);
  CTdbpAnnList loaded;
  ASSERT_EQ(loaded.LoadAll(2, "eval", ".ann", dir.c_str()), 1);
  ASSERT_EQ(loaded.Count(), 2);
  EXPECT_EQ(loaded.GetAt(1).Count0, 4);
  EXPECT_EQ(loaded.GetAt(1).Count12, 2);

  // The networks before the first failure stay in the list.
  EXPECT_EQ(loaded.LoadAll(3, "eval", ".ann", dir.c_str()), 0);
  EXPECT_EQ(loaded.Count(), 2);
  EXPECT_EQ(loaded.LoadAll(0, "eval", ".ann", dir.c_str()), 0);
}

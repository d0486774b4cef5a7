// A data folder of one's own gets the shipped book and network it lacks.
#include "common/shipped_data.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <utility>

#include "common/file_util.h"
#include "common/notices.h"
#include "common/sha256.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

void WriteText(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const std::string& path) {
  std::string text;
  EXPECT_TRUE(ReadWholeFile(path, text)) << path;
  return text;
}

TEST(ShippedDataTest, MissingFilesAreCopiedAndOwnFilesStay) {
  ScopedTarvoHome shipped;
  ScopedTarvoHome data;
  WriteText(shipped.Path() + "book/book.tab", "shipped book");
  WriteText(shipped.Path() + "ann/eval000.ann", "shipped network");
  WriteText(data.Path() + "ann/eval000.ann", "my own network");
  TakeNoticeTexts();

  const auto copied = UpdateShippedData(shipped.Path(), data.Path());
  ASSERT_EQ(copied, std::vector<std::string>{"book/book.tab"});
  EXPECT_EQ(ReadText(data.Path() + "book/book.tab"), "shipped book");
  EXPECT_EQ(ReadText(data.Path() + "ann/eval000.ann"), "my own network");
  EXPECT_TRUE(TakeNoticeTexts().empty());

  // A second start copies nothing, even after the user changed the book.
  WriteText(data.Path() + "book/book.tab", "my own book");
  EXPECT_TRUE(UpdateShippedData(shipped.Path(), data.Path()).empty());
  EXPECT_EQ(ReadText(data.Path() + "book/book.tab"), "my own book");
}

// The two that ship: the programs into a data folder of one's own, and the
// build and install beside the programs. Both follow the same rules.
using CUpdate = std::function<void(const std::string& shipped, const std::string& data)>;
const std::pair<const char*, CUpdate> kUpdates[] = {
    {"program", [](const std::string& shipped, const std::string& data) { UpdateShippedData(shipped, data); }},
    {"build",
     [](const std::string& shipped, const std::string& data) {
       int code = -1;
       const std::string out = RunCommand(std::string(TARVO_CMAKE_COMMAND) + " '-DFROM=" + shipped + "' '-DTO=" + data +
                                              "' -P " + TARVO_SHIP_SCRIPT + " 2>&1",
                                          &code);
       EXPECT_EQ(code, 0) << out;
     }},
};

// A newer program ships a newer network and book: the copies nobody changed
// follow it, the owner's own files stay, and a deleted one comes back.
TEST(ShippedDataTest, CopiesNobodyChangedFollowTheShippedFiles) {
  struct Case {
    const char* What;
    const char* Before;  // the data folder's network before the update ("" missing)
    const char* After;   // what it holds after
  };
  const Case cases[] = {
      {"the copy shipped before", "network 1", "network 2"},
      {"the owner's own", "my network", "my network"},
      {"deleted by the owner", "", "network 2"},
      {"already the newer one", "network 2", "network 2"},
  };
  for (const auto& [who, update] : kUpdates) {
    for (const Case& c : cases) {
      ScopedTarvoHome shipped;
      ScopedTarvoHome data;
      WriteText(shipped.Path() + "ann/eval000.ann", "network 1");
      update(shipped.Path(), data.Path());
      std::filesystem::remove(data.Path() + "ann/eval000.ann");
      if (*c.Before) WriteText(data.Path() + "ann/eval000.ann", c.Before);
      WriteText(shipped.Path() + "ann/eval000.ann", "network 2");
      update(shipped.Path(), data.Path());
      EXPECT_EQ(ReadText(data.Path() + "ann/eval000.ann"), c.After) << who << ": " << c.What;
      // The record says what was shipped, in sha256sum's form.
      if (std::string(c.After) == "network 2") {
        EXPECT_EQ(ReadText(data.Path() + "shipped.sha256"), Sha256Hex("network 2") + "  ann/eval000.ann\n")
            << who << ": " << c.What;
      }
    }
  }
}

// A folder made before folders kept a record: its copy of a file an earlier
// version shipped (by the list beside the shipped files) follows too.
TEST(ShippedDataTest, CopiesFromBeforeTheRecordFollowByTheListOfEarlierFiles) {
  for (const auto& [who, update] : kUpdates) {
    for (const std::string before : {"network 0", "my network"}) {
      ScopedTarvoHome shipped;
      ScopedTarvoHome data;
      WriteText(shipped.Path() + "ann/eval000.ann", "network 2");
      WriteText(shipped.Path() + "shipped-before.sha256", Sha256Hex("network 0") + "  ann/eval000.ann\n" +
                                                              Sha256Hex("network 1") + "  ann/eval000.ann\n");
      WriteText(data.Path() + "ann/eval000.ann", before);
      update(shipped.Path(), data.Path());
      EXPECT_EQ(ReadText(data.Path() + "ann/eval000.ann"), before == "my network" ? before : "network 2")
          << who << ": " << before;
    }
  }
}

// New keys would leave a book of the owner's (made with the old ones) dead.
TEST(ShippedDataTest, KeysStayUnderABookOfTheOwners) {
  for (const auto& [who, update] : kUpdates) {
    for (const bool ownBook : {false, true}) {
      ScopedTarvoHome shipped;
      ScopedTarvoHome data;
      WriteText(shipped.Path() + "rand/rand.has", "keys 1");
      WriteText(shipped.Path() + "book/book.tab", "book 1");
      update(shipped.Path(), data.Path());
      if (ownBook) WriteText(data.Path() + "book/book.tab", "my book");
      WriteText(shipped.Path() + "rand/rand.has", "keys 2");
      WriteText(shipped.Path() + "book/book.tab", "book 2");
      update(shipped.Path(), data.Path());
      EXPECT_EQ(ReadText(data.Path() + "rand/rand.has"), ownBook ? "keys 1" : "keys 2") << who;
      EXPECT_EQ(ReadText(data.Path() + "book/book.tab"), ownBook ? "my book" : "book 2") << who;
    }
  }
}

// Against sha256sum, which the record's form is shared with, and the
// standard's own examples (padding into a second block among them).
TEST(Sha256Test, AgreesWithTheStandardAndWithSha256sum) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  ScopedTarvoHome folder;
  for (const size_t size : {55, 56, 64, 119, 1000}) {
    std::string bytes;
    for (size_t i = 0; i < size; ++i) bytes += static_cast<char>(i * 37 % 251);
    WriteText(folder.Path() + "bytes", bytes);
    const std::string sum = RunCommand("sha256sum '" + folder.Path() + "bytes'");
    EXPECT_EQ(sum.substr(0, 64), Sha256Hex(bytes)) << size;
  }
}

// The book is found through locks made from the key file: it goes only
// where the shipped key file is, or comes with it.
TEST(ShippedDataTest, TheBookGoesOnlyWithItsKeys) {
  ScopedTarvoHome shipped;
  WriteText(shipped.Path() + "rand/rand.has", "shipped keys");
  WriteText(shipped.Path() + "book/book.tab", "shipped book");
  WriteText(shipped.Path() + "ann/eval000.ann", "shipped network");

  ScopedTarvoHome fresh;
  EXPECT_EQ(UpdateShippedData(shipped.Path(), fresh.Path()),
            (std::vector<std::string>{"rand/rand.has", "book/book.tab", "ann/eval000.ann"}));
  EXPECT_EQ(ReadText(fresh.Path() + "rand/rand.has"), "shipped keys");

  ScopedTarvoHome otherKeys;
  WriteText(otherKeys.Path() + "rand/rand.has", "keys of its own");
  EXPECT_EQ(UpdateShippedData(shipped.Path(), otherKeys.Path()), std::vector<std::string>{"ann/eval000.ann"});
  EXPECT_FALSE(fs::exists(otherKeys.Path() + "book/book.tab"));
  EXPECT_EQ(ReadText(otherKeys.Path() + "rand/rand.has"), "keys of its own");
}

TEST(ShippedDataTest, NothingShippedOrTheSameFolderCopiesNothing) {
  ScopedTarvoHome shipped;
  ScopedTarvoHome data;
  EXPECT_TRUE(UpdateShippedData(shipped.Path(), data.Path()).empty());
  EXPECT_FALSE(fs::exists(data.Path() + "book"));

  WriteText(shipped.Path() + "book/book.tab", "shipped book");
  EXPECT_TRUE(UpdateShippedData(shipped.Path(), shipped.Path()).empty());
  EXPECT_EQ(ReadText(shipped.Path() + "book/book.tab"), "shipped book");
}

TEST(ShippedDataTest, AFolderInTheWayIsReportedNotReplaced) {
  ScopedTarvoHome shipped;
  ScopedTarvoHome data;
  WriteText(shipped.Path() + "book/book.tab", "shipped book");
  WriteText(data.Path() + "book", "a file where the book folder belongs");
  TakeNoticeTexts();
  EXPECT_TRUE(UpdateShippedData(shipped.Path(), data.Path()).empty());
  const auto notices = TakeNoticeTexts();
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_NE(notices[0].find("could not copy"), std::string::npos);
  EXPECT_EQ(ReadText(data.Path() + "book"), "a file where the book folder belongs");
}

}  // namespace

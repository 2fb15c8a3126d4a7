#include "settings/settings_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "settings/cipher.h"

namespace ravlen {
namespace {

std::string enc(std::string_view clear) { return encipherValue(clear, kSettingsKey); }

// A group line and a value line, LF ended.
std::string entryLines(const std::string& groupLine, const std::string& number,
                       const std::string& key, const std::string& clear) {
  return groupLine + "\n" + number + ";" + key + ";" + enc(clear) + "\n";
}

class SettingsReader : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ::testing::TempDir() + "ravlen_settings_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
  }
  void TearDown() override { std::remove(path_.c_str()); }

  void write(const std::string& content) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << content;
    ASSERT_TRUE(out.good());
  }
  // The request of run control: empty group, number 0.
  std::string valueOf(const std::string& key) { return readSetting("", key, 0, path_).value.str(); }

  std::string path_;
};

TEST_F(SettingsReader, FirstEntryWithTheKeyWinsAndKeysAreCaseSensitive) {
  write(entryLines(";Datenbank;", "1", "net8", "lower") +
        entryLines(";Datenbank;", "2", "NET8", "first") +
        entryLines(";Datenbank;", "3", "NET8", "second"));
  const SettingEntry& e = readSetting("", "NET8", 0, path_);
  EXPECT_EQ(e.value, "first");
  EXPECT_EQ(e.number, 2);
  EXPECT_EQ(e.group, "Datenbank");
  EXPECT_EQ(e.key, "NET8");
  EXPECT_EQ(valueOf("net8"), "lower");
  EXPECT_EQ(valueOf("Net8"), "");
}

TEST_F(SettingsReader, NumberOrGroupAloneSelects) {
  write(entryLines(";A;", "1", "ONE", "one") + entryLines(";B;", "  +7x", "SEVEN", "seven") +
        entryLines(";C;", "abc", "ZERO", "zero") + entryLines(";D;", "4", "NET8", "net"));
  EXPECT_EQ(readSetting("B", "none", -1, path_).value, "seven");   // by group
  EXPECT_EQ(readSetting("none", "none", 7, path_).value, "seven");  // " +7x" reads 7
  EXPECT_EQ(valueOf("NET8"), "zero");  // "abc" reads 0: answers every key after it
  EXPECT_EQ(valueOf("ONE"), "one");    // but not the keys before it
}

TEST_F(SettingsReader, NumberFieldParsing) {
  write(entryLines(";A;", " -12abc", "NEG", "neg") + entryLines(";B;", "4294967296", "BIG", "big") +
        entryLines(";C;", "1", "NET8", "net"));
  EXPECT_EQ(readSetting("x", "x", -12, path_).value, "neg");
  // Clamped, not wrapped round to 0: it does not answer run control's number 0.
  EXPECT_EQ(valueOf("NET8"), "net");
  EXPECT_EQ(readSetting("x", "x", std::numeric_limits<int32_t>::max(), path_).value, "big");
}

TEST_F(SettingsReader, GroupLineRules) {
  // No ';' and a single ';' give the empty group, which run control's request matches.
  write(entryLines("Datenbank", "1", "OTHER", "none") + entryLines(";G;", "2", "NET8", "net"));
  EXPECT_EQ(valueOf("NET8"), "none");
  write(entryLines("Daten;bank", "1", "OTHER", "single") + entryLines(";G;", "2", "NET8", "net"));
  EXPECT_EQ(valueOf("NET8"), "single");
  // Adjacent ';': the rest of the line after the first ';' plus the line end.
  write(entryLines("x;;", "1", "OTHER", "adjacent") + entryLines(";G;", "2", "NET8", "net"));
  EXPECT_EQ(valueOf("NET8"), "net");
  EXPECT_EQ(readSetting("", "OTHER", 0, path_).group, ";\n");
  write(entryLines("x;;a;b", "1", "OTHER", "v"));
  EXPECT_EQ(readSetting("", "OTHER", 0, path_).group, ";a;b\n");
  write(entryLines(";G;rest;more", "1", "OTHER", "v"));
  EXPECT_EQ(readSetting("", "OTHER", 0, path_).group, "G");
}

TEST_F(SettingsReader, CrLfLineEnds) {
  std::string lf = entryLines("x;;a", "1", "NET8", "net") + entryLines(";G;", "2", "PASS", "pass");
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  write(crlf);
  const SettingEntry& e = readSetting("", "NET8", 0, path_);
  EXPECT_EQ(e.value, "net");
  EXPECT_EQ(e.group, ";a\n");
  EXPECT_EQ(valueOf("PASS"), "pass");
}

TEST_F(SettingsReader, OnlyWholePairsAndValueLinesCount) {
  // Three lines: the last group line has no value line and is ignored.
  write(entryLines(";G;", "1", "A", "a") + "Datenbank\n");
  const SettingEntry& e = readSetting("", "NET8", 0, path_);
  EXPECT_EQ(e.value, "");
  EXPECT_EQ(e.number, 0);
  EXPECT_EQ(e.key, "");
  EXPECT_EQ(e.group, "");
  // A key on the last pair is found; a key standing only in a group line is not.
  write(entryLines(";NET8;", "1", "A", "a") + entryLines(";G;", "2", "LOGIN", "login"));
  EXPECT_EQ(valueOf("LOGIN"), "login");
  EXPECT_EQ(valueOf("NET8"), "");
}

TEST_F(SettingsReader, MissingFileGivesEmptyEntry) {
  write(entryLines(";G;", "1", "NET8", "net"));
  EXPECT_EQ(valueOf("NET8"), "net");
  std::remove(path_.c_str());
  const SettingEntry& e = readSetting("", "NET8", 0, path_);
  EXPECT_EQ(e.value, "");
  EXPECT_EQ(e.number, 0);
  EXPECT_EQ(e.key, "");
}

TEST_F(SettingsReader, FileIsReadAfreshOnEveryCall) {
  write(entryLines(";G;", "1", "NET8", "old"));
  EXPECT_EQ(valueOf("NET8"), "old");
  write(entryLines(";G;", "1", "NET8", "new"));
  EXPECT_EQ(valueOf("NET8"), "new");
}

TEST_F(SettingsReader, MalformedValueLinesNeverMatch) {
  const std::string hex = enc("bad");
  // Each would answer run control's request if it were read leniently.
  const std::vector<std::string> malformed = {
      "0;NET8",                                // fewer than two ';'
      ";NET8;" + hex,                          // empty number
      "0;;" + hex,                             // empty key
      "0;NET8;",                               // empty value
      "000000000000;NET8;" + hex,              // number of 12 characters
      "0;" + std::string(201, 'K') + ";" + hex,  // key over 200
      "0;NET8;" + hex + std::string(201 - hex.size(), '0'),  // value over 200
  };
  for (const std::string& line : malformed) {
    SCOPED_TRACE(line);
    write("\n" + line + "\n" + entryLines(";G;", "1", "NET8", "good"));
    EXPECT_EQ(valueOf("NET8"), "good");
  }
}

TEST_F(SettingsReader, LongLinesAreReadWholeAndLastLineNeedsNoLineEnd) {
  // A value line beyond 399 characters whose fields fit; a group over 200 is cut.
  const std::string key(200, 'K');
  const std::string clear(96, 'v');
  write(entryLines(";" + std::string(300, 'g') + ";", "          1", key, clear) +
        ";G;\n2;NET8;" + enc("last"));
  const SettingEntry& e = readSetting("", key, 0, path_);
  EXPECT_EQ(e.value, clear);
  EXPECT_EQ(e.number, 1);
  EXPECT_EQ(e.group, std::string(200, 'g'));
  EXPECT_EQ(valueOf("NET8"), "last");
}

}  // namespace
}  // namespace ravlen

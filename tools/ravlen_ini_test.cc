// Runs the built ravlen-ini and reads what it wrote through the settings reader.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "settings/cipher.h"
#include "settings/settings_reader.h"

namespace ravlen {
namespace {

struct ToolResult {
  int exitCode;
  std::string out;
  std::string err;
};

std::string quoted(const std::string& arg) {
  std::string q = "'";
  for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class RavlenIni : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = ::testing::TempDir() + "ravlen_ini_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ini_ = base_ + ".ini";
    std::remove(ini_.c_str());
  }
  void TearDown() override {
    for (const char* suffix : {".ini", ".out", ".err"}) std::remove((base_ + suffix).c_str());
  }

  ToolResult run(const std::vector<std::string>& args) {
    std::string command = quoted(RAVLEN_BINARY_DIR "/ravlen-ini");
    for (const std::string& arg : args) command += " " + quoted(arg);
    command += " >" + quoted(base_ + ".out") + " 2>" + quoted(base_ + ".err");
    int status = std::system(command.c_str());
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return {code, slurp(base_ + ".out"), slurp(base_ + ".err")};
  }

  std::string base_, ini_;
};

TEST_F(RavlenIni, WrittenFileGivesTheFourValuesToTheReader) {
  ToolResult r = run({"schreiben", ini_, "--pass", "", "--login", "dwh_user",
                      "--net8", "//dbhost:1521/KORV", "--schema", "KALDERON"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(readSetting("", "NET8", 0, ini_).value, "//dbhost:1521/KORV");
  EXPECT_EQ(readSetting("", "SCHEMA", 0, ini_).value, "KALDERON ");
  EXPECT_EQ(readSetting("", "LOGIN", 0, ini_).value, "dwh_user");
  const SettingEntry& pass = readSetting("", "PASS", 0, ini_);
  EXPECT_EQ(pass.key, "PASS");  // found, not merely absent
  EXPECT_EQ(pass.value, "");

  std::istringstream lines(slurp(ini_));
  std::string group, value;
  int entries = 0;
  while (std::getline(lines, group) && std::getline(lines, value)) {
    ++entries;
    EXPECT_EQ(group, ";Datenbank;");
    EXPECT_EQ(value.find('\r'), std::string::npos);
    if (value.rfind("4;PASS;", 0) == 0) {
      EXPECT_EQ(value.size(), 7u + 16u);  // the empty value as one block
    }
  }
  EXPECT_EQ(entries, 4);
}

TEST_F(RavlenIni, EncipherAndDecipherRoundTrip) {
  ToolResult enc = run({"verschluesseln", "Geheim 123;x"});
  ASSERT_EQ(enc.exitCode, 0) << enc.err;
  EXPECT_EQ(enc.out, encipherValue("Geheim 123;x", kSettingsKey) + "\n");
  std::string hex = enc.out.substr(0, enc.out.size() - 1);
  ToolResult dec = run({"decipher", hex});
  ASSERT_EQ(dec.exitCode, 0) << dec.err;
  EXPECT_EQ(dec.out, "Geheim 123;x\n");
  EXPECT_EQ(run({"encipher", "Geheim 123;x"}).out, enc.out);
  EXPECT_EQ(run({"entschluesseln", run({"encipher", ""}).out.substr(0, 16)}).out, "\n");
}

TEST_F(RavlenIni, RefusesWhatTheFileCannotHold) {
  ToolResult tooLong = run({"verschluesseln", std::string(97, 'x')});
  EXPECT_EQ(tooLong.exitCode, 2);
  EXPECT_EQ(tooLong.err, "ravlen-ini: Wert zu lang (hoechstens 96 Zeichen)\n");
  EXPECT_EQ(run({"verschluesseln", std::string(96, 'x')}).exitCode, 0);

  // SCHEMA gets its blank, so it may hold one character less.
  std::vector<std::string> write = {"write", ini_, "--net8", "n", "--schema", std::string(96, 's'),
                                    "--login", "l", "--pass", "p"};
  ToolResult schema = run(write);
  EXPECT_EQ(schema.exitCode, 2);
  EXPECT_NE(schema.err.find("hoechstens 95 Zeichen"), std::string::npos) << schema.err;
  EXPECT_TRUE(slurp(ini_).empty());
  write[5] = std::string(95, 's');
  ASSERT_EQ(run(write).exitCode, 0);
  EXPECT_EQ(readSetting("", "SCHEMA", 0, ini_).value, std::string(95, 's') + " ");

  EXPECT_EQ(run({"verschluesseln", "zwei\nZeilen"}).exitCode, 2);
  EXPECT_EQ(run({"schreiben", ini_, "--net8", "n", "--schema", "s", "--login", "l"}).exitCode, 2);
  EXPECT_EQ(run({"entschluesseln", "4597f94e78dd9861"}).exitCode, 2);
  EXPECT_EQ(run({"loeschen"}).exitCode, 2);
}

TEST_F(RavlenIni, HelpAndMisuse) {
  ToolResult help = run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("Leerzeichen"), std::string::npos);
  EXPECT_EQ(run({"-h"}).exitCode, 0);
  ToolResult bare = run({});
  EXPECT_EQ(bare.exitCode, 2);
  EXPECT_EQ(bare.err, help.out);
}

}  // namespace
}  // namespace ravlen

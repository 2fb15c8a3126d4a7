// Start-up against a real embedded database and settings file: the command
// line forms, the window rules, the early ends and their exact messages.
#include "run/start_up.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <vector>

#include "db/session.h"
#include "run/console_texts.h"
#include "settings/cipher.h"
#include "settings/settings_writer.h"
#include "sql/calendar.h"
#include "tests/support/embedded_db.h"

namespace ravlen {
namespace {

using testing::execSql;
using testing::TempDir;

class StartUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    today_ = testing::localToday();
    year_ = std::stoi(today_.substr(0, 4));
    lastDay_ = std::to_string(year_ + 1) + "0630";
    execSql(dir_.file("KALDERON.db"), testing::schemaSql("kalderon.sql"));
    execSql(dir_.file("KORV.db"), "create table Unused(x INTEGER);");
    testing::fillCalendar(dir_.file("KALDERON.db"),
                          std::to_string(year_ - 1) + "0101", lastDay_);
    writeSettings("KORV");
  }
  void TearDown() override { session().disconnect(); }

  void writeSettings(const std::string& schema) {
    std::ofstream(ini_) << settingsFileText(
        {"sqlite:" + dir_.path(), schema, "ravlen", "geheim"});
  }

  // Runs start-up with the arguments after the program name.
  int start(std::vector<std::string> args) {
    args.insert(args.begin(), "ravlen");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    int end = startUp(static_cast<int>(argv.size()), argv.data(), out, params_);
    std::fclose(out);
    output_.assign(buffer, size);
    std::free(buffer);
    return end;
  }

  void expectWindow(const std::string& von, const std::string& bis) {
    EXPECT_EQ(params_.vonDatum.str(), von);
    EXPECT_EQ(params_.bisDatum.str(), bis);
  }

  TempDir dir_;
  std::string ini_ = dir_.file("x.ini");
  std::string today_, lastDay_, output_;
  int year_ = 0;
  RunParameters params_;
};

TEST_F(StartUpTest, TooFewArgumentsPrintBannerAndUsage) {
  for (auto args : {std::vector<std::string>{}, std::vector<std::string>{ini_}}) {
    EXPECT_EQ(start(args), 99);
    EXPECT_EQ(output_, std::string(kBanner) + kUsage);
  }
  EXPECT_FALSE(session().connected()) << "no database access";
  EXPECT_NE(std::string(kUsage).find("\\D f\xFCr Debugausgaben angehangen werden \n"),
            std::string::npos);
}

TEST_F(StartUpTest, EarlyEndsBeforeTheWindow) {
  EXPECT_EQ(start({dir_.file("none.ini"), "20240101"}), 99);
  EXPECT_EQ(output_, "INI-Datei nicht gefunden \n");

  writeSettings("NOSUCH");
  EXPECT_EQ(start({ini_, "20240101"}), 99);
  EXPECT_EQ(output_, "Db-Connect fehlgeschlagen \n");

  writeSettings("KORV");
  execSql(dir_.file("KALDERON.db"), "drop table Zev133Bak;");
  EXPECT_EQ(start({ini_, "20240101", "20240131"}), -1);
  EXPECT_EQ(output_, "Der Basiskalender konnte nicht gelesen werden\n");
}

TEST_F(StartUpTest, DateForm) {
  std::string nextYearEnd = std::to_string(year_ + 1) + "1231";
  ASSERT_EQ(start({ini_, "20240101"}), kProceed) << output_;
  expectWindow("20240101", lastDay_);  // 31 Dec of next year, cut
  EXPECT_EQ(output_, "");
  EXPECT_EQ(params_.debug, 0);

  ASSERT_EQ(start({ini_, "20240101", "/D"}), kProceed);
  expectWindow("20240101", today_);
  EXPECT_EQ(params_.debug, 1);
  EXPECT_EQ(output_, kBanner);

  ASSERT_EQ(start({ini_, "20240101", "20240131", "GEW"}), kProceed);
  expectWindow("20240101", "20240131");
  EXPECT_EQ(params_.auswertungsname, "GEW");
  EXPECT_EQ(params_.debug, 0);

  ASSERT_EQ(start({ini_, "20240101", "20240131", "GEW", "/D"}), kProceed);
  EXPECT_EQ(params_.auswertungsname, "GEW");
  EXPECT_EQ(params_.debug, 1);

  ASSERT_EQ(start({ini_, "20240101", "20240131", "/D"}), kProceed);
  EXPECT_TRUE(params_.auswertungsname.empty());
  EXPECT_EQ(params_.debug, 1);

  ASSERT_EQ(start({ini_, "20240101", "20240131", "GEW", "x", "/D"}), kProceed);
  expectWindow("20240101", today_);  // six arguments: BisDatum stays today
  EXPECT_TRUE(params_.auswertungsname.empty());
  EXPECT_EQ(params_.debug, 0);

  ASSERT_EQ(start({ini_, "20240101", "20240131", "/d"}), kProceed);
  EXPECT_EQ(params_.auswertungsname, "/d") << "only /D is the switch";
}

TEST_F(StartUpTest, WindowErrors) {
  EXPECT_EQ(start({ini_, "20240201", "20240131"}), -1);
  EXPECT_EQ(output_, "Ravlen: Error (VonDatum > BisDatum.\n");
  EXPECT_EQ(start({ini_, "20240101", "/d"}), -1) << "/d is taken as BisDatum";
  EXPECT_EQ(output_, "Ravlen: Error (VonDatum > BisDatum.\n");

  EXPECT_EQ(start({ini_, "202401011", "20240131x"}), -1);
  EXPECT_EQ(output_, "Ravlen: Error (Datum laenger als 8 Zeichen: 202401011).\n");
  EXPECT_EQ(start({ini_, "20240101", "20240131", std::string(51, 'N')}), -1);
  EXPECT_NE(output_.find("Auswertungsname laenger als 50 Zeichen"),
            std::string::npos);
  ASSERT_EQ(start({ini_, "20240101", "20240131", std::string(50, 'N')}),
            kProceed);
}

TEST_F(StartUpTest, RunModes) {
  ASSERT_EQ(start({ini_, "2"}), kProceed);
  DateText first, last;
  ASSERT_TRUE(monthBounds(DateText(today_), first, last).ok());
  expectWindow(first.str(), last.str());

  ASSERT_EQ(start({ini_, "3"}), kProceed);
  expectWindow(std::to_string(year_ - 1) + "0101", lastDay_);

  ASSERT_EQ(start({ini_, "7"}), kProceed);
  expectWindow(today_, today_);
  ASSERT_EQ(start({ini_, "x"}), kProceed);
  expectWindow(today_, today_);

  ASSERT_EQ(start({ini_, "3", "/D"}), kProceed);
  EXPECT_EQ(params_.debug, 1);
  EXPECT_EQ(output_, kBanner);
  ASSERT_EQ(start({ini_, "3", "x", "/D"}), kProceed);
  EXPECT_EQ(params_.debug, 0);
  EXPECT_EQ(output_, "");
}

TEST_F(StartUpTest, EarlierBisDatumStays) {
  ASSERT_EQ(start({ini_, "20240101", "20240105"}), kProceed);
  expectWindow("20240101", "20240105");
}

// A calendar without today: a window that takes a bound from today is
// refused; one given in full is not. The checks of the command line answer
// first where they catch the empty today.
TEST_F(StartUpTest, TodayOutsideTheCalendar) {
  execSql(dir_.file("KALDERON.db"),
          "delete from Zev133Bak where BakDtm>=" +
              std::to_string(testing::julianOf(std::to_string(year_) + "0101")));
  for (const char* art : {"2", "3", "7"}) {
    EXPECT_EQ(start({ini_, art}), -1) << art;
    EXPECT_EQ(output_, kTodayUnreadable);
  }
  EXPECT_EQ(start({ini_, "20240101", "/D"}), -1) << "BisDatum would be today";
  EXPECT_EQ(output_, std::string(kBanner) + kWindowError);

  std::string lastYear = std::to_string(year_ - 1);
  ASSERT_EQ(start({ini_, lastYear + "0101", lastYear + "0105"}), kProceed)
      << output_;
  expectWindow(lastYear + "0101", lastYear + "0105");
}

TEST_F(StartUpTest, DateArgumentsThatAreNoDays) {
  EXPECT_EQ(start({ini_, "2024", "20241231"}), -1);
  EXPECT_EQ(output_, "Ravlen: Error (Ungueltiges Datum: 2024).\n");
  EXPECT_EQ(start({ini_, "20240101", "20240230"}), -1);
  EXPECT_EQ(output_, "Ravlen: Error (Ungueltiges Datum: 20240230).\n");
  EXPECT_EQ(start({ini_, "00000000"}), -1) << "BisDatum from today";
  EXPECT_EQ(output_, "Ravlen: Error (Ungueltiges Datum: 00000000).\n");
  EXPECT_EQ(start({ini_, "", "20240131", "GEW"}), -1);
  EXPECT_EQ(output_, "Ravlen: Error (Ungueltiges Datum: ).\n");

  // The earlier checks keep their messages.
  EXPECT_EQ(start({ini_, "2024013x", "20240131"}), -1);
  EXPECT_EQ(output_, kWindowError);
  EXPECT_EQ(start({ini_, "20240101", "/d"}), -1);
  EXPECT_EQ(output_, kWindowError);
  EXPECT_EQ(start({ini_, "2024010x1", "20240131x"}), -1);
  EXPECT_EQ(output_, "Ravlen: Error (Datum laenger als 8 Zeichen: 2024010x1).\n");

  ASSERT_EQ(start({ini_, "20240229", "20240301"}), kProceed) << output_;
}

// Settings that cannot lead to a sound connect end the start before it.
TEST_F(StartUpTest, UnusableSettings) {
  auto expectRefused = [&](std::vector<std::string> args,
                           const std::string& message) {
    EXPECT_EQ(start(args), 99);
    EXPECT_EQ(output_, message);
    EXPECT_FALSE(session().connected());
  };
  expectRefused({dir_.path(), "20240101"},
                "Ravlen: Error (INI-Datei nicht lesbar: " + dir_.path() + ").\n");
  if (geteuid() != 0) {  // the super-user reads any file
    std::string closed = dir_.file("closed.ini");
    std::ofstream(closed) << "x";
    chmod(closed.c_str(), 0);
    expectRefused({closed, "20240101"},
                  "Ravlen: Error (INI-Datei nicht lesbar: " + closed + ").\n");
  }

  std::string net8 = "sqlite:" + dir_.path();
  std::ofstream(ini_) << settingsFileText({"", "KORV", "ravlen", "geheim"});
  expectRefused({ini_, "20240101"}, kNet8Empty);
  std::string full = settingsFileText({net8, "KORV", "ravlen", "geheim"});
  std::ofstream(ini_) << full.substr(full.find("\n", full.find("NET8")) + 1);
  expectRefused({ini_, "20240101"}, kNet8Empty);  // no NET8 entry at all

  auto damaged = [](const char* key) {
    return "Ravlen: Error (Wert von " + std::string(key) +
           " in der INI-Datei beschaedigt oder falsch verschluesselt).\n";
  };
  std::ofstream(ini_) << settingsFileText({net8 + "\x7F", "KORV", "ravlen", "g"});
  expectRefused({ini_, "20240101"}, damaged("NET8"));
  std::ofstream(ini_) << settingsFileText({net8, "KORV", "rav\tlen", "g"});
  expectRefused({ini_, "20240101"}, damaged("LOGIN"));
  // PASS enciphered under another key than the program's.
  full = settingsFileText({net8, "KORV", "ravlen", ""});
  std::ofstream(ini_) << full.substr(0, full.find("4;PASS;")) + "4;PASS;" +
                             encipherValue("geheimes Wort", "ANDERS") + "\n";
  expectRefused({ini_, "20240101"}, damaged("PASS"));
}

TEST_F(StartUpTest, SettingsWithLettersBeyondAsciiAreUsed) {
  std::ofstream(ini_) << settingsFileText(
      {"sqlite:" + dir_.path(), "KORV", "ravlen", "Gr\xFC\xDF Gott"});
  EXPECT_EQ(start({ini_, "20240101", "20240131"}), kProceed) << output_;
}

}  // namespace
}  // namespace ravlen

// Start-up against a real embedded database and settings file: the command
// line forms, the window rules, the early ends and their exact messages.
#include "run/start_up.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "db/session.h"
#include "run/console_texts.h"
#include "settings/cipher.h"
#include "settings/settings_writer.h"
#include "sql/calendar.h"
#include "tests/support/embedded_db.h"
#include "tests/support/oci_test_double.h"

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
                          std::to_string(std::min(year_ - 1, 2023)) + "0101",
                          lastDay_);
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
    char *outBuffer = nullptr, *errBuffer = nullptr;
    size_t outSize = 0, errSize = 0;
    std::FILE* out = open_memstream(&outBuffer, &outSize);
    std::FILE* err = open_memstream(&errBuffer, &errSize);
    int end =
        startUp(static_cast<int>(argv.size()), argv.data(), out, err, params_);
    std::fclose(out);
    std::fclose(err);
    output_.assign(outBuffer, outSize);
    errors_.assign(errBuffer, errSize);
    std::free(outBuffer);
    std::free(errBuffer);
    return end;
  }

  void expectWindow(const std::string& von, const std::string& bis) {
    EXPECT_EQ(params_.vonDatum.str(), von);
    EXPECT_EQ(params_.bisDatum.str(), bis);
  }

  TempDir dir_;
  std::string ini_ = dir_.file("x.ini");
  std::string today_, lastDay_, output_, errors_;
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
  EXPECT_EQ(errors_, "Ravlen: INI-Datei " + dir_.file("none.ini") +
                         ": No such file or directory\n");

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
  EXPECT_EQ(output_, "Ravlen: Error (Datum laenger als 8 Byte: 202401011).\n");
  EXPECT_EQ(start({ini_, "20240101", "20240131", std::string(51, 'N')}), -1);
  EXPECT_NE(output_.find("Auswertungsname laenger als 50 Byte"),
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
  EXPECT_EQ(output_, std::string(kBanner) + kTodayUnreadable);
  EXPECT_EQ(start({ini_, "20240101"}), -1) << "BisDatum from today's year";
  EXPECT_EQ(output_, kTodayUnreadable);

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
  EXPECT_EQ(output_, "Ravlen: Error (Datum laenger als 8 Byte: 2024010x1).\n");

  ASSERT_EQ(start({ini_, "20240229", "20240301"}), kProceed) << output_;
}

// A window that starts outside the base calendar is refused: the calendar
// cannot delimit its periods. BisDatum beyond the calendar is cut as ever.
TEST_F(StartUpTest, WindowOutsideTheCalendar) {
  std::string first = std::to_string(std::min(year_ - 1, 2023)) + "0101";
  std::string before = std::to_string(std::min(year_ - 1, 2023) - 1) + "1231";
  auto outside = [&](const std::string& von) {
    return "Ravlen: Error (VonDatum " + von +
           " liegt ausserhalb des Basiskalenders " + first + " bis " +
           lastDay_ + ").\n";
  };
  EXPECT_EQ(start({ini_, before, first}), -1);
  EXPECT_EQ(output_, outside(before));
  std::string after = std::to_string(year_ + 1) + "0701";
  EXPECT_EQ(start({ini_, after, after}), -1);
  EXPECT_EQ(output_, outside(after));
  ASSERT_EQ(start({ini_, first, after}), kProceed) << output_;
  expectWindow(first, lastDay_);

  session().disconnect();
  execSql(dir_.file("KALDERON.db"), "delete from Zev133Bak;");
  EXPECT_EQ(start({ini_, "20240101", "20240131"}), -1);
  EXPECT_EQ(output_, kCalendarEmpty);
}

// Every failure before the session is open ends alike: the fixed message
// on standard output, exit code 99, the cause as one line on standard error,
// never the password.
TEST_F(StartUpTest, FailedStartsSayWhy) {
  const std::string dir = "sqlite:" + dir_.path();
  const std::string password = "Geheim#42";
  struct Case {
    std::string what, ini, cause;
  };
  auto settings = [&](const std::string& net8, const std::string& schema,
                      const std::string& login, const std::string& pass) {
    std::string file = dir_.file("c" + std::to_string(std::rand()) + ".ini");
    std::ofstream(file) << settingsFileText({net8, schema, login, pass});
    return file;
  };
  std::string noNet8 = settings(dir, "KORV", "ravlen", password);
  {
    std::ifstream in(noNet8);
    std::string all((std::istreambuf_iterator<char>(in)), {});
    std::ofstream(noNet8) << all.substr(all.find("\n", all.find("NET8")) + 1);
  }
  std::string otherKey = settings(dir, "KORV", "ravlen", "");
  {
    std::ifstream in(otherKey);
    std::string all((std::istreambuf_iterator<char>(in)), {});
    std::ofstream(otherKey) << all.substr(0, all.find("4;PASS;")) + "4;PASS;" +
                                   encipherValue("geheimes Wort", "ANDERS") +
                                   "\n";
  }
  std::string plainFile = dir_.file("plain");
  std::ofstream(plainFile) << "x";
  // Any other service goes to the Oracle client: here its test double,
  // which knows no service and answers as the client does.
  testing::ScopedEnv oracleHome("ORACLE_HOME", testing::ociDoubleHome());
  const Case cases[] = {
      {"settings file is a directory", dir_.path(), "nicht lesbar"},
      {"endless line", "/dev/zero", "Zeile ueber 4096 Byte"},
      {"NET8 empty", settings("", "KORV", "ravlen", password),
       "NET8 in der INI-Datei fehlt"},
      {"no NET8 entry", noNet8, "NET8 in der INI-Datei fehlt"},
      {"damaged value", settings(dir, "KORV", "rav\tlen", password),
       "Wert von LOGIN in der INI-Datei beschaedigt"},
      {"another key", otherKey, "Wert von PASS in der INI-Datei beschaedigt"},
      {"no database directory",
       settings(dir + "/none", "KORV", "ravlen", password), "ORA-01034"},
      {"a file in its place",
       settings("sqlite:" + plainFile, "KORV", "ravlen", password),
       "ORA-01034"},
      {"unknown service", settings("PROD", "KORV", "ravlen", password),
       "ORA-12154"},
      {"invalid schema name", settings(dir, "KO-RV", "ravlen", password),
       "ORA-00922"},
      {"unknown schema", settings(dir, "NOSUCH", "ravlen", password),
       "ORA-01435"},
      {"damaged database file", settings(dir, "KORV", "ravlen", password),
       "DAMAGED.db nicht nutzbar"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.what == "damaged database file")
      std::ofstream(dir_.file("DAMAGED.db")) << std::string(4096, 'x');
    EXPECT_EQ(start({c.ini, "20240101", "20240131"}), 99);
    EXPECT_EQ(output_, kConnectFailed);
    EXPECT_EQ(errors_.rfind("Ravlen: Db-Connect fehlgeschlagen: ", 0), 0u)
        << errors_;
    EXPECT_NE(errors_.find(c.cause), std::string::npos) << errors_;
    EXPECT_EQ(errors_.find('\n'), errors_.size() - 1) << "one line";
    EXPECT_EQ(errors_.find(password), std::string::npos);
    EXPECT_FALSE(session().connected());
  }
}

TEST_F(StartUpTest, SettingsWithLettersBeyondAsciiAreUsed) {
  std::ofstream(ini_) << settingsFileText(
      {"sqlite:" + dir_.path(), "KORV", "ravlen", "Gr\xFC\xDF Gott"});
  EXPECT_EQ(start({ini_, "20240101", "20240131"}), kProceed) << output_;
}

}  // namespace
}  // namespace ravlen

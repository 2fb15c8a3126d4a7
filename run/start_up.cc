#include "run/start_up.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "db/sqlhlp.h"
#include "run/console_texts.h"
#include "settings/settings_reader.h"
#include "sql/calendar.h"

namespace ravlen {
namespace {

struct ConnectionSettings {
  std::string net8, schema, login, pass;
};

bool settingsFileExists(const char* path) {
  std::FILE* file = std::fopen(path, "r");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

std::string readValue(const char* key, const char* path) {
  return readSetting("", key, 0, path).value.str();
}

// The four settings; the schema name is the SCHEMA value less its last
// character (the settings files store it with one trailing character).
ConnectionSettings readConnectionSettings(const char* path) {
  ConnectionSettings s;
  s.net8 = readValue("NET8", path);
  s.schema = readValue("SCHEMA", path);
  if (!s.schema.empty()) s.schema.pop_back();
  s.login = readValue("LOGIN", path);
  s.pass = readValue("PASS", path);
  return s;
}

bool isDebugSwitch(const char* arg) { return std::strcmp(arg, kDebugSwitch) == 0; }

void switchDebugOn(std::FILE* out, RunParameters& p) {
  p.debug = 1;
  std::fputs(kBanner, out);
}

// The year of a date text: the integer value of its first four characters.
long yearOf(const DateText& date) {
  return std::atol(std::string(date.view().substr(0, 4)).c_str());
}

std::string yearText(long year, const char* monthDay) {
  char text[32];
  std::snprintf(text, sizeof text, "%4ld%s", year, monthDay);
  return text;
}

// The window of the run-mode form "Inidatei Art [/D]".
void runModeWindow(int n, const char* const* argv, const DateText& today,
                   std::FILE* out, RunParameters& p) {
  if (n == 3 && isDebugSwitch(argv[3])) switchDebugOn(out, p);
  int art = std::atoi(argv[2]);
  if (art == 2) {
    p.vonDatum = std::string(today.view().substr(0, 6)) + "01";
    DateText lastOfMonth;
    if (shiftDate(p.vonDatum, 1, -1, lastOfMonth).ok()) p.bisDatum = lastOfMonth;
  } else if (art == 3) {
    long year = yearOf(today);
    p.vonDatum = yearText(year - 1, "0101");
    p.bisDatum = yearText(year + 1, "1231");
  }
}

int refuse(std::FILE* out, const char* format, const std::string& arg) {
  std::fprintf(out, format, arg.c_str());
  sqlEnd();
  return kExitWindow;
}

// The window of the date form "Inidatei DatumVon [DatumBis] [Name] [/D]".
int dateFormWindow(int n, const char* const* argv, const DateText& today,
                   std::FILE* out, RunParameters& p) {
  std::string von = argv[2], bis = today.str(), name;
  if (n == 2) bis = yearText(yearOf(today) + 1, "1231");
  if (n == 3) {
    if (isDebugSwitch(argv[3])) switchDebugOn(out, p); else bis = argv[3];
  }
  if (n == 4) {
    if (isDebugSwitch(argv[4])) switchDebugOn(out, p); else name = argv[4];
    bis = argv[3];
  }
  if (n == 5) {
    if (isDebugSwitch(argv[5])) switchDebugOn(out, p);
    name = argv[4];
    bis = argv[3];
  }
  if (von > bis) {
    std::fputs(kWindowError, out);
    sqlEnd();
    return kExitWindow;
  }
  if (!p.vonDatum.assignExact(von)) return refuse(out, kDateTooLong, von);
  if (!p.bisDatum.assignExact(bis)) return refuse(out, kDateTooLong, bis);
  if (!p.auswertungsname.assignExact(name))
    return refuse(out, kNameTooLong, name);
  return kProceed;
}

}  // namespace

int startUp(int argc, const char* const* argv, std::FILE* out,
            RunParameters& p) {
  p = RunParameters{};
  int n = argc - 1;
  if (n < 2) {
    std::fputs(kBanner, out);
    std::fputs(kUsage, out);
    return kExitCannotStart;
  }
  const char* settingsPath = argv[1];
  if (!settingsFileExists(settingsPath)) {
    std::fputs(kIniNotFound, out);
    return kExitCannotStart;
  }
  ConnectionSettings s = readConnectionSettings(settingsPath);
  if (sqlConnect(s.login, s.pass, s.net8, s.schema) != 0) {
    std::fputs(kConnectFailed, out);
    return kExitCannotStart;
  }
  DateText today;
  readToday(today);  // a failure leaves today empty
  p.vonDatum = today;
  p.bisDatum = today;
  if (std::strlen(argv[2]) == 1) {
    runModeWindow(n, argv, today, out, p);
  } else if (int end = dateFormWindow(n, argv, today, out, p); end != kProceed) {
    return end;
  }
  DateText lastDay;
  if (!readLastCalendarDay(lastDay).ok()) {
    std::fputs(kCalendarUnreadable, out);
    return kExitWindow;
  }
  if (p.bisDatum > lastDay) p.bisDatum = lastDay;
  return kProceed;
}

}  // namespace ravlen

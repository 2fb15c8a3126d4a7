#include "run/start_up.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "db/session.h"
#include "db/sqlhlp.h"
#include "run/console_texts.h"
#include "run/date_argument.h"
#include "settings/settings_reader.h"
#include "sql/calendar.h"

namespace ravlen {
namespace {

struct ConnectionSettings {
  std::string net8, schema, login, pass;
};

// A failure before the session is open: the fixed message on standard
// output, the cause as one line on standard error. The cause never shows
// the password, and control characters (a server's message may span lines)
// become blanks.
int connectFailed(std::FILE* out, std::FILE* err, std::string cause,
                  const std::string& password = "") {
  if (!password.empty()) {
    for (size_t at; (at = cause.find(password)) != std::string::npos;)
      cause.replace(at, password.size(), "***");
  }
  for (char& c : cause) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  while (!cause.empty() && cause.back() == ' ') cause.pop_back();
  std::fputs(kConnectFailed, out);
  std::fprintf(err, kStartCause, cause.c_str());
  return kExitCannotStart;
}

template <typename... Args>
std::string format(const char* pattern, Args... args) {
  char text[1024];
  std::snprintf(text, sizeof text, pattern, args...);
  return text;
}

// The settings file must be there and readable. A file that cannot be
// opened gets the fixed message; one that opens but cannot be read (a
// directory) is a failed start like every other cause before the connect.
int checkSettingsFile(const char* path, std::FILE* out, std::FILE* err) {
  std::FILE* file = std::fopen(path, "r");
  if (file == nullptr) {
    std::string cause = std::strerror(errno);
    std::fputs(kIniNotFound, out);
    std::fprintf(err, kIniCause, path, cause.c_str());
    return kExitCannotStart;
  }
  char byte;
  bool readable = std::fread(&byte, 1, 1, file) == 1 || !std::ferror(file);
  std::string cause = readable ? "" : std::strerror(errno);
  std::fclose(file);
  if (readable) return kProceed;
  return connectFailed(out, err, format(kIniUnreadable, path, cause.c_str()));
}

std::string readValue(const char* key, const char* path) {
  return readSetting("", key, 0, path).value.str();
}

// A deciphered value with a control character (a byte below 0x20, or 0x7F)
// is damaged or was enciphered under another key.
bool looksDamaged(std::string_view value) {
  for (char c : value) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

// The four settings; the schema name is the SCHEMA value less its last
// character (the settings files store it with one trailing character, which
// is dropped unseen and therefore not checked). Returns kProceed, or 99
// after the messages for a file with an endless line, a damaged value or an
// empty NET8: such values would only end in a failed or misdirected connect.
int readConnectionSettings(const char* path, std::FILE* out, std::FILE* err,
                           ConnectionSettings& s) {
  s.net8 = readValue("NET8", path);
  if (lastSettingsFileState() == SettingsFileState::kLineTooLong)
    return connectFailed(out, err,
                         format(kIniLineTooLong, path, kMaxSettingsLineBytes));
  s.schema = readValue("SCHEMA", path);
  if (!s.schema.empty()) s.schema.pop_back();
  s.login = readValue("LOGIN", path);
  s.pass = readValue("PASS", path);
  const std::pair<const char*, const std::string*> values[] = {
      {"NET8", &s.net8}, {"SCHEMA", &s.schema},
      {"LOGIN", &s.login}, {"PASS", &s.pass}};
  for (const auto& [key, value] : values) {
    if (looksDamaged(*value))
      return connectFailed(out, err, format(kSettingDamaged, key));
  }
  if (s.net8.empty()) return connectFailed(out, err, kNet8Empty);
  return kProceed;
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
// `bisFromToday` tells whether BisDatum was derived from today.
int dateFormWindow(int n, const char* const* argv, const DateText& today,
                   std::FILE* out, RunParameters& p, bool& bisFromToday) {
  std::string von = argv[2], bis = today.str(), name;
  bisFromToday = n == 2 || n >= 6;
  if (n == 2) bis = yearText(yearOf(today) + 1, "1231");
  if (n == 3) {
    bisFromToday = isDebugSwitch(argv[3]);
    if (bisFromToday) switchDebugOn(out, p); else bis = argv[3];
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
  if (bisFromToday && today.empty()) return refuse(out, kTodayUnreadable, "");
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

// What the checks of the command line let through: a window that rests on
// a today the calendar does not hold (it would be built from empty or
// made-up bounds), and date arguments that are no days.
int checkWindow(bool usesToday, bool dateForm, const DateText& today,
                std::FILE* out, const RunParameters& p) {
  if (usesToday && today.empty()) return refuse(out, kTodayUnreadable, "");
  if (!dateForm) return kProceed;
  for (const DateText* bound : {&p.vonDatum, &p.bisDatum}) {
    if (!isCalendarDate(bound->view()))
      return refuse(out, kDateInvalid, bound->str());
  }
  return kProceed;
}

// A window that starts outside the base calendar would be built from
// periods the calendar cannot delimit: before its first day every level
// collapses into one period, after its last day the clear-downs delete
// what nothing rebuilds. BisDatum beyond the last day is cut to it later.
int checkCalendarRange(std::FILE* out, const DateText& lastDay,
                       const RunParameters& p) {
  DateText firstDay;
  if (!readFirstCalendarDay(firstDay).ok()) {
    std::fputs(kCalendarUnreadable, out);
    sqlEnd();
    return kExitWindow;
  }
  if (lastDay.empty() || firstDay.empty()) {
    std::fputs(kCalendarEmpty, out);
    sqlEnd();
    return kExitWindow;
  }
  if (p.vonDatum < firstDay || p.vonDatum > lastDay) {
    std::fprintf(out, kOutsideCalendar, p.vonDatum.c_str(), firstDay.c_str(),
                 lastDay.c_str());
    sqlEnd();
    return kExitWindow;
  }
  return kProceed;
}

}  // namespace

int startUp(int argc, const char* const* argv, std::FILE* out,
            std::FILE* err, RunParameters& p) {
  p = RunParameters{};
  int n = argc - 1;
  if (n < 2) {
    std::fputs(kBanner, out);
    std::fputs(kUsage, out);
    return kExitCannotStart;
  }
  const char* settingsPath = argv[1];
  if (int end = checkSettingsFile(settingsPath, out, err); end != kProceed)
    return end;
  ConnectionSettings s;
  if (int end = readConnectionSettings(settingsPath, out, err, s);
      end != kProceed)
    return end;
  if (int32_t status = sqlConnect(s.login, s.pass, s.net8, s.schema);
      status != 0) {
    std::string cause = session().lastError();
    if (cause.empty()) cause = "Status " + std::to_string(status);
    session().disconnect();
    return connectFailed(out, err, cause, s.pass);
  }
  if (std::string notice = session().notice(); !notice.empty())
    std::fprintf(err, kStartNotice, notice.c_str());
  DateText today;
  readToday(today);  // a failure leaves today empty; see checkWindow
  p.vonDatum = today;
  p.bisDatum = today;
  bool dateForm = std::strlen(argv[2]) != 1;
  bool usesToday = true;  // every run mode
  if (!dateForm) {
    runModeWindow(n, argv, today, out, p);
  } else if (int end = dateFormWindow(n, argv, today, out, p, usesToday);
             end != kProceed) {
    return end;
  }
  DateText lastDay;
  if (!readLastCalendarDay(lastDay).ok()) {
    std::fputs(kCalendarUnreadable, out);
    return kExitWindow;
  }
  if (int end = checkWindow(usesToday, dateForm, today, out, p);
      end != kProceed)
    return end;
  if (int end = checkCalendarRange(out, lastDay, p); end != kProceed)
    return end;
  if (p.bisDatum > lastDay) p.bisDatum = lastDay;
  return kProceed;
}

}  // namespace ravlen

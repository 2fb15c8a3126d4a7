// ravlen-ini: operator tool for Ravlen's settings file. It enciphers and
// deciphers single values under the settings key and writes a complete
// settings file with the four connection values NET8, SCHEMA, LOGIN, PASS.
//
// Contract:
//  - "verschluesseln WERT" prints the enciphered text; "entschluesseln HEX"
//    prints the clear text; "schreiben DATEI --net8 X --schema S --login L
//    --pass P" writes the file (LF line ends, an existing file is replaced);
//    English aliases encipher, decipher, write;
//  - every entry is the group line ";Datenbank;" and a value line with a
//    number from 1, so that Ravlen's request (empty group, number 0) finds
//    each value by its key only;
//  - SCHEMA is stored with one blank appended, since Ravlen drops the last
//    character of that value;
//  - an empty value is stored as one enciphered block of zero bytes, so the
//    value field is never empty;
//  - a stored value holds at most 96 clear bytes (200 hexadecimal digits fit
//    12 blocks) and no zero byte or line break; anything else is refused;
//  - "--version" prints "ravlen-ini VERSION";
//  - exit codes: 0 done, help or version, 1 file not writable, 2 misuse or
//    refused value. Messages are German, errors go to standard error.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "ravlen_version.h"
#include "settings/cipher.h"
#include "settings/settings_writer.h"

namespace ravlen {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitWriteFailed = 1;
constexpr int kExitUsage = 2;

constexpr int kSchemaSlot = 1;  // index of SCHEMA in WriteRequest

const char kHelp[] =
    "ravlen-ini: Werkzeug fuer die Ini-Datei von Ravlen\n"
    "\n"
    "Aufruf:\n"
    "  ravlen-ini verschluesseln WERT\n"
    "      gibt WERT verschluesselt aus (Hexadezimaltext wie in der Ini-Datei)\n"
    "  ravlen-ini entschluesseln HEX\n"
    "      gibt den Klartext eines verschluesselten Werts aus\n"
    "  ravlen-ini schreiben DATEI --net8 NET8 --schema SCHEMA --login LOGIN --pass PASS\n"
    "      schreibt eine vollstaendige Ini-Datei mit den vier Werten;\n"
    "      eine vorhandene Datei wird ueberschrieben\n"
    "  ravlen-ini --help | -h\n"
    "      zeigt diesen Text\n"
    "  ravlen-ini --version\n"
    "      zeigt die Version\n"
    "\n"
    "Englische Befehlsnamen: encipher, decipher, write.\n"
    "\n"
    "Hinweise:\n"
    "  - Ravlen liest SCHEMA ohne das letzte Zeichen. \"schreiben\" haengt daher\n"
    "    an den SCHEMA-Wert ein Leerzeichen an (\"verschluesseln\" tut das nicht).\n"
    "  - Ein Wert hat hoechstens 96 Zeichen (SCHEMA hoechstens 95), ohne Nullbyte\n"
    "    und ohne Zeilenumbruch. Ein leerer Wert (z. B. --pass \"\") ist erlaubt.\n"
    "  - Jeder Eintrag erhaelt die Gruppe \"Datenbank\" und eine Nummer ab 1.\n"
    "\n"
    "Rueckgabewert: 0 erfolgreich, 1 Datei nicht schreibbar,\n"
    "2 falscher Aufruf oder unzulaessiger Wert.\n";

int misuse(const std::string& message) {
  std::fprintf(stderr, "ravlen-ini: %s\nHilfe: ravlen-ini --help\n", message.c_str());
  return kExitUsage;
}

// Prints the German reason and returns false when `value` cannot be stored.
// `option` names the option the value came from, empty for a lone value.
bool checkValue(std::string_view value, std::string_view option, size_t limit) {
  std::string reason;
  if (value.size() > limit) {
    reason = "Wert zu lang (hoechstens " + std::to_string(limit) + " Zeichen)";
  } else if (value.find('\0') != std::string_view::npos) {
    reason = "Wert enthaelt ein Nullbyte";
  } else if (value.find_first_of("\r\n") != std::string_view::npos) {
    reason = "Wert enthaelt einen Zeilenumbruch";
  }
  if (reason.empty()) return true;
  if (!option.empty()) reason += " bei " + std::string(option);
  std::fprintf(stderr, "ravlen-ini: %s\n", reason.c_str());
  return false;
}

bool isEncipheredText(std::string_view text) {
  return text.size() % 16 == 0 &&
         text.find_first_not_of("0123456789ABCDEF") == std::string_view::npos;
}

int runEncipher(const std::vector<std::string>& args) {
  if (args.size() != 1) return misuse("verschluesseln erwartet genau einen WERT");
  if (!checkValue(args[0], "", kMaxClearChars)) return kExitUsage;
  std::printf("%s\n", storedSettingText(args[0]).c_str());
  return kExitOk;
}

int runDecipher(const std::vector<std::string>& args) {
  if (args.size() != 1) return misuse("entschluesseln erwartet genau einen HEX-Wert");
  if (!isEncipheredText(args[0])) {
    return misuse("kein verschluesselter Wert (erwartet: Bloecke zu 16 Ziffern 0-9, A-F)");
  }
  std::vector<char> clear(args[0].size() / 2 + 1);
  decipherValue(args[0].c_str(), clear.data(), kSettingsKey);
  std::printf("%s\n", clear.data());
  return kExitOk;
}

struct WriteRequest {
  std::string path;
  // NET8, SCHEMA, LOGIN, PASS in file order, and whether each was given.
  const char* option[4] = {"--net8", "--schema", "--login", "--pass"};
  std::string value[4];
  bool given[4] = {false, false, false, false};
};

// Fills `request` from DATEI and the option pairs; returns an error text.
std::string parseWrite(const std::vector<std::string>& args, WriteRequest* request) {
  if (args.empty()) return "schreiben erwartet DATEI und die vier Angaben";
  request->path = args[0];
  for (size_t i = 1; i < args.size(); i += 2) {
    int slot = -1;
    for (int k = 0; k < 4; ++k) {
      if (args[i] == request->option[k]) slot = k;
    }
    if (slot < 0) return "unbekannte Angabe: " + args[i];
    if (i + 1 >= args.size()) return "Wert fehlt nach " + args[i];
    if (request->given[slot]) return "Angabe doppelt: " + args[i];
    request->given[slot] = true;
    request->value[slot] = args[i + 1];
  }
  for (int k = 0; k < 4; ++k) {
    if (!request->given[k]) return std::string("Angabe fehlt: ") + request->option[k];
  }
  return "";
}

bool writeFile(const std::string& path, const std::string& content) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
  return std::fclose(file) == 0 && written;
}

int runWrite(const std::vector<std::string>& args) {
  WriteRequest request;
  std::string error = parseWrite(args, &request);
  if (!error.empty()) return misuse(error);
  for (int k = 0; k < 4; ++k) {
    size_t limit = k == kSchemaSlot ? kMaxClearChars - 1 : kMaxClearChars;
    if (!checkValue(request.value[k], request.option[k], limit)) return kExitUsage;
  }
  ConnectionValues values{request.value[0], request.value[1], request.value[2],
                          request.value[3]};
  std::string content = settingsFileText(values);
  if (!writeFile(request.path, content)) {
    std::fprintf(stderr, "ravlen-ini: Datei kann nicht geschrieben werden: %s\n",
                 request.path.c_str());
    return kExitWriteFailed;
  }
  std::printf("ravlen-ini: Ini-Datei %s geschrieben\n", request.path.c_str());
  return kExitOk;
}

int runTool(int argc, char** argv) {
  if (argc < 2) {
    std::fputs(kHelp, stderr);
    return kExitUsage;
  }
  std::string command = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "--help" || command == "-h") {
    std::fputs(kHelp, stdout);
    return kExitOk;
  }
  if (command == "--version") {
    std::printf("ravlen-ini %s\n", kRavlenVersion);
    return kExitOk;
  }
  if (command == "verschluesseln" || command == "encipher") return runEncipher(args);
  if (command == "entschluesseln" || command == "decipher") return runDecipher(args);
  if (command == "schreiben" || command == "write") return runWrite(args);
  return misuse("unbekannter Befehl: " + command);
}

}  // namespace
}  // namespace ravlen

int main(int argc, char** argv) { return ravlen::runTool(argc, argv); }

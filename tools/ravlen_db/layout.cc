#include "tools/ravlen_db/layout.h"

#include <cctype>
#include <filesystem>
#include <vector>

namespace ravlen {
namespace fs = std::filesystem;

namespace {

std::string upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool isSchemaName(std::string_view name) {
  if (name.empty() || name.size() > 128 || !isAsciiLetter(name[0])) return false;
  for (char c : name) {
    bool ok = isAsciiLetter(c) || (c >= '0' && c <= '9') || c == '_' || c == '$' || c == '#';
    if (!ok) return false;
  }
  return true;
}

bool isApplicationSchemaName(std::string_view name) {
  return isSchemaName(name) && upper(name) != kSystemSchema;
}

std::string schemaFile(const std::string& dir, std::string_view schema) {
  return (fs::path(dir) / (upper(schema) + ".db")).string();
}

std::string findApplicationSchema(const std::string& dir,
                                  std::string_view given, std::string* schema) {
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return dir + ": kein Verzeichnis";
  if (!fs::exists(schemaFile(dir, kSystemSchema), ec)) {
    return dir + ": KALDERON.db fehlt (zuerst: ravlen-db init " + dir + ")";
  }
  if (!given.empty()) {
    if (!isApplicationSchemaName(given)) return "ungueltiger Schemaname: " + std::string(given);
    if (!fs::exists(schemaFile(dir, given), ec)) {
      return schemaFile(dir, given) + " fehlt";
    }
    *schema = upper(given);
    return "";
  }
  std::vector<std::string> found;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
    fs::path file = entry.path();
    std::string stem = file.stem().string();
    if (file.extension() == ".db" && isApplicationSchemaName(stem) &&
        stem == upper(stem)) {
      found.push_back(stem);
    }
  }
  if (found.size() != 1) {
    return dir + (found.empty() ? ": keine Anwendungsdatei (<SCHEMA>.db)"
                                : ": mehrere Anwendungsdateien, bitte --schema angeben");
  }
  *schema = found[0];
  return "";
}

}  // namespace ravlen

#include "settings/settings_writer.h"

#include "settings/cipher.h"

namespace ravlen {

std::string storedSettingText(std::string_view clear) {
  if (clear.empty()) return encipherValue(std::string(8, '\0'), kSettingsKey);
  return encipherValue(clear, kSettingsKey);
}

std::string settingsFileText(const ConnectionValues& v) {
  const std::string_view keys[4] = {"NET8", "SCHEMA", "LOGIN", "PASS"};
  const std::string values[4] = {v.net8, v.schema + " ", v.login, v.pass};
  std::string text;
  for (int k = 0; k < 4; ++k) {
    text += ";Datenbank;\n";
    text += std::to_string(k + 1) + ";" + std::string(keys[k]) + ";" +
            storedSettingText(values[k]) + "\n";
  }
  return text;
}

}  // namespace ravlen

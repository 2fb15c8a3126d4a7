#include "db/kept_answers.h"

#include <algorithm>
#include <cstring>

#include "db/statement_scan.h"

namespace ravlen {

std::string inputKey(HostVars in) {
  std::string key;
  for (const HostVar& v : in) {
    key += static_cast<char>(v.kind);
    const char* bytes = static_cast<const char*>(v.address);
    if (v.kind == HostKind::kText) {
      size_t n = strnlen(bytes, v.bufferSize);
      key.append(reinterpret_cast<const char*>(&n), sizeof n);
      key.append(bytes, n);
    } else {
      key.append(bytes, v.bufferSize);
    }
  }
  return key;
}

std::optional<SqlStatus> KeptAnswers::find(SqlText text, HostVars in,
                                           HostVars out) {
  auto statement = statements_.find(text.id());
  if (statement == statements_.end()) return std::nullopt;
  auto answer = statement->second.answers.find(inputKey(in));
  if (answer == statement->second.answers.end()) return std::nullopt;
  const std::vector<Column>& columns = answer->second.columns;
  if (!columns.empty() && columns.size() != out.size()) return std::nullopt;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (columns[i].bytes.size() != (columns[i].null ? 0 : out[i].bufferSize))
      return std::nullopt;  // another output variable than the kept one
  }
  for (size_t i = 0; i < columns.size(); ++i) {
    const HostVar& v = out[i];
    if (v.indicator) *v.indicator = columns[i].null ? -1 : 0;
    if (!columns[i].null)
      std::memcpy(v.address, columns[i].bytes.data(), v.bufferSize);
  }
  return answer->second.status;
}

void KeptAnswers::keep(SqlText text, HostVars in, SqlStatus status,
                       HostVars stored) {
  if (!status.ok() && !status.noData()) return;
  Statement& statement = statements_[text.id()];
  if (statement.words.empty()) {
    statement.words = lowerWords(text.view());
    words_.insert(statement.words.begin(), statement.words.end());
  }
  Answer answer{status, {}};
  for (const HostVar& v : stored) {
    if (!status.ok()) break;
    bool null = *v.indicator == -1;
    answer.columns.push_back(
        {null, null ? std::string()
                    : std::string(static_cast<const char*>(v.address),
                                  v.bufferSize)});
  }
  statement.answers[inputKey(in)] = std::move(answer);
}

void KeptAnswers::written(const std::string& table) {
  if (!words_.contains(table)) return;
  for (auto& [id, statement] : statements_) {
    const std::vector<std::string>& words = statement.words;
    if (std::find(words.begin(), words.end(), table) != words.end())
      statement.answers.clear();
  }
}

}  // namespace ravlen

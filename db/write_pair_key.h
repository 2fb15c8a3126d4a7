// The key of a writer's pair (WritePattern), read from the two statement
// texts as the program writes them:
//
//   update T set ... where (K1=:b5 and K2=:b6)
//   insert into T (..., K1, ..., K2, ...) values (..., :b0, ..., :b1, ...)
//
// The key is the columns that the update's condition, a conjunction of
// "column = placeholder" and nothing else, compares; for each, the input
// of the update and the input of the insert that give its value (inputs
// counted as the placeholders occur in the text, from 0). The insert must
// be "insert into T (columns) values (one placeholder per column)" into
// the same table, and fill every key column. A backend can then tell
// before running the pair whether its two steps meet the same row: where
// both steps bind the same host variables for the key, the row that the
// update looks for is the row that the insert would make.
//
// Texts of any other shape (an expression, or an indicator placeholder
// where a key's value or an inserted value stands, say) have no key:
// readPairKey returns false.
#ifndef RAVLEN_DB_WRITE_PAIR_KEY_H_
#define RAVLEN_DB_WRITE_PAIR_KEY_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/backend.h"

namespace ravlen {

struct PairKey {
  std::string table;                 // as written, schema part included
  std::vector<std::string> columns;  // as written in the update
  std::vector<size_t> updateInputs;
  std::vector<size_t> insertInputs;
};

// The update's part alone: table, columns and the update's inputs (a term
// may also be written ":bN = C").
bool readUpdateKey(std::string_view update, PairKey* key);

bool readPairKey(WritePattern pattern, std::string_view first,
                 std::string_view second, PairKey* key);

// The inputs that an update's condition compares (readUpdateKey); empty
// where the condition has another shape.
std::vector<size_t> updateKeyInputs(std::string_view update);

// The key of one write from the update's inputs `in` at `inputs`: two
// writes whose keys differ change different rows (each row meets every
// term of the condition). Values that a server might compare as equal
// give the same key, so that such writes never pass for different: texts
// without trailing blanks and in upper case (a blank-padded or case-blind
// comparison), numbers by their value whatever their kind; an empty text
// is NULL and keys as "". nullopt when `inputs` is empty or names an input
// beyond `in`. The writers' inserts write the row of the update's key and
// their updates keep the key's columns.
std::optional<std::string> rowKey(HostVars in,
                                  const std::vector<size_t>& inputs);

// Whether the steps bind the same host variable to each key column.
bool sameKeyValues(const PairKey& key, const WriteSteps& steps);

}  // namespace ravlen

#endif  // RAVLEN_DB_WRITE_PAIR_KEY_H_

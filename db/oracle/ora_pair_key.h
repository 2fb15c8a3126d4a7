// The row that a writer's pair changes, as far as its update's text tells.
//
// updateKeyInputs() reads an update's WHERE clause as every backend does
// (write_pair_key.h): when the clause is a conjunction ("and",
// parentheses) of terms "column = :bN" (or ":bN = column"), the key is
// the inputs bound to those placeholders, numbered as the caller binds
// them (one per input occurrence, in text order). Any other clause (or,
// functions, constants, several tables) is not read: the result is empty.
//
// rowKey() makes the key of one pair from the update's inputs. Two pairs
// whose keys differ change different rows: each row of the table meets
// every term, so no row meets both pairs' values. Values that the server
// might compare as equal give the same key, so that such pairs never pass
// for different: texts without trailing blanks and in upper case (a
// blank-padded or case-blind comparison), numbers by their value whatever
// their kind; an empty text is NULL and keys as "".
// The pairs' inserts write the row of the update's key and the updates
// keep the key's columns, as the writers' patterns mean.
#ifndef RAVLEN_DB_ORACLE_ORA_PAIR_KEY_H_
#define RAVLEN_DB_ORACLE_ORA_PAIR_KEY_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/host_var.h"

namespace ravlen {

std::vector<size_t> updateKeyInputs(std::string_view updateText);

// nullopt when `inputs` is empty or names an input beyond `in`.
std::optional<std::string> rowKey(HostVars in,
                                  const std::vector<size_t>& inputs);

}  // namespace ravlen

#endif  // RAVLEN_DB_ORACLE_ORA_PAIR_KEY_H_

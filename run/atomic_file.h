// replaceFileAtomically: a file that readers see either as it was or whole
// with its new content, never half written.
//
// The content goes to a temporary file beside `path` (same directory, so
// the rename stays on one file system), is flushed to the disk, and the
// temporary file is then renamed over `path`. On any failure the temporary
// file is removed, `path` is left as it was, and *error tells why (German,
// with the system's reason).
#ifndef RAVLEN_RUN_ATOMIC_FILE_H_
#define RAVLEN_RUN_ATOMIC_FILE_H_

#include <string>
#include <string_view>

namespace ravlen {

bool replaceFileAtomically(const std::string& path, std::string_view content,
                           std::string* error);

}  // namespace ravlen

#endif  // RAVLEN_RUN_ATOMIC_FILE_H_

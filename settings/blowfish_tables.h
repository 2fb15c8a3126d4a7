// The initial Blowfish P-array and S-boxes: the hexadecimal digits of the
// fraction of pi, in order, 8 digits per word (P1..P18, then S1..S4).
//
// Contract: constant tables, read by the key schedule in cipher.cc only.
#ifndef RAVLEN_SETTINGS_BLOWFISH_TABLES_H_
#define RAVLEN_SETTINGS_BLOWFISH_TABLES_H_

#include <cstdint>

namespace ravlen {

extern const uint32_t kBlowfishInitialP[18];
extern const uint32_t kBlowfishInitialS[4][256];

}  // namespace ravlen

#endif  // RAVLEN_SETTINGS_BLOWFISH_TABLES_H_

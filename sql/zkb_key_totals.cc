#include "sql/zkb_key_totals.h"

namespace ravlen {
namespace {

int32_t add32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) +
                              static_cast<uint32_t>(b));
}

// The warehouse key within one scope (period code and day are the scope's),
// or "" when a part is empty and the row cannot meet a stored one.
std::string keyOf(const ZkbRecord& rec) {
  if (rec.ZkbPnr.empty() || rec.ZkbKst.empty() || rec.ZkbKtr.empty() ||
      rec.ZkbKrt.empty() || rec.ZkbZkt.empty())
    return {};
  std::string key(rec.ZkbPnr.view());
  for (std::string_view part : {rec.ZkbZkt.view(), rec.ZkbKst.view(),
                                rec.ZkbKtr.view(), rec.ZkbKrt.view()}) {
    key += '\x1f';
    key += part;
  }
  return key;
}

}  // namespace

void ZkbKeyTotals::startScope(bool scopeKeyComplete) {
  byKey_.clear();
  lastNumber_ = 0;
  scopeKeyComplete_ = scopeKeyComplete;
}

void ZkbKeyTotals::fold(ZkbRecord& rec, bool addDayCounts) {
  std::string key = scopeKeyComplete_ ? keyOf(rec) : std::string();
  auto found = key.empty() ? byKey_.end() : byKey_.find(key);
  if (found == byKey_.end()) {
    rec.ZkbNum = ++lastNumber_;
    if (!key.empty())
      byKey_[key] = {rec.ZkbNum, rec.ZkbStd, rec.ZkbTge,
                     rec.ZkbStg, rec.ZkbSto, rec.ZkbAnz};
    return;
  }
  Totals& t = found->second;
  t.std = rec.ZkbStd = add32(t.std, rec.ZkbStd);
  t.tge = rec.ZkbTge = add32(t.tge, rec.ZkbTge);
  t.stg = rec.ZkbStg = add32(t.stg, rec.ZkbStg);
  t.sto = rec.ZkbSto = add32(t.sto, rec.ZkbSto);
  if (addDayCounts) t.anz = rec.ZkbAnz = add32(t.anz, rec.ZkbAnz);
  rec.ZkbNum = t.number;
}

}  // namespace ravlen

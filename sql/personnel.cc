#include "sql/personnel.h"

#include <span>
#include <vector>

#include "db/host_var.h"
#include "db/session.h"
#include "sql/calendar.h"
#include "sql/update_or_insert.h"

namespace ravlen {
namespace {

constexpr SqlText kPnrSource =
    "select distinct PnrNum ,to_char(PnrGeb,'yyyymmdd') "
    ",to_char(PnrEin,'yyyymmdd') ,to_char(PnrGbi,'yyyymmdd') ,PnrNam ,PnrStr "
    ",PnrPlz ,PnrOrt ,PnrTel ,PnrMob ,PnrEml ,PnrAnr ,PnrTit ,PnrAnm ,BsvLug "
    ",PnrSta ,PnrMrt ,PnrFrt ,PnrFre ,PnrBea ,PnrNeb ,PnrAkt ,PnrEnd ,PnrKrd "
    ",PnrPrt  from ZEV300PNR ,ZEV310BSV where ((PnrNum=BsvPnr and "
    "BsvGvo<=to_date(:b0,'yyyymmdd')) and (BsvGbi>=to_date(:b1,'yyyymmdd') "
    "or BsvGbi is null )) order by PnrNum asc";

constexpr SqlText kPnrZtg =
    "select ZTGAZT ,ZTGVRA ,ZTGAKR ,ZTGABT ,ZTGKST ,ZTGKTR ,ZTGKRT ,ZTGAGR "
    ",ZTGBSD into :b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9,:b10:b11,:b12:b13,"
    ":b14:b15,:b16:b17  from ZEV329ZTG where (ZTGPNR=:b18 and "
    "ztgvon=trunc(sysdate))";

constexpr SqlText kUpdatePnr =
    "update Zev899Pnr  set PnrNum=:b0,PnrGeb=:b1,PnrEin=:b2,PnrGbi=:b3,"
    "PnrNam=:b4,PnrStr=:b5,PnrPlz=:b6,PnrOrt=:b7,PnrTel=:b8,PnrMob=:b9,"
    "PnrEml=:b10,PnrAnr=:b11,PnrTit=:b12,PnrAnm=:b13,PnrLug=:b14,"
    "PnrSta=:b15,PnrMrt=:b16,PnrFrt=:b17,PnrFre=:b18,PnrBea=:b19,"
    "PnrNeb=:b20,PnrAkt=:b21,PnrEnd=:b22,PnrKrd=:b23,PnrPrt=:b24,"
    "ZtgAzt=:b25,ZtgVra=:b26,ZtgAkr=:b27,ZtgAbt=:b28,ZtgKst=:b29,"
    "ZtgKtr=:b30,ZtgKrt=:b31,ZtgAgr=:b32,ZtgBsd=:b33,PnrDat=:b34 where "
    "PnrNum=:b0";

constexpr SqlText kInsertPnr =
    "insert into Zev899Pnr (PnrNum,PnrGeb,PnrEin,PnrGbi,PnrNam,PnrStr,"
    "PnrPlz,PnrOrt,PnrTel,PnrMob,PnrEml,PnrAnr,PnrTit,PnrAnm,PnrLug,PnrSta,"
    "PnrMrt,PnrFrt,PnrFre,PnrBea,PnrNeb,PnrAkt,PnrEnd,PnrKrd,PnrPrt,ZtgAzt,"
    "ZtgVra,ZtgAkr,ZtgAbt,ZtgKst,ZtgKtr,ZtgKrt,ZtgAgr,ZtgBsd,PnrDat) values "
    "(:b0,:b1,:b2,:b3,:b4,:b5,:b6,:b7,:b8,:b9,:b10,:b11,:b12,:b13,:b14,:b15,"
    ":b16,:b17,:b18,:b19,:b20,:b21,:b22,:b23,:b24,:b25,:b26,:b27,:b28,:b29,"
    ":b30,:b31,:b32,:b33,:b34)";

// The source cursor's columns are the record's first 25 fields, the
// assignment's the remaining nine.
constexpr size_t kSourceFields = 25;
constexpr size_t kZtgFields = 9;

// Every field of `r` as a host variable, in declared order.
std::vector<HostVar> recordVars(PnrRecord& r) {
  return {hostVar(r.PnrNum), hostVar(r.PnrGeb), hostVar(r.PnrEin),
          hostVar(r.PnrGbi), hostVar(r.PnrNam), hostVar(r.PnrStr),
          hostVar(r.PnrPlz), hostVar(r.PnrOrt), hostVar(r.PnrTel),
          hostVar(r.PnrMob), hostVar(r.PnrEml), hostVar(r.PnrAnr),
          hostVar(r.PnrTit), hostVar(r.PnrAnm), hostVar(r.PnrLug),
          hostVar(r.PnrSta), hostVar(r.PnrMrt), hostVar(r.PnrFrt),
          hostVar(r.PnrFre), hostVar(r.PnrBea), hostVar(r.PnrNeb),
          hostVar(r.PnrAkt), hostVar(r.PnrEnd), hostVar(r.PnrKrd),
          hostVar(r.PnrPrt), hostVar(r.ZtgAzt), hostVar(r.ZtgVra),
          hostVar(r.ZtgAkr), hostVar(r.ZtgAbt), hostVar(r.ZtgKst),
          hostVar(r.ZtgKtr), hostVar(r.ZtgKrt), hostVar(r.ZtgAgr),
          hostVar(r.ZtgBsd)};
}

// Bind copies of the source cursor: the window bounds and the row being
// fetched. The caller's record sees a row only once it was fetched whole.
DateText sourceFrom, sourceTo;
PnrRecord sourceRow;

HostVars pnrSourceOutputs() {
  static const std::vector<HostVar> kAll = recordVars(sourceRow);
  return std::span<const HostVar>(kAll).first(kSourceFields);
}

// Bind copy of the assignment lookup's key.
FixedText<8> ztgPnr;

// Bind copy of the writer: the caller's record and the time of the write.
PnrRecord writeRow;
TimestampText writeStamp;

// Fields 1 to 34 and the timestamp: the insert's binds, and the update's
// but for the key that closes it.
std::vector<HostVar> writeVars() {
  std::vector<HostVar> vars = recordVars(writeRow);
  vars.push_back(hostVar(writeStamp));
  return vars;
}

HostVars insertPnrInputs() {
  static const std::vector<HostVar> kVars = writeVars();
  return std::span<const HostVar>(kVars);
}

HostVars updatePnrInputs() {
  static const std::vector<HostVar> kVars = [] {
    std::vector<HostVar> vars = writeVars();
    vars.push_back(hostVar(writeRow.PnrNum));  // the key, the second :b0
    return vars;
  }();
  return std::span<const HostVar>(kVars);
}

}  // namespace

SqlStatus openPnrSource(const DateText& from, const DateText& to) {
  sourceFrom = from;
  sourceTo = to;
  // :b0 is the window end, :b1 the window start.
  return session().openCursor(kPnrSource,
                              {hostVar(sourceTo), hostVar(sourceFrom)});
}

SqlStatus fetchPnrSource(PnrRecord& rec) {
  sourceRow.clear();
  SqlStatus status = session().fetch(kPnrSource, pnrSourceOutputs());
  if (status.ok()) rec = sourceRow;
  return status;
}

SqlStatus closePnrSource() { return session().closeCursor(kPnrSource); }

void lookupPnrZtgLater(PnrRecord& rec, Session::Done done) {
  std::vector<HostVar> all = recordVars(rec);
  ztgPnr = rec.PnrNum;
  session().selectIntoLater(
      kPnrZtg, {hostVar(ztgPnr)},
      std::span<const HostVar>(all).subspan(kSourceFields, kZtgFields),
      std::move(done));
}

SqlStatus lookupPnrZtg(PnrRecord& rec) {
  return runAtOnce([&](Session::Done done) { lookupPnrZtgLater(rec, done); });
}

void writePnrLater(const PnrRecord& rec, Session::Done done) {
  writeStamp.clear();
  makeTimestamp(writeStamp);
  writeRow = rec;
  updateOrInsertLater(kUpdatePnr, updatePnrInputs(), kInsertPnr,
                      insertPnrInputs(), std::move(done));
}

SqlStatus writePnr(const PnrRecord& rec) {
  return runAtOnce([&](Session::Done done) { writePnrLater(rec, done); });
}

}  // namespace ravlen

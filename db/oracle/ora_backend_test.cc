// The Oracle backend against the test double of the client library
// (tests/oci_double/oci_double.h): what can be shown without a server. The
// buffers it binds and defines for every host-variable kind, the statuses
// it makes of the client's answers, the order and balance of its calls,
// the connect text and the schema lock. What the server itself does runs
// in the conformance suite against a real server (RAVLEN_TEST_ORACLE).
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "db/backend.h"
#include "db/oracle/ora_backend.h"
#include "db/sqlhlp.h"
#include "tests/support/oci_test_double.h"

namespace ravlen {
namespace {

using testing::OciDouble;

class OracleBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(double_.api(), nullptr) << double_.loadError();
    double_.addService("DOUBLE");
    backend_ = open("DOUBLE");
    ASSERT_NE(backend_, nullptr) << message_;
  }
  void TearDown() override {
    backend_.reset();
    EXPECT_EQ(double_.liveHandles(), 0) << double_.log();
    EXPECT_EQ(double_.openCursors(), 0) << double_.log();
  }

  std::unique_ptr<OraBackend> open(const std::string& service,
                                   const std::string& password = "tiger") {
    return OraBackend::open(*double_.api(), service, "scott", password,
                            &status_, &message_, std::chrono::seconds(60));
  }
  // The log from the first line that holds `from` on.
  std::string logFrom(const std::string& from) const {
    std::string log = double_.log();
    size_t at = log.find(from);
    return at == std::string::npos ? "" : log.substr(at);
  }

  // The statement executions of the log, in order.
  std::vector<std::string> executions() const {
    std::vector<std::string> lines;
    std::string log = double_.log();
    for (size_t at = 0; (at = log.find("OCIStmtExecute ", at)) != std::string::npos;) {
      size_t end = log.find('\n', at);
      lines.push_back(log.substr(at, end - at));
      at = end;
    }
    return lines;
  }
  // Hands over a writer's pair whose outcome goes to outcomes_[its number].
  void hold(WritePattern pattern, SqlText first, HostVars firstIn, SqlText second,
            HostVars secondIn) {
    size_t n = outcomes_.size();
    outcomes_.emplace_back();
    backend_->writeLater({pattern, first, firstIn, second, secondIn},
                         [this, n](const WriteOutcome& o) { outcomes_[n] = o; });
  }

  OciDouble double_;
  std::unique_ptr<OraBackend> backend_;
  SqlStatus status_;
  std::string message_;
  std::vector<std::optional<WriteOutcome>> outcomes_;
};

// The modes of an array execution: each row its own outcome and count.
const std::string kArray =
    "mode=" + std::to_string(oci::OCI_BATCH_ERRORS | oci::OCI_RETURN_ROW_COUNT_ARRAY) + " ";

TEST_F(OracleBackendTest, InputsBindEveryKindByPositionFromCopies) {
  static constexpr SqlText kUpdate =
      "update T set a=:b0 ,b=:b1 ,c=:b2 ,d=:b3 where e=:b1";
  FixedText<10> text("abc"), empty;
  int32_t number = -42;
  double real = 1.5;
  ASSERT_TRUE(backend_->execute(kUpdate, {hostVar(text), hostVar(number),
                                          hostVar(real), hostVar(empty),
                                          hostVar(number)}).ok())
      << backend_->lastError();
  EXPECT_NE(double_.log().find(
                "OCIStmtExecute iters=1 mode=0 update T set a=:b0 ,b=:b1 ,c=:b2 "
                ",d=:b3 where e=:b1 ['abc' INT -42 FLT 1.5 NULL INT -42]"),
            std::string::npos)
      << "a text as its bytes, an empty text NULL, each occurrence its own "
         "position:\n" << double_.log();
}

TEST_F(OracleBackendTest, SelectIntoDefinesEveryKindAndStoresIt) {
  static constexpr SqlText kSelect =
      "select a ,b ,c ,d ,e into :b0:b1,:b2:b3,:b4:b5,:b6:b7,:b8:b9  from T "
      "where k=:b10:b11";
  double_.rows("from T", {}, {{"abcdefgh", "xyz\xC3\xA4q", "-7", "2.25", std::nullopt}});
  FixedText<3> cut;
  FixedText<4> utf8;
  int32_t number = 0, key = 1;
  double real = 0, preset = 9.5;
  int16_t indicator = 5;
  ASSERT_TRUE(backend_
                  ->selectInto(kSelect, {hostVar(key)},
                               {hostVar(cut), hostVar(utf8), hostVar(number),
                                hostVar(real), withIndicator(hostVar(preset), indicator)})
                  .ok())
      << backend_->lastError();
  EXPECT_EQ(cut, "abc");
  EXPECT_EQ(utf8, "xyz") << "cut to capacity, never inside a UTF-8 character";
  EXPECT_EQ(number, -7);
  EXPECT_EQ(real, 2.25);
  EXPECT_EQ(preset, 9.5) << "NULL leaves the host variable unchanged";
  EXPECT_EQ(indicator, -1);
  EXPECT_NE(double_.log().find("OCIStmtPrepare2 select a ,b ,c ,d ,e from T where k=:b10\n"),
            std::string::npos)
      << "the into list and the input's indicator go, nothing else:\n" << double_.log();
  EXPECT_NE(double_.log().find("iters=1 mode=2 "), std::string::npos)
      << "exact fetch of one row";
}

TEST_F(OracleBackendTest, StatusesAreOraclesOwnNumbers) {
  static constexpr SqlText kInsert = "insert into T (a) values (:b0)";
  static constexpr SqlText kNone = "update T set a=1 where a=0";
  static constexpr SqlText kOne = "select a into :b0:b1  from One";
  static constexpr SqlText kMany = "select a into :b0:b1  from Many";
  static constexpr SqlText kEmpty = "select a into :b0:b1  from Empty";
  static constexpr SqlText kNull = "select a into :b0  from Null";
  static constexpr SqlText kGone = "select a into :b0:b1  from Gone";
  double_.fail("insert into T", 1, "ORA-00001: unique constraint (KORV.T_PK) violated");
  double_.rows("update T", {}, {}, 0);
  double_.rows("from One", {}, {{"3000000000"}});
  double_.rows("from Many", {}, {{"1"}, {"2"}});
  double_.rows("from Empty", {"A"}, {});
  double_.rows("from Null", {}, {{std::nullopt}});
  double_.fail("from Gone", 942, "ORA-00942: table or view does not exist");
  int32_t value = 5;
  EXPECT_EQ(backend_->execute(kInsert, {hostVar(value)}).code(), -1);
  EXPECT_NE(backend_->lastError().find("ORA-00001"), std::string::npos);
  EXPECT_EQ(backend_->execute(kNone, {}).code(), 1403) << "an update without a row";
  EXPECT_EQ(backend_->selectInto(kOne, {}, {hostVar(value)}).code(), -1455);
  EXPECT_EQ(value, 5) << "a value beyond 32 bits leaves the int as it was";
  EXPECT_EQ(backend_->selectInto(kMany, {}, {hostVar(value)}).code(), -1422);
  EXPECT_EQ(backend_->selectInto(kEmpty, {}, {hostVar(value)}).code(), 1403);
  EXPECT_EQ(backend_->selectInto(kNull, {}, {hostVar(value)}).code(), -1405)
      << "NULL into an output without an indicator";
  EXPECT_EQ(backend_->selectInto(kGone, {}, {hostVar(value)}).code(), -942);
  EXPECT_EQ(backend_->execute(kInsert, {}).code(), -1008);
  EXPECT_EQ(backend_->fetch(kOne, {hostVar(value)}).code(), -1001);
}

TEST_F(OracleBackendTest, CursorPrefetchesDeliversAndClosesEveryCursor) {
  static constexpr SqlText kCursor = "select a ,b  from T where a>=:b0";
  double_.rows("from T", {}, {{"1", "x"}, {"2", "y"}, {"3", "z"}});
  int32_t from = 1, a = 0;
  FixedText<5> b;
  ASSERT_TRUE(backend_->openCursor(kCursor, {hostVar(from)}).ok());
  EXPECT_NE(double_.log().find("attr=11 value=500"), std::string::npos)
      << "rows are prefetched:\n" << double_.log();
  ASSERT_TRUE(backend_->fetch(kCursor, {hostVar(a), hostVar(b)}).ok());
  EXPECT_EQ(backend_->fetch(kCursor, {hostVar(a)}).code(), -1007);
  ASSERT_TRUE(backend_->closeCursor(kCursor).ok());
  EXPECT_EQ(double_.openCursors(), 0) << "a close cancels the rest";
  EXPECT_EQ(backend_->closeCursor(kCursor).code(), -1001);

  ASSERT_TRUE(backend_->openCursor(kCursor, {hostVar(from)}).ok());
  std::vector<std::string> seen;
  while (backend_->fetch(kCursor, {hostVar(a), hostVar(b)}).ok())
    seen.push_back(std::to_string(a) + std::string(b.view()));
  EXPECT_EQ(seen, (std::vector<std::string>{"1x", "2y", "3z"}));
  EXPECT_TRUE(backend_->fetch(kCursor, {hostVar(a), hostVar(b)}).noData());
  std::string log = double_.log();
  EXPECT_EQ(log.find("OCIStmtPrepare2 select a ,b"),
            log.rfind("OCIStmtPrepare2 select a ,b"))
      << "prepared once per session";
  EXPECT_EQ(log.find("OCIStmtFetch2 no data"), log.rfind("OCIStmtFetch2 no data"))
      << "past the end the backend answers 1403 itself";
  ASSERT_TRUE(backend_->openCursor(kCursor, {hostVar(from)}).ok());
  ASSERT_TRUE(backend_->fetch(kCursor, {hostVar(a), hostVar(b)}).ok());
  // Left open: the end of the session must cancel it (TearDown).
}

TEST_F(OracleBackendTest, SessionEndRollsBackBeforeTheLogoff) {
  static constexpr SqlText kInsert = "insert into T (a) values (1)";
  ASSERT_TRUE(backend_->execute(kInsert, {}).ok());
  ASSERT_TRUE(backend_->commit().ok());
  ASSERT_TRUE(backend_->execute(kInsert, {}).ok());
  backend_.reset();
  std::string end = logFrom("OCITransCommit");
  EXPECT_NE(end.find("OCITransRollback\nOCILogoff\nOCIHandleFree error\n"
                     "OCIHandleFree env\n"),
            std::string::npos)
      << "the client's logoff would commit the open work:\n" << end;
}

TEST_F(OracleBackendTest, FailedLogonSaysWhyWithoutThePasswordAndFreesAll) {
  EXPECT_EQ(open("PROD"), nullptr);
  EXPECT_EQ(status_.code(), -12154);
  EXPECT_NE(message_.find("ORA-12154"), std::string::npos) << message_;
  double_.fail("logon:LOCKED", 28000, "ORA-28000: account locked (Geheim-9)");
  EXPECT_EQ(open("LOCKED", "Geheim-9"), nullptr);
  EXPECT_EQ(status_.code(), -28000);
  EXPECT_EQ(message_.find("Geheim-9"), std::string::npos) << message_;
  EXPECT_EQ(double_.liveHandles(), 3) << "only the open session's:\n" << double_.log();
}

// Every service that is neither sqlite: nor postgresql:// reaches the Oracle
// client with the connect text split at its last "@".
TEST_F(OracleBackendTest, ConnectTextReachesTheClientWhole) {
  testing::ScopedEnv home("ORACLE_HOME", testing::ociDoubleHome());
  double_.addService("dbhost:1521/ORCLPDB1");
  for (const char* text : {"scott/ti@ger@DOUBLE", "scott/tiger@dbhost:1521/ORCLPDB1"}) {
    std::unique_ptr<Backend> b = openBackend(text, &status_, &message_);
    EXPECT_NE(b, nullptr) << text << ": " << message_;
  }
  EXPECT_NE(double_.log().find("user=scott password=ti@ger db=DOUBLE"), std::string::npos);
  EXPECT_NE(double_.log().find("password=tiger db=dbhost:1521/ORCLPDB1"), std::string::npos)
      << double_.log();
}

TEST_F(OracleBackendTest, SchemaStatementRunsAsGivenThenTakesTheSchemaLock) {
  const std::string set(kSetSchemaStatement);
  double_.rows("dbms_lock.request", {}, {{std::nullopt, "0"}});
  ASSERT_TRUE(backend_->executeImmediate(set + "korv").ok()) << backend_->lastError();
  std::string log = logFrom("OCIStmtExecute iters=1 mode=0 ALTER");
  EXPECT_EQ(log.rfind("OCIStmtExecute iters=1 mode=0 " + set + "korv\n", 0), 0u) << log;
  EXPECT_NE(log.find("false); end; ['KORV' INT "), std::string::npos) << log;
  EXPECT_NE(log.find(" INT 60]\n"), std::string::npos) << "waiting 60 s:\n" << log;

  double_.rows("dbms_lock.request", {}, {{std::nullopt, "1"}});  // another holds it
  EXPECT_EQ(backend_->executeImmediate(set + "OTHER").code(), -54);
  EXPECT_NE(logFrom("CURRENT_SCHEMA=OTHER").find("CURRENT_SCHEMA=KORV\n"), std::string::npos)
      << "back to the schema it had:\n" << double_.log();
  double_.fail("dbms_lock.request", 6550,
               "ORA-06550: line 1, column 96:\nPLS-00201: identifier 'DBMS_LOCK' "
               "must be declared");
  // A login that may not use the lock package works unguarded, as the
  // program always did, and says so.
  EXPECT_TRUE(backend_->executeImmediate(set + "OTHER").ok())
      << backend_->lastError();
  EXPECT_NE(backend_->notice().find("EXECUTE auf SYS.DBMS_LOCK"),
            std::string::npos)
      << backend_->notice();
}

// Update, else insert: the held pairs go as one execution of the update over
// all rows and one of the insert over the rows whose update did not change
// a row; each row's outcome reaches its own callback.
TEST_F(OracleBackendTest, HeldPairsRunAsArraysWithEachRowsOwnOutcome) {
  static constexpr SqlText kUpdate = "update T set a=:b0 ,b=:b1 ,c=:b2 where k=:b3";
  static constexpr SqlText kInsert = "insert into T (k,a,b,c) values (:b0,:b1,:b2,:b3)";
  double_.rowOutcomes("update T", {1, 0, -1400, 0});
  double_.rowOutcomes("insert into T", {1, -1, 1});
  FixedText<4> k, c;
  int32_t a = 0;
  double b = 0;
  for (const char* row : {"k1x", "k2", "k3z", "k4"}) {
    k = std::string_view(row, 2);
    c = std::string_view(row + 2);
    a += 1;
    b = a + 0.5;
    hold(WritePattern::kUpdateElseInsert, kUpdate,
         {hostVar(a), hostVar(b), hostVar(c), hostVar(k)}, kInsert,
         {hostVar(k), hostVar(a), hostVar(b), hostVar(c)});
  }
  EXPECT_TRUE(executions().empty()) << "held until flush:\n" << double_.log();
  backend_->flush();
  EXPECT_EQ(executions(),
            (std::vector<std::string>{
                "OCIStmtExecute iters=4 " + kArray + kUpdate.c_str() +
                    " [INT 1 FLT 1.5 'x' 'k1'] [INT 2 FLT 2.5 NULL 'k2']"
                    " [INT 3 FLT 3.5 'z' 'k3'] [INT 4 FLT 4.5 NULL 'k4']",
                "OCIStmtExecute iters=3 " + kArray + kInsert.c_str() +
                    " ['k2' INT 2 FLT 2.5 NULL] ['k3' INT 3 FLT 3.5 'z']"
                    " ['k4' INT 4 FLT 4.5 NULL]"}));
  ASSERT_EQ(outcomes_.size(), 4u);
  for (const auto& o : outcomes_) ASSERT_TRUE(o.has_value());
  EXPECT_TRUE(outcomes_[0]->first.status.ok());
  EXPECT_FALSE(outcomes_[0]->second);
  EXPECT_EQ(outcomes_[1]->first.status.code(), 1403) << "no row changed";
  EXPECT_TRUE(outcomes_[1]->second->status.ok());
  EXPECT_EQ(outcomes_[2]->first.status.code(), -1400);
  EXPECT_NE(outcomes_[2]->first.message.find("ORA-01400: scripted error in row 2"),
            std::string::npos) << outcomes_[2]->first.message;
  EXPECT_EQ(outcomes_[2]->second->status.code(), -1);
  EXPECT_NE(outcomes_[2]->second->message.find("in row 1"), std::string::npos);
  EXPECT_EQ(outcomes_[3]->first.status.code(), 1403);
  EXPECT_TRUE(outcomes_[3]->second->status.ok());
}

// Insert, else add: the update runs only for the rows whose insert met the key.
TEST_F(OracleBackendTest, InsertElseAddUpdatesOnlyTheRowsWhoseKeyWasTaken) {
  static constexpr SqlText kInsert = "insert into S (k,n) values (:b0,:b1)";
  static constexpr SqlText kAdd = "update S set n=(n+:b0) where k=:b1";
  double_.rowOutcomes("insert into S", {-1, 1, -1400, -1});
  for (int32_t k : {6, 7, 8, 9})
    hold(WritePattern::kInsertElseAdd, kInsert, {hostVar(k), hostVar(k)}, kAdd,
         {hostVar(k), hostVar(k)});
  backend_->flush();
  std::vector<std::string> runs = executions();
  ASSERT_EQ(runs.size(), 2u) << double_.log();
  EXPECT_EQ(runs[1], "OCIStmtExecute iters=2 " + kArray + kAdd.c_str() +
                         " [INT 6 INT 6] [INT 9 INT 9]");
  EXPECT_TRUE(outcomes_[0]->second->status.ok());
  EXPECT_FALSE(outcomes_[1]->second);
  EXPECT_EQ(outcomes_[2]->first.status.code(), -1400);
  EXPECT_FALSE(outcomes_[2]->second) << "another failure is no taken key";
}

// Two pairs of one batch never change the same row: a key that repeats
// one of the batch (all of the condition's inputs, in either order of the
// comparison) begins the next batch; a condition that is not read that way
// sends each pair alone.
TEST_F(OracleBackendTest, RepeatedKeyOrUnreadConditionSplitsTheBatch) {
  static constexpr SqlText kUpdate = "update T set a=:b0 where (k=:b1 and :b2=j)";
  static constexpr SqlText kInsert = "insert into T (a,k,j) values (:b0,:b1,:b2)";
  static constexpr SqlText kUnread = "update T set a=:b0 where k=:b1 or j=:b2";
  FixedText<2> k;
  int32_t j = 0;
  for (const char* key : {"A1", "B1", "A2", "A1"}) {
    k = std::string_view(key, 1);
    j = key[1] - '0';
    hold(WritePattern::kUpdateElseInsert, kUpdate, {hostVar(j), hostVar(k), hostVar(j)},
         kInsert, {hostVar(j), hostVar(k), hostVar(j)});
  }
  for (const char* key : {"C", "D"}) {
    k = key;
    hold(WritePattern::kUpdateElseInsert, kUnread, {hostVar(j), hostVar(k), hostVar(j)},
         kInsert, {hostVar(j), hostVar(k), hostVar(j)});
  }
  backend_->flush();
  std::string update = std::string(kUpdate.c_str()) + " ", unread = kUnread.c_str();
  EXPECT_EQ(executions(),
            (std::vector<std::string>{
                "OCIStmtExecute iters=3 " + kArray + update +
                    "[INT 1 'A' INT 1] [INT 1 'B' INT 1] [INT 2 'A' INT 2]",
                "OCIStmtExecute iters=1 " + kArray + update + "[INT 1 'A' INT 1]",
                "OCIStmtExecute iters=1 " + kArray + unread + " [INT 1 'C' INT 1]",
                "OCIStmtExecute iters=1 " + kArray + unread + " [INT 1 'D' INT 1]"}));
}

// Held pairs run before a read sees the table, at commit, and as soon as
// their batch is full.
TEST_F(OracleBackendTest, HeldPairsRunBeforeAReadAtCommitAndWhenTheBatchIsFull) {
  static constexpr SqlText kUpdate = "update T set a=:b0 where k=:b1";
  static constexpr SqlText kInsert = "insert into T (a,k) values (:b0,:b1)";
  static constexpr SqlText kSelect = "select a into :b0  from T where k=:b1";
  double_.rows("from T", {}, {{"5"}});
  int32_t k = 0, a = 0;
  auto holdOne = [&] {
    ++k;
    hold(WritePattern::kUpdateElseInsert, kUpdate, {hostVar(a), hostVar(k)}, kInsert,
         {hostVar(a), hostVar(k)});
  };
  for (size_t n = 0; n < OraWriteBatch::kMostRows; ++n) holdOne();
  ASSERT_EQ(executions().size(), 1u) << "a full batch runs at once";
  EXPECT_EQ(executions()[0].find("OCIStmtExecute iters=128 "), 0u);
  holdOne();
  ASSERT_TRUE(backend_->selectInto(kSelect, {hostVar(k)}, {hostVar(a)}).ok());
  std::vector<std::string> runs = executions();
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[1].find("OCIStmtExecute iters=1 " + kArray + "update"), 0u) << runs[1];
  EXPECT_TRUE(outcomes_.back().has_value()) << "its callback ran before the read";
  holdOne();
  ASSERT_TRUE(backend_->commit().ok());
  EXPECT_NE(logFrom("iters=1 " + kArray + "update T set a=:b0 where k=:b1 [INT 5 INT 130]")
                .find("OCITransCommit"),
            std::string::npos)
      << double_.log();
}

}  // namespace
}  // namespace ravlen

#include "tests/support/session_fixture.h"

#include "db/session.h"
#include "db/sqlhlp.h"

namespace ravlen::testing {

void ConnectedTest::SetUp() {
  createProjectDatabase(dir_.path());
  ASSERT_EQ(sqlConnect("u", "p", "sqlite:" + dir_.path(), "KORV"), 0)
      << session().lastError();
}

void ConnectedTest::TearDown() { session().disconnect(); }

}  // namespace ravlen::testing

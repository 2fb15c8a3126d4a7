// ravlen-trips: the program itself (runRavlen, same arguments, same
// output) for bench/backends.sh, with the round trips to the server
// counted in its summary (RAVLEN_RUNDREISEN) and, when the environment
// variable RAVLEN_BENCH_DELAY_US holds a number of microseconds, every
// round trip made that much slower, as a network farther away would make
// it. The delay exists only in this program, never in ravlen.
#include <chrono>
#include <cstdlib>

#include "db/postgresql/pg_pipeline.h"
#include "run/ravlen.h"

int main(int argc, char** argv) {
  setenv("RAVLEN_RUNDREISEN", "1", 1);
  if (const char* delay = std::getenv("RAVLEN_BENCH_DELAY_US"))
    ravlen::addRoundTripDelay(std::chrono::microseconds(std::atol(delay)));
  return ravlen::runRavlen(argc, argv);
}

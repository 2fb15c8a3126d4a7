// ravlen-trips: the program itself (runRavlen, same arguments, same
// output), followed on standard error by what the server backend counted,
// for bench/backends.sh:
//   "Ravlen-Bench: Rundreisen N"            round trips of the whole run
//   "Ravlen-Bench: Rundreisen je Commit a b c ..."
//                                           the count at the end of each
//                                           commit, in order
// The standard run commits after the bookings, the personnel, the first
// clear-down and the daily balances (with their time-account bookings), in
// this order: the trips of the daily-balance stage are the 4th count less
// the 3rd.
#include <cstdio>

#include "db/session.h"
#include "run/ravlen.h"

int main(int argc, char** argv) {
  int status = ravlen::runRavlen(argc, argv);
  std::fprintf(stderr, "Ravlen-Bench: Rundreisen %llu\n",
               static_cast<unsigned long long>(ravlen::session().roundTrips()));
  std::fputs("Ravlen-Bench: Rundreisen je Commit", stderr);
  for (uint64_t n : ravlen::session().roundTripsAtCommits())
    std::fprintf(stderr, " %llu", static_cast<unsigned long long>(n));
  std::fputc('\n', stderr);
  return status;
}

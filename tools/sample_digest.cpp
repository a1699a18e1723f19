// Prints the digest of a price database as the store serves it, or with
// --indicators the digest of one stock's indicator series, for the
// comparison with the program under Wine.
//
//   sample_digest FOLDER [--indicators]

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "tools/sample_db/series_digest.h"

int main(int argc, char** argv) {
  const bool indicators = argc == 3 && std::strcmp(argv[2], "--indicators") == 0;
  if (argc != 2 && !indicators) {
    fprintf(stderr, "usage: %s FOLDER [--indicators]\n", argv[0]);
    return 2;
  }
  if (!OpenDatabaseFolder(argv[1])) {
    fprintf(stderr, "cannot open the database in %s\n", argv[1]);
    return 1;
  }
  const uint64_t digest = indicators ? ComputeIndicatorDigest(ChooseIndicatorDigestStock()) : ComputeDatabaseDigest();
  printf("%016" PRIx64 "\n", digest);
  return 0;
}

// Prints the digest of a price database as the store serves it, for the
// comparison with the program under Wine.
//
//   sample_digest FOLDER

#include <cinttypes>
#include <cstdio>

#include "tools/sample_db/series_digest.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  if (!OpenDatabaseFolder(argv[1])) {
    fprintf(stderr, "cannot open the database in %s\n", argv[1]);
    return 1;
  }
  printf("%016" PRIx64 "\n", ComputeDatabaseDigest());
  return 0;
}

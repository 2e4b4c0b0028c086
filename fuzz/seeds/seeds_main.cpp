// korv_fuzz_seeds ROOT: writes the seed corpus of every fuzz target under ROOT/TARGET/, each file
// made by the project's own writers.
#include <cstdio>

#include "fuzz/seeds/seed_writer.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: korv_fuzz_seeds ROOT\n");
    return 2;
  }
  const SeedWriter seeds(argv[1]);
  WriteFrameworkSeeds(seeds);
  WritePropertyListSeeds(seeds);
  WritePngSeeds(seeds);
  WriteWavSeeds(seeds);
  WriteMidiSeeds(seeds);
  WriteLV2MidiSeeds(seeds);
  return 0;
}

// Compares two sound files sample by sample: same channel and frame counts, and every difference
// within TOLERANCE times the first file's peak. Prints the largest difference and whether the two
// are bit-identical. Exit 0 when they match.
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

bool ReadAll(const char* path, SF_INFO* pInfo, std::vector<float>* pSamples) {
  *pInfo = SF_INFO();
  SNDFILE* pFile = sf_open(path, SFM_READ, pInfo);
  if (!pFile) return false;
  pSamples->resize(static_cast<size_t>(pInfo->frames) * static_cast<size_t>(pInfo->channels));
  const sf_count_t read = sf_readf_float(pFile, pSamples->data(), pInfo->frames);
  sf_close(pFile);
  return read == pInfo->frames;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s EXPECTED.wav ACTUAL.wav TOLERANCE\n", argv[0]);
    return 2;
  }
  SF_INFO expectedInfo, actualInfo;
  std::vector<float> expected, actual;
  if (!ReadAll(argv[1], &expectedInfo, &expected) || !ReadAll(argv[2], &actualInfo, &actual)) {
    std::fprintf(stderr, "cannot read both files\n");
    return 1;
  }
  if (expectedInfo.channels != actualInfo.channels || expectedInfo.frames != actualInfo.frames) {
    std::fprintf(stderr, "shapes differ: %d x %lld against %d x %lld\n", expectedInfo.channels,
                 static_cast<long long>(expectedInfo.frames), actualInfo.channels,
                 static_cast<long long>(actualInfo.frames));
    return 1;
  }
  double peak = 0.0, largest = 0.0;
  bool identical = true;
  for (size_t i = 0; i < expected.size(); ++i) {
    peak = std::fmax(peak, std::fabs(expected[i]));
    const double difference = std::fabs(static_cast<double>(expected[i]) - actual[i]);
    if (!(difference <= largest)) largest = difference;
    identical = identical && expected[i] == actual[i];
  }
  const double tolerance = std::atof(argv[3]) * peak;
  std::printf("%lld frames x %d channels, peak %.9g, largest difference %.3g (%s)\n",
              static_cast<long long>(expectedInfo.frames), expectedInfo.channels, peak, largest,
              identical ? "bit-identical" : "not bit-identical");
  return largest <= tolerance ? 0 : 1;
}

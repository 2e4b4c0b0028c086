#include "framework/delay_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

TEST(DelayLine, DelaysEachChannelByExactlyTheDelay) {
  for (int delay : {1, 3, 8, 13}) {
    NChanDelayLine line(2, 2);
    line.SetDelayTime(delay);
    std::vector<double> a(40), b(40), outA(40), outB(40);
    for (int s = 0; s < 40; ++s) {
      a[s] = s + 1;
      b[s] = -(s + 1);
    }
    // Uneven block lengths, in place for channel 1.
    int done = 0;
    for (int len : {5, 1, 17, 17}) {
      std::vector<double> inPlace(b.begin() + done, b.begin() + done + len);
      double* ins[] = {a.data() + done, inPlace.data()};
      double* outs[] = {outA.data() + done, inPlace.data()};
      line.ProcessBlock(ins, outs, len);
      std::copy(inPlace.begin(), inPlace.end(), outB.begin() + done);
      done += len;
    }
    for (int s = 0; s < 40; ++s) {
      EXPECT_EQ(outA[s], s < delay ? 0.0 : a[s - delay]) << "delay " << delay << " sample " << s;
      EXPECT_EQ(outB[s], s < delay ? 0.0 : b[s - delay]);
    }
  }
  NChanDelayLine none(1, 1);
  none.SetDelayTime(0);
  double x[3] = {1, 2, 3}, y[3] = {};
  double* ins[] = {x};
  double* outs[] = {y};
  none.ProcessBlock(ins, outs, 3);
  EXPECT_EQ(y[2], 3.0) << "zero delay passes through";
}

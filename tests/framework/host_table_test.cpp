#include "framework/host_table.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/trace.h"

TEST(HostTable, SearchOrderAndDisplayNames) {
  EXPECT_EQ(LookUpHost("REAPER"), kHostReaper);
  EXPECT_EQ(LookUpHost("com.apple.logic10"), kHostLogic);
  EXPECT_EQ(LookUpHost("com.apple.garageband10"), kHostGarageBand);
  EXPECT_EQ(LookUpHost("Ableton Live 11"), kHostLive);
  EXPECT_EQ(LookUpHost("live and logic"), kHostLive);
  EXPECT_EQ(LookUpHost("com.PreSonus.StudioOne"), kHostStudioOne);
  EXPECT_EQ(LookUpHost(""), kHostUnknown);
  EXPECT_EQ(LookUpHost("somethingelse"), kHostUnknown);
  std::string longName(300, 'x');
  longName.replace(250, 6, "reaper");
  EXPECT_EQ(LookUpHost(longName.c_str()), kHostUnknown) << "only the first 255 characters are searched";
  longName.replace(240, 6, "cubase");
  EXPECT_EQ(LookUpHost(longName.c_str()), kHostCubase);

  char name[kHostNameStrLen];
  GetHostNameStr(kHostMelodyne, name);
  EXPECT_STREQ(name, "Unknown");
  GetHostNameStr(kHostReserved19, name);
  EXPECT_STREQ(name, "Unknown");
  GetHostNameStr(kHostVegas, name);
  EXPECT_STREQ(name, "Vegas");
  GetHostNameStr(kHostDigitalPerformer, name);
  EXPECT_STREQ(name, "DigitalPerformer");
  GetHostNameStr(static_cast<EHost>(99), name);
  EXPECT_STREQ(name, "Unknown");
  EXPECT_STREQ(AUPropertyStr(8), "");
  EXPECT_TRUE(IsWhitespace('\r'));
  EXPECT_FALSE(IsWhitespace('x'));
}

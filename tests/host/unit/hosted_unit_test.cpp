// Component codes on the command line.
#include <gtest/gtest.h>

#include "host/unit/hosted_unit.h"

using namespace korval_host;

namespace {

TEST(ComponentDescription, ReadsThreeFourCharacterCodes) {
  ComponentDescription description{};
  ASSERT_TRUE(ParseComponentDescription("aufx:Kor1:Brmo", &description));
  EXPECT_EQ(description.componentType, static_cast<OSType>(kAudioUnitType_Effect));
  EXPECT_EQ(FourCharCodeText(description.componentSubType), "Kor1");
  EXPECT_EQ(FourCharCodeText(description.componentManufacturer), "Brmo");
  for (const char* bad : {"", "aufx:Kor1", "aufx:Kor1:Brm", "aufx-Kor1-Brmo", "aufx:Kor1:Brmoo"})
    EXPECT_FALSE(ParseComponentDescription(bad, &description)) << bad;
  EXPECT_EQ(FourCharCodeText(0x41000A42), "A??B");
}

}  // namespace

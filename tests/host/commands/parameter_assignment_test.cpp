// Reading "--param NAME=VALUE" and the counts of other options.
#include "host/commands/parameter_assignment.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace korval_host;

namespace {

std::vector<ParameterDescription> Parameters() {
  return {{4, "Gain", "dB", kAudioUnitParameterUnit_Decibels, -12, 12, 0, 0, {}},
          {9, "Mix", "", kAudioUnitParameterUnit_Generic, 0, 1, 0, 0, {}},
          {2, "Mode", "", kAudioUnitParameterUnit_Indexed, 1, 3, 1, 0, {"Gentle", "Steep", "Sheer"}}};
}

TEST(ParameterAssignment, FindsByNameInAnyCaseOrByPositionAndKeepsTheValue) {
  ParameterAssignment assignment{};
  ASSERT_EQ(ResolveParameterAssignment(Parameters(), "gAIN=-12", &assignment), "");
  EXPECT_EQ(assignment.id, 4u);
  EXPECT_EQ(assignment.value, -12.0f);
  ASSERT_EQ(ResolveParameterAssignment(Parameters(), "1=0.5", &assignment), "");
  EXPECT_EQ(assignment.id, 9u);  // the list position, not the ID
  EXPECT_EQ(assignment.value, 0.5f);
}

// A switch's choices are the texts the unit shows for it, as info prints them.
TEST(ParameterAssignment, AChoiceIsTakenByItsTextInAnyCaseOrItsNumber) {
  std::vector<ParameterDescription> parameters = Parameters();
  parameters.push_back({7, "Mono", "", kAudioUnitParameterUnit_Boolean, 0, 1, 0, 0, {}});
  ParameterAssignment assignment{};
  struct Case {
    const char* text;
    AudioUnitParameterID id;
    float value;
  };
  const Case cases[] = {{"Mode=Steep", 2, 2.0f}, {"mode=sHEER", 2, 3.0f}, {"Mode=1", 2, 1.0f},
                        {"Mono=off", 7, 0.0f},   {"mono=ON", 7, 1.0f},    {"Mono=1", 7, 1.0f}};
  for (const Case& c : cases) {
    ASSERT_EQ(ResolveParameterAssignment(parameters, c.text, &assignment), "") << c.text;
    EXPECT_EQ(assignment.id, c.id) << c.text;
    EXPECT_EQ(assignment.value, c.value) << c.text;
  }
  EXPECT_EQ(ResolveParameterAssignment(parameters, "Mode=Wild", &assignment),
            "\"Wild\" is not one of Mode's choices: Gentle, Steep, Sheer (or its number)");
  EXPECT_EQ(ResolveParameterAssignment(parameters, "Mono=yes", &assignment),
            "\"yes\" is not one of Mono's choices: off, on (or its number)");
}

TEST(ParameterAssignment, RefusalsSayWhatIsWrong) {
  ParameterAssignment assignment{9, 0.25f};
  EXPECT_EQ(ResolveParameterAssignment(Parameters(), "Gain=12.01", &assignment),
            "Gain = 12.01 is out of range: Gain takes -12 to 12 dB");
  EXPECT_NE(ResolveParameterAssignment(Parameters(), "3=0", &assignment).find("Gain, Mix, Mode"), std::string::npos);
  EXPECT_NE(ResolveParameterAssignment(Parameters(), "Mix=1e999", &assignment), "");
  EXPECT_NE(ResolveParameterAssignment(Parameters(), "Mix=0.5x", &assignment), "");
  EXPECT_NE(ResolveParameterAssignment(Parameters(), "Mix=", &assignment), "");
  EXPECT_EQ(assignment.value, 0.25f) << "a refused assignment is left as it was";
}

TEST(ParameterAssignment, ValuesTooSmallForTheUnitAreZeroButValuesTooLargeAreRefused) {
  for (const char* tiny : {"Mix=1e-320", "Mix=-1e-320", "Mix=4.9e-324", "Mix=1e-40"}) {
    ParameterAssignment assignment{0, 0.5f};
    ASSERT_EQ(ResolveParameterAssignment(Parameters(), tiny, &assignment), "") << tiny;
    EXPECT_EQ(assignment.value, 0.0f) << tiny;
    EXPECT_FALSE(std::signbit(assignment.value)) << tiny;
  }
  for (const char* huge : {"Gain=1e309", "Gain=-1e309", "Gain=inf"}) {
    ParameterAssignment assignment{};
    EXPECT_NE(ResolveParameterAssignment(Parameters(), huge, &assignment).find("not a number"), std::string::npos)
        << huge;
  }
}

TEST(ParameterAssignment, CountsAreWholeNumbersWithinTheirLimits) {
  long value = 7;
  EXPECT_TRUE(ParseCount("16384", 1, 16384, &value));
  EXPECT_EQ(value, 16384);
  for (const char* bad : {"", "0", "16385", "-1", "+5", "12 ", "99999999999999999999"})
    EXPECT_FALSE(ParseCount(bad, 1, 16384, &value)) << bad;
  EXPECT_EQ(value, 16384);
}

}  // namespace

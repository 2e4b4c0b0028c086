#include "framework/iparam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {
std::string Display(const IParam& param) {
  char buf[kParamDisplayLen];
  param.GetDisplayForHost(buf);
  return buf;
}
}  // namespace

TEST(IParam, ContinuousRangeNormalizesAndDisplaysAtStepPrecision) {
  IParam out;
  out.InitDouble("Out", 0.0, -15.0, 15.0, 0.001, "dB", "", 1.0);
  EXPECT_EQ(out.Type(), IParam::kTypeDouble);
  EXPECT_EQ(out.GetPrecision(), 3);
  EXPECT_EQ(Display(out), "0.000");
  EXPECT_DOUBLE_EQ(out.GetNormalized(), 0.5);

  out.SetNormalized(0.25);
  EXPECT_DOUBLE_EQ(out.Value(), -7.5);
  EXPECT_EQ(Display(out), "-7.500");
  EXPECT_STREQ(out.GetLabelForHost(), "dB");

  // Continuous values are never snapped to the step.
  out.SetNormalized(0.123456789);
  EXPECT_DOUBLE_EQ(out.Value(), -15.0 + 0.123456789 * 30.0);
  char buf[kParamDisplayLen];
  out.GetDisplayForHost(0.5, true, buf);
  EXPECT_STREQ(buf, "0.000");

  for (double n : {0.0, 0.1, 0.37, 0.5, 0.99, 1.0}) EXPECT_NEAR(out.GetNormalized(out.GetNonNormalized(n)), n, 1e-12);
  EXPECT_DOUBLE_EQ(out.GetNormalized(100.0), 1.0) << "plain values are clamped before normalizing";
  EXPECT_DOUBLE_EQ(out.GetNormalized(-100.0), 0.0);
}

TEST(IParam, PrecisionFollowsTheStep) {
  const struct {
    double step;
    int precision;
  } cases[] = {{0.001, 3}, {0.01, 2}, {0.1, 1}, {1.0, 0}, {0.5, 1}, {1.0 / 3.0, 6}};
  for (const auto& c : cases) {
    IParam p;
    p.InitDouble("p", 0.0, 0.0, 10.0, c.step);
    EXPECT_EQ(p.GetPrecision(), c.precision) << "step " << c.step;
  }
  IParam degenerate;
  degenerate.InitDouble("p", 0.0, 0.0, 0.0, 1.0);
  double lo, hi;
  degenerate.GetBounds(&lo, &hi);
  EXPECT_EQ(lo, 0.0);
  EXPECT_EQ(hi, 1.0) << "maximum is at least minimum + step";
}

TEST(IParam, SteppedKindsRoundFromZeroAndClampToTheRange) {
  IParam count;
  count.InitInt("n", 3, 0, 10);
  EXPECT_EQ(count.Type(), IParam::kTypeInt);
  count.SetNormalized(0.34);
  EXPECT_EQ(count.Value(), 3.0);
  count.SetNormalized(1.2);
  EXPECT_EQ(count.Value(), 10.0);
  count.SetNormalized(-0.5);
  EXPECT_EQ(count.Value(), 0.0) << "the normalized path clamps the bottom too";
  count.Set(-5.0);
  EXPECT_EQ(count.Value(), 0.0) << "Set clamps to the minimum";
  count.Set(NAN);
  EXPECT_EQ(count.Value(), 0.0) << "NaN is ignored";
  // A plain value holds whole steps too, rounded as the normalized path rounds, so the text, Bool()
  // and Int() all read one step.
  IParam onOff;
  onOff.InitBool("b", false);
  struct Plain {
    double in, heldBySwitch, heldByCount;
  };
  for (const Plain& c : {Plain{0.5, 1, 1}, {0.49, 0, 0}, {1e-45, 0, 0}, {0.99, 1, 1}, {7.6, 1, 8}}) {
    onOff.Set(c.in);
    count.Set(c.in);
    EXPECT_EQ(onOff.Value(), c.heldBySwitch) << c.in;
    EXPECT_EQ(count.Value(), c.heldByCount) << c.in;
  }

  IParam choice;
  choice.InitEnum("e", 0, 3);
  EXPECT_EQ(choice.Type(), IParam::kTypeEnum);
  for (int i = 0; i < 3; ++i) {
    char buf[kParamDisplayLen];
    choice.GetDisplayForHost(i, false, buf);
    EXPECT_EQ(std::string(buf), std::to_string(i));
  }

  IParam truncating;
  truncating.InitInt("t", 0, -5, 5);
  char buf[kParamDisplayLen];
  truncating.GetDisplayForHost(0.7, false, buf);
  EXPECT_STREQ(buf, "0");
  truncating.GetDisplayForHost(-0.7, false, buf);
  EXPECT_STREQ(buf, "0");
  truncating.GetDisplayForHost(1e300, false, buf);
  EXPECT_STREQ(buf, "2147483647") << "out-of-range values convert without overflow";
}

TEST(IParam, BoolShowsDisplayTextsAndHidesTheLabel) {
  IParam onOff;
  onOff.InitBool("Bypass", true, "state");
  EXPECT_EQ(onOff.Type(), IParam::kTypeBool);
  EXPECT_EQ(onOff.Value(), 1.0);
  EXPECT_TRUE(onOff.Bool());
  EXPECT_EQ(onOff.GetNDisplayTexts(), 2);
  EXPECT_EQ(Display(onOff), "on");
  EXPECT_STREQ(onOff.GetLabelForHost(), "");
  char buf[kParamDisplayLen];
  onOff.GetDisplayForHostNoDisplayText(buf);
  EXPECT_STREQ(buf, "1");

  int value = -7;
  EXPECT_TRUE(onOff.MapDisplayText("off", &value));
  EXPECT_EQ(value, 0);
  EXPECT_FALSE(onOff.MapDisplayText("On", &value));
  EXPECT_EQ(value, 0) << "untouched on a miss";
  EXPECT_STREQ(onOff.GetDisplayTextAtIdx(1, &value), "on");
  EXPECT_EQ(value, 1);
  EXPECT_STREQ(onOff.GetDisplayTextAtIdx(2), "");

  onOff.SetDisplayText(1, "yes");
  EXPECT_STREQ(onOff.GetDisplayText(1), "on") << "a repeated value keeps its first text";
  EXPECT_STREQ(onOff.GetDisplayText(5), "");
}

TEST(IParam, ShapeBendsTheCurveAndLongTextsAreCut) {
  IParam shaped;
  shaped.InitDouble("s", 0.0, 0.0, 10.0, 0.1, "", "", 2.0);
  EXPECT_NEAR(shaped.GetNormalized(5.0), std::sqrt(0.5), 1e-12);
  shaped.SetShape(0.0);
  EXPECT_EQ(shaped.GetShape(), 2.0);
  shaped.SetNormalized(0.5);
  EXPECT_DOUBLE_EQ(shaped.Value(), 2.5);

  IParam named;
  std::string longName(100, 'n');
  named.InitDouble(longName.c_str(), 0.0, 0.0, 1.0, 0.1, longName.c_str(), longName.c_str());
  EXPECT_EQ(std::string(named.GetNameForHost()), longName.substr(0, 31));
  EXPECT_EQ(std::string(named.GetParamGroupForHost()), longName.substr(0, 31));
  named.SetDisplayText(0, longName.c_str());
  EXPECT_EQ(std::string(named.GetDisplayText(0)), longName.substr(0, 31));

  EXPECT_NEAR(DBToAmp(20.0), 10.0, 1e-9);
  EXPECT_NEAR(DBToAmp(-6.0), 0.501187, 1e-6);
}

// Files and hosts hand over whatever bits they hold; the value must stay usable as a gain.
TEST(IParam, EveryValueFromOutsideEndsFiniteInsideTheRange) {
  struct Case {
    double in;
    double viaSet, viaNormalized;
  };
  const Case cases[] = {
      {-1e6, -15.0, -15.0},      {1e6, 15.0, 15.0},
      {-INFINITY, -15.0, -15.0}, {INFINITY, 15.0, 15.0},
      {-1e-320, -1e-320, -15.0}, {NAN, 3.0, 3.0},
  };
  for (const Case& c : cases) {
    IParam out;
    out.InitDouble("Out", 3.0, -15.0, 15.0, 0.001, "", "", 2.0);
    out.Set(c.in);
    EXPECT_EQ(out.Value(), c.viaSet) << c.in;
    out.Set(3.0);
    out.SetNormalized(c.in);
    EXPECT_EQ(out.Value(), c.viaNormalized) << c.in;
  }
}

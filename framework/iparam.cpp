#include "framework/iparam.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/int_convert.h"
#include "framework/text_copy.h"

double FromNormalizedParam(double normalizedValue, double min, double max, double shape) {
  return min + std::pow(normalizedValue, shape) * (max - min);
}

double ToNormalizedParam(double nonNormalizedValue, double min, double max, double shape) {
  return std::pow((nonNormalizedValue - min) / (max - min), 1.0 / shape);
}

// ln(10) / 20, so that 20 dB is a gain of 10.
double DBToAmp(double dB) { return std::exp(0.1151292546497 * dB); }

IParam::IParam() : mDisplayTexts(8 * sizeof(DisplayText)) {}

void IParam::InitBool(const char* name, bool defaultValue, const char* label, const char* group) {
  if (mType == kTypeNone) mType = kTypeBool;
  InitEnum(name, defaultValue ? 1 : 0, 2, label, group);
  SetDisplayText(0, "off");
  SetDisplayText(1, "on");
}

void IParam::InitEnum(const char* name, int defaultValue, int nEnums, const char* label, const char* group) {
  if (mType == kTypeNone) mType = kTypeEnum;
  InitInt(name, defaultValue, 0, nEnums - 1, label, group);
}

void IParam::InitInt(const char* name, int defaultValue, int minVal, int maxVal, const char* label,
                     const char* group) {
  if (mType == kTypeNone) mType = kTypeInt;
  InitDouble(name, defaultValue, minVal, maxVal, 1.0, label, group, 1.0);
}

void IParam::InitDouble(const char* name, double defaultValue, double minVal, double maxVal, double step,
                        const char* label, const char* group, double shape) {
  if (mType == kTypeNone) mType = kTypeDouble;
  CopyTextCut(mName, name);
  CopyTextCut(mLabel, label);
  CopyTextCut(mGroup, group);
  std::atomic_ref<double>(mValue).store(defaultValue, std::memory_order_relaxed);
  mMin = minVal;
  mMax = minVal + step > maxVal ? minVal + step : maxVal;
  mStep = step;
  mDefault = defaultValue;

  mDisplayPrecision = 0;
  for (double workingStep = step; mDisplayPrecision < 6 && workingStep != std::floor(workingStep);
       workingStep *= 10.0)
    ++mDisplayPrecision;

  SetShape(shape);
}

void IParam::SetDisplayText(int value, const char* text) {
  int n = mDisplayTexts.GetSize();
  DisplayText* texts = mDisplayTexts.Resize(n + 1);
  if (!texts) return;
  texts[n].mValue = value;
  CopyTextCut(texts[n].mText, text);
}

void IParam::SetShape(double shape) {
  if (shape != 0.0) mShape = shape;
}

// NaN from a host or a file is ignored rather than stored. A switch or a choice holds whole steps
// only, whichever way its value arrives: its text, the editor and the effect all read that one step.
void IParam::Set(double value) {
  if (std::isnan(value)) return;
  // Rounded to multiples of the step counted from zero, not from the minimum.
  if (mType != kTypeDouble) value = std::floor(0.5 + value / mStep) * mStep;
  std::atomic_ref<double>(mValue).store(value < mMin ? mMin : (value > mMax ? mMax : value), std::memory_order_relaxed);
}

// A normalised value from a file or a host may lie outside 0..1 or be infinite; whatever it is, the
// stored value ends inside the range, since the effect turns it straight into a gain.
void IParam::SetNormalized(double normalizedValue) {
  if (std::isnan(normalizedValue)) return;
  const double n = normalizedValue < 0.0 ? 0.0 : (normalizedValue > 1.0 ? 1.0 : normalizedValue);
  Set(FromNormalizedParam(n, mMin, mMax, mShape));
}

double IParam::DBToAmp() const { return ::DBToAmp(Value()); }

double IParam::GetNormalized() const { return GetNormalized(Value()); }

double IParam::GetNormalized(double nonNormalizedValue) const {
  double v = nonNormalizedValue < mMin ? mMin : (nonNormalizedValue > mMax ? mMax : nonNormalizedValue);
  return ToNormalizedParam(v, mMin, mMax, mShape);
}

double IParam::GetNonNormalized(double normalizedValue) const {
  return FromNormalizedParam(normalizedValue, mMin, mMax, mShape);
}

void IParam::GetBounds(double* pMin, double* pMax) const {
  *pMin = mMin;
  *pMax = mMax;
}

void IParam::GetDisplayForHost(double value, bool normalized, char* buf, bool withDisplayText) const {
  if (normalized) value = FromNormalizedParam(value, mMin, mMax, mShape);
  if (withDisplayText) {
    const char* text = GetDisplayText(TruncToInt(value));
    if (text[0]) {
      std::snprintf(buf, kParamDisplayLen, "%s", text);
      return;
    }
  }
  if (mNegateDisplay) value = -value;
  if (mDisplayPrecision == 0)
    std::snprintf(buf, kParamDisplayLen, "%d", TruncToInt(value));
  else
    std::snprintf(buf, kParamDisplayLen, "%.*f", mDisplayPrecision, value);
}

const char* IParam::GetDisplayText(int value) const {
  const DisplayText* texts = mDisplayTexts.Get();
  for (int i = 0; i < mDisplayTexts.GetSize(); ++i)
    if (texts[i].mValue == value) return texts[i].mText;
  return "";
}

const char* IParam::GetDisplayTextAtIdx(int idx, int* pValue) const {
  if (idx < 0 || idx >= mDisplayTexts.GetSize()) return "";
  const DisplayText& entry = mDisplayTexts.Get()[idx];
  if (pValue) *pValue = entry.mValue;
  return entry.mText;
}

bool IParam::MapDisplayText(const char* text, int* pValue) const {
  const DisplayText* texts = mDisplayTexts.Get();
  for (int i = 0; i < mDisplayTexts.GetSize(); ++i) {
    if (std::strcmp(texts[i].mText, text) == 0) {
      *pValue = texts[i].mValue;
      return true;
    }
  }
  return false;
}

const char* IParam::GetLabelForHost() const { return GetDisplayText(Int())[0] ? "" : mLabel; }

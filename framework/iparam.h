#pragma once
// One automatable parameter: kind, range, resolution, curve to the 0..1 control range, names and
// optional texts shown for particular values. Holds no lock: the plug-in's instance mutex guards
// its setup from more than one thread, and its value is read and written whole.
#include <atomic>

#include "base/heap_buf.h"
#include "framework/int_convert.h"

// Longest text GetDisplayForHost writes, terminator included.
constexpr int kParamDisplayLen = 64;

double FromNormalizedParam(double normalizedValue, double min, double max, double shape);
double ToNormalizedParam(double nonNormalizedValue, double min, double max, double shape);
double DBToAmp(double dB);

class IParam {
 public:
  enum EParamType { kTypeNone = 0, kTypeBool, kTypeInt, kTypeEnum, kTypeDouble };

  static constexpr int kTextLen = 32;

  struct DisplayText {
    int mValue;
    char mText[kTextLen];
  };

  IParam();
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  // Each Init sets the type only while it is still kTypeNone, so the outermost call decides it.
  // Texts longer than 31 characters are cut.
  void InitBool(const char* name, bool defaultValue, const char* label = "", const char* group = "");
  void InitEnum(const char* name, int defaultValue, int nEnums, const char* label = "", const char* group = "");
  void InitInt(const char* name, int defaultValue, int minVal, int maxVal, const char* label = "", const char* group = "");
  void InitDouble(const char* name, double defaultValue, double minVal, double maxVal, double step,
                  const char* label = "", const char* group = "", double shape = 1.0);
  void SetDisplayText(int value, const char* text);
  // A zero shape is ignored.
  void SetShape(double shape);

  EParamType Type() const { return mType; }

  // Rounded to the step for all but continuous parameters, then clamped to the range; NaN is ignored.
  void Set(double value);
  // As Set, from the 0..1 control range.
  void SetNormalized(double normalizedValue);

  // A binding may change the value on the audio thread while another thread saves the state.
  double Value() const { return std::atomic_ref<double>(const_cast<double&>(mValue)).load(std::memory_order_relaxed); }
  bool Bool() const { return Value() >= 0.5; }
  int Int() const { return TruncToInt(Value()); }
  double DBToAmp() const;
  double GetNormalized() const;
  double GetNormalized(double nonNormalizedValue) const;
  double GetNonNormalized(double normalizedValue) const;
  void GetBounds(double* pMin, double* pMax) const;

  // Writes at most kParamDisplayLen bytes including the terminator.
  void GetDisplayForHost(double value, bool normalized, char* buf, bool withDisplayText = true) const;
  void GetDisplayForHost(char* buf) const { GetDisplayForHost(Value(), false, buf); }
  void GetDisplayForHostNoDisplayText(char* buf) const { GetDisplayForHost(Value(), false, buf, false); }

  // "" when the value has no display text; a repeated value keeps its first text.
  const char* GetDisplayText(int value) const;
  int GetNDisplayTexts() const { return mDisplayTexts.GetSize(); }
  // "" for an index outside the list.
  const char* GetDisplayTextAtIdx(int idx, int* pValue = nullptr) const;
  // Exact, case-sensitive match; *pValue is untouched when nothing matches.
  bool MapDisplayText(const char* text, int* pValue) const;

  const char* GetNameForHost() const { return mName; }
  // "" while the current value shows a display text instead of a number.
  const char* GetLabelForHost() const;
  const char* GetParamGroupForHost() const { return mGroup; }
  bool DisplayIsNegated() const { return mNegateDisplay; }
  bool GetCanAutomate() const { return mCanAutomate; }
  bool GetIsMeta() const { return mIsMeta; }
  double GetDefault() const { return mDefault; }
  double GetStep() const { return mStep; }
  double GetShape() const { return mShape; }
  int GetPrecision() const { return mDisplayPrecision; }

 private:
  EParamType mType = kTypeNone;
  double mValue = 0.0;
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mShape = 1.0;
  double mDefault = 0.0;
  int mDisplayPrecision = 0;
  char mName[kTextLen] = "";
  char mLabel[kTextLen] = "";
  char mGroup[kTextLen] = "";
  bool mNegateDisplay = false;
  bool mCanAutomate = true;
  bool mIsMeta = false;
  BRM_TypedBuf<DisplayText> mDisplayTexts;
};

// Asking the user for values: menus for display texts, text fields for numbers, and the menu model.
#include <gtest/gtest.h>

#include "gui/ipopup_menu.h"
#include "gui/knob_controls.h"
#include "gui_test_support.h"

using namespace gui_test;

namespace {

class PromptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mGfx = new TestGraphics(&mPlug, 100, 100);
    IBitmap strip = mGfx->LoadIBitmap(FreshBitmapId(), PictureName(20, 2020).c_str(), 101);
    for (int p = 0; p < kNumParams; ++p) {
      mKnobs[p] = new IKnobMultiControl(&mPlug, 0, 0, p, &strip);
      mGfx->AttachControl(mKnobs[p]);
    }
    mPlug.AttachGraphics(mGfx);
  }
  void Prompt(int p) {
    IRECT area(1, 2, 3, 4);
    mGfx->PromptUserInput(mKnobs[p], mPlug.GetParam(p), &area);
  }

  GuiTestPlug mPlug;
  TestGraphics* mGfx;
  IKnobMultiControl* mKnobs[kNumParams];
};

}  // namespace

TEST_F(PromptTest, DisplayTextsAreChosenFromAMenu) {
  Prompt(kBypass);
  EXPECT_EQ(mGfx->mMenuTexts, (std::vector<std::string>{"off", "on"}));
  EXPECT_EQ(mGfx->mMenuChecked, (std::vector<bool>{true, false}));
  EXPECT_EQ(mGfx->mMenuArea, IRECT(1, 2, 3, 4));
  // Closed without a choice: nothing changes.
  EXPECT_TRUE(mPlug.mEvents.empty());

  mGfx->mMenuChoice = 2;
  Prompt(kMode);
  EXPECT_EQ(mGfx->mMenuChecked, (std::vector<bool>{false, true, false}));
  EXPECT_DOUBLE_EQ(mKnobs[kMode]->GetValue(), 1.0);
  EXPECT_EQ(mPlug.GetParam(kMode)->Int(), 2);
  ASSERT_EQ(mPlug.EventKinds(), "I");
  EXPECT_EQ(mGfx->mEntryControl, nullptr);
}

TEST_F(PromptTest, NumbersAreTypedIntoAFieldHoldingTheValueWithoutDisplayTexts) {
  mPlug.GetParam(kOut)->Set(-7.25);
  Prompt(kOut);
  EXPECT_EQ(mGfx->mEntryControl, mKnobs[kOut]);
  EXPECT_EQ(mGfx->mEntryParam, mPlug.GetParam(kOut));
  EXPECT_EQ(mGfx->mEntryText, "-7.250");
  EXPECT_EQ(mGfx->mEntryArea, IRECT(1, 2, 3, 4));
  EXPECT_TRUE(mGfx->mMenuTexts.empty());
  // Missing pieces ask nothing.
  IRECT area;
  mGfx->mEntryControl = nullptr;
  mGfx->PromptUserInput(nullptr, mPlug.GetParam(kOut), &area);
  mGfx->PromptUserInput(mKnobs[kOut], nullptr, &area);
  mGfx->PromptUserInput(mKnobs[kOut], mPlug.GetParam(kOut), nullptr);
  EXPECT_EQ(mGfx->mEntryControl, nullptr);
}

TEST_F(PromptTest, TypedTextBecomesTheValue) {
  IParam* out = mPlug.GetParam(kOut);
  mGfx->SetFromStringAfterPrompt(mKnobs[kOut], out, "6dB");
  EXPECT_DOUBLE_EQ(out->Value(), 6.0);
  mGfx->SetFromStringAfterPrompt(mKnobs[kOut], out, " -1.5e1");
  EXPECT_DOUBLE_EQ(out->Value(), -15.0);
  mGfx->SetFromStringAfterPrompt(mKnobs[kOut], out, "1e999");
  EXPECT_DOUBLE_EQ(out->Value(), 15.0);
  // No number at the start, or a special value spelled out, leaves the value and tells the host nothing.
  for (const char* text : {"loud", "nan", "-inf", "", "  ", ".", "+e5"}) {
    mGfx->SetFromStringAfterPrompt(mKnobs[kOut], out, "3");
    mPlug.mEvents.clear();
    mGfx->SetFromStringAfterPrompt(mKnobs[kOut], out, text);
    EXPECT_DOUBLE_EQ(out->Value(), 3.0) << text;
    EXPECT_TRUE(mPlug.mEvents.empty()) << text;
  }
  mGfx->SetFromStringAfterPrompt(mKnobs[kOut], out, "0x10");
  EXPECT_DOUBLE_EQ(out->Value(), 0.0);

  IParam* mode = mPlug.GetParam(kMode);
  mGfx->SetFromStringAfterPrompt(mKnobs[kMode], mode, "Hard");
  EXPECT_EQ(mode->Int(), 2);
  mGfx->SetFromStringAfterPrompt(mKnobs[kMode], mode, "hard");
  EXPECT_EQ(mode->Int(), 0);
  mGfx->SetFromStringAfterPrompt(mKnobs[kMode], nullptr, "Hard");
  mGfx->SetFromStringAfterPrompt(mKnobs[kMode], mode, nullptr);
  EXPECT_EQ(mode->Int(), 0);
}

TEST(PopupMenuTest, ItemsPrefixesAndChecks) {
  IPopupMenu menu(IPopupMenu::kPrefixTwoDigits);
  menu.AddItem("High");
  menu.AddItem("Low", 0);
  menu.AddSeparator(1);
  menu.AddItem("Mid", 99, IPopupMenuItem::kDisabled);
  ASSERT_EQ(menu.GetNItems(), 4);
  EXPECT_STREQ(menu.GetItemText(0), "Low");
  EXPECT_TRUE(menu.GetItem(1)->GetIsSeparator());
  EXPECT_STREQ(menu.GetItemText(3), "Mid");
  EXPECT_FALSE(menu.GetItem(3)->GetEnabled());
  EXPECT_EQ(menu.GetItem(4), nullptr);

  menu.SetPrefix(4);
  menu.SetPrefix(-1);
  EXPECT_EQ(menu.GetPrefix(), IPopupMenu::kPrefixTwoDigits);

  EXPECT_TRUE(menu.CheckItem(0, true));
  EXPECT_FALSE(menu.CheckItem(7, true));
  menu.CheckItemAlone(2);
  EXPECT_FALSE(menu.IsItemChecked(0));
  EXPECT_TRUE(menu.IsItemChecked(2));
  EXPECT_FALSE(menu.IsItemChecked(-1));
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);

  IPopupMenu sub;
  sub.AddItem("Inner");
  IPopupMenuItem* pItem = menu.AddItem("More", &sub);
  EXPECT_EQ(pItem->GetSubmenu(), &sub);
}

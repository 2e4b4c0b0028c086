// MIDI out of the LV2 binding, through a MIDI effect made by the build call (KIND midi-effect) whose
// LV2 info says it sends MIDI: it sends on every message it takes.
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>

#include <fstream>
#include <sstream>

#include "lv2/lilv_test_host.h"

namespace korv_test {
namespace {

// What the effect sends in a run leaves at the frames it was taken at, across the binding's pieces (the
// test host's maximum block is 1024 frames); a run carries its own events only.
TEST(LV2MidiOutput, WhatAPlugInSendsLeavesAtItsFrames) {
  LilvTestHost host(KORV_MIDI_THRU_LV2_BUNDLE_DIR, "urn:korvaline-tests:midi-thru");
  TestInstance instance(host);
  ASSERT_NE(instance.Get(), nullptr);
  const std::vector<MidiEvent> events = {{0, {0x90, 60, 100}},   {5, {0xC3, 7}},
                                         {1023, {0xB0, 64, 127}}, {1024, {0x80, 60, 0}},
                                         {1500, {0xF0, 0x7D, 0x01, 0x02, 0xF7}}, {2999, {0xE0, 0x00, 0x40}}};
  instance.Play(events, 3000, 3000);
  EXPECT_EQ(instance.SentMidi(), events);
  instance.Play({}, 512, 512);
  EXPECT_TRUE(instance.SentMidi().empty());
}

// The build call's kind reaches the component's type and both event ports.
TEST(LV2MidiOutput, AMidiEffectTakesAndSendsMidiAndIsAComponentOfItsKind) {
  LilvTestHost host(KORV_MIDI_THRU_LV2_BUNDLE_DIR, "urn:korvaline-tests:midi-thru");
  ASSERT_NE(host.Plugin(), nullptr);
  LilvNode* atomPort = lilv_new_uri(host.World(), LV2_ATOM__AtomPort);
  LilvNode* input = lilv_new_uri(host.World(), LV2_CORE__InputPort);
  LilvNode* output = lilv_new_uri(host.World(), LV2_CORE__OutputPort);
  EXPECT_EQ(lilv_plugin_get_num_ports_of_class(host.Plugin(), atomPort, input, nullptr), 1u);
  EXPECT_EQ(lilv_plugin_get_num_ports_of_class(host.Plugin(), atomPort, output, nullptr), 1u);
  for (LilvNode* node : {atomPort, input, output}) lilv_node_free(node);
  std::ifstream plist(std::string(KORV_MIDI_THRU_BUNDLE_DIR) + "/Contents/Info.plist");
  std::stringstream text;
  text << plist.rdbuf();
  EXPECT_NE(text.str().find("<key>type</key><string>aumf</string>"), std::string::npos);
}

}  // namespace
}  // namespace korv_test

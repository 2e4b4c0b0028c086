#pragma once
// A small LV2 host on lilv for the tests: loads a bundle (the build's KORVALINE.lv2 unless told
// another), instantiates its plug-in with a URID map and a maximum block length, owns the port
// buffers, renders blocks, plays MIDI into a plug-in's event input and reads its event output, and
// moves state through lilv's state API and through the plug-in's state interface directly.
#include <lilv/lilv.h>
#include <lv2/options/options.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <string>
#include <vector>

namespace korv_test {

// A MIDI event as a host hands it on: its frame, counted from the start of what is played, and its bytes.
struct MidiEvent {
  int64_t frame;
  std::vector<uint8_t> bytes;
  bool operator==(const MidiEvent&) const = default;
};

class UridTable {
 public:
  UridTable();
  LV2_URID_Map* Map() { return &mMap; }
  LV2_URID_Unmap* Unmap() { return &mUnmap; }
  LV2_URID Id(const char* uri);
  const char* Uri(LV2_URID id) const;

 private:
  std::vector<std::string> mURIs;
  LV2_URID_Map mMap;
  LV2_URID_Unmap mUnmap;
};

class LilvTestHost {
 public:
  static constexpr int kMaxBlock = 1024;
  explicit LilvTestHost(const char* bundleDir = KORV_LV2_BUNDLE_DIR, const char* uri = "urn:brightmooraudio:korvaline");
  ~LilvTestHost();
  LilvTestHost(const LilvTestHost&) = delete;
  LilvTestHost& operator=(const LilvTestHost&) = delete;

  LilvWorld* World() const { return mWorld; }
  // Null when the bundle did not load.
  const LilvPlugin* Plugin() const { return mPlugin; }
  UridTable& Urids() { return mUrids; }
  // The host's usual features: URID map and unmap, and options naming kMaxBlock.
  const LV2_Feature* const* Features() const { return mFeatures; }
  // The key the plug-in stores its state chunk under.
  const std::string& StateKey() const { return mStateKey; }

 private:
  std::string mStateKey;
  LilvWorld* mWorld = nullptr;
  const LilvPlugin* mPlugin = nullptr;
  UridTable mUrids;
  int32_t mMaxBlock = kMaxBlock;
  LV2_Options_Option mOptions[2];
  LV2_Feature mMapFeature, mUnmapFeature, mOptionsFeature;
  const LV2_Feature* mFeatures[4];
};

// One activated instance with its audio and control ports connected to buffers it owns.
class TestInstance {
 public:
  // features null means the host's usual ones.
  TestInstance(LilvTestHost& host, double sampleRate = 48000.0, const LV2_Feature* const* features = nullptr);
  ~TestInstance();
  TestInstance(const TestInstance&) = delete;
  TestInstance& operator=(const TestInstance&) = delete;

  LilvInstance* Get() const { return mInstance; }
  // The control port with the symbol.
  float& Control(const char* symbol);
  // Mono input to both channels (or input left and *right right), in blocks of at most block frames;
  // left output (and the right one in *rightOutput if given). inPlace runs with the input and output
  // ports on the same buffers.
  std::vector<float> Render(const std::vector<float>& input, int block, bool inPlace = false,
                            const std::vector<float>* right = nullptr, std::vector<float>* rightOutput = nullptr);

  // Runs frames frames in runs of at most block (up to 8 × kMaxBlock) frames, each run's events in the
  // MIDI input and silence in the audio inputs; the first two audio outputs' samples.
  std::vector<std::vector<float>> Play(const std::vector<MidiEvent>& events, int frames, int block);
  // One run of frames (up to 8 × kMaxBlock) with what the MIDI input holds; as Play.
  std::vector<std::vector<float>> RunOnce(int frames);
  // The MIDI input holds the events of the run of frames from start on, timed in the run; the MIDI
  // output is emptied for the plug-in. Allocates nothing.
  void FeedMidi(const std::vector<MidiEvent>& events, int64_t start, int frames);
  // The MIDI input's buffer holds bytes as they are (cut to its size), whatever they claim.
  void FeedRawSequence(const std::vector<uint8_t>& bytes);
  // What the plug-in wrote to its MIDI output in the last run.
  std::vector<MidiEvent> SentMidi() const;

  // The state chunk through the plug-in's state interface; empty when saving fails.
  std::vector<unsigned char> Chunk();
  // Offers value under the plug-in's own key with the given type; returns the plug-in's status.
  LV2_State_Status RestoreChunk(const void* value, size_t size, LV2_URID type, bool offerKey = true);
  const LV2_State_Interface* StateInterface() const;

 private:
  LilvTestHost& mHost;
  LilvInstance* mInstance = nullptr;
  std::vector<float> mIn[2], mOut[2];
  std::vector<float> mControls;
  std::vector<uint32_t> mAudioOutPorts;
  // Atom sequence buffers, 8-byte aligned, of the size the ports ask for.
  std::vector<uint64_t> mMidiIn, mMidiOut;
};

std::vector<float> TestSignal(int frames);

}  // namespace korv_test

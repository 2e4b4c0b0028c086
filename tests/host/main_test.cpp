// korval-host run as a program: rendering files, parameters, presets, and refusals of bad input.
#include <gtest/gtest.h>

#include "host_test_support.h"

using namespace korval_host_test;

namespace {

constexpr int kFrames = 6000;

class HostCli : public ::testing::Test {
 protected:
  std::string In(const std::string& name = "in.wav") const { return mDir.Path(name); }
  std::string Out(const std::string& name = "out.wav") const { return mDir.Path(name); }

  // A failed run must leave no output and no temporary file behind.
  void ExpectRefused(const std::vector<std::string>& arguments, const std::string& messagePart) {
    const std::vector<std::string> before = mDir.Files();
    const HostRun run = RunHost(arguments);
    EXPECT_EQ(run.exitStatus, 2) << run.output;
    EXPECT_NE(run.output.find(messagePart), std::string::npos) << run.output;
    EXPECT_EQ(mDir.Files().size(), before.size()) << "files were left behind";
  }

  TempDir mDir;
};

struct FileKind {
  int channels;
  int format;
};

class HostRenderFormats : public HostCli, public ::testing::WithParamInterface<FileKind> {};

TEST_P(HostRenderFormats, OutputKeepsRateChannelsAndSampleFormat) {
  const FileKind kind = GetParam();
  WriteTestSound(In(), kind.channels, kind.format, kFrames, 22050);
  const HostRun run = RunHost({"render", In(), Out(), "--tail", "0"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_NE(run.output.find("rendered 6000 frames"), std::string::npos) << run.output;

  const Sound input = ReadSound(In()), output = ReadSound(Out());
  EXPECT_EQ(output.info.samplerate, 22050);
  EXPECT_EQ(output.info.channels, kind.channels);
  EXPECT_EQ(output.info.format, kind.format);
  EXPECT_EQ(output.info.frames, kFrames);
  EXPECT_NE(output.samples, input.samples) << "the effect changed nothing";

  // Bypassed, the file comes back sample for sample.
  ASSERT_EQ(RunHost({"render", In(), Out("bypassed.wav"), "--bypass", "--block", "100"}).exitStatus, 0);
  EXPECT_EQ(ReadSound(Out("bypassed.wav")).samples, input.samples);
}

INSTANTIATE_TEST_SUITE_P(MonoStereoIntFloat, HostRenderFormats,
                         ::testing::Values(FileKind{1, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                                           FileKind{2, SF_FORMAT_WAV | SF_FORMAT_PCM_16},
                                           FileKind{1, SF_FORMAT_WAV | SF_FORMAT_FLOAT},
                                           FileKind{2, SF_FORMAT_WAV | SF_FORMAT_FLOAT}),
                         [](const ::testing::TestParamInfo<FileKind>& info) {
                           return std::string(info.param.channels == 1 ? "Mono" : "Stereo") +
                                  ((info.param.format & SF_FORMAT_SUBMASK) == SF_FORMAT_FLOAT ? "Float" : "Int16");
                         });

TEST_F(HostCli, ParametersByNameAndByIndexGiveTheSameFile) {
  WriteTestSound(In(), 2, SF_FORMAT_WAV | SF_FORMAT_FLOAT, kFrames);
  // No tail: the output is compared with the input frame for frame.
  ASSERT_EQ(
      RunHost({"render", In(), Out("named.wav"), "--param", "dry=1", "--param", "Wet=0", "--tail", "0"}).exitStatus, 0);
  ASSERT_EQ(
      RunHost({"render", In(), Out("indexed.wav"), "--param", "0=1", "--param", "1=0", "--tail", "0"}).exitStatus, 0);
  EXPECT_TRUE(ReadBytes(Out("named.wav")) == ReadBytes(Out("indexed.wav")));
  // All dry and no wet gives the first input channel, unchanged, on both outputs.
  const Sound input = ReadSound(In()), dry = ReadSound(Out("named.wav"));
  ASSERT_EQ(dry.samples.size(), input.samples.size());
  for (size_t i = 0; i < input.samples.size(); i += 2) {
    ASSERT_EQ(dry.samples[i], input.samples[i]) << i;
    ASSERT_EQ(dry.samples[i + 1], input.samples[i]) << i;
  }

  ASSERT_EQ(RunHost({"render", In(), Out("louder.wav"), "--param", "Out=6"}).exitStatus, 0);
  ASSERT_EQ(RunHost({"render", In(), Out("plain.wav")}).exitStatus, 0);
  EXPECT_FALSE(ReadBytes(Out("louder.wav")) == ReadBytes(Out("plain.wav")));
}

TEST_F(HostCli, SavedPresetRendersLikeTheSameParameters) {
  WriteTestSound(In(), 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, kFrames);
  const std::string preset = mDir.Path("p.aupreset");
  ASSERT_EQ(RunHost({"preset", "save", preset, "--param", "Dry=0.25", "--param", "Out=-4.5"}).exitStatus, 0);
  ASSERT_EQ(RunHost({"render", In(), Out("preset.wav"), "--preset", preset}).exitStatus, 0);
  ASSERT_EQ(RunHost({"render", In(), Out("params.wav"), "--param", "Dry=0.25", "--param", "Out=-4.5"}).exitStatus, 0);
  EXPECT_TRUE(ReadBytes(Out("preset.wav")) == ReadBytes(Out("params.wav")));

  const HostRun shown = RunHost({"preset", "show", preset});
  EXPECT_EQ(shown.exitStatus, 0) << shown.output;
  EXPECT_NE(shown.output.find("subtype: 'Kor1'"), std::string::npos) << shown.output;
  EXPECT_NE(shown.output.find("Out = -4.5"), std::string::npos) << shown.output;
}

TEST_F(HostCli, OutOfRangeAndUnknownParametersAreRefused) {
  WriteTestSound(In(), 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kFrames);
  ExpectRefused({"render", In(), Out(), "--param", "Out=15.5"}, "-15 to 15");
  ExpectRefused({"render", In(), Out(), "--param", "Dry=-0.1"}, "0 to 1");
  ExpectRefused({"render", In(), Out(), "--param", "Loudness=1"}, "Dry, Wet, Out");
  ExpectRefused({"render", In(), Out(), "--param", "3=1"}, "no parameter");
  ExpectRefused({"render", In(), Out(), "--param", "Wet=half"}, "not a number");
  ExpectRefused({"render", In(), Out(), "--param", "Wet=nan"}, "not a number");
  ExpectRefused({"render", In(), Out(), "--param", "Wet"}, "NAME=VALUE");
  ExpectRefused({"preset", "save", mDir.Path("p.aupreset"), "--param", "Out=99"}, "-15 to 15");
}

TEST_F(HostCli, BadOptionsAreRefused) {
  WriteTestSound(In(), 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, kFrames);
  ExpectRefused({"render", In(), Out(), "--block", "0"}, "--block");
  ExpectRefused({"render", In(), Out(), "--block", "64k"}, "--block");
  ExpectRefused({"render", In(), Out(), "--block"}, "needs a value");
  for (const char* tail : {"-1", "3601", "1e999", "inf", "nan", "2s", ""})
    ExpectRefused({"render", In(), Out(), "--tail", tail}, "--tail takes seconds from 0 to 3600");
  ExpectRefused({"render", In(), Out(), "--tail"}, "needs a value");
  ExpectRefused({"render", In(), Out(), "--loud"}, "unknown option");
  ExpectRefused({"render", In()}, "input and an output");
  ExpectRefused({"transmogrify"}, "unknown command");
  ExpectRefused({"--component", "aufx:Kor1"}, "--component");
}

TEST_F(HostCli, UnreadableAndUnsupportedInputsAreRefusedLeavingTheOutputAlone) {
  WriteBytes(Out(), "previous contents");
  WriteBytes(In("garbage.wav"), "RIFF\x10\0\0\0WAVEfmt this is not audio");
  WriteTestSound(In("three.wav"), 3, SF_FORMAT_WAV | SF_FORMAT_FLOAT, kFrames);
  ExpectRefused({"render", In("missing.wav"), Out()}, "cannot read");
  ExpectRefused({"render", In("garbage.wav"), Out()}, "cannot read");
  ExpectRefused({"render", In("three.wav"), Out()}, "3 channels");
  WriteTestSound(In("fast.wav"), 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 100, 10000000);
  ExpectRefused({"render", In("fast.wav"), Out()}, "sample rate of 10000000 Hz");
  EXPECT_EQ(ReadBytes(Out()), "previous contents");

  WriteBytes(mDir.Path("damaged.aupreset"), "<?xml version=\"1.0\"?><plist><dict><key>data</key>");
  WriteTestSound(In(), 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, kFrames);
  ExpectRefused({"render", In(), Out(), "--preset", mDir.Path("damaged.aupreset")}, "not a preset file");
  ExpectRefused({"preset", "show", mDir.Path("damaged.aupreset")}, "not a preset file");
  EXPECT_EQ(ReadBytes(Out()), "previous contents");
}

TEST_F(HostCli, AWavFileWithAudioMissingRendersWhatThereIsWithAWarning) {
  WriteTestSound(In(), 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, kFrames);
  const std::string whole = ReadBytes(In());
  const size_t sizeField = whole.find("data") + 4;
  ASSERT_EQ(whole.size(), sizeField + 4 + kFrames * 4) << "the data chunk comes last";
  std::string longer = whole;
  longer[sizeField + 2] = 1;  // 65536 bytes more than there are
  const struct {
    const char* what;
    std::string bytes;
    int frames;
    const char* warning;
  } cases[] = {
      {"whole", whole, kFrames, nullptr},
      {"cut off", whole.substr(0, whole.size() - 1001), kFrames - 251, "declares 24000 bytes of audio but only 22996"},
      {"declaring more", longer, kFrames, "declares 89536 bytes of audio but only 24000"},
  };
  for (const auto& c : cases) {
    WriteBytes(In(), c.bytes);
    const HostRun run = RunHost({"render", In(), Out(), "--tail", "0"});
    EXPECT_EQ(run.exitStatus, 0) << c.what << run.output;
    EXPECT_EQ(ReadSound(Out()).info.frames, c.frames) << c.what;
    const bool warned = run.output.find("korval-host: warning: " + In() + " is damaged") != std::string::npos;
    EXPECT_EQ(warned, c.warning != nullptr) << c.what << run.output;
    if (c.warning) {
      EXPECT_NE(run.output.find(c.warning), std::string::npos) << c.what << run.output;
    }
  }
}

TEST_F(HostCli, PresetOfAnotherKindIsRefusedByTheUnit) {
  // A well-formed property list whose codes belong to some other unit.
  WriteBytes(mDir.Path("other.aupreset"),
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
             "<key>version</key><integer>65536</integer><key>type</key><integer>1635083896</integer>"
             "<key>subtype</key><integer>1</integer><key>manufacturer</key><integer>1114795375</integer>"
             "<key>name</key><string></string><key>data</key><data>AAAAAAAAAAAAAAAAAADwPwAAAAAAABjA</data>"
             "</dict></plist>");
  WriteTestSound(In(), 1, SF_FORMAT_WAV | SF_FORMAT_FLOAT, kFrames);
  ExpectRefused({"render", In(), Out(), "--preset", mDir.Path("other.aupreset")}, "refused the preset");
}

TEST_F(HostCli, InfoDescribesTheUnit) {
  const HostRun run = RunHost({"info"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  for (const char* part : {"subtype 'Kor1' manufacturer 'Brmo'", "Dry", "Wet", "range -15 to 15", "1-1 2-2",
                           "latency: 0 s", "elements: input 1, output 1", "factory presets: 0"})
    EXPECT_NE(run.output.find(part), std::string::npos) << part << "\n" << run.output;
}

TEST_F(HostCli, DemoInputIsTheSameEveryTime) {
  ASSERT_EQ(RunHost({"demo-input", Out("a.wav")}).exitStatus, 0);
  ASSERT_EQ(RunHost({"demo-input", Out("b.wav")}).exitStatus, 0);
  EXPECT_TRUE(ReadBytes(Out("a.wav")) == ReadBytes(Out("b.wav")));
  const Sound demo = ReadSound(Out("a.wav"));
  EXPECT_EQ(demo.info.samplerate, 48000);
  EXPECT_EQ(demo.info.channels, 2);
  EXPECT_EQ(demo.info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  EXPECT_EQ(demo.info.frames, 6 * 48000);

  // Rendered at default parameters the demo must stay within full scale and still be clearly heard.
  ASSERT_EQ(RunHost({"render", Out("a.wav"), Out("rendered.wav")}).exitStatus, 0);
  float peak = 0;
  for (float sample : ReadSound(Out("rendered.wav")).samples) peak = std::max(peak, std::abs(sample));
  EXPECT_LT(peak, 1.0f);
  EXPECT_GT(peak, 0.1f);
}

}  // namespace

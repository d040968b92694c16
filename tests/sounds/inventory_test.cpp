// The whole inventory of recordings that tools/make-sounds renders into
// hangok/: every file the game plays exists, decodes, has its length, never
// clips, loops without a click, and the number clips keep the one canonical
// WAV layout that joining them needs.
//
// Runs from the repository root after tools/make-sounds.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

enum class Kind {
  numberClip,  // canonical 44-byte layout, the clips' shared format, cut tight
  silence,     // ures.wav: canonical layout, the shared format, silent
  wav,         // any other WAV: canonical layout, plain PCM
  mp3,
};

struct Recording {
  const char* path;
  Kind kind;
  double minSeconds;
  double maxSeconds;
  bool loop = false;    // played looped: its seam must not click
  bool mono = false;    // played at a 3D position: must be mono to be placed
};

void PrintTo(const Recording& recording, std::ostream* out) { *out << recording.path; }

constexpr double kMaxPeak = 0.891251;     // -1 dBFS
constexpr double kMaxSeamJump = 0.02;     // about -34 dBFS between last and first sample
constexpr double kClipEdgeLevel = 0.003;  // -50 dBFS: below this an edge counts as silence
constexpr double kMaxClipEdgeSeconds = 0.012;
constexpr double kMaxLoopGapSeconds = 0.005;
constexpr int kClipRate = 22050;

constexpr Kind N = Kind::numberClip;
constexpr Kind W = Kind::wav;
constexpr Kind M = Kind::mp3;

// Lengths: the game's own waits and what each sound must do (a footstep is
// short; the jingle ends before the 16.5 s start-up wait; a loop repeats).
const Recording kInventory[] = {
    {"hangok/szamok/0.wav", N, 0.1, 1.0},
    {"hangok/szamok/1.wav", N, 0.1, 1.0},
    {"hangok/szamok/2.wav", N, 0.1, 1.0},
    {"hangok/szamok/3.wav", N, 0.1, 1.0},
    {"hangok/szamok/4.wav", N, 0.1, 1.0},
    {"hangok/szamok/5.wav", N, 0.1, 1.0},
    {"hangok/szamok/6.wav", N, 0.1, 1.0},
    {"hangok/szamok/7.wav", N, 0.1, 1.0},
    {"hangok/szamok/8.wav", N, 0.1, 1.0},
    {"hangok/szamok/9.wav", N, 0.1, 1.0},
    {"hangok/szamok/10.wav", N, 0.1, 1.0},
    {"hangok/szamok/20.wav", N, 0.1, 1.0},
    {"hangok/szamok/30.wav", N, 0.1, 1.0},
    {"hangok/szamok/40.wav", N, 0.1, 1.0},
    {"hangok/szamok/50.wav", N, 0.1, 1.0},
    {"hangok/szamok/60.wav", N, 0.1, 1.0},
    {"hangok/szamok/70.wav", N, 0.1, 1.0},
    {"hangok/szamok/80.wav", N, 0.1, 1.0},
    {"hangok/szamok/90.wav", N, 0.1, 1.0},
    {"hangok/szamok/tizen.wav", N, 0.1, 1.0},
    {"hangok/szamok/huszon.wav", N, 0.1, 1.0},
    {"hangok/szamok/100.wav", N, 0.1, 1.0},
    {"hangok/szamok/1000.wav", N, 0.1, 1.0},
    {"hangok/szamok/ures.wav", Kind::silence, 0.001, 0.020},

    {"hangok/menu.wav", W, 0.3, 2.5},
    {"hangok/menu/ujjatek.wav", W, 0.3, 2.0},
    {"hangok/menu/hangszoroteszt.wav", W, 0.3, 2.0},
    {"hangok/menu/sugo.wav", W, 0.3, 2.0},
    {"hangok/menu/keszito.wav", W, 0.3, 2.0},
    {"hangok/menu/kilepes.wav", W, 0.3, 2.0},
    {"hangok/menu/visszaajatekhoz.wav", W, 0.3, 2.0},
    {"hangok/hangszoroteszt.mp3", M, 4.0, 5.2},
    {"hangok/sugo.mp3", M, 10.0, 30.0},
    {"hangok/keszito.mp3", M, 15.0, 18.5},

    {"hangok/zene/szignal.mp3", M, 8.0, 16.5},
    {"hangok/zene/menuzene.mp3", M, 30.0, 90.0, true},
    {"hangok/zene/intro.mp3", M, 20.0, 38.0},
    {"hangok/zene/jatekzene.mp3", M, 30.0, 90.0, true},
    {"hangok/zene/jatekzene2.mp3", M, 30.0, 90.0, true},
    {"hangok/zene/jatekzene3.mp3", M, 30.0, 90.0, true},
    {"hangok/zene/outro_joveg.mp3", M, 48.0, 54.0},
    {"hangok/zene/outro_rosszveg.mp3", M, 22.0, 26.0},

    {"hangok/lepes.wav", W, 0.05, 0.4},
    {"hangok/loves.wav", W, 0.05, 0.8},
    {"hangok/loves2.wav", W, 0.05, 0.8},
    {"hangok/loves3.wav", W, 0.05, 0.8},
    {"hangok/toltes.wav", W, 0.2, 1.5},
    {"hangok/toltes2.wav", W, 0.2, 1.5},
    {"hangok/toltes3.wav", W, 0.2, 1.5},
    {"hangok/uresloves.wav", W, 0.01, 0.3},
    {"hangok/fegyvervaltas.wav", W, 0.1, 0.6},
    {"hangok/szorny.wav", W, 1.0, 3.0, true, true},
    {"hangok/radar.wav", W, 0.4, 1.0, true, true},
    {"hangok/szornyserul.wav", W, 0.1, 1.0},
    {"hangok/szornyhalal1.wav", W, 0.1, 2.0},
    {"hangok/szornyhalal.wav", W, 0.3, 2.0},
    {"hangok/halal.wav", W, 0.3, 2.0},
    {"hangok/szintlepes.wav", W, 0.5, 3.0},
    {"hangok/kodker.wav", W, 0.3, 2.0},
    {"hangok/kodelfogadva.wav", W, 0.3, 2.0},
    {"hangok/kfegyvervesz.wav", W, 0.5, 3.0, true},
    {"hangok/kfegyvermegvan.wav", W, 0.5, 2.5},
    {"hangok/kristalyuzenet.wav", W, 1.0, 4.5},
    {"hangok/kristalyzuz.wav", W, 0.03, 0.3},
    {"hangok/kristaly.wav", W, 0.1, 0.5},
    {"hangok/pontodlett.wav", W, 0.3, 1.5},
    {"hangok/eletedmaradt.wav", W, 0.3, 1.5},
    {"hangok/szornyetoltelmeg.wav", W, 0.3, 2.0},
    {"hangok/gratulalok.wav", W, 0.3, 2.0},
};

struct Audio {
  int rate = 0;
  int channels = 0;
  int format = 0;
  std::vector<float> samples;  // interleaved

  sf_count_t frames() const { return static_cast<sf_count_t>(samples.size()) / channels; }
  double seconds() const { return static_cast<double>(frames()) / rate; }
  float at(sf_count_t frame, int channel) const {
    return samples[static_cast<size_t>(frame * channels + channel)];
  }
};

std::optional<Audio> decode(const std::string& path) {
  SF_INFO info{};
  std::unique_ptr<SNDFILE, decltype(&sf_close)> file(sf_open(path.c_str(), SFM_READ, &info),
                                                     &sf_close);
  if (!file || info.frames <= 0 || info.channels <= 0) return std::nullopt;
  Audio audio{info.samplerate, info.channels, info.format, {}};
  audio.samples.resize(static_cast<size_t>(info.frames * info.channels));
  // An MP3's frame count is an estimate: keep what was really decoded.
  const sf_count_t read = sf_readf_float(file.get(), audio.samples.data(), info.frames);
  audio.samples.resize(static_cast<size_t>(read * info.channels));
  if (read <= 0) return std::nullopt;
  return audio;
}

std::vector<unsigned char> bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t u32(const std::vector<unsigned char>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t u16(const std::vector<unsigned char>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}
std::string tag(const std::vector<unsigned char>& b, size_t at) {
  return std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
}

// RIFF, a 16-byte PCM format chunk, then the data chunk at byte 36 and
// nothing after it: the layout the game's WAV reader and joiner expect.
void expectCanonicalLayout(const std::vector<unsigned char>& b, int rate, int channels) {
  ASSERT_GE(b.size(), 44u);
  const auto size = static_cast<uint32_t>(b.size());
  EXPECT_EQ(tag(b, 0), "RIFF");
  EXPECT_EQ(u32(b, 4), size - 8);
  EXPECT_EQ(tag(b, 8), "WAVE");
  EXPECT_EQ(tag(b, 12), "fmt ");
  EXPECT_EQ(u32(b, 16), 16u);
  EXPECT_EQ(u16(b, 20), 1u) << "format tag: plain PCM";
  EXPECT_EQ(u16(b, 22), channels);
  EXPECT_EQ(u32(b, 24), static_cast<uint32_t>(rate));
  EXPECT_EQ(u16(b, 34), 16u) << "bits per sample";
  EXPECT_EQ(u32(b, 28), static_cast<uint32_t>(rate * channels * 2)) << "bytes a second";
  EXPECT_EQ(u16(b, 32), channels * 2) << "block align";
  EXPECT_EQ(tag(b, 36), "data");
  EXPECT_EQ(u32(b, 40), size - 44);
}

double peakOf(const Audio& audio) {
  double peak = 0;
  for (float s : audio.samples) peak = std::max(peak, static_cast<double>(std::fabs(s)));
  return peak;
}

// Seconds of near-silence (below -50 dBFS) before the first and after the
// last audible sample.
std::pair<double, double> silentEdges(const Audio& audio) {
  const auto loud = [](float s) { return std::fabs(s) >= kClipEdgeLevel; };
  const auto first = std::find_if(audio.samples.begin(), audio.samples.end(), loud);
  const auto last = std::find_if(audio.samples.rbegin(), audio.samples.rend(), loud);
  const double perSample = 1.0 / (audio.rate * audio.channels);
  return {static_cast<double>(first - audio.samples.begin()) * perSample,
          static_cast<double>(last - audio.samples.rbegin()) * perSample};
}

class Inventory : public testing::TestWithParam<Recording> {};

TEST_P(Inventory, FileIsPresentDecodesAndKeepsItsShape) {
  const Recording& r = GetParam();
  ASSERT_TRUE(std::filesystem::is_regular_file(r.path))
      << r.path << " is missing: run tools/make-sounds from the repository root";
  const std::optional<Audio> audio = decode(r.path);
  ASSERT_TRUE(audio) << r.path << " does not decode: " << sf_strerror(nullptr);

  EXPECT_GE(audio->seconds(), r.minSeconds);
  EXPECT_LE(audio->seconds(), r.maxSeconds);
  EXPECT_LE(peakOf(*audio), kMaxPeak) << "clips or comes too close to full scale";
  if (r.mono) {
    EXPECT_EQ(audio->channels, 1) << "a sound placed in 3D must be mono";
  }

  if (r.loop) {
    for (int c = 0; c < audio->channels; ++c) {
      const float jump = audio->at(audio->frames() - 1, c) - audio->at(0, c);
      EXPECT_LE(std::fabs(jump), kMaxSeamJump) << "the loop clicks at its seam, channel " << c;
    }
  }
  if (r.loop && r.kind == Kind::mp3) {
    // Music plays on across the seam; silence at an end would be a gap in
    // every round (an MP3 decoded without its gapless length shows one).
    const auto [lead, trail] = silentEdges(*audio);
    EXPECT_LE(lead, kMaxLoopGapSeconds) << "the loop begins with a gap";
    EXPECT_LE(trail, kMaxLoopGapSeconds) << "the loop ends with a gap";
  }

  switch (r.kind) {
    case Kind::numberClip: {
      expectCanonicalLayout(bytesOf(r.path), kClipRate, 1);
      const auto [lead, trail] = silentEdges(*audio);
      EXPECT_LE(lead, kMaxClipEdgeSeconds) << "silence before the word";
      EXPECT_LE(trail, kMaxClipEdgeSeconds) << "silence after the word";
      break;
    }
    case Kind::silence:
      expectCanonicalLayout(bytesOf(r.path), kClipRate, 1);
      EXPECT_EQ(peakOf(*audio), 0.0);
      break;
    case Kind::wav:
      expectCanonicalLayout(bytesOf(r.path), audio->rate, audio->channels);
      break;
    case Kind::mp3:
      EXPECT_EQ(audio->format & SF_FORMAT_TYPEMASK, SF_FORMAT_MPEG);
      break;
  }
}

INSTANTIATE_TEST_SUITE_P(Recordings, Inventory, testing::ValuesIn(kInventory),
                         [](const testing::TestParamInfo<Recording>& info) {
                           std::string name = info.param.path;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

// The speaker test names the left speaker on the left only, then the right
// one on the right only (the recipe says them at 0.2 s and 2 s).
TEST(SpeakerTest, LeftSpeechThenRightSpeech) {
  const std::optional<Audio> audio = decode("hangok/hangszoroteszt.mp3");
  ASSERT_TRUE(audio);
  ASSERT_EQ(audio->channels, 2);
  const auto energy = [&](double from, double to, int channel) {
    double sum = 0;
    const auto end = std::min(audio->frames(), static_cast<sf_count_t>(to * audio->rate));
    for (auto f = static_cast<sf_count_t>(from * audio->rate); f < end; ++f) {
      sum += audio->at(f, channel) * audio->at(f, channel);
    }
    return sum;
  };
  EXPECT_GT(energy(0.0, 1.7, 0), 100 * energy(0.0, 1.7, 1)) << "the left speech leaks right";
  EXPECT_GT(energy(1.9, 3.6, 1), 100 * energy(1.9, 3.6, 0)) << "the right speech leaks left";
}

}  // namespace

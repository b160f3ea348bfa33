// The parts of zelfin-host that do not need the plug-in: the command line, PNG files, the
// conversion between pictures and the host's pixels, and the registration check.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "CommandLine.h"
#include "Frame.h"
#include "testhost/panels/Png.h"
#include "Registration.h"
#include "testhost/core/World.h"

namespace {

using namespace zelfin_host;

const Command kDragLike = {
    "drag",
    {"PLUGIN"},
    "test",
    {{"--to", "X,Y", true, ""}, {"--panel", "comp|layer", false, ""}, {"--shift", "", false, ""}},
    "",
    nullptr};

TEST(CommandLine, TakesOptionsAnywhereInEitherSpelling) {
  const Arguments args =
      ParseArguments(kDragLike, {"--to", "1,2", "plug.so", "--to=3,4", "--shift", "--panel", "layer"});
  EXPECT_EQ(args.positionals, std::vector<std::string>{"plug.so"});
  EXPECT_EQ(args.values("--to"), (std::vector<std::string>{"1,2", "3,4"}));
  EXPECT_TRUE(args.has("--shift"));
  EXPECT_EQ(args.value("--panel", "comp"), "layer");
  EXPECT_EQ(args.value("--missing", "fallback"), "fallback");
  // A value that looks like an option is still the option's value; "--" ends the options.
  EXPECT_EQ(ParseArguments(kDragLike, {"p", "--to", "-5,-6"}).values("--to")[0], "-5,-6");
  EXPECT_EQ(ParseArguments(kDragLike, {"--", "--shift"}).positionals[0], "--shift");
  EXPECT_TRUE(ParseArguments(kDragLike, {"--help"}).help);
}

TEST(CommandLine, RefusesWhatDoesNotFitTheCommand) {
  const struct {
    std::vector<std::string> words;
    const char* message;
  } cases[] = {
      {{}, "missing PLUGIN"},
      {{"a", "b"}, "unexpected argument 'b'"},
      {{"a", "--frobnicate"}, "unknown option --frobnicate"},
      {{"a", "--to"}, "--to needs a value"},
      {{"a", "--shift=yes"}, "--shift takes no value"},
      {{"a", "--shift", "--shift"}, "--shift is given twice"},
      {{"a", "--panel", "comp", "--panel", "layer"}, "--panel is given twice"},
  };
  for (const auto& c : cases) {
    try {
      ParseArguments(kDragLike, c.words);
      ADD_FAILURE() << c.message << ": accepted";
    } catch (const UsageError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
}

TEST(CommandLine, HelpListsEveryOption) {
  const std::string help = CommandHelp(kDragLike);
  for (const char* text : {"usage: zelfin-host drag PLUGIN [options]", "--to X,Y  ",
                           "--panel comp|layer", "--shift", "--help", "exit status:\n  0  done",
                           "\n  2  a bad command line", "\n  3  an internal error"}) {
    EXPECT_NE(help.find(text), std::string::npos) << text << " in\n" << help;
  }
}

class PngFiles : public testing::Test {
 protected:
  void TearDown() override { std::remove(path_.c_str()); }
  std::string path_ = (std::filesystem::temp_directory_path() /
                       ("zelfin-host-test-" + std::to_string(::getpid()) + ".png"))
                          .string();
};

testhost::RgbaImage Samples(int width, int height, int step) {
  testhost::RgbaImage image = testhost::MakeImage(width, height);
  for (std::size_t i = 0; i < image.samples.size(); ++i) {
    image.samples[i] = static_cast<std::uint16_t>((i * static_cast<std::size_t>(step)) % 65536);
  }
  return image;
}

TEST_F(PngFiles, KeepEverySampleAtSixteenBitsAndEveryByteAtEight) {
  const testhost::RgbaImage deep = Samples(7, 5, 4099);
  testhost::WritePng(path_, deep, 16);
  EXPECT_EQ(testhost::ReadPng(path_).samples, deep.samples);

  testhost::RgbaImage shallow = Samples(5, 3, 1);
  for (auto& s : shallow.samples) s = static_cast<std::uint16_t>((s * 37 % 256) * 257);
  testhost::WritePng(path_, shallow, 8);
  const testhost::RgbaImage back = testhost::ReadPng(path_);
  EXPECT_EQ(back.width, 5);
  EXPECT_EQ(back.height, 3);
  EXPECT_EQ(back.samples, shallow.samples);
}

TEST_F(PngFiles, GreyWithoutAlphaBecomesOpaqueColour) {
  const testhost::RgbaImage grey = testhost::ReadPng(ZELFIN_HOST_TEST_DATA "/grey16.png");
  ASSERT_EQ(grey.width, 12);
  const std::uint16_t* p = grey.pixel(3, 2);
  const std::uint16_t expected = (3 * 8 + 2) * 661 % 65536;
  EXPECT_EQ(p[0], expected);
  EXPECT_EQ(p[1], expected);
  EXPECT_EQ(p[2], expected);
  EXPECT_EQ(p[3], 65535);
}

TEST_F(PngFiles, RefuseWhatIsNotAWholePicture) {
  testhost::WritePng(path_, Samples(40, 40, 7), 16);
  std::filesystem::resize_file(path_, std::filesystem::file_size(path_) / 2);
  EXPECT_THROW(testhost::ReadPng(path_), std::runtime_error);
  std::filesystem::resize_file(path_, 4);
  EXPECT_THROW(testhost::ReadPng(path_), std::runtime_error);
  EXPECT_THROW(testhost::ReadPng(path_ + ".missing"), std::runtime_error);
  EXPECT_THROW(testhost::WritePng("/nonexistent-folder/out.png", Samples(1, 1, 1), 8), std::runtime_error);
}

TEST_F(PngFiles, RefuseToWriteAnImageWithoutItsSamples) {
  testhost::RgbaImage shortOfSamples = Samples(4, 4, 1);
  shortOfSamples.samples.resize(4 * 4 * 4 - 1);
  testhost::RgbaImage inconsistent = Samples(2, 2, 1);
  inconsistent.width = 3;
  for (const testhost::RgbaImage& image :
       {testhost::RgbaImage{}, Samples(0, 5, 1), shortOfSamples, inconsistent}) {
    EXPECT_THROW(testhost::WritePng(path_, image, 8), std::invalid_argument);
  }
  EXPECT_FALSE(std::filesystem::exists(path_));
}

void AppendChunk(std::vector<unsigned char>& file, const char* type,
                 const std::vector<unsigned char>& data) {
  const auto put32 = [&file](std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) file.push_back(static_cast<unsigned char>(v >> shift));
  };
  put32(static_cast<std::uint32_t>(data.size()));
  std::vector<unsigned char> body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : body) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  file.insert(file.end(), body.begin(), body.end());
  put32(crc ^ 0xFFFFFFFFu);
}

// A PNG file that declares a picture of that size and stops at its (empty) first data chunk.
std::vector<unsigned char> PngHeader(std::uint32_t width, std::uint32_t height) {
  std::vector<unsigned char> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> header;
  for (std::uint32_t v : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8) header.push_back(static_cast<unsigned char>(v >> shift));
  }
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA
  AppendChunk(file, "IHDR", header);
  AppendChunk(file, "IDAT", {});
  return file;
}

// Too wide, too tall or too large in all: the same refusal, before anything is allocated.
TEST_F(PngFiles, RefuseAPictureTooLargeBeforeReadingIt) {
  const std::pair<std::uint32_t, std::uint32_t> sizes[] = {
      {5000, 4000}, {16385, 1}, {1, 16385}, {0x7FFFFFFF, 0x7FFFFFFF}};
  for (const auto& [width, height] : sizes) {
    const auto bytes = PngHeader(width, height);
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    const std::string expected = path_ + " is too large: " + std::to_string(width) + " x " +
                                 std::to_string(height) +
                                 " pixels, where at most 16384 on a side and 16777216 in all"
                                 " are read";
    try {
      testhost::ReadPng(path_);
      ADD_FAILURE() << "read " << width << " x " << height;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), expected);
    }
  }
  // The largest on a side that fits, and a file that is no file, are told apart.
  const auto bytes = PngHeader(16384, 1);
  std::FILE* file = std::fopen(path_.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  try {
    testhost::ReadPng(path_);
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()).find("too large"), std::string::npos) << e.what();
  }
  EXPECT_THROW(testhost::ReadPng("/dev/zero"), std::runtime_error);
}

// A picture reaches the host's buffers channel by channel, in the host's ranges, and comes back.
TEST(Frame, PixelsKeepTheirChannelsAndRangesAtEveryDepth) {
  testhost::RgbaImage image = testhost::MakeImage(2, 1);
  std::uint16_t* p = image.pixel(0, 0);
  p[0] = 65535;  // red
  p[1] = 0;
  p[2] = 32896;  // blue, 128 * 257
  p[3] = 65535;
  std::uint16_t* q = image.pixel(1, 0);
  q[0] = 257;
  q[1] = 514;
  q[2] = 771;
  q[3] = 0;

  testhost::World w8(2, 1, testhost::Depth::Bits8);
  ToWorld(image, w8);
  EXPECT_EQ(w8.pixel8(0, 0).red, 255);
  EXPECT_EQ(w8.pixel8(0, 0).green, 0);
  EXPECT_EQ(w8.pixel8(0, 0).blue, 128);
  EXPECT_EQ(w8.pixel8(0, 0).alpha, 255);
  EXPECT_EQ(w8.pixel8(1, 0).alpha, 0);
  EXPECT_EQ(FromWorld(w8).samples, image.samples);

  testhost::World w16(2, 1, testhost::Depth::Bits16);
  ToWorld(image, w16);
  EXPECT_EQ(w16.pixel16(0, 0).red, PF_MAX_CHAN16);
  EXPECT_EQ(w16.pixel16(0, 0).blue, 16448);
  EXPECT_EQ(w16.pixel16(0, 0).alpha, PF_MAX_CHAN16);
  const testhost::RgbaImage back16 = FromWorld(w16);
  for (std::size_t i = 0; i < image.samples.size(); ++i) {
    EXPECT_NEAR(back16.samples[i], image.samples[i], 1) << i;
  }

  testhost::World wf(2, 1, testhost::Depth::Float32);
  ToWorld(image, wf);
  EXPECT_FLOAT_EQ(wf.pixelFloat(0, 0).red, 1.0f);
  EXPECT_FLOAT_EQ(wf.pixelFloat(0, 0).blue, 128.0f / 255.0f);
  EXPECT_FLOAT_EQ(wf.pixelFloat(1, 0).alpha, 0.0f);
  EXPECT_EQ(FromWorld(wf).samples, image.samples);
}

TEST(Frame, OutOfRangeHostValuesAreClampedForTheFile) {
  testhost::World wf(1, 1, testhost::Depth::Float32);
  auto* px = reinterpret_cast<PF_PixelFloat*>(wf.pixelAddress(0, 0));
  *px = {2.5f, -1.0f, 0.5f, std::nanf("")};
  const testhost::RgbaImage image = FromWorld(wf);
  EXPECT_EQ(image.pixel(0, 0)[3], 65535);  // alpha
  EXPECT_EQ(image.pixel(0, 0)[0], 0);      // red
  EXPECT_EQ(image.pixel(0, 0)[1], 32768);  // green
  EXPECT_EQ(image.pixel(0, 0)[2], 0);      // blue

  testhost::World w16(1, 1, testhost::Depth::Bits16);
  *reinterpret_cast<PF_Pixel16*>(w16.pixelAddress(0, 0)) = {65535, 32768, 16384, 0};
  const testhost::RgbaImage deep = FromWorld(w16);
  EXPECT_EQ(deep.pixel(0, 0)[3], 65535);
  EXPECT_EQ(deep.pixel(0, 0)[0], 65535);
  EXPECT_EQ(deep.pixel(0, 0)[1], 32768);
}

TEST(Registration, NamesEachFieldWhereGlobalSetupDisagrees) {
  DeclaredEffect declared;
  declared.version = PF_VERSION(1, 1, 0, PF_Stage_RELEASE, 1);
  declared.outFlags = PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_CUSTOM_UI;
  declared.outFlags2 = PF_OutFlag2_SUPPORTS_SMART_RENDER;
  PF_OutData reported{};
  reported.my_version = declared.version;
  reported.out_flags = static_cast<PF_OutFlags>(declared.outFlags);
  reported.out_flags2 = static_cast<PF_OutFlags2>(declared.outFlags2);
  EXPECT_TRUE(Disagreements(declared, reported).empty());

  reported.my_version = PF_VERSION(1, 2, 0, PF_Stage_RELEASE, 1);
  reported.out_flags2 = 0;
  const std::vector<std::string> found = Disagreements(declared, reported);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0], "version: global setup reports 1.2.0 (0x00090601), the resource 1.1.0 (0x00088601)");
  EXPECT_EQ(found[1], "out_flags2: global setup reports 0x00000000, the resource 0x00000400");
}

TEST(Registration, FlagWordsAreSpelledOutWithUnknownBitsInHex) {
  EXPECT_EQ(OutFlagNames(PF_OutFlag_CUSTOM_UI | PF_OutFlag_DEEP_COLOR_AWARE | 0x1),
            "CUSTOM_UI DEEP_COLOR_AWARE 0x00000001");
  EXPECT_EQ(OutFlag2Names(0), "none");
}

}  // namespace

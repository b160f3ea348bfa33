// Damaged and hostile files as the stand-in host and zelfin-host meet them: each is refused with
// one line naming the problem, before anything is loaded or read whole; and zelfin-host itself
// run on the cases users found, for its exit status and what it prints.
#include <gtest/gtest.h>

#include <elf.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "CommandLine.h"
#include "ProgramRun.h"
#include "Listing.h"
#include "PluginFile.h"
#include "testhost/formats/EscapedText.h"
#include "testhost/loader/PluginFileCheck.h"
#include "testhost/panels/Png.h"

extern char** environ;

// A sanitizer's shadow memory needs more address space than a memory limit leaves.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZELFIN_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define ZELFIN_SANITIZED 1
#endif
#endif

namespace {

namespace fs = std::filesystem;
using zelfin_host_test::Bytes;
using zelfin_host_test::OnePrintableLine;
using zelfin_host_test::Outcome;
using zelfin_host_test::ReadAll;
using zelfin_host_test::RunProgram;
using zelfin_host_test::WriteAll;

// A bundle's Info.plist naming `executable` as its code, as the host reads it.
void WriteInfoPlist(const fs::path& bundle, const std::string& executable) {
  const std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
      "\t<key>CFBundleExecutable</key>\n\t<string>" + executable + "</string>\n"
      "\t<key>CFBundleIdentifier</key>\n\t<string>org.zelfin.Test</string>\n</dict>\n</plist>\n";
  WriteAll(bundle / "Contents" / "Info.plist", Bytes(text.begin(), text.end()));
}

const Bytes& Library() {
  static const Bytes bytes = ReadAll(ZELFIN_HOST_TEST_PLUGIN);
  return bytes;
}

const Bytes& Resources() {
  static const Bytes bytes = ReadAll(testhost::RegistrationResourcePath(ZELFIN_HOST_TEST_PLUGIN));
  return bytes;
}

class DamagedFiles : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("zelfin-damaged-" + std::to_string(::getpid()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The library and its resources side by side, as the build leaves them.
  std::string library(const std::string& name, const Bytes& code, const Bytes& resources) {
    WriteAll(dir_ / (name + ".so"), code);
    WriteAll(dir_ / (name + ".rsrc"), resources);
    return (dir_ / (name + ".so")).string();
  }

  // The pre-check's refusal of `path`, or "" when it takes the file.
  std::string refusal(const std::string& path) {
    try {
      testhost::CheckPluginFile(path, path);
      return "";
    } catch (const testhost::LoadError& e) {
      return e.what();
    }
  }

  fs::path dir_;
};

// --- The library, cut and damaged.

TEST_F(DamagedFiles, EveryCutCopyOfTheLibraryIsRefusedBeforeItIsLoaded) {
  const Bytes& whole = Library();
  const std::string path = library("Cut", whole, Resources());
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n < 2048; ++n) lengths.push_back(n);
  for (std::size_t n = 2048; n < whole.size() - 256; n += 61) lengths.push_back(n);
  for (std::size_t n = whole.size() - 256; n < whole.size(); ++n) lengths.push_back(n);
  // One file cut ever shorter: each length is one truncation, not a copy.
  std::sort(lengths.rbegin(), lengths.rend());
  std::size_t refused = 0;
  for (const std::size_t n : lengths) {
    fs::resize_file(path, n);
    try {
      testhost::PluginModule module(path);
      ADD_FAILURE() << "loaded the library cut to " << n << " bytes";
    } catch (const testhost::LoadError& e) {
      const std::string message = e.what();
      ++refused;
      if (message.rfind("cannot load plug-in " + path + ": ", 0) != 0 ||
          !OnePrintableLine(message)) {
        ADD_FAILURE() << n << " bytes: " << message;
      }
    }
  }
  EXPECT_EQ(refused, lengths.size());
  fs::resize_file(path, 0);
  WriteAll(path, whole);
  EXPECT_TRUE(testhost::PluginModule(path).exports("EntryPointFunc_2d"));
}

// Each header field the system loader trusts, made to point outside the file or to another
// build, is named in the refusal.
TEST_F(DamagedFiles, ALibraryWhoseHeadersDoNotFitIsRefusedNamingWhat) {
  using Header = Elf64_Ehdr;
  using Segment = Elf64_Phdr;
  using Section = Elf64_Shdr;
  const Bytes& good = Library();
  Header header;
  std::memcpy(&header, good.data(), sizeof header);
  const auto segmentAt = [&](std::size_t i) { return header.e_phoff + i * sizeof(Segment); };
  std::size_t firstLoad = 0;
  for (; firstLoad < header.e_phnum; ++firstLoad) {
    Segment s;
    std::memcpy(&s, good.data() + segmentAt(firstLoad), sizeof s);
    if (s.p_type == PT_LOAD) break;
  }
  ASSERT_LT(firstLoad, header.e_phnum);
  const std::size_t lastSection = header.e_shoff + (header.e_shnum - 1) * sizeof(Section);

  const auto edit = [&](std::size_t at, const auto& value) {
    Bytes b = good;
    std::memcpy(b.data() + at, &value, sizeof value);
    return b;
  };
  const auto everySegmentNull = [&] {
    Bytes b = good;
    for (std::size_t i = 0; i < header.e_phnum; ++i) {
      const Elf64_Word none = PT_NULL;
      std::memcpy(b.data() + segmentAt(i) + offsetof(Segment, p_type), &none, sizeof none);
    }
    return b;
  };
  const struct {
    const char* what;
    Bytes file;
    std::string message;
  } cases[] = {
      {"32-bit", edit(EI_CLASS, std::uint8_t{ELFCLASS32}), "a 32-bit ELF file; this build loads 64-bit"},
      {"big-endian", edit(EI_DATA, std::uint8_t{ELFDATA2MSB}), "big-endian byte order"},
      {"a program", edit(offsetof(Header, e_type), Elf64_Half{ET_EXEC}), "not a shared library: a program"},
      {"another machine", edit(offsetof(Header, e_machine), Elf64_Half{EM_AARCH64}),
       "a library for arm64; this build loads x86_64"},
      {"program headers elsewhere", edit(offsetof(Header, e_phoff), Elf64_Off{good.size() - 8}),
       "its program header table"},
      {"odd program header size", edit(offsetof(Header, e_phentsize), Elf64_Half{40}),
       "program headers of 40 bytes each"},
      {"no program headers", edit(offsetof(Header, e_phnum), Elf64_Half{0}), "without program headers"},
      {"segment beyond the end",
       edit(segmentAt(firstLoad) + offsetof(Segment, p_offset), Elf64_Off{good.size()}),
       "its loadable segment"},
      {"segment larger in the file than in memory",
       edit(segmentAt(firstLoad) + offsetof(Segment, p_memsz), Elf64_Xword{1}),
       "is larger in the file"},
      {"no loadable segment", everySegmentNull(), "without a loadable segment"},
      {"section headers elsewhere", edit(offsetof(Header, e_shoff), Elf64_Off{good.size() - 64}),
       "its section header table"},
      {"odd section header size", edit(offsetof(Header, e_shentsize), Elf64_Half{32}),
       "section headers of 32 bytes each"},
      {"section beyond the end",
       edit(lastSection + offsetof(Section, sh_size), Elf64_Xword{good.size()}),
       "its section " + std::to_string(header.e_shnum - 1)},
  };
  for (const auto& c : cases) {
    const std::string path = library("Damaged", c.file, Resources());
    const std::string message = refusal(path);
    EXPECT_NE(message.find(c.message), std::string::npos) << c.what << ": " << message;
    EXPECT_EQ(message.rfind("cannot load plug-in " + path + ": ", 0), 0u) << c.what << ": " << message;
    EXPECT_TRUE(OnePrintableLine(message)) << c.what << ": " << message;
  }
  EXPECT_EQ(refusal(library("Good", good, Resources())), "");
}

// What is no file of a plug-in's size is refused from its size or type alone: nothing is read
// from a device or a pipe, which never end, or from a file larger than any plug-in.
TEST_F(DamagedFiles, WhatIsNoFileOfAPluginsSizeIsRefusedUnread) {
  const fs::path sparse = dir_ / "huge.so";
  WriteAll(sparse, Bytes(Library().begin(), Library().begin() + 64));
  fs::resize_file(sparse, std::uint64_t{8} << 30);  // sparse: nothing is written
  const fs::path pipe = dir_ / "pipe.so";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const struct {
    std::string path;
    const char* message;
  } cases[] = {
      {sparse.string(), "8589934592 bytes, too large for a plug-in (at most 64 MiB)"},
      {"/dev/zero", "a character device, not a regular file"},
      {"/dev/urandom", "a character device, not a regular file"},
      {pipe.string(), "a pipe, not a regular file"},
      {dir_.string(), "a folder, not a regular file"},
      {(dir_ / "missing.so").string(), "no such file"},
      {library("Empty", {}, {}), "an empty file"},
      {library("Text", Bytes{'h', 'i', '\n'}, {}),
       "not a library: neither ELF, a Windows image nor macOS code"},
      {library("Windows", Bytes{'M', 'Z', 0, 0}, {}),
       "a Windows plug-in, which only the Windows build of the stand-in host loads"},
  };
  for (const auto& c : cases) {
    const auto start = std::chrono::steady_clock::now();
    const std::string message = refusal(c.path);
    EXPECT_EQ(message, "cannot load plug-in " + c.path + ": " + c.message);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << c.path;
  }
}

TEST(EscapedText, KeepsPrintableTextAndWellFormedUtf8AndEscapesTheRest) {
  const struct {
    std::string raw;
    std::string shown;
  } cases[] = {
      {"EntryPointFunc_light", "EntryPointFunc_light"},
      {"EntryPointFunc_ligh\x8b", "EntryPointFunc_ligh\\x8b"},
      {"line\nbreak\ttab\x1b[31m\x7f", "line\\x0abreak\\x09tab\\x1b[31m\\x7f"},
      {"\xc3\x9c" "ber / \xe2\x82\xac / \xf0\x9f\x99\x82", "\xc3\x9c" "ber / \xe2\x82\xac / \xf0\x9f\x99\x82"},
      {"c1 \xc2\x85", "c1 \\xc2\\x85"},                 // a control character in UTF-8
      {"overlong \xc0\x80 \xe0\x80\xaf", "overlong \\xc0\\x80 \\xe0\\x80\\xaf"},
      {"surrogate \xed\xa0\x80", "surrogate \\xed\\xa0\\x80"},
      {"cut \xe2\x82", "cut \\xe2\\x82"},
      {std::string("nul\0!", 5), "nul\\x00!"},
  };
  for (const auto& c : cases) EXPECT_EQ(testhost::EscapedText(c.raw), c.shown) << c.shown;
}

// --- The registration resources, cut and with every bit flipped in turn: each copy is read or
// refused with one printable line, and whatever is listed from it prints as printable text.
TEST_F(DamagedFiles, EveryCutOrFlippedResourceFileIsListedOrRefusedInPrintableText) {
  const Bytes& good = Resources();
  const fs::path bundle = dir_ / "Z.plugin";
  fs::create_directories(bundle / "Contents" / "Resources");
  WriteInfoPlist(bundle, "Z");
  const fs::path resources = bundle / "Contents" / "Resources" / "Z.rsrc";
  std::size_t refused = 0;
  std::size_t listed = 0;
  const auto check = [&](const std::string& what) {
    try {
      // No code in the bundle: the resources are read, nothing is loaded.
      const zelfin_host::PluginFile plugin = zelfin_host::OpenPlugin(bundle.string());
      std::ostringstream out;
      zelfin_host::PrintEffects(out, plugin);
      zelfin_host::PrintFlags(out, plugin);
      std::string line;
      for (std::istringstream lines(out.str()); std::getline(lines, line);) {
        if (!line.empty() && !OnePrintableLine(line)) ADD_FAILURE() << what << ": " << line;
      }
      ++listed;
    } catch (const zelfin_host::ToolError& e) {
      if (!OnePrintableLine(e.what())) ADD_FAILURE() << what << ": " << e.what();
      ++refused;
    }
  };
  // One file changed in place: a file emptied and rewritten is flushed to disk on close.
  WriteAll(resources, good);
  for (std::size_t n = good.size(); n-- > 0;) {
    fs::resize_file(resources, n);
    check("cut to " + std::to_string(n));
  }
  WriteAll(resources, good);
  std::fstream file(resources, std::ios::in | std::ios::out | std::ios::binary);
  const auto put = [&file](std::size_t at, std::uint8_t byte) {
    file.seekp(static_cast<std::streamoff>(at));
    file.put(static_cast<char>(byte));
    file.flush();
  };
  for (std::size_t at = 0; at < good.size(); ++at) {
    for (int bit = 0; bit < 8; ++bit) {
      put(at, static_cast<std::uint8_t>(good[at] ^ (1u << bit)));
      check("bit " + std::to_string(bit) + " of byte " + std::to_string(at) + " flipped");
    }
    put(at, good[at]);
  }
  // Every cut copy is refused; a flip in a name or a flag word still reads.
  EXPECT_GE(refused, good.size());
  EXPECT_GT(listed, 0u);
}

// --- zelfin-host itself on the cases users met: one line on standard error, the exit status of
// the table in its help, no signal, and little time.

TEST_F(DamagedFiles, ZelfinHostGivesEachBadFileOneLineAndAFailingStatusQuickly) {
  const Bytes& lib = Library();
  const auto cut = [&](std::size_t n) { return Bytes(lib.begin(), lib.begin() + static_cast<std::ptrdiff_t>(n)); };
  Bytes damagedResources = Resources();
  const std::string entry = "EntryPointFunc_light";
  const auto found = std::search(damagedResources.begin(), damagedResources.end(), entry.begin(), entry.end());
  ASSERT_NE(found, damagedResources.end());
  found[19] = static_cast<std::uint8_t>(found[19] ^ 0xFF);  // 't' becomes 0x8b

  const fs::path bundle = dir_ / "B.plugin";
  fs::create_directories(bundle / "Contents" / "Resources");
  fs::create_directories(bundle / "Contents" / "MacOS");
  WriteAll(bundle / "Contents" / "Resources" / "B.rsrc", Resources());
  WriteInfoPlist(bundle, "B");
  const fs::path cutBundle = dir_ / "C.plugin";
  fs::create_directories(cutBundle / "Contents" / "Resources");
  fs::create_directories(cutBundle / "Contents" / "MacOS");
  WriteAll(cutBundle / "Contents" / "Resources" / "C.rsrc", Resources());
  WriteInfoPlist(cutBundle, "C");
  const Bytes tiny = ReadAll(ZELFIN_HOST_TEST_TINY_MACHO);
  WriteAll(cutBundle / "Contents" / "MacOS" / "C", Bytes(tiny.begin(), tiny.begin() + 100));

  const fs::path sparse = dir_ / "sparse.so";
  WriteAll(sparse, cut(64));
  fs::resize_file(sparse, std::uint64_t{8} << 30);
  const fs::path wide = dir_ / "wide.png";
  testhost::WritePng(wide.string(), testhost::MakeImage(16385, 1), 8);

  const std::string plugin = library("Good", lib, Resources());
  const struct {
    std::string what;
    std::vector<std::string> args;
    int status;
    const char* message;
  } cases[] = {
      {"the library cut to 600 bytes", {"list", library("C600", cut(600), Resources())}, 1, "runs past the end of the file"},
      {"the library cut to half", {"panel", library("Half", cut(lib.size() / 2), Resources()), "Light Control"}, 1, "cut short"},
      {"the library cut by a quarter", {"list", library("Most", cut(lib.size() * 3 / 4), Resources())}, 1, "cut short"},
      {"the library but its last 10 bytes", {"render", library("All", cut(lib.size() - 10), Resources()), "Camera Control", wide.string(), "o.png"}, 1, "cut short"},
      {"8 GiB sparse", {"list", sparse.string()}, 1, "too large for a plug-in"},
      {"/dev/urandom", {"session", "/dev/urandom"}, 1, "a character device, not a regular file"},
      {"/dev/zero", {"drag", "/dev/zero", "--press", "1,1"}, 1, "a character device, not a regular file"},
      {"a bundle without its code", {"list", bundle.string()}, 1, "MacOS/B: no such file"},
      {"a bundle with its code cut to 100 bytes", {"list", cutBundle.string()}, 1, "cannot load plug-in"},
      {"a 16385 x 1 PNG", {"render", plugin, "Camera Control", wide.string(), "o.png"}, 1, "is too large: 16385 x 1 pixels"},
      {"a damaged resource file", {"list", library("Flipped", lib, damagedResources)}, 1, "EntryPointFunc_ligh\\x8b"},
      {"--version with an argument", {"--version", "extra"}, 2, "--version takes no arguments"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv{ZELFIN_HOST_PROGRAM};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const Outcome o = RunProgram(argv, dir_);
    EXPECT_EQ(o.status, c.status) << c.what << ": " << o.err;
    EXPECT_EQ(o.signal, 0) << c.what;
    EXPECT_FALSE(o.timedOut) << c.what;
    EXPECT_LT(o.cpuSeconds, 1.0) << c.what;
    EXPECT_NE(o.err.find(c.message), std::string::npos) << c.what << ": " << o.err;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << c.what << ": " << o.err;
    EXPECT_TRUE(OnePrintableLine(o.err.substr(0, o.err.size() - 1))) << c.what << ": " << o.err;
  }
}

// One example of each class of outcome, with the status the table in every --help gives it.
TEST_F(DamagedFiles, EachClassOfOutcomeHasTheStatusOfTheTable) {
  const std::string plugin = library("Good", Library(), Resources());
  const fs::path picture = dir_ / "picture.png";
  testhost::WritePng(picture.string(), testhost::MakeImage(4096, 4096), 8);
  const fs::path bundle = dir_ / "B.plugin";
  fs::create_directories(bundle / "Contents" / "Resources");
  WriteAll(bundle / "Contents" / "Resources" / "B.rsrc", Resources());
  WriteInfoPlist(bundle, "B");
  // The picture takes more than this address space once read: an internal error, not the file's.
  const std::vector<std::string> withLittleMemory = {"/bin/sh", "-c", "ulimit -v 120000 && exec \"$@\"",
                                                     "sh", ZELFIN_HOST_PROGRAM};
  const struct {
    const char* what;
    std::vector<std::string> args;
    int status;
    bool limitMemory;
  } cases[] = {
      {"done", {"list", plugin}, 0, false},
      {"help of a command", {"help", "render"}, 0, false},
      {"a file refused", {"list", (dir_ / "missing.so").string()}, 1, false},
      {"the plug-in's code cannot run", {"list", bundle.string()}, 1, false},
      {"an unknown command", {"frobnicate"}, 2, false},
      {"an unknown effect", {"panel", plugin, "Glow"}, 2, false},
      {"a value the panel refuses", {"panel", plugin, "Light Control", "--set", "Intensity=loud"}, 2, false},
      {"--version with an argument", {"--version", "1"}, 2, false},
      {"out of memory", {"render", plugin, "Camera Control", picture.string(), (dir_ / "o.png").string()}, 3, true},
  };
  for (const auto& c : cases) {
#if defined(ZELFIN_SANITIZED)
    if (c.limitMemory) continue;
#endif
    std::vector<std::string> argv = c.limitMemory ? withLittleMemory
                                                  : std::vector<std::string>{ZELFIN_HOST_PROGRAM};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const Outcome o = RunProgram(argv, dir_);
    EXPECT_EQ(o.status, c.status) << c.what << ": " << o.err;
    EXPECT_EQ(o.signal, 0) << c.what;
  }
}

}  // namespace

// What the host learns from the plug-in's five property lists agrees with what the built
// plug-in declares at run time; the host refuses a plug-in otherwise. On Windows the lists are
// read from the .aex's own "PIPL" resources, the way the host reads them; elsewhere from the
// resource file the host finds for the plug-in: a bundle's own, or the one beside the library.
#include "resources/ExpectedPropertyLists.h"

#include "testhost/core/Host.h"
#include "testhost/formats/File.h"
#include "testhost/registration/PiPL.h"
#include "testhost/loader/PluginModule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testhost::PiplFormat;

#ifdef _WIN32
const std::string kGenerated = ZELFIN_WINDOWS_LISTS_DIR;
constexpr PiplFormat kFormat = PiplFormat::kWindows;

// The ARM64 file's lists are the x64 file's but for the key that names the entry point.
std::string ExpectedWindowsList(int effect) {
  std::string list = expected::kLists[effect].windows;
#if defined(__aarch64__) || defined(_M_ARM64)
  const std::string x64Key = "MIB8" "4668";  // '8BIM' '8664', little-endian
  const std::size_t at = list.find(x64Key);
  if (at != std::string::npos) list.replace(at, x64Key.size(), "MIB8" "46aw");
#endif
  return list;
}
#else
constexpr PiplFormat kFormat = PiplFormat::kMac;
#endif

std::vector<testhost::PiplResource> RegistrationLists() {
#ifdef _WIN32
  return testhost::LoadPiplResources(testhost::DefaultPluginPath());
#else
  return testhost::ReadResourceFile(
      testhost::ReadCheckedFile(testhost::RegistrationResourcePath(testhost::DefaultPluginPath()),
                                testhost::kMaxResourceFileSize, "a resource file"),
      PF_FourCharCode("PiPL"));
#endif
}

std::string Text(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(Registration, FiveListsFromId16000AsWrittenOut) {
  const std::vector<testhost::PiplResource> lists = RegistrationLists();
  ASSERT_EQ(lists.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(expected::kLists[i].effect);
    EXPECT_EQ(lists[i].id, 16000 + i);
#ifdef _WIN32
    EXPECT_EQ(Text(lists[i].data), ExpectedWindowsList(i));
    const std::string generated =
        kGenerated + "/ZelfinControls-" + std::to_string(16000 + i) + ".pipl";
    EXPECT_EQ(lists[i].data,
              testhost::ReadCheckedFile(generated, testhost::kMaxResourceFileSize, "a list"))
        << "compiled in from " << generated;
#else
    EXPECT_EQ(Text(lists[i].data), expected::kLists[i].mac);
#endif
  }
}

TEST(Registration, EachListNamesAnExportWhoseGlobalSetupDeclaresTheListsVersionAndFlags) {
  const testhost::PluginModule plugin(testhost::DefaultPluginPath());
  for (const testhost::PiplResource& list : RegistrationLists()) {
    const testhost::EffectRegistration registration =
        testhost::ReadRegistration(list.data.data(), list.data.size(), kFormat);
    SCOPED_TRACE(registration.name);
    ASSERT_TRUE(plugin.exports(registration.entryPoint)) << registration.entryPoint;
    testhost::Host host(plugin, registration.entryPoint);

    const testhost::CommandResult setup = host.globalSetup();
    ASSERT_EQ(setup.err, PF_Err_NONE) << setup.describe();
    EXPECT_EQ(static_cast<std::uint32_t>(setup.after.my_version), registration.version);
    EXPECT_EQ(static_cast<std::uint32_t>(setup.after.out_flags), registration.outFlags);
    EXPECT_EQ(static_cast<std::uint32_t>(setup.after.out_flags2), registration.outFlags2);

    // The About text names the effect as the Effects menu does.
    const testhost::CommandResult about = host.about();
    ASSERT_EQ(about.err, PF_Err_NONE) << about.describe();
    EXPECT_EQ(std::string(host.outData().return_msg).rfind(registration.name + ", v1.1.0", 0), 0u)
        << host.outData().return_msg;
    host.globalSetdown();
  }
}

}  // namespace

// The loader finds a plug-in by its file and its entry points by their exported names, and names
// what is missing.
#include <gtest/gtest.h>

#include <string>

#include "testhost/loader/PluginModule.h"

namespace {

TEST(PluginModuleTest, NamesWhatIsMissing) {
  try {
    testhost::PluginModule missing("/nonexistent/ZelfinControls.so");
    FAIL() << "loaded a missing file";
  } catch (const testhost::LoadError& e) {
    EXPECT_NE(std::string(e.what()).find("/nonexistent/ZelfinControls.so"), std::string::npos);
  }
  testhost::PluginModule plugin(testhost::DefaultPluginPath());
  EXPECT_TRUE(plugin.exports("EntryPointFunc_2d"));
  try {
    plugin.entryPoint("EntryPointFunc_none");
    FAIL() << "found an entry point that does not exist";
  } catch (const testhost::LoadError& e) {
    EXPECT_NE(std::string(e.what()).find("EntryPointFunc_none"), std::string::npos);
  }
}

}  // namespace

// Parameter setup of the four effects with a parameter panel: the exact lists the host stores in
// projects, and what a refused entry leaves behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "param_expectations.h"
#include "testhost/testhost.h"

namespace {

using testhost::CommandResult;
using testhost::Fault;
using testhost::Host;

struct EffectList {
  const char* entryPoint;
  std::vector<PF_ParamDef> (*expected)();
};

const EffectList kLists[] = {
    {"EntryPointFunc_2d", expect::TransformControl2D},
    {"EntryPointFunc_3d", expect::TransformControl3D},
    {"EntryPointFunc_camera", expect::CameraControl},
    {"EntryPointFunc_light", expect::LightControl},
};

constexpr A_long kUnwritten = 0x5EED;

class ParamsSetupTest : public ::testing::Test {
 protected:
  const testhost::PluginModule plugin_{testhost::DefaultPluginPath()};
};

TEST_F(ParamsSetupTest, RegistersEveryEntryFieldByField) {
  for (const EffectList& list : kLists) {
    SCOPED_TRACE(list.entryPoint);
    const std::vector<PF_ParamDef> expected = list.expected();
    Host host(plugin_, list.entryPoint);
    host.globalSetup();
    const CommandResult r = host.paramsSetup();
    ASSERT_EQ(r.err, PF_Err_NONE);
    EXPECT_TRUE(r.clean()) << r.describe();

    const A_long count = static_cast<A_long>(expected.size()) + 1;
    EXPECT_EQ(host.declaredNumParams(), count);
    ASSERT_EQ(host.paramCount(), count);
    for (std::size_t i = 0; i < expected.size(); ++i) {
      EXPECT_TRUE(expect::SameDef(expected[i], host.param(static_cast<int>(i) + 1)));
    }
  }
}

// Each entry: its name through the host's string copy (group ends have none), then add_param at
// -1. Nothing else is asked of the host: no suite, no other callback.
TEST_F(ParamsSetupTest, CopiesNamesWithTheHostAndAppendsEachEntry) {
  for (const EffectList& list : kLists) {
    SCOPED_TRACE(list.entryPoint);
    Host host(plugin_, list.entryPoint);
    const CommandResult r = host.paramsSetup();

    std::vector<std::string> expectedCalls;
    for (const PF_ParamDef& def : list.expected()) {
      if (def.param_type != PF_Param_GROUP_END) expectedCalls.push_back("PF_STRCPY");
      expectedCalls.push_back("add_param");
    }
    std::vector<std::string> calls;
    for (const testhost::Call& call : host.log().ofCommand(r.serial)) {
      calls.push_back(call.name);
      if (call.name == "add_param") {
        EXPECT_EQ(call.args.at(0), "-1") << call.str();
      }
    }
    EXPECT_EQ(calls, expectedCalls);
  }
}

// The host refusing any one entry ends the setup there: exactly that many add_param calls, the
// host's code returned, num_params never written.
TEST_F(ParamsSetupTest, RefusedEntryEndsTheSetupWithoutCount) {
  constexpr PF_Err kRefusal = 0x1D00;
  for (const EffectList& list : kLists) {
    const int entries = static_cast<int>(list.expected().size());
    for (int refused = 1; refused <= entries; ++refused) {
      SCOPED_TRACE(std::string(list.entryPoint) + " refusing entry " + std::to_string(refused));
      Host host(plugin_, list.entryPoint);
      host.outDataPreset().num_params = kUnwritten;
      host.faults().failAt("add_param", refused, Fault::fail(kRefusal));

      const CommandResult r = host.paramsSetup();
      EXPECT_EQ(r.err, kRefusal);
      EXPECT_FALSE(r.escaped) << r.describe();
      EXPECT_EQ(host.log().count("add_param"), refused);
      EXPECT_EQ(r.after.num_params, kUnwritten);
      EXPECT_EQ(host.paramCount(), refused);  // the input layer and the entries before
    }
  }
}

}  // namespace

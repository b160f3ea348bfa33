// Global setup and setdown through the built plug-in: the version and capability words, the
// 4-byte global data block with the id the host's plug-in services hand out, and what is left
// behind when the host fails at each step.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "plugin_effects.h"

namespace {

using testhost::CommandResult;
using testhost::Fault;
using testhost::Host;
using zelfin_test::EffectCase;
using zelfin_test::kEffectCases;
using zelfin_test::kPluginVersion;
using zelfin_test::Plugin;

// Bits the host has set before global setup; some overlap the effects' own.
constexpr A_long kHostOutFlags = static_cast<A_long>(0x80000001u | 0x02000000u);
constexpr A_long kHostOutFlags2 = 0x00010402;

// out_data with the fields global setup may write put back as they were handed over.
PF_OutData WithoutSetupFields(PF_OutData out, const PF_OutData& before) {
  out.my_version = before.my_version;
  out.out_flags = before.out_flags;
  out.out_flags2 = before.out_flags2;
  out.global_data = before.global_data;
  return out;
}

bool SameBytes(const PF_OutData& a, const PF_OutData& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Handle calls of one command that returned something (a lock that yielded null needs no unlock).
int Succeeded(Host& host, int serial, const std::string& name) {
  int n = 0;
  for (const testhost::Call& c : host.log().ofCommand(serial)) n += c.name == name && c.result;
  return n;
}

class GlobalSetupTest : public ::testing::TestWithParam<EffectCase> {
 protected:
  Host host{Plugin(), GetParam().entryPoint};
};

TEST_P(GlobalSetupTest, DeclaresVersionAndCapabilitiesKeepingTheHostsBits) {
  const EffectCase& effect = GetParam();
  host.outDataPreset().out_flags = kHostOutFlags;
  host.outDataPreset().out_flags2 = kHostOutFlags2;
  const CommandResult r = host.globalSetup();
  ASSERT_EQ(r.err, PF_Err_NONE);
  EXPECT_TRUE(r.clean()) << r.describe();
  EXPECT_EQ(static_cast<std::uint32_t>(r.after.my_version), kPluginVersion);
  EXPECT_EQ(static_cast<std::uint32_t>(r.after.out_flags),
            static_cast<std::uint32_t>(kHostOutFlags) | effect.outFlags);
  EXPECT_EQ(static_cast<std::uint32_t>(r.after.out_flags2),
            static_cast<std::uint32_t>(kHostOutFlags2) | effect.outFlags2);
  EXPECT_TRUE(SameBytes(WithoutSetupFields(r.after, r.before), r.before));

  if (!effect.globalData) {
    EXPECT_EQ(r.after.global_data, nullptr);
    EXPECT_EQ(host.handles().created(), 0);
    EXPECT_TRUE(host.registrations().empty());
    EXPECT_TRUE(host.log().empty()) << host.log().dump();
    return;
  }
  PF_Handle h = r.after.global_data;
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(host.handles().size(h), 4u);
  EXPECT_EQ(host.handles().lockCount(h), 0);
  EXPECT_EQ(r.liveHandles, 1);
  ASSERT_EQ(host.registrations().size(), 1u);
  EXPECT_EQ(host.registrations()[0].name, "Error!");
  EXPECT_EQ(host.registrations()[0].refcon, nullptr);
  AEGP_PluginID stored = 0;
  std::memcpy(&stored, host.handles().peek(h), sizeof stored);
  EXPECT_EQ(stored, host.registrations()[0].id);
}

TEST_P(GlobalSetupTest, SetdownFreesExactlyTheGlobalData) {
  PF_Handle bystander = host.handles().create(4);
  ASSERT_EQ(host.globalSetup().err, PF_Err_NONE);
  PF_Handle global = host.globalData();
  const CommandResult r = host.globalSetdown();
  EXPECT_EQ(r.err, PF_Err_NONE);
  EXPECT_TRUE(r.clean()) << r.describe();
  EXPECT_TRUE(r.outDataUntouched());
  EXPECT_TRUE(host.handles().isLive(bystander));
  const auto disposed = host.log().named("host_dispose_handle");
  if (global) {
    EXPECT_FALSE(host.handles().isLive(global));
    ASSERT_EQ(disposed.size(), 1u);
  } else {
    EXPECT_TRUE(disposed.empty());
  }
  EXPECT_EQ(r.liveHandles, 1);
}

TEST_P(GlobalSetupTest, SetdownWithoutGlobalDataFreesNothing) {
  PF_Handle bystander = host.handles().create(4);
  const CommandResult r = host.globalSetdown();
  EXPECT_EQ(r.err, PF_Err_NONE);
  EXPECT_TRUE(r.clean()) << r.describe();
  EXPECT_TRUE(r.outDataUntouched());
  EXPECT_TRUE(host.handles().isLive(bystander));
  EXPECT_EQ(host.log().count("host_dispose_handle"), 0);
}

INSTANTIATE_TEST_SUITE_P(Effects, GlobalSetupTest, ::testing::ValuesIn(kEffectCases),
                         zelfin_test::EffectId);

// A host failure during the global setup of an effect that keeps global data.
struct SetupFailure {
  const char* label;
  std::function<void(Host&)> arm;
  PF_Err expected;
  bool declared;       // version and flags written before the failure
  int handlesCreated;  // by the plug-in; none may survive
};

void PrintTo(const SetupFailure& f, std::ostream* os) { *os << f.label; }

const SetupFailure kSetupFailures[] = {
    {"NoBasicSuite", [](Host& h) { h.inData().pica_basicP = nullptr; },
     PF_Err_BAD_CALLBACK_PARAM, false, 0},
    {"HandleSuiteRefused",
     [](Host& h) { h.faults().refuseSuite(kPFHandleSuite, testhost::kSuiteNotFound); },
     PF_Err_BAD_CALLBACK_PARAM, true, 0},
    {"HandleSuiteNull", [](Host& h) { h.faults().refuseSuite(kPFHandleSuite, 0); },
     PF_Err_BAD_CALLBACK_PARAM, true, 0},
    {"UtilitySuiteRefused",
     [](Host& h) { h.faults().refuseSuite(kAEGPUtilitySuite, testhost::kSuiteNotFound); },
     PF_Err_BAD_CALLBACK_PARAM, true, 1},
    {"NewHandleNull", [](Host& h) { h.faults().failAt("host_new_handle", 1, Fault::null()); },
     PF_Err_INTERNAL_STRUCT_DAMAGED, true, 0},
    {"LockNull", [](Host& h) { h.faults().failAt("host_lock_handle", 1, Fault::null()); },
     PF_Err_NONE, true, 1},
    {"RegistrationFails",
     [](Host& h) { h.faults().failAt("AEGP_RegisterWithAEGP", 1, Fault::fail(0x2A)); }, 0x2A,
     true, 1},
};

class GlobalSetupFailureTest
    : public ::testing::TestWithParam<std::tuple<EffectCase, SetupFailure>> {};

TEST_P(GlobalSetupFailureTest, ReportsTheFailureAndKeepsNothing) {
  const auto& [effect, failure] = GetParam();
  Host host(Plugin(), effect.entryPoint);
  host.outDataPreset().out_flags = kHostOutFlags;
  failure.arm(host);
  const CommandResult r = host.globalSetup();

  EXPECT_EQ(r.err, failure.expected);
  EXPECT_TRUE(r.clean()) << r.describe();
  EXPECT_EQ(r.after.global_data, nullptr);
  EXPECT_EQ(r.liveSuites, 0);
  EXPECT_TRUE(SameBytes(WithoutSetupFields(r.after, r.before), r.before))
      << "nothing but version and flags, no message";
  if (failure.declared) {
    EXPECT_EQ(static_cast<std::uint32_t>(r.after.my_version), kPluginVersion);
    EXPECT_EQ(static_cast<std::uint32_t>(r.after.out_flags),
              static_cast<std::uint32_t>(kHostOutFlags) | effect.outFlags);
  } else {
    EXPECT_TRUE(r.outDataUntouched());
    EXPECT_TRUE(host.log().empty()) << host.log().dump();
  }

  EXPECT_EQ(host.handles().created(), failure.handlesCreated);
  EXPECT_EQ(r.liveHandles, 0) << "a handle not handed to the host is disposed of";
  EXPECT_EQ(Succeeded(host, r.serial, "host_lock_handle"),
            host.log().count("host_unlock_handle"));
  if (failure.handlesCreated) {
    // Unlocked (the counts above match) before it is disposed of, and left alone after.
    const testhost::CallLog& log = host.log();
    const std::size_t dispose = log.find("host_dispose_handle");
    ASSERT_LT(dispose, log.size()) << log.dump();
    EXPECT_EQ(log.count("host_dispose_handle"), 1);
    for (std::size_t i = dispose + 1; i < log.size(); ++i)
      EXPECT_EQ(log[i].name.rfind("host_", 0), std::string::npos) << log.dump();
  }
  EXPECT_TRUE(host.registrations().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Effects, GlobalSetupFailureTest,
    ::testing::Combine(::testing::ValuesIn(zelfin_test::EffectsWithGlobalData()),
                       ::testing::ValuesIn(kSetupFailures)),
    [](const ::testing::TestParamInfo<GlobalSetupFailureTest::ParamType>& info) {
      return std::string(std::get<0>(info.param).id) + "_" + std::get<1>(info.param).label;
    });

// The handle that global setup does not hand over is given back while the command unwinds; a
// host whose unlock or dispose throws then must not end the process, and the setup's own result
// stands.
TEST(GlobalSetupCleanupTest, ThrowingUnlockOrDisposeStaysInside) {
  const struct {
    const char* label;
    std::function<void(Host&)> arm;
    PF_Err expected;
    int liveHandles;  // the unlock throwing does not keep the handle from being disposed of
  } cases[] = {
      {"lock null, dispose throws",
       [](Host& h) {
         h.faults().failAt("host_lock_handle", 1, Fault::null());
         h.faults().failAt("host_dispose_handle", 1, Fault::throwBadAlloc());
       },
       PF_Err_NONE, 1},
      {"utility suite refused, unlock throws",
       [](Host& h) {
         h.faults().refuseSuite(kAEGPUtilitySuite, testhost::kSuiteNotFound);
         h.faults().failAt("host_unlock_handle", 1, Fault::throwUnknown());
       },
       PF_Err_BAD_CALLBACK_PARAM, 0},
      {"registration fails, dispose throws",
       [](Host& h) {
         h.faults().failAt("AEGP_RegisterWithAEGP", 1, Fault::fail(0x2A));
         h.faults().failAt("host_dispose_handle", 1, Fault::throwUnknown());
       },
       0x2A, 1},
  };
  for (const EffectCase& effect : zelfin_test::EffectsWithGlobalData()) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(effect.id) + ": " + c.label);
      Host host(Plugin(), effect.entryPoint);
      c.arm(host);
      const CommandResult r = host.globalSetup();
      EXPECT_FALSE(r.escaped) << r.exception;
      EXPECT_EQ(r.err, c.expected);
      EXPECT_EQ(r.after.global_data, nullptr);
      EXPECT_TRUE(r.suiteProblems.empty()) << r.describe();
      EXPECT_EQ(r.liveHandles, c.liveHandles);
    }
  }
}

TEST(GlobalSetdownTest, RefusedHandleSuiteLeavesTheGlobalDataToTheHost) {
  for (const EffectCase& effect : zelfin_test::EffectsWithGlobalData()) {
    SCOPED_TRACE(effect.id);
    Host host(Plugin(), effect.entryPoint);
    ASSERT_EQ(host.globalSetup().err, PF_Err_NONE);
    PF_Handle global = host.globalData();
    host.faults().refuseSuite(kPFHandleSuite, testhost::kSuiteNotFound);
    const CommandResult r = host.globalSetdown();
    EXPECT_EQ(r.err, PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_TRUE(r.clean()) << r.describe();
    EXPECT_TRUE(r.outDataUntouched());
    EXPECT_TRUE(host.handles().isLive(global));
  }
}

}  // namespace

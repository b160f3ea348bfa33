// Command routing of the five entry points: commands an effect does not answer return
// PF_Err_NONE without a trace, and About names the effect and its version.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "plugin_effects.h"

namespace {

using testhost::CommandResult;
using testhost::Host;
using zelfin_test::EffectCase;
using zelfin_test::kEffectCases;
using zelfin_test::Plugin;

constexpr unsigned char kPresetByte = 0x5C;
constexpr unsigned char kExtraByte = 0xE7;

class DispatchTest : public ::testing::TestWithParam<EffectCase> {
 protected:
  Host host{Plugin(), GetParam().entryPoint};
};

// A command that falls to the default returns 0 and leaves out_data, the extra record and the
// host alone: no callback, no suite.
void ExpectIgnored(Host& host, const CommandResult& r, const std::string& what) {
  SCOPED_TRACE(what);
  EXPECT_EQ(r.err, PF_Err_NONE);
  EXPECT_TRUE(r.outDataUntouched());
  EXPECT_TRUE(r.clean()) << r.describe();
  EXPECT_TRUE(host.log().ofCommand(r.serial).empty()) << host.log().dump();
}

TEST_P(DispatchTest, SelectorsOutsideTheTableAreIgnored) {
  std::memset(&host.outDataPreset(), kPresetByte, sizeof(PF_OutData));
  unsigned char extra[256];
  std::memset(extra, kExtraByte, sizeof extra);
  std::vector<PF_Cmd> selectors = {2, 25, 26, 1000, INT_MAX, -1, -23, INT_MIN};
  for (PF_Cmd cmd = 5; cmd <= 13; ++cmd) selectors.push_back(cmd);
  for (PF_Cmd cmd = 16; cmd <= 22; ++cmd) selectors.push_back(cmd);
  for (PF_Cmd cmd : selectors) {
    ExpectIgnored(host, host.send(cmd, extra), "selector " + std::to_string(cmd));
  }
  for (unsigned char b : extra) ASSERT_EQ(b, kExtraByte);
}

// The empty cells of each effect's command table.
TEST_P(DispatchTest, CommandsTheEffectDoesNotAnswerAreIgnored) {
  const EffectCase& effect = GetParam();
  if (!effect.globalData) {
    // Transform Control keeps no global data, so setdown must not free what the host holds.
    PF_Handle held = host.handles().create(4);
    host.setGlobalData(held);
    ExpectIgnored(host, host.globalSetdown(), "GLOBAL_SETDOWN");
    EXPECT_TRUE(host.handles().isLive(held));
  }
  if (std::string(effect.entryPoint) == "EntryPointFunc_bezier") {
    host.paramsSetup();
    std::vector<PF_ParamDef> before;
    for (int i = 0; i < host.paramCount(); ++i) before.push_back(host.param(i));
    ExpectIgnored(host, host.updateParamsUI(), "UPDATE_PARAMS_UI");
    EXPECT_TRUE(host.uiUpdates().empty());
    ASSERT_EQ(host.paramCount(), static_cast<int>(before.size()));
    for (int i = 0; i < host.paramCount(); ++i)
      EXPECT_EQ(std::memcmp(&host.param(i), &before[i], sizeof(PF_ParamDef)), 0) << i;
  } else {
    testhost::Panel panel(testhost::PanelKind::Layer, 64, 48);
    PF_EventExtra event = panel.newEvent(PF_Event_DO_CLICK);
    event.u.do_click.screen_point = {3, 4};
    const PF_EventExtra sent = event;
    ExpectIgnored(host, host.event(event), "EVENT");
    EXPECT_EQ(std::memcmp(&event, &sent, sizeof sent), 0);
  }
}

TEST_P(DispatchTest, AboutNamesTheEffectAndVersion) {
  std::memset(&host.outDataPreset(), kPresetByte, sizeof(PF_OutData));
  const CommandResult r = host.about();
  ASSERT_EQ(r.err, PF_Err_NONE);
  EXPECT_TRUE(r.clean()) << r.describe();
  EXPECT_EQ(std::string(r.after.return_msg),
            std::string(GetParam().name) +
                ", v1.1.0\rKeyframable rig controls. (c) 2026 ZelfinControls developers.");
  PF_OutData rest = r.after;
  std::memcpy(rest.return_msg, r.before.return_msg, sizeof rest.return_msg);
  EXPECT_EQ(std::memcmp(&rest, &r.before, sizeof rest), 0) << "About writes only return_msg";
  EXPECT_TRUE(host.ledger().eventsOf(r.serial).empty());
}

INSTANTIATE_TEST_SUITE_P(Effects, DispatchTest, ::testing::ValuesIn(kEffectCases),
                         zelfin_test::EffectId);

}  // namespace

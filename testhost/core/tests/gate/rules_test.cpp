// Every rule the host enforces, broken on purpose: for each row of TESTHOST_HOST_RULES, the
// misbehaving plug-in (misbehaving_plugin.cpp beside this file, a library of its own loaded as the
// real plug-in is) exports an entry point that breaks that rule, and the host, sent the commands in
// which it misbehaves, reports that rule and no other.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "testhost/testhost.h"

namespace {

using testhost::CommandResult;
using testhost::FrameSetup;
using testhost::Host;
using testhost::HostRule;
using testhost::HostRuleRow;
using testhost::PluginModule;

const PluginModule& Misbehaving() {
  static const PluginModule plugin(ZELFIN_MISBEHAVING_PLUGIN_PATH);
  return plugin;
}

// "no-such-param" as a C identifier: "no_such_param".
std::string Underscored(const char* id) {
  std::string name = id;
  for (char& c : name) c = c == '-' ? '_' : c;
  return name;
}

// The entry point that breaks the rule.
std::string EntryPointFor(const HostRuleRow& row) { return "Misbehave_" + Underscored(row.id); }

// What the host sends the plug-in to see it misbehave: every command's result.
using Commands = std::vector<CommandResult>;
using Scenario = std::function<Commands(const std::string& entryPoint)>;

Scenario Send(std::function<CommandResult(Host&)> command) {
  return [command](const std::string& entry) {
    Host host(Misbehaving(), entry);
    return Commands{command(host)};
  };
}

Scenario About() {
  return Send([](Host& h) { return h.about(); });
}

// A pre-render and, when it succeeds, the render of a frame.
Scenario Frame() {
  return [](const std::string& entry) {
    Host host(Misbehaving(), entry);
    const testhost::FrameResult f = host.renderFrame(FrameSetup{});
    Commands sent{f.preRender};
    if (f.rendered) sent.push_back(f.render);
    return sent;
  };
}

// One event of a panel of the layer, which can be drawn into.
Scenario PanelEvent(PF_EventType type) {
  return [type](const std::string& entry) {
    Host host(Misbehaving(), entry);
    testhost::Panel panel(testhost::PanelKind::Layer, 64, 48);
    return Commands{panel.send(host, panel.newEvent(type)).command};
  };
}

// A render sent by hand to a host that never set up a frame, the plug-in having kept the
// callbacks of another host's render.
Commands RenderWithoutAFrame(const std::string& entry) {
  Host framed(Misbehaving(), entry);
  const testhost::FrameResult f = framed.renderFrame(FrameSetup{});
  Host host(Misbehaving(), entry);
  PF_SmartRenderInput input{};
  PF_SmartRenderExtra extra{&input, nullptr};
  return {f.preRender, f.render, host.send(PF_Cmd_SMART_RENDER, &extra)};
}

const std::map<HostRule, Scenario>& Scenarios() {
  static const std::map<HostRule, Scenario> scenarios = {
      {HostRule::CalledOutsideItsCommand, About()},
      {HostRule::DrawingOutsideADrawEvent, PanelEvent(PF_Event_DO_CLICK)},
      {HostRule::NotThisEffectsReference, About()},
      {HostRule::NotThisEventsContext, PanelEvent(PF_Event_DO_CLICK)},
      {HostRule::NullArgument, Send([](Host& h) { return h.paramsSetup(); })},
      {HostRule::UnsupportedFunction, About()},
      {HostRule::ParamNotAppended, Send([](Host& h) { return h.paramsSetup(); })},
      {HostRule::NoSuchParam, About()},
      {HostRule::ParamTypeMismatch, Send([](Host& h) { return h.updateParamsUI(); })},
      {HostRule::NotALayerParam, Send([](Host& h) { return h.smartPreRender(FrameSetup{}); })},
      {HostRule::NoFrameSetUp, &RenderWithoutAFrame},
      {HostRule::LayerNotCheckedOut, Frame()},
      {HostRule::BufferNotTheHosts, Frame()},
      {HostRule::BufferRecordChanged, Frame()},
      {HostRule::CopyBetweenDepths, Frame()},
      {HostRule::WorldKeptBeyondCommand, About()},
      {HostRule::ReturnMsgOverflow, About()},
      {HostRule::GuardBytesOverwritten, Frame()},
      {HostRule::UnknownHandle, About()},
      {HostRule::DisposedHandle, About()},
      {HostRule::UnlockWithoutLock, About()},
      {HostRule::HandleKeptBeyondCommand, About()},
      {HostRule::GlobalDataNotDisposed,
       [](const std::string& entry) {
         Host host(Misbehaving(), entry);
         const CommandResult setup = host.globalSetup();
         return Commands{setup, host.globalSetdown()};
       }},
      {HostRule::SuiteNotAcquired, About()},
      {HostRule::SuiteNotReleased, About()},
      {HostRule::StaleDrawingReference, PanelEvent(PF_Event_DRAW)},
      {HostRule::ReleaseOfHostDrawingObject, PanelEvent(PF_Event_DRAW)},
      {HostRule::DrawingObjectKept, PanelEvent(PF_Event_DRAW)},
  };
  return scenarios;
}

class MisbehavingPluginTest : public ::testing::TestWithParam<HostRuleRow> {};

// The identifiers of every rule the commands broke, violations and suite problems alike (a
// release of a suite not acquired is both).
std::set<std::string> BrokenRules(const Commands& commands) {
  std::set<std::string> ids;
  for (const CommandResult& r : commands) {
    for (const testhost::Violation& v : r.violations) ids.insert(testhost::RuleId(v.rule));
    for (const testhost::Violation& v : r.suiteProblems) ids.insert(testhost::RuleId(v.rule));
  }
  return ids;
}

std::string Describe(const Commands& commands) {
  std::string text;
  for (const CommandResult& r : commands) text += r.describe() + "\n";
  return text;
}

TEST_P(MisbehavingPluginTest, BreaksItsRuleAndNoOther) {
  const HostRuleRow& row = GetParam();
  const auto scenario = Scenarios().find(row.rule);
  ASSERT_NE(scenario, Scenarios().end()) << "no scenario shows the rule " << row.id << " broken";
  ASSERT_TRUE(Misbehaving().exports(EntryPointFor(row)))
      << "the misbehaving plug-in has no " << EntryPointFor(row);
  const Commands commands = scenario->second(EntryPointFor(row));
  for (const CommandResult& r : commands) EXPECT_FALSE(r.escaped) << r.describe();
  EXPECT_EQ(BrokenRules(commands), std::set<std::string>{row.id}) << Describe(commands);
}

INSTANTIATE_TEST_SUITE_P(EveryRule, MisbehavingPluginTest,
                         ::testing::ValuesIn(testhost::kHostRuleRows),
                         [](const ::testing::TestParamInfo<HostRuleRow>& info) {
                           return Underscored(info.param.id);
                         });

}  // namespace

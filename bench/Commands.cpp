// What each command of each effect costs, once with the built plug-in and once with the null
// plug-in on the same stand-in host, so that the plug-in's share shows; and how many heap
// allocations one command makes, and how many of them are the plug-in's.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Benchmarks.h"
#include "HeapCount.h"
#include "Rig.h"
#include "ZelfinEffects.h"

namespace bench {
namespace {

using testhost::CommandResult;
using testhost::Host;

// Commands sent to one rig before it is replaced by a fresh one: the stand-in host keeps every
// call and suite event it sees, and its checks look through them, so a long-lived host would
// grow slower with every command.
constexpr int kCommandsPerRig = 64;

// How long the plug-in's commands are sent with the host's clock on, to tell its own code's time
// from the host's callbacks'. A run of its own: the clock reads would slow the timed run.
constexpr std::chrono::milliseconds kSplitting{150};
constexpr std::chrono::milliseconds kSmokeSplitting{2};

// The small frame of the render commands: the work around the copy, not the copy, is measured.
constexpr int kSmallFrameWidth = 64;
constexpr int kSmallFrameHeight = 36;

// One command as a benchmark sends it. `prepare` brings a fresh rig to where the command makes
// sense (not timed); `change` is what the user does before it, on the built plug-in only (the
// null plug-in has no parameters); `send` is the command itself. `i` counts the commands sent
// to the rig.
struct Scenario {
  std::string command;
  std::function<std::string(Rig&)> prepare;
  std::function<void(Rig&, int i)> change;
  std::function<CommandResult(Rig&)> send;
  bool mustNotAllocate = false;  // a render or event command: the plug-in allocates nothing
};

std::string SetUp(Rig& rig, bool params) {
  if (std::string p = Problem(rig.host().globalSetup()); !p.empty()) return "global setup: " + p;
  if (!params) return {};
  if (std::string p = Problem(rig.host().paramsSetup()); !p.empty()) return "parameter setup: " + p;
  return {};
}

std::string ShortName(const char* entryPoint) {
  constexpr const char* kPrefix = "EntryPointFunc_";
  const std::size_t n = std::strlen(kPrefix);
  return std::strncmp(entryPoint, kPrefix, n) == 0 ? entryPoint + n : entryPoint;
}

void MeasureCommand(benchmark::State& state, const Scenario& scenario, const char* entryPoint,
                    Subject subject, std::chrono::milliseconds splitting) {
  std::unique_ptr<Rig> rig;
  std::string problem;
  int sent = 0;
  auto fresh = [&] {
    rig.reset();
    rig = std::make_unique<Rig>(subject, entryPoint);
    problem = scenario.prepare ? scenario.prepare(*rig) : std::string();
    sent = 0;
  };
  auto sendOne = [&] {
    if (scenario.change && subject == Subject::Plugin) scenario.change(*rig, sent);
    ++sent;
    return scenario.send(*rig);
  };

  fresh();
  if (!problem.empty()) return state.SkipWithError(problem.c_str());
  if (const std::string p = Problem(sendOne()); !p.empty()) return state.SkipWithError(p.c_str());
  // Counted on the second command, when whatever happens once per host is behind.
  SetPluginCode(rig->pluginCode());
  const std::size_t callsBefore = rig->host().log().size();
  CommandResult counted;
  const HeapCount heap = CountHeap([&] { counted = sendOne(); });
  const std::size_t hostCalls = rig->host().log().size() - callsBefore;
  if (const std::string p = Problem(counted); !p.empty()) return state.SkipWithError(p.c_str());

  // The plug-in's own time, summed over fresh rigs; the null plug-in's is nil by construction.
  std::chrono::nanoseconds ownTime{0};
  int splitCommands = 0;
  if (subject == Subject::Plugin) {
    auto freshTimed = [&] {
      fresh();
      rig->host().timeCommands(true);
    };
    auto collect = [&] {
      ownTime += rig->host().timeSplit().own();
      splitCommands += rig->host().timeSplit().commands;
    };
    freshTimed();
    const auto end = std::chrono::steady_clock::now() + splitting;
    while (problem.empty() && std::chrono::steady_clock::now() < end) {
      if (sent == kCommandsPerRig) {
        collect();
        freshTimed();
      }
      sendOne();
    }
    collect();
  }

  fresh();
  bool failed = false;
  for (auto _ : state) {
    if (sent == kCommandsPerRig) {
      state.PauseTiming();
      fresh();
      failed |= !problem.empty();
      state.ResumeTiming();
    }
    failed |= sendOne().err != PF_Err_NONE;
  }
  if (failed || !problem.empty())
    return state.SkipWithError("a command failed during the timed run");
  state.counters["allocs"] = static_cast<double>(heap.total);
  state.counters["plugin_allocs"] = static_cast<double>(heap.plugin);
  state.counters["host_calls"] = static_cast<double>(hostCalls);
  state.counters["own_ns"] =
      splitCommands > 0 ? static_cast<double>(ownTime.count()) / splitCommands : 0;
  state.counters["split_commands"] = splitCommands;
  state.counters[kNoAllocationGoal] = scenario.mustNotAllocate ? 1 : 0;
}

// Nothing may be thrown out of a benchmark; a failure is reported as its result.
void RunCommand(benchmark::State& state, const Scenario& scenario, const char* entryPoint,
                Subject subject, std::chrono::milliseconds splitting) {
  try {
    MeasureCommand(state, scenario, entryPoint, subject, splitting);
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
  }
}

// A checkbox's label (its name is often empty), else the parameter's name.
std::string ParamLabel(const PF_ParamDef& p) {
  const std::string name(p.name, strnlen(p.name, sizeof p.name));
  if (!name.empty() || p.param_type != PF_Param_CHECKBOX || p.u.bd.u.nameptr == nullptr)
    return name;
  return p.u.bd.u.nameptr;
}

// One parameter UI update per checkbox and popup, after the user changes its value: these are
// the parameters whose values decide how the others look.
std::vector<Scenario> ParamUIScenarios(const char* entryPoint) {
  std::vector<Scenario> scenarios;
  auto prepare = [](Rig& rig) { return SetUp(rig, true); };
  auto send = [](Rig& rig) { return rig.host().updateParamsUI(); };
  scenarios.push_back({"parameter UI update, nothing changed", prepare, nullptr, send});

  Rig probe(Subject::Plugin, entryPoint);
  if (!SetUp(probe, true).empty()) return scenarios;
  Host& host = probe.host();
  for (int i = 1; i < host.paramCount(); ++i) {
    const PF_ParamDef& p = host.param(i);
    const std::string label = ParamLabel(p);
    if (p.param_type == PF_Param_CHECKBOX) {
      scenarios.push_back({"parameter UI update after " + label + " toggled", prepare,
                           [i](Rig& rig, int n) { rig.host().setCheckbox(i, n % 2 == 0); }, send});
    } else if (p.param_type == PF_Param_POPUP) {
      const int choices = p.u.pd.num_choices > 0 ? p.u.pd.num_choices : 1;
      scenarios.push_back({"parameter UI update after " + label + " changed", prepare,
                           [i, choices](Rig& rig, int n) { rig.host().setPopup(i, 1 + n % choices); },
                           send});
    }
  }
  return scenarios;
}

// The events of an effect with its own on-screen controls, in a Composition panel.
std::vector<Scenario> EventScenarios() {
  auto shown = [](Rig& rig) {
    if (std::string p = SetUp(rig, true); !p.empty()) return p;
    rig.showPanel();
    return std::string();
  };
  return {
      {"draw event", shown, nullptr, [](Rig& rig) { return rig.drawEvent(); }, true},
      {"click on the handle", shown, nullptr, [](Rig& rig) { return rig.click(); }, true},
      {"drag event",
       [shown](Rig& rig) {
         if (std::string p = shown(rig); !p.empty()) return p;
         return rig.startDrag();
       },
       nullptr, [](Rig& rig) { return rig.dragEvent(); }, true},
  };
}

std::vector<Scenario> ScenariosOf(const zelfin::EffectDescription& effect) {
  std::vector<Scenario> scenarios = {
      {"About", [](Rig& rig) { return SetUp(rig, false); }, nullptr,
       [](Rig& rig) { return rig.host().about(); }},
      {"global setup", nullptr, nullptr, [](Rig& rig) { return rig.host().globalSetup(); }},
      {"parameter setup", [](Rig& rig) { return SetUp(rig, false); }, nullptr,
       [](Rig& rig) { return rig.host().paramsSetup(); }},
  };
  if (effect.outFlags & PF_OutFlag_SEND_UPDATE_PARAMS_UI)
    for (Scenario& s : ParamUIScenarios(effect.entryPoint)) scenarios.push_back(std::move(s));

  if (effect.outFlags & PF_OutFlag_CUSTOM_UI)
    for (Scenario& s : EventScenarios()) scenarios.push_back(std::move(s));

  auto prepareFrame = [](Rig& rig) {
    if (std::string p = SetUp(rig, true); !p.empty()) return p;
    testhost::FrameSetup setup;
    setup.width = kSmallFrameWidth;
    setup.height = kSmallFrameHeight;
    return rig.prepareFrame(setup);
  };
  const std::string frame =
      " (" + std::to_string(kSmallFrameWidth) + "x" + std::to_string(kSmallFrameHeight) + ", 8-bit)";
  scenarios.push_back({"smart pre-render" + frame, prepareFrame, nullptr,
                       [](Rig& rig) { return rig.preRender(); }, true});
  scenarios.push_back({"smart render" + frame, prepareFrame, nullptr,
                       [](Rig& rig) { return rig.render(); }, true});
  return scenarios;
}

}  // namespace

void RegisterCommandBenchmarks(bool smoke) {
  for (const zelfin::EffectDescription& effect : zelfin::kEffects) {
    for (const Scenario& scenario : ScenariosOf(effect)) {
      for (Subject subject : {Subject::Plugin, Subject::Null}) {
        const std::string name = std::string(kCommandPrefix) + ShortName(effect.entryPoint) + "/" +
                                 scenario.command + "/" + SubjectName(subject);
        benchmark::RegisterBenchmark(name.c_str(), RunCommand, scenario, effect.entryPoint, subject,
                                     smoke ? kSmokeSplitting : kSplitting)
            ->Unit(benchmark::kNanosecond)
            ->MinTime(smoke ? 0.001 : 0.2);
      }
    }
  }
}

}  // namespace bench

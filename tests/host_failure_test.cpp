// What the five entry points do with the host's suites and with host callbacks that fail: every
// command gives back each suite it took, once and in the suite handler's release order; a refused
// suite makes the command return PF_Err_BAD_CALLBACK_PARAM; a callback that throws turns into an
// error code and nothing crosses into the host.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "plugin_effects.h"

namespace {

using testhost::CommandResult;
using testhost::Fault;
using testhost::Host;
using testhost::SuiteId;
using zelfin_test::EffectCase;
using zelfin_test::kEffectCases;
using zelfin_test::Plugin;

// The suites the host serves, in the order the plug-in gives them back.
const SuiteId kReleaseOrder[] = {
    {kPFParamUtilsSuite, kPFParamUtilsSuiteVersion2},
    {kAEGPUtilitySuite, kAEGPUtilitySuiteVersion7},
    {kPFANSISuite, kPFANSISuiteVersion1},
    {kPFHandleSuite, kPFHandleSuiteVersion2},
    {kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1},
    {kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1},
    {kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1},
    {kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version1},
    {kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1},
};

std::string Str(const SuiteId& s) { return '"' + s.name + "\" " + std::to_string(s.version); }

// Suite rules of one finished command: nothing left acquired, nothing acquired twice or released
// under another identity (the ledger's problems), and the releases in release order.
void ExpectSuiteDiscipline(Host& host, const CommandResult& r) {
  EXPECT_TRUE(r.suiteProblems.empty()) << r.describe();
  EXPECT_EQ(r.liveSuites, 0);
  std::size_t last = 0;
  for (const SuiteId& s : host.ledger().releaseOrder(r.serial)) {
    const auto it = std::find(std::begin(kReleaseOrder), std::end(kReleaseOrder), s);
    ASSERT_NE(it, std::end(kReleaseOrder)) << Str(s);
    const auto rank = static_cast<std::size_t>(it - std::begin(kReleaseOrder)) + 1;
    EXPECT_GT(rank, last) << Str(s) << " released out of order";
    last = rank;
  }
}

// The commands of an effect's life that do not depend on its parameter list or its events.
struct Step {
  const char* label;
  std::function<CommandResult(Host&)> run;
};

const std::vector<Step>& Session() {
  static const std::vector<Step> steps = {
      {"GLOBAL_SETUP", [](Host& h) { return h.globalSetup(); }},
      {"PARAMS_SETUP", [](Host& h) { return h.paramsSetup(); }},
      {"UPDATE_PARAMS_UI", [](Host& h) { return h.updateParamsUI(); }},
      {"SMART_PRE_RENDER", [](Host& h) { return h.smartPreRender({}); }},
      {"SMART_RENDER", [](Host& h) { return h.smartRender({}); }},
      {"ABOUT", [](Host& h) { return h.about(); }},
      {"GLOBAL_SETDOWN", [](Host& h) { return h.globalSetdown(); }},
  };
  return steps;
}

// Runs the session up to (not including) step `until` and expects each command to succeed.
void RunUntil(Host& host, std::size_t until) {
  for (std::size_t i = 0; i < until; ++i) {
    const CommandResult r = Session()[i].run(host);
    ASSERT_EQ(r.err, PF_Err_NONE) << Session()[i].label << ": " << r.describe();
  }
}

class HostFailureTest : public ::testing::TestWithParam<EffectCase> {
 protected:
  // The calls the plug-in makes during one step of a healthy session, with their occurrences
  // counted from the start of that step.
  std::vector<testhost::FaultSite> SitesOf(std::size_t step) {
    Host probe(Plugin(), GetParam().entryPoint);
    RunUntil(probe, step);
    probe.log().clear();
    Session()[step].run(probe);
    return testhost::FaultSites(probe.log());
  }
};

TEST_P(HostFailureTest, EveryCommandGivesBackItsSuitesInReleaseOrder) {
  Host host(Plugin(), GetParam().entryPoint);
  int acquired = 0;
  for (const Step& step : Session()) {
    SCOPED_TRACE(step.label);
    const CommandResult r = step.run(host);
    EXPECT_EQ(r.err, PF_Err_NONE);
    EXPECT_TRUE(r.clean()) << r.describe();
    ExpectSuiteDiscipline(host, r);
    acquired += static_cast<int>(host.ledger().acquireOrder(r.serial).size());
  }
  if (GetParam().globalData) {
    EXPECT_GT(acquired, 0) << "global setup and setdown take suites";
  }
}

TEST_P(HostFailureTest, RefusedSuiteMakesTheCommandFailWithoutLeaks) {
  for (std::size_t step = 0; step < Session().size(); ++step) {
    std::vector<std::string> names;
    for (const testhost::FaultSite& site : SitesOf(step))
      if (site.call == "AcquireSuite" &&
          std::find(names.begin(), names.end(), site.firstArg) == names.end())
        names.push_back(site.firstArg);
    for (const std::string& name : names) {
      for (const SPErr code : {testhost::kSuiteNotFound, SPErr{0}}) {
        SCOPED_TRACE(std::string(Session()[step].label) + " refused \"" + name + "\" with " +
                     std::to_string(code));
        Host host(Plugin(), GetParam().entryPoint);
        RunUntil(host, step);
        const int handlesBefore = host.handles().live();
        host.faults().refuseSuite(name, code);
        const CommandResult r = Session()[step].run(host);
        EXPECT_EQ(r.err, PF_Err_BAD_CALLBACK_PARAM);
        EXPECT_TRUE(r.clean()) << r.describe();
        ExpectSuiteDiscipline(host, r);
        EXPECT_EQ(r.liveHandles, handlesBefore);
      }
    }
  }
}

// Every host call of every command throwing in turn (except the suite releases, which run as the
// suite handler is destroyed): std::bad_alloc becomes PF_Err_OUT_OF_MEMORY, anything else
// PF_Err_INTERNAL_STRUCT_DAMAGED, and what the command took is given back.
TEST_P(HostFailureTest, ThrowingCallbackBecomesAnErrorCode) {
  const struct {
    Fault fault;
    PF_Err expected;
  } kinds[] = {{Fault::throwBadAlloc(), PF_Err_OUT_OF_MEMORY},
               {Fault::throwUnknown(), PF_Err_INTERNAL_STRUCT_DAMAGED}};
  int sites = 0;
  for (std::size_t step = 0; step < Session().size(); ++step) {
    for (const testhost::FaultSite& site : SitesOf(step)) {
      if (site.call == "ReleaseSuite") continue;
      ++sites;
      for (const auto& kind : kinds) {
        SCOPED_TRACE(std::string(Session()[step].label) + ": " + site.call + " #" +
                     std::to_string(site.occurrence) + " throws " +
                     std::to_string(kind.expected));
        Host host(Plugin(), GetParam().entryPoint);
        RunUntil(host, step);
        const int handlesBefore = host.handles().live();
        host.faults().failAt(site.call, site.occurrence, kind.fault);
        const CommandResult r = Session()[step].run(host);
        EXPECT_EQ(host.faults().hits(), 1);
        EXPECT_FALSE(r.escaped) << r.exception;
        EXPECT_EQ(r.err, kind.expected);
        EXPECT_TRUE(r.violations.empty()) << r.describe();
        ExpectSuiteDiscipline(host, r);
        EXPECT_EQ(r.liveHandles, handlesBefore);
      }
    }
  }
  EXPECT_GT(sites, 0) << "every effect calls the host at least to render";
}

// A host whose suite release throws: the release runs while the suite handler is destroyed, so
// the exception must stay inside the plug-in, and the other suites are still given back.
TEST_P(HostFailureTest, ThrowingReleaseGivesBackTheOtherSuites) {
  for (std::size_t step = 0; step < Session().size(); ++step) {
    for (const testhost::FaultSite& site : SitesOf(step)) {
      if (site.call != "ReleaseSuite") continue;
      SCOPED_TRACE(std::string(Session()[step].label) + ": release of " + site.firstArg);
      Host host(Plugin(), GetParam().entryPoint);
      RunUntil(host, step);
      host.faults().failAt(site.call, site.occurrence, Fault::throwBadAlloc());
      const CommandResult r = Session()[step].run(host);
      EXPECT_EQ(host.faults().hits(), 1);
      EXPECT_FALSE(r.escaped) << r.exception;
      EXPECT_EQ(r.err, PF_Err_NONE);
      EXPECT_EQ(host.ledger().releaseOrder(r.serial).size() + 1,
                host.ledger().acquireOrder(r.serial).size());
      EXPECT_EQ(r.liveSuites, 1) << "only the suite whose release threw";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Effects, HostFailureTest, ::testing::ValuesIn(kEffectCases),
                         zelfin_test::EffectId);

}  // namespace

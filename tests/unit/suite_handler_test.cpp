#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "Util/AEGP_SuiteHandler.h"
#include "fake_basic_suite.h"

namespace {

using namespace zelfin;

// The code a call threw as a bare PF_Err; -1 when it threw nothing.
PF_Err ThrownCode(const std::function<void()>& call) {
  try {
    call();
  } catch (const PF_Err& err) {
    return err;
  }
  return -1;
}

// The host's suite names and versions, in the order a handler must give them back.
const std::vector<SuiteIdentity> kExpectedReleaseOrder = {
    {"AEGP Marker Suite", 1},
    {"AEGP Marker Suite", 2},
    {"AEGP Layer Suite", 8},
    {"AEGP Layer Suite", 10},
    {"AEGP Stream Suite", 9},
    {"AEGP Stream Suite", 8},
    {"AEGP Stream Suite", 7},
    {"AEGP Stream Suite", 4},
    {"AEGP Dynamic Stream Suite", 2},
    {"AEGP Dynamic Stream Suite", 3},
    {"AEGP Dynamic Stream Suite", 5},
    {"AEGP Keyframe Suite", 4},
    {"AEGP Keyframe Suite", 3},
    {"AEGP Keyframe Suite", 1},
    {"AEGP Comp Suite", 9},
    {"AEGP Comp Suite", 11},
    {"AEGP Comp Suite", 14},
    {"AEGP Comp Suite", 15},
    {"AEGP Comp Suite", 18},
    {"AEGP Canvas Suite", 10},
    {"AEGP Canvas Suite", 11},
    {"AEGP Camera Suite", 2},
    {"AEGP Register Suite", 6},
    {"AEGP Item Suite", 13},
    {"AEGP Item Suite", 11},
    {"AEGP Item Suite", 10},
    {"AEGP Item Suite", 7},
    {"AEGP Item Suite", 3},
    {"AEGP PF Interface Suite", 1},
    {"PF Path Query Suite", 1},
    {"AEGP Memory Suite", 1},
    {"PF Path Data Suite", 1},
    {"PF Param Utils Suite", 2},
    {"PF AE App Suite", 6},
    {"PF AE Adv App Suite", 2},
    {"AEGP Light Suite", 1},
    {"AEGP Light Suite", 2},
    {"AEGP Effect Suite", 1},
    {"AEGP Effect Suite", 2},
    {"AEGP Effect Suite", 3},
    {"AEGP Layer Mask Suite", 5},
    {"AEGP Mask Outline Suite", 3},
    {"AEGP Command Suite", 1},
    {"AEGP Utility Suite", 7},
    {"AEGP Render Suite", 1},
    {"AEGP Render Suite", 2},
    {"PF ANSI Suite", 1},
    {"PF Handle Suite", 2},
    {"PF Fill Matte Suite", 2},
    {"PF World Transform Suite", 1},
    {"AEGP QueryXform Suite", 4},
    {"AEGP Composite Suite", 4},
    {"PF World Suite", 1},
    {"AEGP IO In Suite", 5},
    {"AEGP IO Out Suite", 7},
    {"AEGP Render Queue Suite", 1},
    {"AEGP Render Queue Item Suite", 3},
    {"AEGP Output Module Suite", 4},
    {"AEGP File Import Manager Suite", 3},
    {"PF Sampling8 Suite", 1},
    {"PF Sampling16 Suite", 1},
    {"PF Iterate8 Suite", 1},
    {"PF iterate16 Suite", 1},
    {"PF iterateFloat Suite", 1},
    {"AEGP Collection Suite", 2},
    {"AEGP Text Document Suite", 1},
    {"AEGP Sound Data Suite", 1},
    {"AEGP Text Layer Suite", 1},
    {"AEGP Artisan Util Suite", 1},
    {"AEGP World Suite", 2},
    {"AEGP World Suite", 3},
    {"AEGP Render Options Suite", 1},
    {"AEGP Tracker Suite", 1},
    {"AEGP Tracker Utility Suite", 1},
    {"AE Plugin Helper Suite2", 2},
    {"AEGP Layer Suite", 11},
    {"AEGP Layer Suite", 12},
    {"AEGP Layer Suite", 13},
    {"PF AE Adv Item Suite", 1},
    {"AEGP Layer Suite", 5},
    {"AEGP Layer Mask Suite", 2},
    {"AEGP Comp Suite", 4},
    {"AEGP Collection Suite", 1},
    {"AEGP Mask Outline Suite", 2},
    {"PF AE Adv App Suite", 1},
    {"AEGP Utility Suite", 3},
    {"AEGP Render Options Suite", 2},
    {"AEGP Proj Suite", 8},
    {"AEGP Proj Suite", 9},
    {"AEGP Footage Suite", 11},
    {"AEGP Render Queue Item Suite", 4},
    {"AEGP Utility Suite", 10},
    {"AEGP Persistent Data Suite", 3},
    {"PF Color Settings Suite", 3},
    {"PF Color Settings Suite", 1},
    {"PF ColorParamSuite", 1},
    {"PF SamplingFloat Suite", 1},
    {"AEGP Utility Suite", 11},
    {"PF Effect Custom UI Suite", 1},
    {"PF Effect Custom UI Overlay Theme Suite", 1},
    {"DRAWBOT Draw Suite", 1},
    {"DRAWBOT Supplier Suite", 1},
    {"DRAWBOT Surface Suite", 1},
    {"DRAWBOT Path Suite", 1},
};

class SuiteHandlerTest : public ::testing::Test {
 protected:
  FakeBasicSuite host;
};

TEST_F(SuiteHandlerTest, NullBasicSuiteThrowsBadCallbackParam) {
  EXPECT_EQ(ThrownCode([] { AEGP_SuiteHandler suites(nullptr); }), PF_Err_BAD_CALLBACK_PARAM);
}

TEST_F(SuiteHandlerTest, HandlerThatAsksForNothingMakesNoHostCall) {
  { AEGP_SuiteHandler suites(host.basic()); }
  EXPECT_TRUE(host.acquired.empty());
  EXPECT_TRUE(host.released.empty());
}

TEST_F(SuiteHandlerTest, SuiteAskedForFiveTimesIsAcquiredAndReleasedOnce) {
  {
    AEGP_SuiteHandler suites(host.basic());
    const void* first = suites.HandleSuite1();
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(suites.HandleSuite1(), first);
    }
    EXPECT_EQ(first, host.TableFor({"PF Handle Suite", 2}));
  }
  const std::vector<SuiteIdentity> once = {{"PF Handle Suite", 2}};
  EXPECT_EQ(host.acquired, once);
  EXPECT_EQ(host.released, once);
}

TEST_F(SuiteHandlerTest, TwoVersionsOfOneNameHaveTheirOwnSlots) {
  {
    AEGP_SuiteHandler suites(host.basic());
    const void* v11 = suites.Suite("AEGP Utility Suite", 11);
    const void* v7 = suites.Suite("AEGP Utility Suite", 7);
    EXPECT_NE(v7, v11);
    EXPECT_EQ(suites.Suite("AEGP Utility Suite", 7), v7);
    EXPECT_EQ(suites.Suite("AEGP Utility Suite", 11), v11);
  }
  EXPECT_EQ(host.acquired,
            (std::vector<SuiteIdentity>{{"AEGP Utility Suite", 11}, {"AEGP Utility Suite", 7}}));
  EXPECT_EQ(host.released,
            (std::vector<SuiteIdentity>{{"AEGP Utility Suite", 7}, {"AEGP Utility Suite", 11}}));
}

TEST_F(SuiteHandlerTest, TypedAccessorsAskForTheirOwnIdentity) {
  using Accessor = std::function<const void*(AEGP_SuiteHandler&)>;
  const std::vector<std::pair<Accessor, SuiteIdentity>> cases = {
      {[](AEGP_SuiteHandler& s) { return s.HandleSuite1(); }, {"PF Handle Suite", 2}},
      {[](AEGP_SuiteHandler& s) { return s.UtilitySuite3(); }, {"AEGP Utility Suite", 7}},
      {[](AEGP_SuiteHandler& s) { return s.ParamUtilsSuite1(); }, {"PF Param Utils Suite", 2}},
      {[](AEGP_SuiteHandler& s) { return s.ANSICallbacksSuite1(); }, {"PF ANSI Suite", 1}},
      {[](AEGP_SuiteHandler& s) { return s.EffectCustomUISuite1(); },
       {"PF Effect Custom UI Suite", 1}},
      {[](AEGP_SuiteHandler& s) { return s.DrawbotSuite1(); }, {"DRAWBOT Draw Suite", 1}},
      {[](AEGP_SuiteHandler& s) { return s.SupplierSuite1(); }, {"DRAWBOT Supplier Suite", 1}},
      {[](AEGP_SuiteHandler& s) { return s.SurfaceSuite1(); }, {"DRAWBOT Surface Suite", 1}},
      {[](AEGP_SuiteHandler& s) { return s.PathSuite1(); }, {"DRAWBOT Path Suite", 1}},
  };
  for (const auto& [accessor, identity] : cases) {
    SCOPED_TRACE(identity.first);
    host.acquired.clear();
    host.released.clear();
    {
      AEGP_SuiteHandler suites(host.basic());
      EXPECT_EQ(accessor(suites), host.TableFor(identity));
    }
    EXPECT_EQ(host.acquired, std::vector<SuiteIdentity>{identity});
    EXPECT_EQ(host.released, std::vector<SuiteIdentity>{identity});
  }
}

TEST_F(SuiteHandlerTest, MissingSuiteThrowsAndReleasesTheOthersInListOrder) {
  const SuiteIdentity utility{"AEGP Utility Suite", 7};
  for (auto* failure : {&host.refused, &host.nulled, &host.silent, &host.grudging}) {
    host.acquired.clear();
    host.released.clear();
    failure->insert(utility);
    const PF_Err code = ThrownCode([&] {
      AEGP_SuiteHandler suites(host.basic());
      suites.PathSuite1();
      suites.HandleSuite1();
      suites.ParamUtilsSuite1();
      suites.UtilitySuite3();
      ADD_FAILURE() << "a refused suite must end the handler";
    });
    failure->clear();
    EXPECT_EQ(code, PF_Err_BAD_CALLBACK_PARAM);
    EXPECT_EQ(host.released,
              (std::vector<SuiteIdentity>{
                  {"PF Param Utils Suite", 2}, {"PF Handle Suite", 2}, {"DRAWBOT Path Suite", 1}}));
  }
}

TEST_F(SuiteHandlerTest, RefusedSuiteIsAskedForAgainNextTime) {
  const SuiteIdentity handle{"PF Handle Suite", 2};
  host.refused.insert(handle);
  {
    AEGP_SuiteHandler suites(host.basic());
    EXPECT_EQ(ThrownCode([&] { suites.HandleSuite1(); }), PF_Err_BAD_CALLBACK_PARAM);
    host.refused.clear();
    EXPECT_EQ(suites.HandleSuite1(), host.TableFor(handle));
  }
  EXPECT_EQ(host.acquired.size(), 2u);
  EXPECT_EQ(host.released, std::vector<SuiteIdentity>{handle});
}

TEST_F(SuiteHandlerTest, IdentityNotOnTheListThrowsWithoutAskingTheHost) {
  AEGP_SuiteHandler suites(host.basic());
  EXPECT_EQ(ThrownCode([&] { suites.Suite("AEGP Utility Suite", 99); }), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(ThrownCode([&] { suites.Suite("PF Handle Suite ", 2); }), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(host.acquired.empty());
}

TEST_F(SuiteHandlerTest, ReleasesAllHundredAndFourIdentitiesInListOrder) {
  ASSERT_EQ(kExpectedReleaseOrder.size(), AEGP_SuiteHandler::kSuiteCount);
  {
    AEGP_SuiteHandler suites(host.basic());
    std::for_each(kExpectedReleaseOrder.rbegin(), kExpectedReleaseOrder.rend(),
                  [&](const SuiteIdentity& id) { suites.Suite(id.first.c_str(), id.second); });
  }
  EXPECT_EQ(host.released, kExpectedReleaseOrder);
}

TEST_F(SuiteHandlerTest, SuiteReleasedByNameIsNotReleasedAgain) {
  {
    AEGP_SuiteHandler suites(host.basic());
    suites.HandleSuite1();
    suites.ANSICallbacksSuite1();
    suites.ReleaseSuite("PF Handle Suite", 2);
    suites.ReleaseAllSuites();
    suites.ReleaseAllSuites();
  }
  EXPECT_EQ(host.released,
            (std::vector<SuiteIdentity>{{"PF Handle Suite", 2}, {"PF ANSI Suite", 1}}));
}

}  // namespace

// The stand-in host's own behaviour that the plug-in tests rely on, exercised through small
// scripted entry points instead of the plug-in.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "testhost/core/Host.h"
#include "testhost/core/HostCall.h"
#include "testhost/panels/Panel.h"

namespace {

using testhost::CommandResult;
using testhost::Depth;
using testhost::Fault;
using testhost::FrameSetup;
using testhost::Host;
using testhost::HostRule;
using testhost::Panel;
using testhost::PanelKind;
using testhost::World;

using Rules = std::vector<HostRule>;

using Script = std::function<PF_Err(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef**, void*)>;
Script gScript;

PF_Err ScriptedEntry(PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef* params[],
                     PF_LayerDef*, void* extra) {
  return gScript(cmd, in, out, params, extra);
}

// The pixel checkout id the pass-through render asks for.
A_long gRenderCheckoutId = 0;

PF_Err PassThrough(PF_Cmd cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void* extra) {
  if (cmd == PF_Cmd_SMART_PRE_RENDER) {
    auto* e = static_cast<PF_PreRenderExtra*>(extra);
    PF_CheckoutResult result{};
    const PF_Err err =
        e->cb->checkout_layer(in->effect_ref, 0, 0, &e->input->output_request, in->current_time,
                              in->time_step, in->time_scale, &result);
    e->output->result_rect = result.result_rect;
    return err;
  }
  if (cmd == PF_Cmd_SMART_RENDER) {
    auto* e = static_cast<PF_SmartRenderExtra*>(extra);
    PF_EffectWorld* src = nullptr;
    PF_EffectWorld* dst = nullptr;
    if (PF_Err err = e->cb->checkout_layer_pixels(in->effect_ref, gRenderCheckoutId, &src))
      return err;
    if (PF_Err err = e->cb->checkout_output(in->effect_ref, &dst)) return err;
    return in->utils->copy(in->effect_ref, src, dst, nullptr, nullptr);
  }
  return PF_Err_NONE;
}

const void* Acquire(PF_InData* in, const char* name, int version, SPErr* err = nullptr) {
  const void* suite = nullptr;
  const SPErr e = in->pica_basicP->AcquireSuite(name, version, &suite);
  if (err) *err = e;
  return suite;
}

// The custom UI suite and three drawing suites, acquired for one command and given back with it.
struct DrawingSuites {
  explicit DrawingSuites(PF_InData* in) : in(in) {}
  ~DrawingSuites() {
    for (const char* name : {kPFEffectCustomUISuite, kDRAWBOT_DrawSuite, kDRAWBOT_SupplierSuite,
                             kDRAWBOT_SurfaceSuite})
      in->pica_basicP->ReleaseSuite(name, 1);
  }
  DrawingSuites(const DrawingSuites&) = delete;
  DrawingSuites& operator=(const DrawingSuites&) = delete;

  PF_InData* in;
  const PF_EffectCustomUISuite1* ui = static_cast<const PF_EffectCustomUISuite1*>(
      Acquire(in, kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1));
  const DRAWBOT_DrawbotSuite1* draw = static_cast<const DRAWBOT_DrawbotSuite1*>(
      Acquire(in, kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1));
  const DRAWBOT_SupplierSuite1* supplier = static_cast<const DRAWBOT_SupplierSuite1*>(
      Acquire(in, kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1));
  const DRAWBOT_SurfaceSuite1* surface = static_cast<const DRAWBOT_SurfaceSuite1*>(
      Acquire(in, kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version1));
};

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override { gRenderCheckoutId = 0; }
  void TearDown() override { gScript = nullptr; }
  Host host{&ScriptedEntry};
};

TEST(HandleTableTest, TracksLifetimeAndReportsMisuse) {
  std::vector<testhost::Violation> reports;
  testhost::HandleTable table([&](testhost::Violation v) { reports.push_back(v); });
  PF_Handle h = table.create(4);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(table.live(), 1);
  EXPECT_EQ(table.size(h), 4u);
  auto* block = static_cast<unsigned char*>(table.lock(h));
  ASSERT_NE(block, nullptr);
  std::memcpy(block, "abcd", 4);
  table.unlock(h);
  ASSERT_EQ(table.resize(8, &h), PF_Err_NONE);
  EXPECT_EQ(std::memcmp(table.peek(h), "abcd", 4), 0);
  EXPECT_TRUE(reports.empty());

  table.unlock(h);  // not locked
  EXPECT_TRUE(table.dispose(h));
  EXPECT_EQ(table.live(), 0);
  EXPECT_FALSE(table.dispose(h));
  EXPECT_EQ(table.lock(h), nullptr);
  int stranger = 0;
  void* strangerMaster = &stranger;
  EXPECT_FALSE(table.dispose(&strangerMaster));
  // An unlock too many, a double dispose, a lock after the dispose, a stranger's dispose.
  EXPECT_EQ(testhost::RulesOf(reports),
            (Rules{HostRule::UnlockWithoutLock, HostRule::DisposedHandle, HostRule::DisposedHandle,
                   HostRule::UnknownHandle}));

  PF_Handle overrun = table.create(4);
  static_cast<unsigned char*>(table.lock(overrun))[4] = 0;
  EXPECT_EQ(testhost::RulesOf(table.checkGuards()), Rules{HostRule::GuardBytesOverwritten});
  EXPECT_TRUE(table.checkGuards().empty()) << "each damaged block is reported once";
}

// The identifiers are what tests, the fuzzer and readers of a report go by: each rule has its own,
// in kebab-case, and says what breaks it. The enumeration, the list and the identifiers are all
// made from one row per rule, so none can miss a rule the others have.
TEST(HostRuleTest, EveryRuleHasAnIdentifierOfItsOwn) {
  std::set<std::string> seen;
  std::size_t index = 0;
  for (const testhost::HostRuleRow& row : testhost::kHostRuleRows) {
    const std::string id = row.id;
    SCOPED_TRACE(id);
    EXPECT_EQ(static_cast<std::size_t>(row.rule), index);
    EXPECT_EQ(testhost::kHostRules[index], row.rule);
    EXPECT_EQ(testhost::RuleId(row.rule), id);
    EXPECT_TRUE(seen.insert(id).second) << "given twice";
    EXPECT_FALSE(id.empty() || id.front() == '-' || id.back() == '-' ||
                 id.find("--") != std::string::npos ||
                 id.find_first_not_of("abcdefghijklmnopqrstuvwxyz-") != std::string::npos);
    EXPECT_GT(std::string(row.brokenBy).size(), 10u);
    ++index;
  }
  EXPECT_EQ(std::size(testhost::kHostRules), testhost::kHostRuleCount);
  EXPECT_STREQ(testhost::RuleId(static_cast<HostRule>(testhost::kHostRuleCount)), "unknown-rule");
  const testhost::Violation v{HostRule::NullArgument, "add_param with a null definition"};
  EXPECT_EQ(v.str(), "[null-argument] add_param with a null definition");
}

struct CopyCase {
  Depth depth;
  int srcPadding;
  int dstPadding;
};

class CopyTest : public ::testing::TestWithParam<CopyCase> {};

TEST_P(CopyTest, CopiesEveryPixelAndNothingElse) {
  const CopyCase c = GetParam();
  World src(7, 5, c.depth, c.srcPadding);
  World dst(7, 5, c.depth, c.dstPadding);
  src.fillPattern(3);
  ASSERT_EQ(testhost::CopyPixels(src, dst, nullptr, nullptr), PF_Err_NONE);
  EXPECT_TRUE(dst.samePixels(src)) << *dst.firstDifference(src);
  EXPECT_TRUE(dst.guardsIntact());

  // A rectangle lands at the destination's corner and clips at its edges.
  World part(7, 5, c.depth, c.dstPadding);
  const PF_Rect from{1, 1, 4, 3};
  const PF_Rect to{5, 4, 9, 9};
  ASSERT_EQ(testhost::CopyPixels(src, part, &from, &to), PF_Err_NONE);
  const int size = testhost::PixelSize(c.depth);
  EXPECT_EQ(std::memcmp(part.pixelAddress(5, 4), src.pixelAddress(1, 1), 2 * size), 0);
  EXPECT_EQ(part.poisonedPixels(), 7 * 5 - 2);
  EXPECT_TRUE(part.guardsIntact());

  // Destinations at the ends of the coordinate range land outside, or clip without overflow.
  World far(7, 5, c.depth, c.dstPadding);
  const PF_Rect beyond{INT32_MAX - 1, INT32_MAX - 1, INT32_MAX, INT32_MAX};
  ASSERT_EQ(testhost::CopyPixels(src, far, &from, &beyond), PF_Err_NONE);
  EXPECT_EQ(far.poisonedPixels(), 7 * 5);
  const PF_Rect before{INT32_MIN, INT32_MIN, 0, 0};
  ASSERT_EQ(testhost::CopyPixels(src, far, nullptr, &before), PF_Err_NONE);
  EXPECT_EQ(far.poisonedPixels(), 7 * 5);
  EXPECT_TRUE(far.guardsIntact());
}

INSTANTIATE_TEST_SUITE_P(
    DepthsAndStrides, CopyTest,
    ::testing::Values(CopyCase{Depth::Bits8, 3, 3}, CopyCase{Depth::Bits8, 0, 5},
                      CopyCase{Depth::Bits16, 3, 3}, CopyCase{Depth::Bits16, 2, 0},
                      CopyCase{Depth::Float32, 3, 3}, CopyCase{Depth::Float32, 1, 4}));

TEST(WorldTest, PatternsDifferAndPoisonShows) {
  for (Depth d : {Depth::Bits8, Depth::Bits16, Depth::Float32}) {
    World a(4, 3, d), b(4, 3, d);
    EXPECT_EQ(a.poisonedPixels(), 12);
    a.fillPattern(1);
    b.fillPattern(2);
    EXPECT_EQ(a.poisonedPixels(), 0);
    EXPECT_FALSE(a.samePixels(b));
    EXPECT_EQ(a.firstDifference(World(4, 2, d)).value_or(""), "size 4x3 against 4x2");
  }
  EXPECT_EQ(World(1, 1, Depth::Bits16).record().world_flags & PF_WorldFlag_DEEP, PF_WorldFlag_DEEP);
}

TEST_F(HostTest, RendersThroughCopyAtEveryDepthAndReportsGuardDamage) {
  gScript = PassThrough;
  for (Depth d : {Depth::Bits8, Depth::Bits16, Depth::Float32}) {
    FrameSetup setup;
    setup.depth = d;
    setup.checkout = PF_CheckoutResult{};
    setup.checkout->result_rect = {10, 20, 110, 220};
    const testhost::FrameResult f = host.renderFrame(setup);
    ASSERT_TRUE(f.rendered);
    EXPECT_EQ(f.render.err, PF_Err_NONE);
    EXPECT_TRUE(f.identical) << testhost::DepthName(d);
    EXPECT_TRUE(f.render.clean()) << f.render.describe();
    EXPECT_EQ(f.preRenderOutput.result_rect.bottom, 220);
    ASSERT_EQ(f.checkouts.size(), 1u);
    EXPECT_EQ(f.checkouts[0].request.rect.right, setup.width);
  }
  *host.output()->guardAfter() = 0;
  const CommandResult r = host.about();
  EXPECT_EQ(testhost::RulesOf(r.violations), Rules{HostRule::GuardBytesOverwritten})
      << r.describe();
}

TEST_F(HostTest, PixelCheckoutMustBePairedWithThePreRender) {
  gScript = PassThrough;
  gRenderCheckoutId = 1;
  const testhost::FrameResult f = host.renderFrame(FrameSetup{});
  EXPECT_EQ(f.render.err, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(testhost::RulesOf(f.render.violations), Rules{HostRule::LayerNotCheckedOut})
      << f.render.describe();
  EXPECT_EQ(host.output()->poisonedPixels(), FrameSetup{}.width * FrameSetup{}.height);
}

// A render sent by hand, before any frame, gets refusals instead of buffers that do not exist.
TEST_F(HostTest, BufferCheckoutsBeforeAnyFrameAreRefused) {
  // The callbacks are the same functions for every host; take them from a frame of another.
  PF_SmartRenderCallbacks callbacks{};
  gScript = [&callbacks](PF_Cmd cmd, PF_InData*, PF_OutData*, PF_ParamDef**, void* extra) {
    if (cmd == PF_Cmd_SMART_RENDER) callbacks = *static_cast<PF_SmartRenderExtra*>(extra)->cb;
    return PF_Err_NONE;
  };
  Host framed{&ScriptedEntry};
  framed.renderFrame(FrameSetup{});
  ASSERT_NE(callbacks.checkout_output, nullptr);

  PF_EffectWorld* seen[2] = {};
  gScript = [&seen](PF_Cmd cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void* extra) {
    if (cmd != PF_Cmd_SMART_RENDER) return PF_Err_NONE;
    auto* e = static_cast<PF_SmartRenderExtra*>(extra);
    const PF_Err pixels = e->cb->checkout_layer_pixels(in->effect_ref, 0, &seen[0]);
    const PF_Err output = e->cb->checkout_output(in->effect_ref, &seen[1]);
    return pixels != PF_Err_NONE && output != PF_Err_NONE ? PF_Err_BAD_CALLBACK_PARAM
                                                          : PF_Err_NONE;
  };
  PF_SmartRenderInput input{};
  PF_SmartRenderExtra extra{&input, &callbacks};
  const CommandResult r = host.send(PF_Cmd_SMART_RENDER, &extra);
  EXPECT_EQ(r.err, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(testhost::RulesOf(r.violations),
            (Rules{HostRule::NoFrameSetUp, HostRule::NoFrameSetUp}))
      << r.describe();
  EXPECT_EQ(seen[0], nullptr);
  EXPECT_EQ(seen[1], nullptr);
}

TEST_F(HostTest, FaultPlanHitsExactlyTheKthCall) {
  std::vector<bool> got;
  gScript = [&](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void*) {
    for (int i = 0; i < 3; ++i) {
      PF_Handle h = in->utils->host_new_handle(4);
      got.push_back(h != nullptr);
      if (h) in->utils->host_dispose_handle(h);
    }
    return PF_Err_NONE;
  };
  host.faults().failAt("host_new_handle", 2, Fault::null());
  const CommandResult r = host.about();
  EXPECT_EQ(got, (std::vector<bool>{true, false, true}));
  EXPECT_EQ(host.faults().hits(), 1);
  EXPECT_EQ(r.liveHandles, 0);
  const auto calls = host.log().named("host_new_handle");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_TRUE(calls[1].faulted);
  EXPECT_EQ(calls[1].result, 0);
  EXPECT_EQ(host.log().occurrence(host.log().find("host_new_handle", 1)), 2)
      << "the disposal between the allocations does not count";
}

TEST_F(HostTest, ThrowingFaultsAreCaughtAtTheEntryPoint) {
  gScript = [](PF_Cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, void*) {
    return in->utils->ansi.sprintf(out->return_msg, "x") < 0 ? PF_Err_BAD_CALLBACK_PARAM
                                                             : PF_Err_NONE;
  };
  const std::pair<Fault, std::string> cases[] = {
      {Fault::throwBadAlloc(), "std::exception"},
      {Fault::throwUnknown(), "ForeignException"},
      {Fault::throwErrorCode(PF_Err_OUT_OF_MEMORY), "error code 4"},
  };
  for (const auto& [fault, expected] : cases) {
    host.faults().clear();
    host.faults().failAt("PF_SPRINTF", 1, fault);
    const CommandResult r = host.about();
    EXPECT_TRUE(r.escaped);
    EXPECT_EQ(r.exception.rfind(expected, 0), 0u) << r.exception;
  }
  host.faults().clear();
  host.faults().failEvery("PF_SPRINTF", Fault::fail(PF_Err_OUT_OF_MEMORY));
  EXPECT_EQ(host.about().err, PF_Err_NONE) << "an error fault does not apply to a value";
  EXPECT_EQ(host.faults().hits(), 0);
}

// Busy for `span` of wall time in the caller's code.
void Spin(std::chrono::milliseconds span) {
  const auto end = std::chrono::steady_clock::now() + span;
  while (std::chrono::steady_clock::now() < end) {
  }
}

constexpr std::chrono::milliseconds kSpin{50};

// An ANSI table provided from outside the library, whose fabs is a slow function: the host serves
// it behind its gate, which times it as it times the host's own.
double SpinningFabs(double x) {
  Spin(kSpin);
  return x < 0 ? -x : x;
}
PF_ANSICallbacksSuite1 SpinningAnsi() {
  const PF_ANSICallbacksSuite1& own = testhost::HostAnsiSuite();
  return {
      own.atan, own.atan2, own.ceil, own.cos, own.exp,
      &SpinningFabs,  // fabs
      own.floor, own.fmod, own.hypot, own.log, own.log10, own.pow, own.sin, own.sqrt, own.tan,
      own.sprintf, own.strcpy, own.asin, own.acos,
  };
}

// The ANSI suite's fabs, called once.
PF_Err CallFabs(PF_InData* in) {
  const auto* ansi = static_cast<const PF_ANSICallbacksSuite1*>(
      Acquire(in, kPFANSISuite, kPFANSISuiteVersion1));
  if (!ansi) return PF_Err_BAD_CALLBACK_PARAM;
  ansi->fabs(-1);
  return in->pica_basicP->ReleaseSuite(kPFANSISuite, kPFANSISuiteVersion1);
}

// The spin lands on the side it ran on, and that side outweighs the other, however slow the
// machine (under an emulator a lone callback can take milliseconds).
TEST_F(HostTest, TimeSplitTellsThePlugInsOwnTimeFromItsCallbacks) {
  host.provideSuite(SpinningAnsi());
  struct Case {
    const char* what;
    Script script;
    bool spinsInTheCallback;
  };
  const std::vector<Case> cases = {
      {"busy in the plug-in, one callback",
       [](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void*) {
         Spin(kSpin);
         return in->inter.abort(in->effect_ref);
       },
       false},
      {"busy in a host callback",
       [](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void*) { return CallFabs(in); },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gScript = c.script;
    host.timeCommands(true);
    EXPECT_EQ(host.about().err, PF_Err_NONE);
    const testhost::TimeSplit split = host.timeSplit();
    EXPECT_EQ(split.commands, 1);
    const std::chrono::nanoseconds spun = c.spinsInTheCallback ? split.callbacks : split.own();
    const std::chrono::nanoseconds other = c.spinsInTheCallback ? split.own() : split.callbacks;
    EXPECT_GE(spun, kSpin);
    EXPECT_GE(other.count(), 0);
    EXPECT_LT(other, spun);
  }
  host.timeCommands(false);
  host.about();
  EXPECT_EQ(host.timeSplit().commands, 0) << "nothing is timed while timing is off";
  EXPECT_EQ(host.timeSplit().entry.count(), 0);
}

// A fault that throws out of a host function still ends that call's timing: the calls after it
// are timed as before.
TEST_F(HostTest, ACallWhoseFaultThrowsStopsItsTimer) {
  host.provideSuite(SpinningAnsi());
  host.faults().failAt("abort", 1, Fault::throwBadAlloc());
  gScript = [](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void*) {
    try {
      in->inter.abort(in->effect_ref);
    } catch (const std::bad_alloc&) {
    }
    return CallFabs(in);
  };
  host.timeCommands(true);
  EXPECT_EQ(host.about().err, PF_Err_NONE);
  EXPECT_EQ(host.faults().hits(), 1);
  EXPECT_GE(host.timeSplit().callbacks, kSpin);
}

// The host is found per thread: a call from a thread other than the one its command runs on
// finds no host, is not recorded and fails.
TEST_F(HostTest, ACallFromAnotherThreadFindsNoHost) {
  PF_Handle fromOther = reinterpret_cast<PF_Handle>(&gScript);
  PF_Err abortFromOther = PF_Err_NONE;
  gScript = [&](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void*) {
    std::thread other([&] {
      fromOther = in->utils->host_new_handle(4);
      abortFromOther = in->inter.abort(in->effect_ref);
    });
    other.join();
    return in->inter.abort(in->effect_ref);
  };
  const CommandResult r = host.about();
  EXPECT_TRUE(r.clean()) << r.describe();
  EXPECT_EQ(r.err, PF_Err_NONE) << "the command's own thread is served";
  EXPECT_EQ(fromOther, nullptr);
  EXPECT_EQ(abortFromOther, PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(host.log().names(), std::vector<std::string>{"abort"});
}

TEST_F(HostTest, SuitesAreServedByNameAndVersionOnly) {
  struct Case {
    const char* name;
    int version;
    bool served;
  };
  const Case cases[] = {
      {kPFHandleSuite, kPFHandleSuiteVersion2, true},
      {kAEGPUtilitySuite, kAEGPUtilitySuiteVersion7, true},
      {kPFParamUtilsSuite, kPFParamUtilsSuiteVersion2, true},
      {kPFANSISuite, kPFANSISuiteVersion1, true},
      {kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1, true},
      {kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1, true},
      {kPFHandleSuite, 1, false},
      {"AEGP Utility Suite", 11, false},
      {"No Such Suite", 1, false},
  };
  gScript = [&](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void*) {
    for (const Case& c : cases) {
      SPErr err = 0;
      const void* suite = Acquire(in, c.name, c.version, &err);
      EXPECT_EQ(suite != nullptr, c.served) << c.name << ' ' << c.version;
      EXPECT_EQ(err == 0, c.served) << c.name << ' ' << c.version;
      if (suite) in->pica_basicP->ReleaseSuite(c.name, c.version);
    }
    return PF_Err_NONE;
  };
  const CommandResult r = host.about();
  EXPECT_TRUE(r.clean()) << r.describe();
  EXPECT_EQ(r.liveSuites, 0);

  host.faults().refuseSuite(kPFHandleSuite, 0);
  host.faults().refuseSuite(kAEGPUtilitySuite, PF_Err_OUT_OF_MEMORY);
  gScript = [](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void*) {
    SPErr err = -1;
    EXPECT_EQ(Acquire(in, kPFHandleSuite, kPFHandleSuiteVersion2, &err), nullptr);
    EXPECT_EQ(err, 0) << "refused with success and a null table";
    EXPECT_EQ(Acquire(in, kAEGPUtilitySuite, kAEGPUtilitySuiteVersion7, &err), nullptr);
    EXPECT_EQ(err, PF_Err_OUT_OF_MEMORY);
    return PF_Err_NONE;
  };
  EXPECT_TRUE(host.about().clean());
}

TEST_F(HostTest, LedgerReportsSuiteMisuse) {
  gScript = [](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void*) {
    Acquire(in, kPFANSISuite, kPFANSISuiteVersion1);
    Acquire(in, kPFHandleSuite, kPFHandleSuiteVersion2);
    Acquire(in, kPFHandleSuite, kPFHandleSuiteVersion2);
    in->pica_basicP->ReleaseSuite(kPFHandleSuite, kPFHandleSuiteVersion2);
    in->pica_basicP->ReleaseSuite(kPFANSISuite, 2);
    in->pica_basicP->ReleaseSuite(kPFANSISuite, kPFANSISuiteVersion1);
    return PF_Err_NONE;
  };
  const CommandResult r = host.about();
  EXPECT_EQ(host.ledger().acquisitions(r.serial, {kPFHandleSuite, kPFHandleSuiteVersion2}), 2);
  EXPECT_EQ(testhost::RulesOf(r.suiteProblems),
            (Rules{HostRule::SuiteNotAcquired, HostRule::SuiteNotReleased}));
  ASSERT_EQ(r.suiteProblems.size(), 2u);
  // Each names the identity it is about.
  EXPECT_NE(r.suiteProblems[0].message.find("\"PF ANSI Suite\" 2"), std::string::npos);
  EXPECT_NE(r.suiteProblems[1].message.find("\"PF Handle Suite\" 2"), std::string::npos);
  EXPECT_EQ(r.liveSuites, 1);
  const auto order = host.ledger().releaseOrder(r.serial);
  ASSERT_EQ(order.size(), 2u);
  EXPECT_EQ(order[0].name, kPFHandleSuite);
  EXPECT_EQ(order[1].name, kPFANSISuite);
  EXPECT_FALSE(host.ledger().balanced(r.serial));

  // A release the host fails leaves the suite acquired, but the plug-in did its part.
  host.faults().failAt("ReleaseSuite", 1, Fault::fail(PF_Err_OUT_OF_MEMORY));
  gScript = [](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void*) {
    Acquire(in, kPFANSISuite, kPFANSISuiteVersion1);
    in->pica_basicP->ReleaseSuite(kPFANSISuite, kPFANSISuiteVersion1);
    return PF_Err_NONE;
  };
  const CommandResult failed = host.about();
  EXPECT_EQ(testhost::RulesOf(failed.suiteProblems), Rules{HostRule::SuiteNotReleased});
  EXPECT_TRUE(failed.violations.empty()) << failed.describe();
  EXPECT_TRUE(host.ledger().balanced(failed.serial));
}

TEST_F(HostTest, KeepsParametersGlobalDataAndUIUpdatesAsAHostWould) {
  gScript = [](PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef** params, void*) {
    if (cmd == PF_Cmd_GLOBAL_SETUP) {
      out->global_data = in->utils->host_new_handle(4);
    } else if (cmd == PF_Cmd_GLOBAL_SETDOWN) {
      in->utils->host_dispose_handle(in->global_data);
    } else if (cmd == PF_Cmd_PARAMS_SETUP) {
      PF_ParamDef def{};
      def.param_type = PF_Param_CHECKBOX;
      in->utils->ansi.strcpy(def.name, "Uniform");
      in->inter.add_param(in->effect_ref, -1, &def);
      out->num_params = 2;
      return in->inter.add_param(in->effect_ref, 5, &def);
    } else if (cmd == PF_Cmd_UPDATE_PARAMS_UI) {
      const auto* utils = static_cast<const PF_ParamUtilsSuite1*>(
          Acquire(in, kPFParamUtilsSuite, kPFParamUtilsSuiteVersion2));
      PF_ParamDef copy = *params[1];
      in->utils->ansi.strcpy(copy.name, params[1]->u.bd.value ? "Scale" : "X Scale");
      copy.ui_flags |= PF_PUI_DISABLED;
      const PF_Err err = utils->PF_UpdateParamUI(in->effect_ref, 1, &copy);
      in->pica_basicP->ReleaseSuite(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion2);
      return err;
    }
    return PF_Err_NONE;
  };
  host.globalSetup();
  ASSERT_NE(host.globalData(), nullptr);
  EXPECT_EQ(host.handles().size(host.globalData()), 4u);

  const CommandResult setup = host.paramsSetup();
  EXPECT_EQ(setup.err, PF_Err_BAD_CALLBACK_PARAM) << "only appending is supported";
  EXPECT_EQ(testhost::RulesOf(setup.violations), Rules{HostRule::ParamNotAppended});
  ASSERT_EQ(host.paramCount(), 2);
  EXPECT_EQ(host.param(0).param_type, PF_Param_LAYER);
  EXPECT_EQ(host.declaredNumParams(), 2);
  EXPECT_THROW(host.setPopup(1, 2), std::invalid_argument);
  host.setCheckbox(1, true);

  EXPECT_TRUE(host.updateParamsUI().clean());
  EXPECT_STREQ(host.param(1).name, "Scale");
  EXPECT_EQ(host.param(1).ui_flags, PF_PUI_DISABLED);
  ASSERT_EQ(host.uiUpdates().size(), 1u);
  EXPECT_EQ(host.uiUpdates()[0].def.u.bd.value, 1);

  const CommandResult down = host.globalSetdown();
  EXPECT_TRUE(down.clean()) << down.describe();
  EXPECT_EQ(down.liveHandles, 0);
  EXPECT_EQ(host.globalData(), nullptr);
  EXPECT_EQ(host.log().count("add_param"), 2);
}

TEST_F(HostTest, ReportsTextThatDoesNotFitAndComparesOutData) {
  gScript = [](PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, void*) {
    if (cmd == PF_Cmd_ABOUT) in->utils->ansi.sprintf(out->return_msg, "%300s", "long");
    return PF_Err_NONE;
  };
  host.outDataPreset().start_sampL = 77;
  const CommandResult about = host.about();
  EXPECT_EQ(testhost::RulesOf(about.violations), Rules{HostRule::ReturnMsgOverflow});
  EXPECT_EQ(std::strlen(about.after.return_msg), sizeof about.after.return_msg - 1);
  EXPECT_EQ(about.after.start_sampL, 77) << "the text stops inside return_msg";
  EXPECT_FALSE(about.outDataUntouched());
  EXPECT_TRUE(host.send(2).outDataUntouched());
  EXPECT_EQ(host.log().named("PF_SPRINTF").back().args[0], "%300s");
}

TEST_F(HostTest, EventConversionsUndoTheViewAndTheLayerTransformAndTheDragCarriesItsState) {
  std::vector<double> seen;
  gScript = [&](PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef**, void* extra) {
    auto* e = static_cast<PF_EventExtra*>(extra);
    seen.push_back((*e->contextH)->w_type);
    PF_FixedPoint p{e->u.do_click.screen_point.h * 65536, e->u.do_click.screen_point.v * 65536};
    if (PF_Err err = e->cbs.frame_to_source(e->cbs.refcon, e->contextH, &p)) return err;
    if (PF_Err err = e->cbs.comp_to_layer(e->cbs.refcon, e->contextH, 0, 30, &p)) return err;
    seen.push_back(p.x / 65536.0);
    seen.push_back(static_cast<double>(e->u.do_click.continue_refcon[0]));
    e->u.do_click.continue_refcon[0] += 1;
    e->u.do_click.send_drag = 1;
    return PF_Err_NONE;
  };
  Panel panel(PanelKind::Layer, 100, 100);
  panel.setTransform({{3, 0}, {0, 0}, {100, 100}, 0});
  panel.setView({2.0, {-10, 0}});
  EXPECT_TRUE(panel.drag(host, {{30, 0}, {}, PF_Point{50, 0}, false}).clean());
  EXPECT_TRUE(panel.click(host, {50, 0}).clean());
  // Panel x 30 is source x 20 / 2 = 10, layer x 7; the drag carries the refcon the click left,
  // a new click starts again from nothing.
  EXPECT_EQ(seen, (std::vector<double>{PF_Window_LAYER, 7, 0, PF_Window_LAYER, 17, 1,
                                       PF_Window_LAYER, 17, 0}));

  host.faults().failAt("frame_to_source", 1, Fault::fail(PF_Err_OUT_OF_MEMORY));
  EXPECT_EQ(panel.click(host, {0, 0}).command.err, PF_Err_OUT_OF_MEMORY);
}

TEST_F(HostTest, ReportsMisuseOfCallbacksAndDrawingObjects) {
  gScript = [](PF_Cmd cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void* extra) {
    PF_ParamDef def{};
    int stranger = 0;
    if (cmd != PF_Cmd_EVENT) {
      const PF_ProgPtr ref =
          cmd == PF_Cmd_ABOUT ? in->effect_ref : reinterpret_cast<PF_ProgPtr>(&stranger);
      EXPECT_EQ(in->inter.add_param(ref, -1, &def), PF_Err_BAD_CALLBACK_PARAM);
      return PF_Err_NONE;
    }
    EXPECT_EQ(in->utils->fill(in->effect_ref, nullptr, nullptr, nullptr),
              PF_Err_BAD_CALLBACK_PARAM);
    auto* e = static_cast<PF_EventExtra*>(extra);
    const DrawingSuites suites(in);
    DRAWBOT_DrawRef ref = nullptr;
    DRAWBOT_SupplierRef sup = nullptr;
    DRAWBOT_SurfaceRef surf = nullptr;
    DRAWBOT_PenRef pen = nullptr;
    DRAWBOT_PathRef path = nullptr;
    const DRAWBOT_ColorRGBA red{1, 0, 0, 1};
    EXPECT_EQ(suites.ui->PF_GetDrawingReference(e->contextH, &ref), 0);
    EXPECT_EQ(suites.draw->GetSupplier(ref, &sup), 0);
    EXPECT_EQ(suites.draw->GetSurface(ref, &surf), 0);
    EXPECT_EQ(suites.supplier->NewPen(sup, &red, 1.0f, &pen), 0);
    EXPECT_EQ(suites.supplier->NewPath(sup, &path), 0);
    EXPECT_EQ(suites.surface->StrokePath(surf, pen, path), 0);
    EXPECT_EQ(suites.supplier->ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(pen)), 0);
    EXPECT_NE(suites.supplier->ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(pen)), 0);
    EXPECT_NE(suites.surface->StrokePath(surf, pen, path), 0);
    return PF_Err_NONE;
  };
  const CommandResult setup = host.paramsSetup();
  EXPECT_EQ(testhost::RulesOf(setup.violations), Rules{HostRule::NotThisEffectsReference});
  EXPECT_EQ(host.paramCount(), 1);

  const CommandResult about = host.about();
  EXPECT_EQ(testhost::RulesOf(about.violations), Rules{HostRule::CalledOutsideItsCommand});

  Panel panel(PanelKind::Composition, 32, 24);
  const CommandResult draw = panel.draw(host).command;
  EXPECT_TRUE(draw.suiteProblems.empty()) << draw.describe();
  // fill, the second release of the pen, the stroke with it, the path kept.
  EXPECT_EQ(testhost::RulesOf(draw.violations),
            (Rules{HostRule::UnsupportedFunction, HostRule::StaleDrawingReference,
                   HostRule::StaleDrawingReference, HostRule::DrawingObjectKept}))
      << draw.describe();
  EXPECT_EQ(host.log().count("unsupported"), 1);
  EXPECT_EQ(host.drawObjects().live(), 1) << "the path was never released";
}

// The contracts in include/host/ name the commands each call belongs to; a call made in another
// is reported and refused.
TEST_F(HostTest, ReportsEachCallMadeOutsideTheCommandsItsContractAllows) {
  Panel panel(PanelKind::Layer, 8, 8);
  const PF_EventExtra event = panel.newEvent(PF_Event_DRAW);
  using Call = std::function<PF_Err(PF_InData*)>;
  // Calls a function of a suite acquired for the call alone.
  auto throughSuite = [](const char* name, int version, std::function<PF_Err(const void*)> call) {
    return [=](PF_InData* in) {
      const PF_Err err = call(Acquire(in, name, version));
      in->pica_basicP->ReleaseSuite(name, version);
      return err;
    };
  };
  const struct {
    const char* call;
    const char* command;
    Call make;
  } cases[] = {
      {"register_ui", "PF_Cmd_PARAMS_SETUP",
       [](PF_InData* in) {
         PF_CustomUIInfo ui{};
         return in->inter.register_ui(in->effect_ref, &ui);
       }},
      {"PF_COPY", "PF_Cmd_SMART_RENDER",
       [](PF_InData* in) { return in->utils->copy(in->effect_ref, nullptr, nullptr, nullptr,
                                                  nullptr); }},
      {"AEGP_RegisterWithAEGP", "PF_Cmd_GLOBAL_SETUP",
       throughSuite(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion7,
                    [](const void* suite) {
                      AEGP_PluginID id = 0;
                      return static_cast<const AEGP_UtilitySuite3*>(suite)->AEGP_RegisterWithAEGP(
                          nullptr, "name", &id);
                    })},
      {"PF_UpdateParamUI", "PF_Cmd_UPDATE_PARAMS_UI",
       [&](PF_InData* in) {
         return throughSuite(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion2,
                             [in](const void* suite) {
                               PF_ParamDef def{};
                               return static_cast<const PF_ParamUtilsSuite1*>(suite)
                                   ->PF_UpdateParamUI(in->effect_ref, 0, &def);
                             })(in);
       }},
      {"PF_GetDrawingReference", "PF_Cmd_EVENT",
       throughSuite(kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1,
                    [&](const void* suite) {
                      DRAWBOT_DrawRef ref = nullptr;
                      return static_cast<const PF_EffectCustomUISuite1*>(suite)
                          ->PF_GetDrawingReference(event.contextH, &ref);
                    })},
      {"GetSupplier", "PF_Cmd_EVENT",
       throughSuite(kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1,
                    [](const void* suite) {
                      DRAWBOT_SupplierRef supplier = nullptr;
                      return static_cast<const DRAWBOT_DrawbotSuite1*>(suite)->GetSupplier(
                          nullptr, &supplier);
                    })},
      {"source_to_frame", "PF_Cmd_EVENT",
       [&](PF_InData*) {
         PF_FixedPoint point{};
         return event.cbs.source_to_frame(event.cbs.refcon, event.contextH, &point);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call);
    PF_Err err = PF_Err_NONE;
    gScript = [&](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void*) {
      err = c.make(in);
      return PF_Err_NONE;
    };
    const CommandResult about = host.about();
    EXPECT_EQ(err, PF_Err_BAD_CALLBACK_PARAM);
    ASSERT_EQ(testhost::RulesOf(about.violations), Rules{HostRule::CalledOutsideItsCommand})
        << about.describe();
    // The report names the command the call belongs to.
    EXPECT_NE(about.violations[0].message.find(c.command), std::string::npos)
        << about.violations[0].message;
    EXPECT_TRUE(about.suiteProblems.empty()) << about.describe();
  }
}

// The drawing calls belong to a draw event, as the host sent it: in another event the drawing
// reference and the conversions are served, what would draw with them is refused, whatever the
// effect writes into the record's kind.
TEST_F(HostTest, DrawsOnlyInADrawEvent) {
  struct Seen {
    PF_Err reference = -1, supplier = -1, path = -1, conversion = -1;
  } seen;
  PF_EventType writeKind = -1;
  gScript = [&](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void* extra) {
    auto* e = static_cast<PF_EventExtra*>(extra);
    if (writeKind >= 0) e->e_type = writeKind;
    const DrawingSuites suites(in);
    DRAWBOT_DrawRef ref = nullptr;
    DRAWBOT_SupplierRef sup = nullptr;
    DRAWBOT_PathRef path = nullptr;
    seen.reference = suites.ui->PF_GetDrawingReference(e->contextH, &ref);
    seen.supplier = suites.draw->GetSupplier(ref, &sup);
    seen.path = suites.supplier->NewPath(sup, &path);
    if (path) suites.supplier->ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(path));
    PF_FixedPoint point{};
    seen.conversion = e->cbs.source_to_frame(e->cbs.refcon, e->contextH, &point);
    return PF_Err_NONE;
  };
  Panel panel(PanelKind::Layer, 8, 8);
  const struct {
    const char* what;
    PF_EventType sent;
    PF_EventType written;
    bool draws;
  } cases[] = {
      {"a draw", PF_Event_DRAW, -1, true},
      {"a click", PF_Event_DO_CLICK, -1, false},
      {"a drag", PF_Event_DRAG, -1, false},
      {"a click the effect calls a draw", PF_Event_DO_CLICK, PF_Event_DRAW, false},
      {"a draw the effect calls a click", PF_Event_DRAW, PF_Event_DO_CLICK, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    writeKind = c.written;
    const CommandResult r = panel.send(host, panel.newEvent(c.sent)).command;
    EXPECT_EQ(seen.reference, PF_Err_NONE);
    EXPECT_EQ(seen.conversion, PF_Err_NONE);
    if (c.draws) {
      EXPECT_EQ(seen.supplier, PF_Err_NONE);
      EXPECT_EQ(seen.path, PF_Err_NONE);
      EXPECT_TRUE(r.clean()) << r.describe();
    } else {
      EXPECT_EQ(seen.supplier, PF_Err_BAD_CALLBACK_PARAM);
      EXPECT_EQ(seen.path, PF_Err_BAD_CALLBACK_PARAM);
      EXPECT_EQ(testhost::RulesOf(r.violations),
                (Rules{HostRule::DrawingOutsideADrawEvent, HostRule::DrawingOutsideADrawEvent}))
          << r.describe();
    }
  }
}

// What a command gets belongs to it unless the contract hands it over: handles are disposed or
// become the global data, which a successful setdown disposes; drawing references end with their
// event and are never released.
TEST_F(HostTest, ReportsWhatACommandKeepsBeyondItsEnd) {
  gScript = [](PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, void*) {
    if (cmd == PF_Cmd_GLOBAL_SETDOWN) return PF_Err_NONE;  // forgets to dispose the global data
    PF_Handle kept = in->utils->host_new_handle(4);
    if (cmd == PF_Cmd_GLOBAL_SETUP) out->global_data = in->utils->host_new_handle(4);
    if (cmd == PF_Cmd_ABOUT) in->utils->host_dispose_handle(kept);
    return PF_Err_NONE;
  };
  EXPECT_TRUE(host.about().clean()) << "a handle disposed in its command";
  const CommandResult setup = host.globalSetup();
  EXPECT_EQ(testhost::RulesOf(setup.violations), Rules{HostRule::HandleKeptBeyondCommand})
      << setup.describe();
  const CommandResult down = host.globalSetdown();
  EXPECT_EQ(testhost::RulesOf(down.violations), Rules{HostRule::GlobalDataNotDisposed})
      << down.describe();

  DRAWBOT_SurfaceRef earlier = nullptr;
  gScript = [&earlier](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, void* extra) {
    auto* e = static_cast<PF_EventExtra*>(extra);
    const DrawingSuites suites(in);
    const DRAWBOT_ColorRGBA red{1, 0, 0, 1};
    const DRAWBOT_RectF32 rect{0, 0, 2, 2};
    if (earlier) {
      EXPECT_NE(suites.surface->PaintRect(earlier, &red, &rect), 0)
          << "a surface of an earlier event";
    } else {
      DRAWBOT_DrawRef ref = nullptr;
      suites.ui->PF_GetDrawingReference(e->contextH, &ref);
      suites.draw->GetSurface(ref, &earlier);
      EXPECT_EQ(suites.surface->PaintRect(earlier, &red, &rect), 0);
      EXPECT_NE(suites.supplier->ReleaseObject(reinterpret_cast<DRAWBOT_ObjectRef>(earlier)), 0);
    }
    return PF_Err_NONE;
  };
  Panel panel(PanelKind::Layer, 8, 8);
  const CommandResult first = panel.draw(host).command;
  EXPECT_EQ(testhost::RulesOf(first.violations), Rules{HostRule::ReleaseOfHostDrawingObject})
      << first.describe();
  const CommandResult second = panel.draw(host).command;
  EXPECT_EQ(testhost::RulesOf(second.violations), Rules{HostRule::StaleDrawingReference})
      << second.describe();
}

}  // namespace

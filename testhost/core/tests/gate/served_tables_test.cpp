// The tables the host hands the plug-in, its own and those provided from outside: each function
// of them passes the gate under the contract of the slot it sits in. The host fills its tables as
// aggregates in declaration order, where a slot left out is a compiler warning; these cases catch
// what the compiler cannot, two functions of the same type in each other's slots.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "testhost/core/Host.h"
#include "testhost/core/HostRule.h"

namespace {

using testhost::CommandResult;
using testhost::Host;
using testhost::HostRule;

using Script = std::function<PF_Err(PF_InData*)>;
Script gScript;

PF_Err ScriptedEntry(PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef*[], PF_LayerDef*, void*) {
  return gScript ? gScript(in) : PF_Err_NONE;
}

class ServedTablesTest : public ::testing::Test {
 protected:
  void TearDown() override { gScript = nullptr; }
  // The names the calls of one command are recorded under, in order.
  std::vector<std::string> namesOf(const Script& script) {
    gScript = script;
    const CommandResult r = host.about();
    std::vector<std::string> names;
    for (const testhost::Call& c : host.log().ofCommand(r.serial)) names.push_back(c.name);
    return names;
  }
  Host host{&ScriptedEntry};
};

template <typename Suite>
const Suite* Acquired(PF_InData* in, const char* name, int version) {
  const void* suite = nullptr;
  in->pica_basicP->AcquireSuite(name, version, &suite);
  return static_cast<const Suite*>(suite);
}

// Calls every function of an ANSI table once, in declaration order.
template <typename Table>
void CallEveryAnsiFunction(const Table& t) {
  for (auto f : {t.atan, t.ceil, t.cos, t.exp, t.fabs, t.floor, t.log, t.log10, t.sin, t.sqrt,
                 t.tan}) {
    f(0.5);
  }
  t.atan2(1, 2);
  t.fmod(3, 2);
  t.hypot(3, 4);
  t.pow(2, 3);
  A_char buffer[16];
  t.sprintf(buffer, "%d", 1);
  t.strcpy(buffer, "x");
  t.asin(0.5);
  t.acos(0.5);
}

const std::vector<std::string> kAnsiNames = {
    "atan",  "ceil", "cos",   "exp",   "fabs",       "floor",     "log",  "log10",
    "sin",   "sqrt", "tan",   "atan2", "fmod",       "hypot",     "pow",  "PF_SPRINTF",
    "PF_STRCPY", "asin", "acos"};

TEST_F(ServedTablesTest, EachAnsiFunctionIsRecordedUnderItsOwnName) {
  EXPECT_EQ(namesOf([](PF_InData* in) {
              CallEveryAnsiFunction(in->utils->ansi);
              return PF_Err_NONE;
            }),
            kAnsiNames);
  std::vector<std::string> expected = {"AcquireSuite"};
  expected.insert(expected.end(), kAnsiNames.begin(), kAnsiNames.end());
  expected.push_back("ReleaseSuite");
  EXPECT_EQ(namesOf([](PF_InData* in) {
              const auto* ansi =
                  Acquired<PF_ANSICallbacksSuite1>(in, kPFANSISuite, kPFANSISuiteVersion1);
              if (!ansi) return PF_Err_BAD_CALLBACK_PARAM;
              CallEveryAnsiFunction(*ansi);
              return in->pica_basicP->ReleaseSuite(kPFANSISuite, kPFANSISuiteVersion1);
            }),
            expected);
}

TEST_F(ServedTablesTest, EachFunctionOfATypeSharedWithAnotherIsInItsOwnSlot) {
  EXPECT_EQ(namesOf([](PF_InData* in) {
              for (PF_Handle h : {in->utils->host_new_handle(4), in->utils->host_new_handle(4)}) {
                in->utils->host_lock_handle(h);
                in->utils->host_unlock_handle(h);
                in->utils->host_dispose_handle(h);
              }
              return PF_Err_NONE;
            }),
            (std::vector<std::string>{"host_new_handle", "host_new_handle", "host_lock_handle",
                                      "host_unlock_handle", "host_dispose_handle",
                                      "host_lock_handle", "host_unlock_handle",
                                      "host_dispose_handle"}));
  EXPECT_EQ(namesOf([](PF_InData* in) {
              const auto* handles =
                  Acquired<PF_HandleSuite1>(in, kPFHandleSuite, kPFHandleSuiteVersion2);
              const auto* path =
                  Acquired<DRAWBOT_PathSuite1>(in, kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1);
              if (!handles || !path) return PF_Err_BAD_CALLBACK_PARAM;
              PF_Handle h = handles->host_new_handle(4);
              handles->host_lock_handle(h);
              handles->host_unlock_handle(h);
              handles->host_dispose_handle(h);
              path->MoveTo(nullptr, 0, 0);  // refused outside an event, but recorded
              path->LineTo(nullptr, 0, 0);
              in->pica_basicP->ReleaseSuite(kPFHandleSuite, kPFHandleSuiteVersion2);
              return in->pica_basicP->ReleaseSuite(kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1);
            }),
            (std::vector<std::string>{"AcquireSuite", "AcquireSuite", "host_new_handle",
                                      "host_lock_handle", "host_unlock_handle",
                                      "host_dispose_handle", "MoveTo", "LineTo", "ReleaseSuite",
                                      "ReleaseSuite"}));
}

// --- A table provided from outside.

int gAnswered = 0;
double Answer(double) {
  ++gAnswered;
  return 42;
}
double AnswerTwo(double, double) {
  ++gAnswered;
  return 43;
}
A_char* CopyNothing(A_char* dst, const A_char*) {
  ++gAnswered;
  return dst;
}
int PrintNothing(A_char*, const A_char*, ...) { return 0; }

// Every slot but sprintf holds a function of the test's (no slot of the host's own).
PF_ANSICallbacksSuite1 AnswersEverywhere() {
  return {&Answer, &AnswerTwo, &Answer, &Answer, &Answer,
          &Answer, &Answer,    &AnswerTwo, &AnswerTwo, &Answer,
          &Answer, &AnswerTwo, &Answer, &Answer, &Answer,
          testhost::HostAnsiSuite().sprintf, &CopyNothing, &Answer, &Answer};
}

TEST_F(ServedTablesTest, AProvidedTableIsServedBehindTheGate) {
  host.provideSuite(AnswersEverywhere());
  std::vector<std::string> expected = {"AcquireSuite"};
  expected.insert(expected.end(), kAnsiNames.begin(), kAnsiNames.end());
  expected.push_back("fabs");
  expected.push_back("ReleaseSuite");
  gAnswered = 0;
  double answer = 0;
  EXPECT_EQ(namesOf([&answer](PF_InData* in) {
              const auto* ansi =
                  Acquired<PF_ANSICallbacksSuite1>(in, kPFANSISuite, kPFANSISuiteVersion1);
              if (!ansi) return PF_Err_BAD_CALLBACK_PARAM;
              CallEveryAnsiFunction(*ansi);
              answer = ansi->fabs(-1);
              return in->pica_basicP->ReleaseSuite(kPFANSISuite, kPFANSISuiteVersion1);
            }),
            expected);
  EXPECT_EQ(answer, 42) << "the test's answer";
  EXPECT_EQ(gAnswered, 19) << "each function but sprintf, and fabs once more";
  // The utility callbacks' ANSI table stays the host's own.
  EXPECT_EQ(namesOf([](PF_InData* in) { return in->utils->ansi.fabs(-1) == 1 ? 0 : 1; }),
            std::vector<std::string>{"fabs"});
}

TEST_F(ServedTablesTest, AFaultPlannedOnAProvidedFunctionStrikesIt) {
  host.provideSuite(AnswersEverywhere());
  host.faults().failAt("fabs", 1, testhost::Fault::throwErrorCode(PF_Err_OUT_OF_MEMORY));
  gAnswered = 0;
  PF_Err caught = PF_Err_NONE;
  gScript = [&caught](PF_InData* in) {
    const auto* ansi = Acquired<PF_ANSICallbacksSuite1>(in, kPFANSISuite, kPFANSISuiteVersion1);
    if (!ansi) return PF_Err_BAD_CALLBACK_PARAM;
    try {
      ansi->fabs(1);
    } catch (PF_Err code) {
      caught = code;
    }
    ansi->fabs(1);
    return in->pica_basicP->ReleaseSuite(kPFANSISuite, kPFANSISuiteVersion1);
  };
  const CommandResult r = host.about();
  EXPECT_TRUE(r.clean()) << r.describe();
  EXPECT_EQ(caught, PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(host.faults().hits(), 1);
  EXPECT_EQ(gAnswered, 1) << "only the call the fault spared reached the test's function";
  const auto fabs = host.log().named("fabs");
  ASSERT_EQ(fabs.size(), 2u);
  EXPECT_TRUE(fabs[0].faulted);
  EXPECT_FALSE(fabs[1].faulted);
}

// An empty slot is a function the host does not provide, never a null; the host's own functions
// stay as they are; a sprintf of another's cannot be passed on.
TEST_F(ServedTablesTest, AProvidedTableKeepsTheHostsOwnAndStubsItsEmptySlots) {
  const PF_ANSICallbacksSuite1& own = testhost::HostAnsiSuite();
  host.provideSuite({own.atan, own.atan2, own.ceil, own.cos, own.exp,
                     nullptr,  // fabs
                     own.floor, own.fmod, own.hypot, own.log, own.log10, own.pow, own.sin, own.sqrt,
                     own.tan, own.sprintf, own.strcpy, own.asin, own.acos});
  gScript = [](PF_InData* in) {
    const auto* ansi = Acquired<PF_ANSICallbacksSuite1>(in, kPFANSISuite, kPFANSISuiteVersion1);
    if (!ansi) return PF_Err_BAD_CALLBACK_PARAM;
    EXPECT_NE(ansi->fabs, nullptr);
    ansi->fabs(1);
    EXPECT_EQ(ansi->sqrt(4), 2);
    return in->pica_basicP->ReleaseSuite(kPFANSISuite, kPFANSISuiteVersion1);
  };
  const CommandResult r = host.about();
  EXPECT_EQ(testhost::RulesOf(r.violations), std::vector<HostRule>{HostRule::UnsupportedFunction})
      << r.describe();
  EXPECT_EQ(host.log().count("sqrt"), 1);

  PF_ANSICallbacksSuite1 foreignSprintf = AnswersEverywhere();
  foreignSprintf.sprintf = &PrintNothing;
  EXPECT_THROW(host.provideSuite(foreignSprintf), std::invalid_argument);
}

}  // namespace

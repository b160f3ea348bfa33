#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "ZelfinControl.h"

namespace {

using namespace zelfin;

// What the last routed handler was given.
struct Seen {
  std::string handler;
  PF_ParamDef** params = nullptr;
  PF_LayerDef* output = nullptr;
  PF_EventExtra* extra = nullptr;
} seen;

PF_Err (*thrower)() = nullptr;

PF_Err Setup(PF_InData*, PF_OutData*, const zelfin::EffectDescription& effect) {
  seen.handler = std::string("setup ") + effect.name;
  return 11;
}
PF_Err Setdown(PF_InData*) {
  seen.handler = "setdown";
  return 12;
}
PF_Err Params(PF_InData*, PF_OutData*) {
  seen.handler = "params";
  return thrower ? thrower() : 13;
}
PF_Err ParamsUI(PF_InData*, PF_OutData*, PF_ParamDef* params[]) {
  seen.handler = "params ui";
  seen.params = params;
  return 14;
}
PF_Err Event(PF_InData*, PF_OutData*, PF_ParamDef* params[], PF_LayerDef* output,
             PF_EventExtra* extra) {
  seen.handler = "event";
  seen.params = params;
  seen.output = output;
  seen.extra = extra;
  return 15;
}

constexpr ZelfinCommandTable kFull = {
    zelfin::kCameraControl, Setup, Setdown, Params, ParamsUI, Event};
constexpr ZelfinCommandTable kEmpty = {
    zelfin::kBezierControl, nullptr, nullptr, nullptr, nullptr, nullptr};

class DispatchGuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    seen = Seen{};
    thrower = nullptr;
  }
  PF_Err Dispatch(const ZelfinCommandTable& table, PF_Cmd cmd) {
    return DispatchCommand(table, cmd, &in_data, &out_data, params, &output, &event);
  }

  PF_InData in_data{};
  PF_OutData out_data{};
  PF_ParamDef* params[1] = {};
  PF_LayerDef output{};
  PF_EventExtra event{};
};

TEST_F(DispatchGuardTest, EachCommandReachesItsHandlerWithItsArguments) {
  struct Case {
    PF_Cmd cmd;
    const char* handler;
    PF_Err result;
  };
  const Case cases[] = {
      {PF_Cmd_GLOBAL_SETUP, "setup Camera Control", 11},
      {PF_Cmd_GLOBAL_SETDOWN, "setdown", 12},
      {PF_Cmd_PARAMS_SETUP, "params", 13},
      {PF_Cmd_UPDATE_PARAMS_UI, "params ui", 14},
      {PF_Cmd_EVENT, "event", 15},
  };
  for (const Case& c : cases) {
    seen = Seen{};
    EXPECT_EQ(Dispatch(kFull, c.cmd), c.result) << c.cmd;
    EXPECT_EQ(seen.handler, c.handler) << c.cmd;
  }
  EXPECT_EQ(seen.params, params);
  EXPECT_EQ(seen.output, &output);
  EXPECT_EQ(seen.extra, &event);
}

TEST_F(DispatchGuardTest, CommandsWithoutHandlerSucceedAndTouchNothing) {
  const PF_OutData before = out_data;
  for (PF_Cmd cmd : {-1, 2, 5, 13, 16, 22, 25, 1000, PF_Cmd_GLOBAL_SETUP, PF_Cmd_GLOBAL_SETDOWN,
                     PF_Cmd_PARAMS_SETUP, PF_Cmd_UPDATE_PARAMS_UI, PF_Cmd_EVENT}) {
    EXPECT_EQ(Dispatch(kEmpty, cmd), PF_Err_NONE) << cmd;
  }
  for (PF_Cmd cmd : {-1, 2, 5, 13, 16, 22, 25, 1000}) {
    EXPECT_EQ(Dispatch(kFull, cmd), PF_Err_NONE) << cmd;
  }
  EXPECT_EQ(seen.handler, "");
  EXPECT_EQ(std::memcmp(&before, &out_data, sizeof before), 0);
}

// Each command with each record it reads left out: an error, and no handler runs. A command
// without a handler still succeeds.
TEST_F(DispatchGuardTest, MissingRecordsAreRefusedBeforeAnyHandlerRuns) {
  struct Case {
    PF_Cmd cmd;
    bool in, out, params, extra;  // the records the command reads
  };
  const Case cases[] = {
      {PF_Cmd_ABOUT, true, true, false, false},
      {PF_Cmd_GLOBAL_SETUP, true, true, false, false},
      {PF_Cmd_GLOBAL_SETDOWN, true, false, false, false},
      {PF_Cmd_PARAMS_SETUP, true, true, false, false},
      {PF_Cmd_UPDATE_PARAMS_UI, true, true, true, false},
      {PF_Cmd_EVENT, true, true, true, true},
      {PF_Cmd_SMART_PRE_RENDER, true, false, false, true},
      {PF_Cmd_SMART_RENDER, true, false, false, true},
  };
  for (const Case& c : cases) {
    for (int left = 0; left < 4; ++left) {
      const bool read[] = {c.in, c.out, c.params, c.extra};
      if (!read[left]) continue;
      SCOPED_TRACE("command " + std::to_string(c.cmd) + " without record " + std::to_string(left));
      seen = Seen{};
      auto dispatch = [&](const ZelfinCommandTable& table) {
        return DispatchCommand(table, c.cmd, left == 0 ? nullptr : &in_data,
                               left == 1 ? nullptr : &out_data, left == 2 ? nullptr : params,
                               &output, left == 3 ? nullptr : &event);
      };
      EXPECT_EQ(dispatch(kFull), PF_Err_BAD_CALLBACK_PARAM);
      EXPECT_EQ(seen.handler, "");
      const bool shared = c.cmd == PF_Cmd_ABOUT || c.cmd == PF_Cmd_SMART_PRE_RENDER ||
                          c.cmd == PF_Cmd_SMART_RENDER;
      if (!shared) {
        EXPECT_EQ(dispatch(kEmpty), PF_Err_NONE);
      }
    }
  }
}

TEST_F(DispatchGuardTest, NoExceptionLeavesTheEntryPoint) {
  struct Case {
    const char* what;
    PF_Err (*handler)();
    PF_Err result;
  };
  const Case cases[] = {
      {"error code", []() -> PF_Err { throw PF_Err{PF_Err_BAD_CALLBACK_PARAM}; },
       PF_Err_BAD_CALLBACK_PARAM},
      {"other error code", []() -> PF_Err { throw PF_Err{-7}; }, -7},
      {"out of memory", []() -> PF_Err { throw std::bad_alloc(); }, PF_Err_OUT_OF_MEMORY},
      {"standard exception", []() -> PF_Err { throw std::runtime_error("drawing failed"); },
       PF_Err_INTERNAL_STRUCT_DAMAGED},
      {"foreign type", []() -> PF_Err { throw 3.5; }, PF_Err_INTERNAL_STRUCT_DAMAGED},
      {"unsigned code", []() -> PF_Err { throw 516u; }, PF_Err_INTERNAL_STRUCT_DAMAGED},
  };
  for (const Case& c : cases) {
    thrower = c.handler;
    EXPECT_EQ(Dispatch(kFull, PF_Cmd_PARAMS_SETUP), c.result) << c.what;
  }
}

}  // namespace

// PF_Cmd_UPDATE_PARAMS_UI of the four effects with a parameter panel: which parameters are
// renamed or greyed out for every value of the popup or checkbox that governs them, what exactly
// is sent back to the host, and what a refused update or a missing suite leaves behind.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "testhost/testhost.h"

namespace {

using testhost::CommandResult;
using testhost::Fault;
using testhost::Host;

constexpr std::size_t kNameOffset = 16;
constexpr std::size_t kNameSize = 32;
constexpr std::size_t kUIFlagsOffset = 4;
const char* const kParamUtils = "PF Param Utils Suite";

std::string NameOf(const PF_ParamDef& def) {
  return std::string(def.name, strnlen(def.name, sizeof def.name));
}

bool Disabled(const PF_ParamDef& def) { return (def.ui_flags & PF_PUI_DISABLED) != 0; }

std::vector<PF_ParamDef> Snapshot(Host& host) {
  std::vector<PF_ParamDef> defs;
  for (int i = 0; i < host.paramCount(); ++i) defs.push_back(host.param(i));
  return defs;
}

// The record's bytes with the name and the disabled bit blanked out.
std::vector<unsigned char> WithoutNameAndDisabledBit(const PF_ParamDef& def) {
  PF_ParamDef copy = def;
  copy.ui_flags &= ~PF_PUI_DISABLED;
  const auto* bytes = reinterpret_cast<const unsigned char*>(&copy);
  std::vector<unsigned char> kept(bytes, bytes + sizeof copy);
  std::fill(kept.begin() + kNameOffset, kept.begin() + kNameOffset + kNameSize, 0);
  return kept;
}

// The record's bytes with the name and all of ui_flags blanked out: what the host takes over
// from an update, so whatever else differs was written by the plug-in into its records.
std::vector<unsigned char> ValueBytes(const PF_ParamDef& def) {
  std::vector<unsigned char> kept = WithoutNameAndDisabledBit(def);
  std::fill(kept.begin() + kUIFlagsOffset, kept.begin() + kUIFlagsOffset + sizeof(A_long), 0);
  return kept;
}

// One expected update: the index, the name sent (null: as the host had it) and the disabled
// state sent (-1: the host's ui_flags unchanged).
struct Sent {
  int index;
  const char* name;
  int disabled;
};

// One effect set up on its own host. The host's definitions carry bytes of the host's own (other
// ui_flags bits, a UI size, the record's unused words) that the plug-in must send back as they
// are.
class ParamsUITest : public ::testing::Test {
 protected:
  static constexpr PF_ParamUIFlags kHostBits = 0x00104000;

  std::unique_ptr<Host> Apply(const char* entryPoint) {
    auto host = std::make_unique<Host>(plugin_, entryPoint);
    host->globalSetup();
    EXPECT_EQ(host->paramsSetup().err, PF_Err_NONE);
    for (int i = 1; i < host->paramCount(); ++i) {
      PF_ParamDef& def = host->param(i);
      def.ui_flags |= kHostBits;
      def.ui_width = 120;
      def.ui_height = 18;
      def.unused = 0x5A5A5A5A;
      std::memset(reinterpret_cast<char*>(&def) + sizeof def - 8, 0xA5, 8);  // the union's tail
    }
    host->outDataPreset().out_flags = PF_OutFlag_DEEP_COLOR_AWARE;  // must survive
    return host;
  }

  // Sends the command and checks everything that holds for any successful update: the sent
  // copies (in this order) differ from the host's definitions only as `expected` says, values
  // and every other byte are untouched, the refresh is asked for.
  void ExpectUpdate(Host& host, const std::vector<Sent>& expected) {
    const std::vector<PF_ParamDef> before = Snapshot(host);
    const std::size_t first = host.uiUpdates().size();
    const CommandResult r = host.updateParamsUI();
    EXPECT_EQ(r.err, PF_Err_NONE);
    EXPECT_TRUE(r.clean()) << r.describe();
    EXPECT_EQ(r.after.out_flags, PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_REFRESH_UI);

    ASSERT_EQ(host.uiUpdates().size() - first, expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const testhost::ParamUIUpdate& update = host.uiUpdates()[first + i];
      const Sent& want = expected[i];
      SCOPED_TRACE("update " + std::to_string(i + 1) + " of index " + std::to_string(want.index));
      ASSERT_EQ(update.index, want.index);
      const PF_ParamDef& had = before[static_cast<std::size_t>(want.index)];
      EXPECT_EQ(WithoutNameAndDisabledBit(update.def), WithoutNameAndDisabledBit(had));
      EXPECT_EQ(NameOf(update.def), want.name ? want.name : NameOf(had));
      if (want.disabled < 0) {
        EXPECT_EQ(update.def.ui_flags, had.ui_flags);
      } else {
        EXPECT_EQ(Disabled(update.def), want.disabled == 1);
      }
    }
    for (int i = 1; i < host.paramCount(); ++i) {
      EXPECT_EQ(ValueBytes(host.param(i)), ValueBytes(before[static_cast<std::size_t>(i)]))
          << "parameter " << i << " changed beyond its name and ui_flags";
    }
  }

  const testhost::PluginModule plugin_{testhost::DefaultPluginPath()};
};

// --- The transform effects: "Uniform Scaling" (index 3) governs the X scale's name (4) and the
// other scales' state (5, and 6 in 3D). Any non-zero checkbox value counts as on.

struct TransformEffect {
  const char* entryPoint;
  std::vector<int> otherScales;
};

const TransformEffect kTransforms[] = {
    {"EntryPointFunc_2d", {5}},
    {"EntryPointFunc_3d", {5, 6}},
};

TEST_F(ParamsUITest, UniformScalingRenamesXScaleAndGreysOutTheOthers) {
  for (const TransformEffect& effect : kTransforms) {
    auto host = Apply(effect.entryPoint);
    for (A_long value : {0, 1, 0, 2, -1, 0}) {
      SCOPED_TRACE(std::string(effect.entryPoint) + " with Uniform Scaling " +
                   std::to_string(value));
      host->param(3).u.bd.value = value;
      const bool on = value != 0;
      std::vector<Sent> expected = {{4, on ? "Scale" : "X Scale", -1}};
      for (int index : effect.otherScales) expected.push_back({index, nullptr, on ? 1 : 0});
      ExpectUpdate(*host, expected);

      EXPECT_EQ(NameOf(host->param(4)), on ? "Scale" : "X Scale");
      EXPECT_FALSE(Disabled(host->param(4)));
      for (int index : effect.otherScales) EXPECT_EQ(Disabled(host->param(index)), on);
    }
  }
}

// --- Camera Control: "Camera Type" (1) greys out "Point of Interest" (3) for a one-node camera
// only; any value but 1 enables it.
TEST_F(ParamsUITest, OneNodeCameraGreysOutPointOfInterest) {
  auto host = Apply("EntryPointFunc_camera");
  for (A_long type : {1, 2, 1, 0, 3, -7, 1}) {
    SCOPED_TRACE("Camera Type " + std::to_string(type));
    host->setPopup(1, type);
    ExpectUpdate(*host, {{3, nullptr, type == 1 ? 1 : 0}});
    EXPECT_EQ(Disabled(host->param(3)), type == 1);
  }
}

// --- Light Control: "Light Type" (1) sets the state of fourteen parameters.

// E enabled, D greyed out, for Parallel, Spot, Point and Ambient.
struct LightRow {
  int index;
  const char* states;
};
const LightRow kLightTable[] = {
    {2, "EEED"},   // "Transform"
    {3, "EEDD"},   // "Point of Interest"
    {4, "EEED"},   // "Position"
    {5, "DEDD"},   // the orientations and rotations
    {6, "DEDD"},
    {7, "DEDD"},
    {8, "DEDD"},
    {9, "DEDD"},
    {10, "DEDD"},
    {15, "DEDD"},  // "Cone Angle"
    {16, "DEDD"},  // "Cone Feather"
    {17, "EEED"},  // "Falloff"
    {18, "EEED"},  // "Radius"
    {19, "EEED"},  // "Falloff Distance"
};
const int kNeverTouched[] = {1, 11, 12, 13, 14, 20};

TEST_F(ParamsUITest, LightTypeGreysOutWhatDoesNotApply) {
  auto host = Apply("EntryPointFunc_light");
  // Ambient to Spot re-enables everything: every call sends the whole state.
  for (A_long type : {1, 2, 3, 4, 2, 4, 1}) {
    SCOPED_TRACE("Light Type " + std::to_string(type));
    host->setPopup(1, type);
    std::vector<Sent> expected;
    for (const LightRow& row : kLightTable) {
      expected.push_back({row.index, nullptr, row.states[type - 1] == 'D' ? 1 : 0});
    }
    ExpectUpdate(*host, expected);
    for (const LightRow& row : kLightTable) {
      EXPECT_EQ(Disabled(host->param(row.index)), row.states[type - 1] == 'D') << row.index;
    }
    for (int index : kNeverTouched) EXPECT_FALSE(Disabled(host->param(index))) << index;
  }
}

// A light type the list does not know updates nothing, asks for no suite, and still succeeds
// with a refresh: the panel keeps the state it had.
TEST_F(ParamsUITest, UnknownLightTypeChangesNothing) {
  auto host = Apply("EntryPointFunc_light");
  host->setPopup(1, 4);
  host->updateParamsUI();
  const std::vector<PF_ParamDef> ambient = Snapshot(*host);
  for (A_long type : {0, 5, -1, 100}) {
    SCOPED_TRACE("Light Type " + std::to_string(type));
    host->setPopup(1, type);
    host->faults().refuseSuite(kParamUtils, PF_Err_BAD_CALLBACK_PARAM);
    ExpectUpdate(*host, {});
    EXPECT_EQ(host->log().count("PF_UpdateParamUI"), 14);
    for (int i = 2; i < host->paramCount(); ++i) {
      EXPECT_EQ(host->param(i).ui_flags, ambient[static_cast<std::size_t>(i)].ui_flags) << i;
    }
  }
}

// --- Failures, for every effect in a state where each update changes something.

struct FailureCase {
  const char* entryPoint;
  int governing;
  A_long value;
  std::vector<Sent> updates;  // what a full call sends, in order
};

std::vector<FailureCase> FailureCases() {
  std::vector<FailureCase> cases = {
      {"EntryPointFunc_2d", 3, 1, {{4, "Scale", -1}, {5, nullptr, 1}}},
      {"EntryPointFunc_3d", 3, 1, {{4, "Scale", -1}, {5, nullptr, 1}, {6, nullptr, 1}}},
      {"EntryPointFunc_camera", 1, 1, {{3, nullptr, 1}}},
      {"EntryPointFunc_light", 1, 4, {}},
  };
  for (const LightRow& row : kLightTable) cases.back().updates.push_back({row.index, nullptr, 1});
  return cases;
}

void SetGoverning(Host& host, const FailureCase& c) {
  if (host.param(c.governing).param_type == PF_Param_CHECKBOX) {
    host.setCheckbox(c.governing, c.value != 0);
  } else {
    host.setPopup(c.governing, c.value);
  }
}

// An update refused at call k: exactly k calls, the host's code returned, the refresh still
// asked for; the parameters updated before keep their new state, the rest their old one.
TEST_F(ParamsUITest, RefusedUpdateStopsTheRestButStillRefreshes) {
  constexpr PF_Err kRefusal = 0x0BAD;
  for (const FailureCase& c : FailureCases()) {
    for (std::size_t k = 1; k <= c.updates.size(); ++k) {
      SCOPED_TRACE(std::string(c.entryPoint) + " refusing update " + std::to_string(k));
      auto host = Apply(c.entryPoint);
      const std::vector<PF_ParamDef> before = Snapshot(*host);
      SetGoverning(*host, c);
      host->faults().failAt("PF_UpdateParamUI", static_cast<int>(k), Fault::fail(kRefusal));

      const CommandResult r = host->updateParamsUI();
      EXPECT_EQ(r.err, kRefusal);
      EXPECT_TRUE(r.clean()) << r.describe();
      EXPECT_EQ(host->log().count("PF_UpdateParamUI"), static_cast<int>(k));
      EXPECT_EQ(r.after.out_flags, PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_REFRESH_UI);

      for (std::size_t i = 0; i < c.updates.size(); ++i) {
        const Sent& u = c.updates[i];
        const PF_ParamDef& now = host->param(u.index);
        const PF_ParamDef& old = before[static_cast<std::size_t>(u.index)];
        const bool applied = i + 1 < k;
        EXPECT_EQ(NameOf(now), applied && u.name ? u.name : NameOf(old)) << u.index;
        EXPECT_EQ(Disabled(now), applied && u.disabled >= 0 ? u.disabled == 1 : Disabled(old))
            << u.index;
      }
    }
  }
}

// Without "PF Param Utils Suite" (refused with an error, or granted as a null table) the command
// ends with the missing-suite code before any update and without the refresh.
TEST_F(ParamsUITest, MissingSuiteEndsTheCommandWithoutRefresh) {
  for (const FailureCase& c : FailureCases()) {
    for (std::int32_t refusal : {PF_Err_OUT_OF_MEMORY, 0}) {
      SCOPED_TRACE(std::string(c.entryPoint) + " refused with " + std::to_string(refusal));
      auto host = Apply(c.entryPoint);
      SetGoverning(*host, c);
      host->faults().refuseSuite(kParamUtils, refusal);

      const CommandResult r = host->updateParamsUI();
      EXPECT_EQ(r.err, PF_Err_BAD_CALLBACK_PARAM);
      EXPECT_TRUE(r.clean()) << r.describe();
      EXPECT_EQ(r.after.out_flags, PF_OutFlag_DEEP_COLOR_AWARE);
      EXPECT_EQ(host->log().count("PF_UpdateParamUI"), 0);
      EXPECT_EQ(r.liveSuites, 0);
    }
  }
}

// The suite is acquired once for all updates of a call and given back at its end.
TEST_F(ParamsUITest, AcquiresTheSuiteOncePerCall) {
  for (const FailureCase& c : FailureCases()) {
    SCOPED_TRACE(c.entryPoint);
    auto host = Apply(c.entryPoint);
    SetGoverning(*host, c);
    const CommandResult r = host->updateParamsUI();
    EXPECT_EQ(host->ledger().acquisitions(r.serial, {kParamUtils, 2}), 1);
    EXPECT_EQ(r.liveSuites, 0);
  }
}

}  // namespace

// The Effect Controls panel of each effect as a user sees it, freshly applied and after a change,
// and the value changes the panel accepts and refuses.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "testhost/testhost.h"

namespace {

using testhost::ControlError;
using testhost::Host;

class EffectControlsTest : public ::testing::Test {
 protected:
  std::unique_ptr<Host> Apply(const char* entryPoint) {
    auto host = std::make_unique<Host>(plugin_, entryPoint);
    for (const testhost::CommandResult& r : testhost::ApplyEffect(*host)) {
      EXPECT_EQ(r.err, PF_Err_NONE) << r.describe();
      EXPECT_TRUE(r.clean()) << r.describe();
    }
    return host;
  }

  static std::string Panel(Host& host) {
    return testhost::FormatControls(testhost::DescribeControls(host));
  }

  static void Change(Host& host, const std::string& assignment) {
    const std::optional<testhost::CommandResult> r = testhost::ChangeControl(host, assignment);
    if (!r) return;
    EXPECT_EQ(r->err, PF_Err_NONE) << r->describe();
    EXPECT_TRUE(r->clean()) << r->describe();
  }

  const testhost::PluginModule plugin_{testhost::DefaultPluginPath()};
};

TEST_F(EffectControlsTest, TransformControlWithUniformScaling) {
  auto host = Apply("EntryPointFunc_2d");
  EXPECT_EQ(Panel(*host),
            "Anchor Point: 50.0, 50.0\n"
            "Position: 50.0, 50.0\n"
            "Uniform Scaling: off\n"
            "X Scale: 100.0%\n"
            "Y Scale: 100.0%\n"
            "Rotation: 0.0 deg\n"
            "Opacity: 100.0%\n");

  // "Y Scale" keeps its own value while greyed out; the plug-in copies nothing into it.
  Change(*host, "Y Scale=50");
  Change(*host, "Uniform Scaling=on");
  EXPECT_EQ(Panel(*host),
            "Anchor Point: 50.0, 50.0\n"
            "Position: 50.0, 50.0\n"
            "Uniform Scaling: on\n"
            "Scale: 100.0%\n"
            "Y Scale: 50.0% (greyed out)\n"
            "Rotation: 0.0 deg\n"
            "Opacity: 100.0%\n");

  Change(*host, "Uniform Scaling=off");
  EXPECT_NE(Panel(*host).find("X Scale: 100.0%\nY Scale: 50.0%\n"), std::string::npos);
}

// A checkbox shown by its label alone is marked: expressions find it by index, not that label.
TEST_F(EffectControlsTest, OnlyTheUniformScalingCheckboxesAreUnnamed) {
  const std::vector<std::string> uniformScaling = {"Uniform Scaling at 3"};
  const struct {
    const char* entryPoint;
    std::vector<std::string> unnamed;
  } effects[] = {{"EntryPointFunc_2d", uniformScaling}, {"EntryPointFunc_3d", uniformScaling},
                 {"EntryPointFunc_camera", {}}, {"EntryPointFunc_light", {}},
                 {"EntryPointFunc_bezier", {}}};
  for (const auto& effect : effects) {
    auto host = Apply(effect.entryPoint);
    std::vector<std::string> unnamed;
    for (const testhost::ControlRow& row : testhost::DescribeControls(*host)) {
      if (row.unnamed) unnamed.push_back(row.name + " at " + std::to_string(row.index));
    }
    EXPECT_EQ(unnamed, effect.unnamed) << effect.entryPoint;
  }
}

TEST_F(EffectControlsTest, ThreeDTransformControlWithUniformScaling) {
  auto host = Apply("EntryPointFunc_3d");
  const std::string angles =
      "X Orientation: 0.0 deg\n"
      "Y Orientation: 0.0 deg\n"
      "Z Orientation: 0.0 deg\n"
      "X Rotation: 0.0 deg\n"
      "Y Rotation: 0.0 deg\n"
      "Z Rotation: 0.0 deg\n"
      "Opacity: 100.0%\n";
  EXPECT_EQ(Panel(*host),
            "Anchor Point: 50.0, 50.0, 0.0\n"
            "Position: 50.0, 50.0, 0.0\n"
            "Uniform Scaling: off\n"
            "X Scale: 100.0%\n"
            "Y Scale: 100.0%\n"
            "Z Scale: 100.0%\n" +
                angles);

  Change(*host, "Z Scale=-50");
  Change(*host, "Uniform Scaling=on");
  EXPECT_EQ(Panel(*host),
            "Anchor Point: 50.0, 50.0, 0.0\n"
            "Position: 50.0, 50.0, 0.0\n"
            "Uniform Scaling: on\n"
            "Scale: 100.0%\n"
            "Y Scale: 100.0% (greyed out)\n"
            "Z Scale: -50.0% (greyed out)\n" +
                angles);
}

TEST_F(EffectControlsTest, CameraControlOneAndTwoNode) {
  auto host = Apply("EntryPointFunc_camera");
  const std::string rest =
      "  Position: 50.0, 50.0, -50.0\n"
      "  X Orientation: 0.0 deg\n"
      "  Y Orientation: 0.0 deg\n"
      "  Z Orientation: 0.0 deg\n"
      "  X Rotation: 0.0 deg\n"
      "  Y Rotation: 0.0 deg\n"
      "  Z Rotation: 0.0 deg\n"
      "Camera Options\n"
      "  Zoom: 1000.0\n"
      "  Depth of Field: off\n"
      "  Focus Distance: 1000.0\n"
      "  Aperture: 50.0\n"
      "  Blur Level: 100.0%\n";
  EXPECT_EQ(Panel(*host),
            "Camera Type: One-Node\n"
            "Transform\n"
            "  Point of Interest: 50.0, 50.0, 0.0 (greyed out)\n" +
                rest);

  Change(*host, "Camera Type=Two-Node");
  EXPECT_EQ(Panel(*host),
            "Camera Type: Two-Node\n"
            "Transform\n"
            "  Point of Interest: 50.0, 50.0, 0.0\n" +
                rest);

  // Depth of field enables or disables nothing.
  Change(*host, "Depth of Field=on");
  Change(*host, "Depth of Field=off");
  EXPECT_EQ(Panel(*host).find("(greyed out)"), std::string::npos);
}

TEST_F(EffectControlsTest, LightControlByLightType) {
  auto host = Apply("EntryPointFunc_light");
  EXPECT_EQ(Panel(*host),
            "Light Type: Parallel\n"
            "Transform\n"
            "  Point of Interest: 50.0, 50.0, 0.0\n"
            "  Position: 60.0, 40.0, -50.0\n"
            "  X Orientation: 0.0 deg (greyed out)\n"
            "  Y Orientation: 0.0 deg (greyed out)\n"
            "  Z Orientation: 0.0 deg (greyed out)\n"
            "  X Rotation: 0.0 deg (greyed out)\n"
            "  Y Rotation: 0.0 deg (greyed out)\n"
            "  Z Rotation: 0.0 deg (greyed out)\n"
            "Light Options\n"
            "  Intensity: 100.0%\n"
            "  Color: #FFFFFF\n"
            "  Cone Angle: 90.0 (greyed out)\n"
            "  Cone Feather: 50.0% (greyed out)\n"
            "  Falloff: None\n"
            "  Radius: 500.0\n"
            "  Falloff Distance: 500.0\n");

  Change(*host, "Light Type=Spot");
  EXPECT_EQ(Panel(*host).find("(greyed out)"), std::string::npos);
  EXPECT_NE(Panel(*host).find("Light Type: Spot\n"), std::string::npos);

  Change(*host, "Light Type=Ambient");
  EXPECT_EQ(Panel(*host),
            "Light Type: Ambient\n"
            "Transform (greyed out)\n"
            "  Point of Interest: 50.0, 50.0, 0.0 (greyed out)\n"
            "  Position: 60.0, 40.0, -50.0 (greyed out)\n"
            "  X Orientation: 0.0 deg (greyed out)\n"
            "  Y Orientation: 0.0 deg (greyed out)\n"
            "  Z Orientation: 0.0 deg (greyed out)\n"
            "  X Rotation: 0.0 deg (greyed out)\n"
            "  Y Rotation: 0.0 deg (greyed out)\n"
            "  Z Rotation: 0.0 deg (greyed out)\n"
            "Light Options\n"
            "  Intensity: 100.0%\n"
            "  Color: #FFFFFF\n"
            "  Cone Angle: 90.0 (greyed out)\n"
            "  Cone Feather: 50.0% (greyed out)\n"
            "  Falloff: None (greyed out)\n"
            "  Radius: 500.0 (greyed out)\n"
            "  Falloff Distance: 500.0 (greyed out)\n");
}

// Values the panel takes: typed values reach past a slider's range but stay within the valid
// range; every type parses its own form.
TEST_F(EffectControlsTest, AcceptsTypedValuesWithinTheValidRange) {
  struct Case {
    const char* entryPoint;
    const char* assignment;
    const char* shown;  // the row as the panel then shows it
  };
  const Case cases[] = {
      {"EntryPointFunc_2d", "X Scale=-100", "X Scale: -100.0%"},
      {"EntryPointFunc_2d", "X Scale=1000%", "X Scale: 1000.0%"},
      {"EntryPointFunc_2d", "Opacity=0", "Opacity: 0.0%"},
      {"EntryPointFunc_2d", "Rotation=-45.5 deg", "Rotation: -45.5 deg"},
      {"EntryPointFunc_2d", "Position=10,20.5", "Position: 10.0, 20.5"},
      {"EntryPointFunc_3d", "Z Scale=500", "Z Scale: 500.0%"},
      {"EntryPointFunc_3d", "Position=10, 20, 30", "Position: 10.0, 20.0, 30.0"},
      {"EntryPointFunc_camera", "Zoom=5000", "Zoom: 5000.0"},
      {"EntryPointFunc_camera", "Focus Distance=0", "Focus Distance: 0.0"},
      {"EntryPointFunc_camera", "Camera Type=2", "Camera Type: Two-Node"},
      {"EntryPointFunc_light", "Intensity=-200", "Intensity: -200.0%"},
      {"EntryPointFunc_light", "Radius=5000", "Radius: 5000.0"},
      {"EntryPointFunc_light", "Color=255,128,0", "Color: #FF8000"},
      {"EntryPointFunc_light", "Color=#0080ff", "Color: #0080FF"},
      {"EntryPointFunc_light", "Falloff=inverse square clamped", "Falloff: Inverse Square Clamped"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.entryPoint) + " " + c.assignment);
    auto host = Apply(c.entryPoint);
    ASSERT_NO_THROW(Change(*host, c.assignment));
    EXPECT_NE(Panel(*host).find(std::string(c.shown) + "\n"), std::string::npos) << Panel(*host);
  }
}

// Refused changes name the reason and leave every value as it was.
TEST_F(EffectControlsTest, RefusesWhatAUserCouldNotEnter) {
  struct Case {
    const char* entryPoint;
    const char* before;  // a change made first, or null
    const char* assignment;
    const char* reason;  // part of the message
  };
  const Case cases[] = {
      {"EntryPointFunc_2d", nullptr, "Size=3", "no parameter \"Size\""},
      {"EntryPointFunc_2d", nullptr, "Opacity 50", "expected Name=value"},
      {"EntryPointFunc_2d", nullptr, "Opacity=101", "accepts 0 to 100"},
      {"EntryPointFunc_2d", nullptr, "Opacity=half", "takes a number"},
      {"EntryPointFunc_2d", nullptr, "X Scale=20000000", "accepts -10000000 to 10000000"},
      {"EntryPointFunc_2d", nullptr, "Position=1,2,3", "takes x,y"},
      {"EntryPointFunc_2d", nullptr, "Uniform Scaling=maybe", "on or off"},
      {"EntryPointFunc_2d", "Uniform Scaling=on", "Y Scale=50", "greyed out"},
      {"EntryPointFunc_2d", "Uniform Scaling=on", "X Scale=50", "no parameter \"X Scale\""},
      {"EntryPointFunc_3d", nullptr, "Position=1,2", "takes x,y,z"},
      {"EntryPointFunc_camera", nullptr, "Zoom=0", "accepts 1 to 10000000"},
      {"EntryPointFunc_camera", nullptr, "Zoom=5000%", "takes a number"},
      {"EntryPointFunc_camera", nullptr, "Point of Interest=1,2,3", "greyed out"},
      {"EntryPointFunc_camera", nullptr, "Transform=1", "has no value"},
      {"EntryPointFunc_camera", nullptr, "Camera Type=3", "offers One-Node, Two-Node"},
      {"EntryPointFunc_light", nullptr, "Light Type=Laser",
       "offers Parallel, Spot, Point, Ambient"},
      {"EntryPointFunc_light", nullptr, "Light Type=1.5", "offers"},
      {"EntryPointFunc_light", nullptr, "Cone Angle=10", "greyed out"},
      {"EntryPointFunc_light", "Light Type=Spot", "Cone Angle=181", "accepts 0 to 180"},
      {"EntryPointFunc_light", nullptr, "Color=256,0,0", "accepts 0 to 255"},
      {"EntryPointFunc_light", nullptr, "Color=#12345", "#RRGGBB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.entryPoint) + " " + c.assignment);
    auto host = Apply(c.entryPoint);
    if (c.before) Change(*host, c.before);
    const std::string panel = Panel(*host);
    try {
      testhost::SetControl(*host, c.assignment);
      ADD_FAILURE() << "accepted";
    } catch (const ControlError& e) {
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
    }
    EXPECT_EQ(Panel(*host), panel);
  }
}

// Values the plug-in's rules must cope with although the panel offers no way to enter them.
TEST_F(EffectControlsTest, ShowsValuesOutsideTheChoices) {
  auto light = Apply("EntryPointFunc_light");
  light->setPopup(1, 7);
  EXPECT_EQ(light->updateParamsUI().err, PF_Err_NONE);
  EXPECT_NE(Panel(*light).find("Light Type: 7 (no such choice)\n"), std::string::npos);

  auto transform = Apply("EntryPointFunc_2d");
  transform->param(3).u.bd.value = 2;
  EXPECT_EQ(transform->updateParamsUI().err, PF_Err_NONE);
  EXPECT_NE(
      Panel(*transform).find("Uniform Scaling: on\nScale: 100.0%\nY Scale: 100.0% (greyed out)\n"),
      std::string::npos);

  // A hidden parameter is not in the panel; the plug-in never hides one.
  transform->param(6).ui_flags |= PF_PUI_INVISIBLE;
  EXPECT_EQ(Panel(*transform).find("Rotation"), std::string::npos);
}

// Applying and changing send PF_Cmd_UPDATE_PARAMS_UI only to effects that asked for it.
TEST_F(EffectControlsTest, UpdatesGoOnlyToEffectsThatAskedForThem) {
  Host light(plugin_, "EntryPointFunc_light");
  EXPECT_EQ(testhost::ApplyEffect(light).size(), 3u);
  const auto lightChange = testhost::ChangeControl(light, "Light Type=Spot");
  ASSERT_TRUE(lightChange.has_value());
  EXPECT_EQ(lightChange->cmd, PF_Cmd_UPDATE_PARAMS_UI);

  Host bezier(plugin_, "EntryPointFunc_bezier");
  const auto sent = testhost::ApplyEffect(bezier);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent.back().cmd, PF_Cmd_PARAMS_SETUP);
  const int serial = bezier.commandSerial();
  EXPECT_FALSE(testhost::ChangeControl(bezier, "Vertex=10,20").has_value());
  EXPECT_EQ(bezier.commandSerial(), serial);
}

}  // namespace

// The report's verdicts on the goals and the pairing of each command with its null-plug-in run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Benchmarks.h"
#include "Report.h"

namespace {

using bench::Measured;

Measured Frame(const std::string& size, double ratio, double pluginAllocs = 0) {
  Measured m;
  m.name = std::string(bench::kFramePrefix) + "8/" + size;
  m.counters = {{"bytes", 1000},       {"memcpy_ns", 2e6},        {"frame_ns", 2e6 * ratio},
                {"ratio", ratio},      {"allocs", 5},             {"plugin_allocs", pluginAllocs}};
  return m;
}

Measured Command(const std::string& entry, const std::string& command, const std::string& subject,
                 double ns, double pluginAllocs, bool goal) {
  Measured m;
  m.name = std::string(bench::kCommandPrefix) + entry + "/" + command + "/" + subject;
  m.ns = ns;
  m.counters = {{"allocs", pluginAllocs + 3},
                {"plugin_allocs", pluginAllocs},
                {"host_calls", 2},
                {bench::kNoAllocationGoal, goal ? 1.0 : 0.0}};
  if (subject == "plug-in") {
    m.counters["own_ns"] = ns / 4;
    m.counters["split_commands"] = 400;
  }
  return m;
}

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(ReportTest, FrameGoalIsJudgedOnTheWorst4KRatioOnly) {
  struct Case {
    std::vector<Measured> frames;
    std::string verdict;
  };
  const std::vector<Case> cases = {
      {{Frame("3840x2160", 1.01), Frame("3840x2160", 1.04), Frame("1920x1080", 1.5)},
       "worst ratio 1.040, met."},
      {{Frame("3840x2160", 1.02), Frame("3840x2160", 1.08)},
       "worst ratio 1.080, missed by 3.0 percentage points."},
      {{Frame("1920x1080", 1.5)}, "4K pass-through: not measured in this run."},
  };
  for (const Case& c : cases) {
    const std::string report = bench::Markdown(c.frames);
    EXPECT_TRUE(Has(report, c.verdict)) << report;
  }
}

TEST(ReportTest, AllocationGoalListsOnlyRenderAndEventCommandsThatAllocate) {
  const std::vector<Measured> results = {
      Frame("3840x2160", 1.0),
      Command("2d", "global setup", "plug-in", 900, 4, false),
      Command("2d", "smart render", "plug-in", 800, 0, true),
      Command("bezier", "drag", "plug-in", 700, 2, true),
  };
  const std::string report = bench::Markdown(results);
  EXPECT_TRUE(Has(report, "render or event command: missed in 1 commands")) << report;
  EXPECT_TRUE(Has(report, "allocates: Bezier Control: drag")) << report;
  EXPECT_FALSE(Has(report, "allocates: Transform Control: global setup")) << report;

  const std::string clean = bench::Markdown({Command("2d", "smart render", "plug-in", 1, 0, true)});
  EXPECT_TRUE(Has(clean, "render or event command: met.")) << clean;
}

TEST(ReportTest, CommandRowPairsThePlugInWithTheNullPlugIn) {
  Measured failed = Command("camera", "About", "plug-in", 0, 0, false);
  failed.error = "command 1 returned 7";
  const std::vector<Measured> results = {
      Command("2d", "About", "null plug-in", 100, 0, false),
      Command("2d", "About", "plug-in", 400, 0, false),
      Command("3d", "About", "plug-in", 90, 0, false),
      Command("3d", "About", "null plug-in", 100, 0, false),
      failed,
  };
  const std::string report = bench::Markdown(results);
  EXPECT_TRUE(
      Has(report, "| Transform Control | About | 400 | 100 | 300 | 100 | 2 | 3 | 0 | 3 |"))
      << report;
  // Noise can make the plug-in look cheaper than the host alone; its share is then 0.
  EXPECT_TRUE(Has(report, "| 3D Transform Control | About | 90 | 100 | 0 |")) << report;
  EXPECT_TRUE(Has(report, "| Camera Control | About | failed: command 1 returned 7 |")) << report;
  EXPECT_TRUE(Has(report, "- Failed: `command/camera/About/plug-in`: command 1 returned 7"))
      << report;
}

}  // namespace

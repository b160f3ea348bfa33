#include "Report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "Benchmarks.h"
#include "ZelfinEffects.h"

namespace bench {
namespace {

// A 4K frame may take at most this much longer than memcpy of its bytes.
constexpr double kFrameRatioGoal = 1.05;
constexpr const char* kGoalSize = "3840x2160";

std::vector<std::string> Split(const std::string& s, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at; (at = s.find(separator, start)) != std::string::npos; start = at + 1)
    parts.push_back(s.substr(start, at - start));
  parts.push_back(s.substr(start));
  return parts;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string Count(double value) { return Fixed(value, 0); }

double Counter(const Measured& m, const std::string& name) {
  const auto it = m.counters.find(name);
  return it == m.counters.end() ? 0 : it->second;
}

std::string EffectName(const std::string& shortName) {
  for (const zelfin::EffectDescription& e : zelfin::kEffects)
    if (std::string("EntryPointFunc_") + shortName == e.entryPoint) return e.name;
  return shortName;
}

const char* DepthLabel(const std::string& bits) {
  if (bits == "8") return "8-bit";
  if (bits == "16") return "16-bit";
  return "32-bit float";
}

struct CommandRow {
  std::string effect;
  std::string command;
  const Measured* plugin = nullptr;
  const Measured* null = nullptr;
};

}  // namespace

void CollectingReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) {
    Measured m;
    m.name = run.run_name.function_name;
    m.ns = run.GetAdjustedRealTime() * 1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit);
    for (const auto& [key, counter] : run.counters) m.counters[key] = counter.value;
    if (run.error_occurred) m.error = run.error_message.empty() ? "failed" : run.error_message;
    auto same = std::find_if(results_.begin(), results_.end(),
                             [&](const Measured& r) { return r.name == m.name; });
    if (same == results_.end())
      results_.push_back(std::move(m));
    else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
      *same = std::move(m);
  }
}

int CollectingReporter::failures() const {
  return static_cast<int>(std::count_if(results_.begin(), results_.end(),
                                        [](const Measured& m) { return !m.error.empty(); }));
}

std::string Markdown(const std::vector<Measured>& results) {
  std::ostringstream frames;
  std::ostringstream verdicts;
  double worstRatio = 0;
  int goalFrames = 0;
  std::vector<std::string> allocating;

  frames << "| Frame | Depth | Bytes | memcpy (ms) | Pre-render + render (ms) | Ratio | "
            "Allocations: all / plug-in |\n"
         << "|---|---|---:|---:|---:|---:|---:|\n";
  std::vector<CommandRow> commands;
  for (const Measured& m : results) {
    if (StartsWith(m.name, kFramePrefix)) {
      const std::vector<std::string> parts = Split(m.name, '/');
      const std::string size = parts.size() > 2 ? parts[2] : "?";
      const char* depth = DepthLabel(parts.size() > 1 ? parts[1] : "");
      if (!m.error.empty()) {
        frames << "| " << size << " | " << depth << " | failed: " << m.error << " | | | | |\n";
        continue;
      }
      const double ratio = Counter(m, "ratio");
      frames << "| " << size << " | " << depth << " | " << Count(Counter(m, "bytes")) << " | "
             << Fixed(Counter(m, "memcpy_ns") / 1e6, 3) << " | "
             << Fixed(Counter(m, "frame_ns") / 1e6, 3) << " | " << Fixed(ratio, 3) << " | "
             << Count(Counter(m, "allocs")) << " / " << Count(Counter(m, "plugin_allocs"))
             << " |\n";
      if (size == kGoalSize) {
        worstRatio = std::max(worstRatio, ratio);
        ++goalFrames;
      }
      if (Counter(m, "plugin_allocs") > 0) allocating.push_back(size + " " + depth + " frame");
    } else if (StartsWith(m.name, kCommandPrefix)) {
      const std::vector<std::string> parts = Split(m.name, '/');
      if (parts.size() != 4) continue;
      const std::string effect = EffectName(parts[1]);
      auto row = std::find_if(commands.begin(), commands.end(), [&](const CommandRow& r) {
        return r.effect == effect && r.command == parts[2];
      });
      if (row == commands.end()) row = commands.insert(commands.end(), {effect, parts[2]});
      (parts[3] == "null plug-in" ? row->null : row->plugin) = &m;
    }
  }

  std::ostringstream table;
  table << "| Effect | Command | With the plug-in (ns) | Host alone (ns) | Plug-in and its host "
           "calls (ns) | Plug-in's own code (ns) | Host calls | Allocations: all | plug-in | "
           "host alone |\n"
        << "|---|---|---:|---:|---:|---:|---:|---:|---:|---:|\n";
  for (const CommandRow& row : commands) {
    table << "| " << row.effect << " | " << row.command << " | ";
    const bool pluginOk = row.plugin && row.plugin->error.empty();
    const bool nullOk = row.null && row.null->error.empty();
    if (!pluginOk) {
      table << "failed: " << (row.plugin ? row.plugin->error : "not run")
            << " | | | | | | | |\n";
      continue;
    }
    const Measured& p = *row.plugin;
    table << Count(p.ns) << " | " << (nullOk ? Count(row.null->ns) : "failed") << " | "
          << (nullOk ? Count(std::max(0.0, p.ns - row.null->ns)) : "") << " | "
          << (Counter(p, "split_commands") > 0 ? Count(Counter(p, "own_ns")) : "")
          << " | " << Count(Counter(p, "host_calls")) << " | " << Count(Counter(p, "allocs"))
          << " | " << Count(Counter(p, "plugin_allocs")) << " | "
          << (nullOk ? Count(Counter(*row.null, "allocs")) : "") << " |\n";
    if (Counter(p, kNoAllocationGoal) > 0 && Counter(p, "plugin_allocs") > 0)
      allocating.push_back(row.effect + ": " + row.command);
  }

  if (goalFrames > 0) {
    verdicts << "- 4K pass-through within 5% of `memcpy`: worst ratio " << Fixed(worstRatio, 3)
             << ", "
             << (worstRatio <= kFrameRatioGoal
                     ? std::string("met")
                     : "missed by " + Fixed((worstRatio - kFrameRatioGoal) * 100, 1) +
                           " percentage points")
             << ".\n";
  } else {
    verdicts << "- 4K pass-through: not measured in this run.\n";
  }
  verdicts << "- No allocation by the plug-in in any render or event command: "
           << (allocating.empty() ? std::string("met") : "missed in " + std::to_string(allocating.size()) +
                                                           " commands")
           << ".\n";
  for (const std::string& a : allocating) verdicts << "  - allocates: " << a << "\n";
  for (const Measured& m : results)
    if (!m.error.empty()) verdicts << "- Failed: `" << m.name << "`: " << m.error << "\n";

  std::ostringstream out;
  out << "## Goals\n\n" << verdicts.str() << "\n## Pass-through frames\n\n" << frames.str()
      << "\n## Command cost and heap use\n\n" << table.str();
  return out.str();
}

}  // namespace bench

// Collects the runs while the console shows them, and turns them into the tables of the
// benchmark report (Markdown).
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace bench {

struct Measured {
  std::string name;  // as registered
  double ns = 0;     // real time per iteration
  std::map<std::string, double> counters;
  std::string error;  // set when the benchmark failed
};

class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;
  // One entry per benchmark, in the order they ran: the median of repetitions when there were
  // several, else the single run.
  const std::vector<Measured>& results() const { return results_; }
  int failures() const;

 private:
  std::vector<Measured> results_;
};

// The report's tables and the verdicts on the goals, as Markdown.
std::string Markdown(const std::vector<Measured>& results);

}  // namespace bench

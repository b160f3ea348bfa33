// The benchmark program: pass-through frames against memcpy, the cost and heap use of every
// command of every effect, the stand-in host's own share measured with the null plug-in.
//
//     zelfin_bench [--smoke] [--markdown=FILE] [benchmark options]
//
// --smoke runs tiny frames and the shortest runs, only to check that everything still works;
// --markdown writes the report's tables. Exits non-zero when a benchmark failed.
#include <benchmark/benchmark.h>

#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "Benchmarks.h"
#include "Report.h"

int main(int argc, char** argv) {
  bool smoke = false;
  std::string markdown;
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    constexpr const char* kMarkdown = "--markdown=";
    if (i > 0 && std::strcmp(argv[i], "--smoke") == 0)
      smoke = true;
    else if (i > 0 && std::strncmp(argv[i], kMarkdown, std::strlen(kMarkdown)) == 0)
      markdown = argv[i] + std::strlen(kMarkdown);
    else
      rest.push_back(argv[i]);
  }
  int restCount = static_cast<int>(rest.size());
  benchmark::Initialize(&restCount, rest.data());
  if (benchmark::ReportUnrecognizedArguments(restCount, rest.data())) return 2;

  try {
    bench::RegisterFrameBenchmarks(smoke);
    bench::RegisterCommandBenchmarks(smoke);
  } catch (const std::exception& e) {
    std::cerr << "zelfin_bench: " << e.what() << "\n";
    return 1;
  }
  bench::CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  if (!markdown.empty()) {
    std::ofstream file(markdown);
    file << bench::Markdown(reporter.results());
    if (!file) {
      std::cerr << "zelfin_bench: cannot write " << markdown << "\n";
      return 1;
    }
  }
  if (reporter.failures() > 0) {
    std::cerr << "zelfin_bench: " << reporter.failures() << " benchmarks failed\n";
    return 1;
  }
  return 0;
}

// Where the time of a command goes: the plug-in's own code or the stand-in host's, from the
// stack of this thread sampled at short intervals of wall time.
#pragma once

#include <chrono>
#include <cstdint>

namespace bench {

struct TimeShares {
  std::int64_t plugin = 0;  // samples in the plug-in's own code
  std::int64_t host = 0;    // samples in the host's, its work for the plug-in's calls included
  std::int64_t total() const { return plugin + host; }
  double pluginFraction() const {
    return total() > 0 ? static_cast<double>(plugin) / static_cast<double>(total()) : 0;
  }
};

// Samples while it lives, and only while active: what runs between the active spans (setting
// up a fresh host) is left out. The plug-in's code is the one named with SetPluginCode. The
// signals slow the program down: never sample while timing. One sampler at a time.
class CodeSampler {
 public:
  // Throws std::runtime_error when the timer or its signal handler cannot be set up.
  explicit CodeSampler(std::chrono::microseconds period);
  ~CodeSampler();
  CodeSampler(const CodeSampler&) = delete;
  CodeSampler& operator=(const CodeSampler&) = delete;

  void setActive(bool active);
  TimeShares shares() const;
};

}  // namespace bench

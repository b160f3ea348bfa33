#include "testhost/core/SuiteLedger.h"

#include <algorithm>
#include <map>

namespace testhost {

namespace {

std::string Describe(const SuiteId& s) { return '"' + s.name + "\" " + std::to_string(s.version); }

}  // namespace

void SuiteLedger::acquired(int command, SuiteId suite, bool granted) {
  events_.push_back({command, true, suite, granted});
  if (granted) outstanding_.emplace_back(std::move(suite), command);
}

bool SuiteLedger::released(int command, SuiteId suite) {
  auto it = std::find_if(outstanding_.begin(), outstanding_.end(),
                         [&](const auto& o) { return o.first == suite; });
  const bool known = it != outstanding_.end();
  if (known) outstanding_.erase(it);
  events_.push_back({command, false, suite, known});
  return known;
}

void SuiteLedger::releaseFailed(int command, SuiteId suite) {
  events_.push_back({command, false, std::move(suite), false, true});
}

std::vector<SuiteEvent> SuiteLedger::eventsOf(int command) const {
  std::vector<SuiteEvent> out;
  for (const SuiteEvent& e : events_)
    if (e.command == command) out.push_back(e);
  return out;
}

int SuiteLedger::acquisitions(int command, const SuiteId& suite) const {
  int n = 0;
  for (const SuiteEvent& e : events_)
    n += e.command == command && e.acquire && e.granted && e.suite == suite;
  return n;
}

std::vector<SuiteId> SuiteLedger::releaseOrder(int command) const {
  std::vector<SuiteId> out;
  for (const SuiteEvent& e : events_)
    if (e.command == command && !e.acquire && e.granted) out.push_back(e.suite);
  return out;
}

std::vector<SuiteId> SuiteLedger::acquireOrder(int command) const {
  std::vector<SuiteId> out;
  for (const SuiteEvent& e : events_)
    if (e.command == command && e.acquire && e.granted) out.push_back(e.suite);
  return out;
}

int SuiteLedger::live() const { return static_cast<int>(outstanding_.size()); }

std::vector<Violation> SuiteLedger::problems(int command) const {
  std::vector<Violation> out;
  for (const SuiteEvent& e : events_) {
    if (e.command == command && !e.acquire && !e.granted && !e.failed)
      out.push_back({HostRule::SuiteNotAcquired, Describe(e.suite) + " released but not acquired"});
  }
  for (const auto& [suite, cmd] : outstanding_) {
    if (cmd == command)
      out.push_back({HostRule::SuiteNotReleased,
                     Describe(suite) + " still acquired when the command ended"});
  }
  return out;
}

bool SuiteLedger::balanced(int command) const {
  std::map<std::pair<std::string, int>, int> held;  // acquisitions less releases, per identity
  for (const SuiteEvent& e : events_) {
    if (e.command != command || (e.acquire && !e.granted)) continue;
    held[{e.suite.name, e.suite.version}] += e.acquire ? 1 : -1;
  }
  return std::all_of(held.begin(), held.end(), [](const auto& h) { return h.second == 0; });
}

}  // namespace testhost

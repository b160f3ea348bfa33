#include "testhost/core/FaultPlan.h"

namespace testhost {

void FaultPlan::failAt(const std::string& call, int occurrence, Fault fault,
                       std::optional<std::string> firstArg) {
  if (occurrence < 1) occurrence = 1;
  rules_.push_back({call, std::move(firstArg), occurrence, fault});
}

void FaultPlan::failEvery(const std::string& call, Fault fault,
                          std::optional<std::string> firstArg) {
  rules_.push_back({call, std::move(firstArg), 0, fault});
}

void FaultPlan::refuseSuite(const std::string& suiteName, std::int32_t code) {
  failEvery("AcquireSuite", Fault::fail(code), suiteName);
}

void FaultPlan::clear() {
  rules_.clear();
  hits_ = 0;
}

std::optional<Fault> FaultPlan::match(const Call& call) {
  std::optional<Fault> chosen;
  for (Rule& rule : rules_) {
    if (rule.call != call.name) continue;
    if (rule.firstArg && (call.args.empty() || call.args.front() != *rule.firstArg)) continue;
    ++rule.seen;
    const bool due = rule.occurrence == 0 || rule.seen == rule.occurrence;
    if (due && !chosen) chosen = rule.fault;
  }
  if (!chosen) return std::nullopt;
  const bool applies =
      chosen->throws() || call.returns == Returns::Error || call.returns == Returns::Pointer;
  if (!applies) return std::nullopt;
  ++hits_;
  return chosen;
}

std::vector<FaultSite> FaultSites(const CallLog& log) {
  std::vector<FaultSite> sites;
  for (std::size_t i = 0; i < log.size(); ++i) {
    const Call& c = log[i];
    sites.push_back(
        {c.name, log.occurrence(i), c.args.empty() ? std::string() : c.args.front(), c.returns});
  }
  return sites;
}

}  // namespace testhost

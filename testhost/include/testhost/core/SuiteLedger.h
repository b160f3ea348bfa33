// Every suite acquisition and release, per suite identity (name and version) and per command.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "testhost/core/HostRule.h"

namespace testhost {

struct SuiteId {
  std::string name;
  int version = 0;
  bool operator==(const SuiteId& o) const { return name == o.name && version == o.version; }
  bool operator!=(const SuiteId& o) const { return !(*this == o); }
};

struct SuiteEvent {
  int command = 0;       // serial number of the command
  bool acquire = false;  // false: a release
  SuiteId suite;
  bool granted = false;  // acquire: a non-null table was handed out; release: it was outstanding
  bool failed = false;   // release: the host failed the call, so the suite stays acquired
};

class SuiteLedger {
 public:
  void acquired(int command, SuiteId suite, bool granted);
  // Returns false when the identity had no outstanding acquisition.
  bool released(int command, SuiteId suite);
  // A release the host itself failed (a fault): the suite stays acquired.
  void releaseFailed(int command, SuiteId suite);

  const std::vector<SuiteEvent>& events() const { return events_; }
  std::vector<SuiteEvent> eventsOf(int command) const;

  // Granted acquisitions of one identity during one command.
  int acquisitions(int command, const SuiteId& suite) const;
  // Identities released during one command, in release order (granted releases only).
  std::vector<SuiteId> releaseOrder(int command) const;
  // Identities acquired during one command, in acquisition order (granted only).
  std::vector<SuiteId> acquireOrder(int command) const;
  // Granted acquisitions not yet released, over all commands.
  int live() const;

  // Breaches of the suite rules during one command: a release of an identity not acquired (any
  // version mismatch shows up this way), an acquisition still outstanding when the command
  // ended. Empty when all is well. Acquiring an identity again while it is held is allowed, as
  // the host counts them; acquisitions() tells how often it happened.
  std::vector<Violation> problems(int command) const;
  // The plug-in's side of the suite rules during one command: every granted acquisition given
  // back under its own name and version, and nothing given back that was not taken. A release
  // the host failed counts as given back, since the plug-in did its part.
  bool balanced(int command) const;

 private:
  std::vector<SuiteEvent> events_;
  std::vector<std::pair<SuiteId, int>> outstanding_;  // identity, command of acquisition
};

}  // namespace testhost

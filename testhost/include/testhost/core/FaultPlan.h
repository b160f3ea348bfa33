// Faults on purpose: make chosen host calls fail, return null or throw.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "testhost/core/CallLog.h"

namespace testhost {

// Thrown by a ThrowUnknown fault: a type the plug-in cannot know, derived from nothing.
struct ForeignException {
  int tag = 0x2BAD;
};

struct Fault {
  enum class Kind {
    Fail,            // return `code`; see below
    ThrowBadAlloc,   // throw std::bad_alloc out of the host function
    ThrowUnknown,    // throw ForeignException
    ThrowErrorCode,  // throw `code` as a bare 32-bit integer
  };
  Kind kind = Kind::Fail;
  std::int32_t code = 0;

  // How a Fail fault acts on a call, by what the call returns:
  //   Returns::Error   the call does nothing and returns `code` (0 = "success" without the work;
  //                    for AcquireSuite: 0 with a null suite pointer);
  //   Returns::Pointer the call does nothing and returns null;
  //   Returns::Value, Returns::Nothing  not applicable: the call works normally and is not
  //                    marked as faulted (throwing faults still apply).
  static Fault fail(std::int32_t code) { return {Kind::Fail, code}; }
  static Fault null() { return {Kind::Fail, 0}; }
  static Fault throwBadAlloc() { return {Kind::ThrowBadAlloc, 0}; }
  static Fault throwUnknown() { return {Kind::ThrowUnknown, 0}; }
  static Fault throwErrorCode(std::int32_t code) { return {Kind::ThrowErrorCode, code}; }

  bool throws() const { return kind != Kind::Fail; }
};

// Rules keyed by the recorded call name (and optionally its first argument, e.g. the suite name
// of AcquireSuite). Occurrences count the matching calls made after the rule was added.
class FaultPlan {
 public:
  // Fault the k-th (1-based) matching call only.
  void failAt(const std::string& call, int occurrence, Fault fault,
              std::optional<std::string> firstArg = std::nullopt);
  // Fault every matching call from now on.
  void failEvery(const std::string& call, Fault fault,
                 std::optional<std::string> firstArg = std::nullopt);
  // Refuse every acquisition of the named suite (any version): with an error code, or, with
  // `code` 0, a success code and a null pointer.
  void refuseSuite(const std::string& suiteName, std::int32_t code);
  void clear();

  // How many calls the plan has faulted so far (applicable faults only).
  int hits() const { return hits_; }

  // Called by the host for every recorded call: the fault to apply, if a rule matches and the
  // fault applies to what the call returns. Counts occurrences and hits.
  std::optional<Fault> match(const Call& call);

 private:
  struct Rule {
    std::string call;
    std::optional<std::string> firstArg;
    int occurrence;  // 0 = every
    Fault fault;
    int seen = 0;
  };
  std::vector<Rule> rules_;
  int hits_ = 0;
};

// One call of a recorded run, as a fault plan addresses it.
struct FaultSite {
  std::string call;
  int occurrence = 0;  // 1-based, among the calls of the same name
  std::string firstArg;
  Returns returns = Returns::Error;
};

// Every call of the log, in order. Running the same commands again on a fresh host with
// failAt(site.call, site.occurrence, fault) armed before the first of them faults exactly that
// call: a fault sweep.
std::vector<FaultSite> FaultSites(const CallLog& log);

}  // namespace testhost

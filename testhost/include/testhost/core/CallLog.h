// The ordered record of every call the plug-in makes into the stand-in host.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace testhost {

// What a recorded function hands back, so that a fault sweep knows which faults make sense.
enum class Returns {
  Error,    // an error code (PF_Err, SPErr, A_Err); 0 is success
  Pointer,  // a pointer; null is failure
  Value,    // a plain value (a number, a character count)
  Nothing,  // void
};

// One call from the plug-in into the host.
struct Call {
  std::string name;               // the callback's or suite function's name, e.g. "add_param"
  std::vector<std::string> args;  // its arguments in readable form (strings are unquoted)
  Returns returns = Returns::Error;
  long long result = 0;  // the code returned; for Returns::Pointer 1 = non-null, 0 = null
  bool faulted = false;  // the fault plan changed what this call did
  int command = 0;       // serial number of the command during which it was made

  // "add_param(-1, Position) -> 0", for failure messages.
  std::string str() const;
};

class CallLog {
 public:
  void append(Call call);
  void clear();

  std::size_t size() const { return calls_.size(); }
  bool empty() const { return calls_.empty(); }
  const Call& operator[](std::size_t i) const { return calls_[i]; }
  Call& operator[](std::size_t i) { return calls_[i]; }
  Call& back() { return calls_.back(); }
  const std::vector<Call>& all() const { return calls_; }

  // Number of calls with this name.
  int count(const std::string& name) const;
  // The names of all calls, in order.
  std::vector<std::string> names() const;
  // The calls with this name, in order.
  std::vector<Call> named(const std::string& name) const;
  // The calls for which the predicate holds, in order.
  std::vector<Call> filter(const std::function<bool(const Call&)>& keep) const;
  // The calls made during one command (by serial number).
  std::vector<Call> ofCommand(int serial) const;
  // Index of the first call with this name at or after `from`, or size() when there is none.
  std::size_t find(const std::string& name, std::size_t from = 0) const;
  // 1-based occurrence of call i among the calls of the same name before it; with
  // FaultPlan::failAt(log[i].name, occurrence(i), ...) a rerun fails exactly that call, when the
  // fault is armed where this log started.
  int occurrence(std::size_t i) const;

  // One call per line, for failure messages.
  std::string dump() const;

 private:
  std::vector<Call> calls_;
};

}  // namespace testhost

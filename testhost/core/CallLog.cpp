#include "testhost/core/CallLog.h"

#include <sstream>

namespace testhost {

std::string Call::str() const {
  std::ostringstream s;
  s << name << '(';
  for (std::size_t i = 0; i < args.size(); ++i) s << (i ? ", " : "") << args[i];
  s << ')';
  switch (returns) {
    case Returns::Error:
      s << " -> " << result;
      break;
    case Returns::Pointer:
      s << (result ? " -> ptr" : " -> null");
      break;
    case Returns::Value:
      s << " -> " << result;
      break;
    case Returns::Nothing:
      break;
  }
  if (faulted) s << " [fault]";
  return s.str();
}

void CallLog::append(Call call) { calls_.push_back(std::move(call)); }

void CallLog::clear() { calls_.clear(); }

int CallLog::count(const std::string& name) const {
  int n = 0;
  for (const Call& c : calls_) n += c.name == name;
  return n;
}

std::vector<std::string> CallLog::names() const {
  std::vector<std::string> out;
  out.reserve(calls_.size());
  for (const Call& c : calls_) out.push_back(c.name);
  return out;
}

std::vector<Call> CallLog::named(const std::string& name) const {
  return filter([&](const Call& c) { return c.name == name; });
}

std::vector<Call> CallLog::filter(const std::function<bool(const Call&)>& keep) const {
  std::vector<Call> out;
  for (const Call& c : calls_)
    if (keep(c)) out.push_back(c);
  return out;
}

std::vector<Call> CallLog::ofCommand(int serial) const {
  return filter([&](const Call& c) { return c.command == serial; });
}

std::size_t CallLog::find(const std::string& name, std::size_t from) const {
  for (std::size_t i = from; i < calls_.size(); ++i)
    if (calls_[i].name == name) return i;
  return calls_.size();
}

int CallLog::occurrence(std::size_t i) const {
  int n = 0;
  for (std::size_t j = 0; j <= i && j < calls_.size(); ++j) n += calls_[j].name == calls_[i].name;
  return n;
}

std::string CallLog::dump() const {
  std::string out;
  for (const Call& c : calls_) out += "  #" + std::to_string(c.command) + ' ' + c.str() + '\n';
  return out;
}

}  // namespace testhost

// The contract tags written beside the functions in include/host/ and the gate's table
// (testhost::contracts::kAll) say the same: every function the stand-in host provides is tagged
// wherever it is declared, with the commands (and the kind of event) its contract names, and it
// takes an effect_ref exactly when its contract checks one; no function is tagged that the host
// does not provide.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "testhost/core/HostCall.h"

namespace {

namespace fs = std::filesystem;
using testhost::CallContract;
using testhost::EffectRef;
using testhost::EventKind;

// One function pointer declared in a record of include/host/.
struct Declaration {
  std::string where;  // "callbacks.h: PF_UtilCallbacks::copy"
  std::string member;
  std::optional<std::string> tag;  // the text between the brackets
  bool takesEffectRef = false;
};

std::string Trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The text of a line comment ("// [any command] ..." gives "[any command] ..."), if the line is
// one or ends in one.
std::optional<std::string> CommentOf(const std::string& line) {
  const auto slashes = line.find("//");
  if (slashes == std::string::npos) return std::nullopt;
  return Trimmed(line.substr(slashes + 2));
}

// The tag that begins a comment, without its brackets.
std::optional<std::string> TagOf(const std::string& comment) {
  if (comment.empty() || comment.front() != '[') return std::nullopt;
  const auto close = comment.find(']');
  if (close == std::string::npos) return std::nullopt;
  return comment.substr(1, close - 1);
}

// Every function pointer member of every record in the header, with the tag that begins a line of
// the comment right above it or the comment at the end of its first line.
std::vector<Declaration> DeclarationsIn(const fs::path& header) {
  std::ifstream in(header);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);

  static const std::regex kRecord(R"(^struct (\w+) \{)");
  static const std::regex kMember(R"(\(\s*\*\s*(\w+)\s*\)\s*\()");
  std::vector<Declaration> found;
  std::string record;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::smatch m;
    if (std::regex_search(lines[i], m, kRecord)) record = m[1];
    if (lines[i].rfind("};", 0) == 0) record.clear();
    const std::string code = lines[i].substr(0, lines[i].find("//"));
    if (record.empty() || !std::regex_search(code, m, kMember)) continue;
    Declaration d;
    d.member = m[1];
    d.where = header.filename().string() + ": " + record + "::" + d.member;
    // The declaration runs to its semicolon (a parameter may be a function pointer too); the
    // comment at the end of its first line is its own.
    std::string text = code;
    std::size_t last = i;
    while (text.find(';') == std::string::npos && last + 1 < lines.size()) {
      ++last;
      text += lines[last].substr(0, lines[last].find("//"));
    }
    d.takesEffectRef = text.find("PF_ProgPtr") != std::string::npos;
    if (const auto trailing = CommentOf(lines[i]); trailing && code != lines[i]) {
      d.tag = TagOf(*trailing);
    }
    for (std::size_t j = i; !d.tag && j > 0; --j) {
      const std::string above = Trimmed(lines[j - 1]);
      if (above.rfind("//", 0) != 0) break;
      d.tag = TagOf(*CommentOf(above));
    }
    found.push_back(d);
    i = last;
  }
  return found;
}

std::vector<Declaration> AllDeclarations() {
  std::vector<Declaration> all;
  for (const auto& entry : fs::directory_iterator(fs::path(ZELFIN_SOURCE_DIR) / "include/host")) {
    if (entry.path().extension() != ".h") continue;
    const std::vector<Declaration> found = DeclarationsIn(entry.path());
    all.insert(all.end(), found.begin(), found.end());
  }
  return all;
}

// The commands a tag may name, by the names of host/effect.h.
const std::map<std::string, PF_Cmd>& Commands() {
  static const std::map<std::string, PF_Cmd> commands = {
      {"any command", testhost::kAnyCommand},
      {"PF_Cmd_ABOUT", PF_Cmd_ABOUT},
      {"PF_Cmd_GLOBAL_SETUP", PF_Cmd_GLOBAL_SETUP},
      {"PF_Cmd_GLOBAL_SETDOWN", PF_Cmd_GLOBAL_SETDOWN},
      {"PF_Cmd_PARAMS_SETUP", PF_Cmd_PARAMS_SETUP},
      {"PF_Cmd_UPDATE_PARAMS_UI", PF_Cmd_UPDATE_PARAMS_UI},
      {"PF_Cmd_EVENT", PF_Cmd_EVENT},
      {"PF_Cmd_SMART_PRE_RENDER", PF_Cmd_SMART_PRE_RENDER},
      {"PF_Cmd_SMART_RENDER", PF_Cmd_SMART_RENDER},
  };
  return commands;
}

// The tag a contract reads as: "[PF_Cmd_EVENT, a draw event]" without its brackets.
std::string TagFor(const CallContract& c) {
  std::string tag;
  for (const auto& [name, cmd] : Commands())
    if (cmd == c.command) tag = name;
  if (c.event == EventKind::Draw) tag += ", a draw event";
  return tag;
}

std::vector<const CallContract*> ContractsOf(const std::string& member) {
  std::vector<const CallContract*> found;
  for (const CallContract& c : testhost::contracts::kAll)
    if (c.member() == member) found.push_back(&c);
  return found;
}

TEST(ContractTagsTest, TheHeadersDeclareFunctionsWithTags) {
  const std::vector<Declaration> all = AllDeclarations();
  int tagged = 0;
  for (const Declaration& d : all) tagged += d.tag ? 1 : 0;
  // The parse found the records: far more functions than the host provides, dozens tagged.
  EXPECT_GT(all.size(), 150u);
  EXPECT_GT(tagged, 60);
}

// What every tag says is what the gate checks.
TEST(ContractTagsTest, EveryTagIsTheGatesContract) {
  for (const Declaration& d : AllDeclarations()) {
    if (!d.tag) continue;
    SCOPED_TRACE(d.where + " [" + *d.tag + "]");
    const std::vector<const CallContract*> contracts = ContractsOf(d.member);
    ASSERT_EQ(contracts.size(), 1u) << "tagged, but the gate has no contract (or several) for it";
    const CallContract& c = *contracts.front();
    EXPECT_TRUE(Commands().count(d.tag->substr(0, d.tag->find(',')))) << "names no command";
    EXPECT_EQ(*d.tag, TagFor(c)) << "the gate's contract for " << c.name << " says otherwise";
    EXPECT_EQ(d.takesEffectRef, c.effectRef == EffectRef::MustBeTheHosts)
        << "the gate checks an effect_ref exactly for the functions that take one";
  }
}

// Every function the host provides is declared and tagged wherever it is declared.
TEST(ContractTagsTest, EveryContractIsTaggedWhereverItsFunctionIsDeclared) {
  const std::vector<Declaration> all = AllDeclarations();
  for (const CallContract& c : testhost::contracts::kAll) {
    SCOPED_TRACE(std::string(c.name) + " (member " + c.member() + ")");
    int declared = 0;
    for (const Declaration& d : all) {
      if (d.member != c.member()) continue;
      ++declared;
      EXPECT_TRUE(d.tag.has_value()) << d.where << " has no tag";
    }
    EXPECT_GT(declared, 0) << "declared nowhere in include/host/";
  }
}

}  // namespace

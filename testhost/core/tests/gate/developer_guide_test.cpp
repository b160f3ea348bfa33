// docs/developer-guide.md against what it describes: its table of the host's rules is the row list
// of TESTHOST_HOST_RULES, row for row, and every file it names is there.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "testhost/core/HostRule.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSource = ZELFIN_SOURCE_DIR;

std::vector<std::string> GuideLines() {
  std::ifstream in(kSource / "docs/developer-guide.md");
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The rows of the table whose header is "| identifier | broken by |": identifier and text.
std::vector<std::pair<std::string, std::string>> GuideRuleTable() {
  static const std::regex kRow(R"(^\| `([^`]+)` \| (.*) \|$)");
  const std::vector<std::string> lines = GuideLines();
  std::vector<std::pair<std::string, std::string>> rows;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != "| identifier | broken by |") continue;
    for (std::size_t j = i + 2; j < lines.size() && lines[j].rfind("|", 0) == 0; ++j) {
      std::smatch m;
      if (std::regex_match(lines[j], m, kRow)) {
        rows.emplace_back(m[1], m[2]);
      } else {
        rows.emplace_back("(not a row)", lines[j]);
      }
    }
  }
  return rows;
}

TEST(DeveloperGuideTest, TheTableOfRulesIsTheRowList) {
  std::vector<std::pair<std::string, std::string>> expected;
  for (const testhost::HostRuleRow& row : testhost::kHostRuleRows)
    expected.emplace_back(row.id, row.brokenBy);
  EXPECT_EQ(GuideRuleTable(), expected)
      << "the table under \"Named rules\" in docs/developer-guide.md and TESTHOST_HOST_RULES in "
         "testhost/include/testhost/core/HostRule.h list the same rules in the same order";
}

// A file the guide names in backticks, from the repository's root or as a header is included
// (testhost/panels/Panel.h, host/host.h), exists.
TEST(DeveloperGuideTest, EveryFileItNamesExists) {
  static const std::regex kPath(R"(`((testhost|include|src|tests|tools|cmake|scripts|resources|)"
                                R"(fuzz|docs|bench)/[^`\s<>*]+)`)");
  int named = 0;
  for (const std::string& line : GuideLines()) {
    for (std::sregex_iterator it(line.begin(), line.end(), kPath), end; it != end; ++it) {
      const std::string path = (*it)[1];
      ++named;
      const bool found = fs::exists(kSource / path) ||
                         fs::exists(kSource / "testhost/include" / path) ||
                         fs::exists(kSource / "include" / path);
      EXPECT_TRUE(found) << path;
    }
  }
  EXPECT_GT(named, 20);
}

}  // namespace

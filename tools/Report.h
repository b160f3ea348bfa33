// Terminal output of zelfin-host: headings and tables with aligned columns.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace zelfin_host {

// A title underlined with '='; a section title, after a blank line, underlined with '-'.
void Title(std::ostream& out, const std::string& text);
void Section(std::ostream& out, const std::string& text);

// Rows of cells printed in columns two spaces apart, each line indented; trailing spaces trimmed.
class Table {
 public:
  explicit Table(int indent = 2) : indent_(indent) {}
  void row(std::vector<std::string> cells) { rows_.push_back(std::move(cells)); }
  bool empty() const { return rows_.empty(); }
  void print(std::ostream& out) const;

 private:
  int indent_;
  std::vector<std::vector<std::string>> rows_;
};

// Fixed-point formatting shared by every report: "12.5", "-3", never "1e+06".
std::string FormatNumber(double value, int maxDecimals = 3);

}  // namespace zelfin_host

#include "Report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

namespace zelfin_host {

namespace {

void Underlined(std::ostream& out, const std::string& text, char line) {
  out << text << '\n' << std::string(text.size(), line) << '\n';
}

}  // namespace

void Title(std::ostream& out, const std::string& text) { Underlined(out, text, '='); }

void Section(std::ostream& out, const std::string& text) {
  out << '\n';
  Underlined(out, text, '-');
}

void Table::print(std::ostream& out) const {
  std::vector<std::size_t> widths;
  for (const auto& cells : rows_) {
    if (widths.size() < cells.size()) widths.resize(cells.size(), 0);
    for (std::size_t c = 0; c < cells.size(); ++c) widths[c] = std::max(widths[c], cells[c].size());
  }
  for (const auto& cells : rows_) {
    std::string line(static_cast<std::size_t>(indent_), ' ');
    for (std::size_t c = 0; c < cells.size(); ++c) {
      line += cells[c];
      if (c + 1 < cells.size()) line += std::string(widths[c] - cells[c].size() + 2, ' ');
    }
    line.erase(line.find_last_not_of(' ') + 1);
    out << line << '\n';
  }
}

std::string FormatNumber(double value, int maxDecimals) {
  if (!std::isfinite(value)) return std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", maxDecimals, value);
  std::string s = text;
  if (s.find('.') != std::string::npos) {
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

}  // namespace zelfin_host

#include "ControlsReport.h"

#include <ostream>
#include <string>

#include "Report.h"

namespace zelfin_host {

namespace {

constexpr const char* kGreyedOut = "(greyed out)";
constexpr const char* kUnnamed = "(unnamed)";

std::string Name(const testhost::ControlRow& row) {
  return std::string(static_cast<std::size_t>(2 * row.depth), ' ') +
         (row.unnamed ? std::string(kUnnamed) + " " : "") + row.name;
}

// An unnamed checkbox shows its label, but expressions find parameters by name or index only.
void PrintUnnamedNote(std::ostream& out, const std::vector<testhost::ControlRow>& rows) {
  bool first = true;
  for (const testhost::ControlRow& row : rows) {
    if (!row.unnamed) continue;
    if (first) out << "\n";
    first = false;
    out << "  " << kUnnamed << " " << row.name
        << ": the text of a checkbox without a name; an expression finds it by its index, "
        << row.index << ", not by that text\n";
  }
}

// The value and the greyed-out mark in one cell, for the side-by-side view.
std::string State(const testhost::ControlRow& row) {
  if (row.group) return row.disabled ? kGreyedOut : "";
  return row.value + (row.disabled ? std::string(" ") + kGreyedOut : "");
}

}  // namespace

void PrintControls(std::ostream& out, const std::vector<testhost::ControlRow>& rows) {
  Table table;
  for (const testhost::ControlRow& row : rows) {
    table.row({Name(row), row.group ? "" : row.value, row.disabled ? kGreyedOut : ""});
  }
  table.print(out);
  PrintUnnamedNote(out, rows);
}

void PrintControlsChange(std::ostream& out, const std::vector<testhost::ControlRow>& before,
                         const std::vector<testhost::ControlRow>& after) {
  Table table;
  table.row({" ", "", "before", "after"});
  for (std::size_t i = 0; i < after.size(); ++i) {
    std::string name = Name(after[i]);
    std::string was;
    if (i < before.size()) {
      was = State(before[i]);
      if (before[i].name != after[i].name) name += " (was " + before[i].name + ")";
    }
    const std::string now = State(after[i]);
    const bool changed = was != now || name != Name(after[i]);
    table.row({changed ? "*" : " ", name, was, now});
  }
  table.print(out);
  PrintUnnamedNote(out, after);
}

}  // namespace zelfin_host

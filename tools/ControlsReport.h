// The Effect Controls panel on the terminal: one row per control, indented by group, the value
// with its unit in its own column, greyed-out controls marked.
#pragma once

#include <iosfwd>
#include <vector>

#include "testhost/panels/EffectControls.h"

namespace zelfin_host {

void PrintControls(std::ostream& out, const std::vector<testhost::ControlRow>& rows);

// Two states of the same panel side by side; "*" marks the rows whose value or state changed.
void PrintControlsChange(std::ostream& out, const std::vector<testhost::ControlRow>& before,
                         const std::vector<testhost::ControlRow>& after);

}  // namespace zelfin_host

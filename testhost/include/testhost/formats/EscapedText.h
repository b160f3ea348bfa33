// Text that comes from a file, shown as it is only where it is safe to.
#pragma once

#include <string>
#include <string_view>

namespace testhost {

// Text read from a file, fit for a terminal: printable ASCII and well-formed UTF-8 stay as they
// are; control characters, DEL, C1 controls and bytes of no UTF-8 sequence become \xNN.
std::string EscapedText(std::string_view text);

}  // namespace testhost

// The check before a plug-in's code is loaded, over the formats' file checks.
#pragma once

#include <string>

#include "testhost/formats/FileCheck.h"

namespace testhost {

// The check before loading the plug-in code file `code` (of the plug-in named `path`): a regular
// file of a sane size in a format this build loads, laid out inside its bytes (ELF and Windows
// images in full; macOS code by its first bytes, its loader checking the rest as it reads).
// Throws LoadError "cannot load plug-in PATH: ..." naming the first problem; nothing is loaded.
void CheckPluginFile(const std::string& path, const std::string& code);

}  // namespace testhost

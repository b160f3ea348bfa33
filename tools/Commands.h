// The subcommands of zelfin-host, each with its --help text and its run function.
#pragma once

#include "CommandLine.h"

namespace zelfin_host {

extern const Command kListCommand;
extern const Command kPanelCommand;
extern const Command kRenderCommand;
extern const Command kDragCommand;
extern const Command kSessionCommand;

}  // namespace zelfin_host

// The subcommands of zelfin-host, each with its --help text and its run function.
#pragma once

#include "CommandLine.h"

namespace zelfin_host {

extern const CommandSpec kListCommand;
extern const CommandSpec kPanelCommand;
extern const CommandSpec kRenderCommand;
extern const CommandSpec kDragCommand;
extern const CommandSpec kSessionCommand;

}  // namespace zelfin_host

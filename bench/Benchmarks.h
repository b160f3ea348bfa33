// The benchmark families and the names their runs carry, which the report reads back.
#pragma once

namespace bench {

// "frame/<bits>/<width>x<height>"; counters bytes, memcpy_ns, frame_ns, ratio, allocs,
// plugin_allocs.
constexpr const char* kFramePrefix = "frame/";
// "command/<entry point>/<command>/<subject>"; time per command; counters allocs,
// plugin_allocs, host_calls, kNoAllocationGoal, and (for the plug-in) own_ns, the time per command
// in the plug-in's own code (outside the host's callbacks), over `split_commands` commands.
constexpr const char* kCommandPrefix = "command/";
// 1 for a render or event command, in which the plug-in must not allocate.
constexpr const char* kNoAllocationGoal = "no_alloc_goal";

// Smoke: tiny frames and the shortest runs, to check that everything still runs.
void RegisterFrameBenchmarks(bool smoke);
void RegisterCommandBenchmarks(bool smoke);

}  // namespace bench

// Whose code is at work at a point of the program: the plug-in's, or the stand-in host's (this
// program's). Frames in the C and C++ runtimes belong to whoever called them.
#pragma once

namespace bench {

enum class Owner { Plugin, Host };

// Names the library whose code counts as the plug-in's: the one holding this address (an entry
// point). Null: none, everything is the host's (the null plug-in's commands are the host's cost
// alone). Not to be called while a count is running.
void SetPluginCode(const void* addressInside);

// The owner of the innermost frame of the current stack, after the frames of this program's own
// instrument (the allocation hook, and the runtime frames between it and the code that
// allocated). Walks the stack with the unwinder: never call it from a signal handler.
Owner OwnerOfCurrentStack();

}  // namespace bench

// The launcher's main line of work: the work directory, then the runtime
// (the included archive, the search, or what the user is asked for), then
// the virtual machine and the Java side.
#pragma once

#include "core/progress.h"
#include "launch/launch_context.h"

// Where the pipeline needs the form it runs in: the runtime question and
// the watch for the Java side's window. The quiet form has neither.
struct PipelineHooks {
  void* target;
  // Asks the user for a runtime. True when answered (a download or a
  // located runtime may have followed); false when not, with the context's
  // failure recorded when the launch cannot go on at all.
  bool (*askForRuntime)(void* target, LaunchContext& context);
  // Starts the watch once the virtual machine is about to be created; null for none.
  void (*watchForJavaWindow)(void* target, LaunchContext& context);
};

// True when the launch went through and the Java side returned; false
// with the context's failure recorded.
bool runLaunchPipeline(LaunchContext& context, const Progress* progress, const PipelineHooks* hooks);

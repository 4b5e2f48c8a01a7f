// The launcher's main line of work: the work directory first, then (as
// the launcher grows) the runtime and the virtual machine.
#pragma once

// The window is the progress window, or null in the forms without one.
unsigned long runLaunchPipeline(void* window);

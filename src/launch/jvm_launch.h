// Creating the Java virtual machine in this process through JNI and handing
// over to the Java launcher class, with the launch's "lantor." properties,
// the five launcher arguments and the user's arguments.
#pragma once

#include "core/split_arguments.h"
#include "launch/launch_context.h"

// The directory of the java executable followed by "..".
void setJvmHome(LaunchContext& context, const char* javaExecutable);

// Creates the virtual machine, calls main and destroys the virtual machine
// when main returned. False when it could not be created or main ended
// with an exception; also, with the context's failure recorded, when the
// launch cannot go on.
bool launchJvm(LaunchContext& context, const ArgumentList& commandLine);

// Downloading a runtime archive as "jre.tar.gz" into the work directory.
#pragma once

// Returns only when the archive is there; every failure ends the process.
void downloadRuntime(void* window, const char* location);

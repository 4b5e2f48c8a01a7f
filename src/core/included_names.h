// Which names from the list of included files may be written into the
// work directory: plain file names only, so that a damaged or crafted
// installer never writes outside it or onto a device.
#pragma once

bool isSafeIncludedFileName(const char* name);

// What inspect prints: lines for people, one JSON object for scripts.
#pragma once

#include <string>

#include "builder/inspect.h"

std::string inspectionText(const Inspection& inspection, int codePage);
std::string inspectionJson(const Inspection& inspection);
std::string damageJson(const DamagedPayload& damage);

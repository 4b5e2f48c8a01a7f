// The known name closest to a mistyped one, for "did you mean" hints.
#pragma once

#include <string>
#include <vector>

// The candidate with the fewest single-character edits (insertions,
// deletions, substitutions, swaps of neighbours; letter case ignored) from
// name, when that is at most a third of its length (at least 1, at most 3
// edits); empty when none is that close.
std::string nearestName(const std::string& name, const std::vector<std::string>& candidates);

// ", did you mean 'x'?" for the nearest candidate, or "".
std::string didYouMean(const std::string& name, const std::vector<std::string>& candidates);

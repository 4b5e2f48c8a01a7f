#include "builder/nearest_name.h"

#include <ctype.h>

#include <algorithm>

namespace {

char lower(char c) { return static_cast<char>(tolower(static_cast<unsigned char>(c))); }

// Optimal string alignment distance.
size_t distance(const std::string& a, const std::string& b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i)
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t cost = lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && lower(a[i - 1]) == lower(b[j - 2]) && lower(a[i - 2]) == lower(b[j - 1]))
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[a.size()][b.size()];
}

}  // namespace

std::string nearestName(const std::string& name, const std::vector<std::string>& candidates) {
  size_t limit = std::min<size_t>(3, std::max<size_t>(1, name.size() / 3));
  std::string best;
  size_t bestDistance = limit + 1;
  for (const std::string& candidate : candidates) {
    size_t d = distance(name, candidate);
    if (d < bestDistance) {
      bestDistance = d;
      best = candidate;
    }
  }
  return best;
}

std::string didYouMean(const std::string& name, const std::vector<std::string>& candidates) {
  std::string nearest = nearestName(name, candidates);
  return nearest.empty() ? "" : ", did you mean '" + nearest + "'?";
}

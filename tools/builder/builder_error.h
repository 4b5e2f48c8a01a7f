// The one kind of failure the builder reports: a sentence for the user,
// printed behind "ltrbuild: " by the command line.
#pragma once

#include <stdexcept>
#include <string>

class BuilderError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

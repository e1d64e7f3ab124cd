// Where one pair's output goes: the report and the lines about the pair for
// standard output, warnings and trouble for standard error, kept in the
// order written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ralu/formats/report.h"

namespace ralu {

class PairOutput : public OutputSink {
 public:
  virtual void warn(std::string_view line) = 0;
};

// Straight to standard output and standard error.
class StandardPairOutput : public PairOutput {
 public:
  void write(std::string_view bytes) override;
  // Writes what standard output holds first, so that the two streams keep
  // their order on a terminal.
  void warn(std::string_view line) override;
  // Returns once everything written reached the system; else throws the
  // trouble, which ends the run.
  void finish();

 private:
  int error_ = 0;  // the errno of the first failure to write
};

// Held in memory, for a pair compared ahead of its turn, and passed on in its
// turn.
class HeldPairOutput : public PairOutput {
 public:
  void write(std::string_view bytes) override;
  void warn(std::string_view line) override;
  void pass_on(PairOutput& out) const;

 private:
  struct Part {
    bool warning;
    std::string text;
  };
  std::vector<Part> parts_;
};

}  // namespace ralu

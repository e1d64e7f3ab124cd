// Where one pair's output goes: the report and the lines about the pair for
// standard output, warnings and trouble for standard error, kept in the
// order written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ralu/formats/report.h"
#include "ralu/formats/stat_table.h"

namespace ralu {

class StatTally;

class PairOutput : public OutputSink {
 public:
  virtual void warn(std::string_view line) = 0;
  // What a pair that differs came to, under the stat forms. Only the
  // outputs that reach the run's tally keep it.
  virtual void count(const FileStat& /*file*/) {}
};

// Straight to standard output and standard error.
class StandardPairOutput : public PairOutput {
 public:
  // With a tally, the stat forms' run: what is written and counted goes
  // there, to be written when the run is over.
  explicit StandardPairOutput(StatTally* tally = nullptr) : tally_(tally) {}

  void write(std::string_view bytes) override;
  void count(const FileStat& file) override;
  // Writes what standard output holds first, so that the two streams keep
  // their order on a terminal.
  void warn(std::string_view line) override;
  // Returns once everything written reached the system; else throws the
  // trouble, which ends the run.
  void finish();

 private:
  StatTally* tally_;
  int error_ = 0;  // the errno of the first failure to write
};

// Held in memory, for a pair compared ahead of its turn, and passed on in its
// turn.
class HeldPairOutput : public PairOutput {
 public:
  void write(std::string_view bytes) override;
  void warn(std::string_view line) override;
  void count(const FileStat& file) override { counted_.push_back(file); }
  void pass_on(PairOutput& out) const;

 private:
  struct Part {
    bool warning;
    std::string text;
  };
  std::vector<Part> parts_;
  std::vector<FileStat> counted_;  // a pair's at most, passed on before its report
};

}  // namespace ralu

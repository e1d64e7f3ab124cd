// One comparison of two inputs, from their bytes to the report on standard
// output and the exit status: the lines as shown and as matched, the edit
// script, the changes the options leave out, and the form that writes them.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/pattern.h"
#include "ralu/command/options.h"
#include "ralu/formats/report.h"
#include "ralu/inputs/inputs.h"

namespace ralu {

using PatternList = std::vector<std::unique_ptr<platform::LinePattern>>;

// The patterns of one option, each compiled; a bad one is a usage mistake.
PatternList compile_patterns(std::string_view option, const std::vector<std::string>& patterns);

// The patterns a run uses for every pair.
struct Patterns {
  PatternList ignore;  // -I
};

// What the comparison needs of the inputs: the lines around the changes that
// the engine and the report look at, and, for the function lines, everything
// before them.
InputRequest input_request(const Options& options);

// Whether a form writes the inputs' lines even when nothing differs (the
// exit status alone tells that): -D and the formats do, and so does the
// side-by-side form unless it shows changes alone.
bool writes_equal_inputs(const Options& options);

// Whether the options let inputs whose bytes differ still be alike.
bool ignores_some_changes(const Options& options);

// "WHAT A and B VERDICT", the line that says how two files relate
// ("Files a and b differ").
std::string pair_line(std::string_view what, const std::string& a, const std::string& b,
                      std::string_view verdict);

// The name a message gives input `i`: its label, or its path.
const std::string& shown_name(const Options& options, std::size_t i, const std::string& path);

// Where one comparison's output goes: the report and its messages, for
// standard output, and warnings, for standard error.
class PairOutput : public OutputSink {
 public:
  virtual void warn(std::string_view line) = 0;
};

// Straight to standard output and standard error, in the order written.
class StandardPairOutput : public PairOutput {
 public:
  void write(std::string_view bytes) override;
  void warn(std::string_view line) override;
  // Returns once everything written reached the system; else says why not
  // and ends the process.
  void finish();

 private:
  int error_ = 0;  // the first failure to write
};

// Held in memory, for a comparison run ahead of its turn, and passed on in
// its turn.
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

// Compares two inputs and writes what the options ask for. Within
// directories, `heading` ("ralu -r -u") heads each report written, followed
// by the two names.
int compare_inputs(const Options& options, Inputs inputs, const Patterns& patterns, PairOutput& out,
                   const std::string* heading = nullptr);

// Settles what comparisons share before several threads run them.
void prepare_comparisons_on_threads();

}  // namespace ralu

#include "ralu/pair/pair_output.h"

#include <cerrno>
#include <cstdio>

#include "ralu/pair/stat_tally.h"
#include "ralu/trouble.h"

namespace ralu {

void StandardPairOutput::write(std::string_view bytes) {
  if (tally_ != nullptr) return tally_->hold(bytes);
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() && error_ == 0) {
    error_ = errno != 0 ? errno : EIO;
  }
}

void StandardPairOutput::count(const FileStat& file) {
  if (tally_ != nullptr) tally_->add(file);
}

void StandardPairOutput::warn(std::string_view line) {
  finish();
  std::fwrite(line.data(), 1, line.size(), stderr);
}

void StandardPairOutput::finish() { flush_standard_output(error_); }

void HeldPairOutput::write(std::string_view bytes) {
  if (parts_.empty() || parts_.back().warning) parts_.push_back({false, {}});
  parts_.back().text += bytes;
}

void HeldPairOutput::warn(std::string_view line) { parts_.push_back({true, std::string(line)}); }

void HeldPairOutput::pass_on(PairOutput& out) const {
  for (const FileStat& file : counted_) out.count(file);
  for (const Part& part : parts_) {
    if (part.warning) {
      out.warn(part.text);
    } else {
      out.write(part.text);
    }
  }
}

}  // namespace ralu

#include "ralu/pair/verdicts.h"

namespace ralu {

std::string verdict_line(Verdict verdict, std::string_view a, std::string_view b) {
  std::string line = verdict == Verdict::binary_differ ? "Binary files " : "Files ";
  line += a;
  line += " and ";
  line += b;
  line += verdict == Verdict::identical ? " are identical\n" : " differ\n";
  return line;
}

const std::string& shown_name(std::span<const std::string> labels, std::size_t side,
                              const std::string& path) {
  return side < labels.size() ? labels[side] : path;
}

}  // namespace ralu

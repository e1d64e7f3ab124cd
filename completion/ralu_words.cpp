// Writes the words of ralu's bash completion, as shell assignments, from the
// table the command line is read with: an option added to the table is
// offered by Tab with the next build, and no list kept by hand can drift from
// it. The build puts the output in front of ralu.bash.
//
// Names are written inside single quotes unchecked, so a name with anything
// but letters, digits and '-' stops the build rather than the shell.
#include <cstdio>
#include <string>
#include <string_view>

#include "ralu/command/options.h"

namespace {

bool plain(std::string_view word) {
  for (const char c : word) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && !(c >= '0' && c <= '9') && c != '-') return false;
  }
  return !word.empty();
}

void join(std::string& list, std::string_view word) {
  if (!list.empty()) list += ' ';
  list += word;
}

}  // namespace

int main() {
  // Long options as offered: "--name" for one that takes nothing, "--name="
  // for one that takes a value, both for one whose value may be left out.
  std::string long_options;
  // Long options whose value may come as the next word ("--label X").
  std::string long_valued;
  // Letters that take nothing, and letters that take a value; a letter whose
  // long option's value is optional still takes one.
  std::string plain_letters;
  std::string valued_letters;
  std::string choices;
  for (const ralu::OptionRow& row : ralu::option_table()) {
    if (!row.long_name.empty()) {
      if (!plain(row.long_name)) {
        std::fprintf(stderr, "ralu_words: option name not plain: %.*s\n",
                     static_cast<int>(row.long_name.size()), row.long_name.data());
        return 1;
      }
      const std::string name = "--" + std::string(row.long_name);
      if (row.takes != ralu::Takes::value) join(long_options, name);
      if (row.takes != ralu::Takes::nothing) join(long_options, name + "=");
      if (row.takes == ralu::Takes::value) join(long_valued, name);
      std::string values;
      for (const std::string_view value : ralu::option_choices(row.long_name)) {
        if (!plain(value)) {
          std::fprintf(stderr, "ralu_words: value of %s not plain\n", name.c_str());
          return 1;
        }
        join(values, value);
      }
      if (!values.empty()) {
        choices.append("    ")
            .append(name)
            .append(") _ralu_offers='")
            .append(values)
            .append("' ;;\n");
      }
    }
    if (row.letter != 0) {
      if (!plain(std::string_view(&row.letter, 1))) {
        std::fprintf(stderr, "ralu_words: option letter not plain: %c\n", row.letter);
        return 1;
      }
      (row.takes == ralu::Takes::nothing ? plain_letters : valued_letters) += row.letter;
    }
  }
  std::printf("# Made at build time from ralu's table of options.\n");
  std::printf("_ralu_long_options='%s'\n", long_options.c_str());
  std::printf("_ralu_long_valued='%s'\n", long_valued.c_str());
  std::printf("_ralu_plain_letters='%s'\n", plain_letters.c_str());
  std::printf("_ralu_valued_letters='%s'\n", valued_letters.c_str());
  std::printf("# The fixed values of an option, in _ralu_offers; none for most.\n");
  std::printf("_ralu_choices() {\n  case $1 in\n%s    *) _ralu_offers= ;;\n  esac\n}\n",
              choices.c_str());
  return 0;
}

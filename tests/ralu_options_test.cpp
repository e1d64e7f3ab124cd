// ralu's command line read in process: the option table, the spellings that
// mean the same, abbreviations, and the mistakes that only a whole command
// line shows.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ralu/command/options.h"

namespace {

using Arguments = std::vector<std::string>;

ralu::ParsedCommandLine parse(const Arguments& arguments) {
  std::vector<const char*> pointers;
  for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
  return ralu::parse_command_line(pointers);
}

// The options that `arguments` and two names give, without the switches
// (which keep the spelling), or the error as a test failure.
ralu::Options options_of(Arguments arguments) {
  arguments.insert(arguments.end(), {"a", "b"});
  ralu::ParsedCommandLine parsed = parse(arguments);
  EXPECT_EQ(parsed.error, "") << testing::PrintToString(arguments);
  parsed.options.switches.clear();
  return parsed.options;
}

TEST(RaluOptions, EveryRowIsNamedOnceAndPlainly) {
  std::set<std::string_view> long_names;
  std::set<char> letters;
  for (const ralu::OptionRow& row : ralu::option_table()) {
    EXPECT_TRUE(!row.long_name.empty() || row.letter != 0);
    EXPECT_NE(row.apply, nullptr) << row.long_name;
    if (!row.long_name.empty()) {
      EXPECT_TRUE(long_names.insert(row.long_name).second) << row.long_name;
      EXPECT_FALSE(row.long_name.starts_with('-')) << row.long_name;
      EXPECT_EQ(row.long_name.find('='), std::string_view::npos) << row.long_name;
    }
    if (row.letter != 0) {
      EXPECT_TRUE(letters.insert(row.letter).second) << row.letter;
      EXPECT_NE(row.letter, '-');
    }
  }
}

// Each value that completion offers for an option is one the option takes,
// each with its own meaning, and a value that is none of them is refused.
// Only a row that takes a value may have choices.
TEST(RaluOptions, OfferedChoicesAreAccepted) {
  std::size_t rows_with_choices = 0;
  for (const ralu::OptionRow& row : ralu::option_table()) {
    const std::span<const std::string_view> choices = ralu::option_choices(row.long_name);
    if (choices.empty()) continue;
    ++rows_with_choices;
    EXPECT_NE(row.takes, ralu::Takes::nothing) << row.long_name;
    const std::string option = "--" + std::string(row.long_name) + "=";
    // Each parses, and no two set the same.
    std::vector<ralu::Options> chosen;
    for (const std::string_view choice : choices) {
      const ralu::Options options = options_of({option + std::string(choice)});
      for (const ralu::Options& other : chosen) EXPECT_NE(options, other) << option << choice;
      chosen.push_back(options);
    }
    const ralu::ParsedCommandLine refused = parse({option + "no-such-choice", "a", "b"});
    EXPECT_NE(refused.error, "") << option;
  }
  EXPECT_GT(rows_with_choices, 0u);
  EXPECT_TRUE(ralu::option_choices("").empty());
}

// A letter and the long name of its row set the same, in every way of
// giving a value.
TEST(RaluOptions, LettersMeanTheirLongNames) {
  for (const ralu::OptionRow& row : ralu::option_table()) {
    if (row.long_name.empty() || row.letter == 0) continue;
    const std::string long_name = "--" + std::string(row.long_name);
    const std::string letter = std::string("-") + row.letter;
    const bool takes_value = row.takes != ralu::Takes::nothing;
    const ralu::Options by_name = options_of({takes_value ? long_name + "=4" : long_name});
    EXPECT_EQ(options_of({takes_value ? letter + "4" : letter}), by_name) << letter;
    if (takes_value) {
      EXPECT_EQ(options_of({letter, "4"}), by_name) << letter;
    }
    if (row.takes == ralu::Takes::value) {
      EXPECT_EQ(options_of({long_name, "4"}), by_name) << long_name;
    }
  }
}

// No two rows set the same, and only these leave the options as they are
// without any: the default form, and what is accepted and changes nothing.
// (The digits of -NUM are a context length, which -U sets too; they have
// their own test.)
TEST(RaluOptions, RowsSetDifferentThings) {
  const std::set<std::string> as_without_any = {"-u", "--speed-large-files",
                                                "--no-ignore-file-name-case"};
  const ralu::Options without_any = options_of({});
  std::vector<std::pair<std::string, ralu::Options>> seen;
  for (const ralu::OptionRow& row : ralu::option_table()) {
    if (row.letter >= '0' && row.letter <= '9') continue;
    const std::string spelled =
        row.long_name.empty() ? std::string("-") + row.letter : "--" + std::string(row.long_name);
    const std::string value = row.long_name == "color"       ? "always"
                              : row.long_name == "word-diff" ? "porcelain"
                                                             : "4";
    const ralu::Options options =
        options_of({row.takes == ralu::Takes::nothing ? spelled : spelled + "=" + value});
    EXPECT_EQ(options == without_any, as_without_any.contains(spelled)) << spelled;
    for (const auto& [other, other_options] : seen) {
      if (options == without_any) break;
      EXPECT_NE(options, other_options) << spelled << " sets what " << other << " sets";
    }
    seen.emplace_back(spelled, options);
  }
}

TEST(RaluOptions, SpellingsThatMeanTheSame) {
  const std::vector<std::vector<Arguments>> alike = {
      {{"-u"}, {"--unified"}, {"-U3"}, {"--unified=3"}, {"--unif"}, {}},
      {{"-c"}, {"--context"}, {"-C", "3"}, {"--context=+3"}, {"--cont"}},
      {{"-U0"}, {"--unified="}, {"-U", " 0"}},
      {{"-U1", "-U7", "-u"}, {"-U", "7"}, {"-uU7"}},
      {{"-U1", "-u"}, {"-u"}},
      {{"-ubw"}, {"-u", "-b", "-w"}, {"-bwu"}, {"--ignore-space", "--ignore-al"}, {"-bw"}},
      {{"-qr"}, {"-rq"}, {"--br", "--rec"}},
      {{"-e", "--ed"}, {"-e"}},
      {{"-n", "--rcs"}, {"--rc"}},
      {{"--exclude", "p"}, {"-xp"}, {"--exclude=p"}},
      {{"--exclude-", "p"}, {"-X", "p"}},
      {{"--color"}, {"--color=auto"}, {"--col=auto"}},
      {{"--tabsize=4", "--tabsize=4"}, {"--tab", "4"}},
      {{"-W", "40", "--width=+40"}, {"--wid=40"}},
      {{"--ignore-file-name-case", "--no-ignore-file-name-case"}, {}},
      {{"--line-format=%L"},
       {"--old-line-format=%L", "--new-line-format=%L", "--unchanged-line-format=%L"}},
      {{"-DX", "--ifdef=X"}, {"-D", "X"}},
      {{"-f"}, {"--forward-ed"}, {"--forw"}},
      {{"-L", "x"}, {"-Lx"}, {"--label=x"}},
      {{"-v"}, {"--version"}},
      {{"--horizon-lines="}, {"--horizon-lines=0"}},
      {{"--suppress-b"}, {"--suppress-blank-empty"}},
  };
  for (const std::vector<Arguments>& group : alike) {
    const ralu::Options first = options_of(group.front());
    for (const Arguments& arguments : group) {
      EXPECT_EQ(options_of(arguments), first) << testing::PrintToString(arguments);
    }
  }
}

// -NUM: digits in a row, in one argument or several, are one number, which
// is the context of -u, -c and the default form however few lines it asks
// for, and of -U or -C only when it is larger.
TEST(RaluOptions, ContextDigits) {
  struct Case {
    Arguments arguments;
    ralu::OutputForm form;
    std::size_t context;
  };
  using ralu::OutputForm;
  const std::vector<Case> cases = {
      {{"-5"}, OutputForm::unified, 5},
      {{"-0"}, OutputForm::unified, 0},
      {{"-5u"}, OutputForm::unified, 5},
      {{"-u5"}, OutputForm::unified, 5},
      {{"-c5"}, OutputForm::context, 5},
      {{"-5", "-c"}, OutputForm::context, 5},
      {{"-1", "-u"}, OutputForm::unified, 1},
      {{"-u", "-1"}, OutputForm::unified, 1},
      {{"-12"}, OutputForm::unified, 12},
      {{"-1", "-2", "-u"}, OutputForm::unified, 12},
      {{"-2", "-1"}, OutputForm::unified, 21},
      {{"-1", "-u", "-2"}, OutputForm::unified, 2},
      {{"-1b2u"}, OutputForm::unified, 2},
      {{"-u12"}, OutputForm::unified, 12},
      {{"-U0", "-u"}, OutputForm::unified, 3},
      {{"-U0"}, OutputForm::unified, 0},
      {{"-1", "-U0"}, OutputForm::unified, 1},
      {{"-U5", "-1"}, OutputForm::unified, 5},
      {{"-7", "-U5"}, OutputForm::unified, 7},
      {{"-1", "--unified"}, OutputForm::unified, 3},
      {{"-5", "--normal"}, OutputForm::normal, 5},
      {{"-5f"}, OutputForm::forward_ed, 5},
      {{"-99999999999999999999999"}, OutputForm::unified, SIZE_MAX},
  };
  for (const Case& c : cases) {
    const ralu::Options options = options_of(c.arguments);
    EXPECT_EQ(options.form, c.form) << testing::PrintToString(c.arguments);
    EXPECT_EQ(options.context, c.context) << testing::PrintToString(c.arguments);
  }
}

TEST(RaluOptions, MistakesOfOneOrTwoOptions) {
  struct Case {
    Arguments arguments;
    std::string error;
  };
  const std::vector<Case> cases = {
      {{"--exclud"}, "--exclud: ambiguous option (--exclude, --exclude-from)"},
      {{"--no"}, "--no: ambiguous option (--normal, --no-ignore-file-name-case, --no-dereference)"},
      {{"--=x"}, "--: unknown option"},
      {{"-qj"}, "-j: unknown option"},
      {{"--help=yes"}, "--help: takes no value"},
      {{"-u", "-c"}, "conflicting output style options"},
      {{"-y", "--ifdef=X"}, "conflicting output style options"},
      {{"-W", "40", "--width=41"}, "conflicting --width option value '41'"},
      {{"--tabsize=4", "--tabsize=5"}, "conflicting --tabsize option value '5'"},
      {{"-W0"}, "-W: invalid width '0'"},
      {{"--tabsize=x"}, "--tabsize: invalid tabsize 'x'"},
      {{"--horizon-lines=-1"}, "--horizon-lines: invalid horizon length '-1'"},
      {{"-C", "x", "-U1"}, "-C: invalid context length 'x'"},
      {{"--from-file=p", "--from-file=q"}, "conflicting --from-file option value 'q'"},
      {{"--line-format=x", "--new-line-format=y"},
       "conflicting --new-line-format option value 'y'"},
      {{"--old-group-format=g", "-DX"},
       "conflicting -D option value '#ifndef X\n%<#endif /* ! X */\n'"},
      {{"--label=1", "--label=2", "--label=3"}, "--label: given more than twice"},
      {{"--color=yes"}, "--color: invalid choice 'yes' (never, auto, always)"},
      {{"-x"}, "-x: missing value"},
      {{"--sup"}, "--sup: ambiguous option (--suppress-blank-empty, --suppress-common-lines)"},
      {{"-u5c"}, "conflicting output style options"},
      {{"-L"}, "-L: missing value"},
      {{"--palette"}, "--palette: missing value"},
      {{"--exclude"}, "--exclude: missing value"},
  };
  for (const Case& c : cases) {
    Arguments arguments = c.arguments;
    arguments.insert(arguments.end(), {"a", "b"});
    // Where the value or the names would come next, the reader takes them.
    if (c.error.ends_with("missing value")) arguments = c.arguments;
    const ralu::ParsedCommandLine parsed = parse(arguments);
    EXPECT_EQ(parsed.error, c.error) << testing::PrintToString(arguments);
    EXPECT_EQ(parsed.options, ralu::Options());
  }
}

// What the operands lack is told once the options are read, after any
// mistake in them; --help and --version end the reading before.
TEST(RaluOptions, OperandsForTheComparison) {
  struct Case {
    Arguments arguments;
    std::string error;  // empty for a good command line
  };
  const std::vector<Case> cases = {
      {{}, "two files are needed"},
      {{"a"}, "two files are needed"},
      {{"a", "b", "c"}, "two files are needed"},
      {{"-u", "--", "a"}, "two files are needed"},
      {{"-", "-"}, ""},
      {{"a", "--", "-b"}, ""},
      {{"--help"}, ""},
      {{"a", "--vers"}, ""},
      {{"--help", "--bogus", "a"}, ""},
      {{"--bogus", "a"}, "--bogus: unknown option"},
      {{"a", "-U", "x"}, "-U: invalid context length 'x'"},
      {{"--from-file=a", "--to-file=b"}, "--from-file and --to-file both given"},
      {{"--from-file=a", "--to-file=b", "c"}, "--from-file and --to-file both given"},
      {{"--to-file", "b", "--from-f", "a", "c", "d"}, "--from-file and --to-file both given"},
      {{"--from-file=a", "--from-file=a", "b", "c"}, ""},
      {{"--to-file", "b"}, ""},
      {{"--from-file=a", "--to-file=b", "--help"}, ""},
      {{"--from-file=a", "--to-file=b", "--vers", "--bogus"}, ""},
      {{"--from-file=a", "--to-file=b", "--bogus"}, "--bogus: unknown option"},
      {{"--from-file=a", "--to-file=b", "-U", "x"}, "-U: invalid context length 'x'"},
      {{"--from-file=a", "--to-file=b", "-u", "-c"}, "conflicting output style options"},
  };
  for (const Case& c : cases) {
    const ralu::ParsedCommandLine parsed = parse(c.arguments);
    EXPECT_EQ(parsed.error, c.error) << testing::PrintToString(c.arguments);
    if (!c.error.empty()) {
      EXPECT_EQ(parsed.options, ralu::Options());
    }
  }
}

}  // namespace

// The colours of a report, and how a --palette value changes them: a list of
// `key=value` entries split by colons, keys of two letters, values with
// backslash and caret escapes, as terminal colour settings are written.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ralu {

// The escape sequences that colour a report, as GNU diff's default palette
// has them; context lines stay plain. The views are of a ColourScheme's
// strings, or of literals.
struct Palette {
  std::string_view header = "\x1b[1m";
  std::string_view hunk = "\x1b[36m";
  std::string_view deleted = "\x1b[31m";
  std::string_view inserted = "\x1b[32m";
  std::string_view reset = "\x1b[0m";
};

// The codes of each key, before they are put between `start` and `end`.
struct PaletteCodes {
  std::string start = "\x1b[";  // lc
  std::string end = "m";        // rc
  std::string header = "1";     // hd
  std::string hunk = "36";      // ln
  std::string deleted = "31";   // de
  std::string inserted = "32";  // ad
  std::string reset = "0";      // rs
};

// The sequences a palette value settles, owned, with a Palette that views
// them: so a scheme is neither copied nor moved once made.
class ColourScheme {
 public:
  explicit ColourScheme(const PaletteCodes& codes);
  ColourScheme(const ColourScheme&) = delete;
  ColourScheme& operator=(const ColourScheme&) = delete;

  const Palette& palette() const { return palette_; }

 private:
  std::string header_;
  std::string hunk_;
  std::string deleted_;
  std::string inserted_;
  std::string reset_;
  Palette palette_;
};

// What a palette value gives: the codes of each key, or the lines that say
// why it cannot be read (each without the program's name), after which a
// report is written without colour.
struct PaletteReading {
  std::optional<PaletteCodes> codes;
  std::vector<std::string> trouble;
};

PaletteReading read_palette(std::string_view value);

}  // namespace ralu

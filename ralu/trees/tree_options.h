// What the options say about comparing two directories.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ralu {

// A -x pattern, or the name of a -X file of them, with the case rule that
// held where the option stood: --ignore-file-name-case and its undoing
// change the patterns given after them only, as in diff.
struct ExcludeOption {
  std::string text;
  bool fold_case = false;

  bool operator==(const ExcludeOption&) const = default;
};

// How two directories are compared.
struct TreeOptions {
  bool recursive = false;                    // -r: into common subdirectories too
  bool unidirectional_new_file = false;      // an absent first file is empty
  std::vector<ExcludeOption> excludes;       // -x PAT: names left out
  std::vector<ExcludeOption> exclude_files;  // -X FILE: files of such patterns, one a line
  std::optional<std::string> starting_file;  // -S FILE: the top level starts at FILE
  bool ignore_file_name_case = false;        // "Foo" and "foo" are one name
  bool no_dereference = false;               // symbolic links are compared as links

  bool operator==(const TreeOptions&) const = default;
};

}  // namespace ralu

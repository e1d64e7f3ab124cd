// The two names of the command line, looked at once: which of them are
// directories or absent decides whether two trees are compared, and which
// files a pair of names stands for.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "platform/directory.h"
#include "platform/operands.h"
#include "ralu/inputs/inputs.h"

namespace ralu {

struct Operands {
  std::array<std::string, 2> names;
  // What each name is; standard input ("-") is not looked at and is `other`.
  std::array<platform::PathKind, 2> kinds{};
};

bool is_standard_input(const std::string& name);

// Looks at what each name is; under --no-dereference a symbolic link is not
// followed, and so is never a directory.
Operands look_at_operands(const std::array<std::string, 2>& names, bool follow_links = true);

// Whether the two files are one, told by the system's identity of each
// before anything is read: so that one pipe named twice, read once, is not
// read dry for the other name. Absent files and those whose status cannot be
// read are not.
bool name_one_file(const PairFiles& files);

// What each file is, links not followed (standard input as it is); nothing
// for an absent file, with the system's reason in failures.
std::array<std::optional<platform::EntryStatus>, 2> unfollowed_statuses(
    const PairFiles& files, std::array<std::string, 2>& failures);

// Whether the operands call for a comparison of directories: both are
// directories, or one is and the other is absent where an absent file reads
// as empty (-N for either, --unidirectional-new-file for the first). Gives
// which root is absent.
std::optional<std::array<bool, 2>> directory_roots(const Operands& operands, bool new_file,
                                                   bool unidirectional_new_file);

// The files the operands stand for: a directory beside a file stands for the
// file of that name inside it. Under -N an absent file (not both) is read as
// empty, and under --unidirectional-new-file an absent first one. Throws the
// trouble met.
PairFiles files_of(const Operands& operands, bool new_file, bool unidirectional_new_file = false);

}  // namespace ralu

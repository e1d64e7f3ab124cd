// What a run under --stat, --numstat or --shortstat gathers: every pair
// that differs, in the order reported, and the patch that follows the
// summary when one is asked for too. The summary comes first, so nothing
// is written before the last pair is compared.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ralu/formats/stat_table.h"

namespace ralu {

class StatTally {
 public:
  explicit StatTally(bool keeps_patch) : keeps_patch_(keeps_patch) {}

  void add(FileStat file) { files_.push_back(std::move(file)); }
  // The patch's bytes, kept only when the patch is to follow.
  void hold(std::string_view bytes) {
    if (keeps_patch_) patch_ += bytes;
  }

  const std::vector<FileStat>& files() const { return files_; }
  const std::string& patch() const { return patch_; }

 private:
  bool keeps_patch_;
  std::vector<FileStat> files_;
  std::string patch_;
};

}  // namespace ralu

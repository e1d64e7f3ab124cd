#include "platform/staging_name.h"

#include <cstdio>
#include <random>

namespace platform {

std::string staging_file_name() {
  static std::mt19937 random_numbers{std::random_device{}()};
  char name[32];
  std::snprintf(name, sizeof name, "kevo-%08x.tmp", static_cast<unsigned>(random_numbers()));
  return name;
}

}  // namespace platform

// Walking folders: the names a folder holds and what each one is, on files
// made here.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "platform/directory.h"
#include "platform/input_file.h"
#include "tests/support/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using platform::EntryKind;
using test_support::TempDir;
using test_support::write_file;

std::vector<platform::ListedName> sorted_listing(const std::string& path) {
  std::string failure;
  std::optional<std::vector<platform::ListedName>> names =
      platform::directory_names(path.c_str(), failure);
  EXPECT_TRUE(names.has_value()) << failure;
  if (!names) return {};
  std::sort(
      names->begin(), names->end(),
      [](const platform::ListedName& a, const platform::ListedName& b) { return a.name < b.name; });
  return *names;
}

std::vector<std::string> sorted_names(const std::string& path) {
  std::vector<std::string> names;
  for (platform::ListedName& listed : sorted_listing(path)) names.push_back(std::move(listed.name));
  return names;
}

// The kind a listing gives must be the one a status query gives, or
// unknown: a walk that trusted a wrong one would compare a folder as a file.
void expect_listed_kinds_agree(const std::string& folder, bool follow_links) {
  for (const platform::ListedName& listed : sorted_listing(folder)) {
    if (listed.kind == platform::ListedKind::unknown) continue;
    std::string failure;
    const std::string path = folder + "/" + listed.name;
    const auto status = platform::entry_status(path.c_str(), follow_links, failure);
    ASSERT_TRUE(status) << path << ": " << failure;
    const EntryKind expected = listed.kind == platform::ListedKind::regular ? EntryKind::regular
                               : listed.kind == platform::ListedKind::directory
                                   ? EntryKind::directory
                                   : EntryKind::symbolic_link;
    EXPECT_EQ(status->kind, expected) << path;
  }
}

TEST(PlatformDirectory, ListsEveryNameButTheDotsAndTellsFilesFromFolders) {
  TempDir dir;
  write_file(dir.path("plain"), "12345");
  write_file(dir.path("with blank %d"), "");
  std::filesystem::create_directory(dir.root() / "sub");
  std::filesystem::create_directory(dir.root() / "empty");
  EXPECT_EQ(sorted_names(dir.root().string()),
            (std::vector<std::string>{"empty", "plain", "sub", "with blank %d"}));
  EXPECT_TRUE(sorted_names(dir.path("empty")).empty());

  std::string failure;
  const auto plain = platform::entry_status(dir.path("plain").c_str(), true, failure);
  ASSERT_TRUE(plain) << failure;
  EXPECT_EQ(plain->kind, EntryKind::regular);
  EXPECT_EQ(plain->size, 5U);
  const auto sub = platform::entry_status(dir.path("sub").c_str(), false, failure);
  ASSERT_TRUE(sub) << failure;
  EXPECT_EQ(sub->kind, EntryKind::directory);
  // Two names of one folder are one file: what tells a loop.
  const auto sub_again = platform::entry_status(dir.path("sub/.").c_str(), true, failure);
  ASSERT_TRUE(sub_again) << failure;
  EXPECT_TRUE(sub->same_file(*sub_again));
  EXPECT_FALSE(sub->same_file(*plain));
}

// A file opened with the status its walk read is read as that status has
// it: the size and the time come from the walk, not from a second query.
TEST(PlatformDirectory, AFileOpenedWithItsStatusTakesSizeAndTimeFromIt) {
  TempDir dir;
  write_file(dir.path("plain"), "12345\n");
  std::string failure;
  const auto status = platform::entry_status(dir.path("plain").c_str(), true, failure);
  ASSERT_TRUE(status) << failure;
  const auto asked = platform::InputFile::open(dir.path("plain").c_str(), failure);
  const auto known = platform::InputFile::open_known(dir.path("plain").c_str(), *status, failure);
  ASSERT_TRUE(asked && known) << failure;
  EXPECT_TRUE(known->is_regular());
  EXPECT_EQ(known->size(), 6U);
  const platform::LocalTime a = asked->modified();
  const platform::LocalTime b = known->modified();
  EXPECT_EQ(std::tie(a.year, a.month, a.day, a.hour, a.minute, a.second, a.nanosecond,
                     a.utc_offset_minutes),
            std::tie(b.year, b.month, b.day, b.hour, b.minute, b.second, b.nanosecond,
                     b.utc_offset_minutes));
  char bytes[8] = {};
  EXPECT_EQ(known->read_at(0, std::span(bytes, sizeof bytes), failure), 6);
  EXPECT_EQ(std::string(bytes, 6), "12345\n");
  EXPECT_FALSE(platform::InputFile::open_known(dir.path("absent").c_str(), *status, failure));
  EXPECT_FALSE(failure.empty());
}

// Where the system's listing tells kinds (as Linux's and Windows' do), a
// plain file and a folder are told without a status query; what a listing
// does not know is unknown, never a guess.
TEST(PlatformDirectory, TheListingTellsFilesAndFoldersItKnows) {
  TempDir dir;
  write_file(dir.path("plain"), "12345");
  std::filesystem::create_directory(dir.root() / "sub");
  const std::vector<platform::ListedName> listed = sorted_listing(dir.root().string());
  ASSERT_EQ(listed.size(), 2U);
  EXPECT_EQ(listed[0].name, "plain");
  EXPECT_EQ(listed[1].name, "sub");
  // Both kinds known, or both not: a system that keeps no kinds keeps none.
  if (listed[0].kind != platform::ListedKind::unknown) {
    EXPECT_EQ(listed[0].kind, platform::ListedKind::regular);
    EXPECT_EQ(listed[1].kind, platform::ListedKind::directory);
  } else {
    EXPECT_EQ(listed[1].kind, platform::ListedKind::unknown);
  }
  expect_listed_kinds_agree(dir.root().string(), false);
}

TEST(PlatformDirectory, WhatIsNotThereSaysWhy) {
  TempDir dir;
  std::string failure;
  EXPECT_FALSE(platform::entry_status(dir.path("absent").c_str(), true, failure));
  EXPECT_FALSE(failure.empty());
  failure.clear();
  EXPECT_FALSE(platform::directory_names(dir.path("absent").c_str(), failure));
  EXPECT_FALSE(failure.empty());
  write_file(dir.path("file"), "x");
  failure.clear();
  EXPECT_FALSE(platform::directory_names(dir.path("file").c_str(), failure));
  EXPECT_FALSE(failure.empty());
}

#ifndef _WIN32
TEST(PlatformDirectory, LinksAreFollowedOrSeenAsLinks) {
  TempDir dir;
  write_file(dir.path("target"), "abc");
  ASSERT_EQ(::symlink("target", dir.path("link").c_str()), 0);
  ASSERT_EQ(::symlink("nowhere", dir.path("dangling").c_str()), 0);
  ASSERT_EQ(::mkfifo(dir.path("fifo").c_str(), 0600), 0);
  std::string failure;
  EXPECT_EQ(platform::entry_status(dir.path("link").c_str(), true, failure)->kind,
            EntryKind::regular);
  EXPECT_EQ(platform::entry_status(dir.path("link").c_str(), false, failure)->kind,
            EntryKind::symbolic_link);
  EXPECT_EQ(platform::entry_status(dir.path("dangling").c_str(), false, failure)->kind,
            EntryKind::symbolic_link);
  EXPECT_FALSE(platform::entry_status(dir.path("dangling").c_str(), true, failure));
  EXPECT_EQ(platform::entry_status(dir.path("fifo").c_str(), true, failure)->kind, EntryKind::fifo);
  EXPECT_EQ(platform::entry_status("/dev/null", true, failure)->kind, EntryKind::character_device);
  // A link is listed as a link, whatever it leads to, and a pipe as
  // something to be asked about.
  for (const platform::ListedName& listed : sorted_listing(dir.root().string())) {
    if (listed.kind == platform::ListedKind::unknown) continue;
    if (listed.name == "link" || listed.name == "dangling") {
      EXPECT_EQ(listed.kind, platform::ListedKind::symbolic_link) << listed.name;
    }
    EXPECT_NE(listed.name, "fifo");
  }
  expect_listed_kinds_agree(dir.root().string(), false);
}
#endif

}  // namespace

// What the work directory holds, as the front-end sees it: start-up removes the leftover
// temporaries of an earlier copy, but only once it holds the directory's lock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/testing/module1_test_support.h"

namespace dalvo {
namespace {

const std::string kWorkPath = "/tmp/dalvo work dir";

TEST(WorkDirListing, StartUpRemovesLeftoverTemporariesOnlyOnceTheDirectoryIsLocked) {
  const std::vector<std::string> leftovers = {".dalvo-x7Qz09", ".latest_division_report.tmp.AbC123.part",
                                              ".custom_number.tmp.part"};
  const std::vector<std::string> kept = {".dalvo-short", ".profile", "..part", "number1.txt"};
  for (const WorkDirLock lock : {WorkDirLock::kBusy, WorkDirLock::kLocked}) {
    Module1Rig rig;
    rig.platform_.entries_[kWorkPath] = {EntryKind::kDirectory, true, 0700};
    for (const auto& name : leftovers) rig.Put(name, "left");
    for (const auto& name : kept) rig.Put(name, "kept");
    rig.platform_.lock_answer_ = lock;
    const StartupResult result = rig.module_.Form_Load();
    EXPECT_EQ(result.ok, lock == WorkDirLock::kLocked) << result.message;
    for (const auto& name : leftovers) {
      EXPECT_EQ(rig.Has(name), lock == WorkDirLock::kBusy) << name;
    }
    for (const auto& name : kept) EXPECT_TRUE(rig.Has(name)) << name;
  }
}

}  // namespace
}  // namespace dalvo

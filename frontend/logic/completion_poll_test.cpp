// The completion marker's check: a marker (in any case) is consumed and stays seen while it is
// absent; one that cannot be deleted, or a listing that fails, never counts as seen.
#include <gtest/gtest.h>

#include "frontend/testing/module1_test_support.h"

namespace dalvo {
namespace {

using CompletionPoll = Module1Test;

// The marker as the engine names it, and in other case: either counts as the marker.
class MarkerInAnyCase : public StartedModule1Test,
                        public ::testing::WithParamInterface<const char*> {};

TEST_P(MarkerInAnyCase, IsDeletedAndStaysSeenWhileAbsent) {
  Put(GetParam());
  module_.CheckCompletionMarker();
  EXPECT_FALSE(Has(GetParam()));
  EXPECT_TRUE(module_.MarkerSeen());
  module_.CheckCompletionMarker();
  EXPECT_TRUE(module_.MarkerSeen());
}

INSTANTIATE_TEST_SUITE_P(CompletionPoll, MarkerInAnyCase,
                         ::testing::Values("dalvoopc.tmp", "DALVOOPC.TMP"));

TEST_F(CompletionPoll, MarkerThatCannotBeDeletedIsNeverSeen) {
  Load();
  Put("dalvoopc.tmp");
  platform_.undeletable_.insert(std::string(kWork) + "dalvoopc.tmp");
  for (int i = 0; i < 3; ++i) {
    module_.CheckCompletionMarker();
    EXPECT_FALSE(module_.MarkerSeen()) << "call " << i;
  }
  EXPECT_TRUE(Has("dalvoopc.tmp"));
  EXPECT_EQ(view_.beeps_, 0);
  platform_.undeletable_.clear();
  module_.CheckCompletionMarker();
  EXPECT_TRUE(module_.MarkerSeen());
}

TEST_F(CompletionPoll, FailedListingLeavesMarkerSeenAsItWas) {
  Load();
  Put("dalvoopc.tmp");
  platform_.FailNext(FakePlatform::Op::kFirstMatch, "dalvoopc.tmp");
  module_.CheckCompletionMarker();
  EXPECT_FALSE(module_.MarkerSeen());
  EXPECT_TRUE(Has("dalvoopc.tmp"));
  module_.CheckCompletionMarker();
  EXPECT_TRUE(module_.MarkerSeen());
}

}  // namespace
}  // namespace dalvo

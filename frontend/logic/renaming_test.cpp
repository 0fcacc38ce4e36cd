#include <gtest/gtest.h>

#include <map>

#include "frontend/testing/module1_test_support.h"
#include "frontend/testing/publication_test_table.h"

namespace dalvo {
namespace {


class Renaming : public StartedModule1Test {
 protected:
  // Writes the 22 files with contents that tell the run and the source apart.
  void Generate(const std::string& run) {
    for (const auto& [source, target] : kPublication) Put(source, run + ":" + source);
  }
  std::vector<std::string> Files() const { return platform_.FilesIn(kWork); }
  // A new generation whose engine leaves two files that take the same publication name.
  void StartCollidingGeneration() {
    module_.Command1_Click();
    Put("number5.txt", "five");
    Put("numberx5.txt", "x-five");
  }
};

TEST_F(Renaming, GivesEveryGeneratedFileItsPublicationName) {
  Generate("first");
  Put("latest_division_report.tmp", "r");
  Put("custom_number.tmp", "c");
  ASSERT_EQ(module_.RenameGeneratedFiles(), RenameOutcome::kDone);
  EXPECT_TRUE(module_.RenameDone());
  for (const auto& [source, target] : kPublication) {
    ASSERT_TRUE(Has(target)) << source;
    EXPECT_EQ(Content(target), "first:" + source) << source;
  }
  EXPECT_EQ(Files().size(), kPublication.size() + 2);
  EXPECT_EQ(Content("latest_division_report.tmp"), "r");
  EXPECT_EQ(Content("custom_number.tmp"), "c");
}

TEST_F(Renaming, SecondGenerationReplacesTheFirstCompletely) {
  Generate("first");
  ASSERT_EQ(module_.RenameGeneratedFiles(), RenameOutcome::kDone);
  Put("Old_APPENDIX_notes.doc", "x");
  Put("my-KELVA.txt", "y");
  module_.Command1_Click();  // a new generation: the deletion group runs again
  Generate("second");
  ASSERT_EQ(module_.RenameGeneratedFiles(), RenameOutcome::kDone);
  for (const auto& [source, target] : kPublication) {
    ASSERT_TRUE(Has(target)) << source;
    EXPECT_EQ(Content(target), "second:" + source) << source;
  }
  EXPECT_FALSE(Has("Old_APPENDIX_notes.doc"));
  EXPECT_FALSE(Has("my-KELVA.txt"));
  EXPECT_EQ(Files().size(), kPublication.size());
}

TEST_F(Renaming, OddSourceNames) {
  const struct {
    const char* source;
    const char* target;
  } cases[] = {
      {"number123.txt", "appendix_1_number_23.txt"},
      {"number.txt", "appendix_1_number_r.txt"},
      {"NUMBER3.TXT", "appendix_1_number_3.TXT"},
      {"AP24-70.TXT", "appendix_24_proof_70.TXT"},
      {"N13038D.TXT", "kelvatrons_perspective_nov_1989_nr_1.txt"},
  };
  for (const auto& c : cases) {
    Module1Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Load());
    rig.Put(c.source, "x");
    EXPECT_EQ(rig.module_.RenameGeneratedFiles(), RenameOutcome::kDone) << c.source;
    EXPECT_EQ(rig.platform_.FilesIn(kWork), std::vector<std::string>{c.target}) << c.source;
  }
}

TEST_F(Renaming, OnlyOneFixedNameFilePresent) {
  Put("n13038d.txt");
  EXPECT_EQ(module_.RenameGeneratedFiles(), RenameOutcome::kDone);
  EXPECT_EQ(Files(), std::vector<std::string>{"kelvatrons_perspective_nov_1989_nr_1.txt"});
}

TEST_F(Renaming, EmptyWorkDirIsDone) {
  EXPECT_EQ(module_.RenameGeneratedFiles(), RenameOutcome::kDone);
  EXPECT_TRUE(module_.RenameDone());
  EXPECT_TRUE(platform_.renamed_.empty());
  EXPECT_TRUE(platform_.deleted_.empty());
}

TEST_F(Renaming, OneFailureRestartsTheGroupAndTheCallSucceeds) {
  for (FakePlatform::Op op : {FakePlatform::Op::kRename, FakePlatform::Op::kFirstMatch,
                              FakePlatform::Op::kDeleteMatching}) {
    Module1Rig rig;
    ASSERT_NO_FATAL_FAILURE(rig.Load());
    rig.Put("appendix_1_number_9.txt", "old");
    rig.Put("number2.txt", "new");
    rig.platform_.FailNext(op, "", 1);
    EXPECT_EQ(rig.module_.RenameGeneratedFiles(), RenameOutcome::kDone) << static_cast<int>(op);
    EXPECT_EQ(rig.platform_.FilesIn(kWork), std::vector<std::string>{"appendix_1_number_2.txt"})
        << static_cast<int>(op);
  }
}

TEST_F(Renaming, SecondFailureAbandonsTheCall) {
  Put("number2.txt");
  platform_.FailNext(FakePlatform::Op::kRename, "", 2);
  EXPECT_EQ(module_.RenameGeneratedFiles(), RenameOutcome::kAbandoned);
  EXPECT_FALSE(module_.RenameDone());
  EXPECT_TRUE(Has("number2.txt"));
}

TEST_F(Renaming, RetryKeepsFilesAlreadyRenamedInThisRun) {
  module_.Command1_Click();
  Put("number1.txt", "fresh1");
  Put("number3.txt", "fresh3");
  platform_.FailNext(FakePlatform::Op::kRename, "number3", 2);
  ASSERT_EQ(module_.RenameGeneratedFiles(), RenameOutcome::kAbandoned);
  ASSERT_TRUE(Has("appendix_1_number_1.txt"));
  // The retry resumes with the renaming: the fresh file is not taken for an earlier run's.
  EXPECT_EQ(module_.RenameGeneratedFiles(), RenameOutcome::kDone);
  EXPECT_EQ(Content("appendix_1_number_1.txt"), "fresh1");
  EXPECT_EQ(Content("appendix_1_number_3.txt"), "fresh3");
}

TEST_F(Renaming, CollisionIsAbandonedWithoutLosingTheFirstFile) {
  StartCollidingGeneration();
  EXPECT_EQ(module_.RenameGeneratedFiles(), RenameOutcome::kAbandoned);
  EXPECT_EQ(module_.RenameGeneratedFiles(), RenameOutcome::kAbandoned);
  EXPECT_EQ(Content("appendix_1_number_5.txt"), "five");
  EXPECT_EQ(Content("numberx5.txt"), "x-five");
}

TEST_F(Renaming, CollisionEndsTheRunAfterTwentyTicks) {
  StartCollidingGeneration();
  EngineFinishes();
  module_.Timer1_Timer();
  EXPECT_EQ(view_.Status(), "Number generation complete!");
  EXPECT_EQ(view_.Buttons(), "0000000");
  const int more_ticks = TickUntilIdle();
  // Twenty ticks in all abandon the renaming: the one above and nineteen more.
  EXPECT_EQ(more_ticks, 19);
  EXPECT_EQ(view_.Status(), "Number generation complete! Some files could not be renamed.");
  EXPECT_EQ(view_.beeps_, 0);
  EXPECT_EQ(view_.Buttons(), "1011011");
  EXPECT_EQ(Content("appendix_1_number_5.txt"), "five");
  EXPECT_FALSE(module_.RunActive());
}

TEST_F(Renaming, UndeletableOldFileMovesNothing) {
  module_.Command1_Click();
  Put("appendix_1_number_1.txt", "old");
  platform_.undeletable_.insert(std::string(kWork) + "appendix_1_number_1.txt");
  Put("number2.txt", "new");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(module_.RenameGeneratedFiles(), RenameOutcome::kAbandoned) << "call " << i;
  }
  EXPECT_TRUE(Has("number2.txt"));
  EXPECT_TRUE(platform_.renamed_.empty());
  platform_.undeletable_.clear();
  EXPECT_EQ(module_.RenameGeneratedFiles(), RenameOutcome::kDone);
  EXPECT_EQ(Files(), std::vector<std::string>{"appendix_1_number_2.txt"});
}

}  // namespace
}  // namespace dalvo

// The run's scratch files, the input file and the listing, which hold the
// whole model: in a folder others may write into, what another user put at
// their names takes nothing of it, and the run says in its error box what
// stands there, the model as it was; a run after a run still works.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "analysis/SolverInputFile.h"
#include "platform/Descriptor.h"
#include "tests/analysis/ValidationModels.h"
#include "tests/platform/FileTestSupport.h"

namespace {

namespace fs = std::filesystem;
using analysis::RunOutcome;

// A 4 x 4 plate ready to run, with results marked that a run would overwrite.
struct Model {
  Model() {
    validation::BuildSquarePlate(mesh, 4, validation::Edges::SimplySupported, validation::Loading::Compression);
    analysis.EigenValue = 123.0f;
    for (model::Nodeb& n : mesh.Nodes()) {
      n.set_zcoord(7.0f);
      n.set_Sx(5.0f);
      n.set_InPDispX(3.0f);
    }
  }
  // "" while the marked results are as they were, else the first that is not.
  std::string Changed() const {
    if (analysis.EigenValue != 123.0f) return "the eigenvalue";
    for (const model::Nodeb& n : mesh.Nodes())
      if (n.zcoord() != 7.0f || n.Sx() != 5.0f || n.InPDispX() != 3.0f)
        return "the results of node " + std::to_string(n.ID());
    return "";
  }
  model::Mesh mesh;
  model::Analysis analysis;
  model::Material material;
};

struct stat LstatOf(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st;
}

}  // namespace

// In a folder a team shares, a second member plants the input file's name as
// a link to the user's private file, then the listing's as a file of that
// member's that anyone may write: the run refuses each, naming the file and
// what to do, writes nothing through them and stores no result.
TEST(ScratchFiles, WhatAnotherUserPutsAtTheirNamesTakesNothingOfTheModel) {
  velk_test::ScratchFolder scratch;
  const velk_test::TeamFolder team(scratch.path());
  if (team.path.empty()) GTEST_SKIP() << "only root can run a second user";
  const fs::path secret = scratch.path() / "own" / "notes.txt";
  ASSERT_TRUE(velk_test::MakePlainUsersPrivateFile(secret, "the user's own notes\r\n"));
  const fs::path input = analysis::TempInputFile(team.path), listing = analysis::TempOutputFile(team.path);
  Model model;

  ASSERT_EQ(velk_test::Child([&] { return ::symlink(secret.c_str(), input.c_str()) == 0 ? "" : "no link"; }, team.spy)
                .Result(),
            "");
  const std::string refused = velk_test::Child(
                                  [&] {
                                    std::string why;
                                    const short made = analysis::Create_Input_File(model.mesh, model.analysis,
                                                                                   model.material, team.path, why);
                                    return std::to_string(made) + " " + why;
                                  },
                                  team.saver)
                                  .Result();
  EXPECT_EQ(refused.substr(0, 2), "0 ") << refused;
  EXPECT_NE(refused.find(input.string() + " is a symbolic link to " + secret.string()), std::string::npos) << refused;
  EXPECT_NE(refused.find("remove the link"), std::string::npos) << refused;
  EXPECT_NE(refused.find("run again."), std::string::npos) << refused;
  EXPECT_EQ(velk_test::ReadBytes(secret), "the user's own notes\r\n");
  EXPECT_TRUE(fs::is_symlink(input));

  fs::remove(input);
  ASSERT_EQ(velk_test::Child(
                [&] {
                  ::umask(0);
                  const platform::Descriptor fd(::open(listing.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666));
                  return fd.valid() ? "" : "no file";
                },
                team.spy)
                .Result(),
            "");
  const std::string ran = velk_test::Child(
                              [&] {
                                std::string why;
                                if (analysis::Create_Input_File(model.mesh, model.analysis, model.material, team.path,
                                                                why) != 1)
                                  return "no input file: " + why;
                                runtest::ScriptedRunUi ui;
                                const analysis::RunResult r =
                                    analysis::Run_Calculation(model.mesh, model.analysis, team.path, ui);
                                std::string said = r.outcome == RunOutcome::Error ? "error" : "not refused";
                                for (const std::string& m : ui.messages) said += " | " + m;
                                for (const std::string& d : ui.details) said += " | " + d;
                                return said + " | stored " + std::to_string(ui.resultsStored) + " | " +
                                       model.Changed();
                              },
                              team.saver)
                              .Result();
  EXPECT_EQ(ran.rfind("error | Error! | " + listing.string() + " is a file of another user (user 65533)", 0), 0u)
      << ran;
  EXPECT_NE(ran.find("run again. | stored 0 | "), std::string::npos) << ran;
  EXPECT_EQ(ran.substr(ran.size() - 3), " | ") << "the marked results are untouched: " << ran;
  const struct stat spys = LstatOf(listing);
  EXPECT_EQ(spys.st_size, 0);
  EXPECT_EQ(spys.st_uid, velk_test::TeamFolder::kOther);
  const struct stat made = LstatOf(input);
  EXPECT_EQ(made.st_uid, velk_test::PlainUid());
  EXPECT_EQ(made.st_mode & 07777, 0600u);
}

// A run after a run makes both files anew and gives the same result, in a
// folder anyone may write into (sticky, as the temporary folder is) and in a
// folder of the user's alone.
TEST(ScratchFiles, ARunAfterARunWorksInASharedAndInAPrivateFolder) {
  velk_test::ScratchFolder scratch;
  fs::permissions(scratch.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  const fs::path sticky = scratch.path() / "sticky", mine = scratch.path() / "mine";
  fs::create_directory(sticky);
  fs::create_directory(mine);
  ASSERT_EQ(::chmod(sticky.c_str(), 01777), 0);
  ASSERT_EQ(::chown(mine.c_str(), velk_test::PlainUid(), velk_test::PlainGid()), 0);
  ASSERT_EQ(::chmod(mine.c_str(), 0700), 0);
  for (const fs::path& folder : {sticky, mine}) {
    const std::string said = velk_test::AsPlainUser([&] {
      std::string said;
      double first = 0;
      for (int run = 1; run <= 2; ++run) {
        Model model;
        runtest::ScriptedRunUi ui;
        const analysis::RunResult r = runtest::RunModel(model.mesh, model.analysis, model.material, folder, ui);
        if (r.outcome != RunOutcome::Completed) said += "run " + std::to_string(run) + " did not complete; ";
        if (run == 1) first = r.eigenvalue;
        if (run == 2 && r.eigenvalue != first) said += "another eigenvalue; ";
        for (const fs::path& file : {analysis::TempInputFile(folder), analysis::TempOutputFile(folder)})
          if ((LstatOf(file).st_mode & 07777) != 0600) said += file.filename().string() + " open to others; ";
      }
      return said;
    });
    EXPECT_EQ(said, "") << folder;
  }
}

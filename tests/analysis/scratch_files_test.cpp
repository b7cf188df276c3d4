// The run's scratch files, the input file and the listing, which hold the
// whole model: in a folder others may write into, what another user put at
// their names takes nothing of it, and the run says in its error box what
// stands there, the model as it was; a run after a run still works; runs of
// two copies of the program in one folder take turns, each computing from
// its own model; and a run never reads an input file it did not write.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <utility>

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

// A plate of thickness `t`: its buckling load grows with t cubed.
struct PlateOf {
  explicit PlateOf(double t) {
    validation::BuildSquarePlate(mesh, 8, validation::Edges::SimplySupported, validation::Loading::Compression);
    for (model::fourNode& p : mesh.fourNodes()) p.set_Thickness(static_cast<float>(t));
  }
  model::Mesh mesh;
  model::Analysis analysis;
  model::Material material;
};

// Writes one byte into a pipe's end, or waits for one from it; false when
// the other end is gone.
bool Signal(int fd) { return ::write(fd, "x", 1) == 1; }
bool AwaitSignal(int fd) {
  char c = 0;
  return ::read(fd, &c, 1) == 1;
}

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
                                    const short made = runtest::WriteInputFile(model.mesh, model.analysis,
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
                                analysis::RunFiles files(team.path);
                                if (analysis::Create_Input_File(model.mesh, model.analysis, model.material, files,
                                                                why) != 1)
                                  return "no input file: " + why;
                                runtest::ScriptedRunUi ui;
                                const analysis::RunResult r =
                                    analysis::Run_Calculation(model.mesh, model.analysis, files, ui);
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

// Two copies of the program, two processes sharing one program folder, run
// different models over and over, each run overlapping the other's: every
// run computes from the model it was started on and stores that model's
// eigenvalue; a run that finds the other's under way waits for it and says
// so; and the listing left at its name is a whole one.
TEST(ScratchFiles, RunsOfTwoCopiesInOneFolderTakeTurnsEachFromItsOwnModel) {
  velk_test::ScratchFolder folder;
  constexpr int kRuns = 12;
  double alone[2] = {0, 0};
  for (int m = 0; m < 2; ++m) {
    velk_test::ScratchFolder own;
    PlateOf plate(m + 1.0);
    runtest::ScriptedRunUi ui;
    const analysis::RunResult r = runtest::RunModel(plate.mesh, plate.analysis, plate.material, own.path(), ui);
    ASSERT_EQ(r.outcome, RunOutcome::Completed);
    alone[m] = r.eigenvalue;
  }
  ASSERT_NEAR(alone[1] / alone[0], 8.0, 0.01);

  // Each copy runs as the user presses Run: waits its turn, writes its
  // input file, runs. A yield lets a moment pass, so that the runs overlap
  // as the windows' runs do; and the first copy holds its first run at a
  // yield until the second says it waits, so that the second waits at least
  // once, however busy the machine.
  struct CopyUi : runtest::ScriptedRunUi {
    int* tellWaiting = nullptr;  // a pipe's end to signal the first wait on, once
    int* holdUntilTold = nullptr;  // a pipe's end to await in the first run, once
    void Progress(const std::string& text) override {
      ScriptedRunUi::Progress(text);
      if (*tellWaiting >= 0 && text.rfind("Waiting for another run in ", 0) == 0)
        Signal(std::exchange(*tellWaiting, -1));
    }
    void Yield() override {
      ScriptedRunUi::Yield();
      if (*holdUntilTold >= 0 && progress.back() == "Creating Stiffness Matrix...") {
        pollfd told{std::exchange(*holdUntilTold, -1), POLLIN, 0};
        if (::poll(&told, 1, 20000) == 1) AwaitSignal(told.fd);
      }
      std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
  };
  int go[2], waiting[2];
  ASSERT_EQ(::pipe(go), 0);
  ASSERT_EQ(::pipe(waiting), 0);
  auto copy = [&](int m) {
    return [&, m] {
      if (!AwaitSignal(go[0])) return std::string("no start");
      int tell = m == 1 ? waiting[1] : -1, hold = m == 0 ? waiting[0] : -1;
      std::string said;
      int waited = 0;
      for (int k = 1; k <= kRuns; ++k) {
        PlateOf plate(m + 1.0);
        CopyUi ui;
        ui.tellWaiting = &tell;
        ui.holdUntilTold = &hold;
        analysis::RunFiles files(folder.path());
        std::string why;
        if (!files.TakeTurn(ui) || analysis::Create_Input_File(plate.mesh, plate.analysis, plate.material, files,
                                                               why) != 1) {
          said += "run " + std::to_string(k) + " did not start: " + why + "; ";
          continue;
        }
        const analysis::RunResult r = analysis::Run_Calculation(plate.mesh, plate.analysis, files, ui);
        if (r.outcome != RunOutcome::Completed || r.eigenvalue != alone[m] ||
            plate.analysis.EigenValue != static_cast<float>(alone[m]))
          said += "run " + std::to_string(k) + " stored " + std::to_string(plate.analysis.EigenValue) + "; ";
        if (ui.progress.front().rfind("Waiting for another run in " + folder.path().string(), 0) == 0) ++waited;
        // The user reads the box and presses Run again, and the other copy's
        // wait, which looks every 20 ms, finds the folder free meanwhile.
        std::this_thread::sleep_for(std::chrono::milliseconds(m == 1 ? 100 : 5));
      }
      return said + "waited " + std::to_string(std::min(waited, 1)) + " or more";
    };
  };
  std::optional<velk_test::Child> first, second;
  first.emplace(copy(0), std::nullopt);
  second.emplace(copy(1), std::nullopt);
  ASSERT_TRUE(Signal(go[1]) && Signal(go[1]));
  const std::string saidFirst = first->Result(), saidSecond = second->Result();
  for (int fd : {go[0], go[1], waiting[0], waiting[1]}) ::close(fd);
  EXPECT_EQ(saidFirst.rfind("waited ", 0), 0u) << saidFirst;
  EXPECT_EQ(saidSecond, "waited 1 or more");
  const std::string listing = velk_test::ReadBytes(analysis::TempOutputFile(folder.path()));
  EXPECT_EQ(listing.rfind("[Output Starts]\r\n", 0), 0u);
  EXPECT_EQ(listing.substr(listing.size() - 15), "[Output Ends]\r\n");
}

// In a folder a second user may write (a team's, without the sticky bit),
// that user renames an input file of their own, the same model with twice
// the elastic modulus, over the one a run has just written: the run reads
// no file it did not write. It refuses, saying what happened, and the model
// keeps the results it held.
TEST(ScratchFiles, ARunReadsBackOnlyTheInputFileItWrote) {
  velk_test::ScratchFolder scratch;
  const velk_test::TeamFolder team(scratch.path());
  if (team.path.empty()) GTEST_SKIP() << "only root can run a second user";
  const fs::path input = analysis::TempInputFile(team.path);
  std::string stiffer;
  {
    velk_test::ScratchFolder elsewhere;
    Model spys;
    spys.material.set_MOE(2 * spys.material.MOE());
    ASSERT_EQ(runtest::WriteInputFile(spys.mesh, spys.analysis, spys.material, elsewhere.path()), 1);
    stiffer = velk_test::ReadBytes(analysis::TempInputFile(elsewhere.path()));
  }
  int written[2], swapped[2];
  ASSERT_EQ(::pipe(written), 0);
  ASSERT_EQ(::pipe(swapped), 0);
  Model model;
  velk_test::Child saver(
      [&] {
        analysis::RunFiles files(team.path);
        std::string why;
        if (analysis::Create_Input_File(model.mesh, model.analysis, model.material, files, why) != 1)
          return "no input file: " + why;
        if (!Signal(written[1]) || !AwaitSignal(swapped[0])) return std::string("no swap");
        runtest::ScriptedRunUi ui;
        const analysis::RunResult r = analysis::Run_Calculation(model.mesh, model.analysis, files, ui);
        std::string said = r.outcome == RunOutcome::Error ? "error" : "not refused";
        for (const std::string& d : ui.details) said += " | " + d;
        return said + " | stored " + std::to_string(ui.stressesStored + ui.resultsStored) + " | " + model.Changed();
      },
      team.saver);
  ::close(written[1]);
  ::close(swapped[0]);
  ASSERT_TRUE(AwaitSignal(written[0])) << saver.Result();
  EXPECT_EQ(velk_test::Child(
                [&] {
                  const fs::path own = team.path / "spys.vlk";
                  velk_test::WriteBytes(own, stiffer);
                  return ::rename(own.c_str(), input.c_str()) == 0 ? "" : "no rename";
                },
                team.spy)
                .Result(),
            "");
  ASSERT_TRUE(Signal(swapped[1]));
  const std::string said = saver.Result();
  ::close(written[0]);
  ::close(swapped[1]);
  EXPECT_EQ(said.rfind("error | " + input.string() + " is no longer the file this program wrote there: another "
                           "program, or another user who may write into the folder " + team.path.string() +
                           ", removed or replaced it meanwhile",
                       0),
            0u)
      << said;
  EXPECT_NE(said.find("see who else writes into " + team.path.string() + ". Then run again. | stored 0 | "),
            std::string::npos)
      << said;
  EXPECT_EQ(said.substr(said.size() - 3), " | ") << "the marked results are untouched: " << said;
  EXPECT_EQ(velk_test::ReadBytes(input), stiffer) << "the other user's file is left as it stands";
}

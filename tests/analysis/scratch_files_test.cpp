// The run's scratch files, the input file and the listing, which hold the
// whole model: in a folder others may write into, what another user put at
// their names takes nothing of it, and the run says in its error box what
// stands there, the model as it was; a run after a run still works; runs of
// two copies of the program in one folder take turns, each computing from
// its own model; and a run never reads an input file it did not write.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

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

// The turn is a lock on a file of the folder, not on the folder itself: runs
// take turns in a folder the user may write but not read (0333), where no
// folder can be opened to lock it.
TEST(ScratchFiles, RunsTakeTurnsInAFolderTheUserMayWriteButNotRead) {
  velk_test::ScratchFolder scratch;
  fs::permissions(scratch.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  const fs::path folder = scratch.path() / "drop";
  fs::create_directory(folder);
  if (::geteuid() == 0) ASSERT_EQ(::chown(folder.c_str(), velk_test::PlainUid(), velk_test::PlainGid()), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0333), 0);
  const std::string said = velk_test::AsPlainUser([&] {
    std::string said;
    analysis::RunFiles first(folder), second(folder);
    if (!first.TryTakeTurn()) said += "the first run found the folder held; ";
    if (second.TryTakeTurn()) said += "the second run went on beside the first; ";
    first.EndTurn();
    if (!second.TryTakeTurn()) said += "the second run still waits once the first has ended; ";
    second.EndTurn();
    Model model;
    runtest::ScriptedRunUi ui;
    if (runtest::RunModel(model.mesh, model.analysis, model.material, folder, ui).outcome != RunOutcome::Completed)
      said += "no run completes there; ";
    return said;
  });
  EXPECT_EQ(said, "");
  ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
  const struct stat turn = LstatOf(folder / "velkturn.lock");
  EXPECT_EQ(turn.st_mode & 07777, 0600u);
  EXPECT_EQ(turn.st_uid, velk_test::PlainUid());
}

// On a disk that locks no files (flock failing, as on a network disk without
// its lock service) runs cannot take turns and go on side by side; when a
// run of a second window then makes the input file anew before the first
// has read it back, the first refuses, naming that window as the likely
// cause and the disk's missing locks, not another program or user. The
// second run completes.
TEST(ScratchFiles, WhereTheDiskLocksNoFilesARefusalNamesTheOtherWindow) {
  velk_test::ScratchFolder folder;
  const std::string said = velk_test::Child(
                               [&] {
                                 if (!velk_test::LockNoFiles()) return std::string("skip");
                                 Model mine;
                                 PlateOf other(2.0);
                                 analysis::RunFiles a(folder.path()), b(folder.path());
                                 std::string why;
                                 if (!a.TryTakeTurn() || !b.TryTakeTurn()) return std::string("a run waited");
                                 if (analysis::Create_Input_File(mine.mesh, mine.analysis, mine.material, a, why) != 1 ||
                                     analysis::Create_Input_File(other.mesh, other.analysis, other.material, b, why) != 1)
                                   return "no input file: " + why;
                                 runtest::ScriptedRunUi uiA, uiB;
                                 const analysis::RunResult ra =
                                     analysis::Run_Calculation(mine.mesh, mine.analysis, a, uiA);
                                 const analysis::RunResult rb =
                                     analysis::Run_Calculation(other.mesh, other.analysis, b, uiB);
                                 std::string said = ra.outcome == RunOutcome::Error ? "refused" : "not refused";
                                 for (const std::string& d : uiA.details) said += " | " + d;
                                 return said + " | " + mine.Changed() + " | second " +
                                        (rb.outcome == RunOutcome::Completed ? "completed" : "failed");
                               },
                               std::nullopt)
                               .Result();
  if (said == "skip") GTEST_SKIP() << "no system call filter here";
  const fs::path input = analysis::TempInputFile(folder.path());
  EXPECT_EQ(said.rfind("refused | " + input.string() + " was made anew by someone else while this run used it: "
                           "most likely by a run in another window of this program, since runs in " +
                           folder.path().string() + " cannot take turns (its disk locks no files: No locks "
                           "available)",
                       0),
            0u)
      << said;
  EXPECT_NE(said.find("let the run in the other window end before you press Run. Then run again. |  | second "
                      "completed"),
            std::string::npos)
      << said;
}

// The turn's file is the user's alone: another user who may read the
// program's folder (the executable's own, 0755) holds whatever there is to
// lock in it, and the user's runs still go on.
TEST(ScratchFiles, AnotherUserCannotHoldTheUsersRuns) {
  velk_test::ScratchFolder scratch;
  fs::permissions(scratch.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  const velk_test::TeamFolder team(scratch.path());  // only for its second user
  if (team.path.empty()) GTEST_SKIP() << "only root can run a second user";
  const fs::path folder = scratch.path() / "bin";
  fs::create_directory(folder);
  ASSERT_EQ(::chown(folder.c_str(), velk_test::PlainUid(), velk_test::PlainGid()), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
  // A first run leaves its files and the turn's file there.
  ASSERT_EQ(velk_test::AsPlainUser([&] {
              Model model;
              runtest::ScriptedRunUi ui;
              return runtest::RunModel(model.mesh, model.analysis, model.material, folder, ui).outcome ==
                             RunOutcome::Completed
                         ? ""
                         : "no first run";
            }),
            "");
  int held[2], release[2];
  ASSERT_EQ(::pipe(held), 0);
  ASSERT_EQ(::pipe(release), 0);
  velk_test::Child holder(
      [&] {
        analysis::RunFiles files(folder);
        files.TryTakeTurn();
        std::vector<platform::Descriptor> locked;
        locked.emplace_back(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        for (const auto& entry : fs::directory_iterator(folder))
          locked.emplace_back(::open(entry.path().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        int count = 0;
        for (const platform::Descriptor& fd : locked)
          if (fd.valid() && ::flock(fd.get(), LOCK_EX | LOCK_NB) == 0) ++count;
        if (!Signal(held[1]) || !AwaitSignal(release[0])) return std::string("not released");
        return "held " + std::to_string(count);
      },
      team.spy);
  ::close(held[1]);
  ::close(release[0]);
  ASSERT_TRUE(AwaitSignal(held[0]));
  const std::string ran = velk_test::AsPlainUser([&] {
    analysis::RunFiles files(folder);
    if (!files.TryTakeTurn()) return std::string("held by the other user");
    files.EndTurn();
    Model model;
    runtest::ScriptedRunUi ui;
    return runtest::RunModel(model.mesh, model.analysis, model.material, folder, ui).outcome == RunOutcome::Completed
               ? std::string("ran")
               : std::string("did not complete");
  });
  ASSERT_TRUE(Signal(release[1]));
  EXPECT_EQ(holder.Result(), "held 1") << "the folder alone: the files are the user's alone";
  ::close(held[0]);
  ::close(release[1]);
  EXPECT_EQ(ran, "ran");
}

// What stands at the turn's name is judged as what stands at the run's files'
// names: a link, a folder or another user's file is refused, saying what it is
// and what to do, and no input file is written; the user's own file that
// others may read is made the user's alone.
TEST(ScratchFiles, WhatStandsAtTheTurnsNameIsJudgedAsAtTheRunsFiles) {
  velk_test::ScratchFolder folder;
  const fs::path turn = folder.path() / "velkturn.lock", input = analysis::TempInputFile(folder.path());
  const fs::path elsewhere = folder.path() / "elsewhere.txt";
  velk_test::WriteBytes(elsewhere, "kept\r\n");
  auto refusal = [&] {
    Model model;
    std::string why;
    const short made = runtest::WriteInputFile(model.mesh, model.analysis, model.material, folder.path(), why);
    return std::to_string(made) + " " + why;
  };
  auto expectRefused = [&](const std::string& what, const std::string& says) {
    const std::string said = refusal();
    EXPECT_EQ(said.rfind("0 " + turn.string() + " is " + what, 0), 0u) << said;
    EXPECT_NE(said.find(says + ". Then run again."), std::string::npos) << said;
    EXPECT_FALSE(fs::exists(input)) << what;
  };
  fs::create_symlink(elsewhere, turn);
  expectRefused("a symbolic link to " + elsewhere.string() + ", and the program opens no file of its own through a link",
                "remove the link");
  EXPECT_EQ(velk_test::ReadBytes(elsewhere), "kept\r\n");
  fs::remove(turn);
  fs::create_directory(turn);
  expectRefused("a folder, not a file, and the program keeps a file of its own there",
                "remove it or give it another name");
  fs::remove(turn);
  if (::geteuid() == 0) {
    velk_test::WriteBytes(turn, "");
    ASSERT_EQ(::chown(turn.c_str(), velk_test::PlainUid(), velk_test::PlainGid()), 0);
    expectRefused("a file of another user (user " + std::to_string(velk_test::PlainUid()) +
                      "), who could hold it and so keep every run waiting",
                  "remove it, or ask its owner to");
    fs::remove(turn);
  }
  velk_test::WriteBytes(turn, "");
  ASSERT_EQ(::chmod(turn.c_str(), 0644), 0);
  EXPECT_EQ(refusal(), "1 ");
  EXPECT_EQ(LstatOf(turn).st_mode & 07777, 0600u);
}

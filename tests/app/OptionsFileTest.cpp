// The options file command around the two option readers: the path in the
// program's folder, the messages, and what a short or damaged file does.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "app/OptionsFile.h"
#include "app/ProgramPaths.h"
#include "model/Analysis.h"
#include "platform/MessageBox.h"
#include "tests/app/AppTestSupport.h"
#include "tests/platform/FileTestSupport.h"
#include "view/View.h"

namespace {

// Options other than every default, for the round trips.
void ChangeOptions(model::Analysis& a, view::View& v) {
  a.MaxShift = 5;
  a.MaxCycle = 12;
  a.ShiftFactor = 0.65f;
  a.IGSTF = true;
  a.OptionInitialB = 1;
  a.Title = "Not kept";
  v.OptionShowNodeNumber = true;
  v.OptionShowPlate = false;
  v.OptionShading = true;
  v.OptionInpMagFactor = 2.5f;
  v.OptionFontSize = 14;
  v.OptionShowStress = 2;
  v.OptionZoomCenterFactor = 3.5f;
}

void ExpectViewFallback(const view::View& v) {
  EXPECT_FALSE(v.OptionShowNodeNumber);
  EXPECT_TRUE(v.OptionShowPlate);
  EXPECT_TRUE(v.OptionShading);
  EXPECT_FLOAT_EQ(v.OptionInpMagFactor, 10);
  EXPECT_FLOAT_EQ(v.OptionSelectedMarker_Size, 10);
  EXPECT_EQ(v.OptionFontSize, 10);
  EXPECT_EQ(v.OptionShowStress, 0);
  EXPECT_FLOAT_EQ(v.OptionZoomCenterFactor, 2);
}

TEST(OptionsFile, MissingFileKeepsTheValuesAndSaysSo) {
  velk_test::ScratchProgramFolder folder;
  platform::ScriptedPrompter prompter;
  model::Analysis a;
  view::View v;
  ChangeOptions(a, v);
  app::Read_Option(folder.ini(), a, v);
  ASSERT_EQ(prompter.prompts(), std::vector<std::string>{"Error: Reading INI file!"});
  EXPECT_EQ(a.MaxShift, 5);
  EXPECT_EQ(v.OptionFontSize, 14);
  EXPECT_FALSE(std::filesystem::exists(folder.ini()));
}

TEST(OptionsFile, RoundTripKeepsEveryOption) {
  velk_test::ScratchProgramFolder folder;
  platform::ScriptedPrompter prompter;
  model::Analysis a;
  view::View v;
  ChangeOptions(a, v);
  app::Save_Option(folder.ini(), a, v);
  EXPECT_EQ(velk_test::ReadLines(folder.ini()).size(), 9u);

  model::Analysis b;
  view::View w;
  app::Read_Option(folder.ini(), b, w);
  EXPECT_TRUE(prompter.prompts().empty());
  EXPECT_EQ(b.MaxShift, 5);
  EXPECT_EQ(b.MaxCycle, 12);
  EXPECT_FLOAT_EQ(b.ShiftFactor, 0.65f);
  EXPECT_TRUE(b.IGSTF);
  EXPECT_EQ(b.OptionInitialB, 1);
  EXPECT_EQ(b.Title, "No Title");  // run data is not an option
  EXPECT_TRUE(w.OptionShowNodeNumber);
  EXPECT_FALSE(w.OptionShowPlate);
  EXPECT_TRUE(w.OptionShading);
  EXPECT_FLOAT_EQ(w.OptionInpMagFactor, 2.5f);
  EXPECT_EQ(w.OptionFontSize, 14);
  EXPECT_EQ(w.OptionShowStress, 2);
  EXPECT_FLOAT_EQ(w.OptionZoomCenterFactor, 3.5f);

}

TEST(OptionsFile, PlacedFileHoldsTheStartValuesAndIsNeverOverwritten) {
  velk_test::ScratchProgramFolder folder;
  platform::ScriptedPrompter prompter;
  ASSERT_TRUE(app::Place_Default_Option(folder.ini()));
  // Exactly what the program's writer writes for a new Analysis and View.
  const std::filesystem::path fresh = folder.path() / "fresh.ini";
  app::Save_Option(fresh, model::Analysis(), view::View());
  EXPECT_EQ(velk_test::ReadLines(folder.ini()), velk_test::ReadLines(fresh));
  model::Analysis a;
  view::View v;
  ChangeOptions(a, v);
  app::Read_Option(folder.ini(), a, v);
  EXPECT_TRUE(prompter.prompts().empty());
  EXPECT_EQ(a.MaxShift, 3);
  EXPECT_FALSE(v.OptionShading);  // the start value, not the readers' fallback
  EXPECT_FLOAT_EQ(v.OptionInpMagFactor, 1);

  // A file that is there, a user's or a damaged one, is kept as it is.
  velk_test::WriteLines(folder.ini(), {"5,12,0.65,#TRUE#,#FALSE#,1", "damaged"});
  ASSERT_TRUE(app::Place_Default_Option(folder.ini()));
  EXPECT_EQ(velk_test::ReadLines(folder.ini()),
            (std::vector<std::string>{"5,12,0.65,#TRUE#,#FALSE#,1", "damaged"}));
  EXPECT_TRUE(prompter.prompts().empty());

  // A folder that cannot take it: the writer's message, and no file.
  const std::filesystem::path nowhere = folder.path() / "missing" / "velk1_4.ini";
  EXPECT_FALSE(app::Place_Default_Option(nowhere));
  EXPECT_EQ(prompter.prompts(), std::vector<std::string>{"Error: Saving INI file!"});
  EXPECT_FALSE(std::filesystem::exists(nowhere));
}

TEST(OptionsFile, TheBuildPlacesTheFileBesideTheProgram) {
  const std::filesystem::path placed = VELK_PLACED_OPTIONS_FILE;
  ASSERT_TRUE(std::filesystem::is_regular_file(placed)) << placed;
  // It reads without a message; a first start greets nobody with an error.
  platform::ScriptedPrompter prompter;
  model::Analysis a;
  view::View v;
  app::Read_Option(placed, a, v);
  EXPECT_TRUE(prompter.prompts().empty());
  EXPECT_EQ(velk_test::ReadLines(placed).size(), 9u);
}

TEST(OptionsFile, ShortFilesTakeTheFallbackSetsSilently) {
  velk_test::ScratchProgramFolder folder;
  platform::ScriptedPrompter prompter;
  model::Analysis a;
  view::View v;
  ChangeOptions(a, v);
  app::Save_Option(folder.ini(), a, v);
  const auto lines = velk_test::ReadLines(folder.ini());

  // Only the solver line: it is read, the display options fall back.
  velk_test::WriteLines(folder.ini(), {lines[0]});
  model::Analysis b;
  view::View w;
  ChangeOptions(b, w);
  b.MaxShift = 3;
  app::Read_Option(folder.ini(), b, w);
  EXPECT_EQ(b.MaxShift, 5);
  ExpectViewFallback(w);

  // An empty file: both groups fall back.
  velk_test::WriteLines(folder.ini(), {});
  model::Analysis c;
  view::View x;
  ChangeOptions(c, x);
  app::Read_Option(folder.ini(), c, x);
  EXPECT_EQ(c.MaxShift, 3);
  EXPECT_FLOAT_EQ(c.ShiftFactor, 0.8f);
  EXPECT_FALSE(c.IGSTF);
  ExpectViewFallback(x);
  EXPECT_TRUE(prompter.prompts().empty());
}

TEST(OptionsFile, ValuesNoDialogAcceptsCountAsADamagedGroup) {
  velk_test::ScratchProgramFolder folder;
  platform::ScriptedPrompter prompter;
  model::Analysis a;
  view::View v;
  ChangeOptions(a, v);
  app::Save_Option(folder.ini(), a, v);
  const auto good = velk_test::ReadLines(folder.ini());
  ASSERT_EQ(good.size(), 9u);

  struct Damage {
    size_t line, field;
    const char* value;
  };
  const Damage damages[] = {
      {7, 3, "0"},      // font size
      {7, 3, "-12"},    // font size
      {8, 0, "7"},      // OptionShowStress
      {8, 0, "-1"},     // OptionShowStress
      {8, 1, "0"},      // zoom factor
      {8, 1, "-2"},     // zoom factor
      {6, 0, "nan"},    // magnification
      {6, 1, "abc"},    // not a number
  };
  for (const Damage& d : damages) {
    auto lines = good;
    lines[d.line] = velk_test::ReplaceField(lines[d.line], d.field, d.value);
    velk_test::WriteLines(folder.ini(), lines);
    model::Analysis b;
    view::View w;
    ChangeOptions(b, w);
    app::Read_Option(folder.ini(), b, w);
    SCOPED_TRACE(std::string("line ") + std::to_string(d.line + 1) + " = " + lines[d.line]);
    EXPECT_EQ(b.MaxShift, 5);  // the solver group is intact
    ExpectViewFallback(w);
  }

  // A damaged solver line leaves the display group alone.
  auto lines = good;
  lines[0] = velk_test::ReplaceField(lines[0], 2, "NaN");
  velk_test::WriteLines(folder.ini(), lines);
  model::Analysis b;
  view::View w;
  app::Read_Option(folder.ini(), b, w);
  EXPECT_EQ(b.MaxShift, 3);
  EXPECT_FLOAT_EQ(b.ShiftFactor, 0.8f);
  EXPECT_TRUE(prompter.prompts().empty());
}

TEST(OptionsFile, AFullDiskLeavesTheOldFile) {
  velk_test::ScratchProgramFolder folder;
  platform::ScriptedPrompter prompter;
  model::Analysis a;
  view::View v;
  ChangeOptions(a, v);
  app::Save_Option(folder.ini(), a, v);
  const auto old = velk_test::ReadLines(folder.ini());

  // A disk that is full after the first bytes of the file.
  {
    velk_test::FullDisk disk(16);
    ASSERT_TRUE(disk.on());
    model::Analysis b;
    view::View w;
    app::Save_Option(folder.ini(), b, w);
  }

  EXPECT_EQ(prompter.prompts(), std::vector<std::string>{"Error: Saving INI file!"});
  EXPECT_EQ(velk_test::ReadLines(folder.ini()), old);
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder.path())) ++files;
  EXPECT_EQ(files, 1) << "no temporary file is left";
  model::Analysis c;
  view::View x;
  app::Read_Option(folder.ini(), c, x);
  EXPECT_EQ(c.MaxShift, 5);
  EXPECT_EQ(x.OptionFontSize, 14);
}

// With a program folder that cannot be written, the per-user folder that
// takes its place starts from the options file placed beside the program.
TEST(OptionsFile, AFallbackFolderStartsFromTheFileBesideTheProgram) {
  namespace fs = std::filesystem;
  velk_test::ScratchFolder scratch;
  const fs::path exe = scratch.path() / "bin";
  const fs::path fallback = scratch.path() / "share" / "velk";
  const fs::path placed = exe / "velk1_4.ini", seeded = fallback / "velk1_4.ini";
  fs::create_directories(exe);
  platform::ScriptedPrompter prompter;
  model::Analysis a;
  view::View v;
  ChangeOptions(a, v);  // not the start values, so that a copy shows
  app::Save_Option(placed, a, v);
  auto readOnly = [](const fs::path&) { return false; };
  auto writable = [](const fs::path&) { return true; };

  EXPECT_EQ(app::ChooseProgramFolder(exe, fallback, {}, writable), exe);
  EXPECT_FALSE(fs::exists(fallback));
  EXPECT_EQ(app::ChooseProgramFolder(scratch.path() / "gone", fallback, {}), fallback);
  EXPECT_TRUE(fs::is_empty(fallback)) << "nothing to copy from a folder that is not there";

  // A full disk leaves nothing half-written; the next start copies the file whole.
  {
    velk_test::FullDisk disk(16);
    ASSERT_TRUE(disk.on());
    EXPECT_EQ(app::ChooseProgramFolder(exe, fallback, {}, readOnly), fallback);
  }
  EXPECT_TRUE(fs::is_empty(fallback));
  EXPECT_EQ(app::ChooseProgramFolder(exe, fallback, {}, readOnly), fallback);
  EXPECT_EQ(velk_test::ReadBytes(seeded), velk_test::ReadBytes(placed));
  model::Analysis b;
  view::View w;
  app::Read_Option(seeded, b, w);
  EXPECT_TRUE(prompter.prompts().empty());
  EXPECT_EQ(b.MaxShift, 5);
  EXPECT_EQ(w.OptionFontSize, 14);

  // The user's own options there are never replaced.
  velk_test::WriteLines(seeded, {"4,8,0.8,#FALSE#,#FALSE#,0"});
  app::ChooseProgramFolder(exe, fallback, {}, readOnly);
  EXPECT_EQ(velk_test::ReadLines(seeded), std::vector<std::string>{"4,8,0.8,#FALSE#,#FALSE#,0"});
  int files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(fallback)) ++files;
  EXPECT_EQ(files, 1);
}

// Without a home the program's files go to the temporary folder, which
// everyone may write: only a folder of this user's that nobody else may enter
// is taken, and anything else standing at its name is passed over for a
// fresh one.
TEST(ProgramFolder, WithoutAHomeTheFilesGoWhereNobodyElseCanReachThem) {
  namespace fs = std::filesystem;
  velk_test::ScratchFolder scratch;
  const fs::path shared = scratch.path();
  const fs::path mine = shared / ("velk-" + std::to_string(::geteuid()));
  auto privateFolderOfMine = [](const fs::path& p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 07777) == 0700;
  };
  EXPECT_EQ(app::PrivateFolderIn(shared), mine);
  EXPECT_TRUE(privateFolderOfMine(mine));
  EXPECT_EQ(app::PrivateFolderIn(shared), mine) << "the next start finds its options again";

  auto passedOver = [&](const char* what) {
    const fs::path other = app::PrivateFolderIn(shared);
    EXPECT_NE(other, mine) << what;
    EXPECT_EQ(other.parent_path(), shared) << what;
    EXPECT_TRUE(privateFolderOfMine(other)) << what;
    fs::remove_all(other);
  };
  ASSERT_EQ(::chmod(mine.c_str(), 0777), 0);
  passedOver("a folder others may write into");
  fs::remove(mine);
  fs::create_directory(shared / "elsewhere");
  ASSERT_EQ(::chmod((shared / "elsewhere").c_str(), 0700), 0);
  fs::create_directory_symlink(shared / "elsewhere", mine);
  passedOver("a link, which anyone could have set to a folder of theirs");
  fs::remove(mine);
  velk_test::WriteBytes(mine, "");
  passedOver("a file");
  fs::remove(mine);
  if (::geteuid() == 0) {
    fs::create_directory(mine);
    ASSERT_EQ(::chmod(mine.c_str(), 0700), 0);
    ASSERT_EQ(::chown(mine.c_str(), velk_test::PlainUid(), velk_test::PlainGid()), 0);
    passedOver("another user's folder");
  }
  EXPECT_EQ(app::PrivateFolderIn({}), fs::path());
}

// The mode bits and owner of what stands at `path` (not followed).
std::pair<unsigned, uid_t> ModeAndOwner(const std::filesystem::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return {0, 0};
  return {st.st_mode & 07777u, st.st_uid};
}

// An access ACL for a folder: rwx for its owner and for user `other`, r-x
// for its group and for others, and the mask that lets the entries through.
std::string AclGrantingWriteTo(uint32_t other) {
  return velk_test::PosixAcl({{1, 7}, {2, 7, other}, {4, 5}, {16, 7}, {32, 5}});
}

// The executable's folder holds the run's files and the options file only
// where nobody else may write them: a folder of the user's own that neither
// its group nor others (nor anyone an ACL names) may write. Any other takes
// the per-user folder, seeded with the placed options file and, when it has
// to be made, readable by the user alone.
TEST(ProgramFolder, TheExecutablesFolderIsTakenOnlyWhereNobodyElseMayWriteIt) {
  namespace fs = std::filesystem;
  velk_test::ScratchFolder scratch;
  const fs::path exe = scratch.path() / "bin", share = scratch.path() / "share", fallback = share / "velk";
  fs::create_directories(exe);
  velk_test::WriteBytes(exe / app::kOptionsFileName, "the placed options\r\n");
  const mode_t mask = ::umask(022);
  ASSERT_EQ(::chmod(exe.c_str(), 0755), 0);
  EXPECT_EQ(app::ChooseProgramFolder(exe, fallback, {}), exe) << "a folder of the user's own";
  EXPECT_FALSE(fs::exists(share));

  auto passedOver = [&](const std::string& what) {
    EXPECT_EQ(app::ChooseProgramFolder(exe, fallback, {}), fallback) << what;
    EXPECT_EQ(velk_test::ReadBytes(fallback / app::kOptionsFileName), "the placed options\r\n") << what;
    EXPECT_EQ(ModeAndOwner(share).first, 0700u) << what;
    EXPECT_EQ(ModeAndOwner(fallback).first, 0700u) << what;
    fs::remove_all(share);
  };
  for (const mode_t mode : {mode_t{01777}, mode_t{0775}, mode_t{0757}}) {
    ASSERT_EQ(::chmod(exe.c_str(), mode), 0);
    passedOver("mode " + std::to_string(mode >> 9) + std::to_string(mode >> 6 & 7) + std::to_string(mode >> 3 & 7) +
               std::to_string(mode & 7));
  }
  ASSERT_EQ(::chmod(exe.c_str(), 0755), 0);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(exe.c_str(), velk_test::PlainUid(), velk_test::PlainGid()), 0);
    passedOver("a folder of another user's, which root may write too");
    ASSERT_EQ(::chown(exe.c_str(), 0, 0), 0);
  }
  const std::string acl = AclGrantingWriteTo(velk_test::TeamFolder::kOther);
  if (::setxattr(exe.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) != 0) {
    ::umask(mask);
    GTEST_SKIP() << "the scratch folder's file system holds no ACLs: " << std::strerror(errno);
  }
  passedOver("an ACL entry that lets another user write");
  ::umask(mask);
}

// Without a home, the program's folder is one of a series of names in the
// temporary folder: the first that is the user's alone, or else the first
// free one, made so. Whatever took the first name, every call of a start
// gives the same folder and so does the next start, which reads the options
// saved at the end of the last; one folder is made, not one a call.
TEST(ProgramFolder, WithoutAHomeEveryStartTakesTheSameFolder) {
  namespace fs = std::filesystem;
  if (::geteuid() != 0) GTEST_SKIP() << "only root can become a user without a home";
  constexpr uid_t kHomeless = 54321;
  if (::getpwuid(kHomeless)) GTEST_SKIP() << "user " << kHomeless << " has an entry in the user database";
  const velk_test::User homeless{kHomeless, kHomeless, {}};
  // The child's executable is this test's: its folder must not be one the
  // homeless user may take.
  std::error_code ec;
  const fs::path exeFolder = fs::read_symlink("/proc/self/exe", ec).parent_path();
  ASSERT_FALSE(ec);
  ASSERT_NE(ModeAndOwner(exeFolder).second, kHomeless) << exeFolder;

  auto start = [&](const fs::path& temp) {
    return velk_test::Child(
               [&] {
                 ::unsetenv("HOME");
                 ::unsetenv("XDG_DATA_HOME");
                 ::setenv("TMPDIR", temp.c_str(), 1);
                 const fs::path first = app::ProgramFolder();
                 for (int call = 0; call < 3; ++call)
                   if (app::ProgramFolder() != first) return "moved from " + first.string();
                 return first.string();
               },
               homeless)
        .Result();
  };
  velk_test::ScratchFolder elsewhere;
  ASSERT_EQ(::chown(elsewhere.path().c_str(), kHomeless, kHomeless), 0);
  const std::pair<const char*, std::function<void(const fs::path&)>> takers[] = {
      {"a link to a folder of the user's", [&](const fs::path& name) { fs::create_directory_symlink(elsewhere.path(), name); }},
      {"another user's folder",
       [](const fs::path& name) {
         fs::create_directory(name);
         ASSERT_EQ(::chown(name.c_str(), velk_test::TeamFolder::kOther, velk_test::TeamFolder::kOther), 0);
         ASSERT_EQ(::chmod(name.c_str(), 0700), 0);
       }},
      {"the user's own folder that anyone may enter",
       [](const fs::path& name) {
         fs::create_directory(name);
         ASSERT_EQ(::chown(name.c_str(), kHomeless, kHomeless), 0);
         ASSERT_EQ(::chmod(name.c_str(), 0777), 0);
       }},
  };
  for (const auto& [what, take] : takers) {
    velk_test::ScratchFolder temp;
    ASSERT_EQ(::chmod(temp.path().c_str(), 01777), 0);
    take(temp.path() / "velk-54321");
    const std::string first = start(temp.path());
    EXPECT_EQ(first, (temp.path() / "velk-54321-1").string()) << what;
    EXPECT_EQ(start(temp.path()), first) << what << ": the next start";
    EXPECT_EQ(ModeAndOwner(first), std::make_pair(0700u, kHomeless)) << what;
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(temp.path())) ++entries;
    EXPECT_EQ(entries, 2) << what << ": the name taken and one folder made";
  }
}

// Every folder the program takes for its own files exists, or the program
// made it, and nobody else may write it. As a user whose home is missing
// (nobody's /nonexistent) or read-only, or whose per-user data folder
// others may write or another user owns, the program takes the temporary
// folder's series, as without any home; a home the user may write gets its
// data folder made, readable by the user alone.
TEST(ProgramFolder, AFolderThatCannotBeTheUsersAloneGivesWayToTheTemporaryFolder) {
  namespace fs = std::filesystem;
  if (::geteuid() != 0) GTEST_SKIP() << "only root can become a user whose home is missing";
  const passwd* nobody = ::getpwuid(velk_test::PlainUid());
  if (!nobody || !nobody->pw_dir || fs::exists(nobody->pw_dir))
    GTEST_SKIP() << "user " << velk_test::PlainUid() << " has no entry, or a home that exists";
  const uid_t me = velk_test::PlainUid();
  velk_test::ScratchFolder scratch;
  fs::permissions(scratch.path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
  const fs::path exe = scratch.path() / "bin", temp = scratch.path() / "tmp";
  fs::create_directories(exe);  // root's: not the user's to take
  velk_test::WriteBytes(exe / app::kOptionsFileName, "the placed options\r\n");
  fs::create_directory(temp);
  ASSERT_EQ(::chmod(temp.c_str(), 01777), 0);
  auto chosen = [&](const char* home) {
    return velk_test::Child([&] {
             ::unsetenv("XDG_DATA_HOME");
             if (home)
               ::setenv("HOME", home, 1);
             else
               ::unsetenv("HOME");
             return app::ChooseProgramFolder(exe, app::UserDataFolder(), temp).string();
           })
        .Result();
  };
  // A folder of `owner`'s with `mode`, its parents made as they are missing.
  auto folder = [](const fs::path& path, uid_t owner, mode_t mode) {
    fs::create_directories(path);
    EXPECT_EQ(::chown(path.c_str(), owner, owner), 0) << path;
    EXPECT_EQ(::chmod(path.c_str(), mode), 0) << path;
  };
  const fs::path series = temp / ("velk-" + std::to_string(me));
  const fs::path readOnly = scratch.path() / "read-only", open = scratch.path() / "open",
                 others = scratch.path() / "others", fresh = scratch.path() / "fresh";
  folder(readOnly, 0, 0755);
  folder(open / ".local" / "share" / "velk", me, 0777);
  folder(others / ".local" / "share" / "velk", velk_test::TeamFolder::kOther, 0755);
  for (const fs::path& home : {open, others}) {
    for (const fs::path& p : {home, home / ".local", home / ".local" / "share"}) folder(p, me, 0755);
  }
  folder(fresh, me, 0700);

  const std::pair<const char*, const char*> homes[] = {{"no HOME, and the user database's home is missing", nullptr},
                                                       {"a home that is missing", "/nonexistent"},
                                                       {"a home the user may not write", readOnly.c_str()},
                                                       {"a data folder others may write", open.c_str()},
                                                       {"another user's data folder", others.c_str()}};
  for (const auto& [what, home] : homes) {
    EXPECT_EQ(chosen(home), series.string()) << what;
    EXPECT_EQ(ModeAndOwner(series), std::make_pair(0700u, me)) << what;
    EXPECT_EQ(velk_test::ReadBytes(series / app::kOptionsFileName), "the placed options\r\n") << what;
  }
  EXPECT_FALSE(fs::exists("/nonexistent"));
  EXPECT_TRUE(fs::is_empty(readOnly));
  EXPECT_TRUE(fs::is_empty(open / ".local" / "share" / "velk"));

  const fs::path made = fresh / ".local" / "share" / "velk";
  EXPECT_EQ(chosen(fresh.c_str()), made.string());
  for (const fs::path& p : {fresh / ".local", fresh / ".local" / "share", made})
    EXPECT_EQ(ModeAndOwner(p), std::make_pair(0700u, me)) << p;
  EXPECT_EQ(velk_test::ReadBytes(made / app::kOptionsFileName), "the placed options\r\n");
}

// $XDG_DATA_HOME as its convention has it: a folder that is missing is made,
// with its missing parents, readable by the user alone, and taken; a
// relative value is ignored for the home's own data folder.
TEST(ProgramFolder, XdgDataHomeIsTakenAsItsConventionSays) {
  namespace fs = std::filesystem;
  velk_test::ScratchFolder scratch;
  const fs::path exe = scratch.path() / "bin", temp = scratch.path() / "tmp", home = scratch.path() / "home";
  for (const fs::path& p : {exe, temp, home}) fs::create_directory(p);
  ASSERT_EQ(::chmod(home.c_str(), 0700), 0);
  velk_test::WriteBytes(exe / app::kOptionsFileName, "the placed options\r\n");
  auto chosen = [&](const char* xdg) {
    return velk_test::Child(
               [&] {
                 ::setenv("HOME", home.c_str(), 1);
                 ::setenv("XDG_DATA_HOME", xdg, 1);
                 const mode_t mask = ::umask(022);
                 const fs::path folder =
                     app::ChooseProgramFolder(exe, app::UserDataFolder(), temp, [](const fs::path&) { return false; });
                 ::umask(mask);
                 return folder.string();
               },
               std::nullopt)
        .Result();
  };
  const fs::path data = scratch.path() / "data" / "share";
  EXPECT_EQ(chosen(data.c_str()), (data / "velk").string());
  for (const fs::path& p : {scratch.path() / "data", data, data / "velk"})
    EXPECT_EQ(ModeAndOwner(p), std::make_pair(0700u, ::geteuid())) << p;
  EXPECT_EQ(velk_test::ReadBytes(data / "velk" / app::kOptionsFileName), "the placed options\r\n");

  const fs::path own = home / ".local" / "share" / "velk";
  EXPECT_EQ(chosen("relative/share"), own.string());
  EXPECT_EQ(chosen(""), own.string());
  EXPECT_FALSE(fs::exists("relative"));
  EXPECT_TRUE(fs::is_empty(temp));
}

}  // namespace

#pragma once
// A run's two files in the program's folder, the input file and the
// listing, and the run's turn in that folder. Every copy of the program
// started from one build shares the folder, so runs there take turns: each
// holds the folder from writing its input file until the last byte of its
// files is written, and so computes from the model it was started on and
// leaves its listing whole. The turn is a lock on a file of the folder,
// velkturn.lock, kept at its name and readable by the user alone, so that
// nobody else can hold it; the system lets the lock go however a copy ends,
// even killed, and network disks lock it too. The input file is read back
// through the descriptor it was written through, and only while its name
// still leads to it: a run never reads a file it did not write.
#include <exception>
#include <filesystem>
#include <memory>

#include "analysis/RunUi.h"
#include "platform/Descriptor.h"
#include "platform/FileTrust.h"
#include "platform/TextFile.h"

namespace analysis {

class RunFiles {
 public:
  explicit RunFiles(std::filesystem::path folder);
  ~RunFiles() = default;  // ends the turn; the files stay at their names
  RunFiles(const RunFiles&) = delete;
  RunFiles& operator=(const RunFiles&) = delete;

  const std::filesystem::path& folder() const { return folder_; }
  std::filesystem::path InputPath() const;    // the folder's velktempin.vlk
  std::filesystem::path ListingPath() const;  // the folder's velktempout.vlk
  std::filesystem::path TurnPath() const;     // the folder's velkturn.lock

  // Takes the folder's turn for this run. While another run holds it, the
  // progress line says so, and the wait yields and tests Cancel between
  // tries; false when Cancel ended the wait ("Process Interrupted..."). A
  // turn that cannot be locked (a folder that is missing or where no file
  // can be made, a disk that locks no files) is taken without a lock:
  // making the files then says what is wrong, and reading the input back
  // still refuses a file this run did not write, naming a run of another
  // window as the likely cause where the disk locks no files. What stands at
  // the turn's name other than the user's own file is refused by MakeInput.
  bool TakeTurn(RunUi& ui);
  // Takes the turn only when no other run holds it; false when one does.
  bool TryTakeTurn();
  bool HasTurn() const { return turn_; }
  // Lets the next run have the folder; the files stay where they are.
  void EndTurn();

  // The input file made anew (platform::MakeFileAnew), for writing; the run
  // keeps it to read it back. Only with the turn.
  std::unique_ptr<platform::TextFile> MakeInput();
  // The input file this run wrote, read from its start. Raises 53 when this
  // run wrote none, and NameRefused when its name no longer leads to it.
  std::unique_ptr<platform::TextFile> ReadInputBack() const;
  // The listing, made anew. Only with the turn.
  std::unique_ptr<platform::TextFile> MakeListing() const;

 private:
  // The turn, waited for through `waiting` when another run holds it, or
  // not at all without it.
  bool Take(RunUi* waiting);
  void RequireTurn() const;
  // Raises `refused` of `file`, or, where the turn holds no lock because the
  // disk locks no files and what stands there now is the user's own file, a
  // refusal that names another window's run as the likely cause.
  [[noreturn]] void Refuse(const platform::NameRefused& refused, const std::filesystem::path& file) const;

  std::filesystem::path folder_;
  platform::Descriptor lock_;
  bool turn_ = false;
  int noLocks_ = 0;              // the error of a disk that locks no files, when the turn met one
  std::exception_ptr refused_;   // what stands at the turn's name, when it is refused
  platform::Descriptor written_;  // the input file as written
};

// The text of a run refused because another run holds `folder`.
std::string Busy_Folder_Detail(const std::filesystem::path& folder);

}  // namespace analysis

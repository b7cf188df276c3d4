#pragma once
// A run's two files in the program's folder, the input file and the
// listing, and the run's turn in that folder. Every copy of the program
// started from one build shares the folder, so runs there take turns: each
// holds the folder from writing its input file to its end, and so computes
// from the model it was started on and leaves its listing whole. The turn
// is a lock on the folder, which the system lets go however a copy ends,
// even killed. The input file is read back through the descriptor it was
// written through, and only while its name still leads to it: a run never
// reads a file it did not write.
#include <filesystem>
#include <memory>

#include "analysis/RunUi.h"
#include "platform/Descriptor.h"
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

  // Takes the folder's turn for this run. While another run holds it, the
  // progress line says so, and the wait yields and tests Cancel between
  // tries; false when Cancel ended the wait ("Process Interrupted..."). A
  // folder that cannot be locked (missing, unreadable, or on a file system
  // without locks) is taken without a lock: making the files then says what
  // is wrong, and reading the input back still refuses a file this run did
  // not write.
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

  std::filesystem::path folder_;
  platform::Descriptor lock_;
  bool turn_ = false;
  platform::Descriptor written_;  // the input file as written
};

// The text of a run refused because another run holds `folder`.
std::string Busy_Folder_Detail(const std::filesystem::path& folder);

}  // namespace analysis

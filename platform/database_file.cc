#include "platform/database_file.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <optional>
#include <string>
#include <thread>

#include "core/error.h"
#include "platform/backup_files.h"
#include "platform/file_error.h"
#include "platform/file_system.h"
#include "platform/lock_file.h"

namespace platform {
namespace {

using core::Error;

std::string Name(const std::filesystem::path& file) { return file.filename().string(); }

// A 64-bit FNV-1a hash: enough to notice an accidental change of bytes read
// earlier without keeping them.
uint64_t ContentHash(std::span<const uint8_t> bytes) {
  uint64_t hash = 0xcbf29ce484222325u;
  for (const uint8_t c : bytes) {
    hash ^= c;
    hash *= 0x100000001b3u;
  }
  return hash;
}

Error ChangedMeanwhile(const std::filesystem::path& file, const std::string& detail) {
  return Error("Die Datenbank " + Name(file) +
                   " wurde während des Laufs von einem anderen Programm verändert" +
                   detail + "; sie wurde nicht ersetzt",
               Error::Kind::kInUse);
}

// A run killed during its commit leaves its temporary copy behind; the next
// commit, which holds the file alone, removes such leftovers. Called once the
// new file is in place: failing to list the folder or to remove a leftover
// only leaves it for the run after.
void RemoveLeftoverCopies(const std::filesystem::path& file) noexcept {
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  try {
    for (const std::filesystem::path& entry : FolderEntries(folder))
      if (IsTemporaryNameOf(Name(entry), Name(file))) RemoveFile(entry);
  } catch (...) {
  }
}

// Opens the database so that no other program can write it until the commit
// (where the system can keep writers out, see File::OpenForReading). A
// program that has it open for writing already (the billing product) makes
// the open fail: that is said in the operator's words.
File OpenHeld(const std::filesystem::path& path) {
  try {
    return File::OpenForReading(path);
  } catch (const FileError& error) {
    if (error.kind() != Error::Kind::kInUse) throw;
    throw Error("Die Datenbank " + Name(path) +
                    " ist von einem anderen Programm zum Schreiben geöffnet (" +
                    error.reason() + "). Bitte das Abrechnungsprogramm schließen",
                Error::Kind::kInUse);
  }
}

}  // namespace

// A name in the folder that this run created and removes again unless the
// file under it has been renamed into place.
class DatabaseFile::TemporaryName {
 public:
  explicit TemporaryName(std::filesystem::path path) : path_(std::move(path)) {}
  ~TemporaryName() {
    if (!path_.empty()) RemoveFile(path_);
  }
  TemporaryName(const TemporaryName&) = delete;
  TemporaryName& operator=(const TemporaryName&) = delete;

  const std::filesystem::path& path() const { return path_; }
  void Release() { path_.clear(); }

 private:
  std::filesystem::path path_;
};

// Filled by the thread until it ends; read only after joining it. Its end
// joins the thread, closes the copy (Windows removes no open file) and
// removes it unless the commit has renamed it into place.
struct DatabaseFile::Copying {
  std::optional<TemporaryName> name;
  std::optional<File> copy;
  uint64_t copied = 0;
  std::exception_ptr failure;
  std::thread thread;

  ~Copying() {
    if (thread.joinable()) thread.join();
    copy.reset();
  }
};

DatabaseFile::DatabaseFile(File file, FileIdentity identity)
    : path_(file.path()),
      file_(std::make_unique<File>(std::move(file))),
      identity_(identity) {}

DatabaseFile::DatabaseFile(DatabaseFile&& other) noexcept = default;

DatabaseFile::~DatabaseFile() = default;

DatabaseFile DatabaseFile::Open(const std::filesystem::path& path) {
  if (IsSymbolicLink(path))
    throw Error(path.string() +
                    " ist ein symbolischer Verweis; bitte den Pfad der Datei "
                    "selbst angeben",
                Error::Kind::kUnsupported);
  // A lock file that no program holds is left by a crash (where the system
  // can tell, see IsHeldOpen): the billing product is not running.
  if (const auto lock = FindLockFile(path); lock && IsHeldOpen(*lock))
    throw Error("Die Datenbank " + Name(path) + " ist in Benutzung: neben ihr liegt " +
                    Name(*lock) + ". Bitte das Abrechnungsprogramm schließen; bleibt " +
                    Name(*lock) +
                    " danach liegen (nach einem Absturz), sie löschen, aber nur "
                    "wenn das Abrechnungsprogramm geschlossen ist",
                Error::Kind::kInUse);
  if (IsWriteProtected(path))
    throw Error("Die Datenbank " + Name(path) +
                    " ist schreibgeschützt (Eigenschaften: Schreibgeschützt) und wird "
                    "darum nicht ersetzt",
                Error::Kind::kPermission);
  File file = OpenHeld(path);
  if (!file.IsRegularFile())
    throw Error(path.string() + " ist keine gewöhnliche Datei",
                Error::Kind::kUnsupported);
  // A file changed in the present tick of the file system's clock is asked
  // again once the clock has moved on, so that any later write shows in the
  // times.
  FileIdentity identity = file.Identity();
  for (int wait = 0; wait < 20 && ChangedInThisTick(identity); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    identity = file.Identity();
  }
  return DatabaseFile(std::move(file), identity);
}

void DatabaseFile::Read(uint64_t offset, std::span<uint8_t> into) {
  if (file_->ReadAt(offset, into) != into.size())
    throw Error("Die Datenbankdatei " + Name(path_) + " endet vor Byte " +
                    std::to_string(offset + into.size()),
                Error::Kind::kIo);
  read_.push_back({offset, into.size(), ContentHash(into)});
  bytes_read_ += into.size();
}

const DatabaseFile::ReadPart* DatabaseFile::FirstChangedPart(
    const File& file, const std::vector<Change>& changes) const {
  // The changed stretches [begin, end), merged where they touch, in order.
  std::vector<std::pair<uint64_t, uint64_t>> changed;
  for (const Change& change : changes)
    if (!change.bytes.empty())
      changed.emplace_back(change.offset, change.offset + change.bytes.size());
  std::sort(changed.begin(), changed.end());
  std::vector<std::pair<uint64_t, uint64_t>> merged;
  for (const auto& stretch : changed) {
    if (!merged.empty() && stretch.first <= merged.back().second)
      merged.back().second = std::max(merged.back().second, stretch.second);
    else
      merged.push_back(stretch);
  }
  const auto covered = [&](const ReadPart& part) {
    const auto next = std::upper_bound(
        merged.begin(), merged.end(), part.offset,
        [](uint64_t offset, const auto& stretch) { return offset < stretch.second; });
    return next != merged.end() && next->first < part.offset + part.length;
  };
  std::vector<uint8_t> buffer;
  for (const ReadPart& part : read_) {
    if (covered(part)) continue;
    buffer.resize(part.length);
    if (file.ReadAt(part.offset, buffer) != part.length ||
        ContentHash(buffer) != part.hash)
      return &part;
  }
  return nullptr;
}

void DatabaseFile::CheckCopy(const File& copy, const std::vector<Change>& changes) const {
  const ReadPart* part = FirstChangedPart(copy, changes);
  if (!part) return;
  // A copy of an original that another program changed is no fault of the
  // copy: that is what the message must say.
  CheckUnchanged();
  throw Error("Die Kopie " + Name(copy.path()) + " enthält ab Byte " +
                  std::to_string(part->offset) + " nicht, was " + Name(path_) +
                  " dort enthielt; " + Name(path_) + " wurde nicht ersetzt",
              Error::Kind::kIo);
}

void DatabaseFile::CheckUnchanged() const {
  if (const auto lock = FindLockFile(path_); lock && IsHeldOpen(*lock))
    throw Error("Das Abrechnungsprogramm hat die Datenbank " + Name(path_) +
                    " während des Laufs geöffnet (" + Name(*lock) + " ist erschienen); " +
                    Name(path_) + " wurde nicht ersetzt",
                Error::Kind::kInUse);
  if (const ReadPart* part = FirstChangedPart(*file_, {}))
    throw ChangedMeanwhile(path_, " (die gelesenen Bytes ab Byte " +
                                      std::to_string(part->offset) +
                                      " sind nicht mehr dieselben)");
  if (CurrentIdentity(path_) != identity_) throw ChangedMeanwhile(path_, "");
}

std::filesystem::path DatabaseFile::MakeBackup(
    const std::filesystem::path& staging) const {
  // The staging name is removed in any case, also when KeepAsBackup fails.
  const TemporaryName staged(staging);
  if (!TryHardLink(path_, staging)) {
    File copy = File::CreateNew(staging);
    copy.TakeAccessOf(path_);
    if (CopyFileStart(*file_, copy, size()) != size()) throw ChangedMeanwhile(path_, "");
    copy.Flush();
    copy.Close();
  }
  return KeepAsBackup(path_, staging);
}

namespace {

constexpr uint64_t kMegabyte = 1 << 20;

}  // namespace

void DatabaseFile::CheckRoomForCopy() const {
  std::filesystem::path folder = path_.parent_path();
  if (folder.empty()) folder = ".";
  const uint64_t needed = size() + size() / 10 + kMegabyte;
  const uint64_t free = SpaceOf(folder).available;
  if (free >= needed) return;
  throw Error("Auf dem Datenträger von " + Name(path_) +
                  " ist zu wenig Platz für die neue Fassung: nötig sind " +
                  std::to_string((needed + kMegabyte - 1) / kMegabyte) +
                  " MB, frei sind " + std::to_string(free / kMegabyte) +
                  " MB. Bitte Platz schaffen; " + Name(path_) + " wurde nicht verändert",
              Error::Kind::kIo);
}

void DatabaseFile::StartCopy() {
  if (copying_) return;
  auto copying = std::make_unique<Copying>();
  copying->thread = std::thread([to = copying.get(), from = file_.get(), size = size()] {
    try {
      to->copy.emplace(File::CreateTemporaryBeside(from->path()));
      to->name.emplace(to->copy->path());
      to->copy->TakeAccessOf(from->path());
      to->copied = CopyFileStart(*from, *to->copy, size);
    } catch (...) {
      to->failure = std::current_exception();
    }
  });
  copying_ = std::move(copying);
}

std::unique_ptr<DatabaseFile::Copying> DatabaseFile::FinishCopy() {
  StartCopy();
  std::unique_ptr<Copying> copying = std::move(copying_);
  copying->thread.join();
  if (copying->failure) std::rethrow_exception(copying->failure);
  // Where the original ends early, the copy cannot be what was read.
  if (copying->copied != size() || file_->Size() < size())
    throw ChangedMeanwhile(path_, " (sie ist kürzer geworden)");
  return copying;
}

std::filesystem::path DatabaseFile::Replace(uint64_t new_size,
                                            const std::vector<Change>& changes,
                                            const CopyCheck& check,
                                            const StepHook& hook) {
  const auto reached = [&](Step step) {
    if (hook) hook(step);
  };
  for (const Change& change : changes)
    if (change.offset > new_size || change.bytes.size() > new_size - change.offset)
      throw Error("Interner Fehler: eine Änderung reicht über das Ende der neuen Datei",
                  Error::Kind::kInternal);
  // Removes the copy, whatever happens, unless it is renamed into place.
  const std::unique_ptr<Copying> copying = FinishCopy();
  File& copy = *copying->copy;
  if (new_size != size()) copy.Resize(new_size);
  for (const Change& change : changes) copy.WriteAt(change.offset, change.bytes);
  reached(Step::kCopyWritten);
  copy.Flush();
  reached(Step::kCopyFlushed);
  CheckCopy(copy, changes);
  // Closed before anything else opens it: Windows lets no one else open a
  // file that a handle is writing to.
  const std::filesystem::path copy_path = copy.path();
  copy.Close();
  check(copy_path);
  reached(Step::kCopyChecked);

  return PutInPlace(copy_path, *copying->name, reached);
}

std::filesystem::path DatabaseFile::PutInPlace(const std::filesystem::path& copy_path,
                                               TemporaryName& copy_name,
                                               const std::function<void(Step)>& reached) {
  CheckUnchanged();
  std::filesystem::path backup = MakeBackup(std::filesystem::path(copy_path) += ".bak");
  reached(Step::kBackupMade);

  file_->Close();
  RenameOver(copy_path, path_);
  copy_name.Release();
  reached(Step::kReplaced);
  // The new file is in place: what follows cannot fail the commit.
  RemoveLeftoverCopies(path_);
  FlushFolderOf(path_);
  return backup;
}

std::filesystem::path DatabaseFile::ReplaceWithCopyOf(const std::filesystem::path& source,
                                                      const CopyCheck& check,
                                                      const StepHook& hook) {
  const auto reached = [&](Step step) {
    if (hook) hook(step);
  };
  File from = File::OpenForReading(source);
  if (!from.IsRegularFile())
    throw Error(source.string() + " ist keine gewöhnliche Datei",
                Error::Kind::kUnsupported);
  const uint64_t length = from.Size();
  // Declared first, so that the copy is closed before its name is removed
  // (Windows removes no open file).
  std::optional<TemporaryName> copy_name;
  File copy = File::CreateTemporaryBeside(path_);
  copy_name.emplace(copy.path());
  copy.TakeAccessOf(path_);
  if (CopyFileStart(from, copy, length) != length)
    throw Error(source.string() + " ist beim Kopieren kürzer geworden", Error::Kind::kIo);
  // Closed now: Windows renames no file that is open, and the source may be
  // the newest backup, which "<name>.bak" is about to stop naming.
  from.Close();
  reached(Step::kCopyWritten);
  copy.Flush();
  reached(Step::kCopyFlushed);
  const std::filesystem::path copy_path = copy.path();
  copy.Close();
  check(copy_path);
  reached(Step::kCopyChecked);
  return PutInPlace(copy_path, *copy_name, reached);
}

}  // namespace platform

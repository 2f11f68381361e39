#include "db/engine/mdb/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "db/engine/mdb/lock_file.h"

namespace db::engine::mdb {
namespace {

std::string Name(const std::filesystem::path& file) { return file.filename().string(); }

// A name in the folder that this run created and removes again unless the
// file under it has been renamed into place.
class TemporaryName {
 public:
  explicit TemporaryName(std::filesystem::path path) : path_(std::move(path)) {}
  ~TemporaryName() {
    if (!path_.empty()) unlink(path_.c_str());
  }
  TemporaryName(const TemporaryName&) = delete;
  TemporaryName& operator=(const TemporaryName&) = delete;

  const std::filesystem::path& path() const { return path_; }
  void Release() { path_.clear(); }

 private:
  std::filesystem::path path_;
};

// Creates "<original>.tmp-XXXXXX", a name no other run can hold.
FileDescriptor CreateBeside(const std::filesystem::path& original,
                            std::filesystem::path* created) {
  std::string pattern = original.string() + ".tmp-XXXXXX";
  const int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0)
    throw SystemError("(temporäre Kopie) kann nicht angelegt werden", pattern, errno);
  *created = pattern;
  return FileDescriptor(fd);
}

// The billing product and other users of a shared folder must find the new
// file with the rights they had on the old one. A folder that cannot give
// them (another owner, a group this user is not in, a file system that
// ignores them) makes the commit stop instead of leaving a file they
// cannot open.
void TakeOwnerAndMode(const FileDescriptor& fd, const std::filesystem::path& copy,
                      const struct stat& original, const std::filesystem::path& name) {
  const auto refuse = [&](const std::string& reason) {
    return Error("Die neue Datei " + Name(copy) +
                 " kann Besitzer, Gruppe und Rechte von " + Name(name) +
                 " nicht übernehmen (" + reason + "); " + Name(name) +
                 " wurde nicht ersetzt");
  };
  // chown first: it may clear set-id bits that the chmod then restores.
  if (fchown(fd.get(), original.st_uid, original.st_gid) != 0)
    throw refuse(std::strerror(errno));
  if (fchmod(fd.get(), original.st_mode & 07777) != 0) throw refuse(std::strerror(errno));
  const struct stat taken = StatOf(fd, copy);
  if (taken.st_uid != original.st_uid || taken.st_gid != original.st_gid ||
      (taken.st_mode & 07777) != (original.st_mode & 07777))
    throw refuse("das Dateisystem behält sie nicht");
}

struct stat LinkStat(const std::filesystem::path& file) {
  struct stat info;
  if (lstat(file.c_str(), &info) != 0)
    throw SystemError("kann nicht abgefragt werden", file, errno);
  return info;
}

// Error codes with which link() says that the file system (FAT, some network
// shares) or the kernel's hard-link protection does not allow the link.
bool LinkNotPossible(int error) {
  return error == EPERM || error == EOPNOTSUPP || error == ENOTSUP || error == EMLINK ||
         error == ENOSYS || error == EXDEV;
}

void Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (rename(from.c_str(), to.c_str()) != 0)
    throw Error(Name(from) + " kann nicht in " + Name(to) +
                " umbenannt werden: " + std::strerror(errno));
}

// After the rename the new file is in place; a folder that cannot be flushed
// means only that the swap may not survive a power cut, which the
// description has to say instead of calling the whole commit failed.
void FlushFolderAfterReplace(const std::filesystem::path& file) {
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool flushed = fd >= 0 && (fsync(fd) == 0 || errno == EINVAL);
  const int error = errno;
  if (fd >= 0) close(fd);
  if (!flushed)
    throw Error(
        Name(file) + " wurde ersetzt, aber der Ordner " + folder.string() +
        " konnte nicht auf die Platte geschrieben werden: " + std::strerror(error));
}

// Whether the file's modification or change time is not older than the
// coarse clock file systems stamp writes with.
bool ChangedInThisTick(const struct stat& info) {
  struct timespec now;
  if (clock_gettime(CLOCK_REALTIME_COARSE, &now) != 0) return false;
  const auto not_older = [&](const struct timespec& time) {
    return time.tv_sec > now.tv_sec ||
           (time.tv_sec == now.tv_sec && time.tv_nsec >= now.tv_nsec);
  };
  return not_older(info.st_mtim) || not_older(info.st_ctim);
}

Error ChangedMeanwhile(const std::filesystem::path& file, const std::string& detail) {
  return Error("Die Datenbank " + Name(file) +
               " wurde während des Laufs von einem anderen Programm verändert" + detail +
               "; sie wurde nicht ersetzt");
}

// Whether `name` is one of the temporary names CreateBeside() or the backup
// staging make for `original`: "<original>.tmp-" and six mkostemp letters,
// optionally followed by ".bak". Nothing else in the folder matches.
bool IsOwnTemporaryName(const std::string& name, const std::string& original) {
  const std::string prefix = original + ".tmp-";
  if (name.size() < prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
    return false;
  const std::string rest = name.substr(prefix.size() + 6);
  if (!rest.empty() && rest != ".bak") return false;
  for (size_t i = prefix.size(); i < prefix.size() + 6; ++i) {
    const unsigned char c = name[i];
    if (!std::isalnum(c)) return false;
  }
  return true;
}

// A run killed during its commit leaves its temporary copy behind; the next
// commit, which holds the file alone, removes such leftovers. Failing to
// remove one only leaves it for the run after.
void RemoveLeftoverCopies(const std::filesystem::path& file) {
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
    if (IsOwnTemporaryName(entry.path().filename().string(), Name(file)) &&
        entry.is_regular_file(ignored))
      std::filesystem::remove(entry.path(), ignored);
  }
}

}  // namespace

DatabaseFile DatabaseFile::Open(const std::filesystem::path& path) {
  if (S_ISLNK(LinkStat(path).st_mode))
    throw Error(path.string() +
                " ist ein symbolischer Verweis; bitte den Pfad der Datei "
                "selbst angeben");
  if (const auto lock = FindLockFile(path))
    throw Error("Die Datenbank " + Name(path) + " ist in Benutzung: neben ihr liegt " +
                Name(*lock) + ". Bitte das Abrechnungsprogramm schließen; bleibt " +
                Name(*lock) +
                " danach liegen (nach einem Absturz), sie löschen, aber nur "
                "wenn das Abrechnungsprogramm geschlossen ist");
  FileDescriptor fd = OpenForReading(path);
  struct stat info = StatOf(fd, path);
  if (!S_ISREG(info.st_mode)) throw Error(path.string() + " ist keine gewöhnliche Datei");
  // File systems take a write's times from a clock that advances in ticks of
  // some milliseconds: a write in the tick of the file's last change could
  // leave both times as they are. Such a file is asked again once the clock
  // has moved on, so that any later write shows in the times.
  for (int wait = 0; wait < 20 && ChangedInThisTick(info); ++wait) {
    usleep(2000);
    info = StatOf(fd, path);
  }
  return DatabaseFile(path, std::move(fd), IdentityOf(info));
}

std::filesystem::path DatabaseFile::BackupPath() const { return path_.string() + ".bak"; }

void DatabaseFile::Read(uint64_t offset, std::span<uint8_t> into) {
  if (ReadAt(fd_, offset, into, path_) != into.size())
    throw Error("Die Datenbankdatei " + Name(path_) + " endet vor Byte " +
                std::to_string(offset + into.size()));
  read_.push_back({offset, into.size(), ContentHash(into)});
  bytes_read_ += into.size();
}

const DatabaseFile::ReadPart* DatabaseFile::FirstChangedPart(
    const FileDescriptor& file, const std::filesystem::path& name,
    const std::vector<Change>& changes) const {
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
    if (ReadAt(file, part.offset, buffer, name) != part.length ||
        ContentHash(buffer) != part.hash)
      return &part;
  }
  return nullptr;
}

void DatabaseFile::CheckCopy(const FileDescriptor& copy,
                             const std::filesystem::path& copy_path,
                             const std::vector<Change>& changes) const {
  const ReadPart* part = FirstChangedPart(copy, copy_path, changes);
  if (!part) return;
  // A copy of an original that another program changed is no fault of the
  // copy: that is what the message must say.
  CheckUnchanged();
  throw Error("Die Kopie " + Name(copy_path) + " enthält ab Byte " +
              std::to_string(part->offset) + " nicht, was " + Name(path_) +
              " dort enthielt; " + Name(path_) + " wurde nicht ersetzt");
}

void DatabaseFile::CheckUnchanged() const {
  if (const auto lock = FindLockFile(path_))
    throw Error("Das Abrechnungsprogramm hat die Datenbank " + Name(path_) +
                " während des Laufs geöffnet (" + Name(*lock) + " ist erschienen); " +
                Name(path_) + " wurde nicht ersetzt");
  if (const ReadPart* part = FirstChangedPart(fd_, path_, {}))
    throw ChangedMeanwhile(path_, " (die gelesenen Bytes ab Byte " +
                                      std::to_string(part->offset) +
                                      " sind nicht mehr dieselben)");
  if (CurrentIdentity(path_) != identity_) throw ChangedMeanwhile(path_, "");
}

void DatabaseFile::MakeBackup(const std::filesystem::path& staging) const {
  // The staging name is removed in any case: after a successful rename it is
  // gone anyway, except when the previous backup already was a link to the
  // original (a run stopped between steps 4 and 5), where rename() of one
  // name of a file onto another of its names changes nothing.
  const TemporaryName staged(staging);
  if (link(path_.c_str(), staging.c_str()) != 0) {
    if (!LinkNotPossible(errno))
      throw SystemError("(Sicherung) kann nicht angelegt werden", staging, errno);
    const int fd = open(staging.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
      throw SystemError("(Sicherung) kann nicht angelegt werden", staging, errno);
    const FileDescriptor copy(fd);
    TakeOwnerAndMode(copy, staging, LinkStat(path_), path_);
    if (CopyFileStart(fd_, copy, size(), path_, staging) != size())
      throw ChangedMeanwhile(path_, "");
    Flush(copy, staging);
  }
  Rename(staging, BackupPath());
}

void DatabaseFile::Replace(uint64_t new_size, const std::vector<Change>& changes,
                           const CopyCheck& check, const StepHook& hook) const {
  const auto reached = [&](Step step) {
    if (hook) hook(step);
  };
  for (const Change& change : changes)
    if (change.offset > new_size || change.bytes.size() > new_size - change.offset)
      throw Error("Interner Fehler: eine Änderung reicht über das Ende der neuen Datei");
  std::filesystem::path copy_path;
  const FileDescriptor copy_fd = CreateBeside(path_, &copy_path);
  TemporaryName copy(copy_path);
  TakeOwnerAndMode(copy_fd, copy_path, LinkStat(path_), path_);
  const uint64_t kept = std::min(size(), new_size);
  if (CopyFileStart(fd_, copy_fd, kept, path_, copy_path) != kept)
    throw ChangedMeanwhile(path_, " (sie ist kürzer geworden)");
  if (new_size > kept) Resize(copy_fd, new_size, copy_path);
  for (const Change& change : changes)
    WriteAt(copy_fd, change.offset, change.bytes, copy_path);
  reached(Step::kCopyWritten);
  Flush(copy_fd, copy_path);
  reached(Step::kCopyFlushed);
  CheckCopy(copy_fd, copy_path, changes);
  check(copy_path);
  reached(Step::kCopyChecked);

  CheckUnchanged();
  MakeBackup(copy_path.string() + ".bak");
  reached(Step::kBackupMade);

  Rename(copy_path, path_);
  copy.Release();
  reached(Step::kReplaced);
  RemoveLeftoverCopies(path_);
  FlushFolderAfterReplace(path_);
}

}  // namespace db::engine::mdb

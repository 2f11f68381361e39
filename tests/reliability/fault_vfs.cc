#include "tests/reliability/fault_vfs.h"

#include <sqlite3.h>

#include <array>

namespace reliability {

namespace {

struct Plan {
  // Indexed by Files, then by IoOperation.
  std::array<std::array<int64_t, 4>, 2> counts{};
  bool armed = false;
  Files files = Files::kAll;
  IoOperation operation = IoOperation::kRead;
  int64_t nth = 0;
  int error = SQLITE_OK;
  bool persistent = false;
  int64_t failures = 0;
};

Plan plan;
sqlite3_vfs* real_vfs = nullptr;
sqlite3_vfs fault_vfs;

// A file of the shim: the wrapped VFS's file follows it in the same block.
struct FaultFile {
  sqlite3_file base;
  sqlite3_file* real;
  bool temporary;
};

// The files SQLite deletes when it closes them: the temporary database,
// statement journals, sorters' and transient indexes' files.
constexpr int kTemporaryFileFlags = SQLITE_OPEN_TEMP_DB | SQLITE_OPEN_TEMP_JOURNAL |
                                    SQLITE_OPEN_SUBJOURNAL | SQLITE_OPEN_TRANSIENT_DB;

int64_t& Counter(Files files, IoOperation operation) {
  return plan.counts[static_cast<int>(files)][static_cast<int>(operation)];
}

// Counts the call; the error to return instead of making it, or SQLITE_OK.
int Injected(sqlite3_file* file, IoOperation operation) {
  const bool temporary = reinterpret_cast<FaultFile*>(file)->temporary;
  ++Counter(Files::kAll, operation);
  if (temporary) ++Counter(Files::kTemporary, operation);
  if (!plan.armed || operation != plan.operation) return SQLITE_OK;
  if (plan.files == Files::kTemporary && !temporary) return SQLITE_OK;
  const int64_t count = Counter(plan.files, operation);
  if (count != plan.nth && !(plan.persistent && count > plan.nth)) return SQLITE_OK;
  ++plan.failures;
  return plan.error;
}

sqlite3_file* Real(sqlite3_file* file) {
  return reinterpret_cast<FaultFile*>(file)->real;
}
const sqlite3_io_methods& RealMethods(sqlite3_file* file) {
  return *Real(file)->pMethods;
}

int Close(sqlite3_file* file) { return RealMethods(file).xClose(Real(file)); }

int Read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
  if (const int error = Injected(file, IoOperation::kRead)) return error;
  return RealMethods(file).xRead(Real(file), buffer, amount, offset);
}

int Write(sqlite3_file* file, const void* buffer, int amount, sqlite3_int64 offset) {
  if (const int error = Injected(file, IoOperation::kWrite)) return error;
  return RealMethods(file).xWrite(Real(file), buffer, amount, offset);
}

int Truncate(sqlite3_file* file, sqlite3_int64 size) {
  return RealMethods(file).xTruncate(Real(file), size);
}

int Sync(sqlite3_file* file, int flags) {
  if (const int error = Injected(file, IoOperation::kSync)) return error;
  return RealMethods(file).xSync(Real(file), flags);
}

int FileSize(sqlite3_file* file, sqlite3_int64* size) {
  return RealMethods(file).xFileSize(Real(file), size);
}

int Lock(sqlite3_file* file, int level) {
  if (const int error = Injected(file, IoOperation::kLock)) return error;
  return RealMethods(file).xLock(Real(file), level);
}

int Unlock(sqlite3_file* file, int level) {
  return RealMethods(file).xUnlock(Real(file), level);
}

int CheckReservedLock(sqlite3_file* file, int* result) {
  return RealMethods(file).xCheckReservedLock(Real(file), result);
}

int FileControl(sqlite3_file* file, int op, void* arg) {
  return RealMethods(file).xFileControl(Real(file), op, arg);
}

int SectorSize(sqlite3_file* file) { return RealMethods(file).xSectorSize(Real(file)); }

int DeviceCharacteristics(sqlite3_file* file) {
  return RealMethods(file).xDeviceCharacteristics(Real(file));
}

int ShmMap(sqlite3_file* file, int region, int size, int extend, void volatile** memory) {
  return RealMethods(file).xShmMap(Real(file), region, size, extend, memory);
}

int ShmLock(sqlite3_file* file, int offset, int n, int flags) {
  return RealMethods(file).xShmLock(Real(file), offset, n, flags);
}

void ShmBarrier(sqlite3_file* file) { RealMethods(file).xShmBarrier(Real(file)); }

int ShmUnmap(sqlite3_file* file, int remove) {
  return RealMethods(file).xShmUnmap(Real(file), remove);
}

int Fetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** pages) {
  return RealMethods(file).xFetch(Real(file), offset, amount, pages);
}

int Unfetch(sqlite3_file* file, sqlite3_int64 offset, void* page) {
  return RealMethods(file).xUnfetch(Real(file), offset, page);
}

// The platform's files offer version 3 of the methods (shared memory and
// memory mapping); the shim passes those on unchanged.
const sqlite3_io_methods kMethods = {
    3,
    Close,
    Read,
    Write,
    Truncate,
    Sync,
    FileSize,
    Lock,
    Unlock,
    CheckReservedLock,
    FileControl,
    SectorSize,
    DeviceCharacteristics,
    ShmMap,
    ShmLock,
    ShmBarrier,
    ShmUnmap,
    Fetch,
    Unfetch,
};

int Open(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* file, int flags,
         int* out_flags) {
  auto* fault_file = reinterpret_cast<FaultFile*>(file);
  fault_file->real = reinterpret_cast<sqlite3_file*>(fault_file + 1);
  fault_file->temporary = (flags & kTemporaryFileFlags) != 0;
  const int result = real_vfs->xOpen(real_vfs, name, fault_file->real, flags, out_flags);
  // SQLite closes a file whose methods are set, even after a failed open.
  fault_file->base.pMethods = fault_file->real->pMethods != nullptr ? &kMethods : nullptr;
  return result;
}

// The remaining VFS calls go to the wrapped VFS with its own handle.
int Delete(sqlite3_vfs*, const char* name, int sync_dir) {
  return real_vfs->xDelete(real_vfs, name, sync_dir);
}
int Access(sqlite3_vfs*, const char* name, int flags, int* result) {
  return real_vfs->xAccess(real_vfs, name, flags, result);
}
int FullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
  return real_vfs->xFullPathname(real_vfs, name, size, out);
}
void* DlOpen(sqlite3_vfs*, const char* name) { return real_vfs->xDlOpen(real_vfs, name); }
void DlError(sqlite3_vfs*, int size, char* message) {
  real_vfs->xDlError(real_vfs, size, message);
}
void (*DlSym(sqlite3_vfs*, void* library, const char* symbol))(void) {
  return real_vfs->xDlSym(real_vfs, library, symbol);
}
void DlClose(sqlite3_vfs*, void* library) { real_vfs->xDlClose(real_vfs, library); }
int Randomness(sqlite3_vfs*, int size, char* out) {
  return real_vfs->xRandomness(real_vfs, size, out);
}
int Sleep(sqlite3_vfs*, int microseconds) {
  return real_vfs->xSleep(real_vfs, microseconds);
}
int CurrentTime(sqlite3_vfs*, double* now) {
  return real_vfs->xCurrentTime(real_vfs, now);
}
int GetLastError(sqlite3_vfs*, int size, char* out) {
  return real_vfs->xGetLastError(real_vfs, size, out);
}
int CurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* now) {
  return real_vfs->xCurrentTimeInt64(real_vfs, now);
}

}  // namespace

const char* IoOperationName(IoOperation operation) {
  switch (operation) {
    case IoOperation::kRead:
      return "read";
    case IoOperation::kWrite:
      return "write";
    case IoOperation::kSync:
      return "sync";
    case IoOperation::kLock:
      return "lock";
  }
  return "?";
}

void FaultVfs::Install() {
  if (real_vfs != nullptr) return;
  real_vfs = sqlite3_vfs_find(nullptr);
  fault_vfs = sqlite3_vfs{};
  fault_vfs.iVersion = 2;
  fault_vfs.szOsFile = static_cast<int>(sizeof(FaultFile)) + real_vfs->szOsFile;
  fault_vfs.mxPathname = real_vfs->mxPathname;
  fault_vfs.zName = "reliability-fault";
  fault_vfs.xOpen = Open;
  fault_vfs.xDelete = Delete;
  fault_vfs.xAccess = Access;
  fault_vfs.xFullPathname = FullPathname;
  fault_vfs.xDlOpen = DlOpen;
  fault_vfs.xDlError = DlError;
  fault_vfs.xDlSym = DlSym;
  fault_vfs.xDlClose = DlClose;
  fault_vfs.xRandomness = Randomness;
  fault_vfs.xSleep = Sleep;
  fault_vfs.xCurrentTime = CurrentTime;
  fault_vfs.xGetLastError = GetLastError;
  fault_vfs.xCurrentTimeInt64 = CurrentTimeInt64;
  sqlite3_vfs_register(&fault_vfs, 1);
}

const char* FaultVfs::RealVfsName() { return real_vfs->zName; }

void FaultVfs::Reset() { plan = Plan{}; }

void FaultVfs::Arm(IoOperation operation, int64_t nth, int error, bool persistent,
                   Files files) {
  plan = Plan{};
  plan.armed = true;
  plan.files = files;
  plan.operation = operation;
  plan.nth = nth;
  plan.error = error;
  plan.persistent = persistent;
}

int64_t FaultVfs::Count(IoOperation operation, Files files) {
  return Counter(files, operation);
}

int64_t FaultVfs::Failures() { return plan.failures; }

}  // namespace reliability

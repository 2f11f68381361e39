#include "tests/app/fault_injection.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#endif

namespace testing_support {

using platform::File;
using platform::SystemFailure;

FaultInjection::FaultInjection(bool kernel_copy)
    : FileOperationsWrapper(platform::SystemFileOperations()),
      kernel_copy_(kernel_copy),
      run_thread_(std::this_thread::get_id()),
      installed_(*this) {}

FaultInjection::FaultInjection(Target target, bool kernel_copy)
    : FaultInjection(kernel_copy) {
  target_ = target;
}

std::optional<platform::SystemErrorCode> FaultInjection::Next(
    const char* operation, const std::filesystem::path& file, bool writes, bool reads) {
  const std::lock_guard lock(mutex_);
  const Thread thread =
      std::this_thread::get_id() == run_thread_ ? Thread::kRun : Thread::kOther;
  std::vector<Request>& seen = requests_[static_cast<int>(thread)];
  seen.push_back({operation, file, writes});
  if (!target_ || target_->thread != thread || target_->index != seen.size() - 1)
    return std::nullopt;
  fired_ = reads ? ReadErrorCode() : DiskFullCode();
  return fired_;
}

void FaultInjection::FailIfTarget(const char* operation, const char* what,
                                  const std::filesystem::path& file, bool reads) {
  if (const auto code = Next(operation, file, false, reads))
    throw SystemFailure(what, file, *code);
}

File FaultInjection::Open(const std::filesystem::path& path, OpenMode mode) {
  FailIfTarget("Open", "kann nicht geöffnet werden", path, mode == OpenMode::kRead);
  return target().Open(path, mode);
}

File FaultInjection::CreateTemporaryBeside(const std::filesystem::path& beside) {
  FailIfTarget("CreateTemporaryBeside", "kann nicht angelegt werden", beside);
  return target().CreateTemporaryBeside(beside);
}

// A close that fails has closed the file all the same, as on the systems.
void FaultInjection::Close(File& file) {
  const std::filesystem::path path = file.path();
  const auto code = Next("Close", path, false, false);
  target().Close(file);
  if (code) throw SystemFailure("kann nicht geschlossen werden", path, *code);
}

platform::FileStatus FaultInjection::Status(const File& file) {
  FailIfTarget("Status", "kann nicht abgefragt werden", file.path(), true);
  return target().Status(file);
}

size_t FaultInjection::ReadAt(const File& file, uint64_t offset,
                              std::span<uint8_t> into) {
  FailIfTarget("ReadAt", "kann nicht gelesen werden", file.path(), true);
  return target().ReadAt(file, offset, into);
}

void FaultInjection::WriteAt(File& file, uint64_t offset,
                             std::span<const uint8_t> bytes) {
  const auto code = Next("WriteAt", file.path(), bytes.size() > 1, false);
  if (!code) return target().WriteAt(file, offset, bytes);
  if (target_->fault == Fault::kShortWrite)
    target().WriteAt(file, offset, bytes.first(bytes.size() / 2));
  throw SystemFailure("kann nicht geschrieben werden", file.path(), *code);
}

void FaultInjection::Resize(File& file, uint64_t size) {
  FailIfTarget("Resize", "kann nicht auf die neue Größe gebracht werden", file.path());
  target().Resize(file, size);
}

void FaultInjection::Flush(File& file) {
  FailIfTarget("Flush", "kann nicht auf die Platte geschrieben werden", file.path());
  target().Flush(file);
}

uint64_t FaultInjection::CopyRange(const File& from, File& to, uint64_t offset,
                                   uint64_t length) {
  FailIfTarget("CopyRange", "kann nicht kopiert werden", to.path());
  return kernel_copy_ ? target().CopyRange(from, to, offset, length) : 0;
}

void FaultInjection::TakeAccessOf(File& file, const std::filesystem::path& original) {
  FailIfTarget("TakeAccessOf", "kann die Rechte nicht übernehmen", file.path());
  target().TakeAccessOf(file, original);
}

void FaultInjection::UseDefaultAccess(File& file) {
  FailIfTarget("UseDefaultAccess", "kann ihre Rechte nicht bekommen", file.path());
  target().UseDefaultAccess(file);
}

platform::FileIdentity FaultInjection::IdentityOf(const std::filesystem::path& path) {
  FailIfTarget("IdentityOf", "kann nicht abgefragt werden", path, true);
  return target().IdentityOf(path);
}

bool FaultInjection::IsSymbolicLink(const std::filesystem::path& path) {
  FailIfTarget("IsSymbolicLink", "kann nicht abgefragt werden", path, true);
  return target().IsSymbolicLink(path);
}

std::optional<platform::NameStatus> FaultInjection::StatusOfName(
    const std::filesystem::path& path) {
  FailIfTarget("StatusOfName", "kann nicht abgefragt werden", path, true);
  return target().StatusOfName(path);
}

bool FaultInjection::IsWriteProtected(const std::filesystem::path& path) {
  FailIfTarget("IsWriteProtected", "kann nicht abgefragt werden", path, true);
  return target().IsWriteProtected(path);
}

bool FaultInjection::CanReadAndWrite(const std::filesystem::path& file) {
  FailIfTarget("CanReadAndWrite", "kann nicht abgefragt werden", file, true);
  return target().CanReadAndWrite(file);
}

bool FaultInjection::CanCreateFilesIn(const std::filesystem::path& folder) {
  FailIfTarget("CanCreateFilesIn", "kann nicht abgefragt werden", folder, true);
  return target().CanCreateFilesIn(folder);
}

bool FaultInjection::TryHardLink(const std::filesystem::path& existing,
                                 const std::filesystem::path& link) {
  FailIfTarget("TryHardLink", "kann nicht angelegt werden", link);
  return target().TryHardLink(existing, link);
}

void FaultInjection::RenameOver(const std::filesystem::path& from,
                                const std::filesystem::path& to) {
  FailIfTarget("RenameOver", "kann nicht ersetzt werden", to);
  target().RenameOver(from, to);
}

void FaultInjection::Remove(const std::filesystem::path& path) {
  FailIfTarget("Remove", "kann nicht gelöscht werden", path);
  target().Remove(path);
}

std::vector<std::filesystem::path> FaultInjection::ListFolder(
    const std::filesystem::path& folder) {
  FailIfTarget("ListFolder", "kann nicht gelesen werden", folder, true);
  return target().ListFolder(folder);
}

void FaultInjection::FlushFolder(const std::filesystem::path& folder) {
  FailIfTarget("FlushFolder", "kann nicht auf die Platte geschrieben werden", folder);
  target().FlushFolder(folder);
}

bool FaultInjection::IsHeldOpen(const std::filesystem::path& path) {
  FailIfTarget("IsHeldOpen", "kann nicht abgefragt werden", path, true);
  return target().IsHeldOpen(path);
}

platform::VolumeSpace FaultInjection::Space(const std::filesystem::path& folder) {
  FailIfTarget("Space", "kann nicht abgefragt werden", folder, true);
  return target().Space(folder);
}

#ifdef _WIN32
platform::SystemErrorCode ReadErrorCode() { return ERROR_READ_FAULT; }
platform::SystemErrorCode DiskFullCode() { return ERROR_DISK_FULL; }
std::string NativeErrorText(platform::SystemErrorCode code) {
  char text[512] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
  std::string message = text;
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  return message;
}
#else
platform::SystemErrorCode ReadErrorCode() { return EIO; }
platform::SystemErrorCode DiskFullCode() { return ENOSPC; }
std::string NativeErrorText(platform::SystemErrorCode code) {
  return std::strerror(static_cast<int>(code));
}
#endif

}  // namespace testing_support

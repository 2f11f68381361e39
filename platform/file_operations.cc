#include "platform/file_operations.h"

namespace platform {
namespace {

FileOperations* current = nullptr;

}  // namespace

FileOperations& CurrentFileOperations() {
  return current != nullptr ? *current : SystemFileOperations();
}

InstalledFileOperations::InstalledFileOperations(FileOperations& operations)
    : previous_(current) {
  current = &operations;
}

InstalledFileOperations::~InstalledFileOperations() { current = previous_; }

}  // namespace platform

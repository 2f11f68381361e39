#include "db/engine/sqlite/row_store.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "db/engine/core_types.h"

namespace db::engine {
namespace {

constexpr size_t kFirstBlockSize = 1024;
constexpr size_t kBlockSize = 256 * 1024;

}  // namespace

RowStore::RowStore(size_t columns)
    : columns_(columns), next_block_size_(kFirstBlockSize) {}

size_t RowStore::AddRow() {
  if (row_count_ == row_capacity_) Grow();
  return row_count_++;
}

// New cells are all NULL already. Moving the small first chunk is safe: cells
// point only into the text blocks, which stay where they are.
void RowStore::Grow() {
  if (row_capacity_ >= kRowsPerChunk) {
    chunks_.push_back(std::make_unique<Cell[]>(kRowsPerChunk * columns_));
    row_capacity_ += kRowsPerChunk;
    return;
  }
  const size_t rows = row_capacity_ == 0 ? kFirstChunkRows : row_capacity_ * 2;
  auto chunk = std::make_unique<Cell[]>(rows * columns_);
  if (chunks_.empty()) {
    chunks_.push_back(std::move(chunk));
  } else {
    std::copy_n(chunks_[0].get(), row_capacity_ * columns_, chunk.get());
    chunks_[0] = std::move(chunk);
  }
  row_capacity_ = rows;
}

Value RowStore::Get(size_t row, size_t column) const {
  const Cell& cell = At(row, column);
  switch (cell.type) {
    case Value::Type::kNull:
      return Value::Null();
    case Value::Type::kText:
      return Value::Text(std::string(cell.text, cell.size));
    case Value::Type::kInteger:
      return Value::Integer(cell.integer);
    case Value::Type::kDouble:
      return Value::Double(cell.real);
    case Value::Type::kCurrency:
      return Value::Money(Currency::FromTicks(cell.integer));
  }
  return Value::Null();
}

void RowStore::Set(size_t row, size_t column, const Value& value) {
  Cell& cell = At(row, column);
  switch (value.type()) {
    case Value::Type::kNull:
      cell = Cell();
      return;
    case Value::Type::kText:
      SetText(row, column, value.text());
      return;
    case Value::Type::kInteger:
      cell.integer = value.integer();
      break;
    case Value::Type::kDouble:
      cell.real = value.real();
      break;
    case Value::Type::kCurrency:
      cell.integer = value.currency().ticks();
      break;
  }
  cell.type = value.type();
  cell.size = 0;
}

void RowStore::SetText(size_t row, size_t column, std::string_view text) {
  if (text.size() > UINT32_MAX)
    throw Error("A text of more than 4 GB cannot be held", Error::Kind::kUnsupported);
  Cell& cell = At(row, column);
  cell.type = Value::Type::kText;
  cell.size = static_cast<uint32_t>(text.size());
  cell.text = CopyText(text);
}

const char* RowStore::CopyText(std::string_view text) {
  if (text.empty()) return "";
  if (block_size_ - block_used_ < text.size()) {
    // A text too large for a normal block gets a block of its own.
    block_size_ = std::max(next_block_size_, text.size());
    next_block_size_ = std::min(next_block_size_ * 2, kBlockSize);
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(block_size_));
    block_used_ = 0;
  }
  char* copy = blocks_.back().get() + block_used_;
  std::memcpy(copy, text.data(), text.size());
  block_used_ += text.size();
  return copy;
}

}  // namespace db::engine

#include "db/row_store.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "db/error.h"

namespace db {
namespace {

constexpr size_t kBlockSize = 256 * 1024;

}  // namespace

size_t RowStore::AddRow() {
  // A new chunk's cells are all NULL already.
  if (row_count_ % kRowsPerChunk == 0)
    chunks_.push_back(std::make_unique<Cell[]>(kRowsPerChunk * columns_));
  return row_count_++;
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
  if (text.size() > UINT32_MAX) throw Error("A text of more than 4 GB cannot be held");
  Cell& cell = At(row, column);
  cell.type = Value::Type::kText;
  cell.size = static_cast<uint32_t>(text.size());
  cell.text = CopyText(text);
}

const char* RowStore::CopyText(std::string_view text) {
  if (text.empty()) return "";
  if (block_size_ - block_used_ < text.size()) {
    // A text too large for a normal block gets a block of its own.
    block_size_ = std::max(kBlockSize, text.size());
    blocks_.push_back(std::make_unique<char[]>(block_size_));
    block_used_ = 0;
  }
  char* copy = blocks_.back().get() + block_used_;
  std::memcpy(copy, text.data(), text.size());
  block_used_ += text.size();
  return copy;
}

}  // namespace db

#ifndef PREISLISTE_DB_ENGINE_JETSQL_AST_H_
#define PREISLISTE_DB_ENGINE_JETSQL_AST_H_

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/value.h"
#include "db/engine/jetsql/column_type.h"

// The parsed form of one Jet SQL statement. Names are kept as written,
// without brackets; keywords and function names are upper case.
namespace db::engine::jetsql::ast {

struct Select;

struct Expr {
  enum class Kind {
    kLiteral,     // literal (a number or a text)
    kNull,        // NULL
    kColumn,      // [qualifier.]name
    kUnary,       // op args[0]: kNeg, kNot
    kBinary,      // args[0] op args[1]
    kLike,        // args[0] [NOT] LIKE args[1]
    kIsNull,      // args[0] IS [NOT] NULL
    kInSubquery,  // args[0] [NOT] IN (subquery)
    kInList,      // args[0] [NOT] IN (args[1], ...)
    kFunction,    // name(args...) or COUNT(*)
  };
  enum class Op {
    kNone,
    kNeg,
    kNot,
    kAdd,
    kSub,
    kMul,
    kDiv,
    kConcat,
    kEq,
    kNe,
    kLt,
    kGt,
    kLe,
    kGe,
    kAnd,
    kOr
  };

  Kind kind = Kind::kNull;
  Op op = Op::kNone;
  bool negated = false;        // NOT LIKE, IS NOT NULL, NOT IN
  bool star_argument = false;  // COUNT(*)
  Value literal;
  std::string qualifier;  // kColumn: the table, if named
  std::string name;       // kColumn: the column; kFunction: the function
  std::vector<std::unique_ptr<Expr>> args;
  std::unique_ptr<Select> subquery;
};
using ExprPtr = std::unique_ptr<Expr>;

struct SelectItem {
  enum class Kind { kAllColumns, kTableColumns, kExpr };
  Kind kind = Kind::kExpr;
  std::string table;  // kTableColumns: table.*
  ExprPtr expr;
  std::string alias;
};

struct Join {
  std::string table;
  ExprPtr on;
};

struct OrderTerm {
  ExprPtr expr;
  bool descending = false;
};

struct Select {
  std::vector<SelectItem> items;
  std::string into;  // SELECT ... INTO this new table
  std::string from;  // empty without FROM
  std::optional<Join> join;
  ExprPtr where;
  std::vector<ExprPtr> group_by;
  std::vector<OrderTerm> order_by;
};

struct Insert {
  std::string table;
  std::vector<std::string> columns;  // empty: all columns in table order
  std::unique_ptr<Select> select;    // either this ...
  std::vector<ExprPtr> values;       // ... or VALUES (...)
};

struct Assignment {
  std::string qualifier;
  std::string column;
  ExprPtr value;
};

struct Update {
  std::string table;
  std::optional<Join> join;
  std::vector<Assignment> assignments;
  ExprPtr where;
};

struct Delete {
  std::string table;
  ExprPtr where;
};

struct ColumnDefinition {
  std::string name;
  ColumnType type;
  bool not_null = false;
};

struct CreateTable {
  std::string table;
  std::vector<ColumnDefinition> columns;
};

struct IndexColumn {
  std::string name;
  bool descending = false;
};

struct CreateIndex {
  std::string name;
  std::string table;
  bool unique = false;
  std::vector<IndexColumn> columns;
};

struct DropTable {
  std::string table;
};

struct DropIndex {
  std::string name;
  std::string table;
};

// A bare table name used as a record set source.
struct TableSource {
  std::string table;
};

using Statement = std::variant<Select, Insert, Update, Delete, CreateTable, CreateIndex,
                               DropTable, DropIndex, TableSource>;

}  // namespace db::engine::jetsql::ast

#endif  // PREISLISTE_DB_ENGINE_JETSQL_AST_H_

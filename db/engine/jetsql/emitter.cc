#include "db/engine/jetsql/emitter.h"

#include <utility>

#include "db/engine/core_types.h"
#include "db/engine/jetsql/case_fold.h"
#include "db/engine/jetsql/sql_builder.h"

namespace db::engine::jetsql {
namespace {

using ast::Expr;

bool SameName(std::string_view a, std::string_view b) {
  return CompareIgnoringCase(a, b) == 0;
}

bool IsAggregate(const Expr& expr) {
  if (expr.kind == Expr::Kind::kFunction &&
      (expr.name == "COUNT" || expr.name == "MAX" || expr.name == "MIN" ||
       expr.name == "SUM" || expr.name == "AVG")) {
    return true;
  }
  for (const ast::ExprPtr& arg : expr.args) {
    if (arg && IsAggregate(*arg)) return true;
  }
  return false;
}

bool HasAggregate(const ast::Select& select) {
  for (const ast::SelectItem& item : select.items) {
    if (item.expr && IsAggregate(*item.expr)) return true;
  }
  for (const ast::OrderTerm& term : select.order_by) {
    if (IsAggregate(*term.expr)) return true;
  }
  return false;
}

// What a value written into a column goes through to fit it, as in Jet: a
// CURRENCY column rounds it to four decimals, a VARCHAR(n) column refuses a
// text longer than n characters. Only writes of new values go through this;
// SELECT ... INTO copies the rows as they are stored, so that a value which
// another program stored too long does not make the copy fail.
struct ColumnWrite {
  std::string column;  // as the table declares it, for the description
  bool currency = false;
  size_t max_length = 0;  // 0: no limit
};

ColumnWrite WriteInto(const ColumnInfo& column) {
  const ColumnType type = DeclaredColumnType(column.declared_type);
  return {column.name, type.kind == ColumnType::Kind::kCurrency,
          type.kind == ColumnType::Kind::kText ? type.max_chars : 0};
}

bool Converts(const ColumnWrite& write) { return write.currency || write.max_length > 0; }

void BeginWrite(SqlBuilder& builder, const ColumnWrite& write) {
  if (write.currency) builder.Append("jet_currency(");
  if (write.max_length > 0) builder.Append("jet_text_fits(");
}

void EndWrite(SqlBuilder& builder, const ColumnWrite& write) {
  if (write.currency) builder.Append(")");
  if (write.max_length > 0) {
    builder.Append(", " + std::to_string(write.max_length) + ", ");
    builder.Param(Value::Text(write.column));
    builder.Append(")");
  }
}

// One result column of a SELECT with its Jet name and declared type; a
// "*" item stands for one such column per column of its table.
struct OutputColumn {
  const Expr* expr = nullptr;  // null for a column of an expanded "*"
  std::string table;           // ... which is then table.name
  std::string name;
  ColumnType type;
};

class Emitter {
 public:
  Emitter(const Schema& schema, const TranslateOptions& options)
      : schema_(schema), options_(options) {}

  Translation Emit(const ast::Statement& statement) {
    std::visit([this](const auto& s) { Statement(s); }, statement);
    return std::move(translation_);
  }

 private:
  // --- schema -----------------------------------------------------------

  const std::vector<ColumnInfo>* Columns(std::string_view table) {
    for (const auto& [name, columns] : schema_cache_) {
      if (SameName(name, table)) return columns ? &*columns : nullptr;
    }
    schema_cache_.emplace_back(std::string(table), schema_.TableColumns(table));
    const auto& columns = schema_cache_.back().second;
    return columns ? &*columns : nullptr;
  }

  const std::vector<ColumnInfo>& ExistingColumns(std::string_view table) {
    const std::vector<ColumnInfo>* columns = Columns(table);
    if (!columns)
      throw Error("Tabelle " + std::string(table) +
                      " gibt es nicht (no such table: " + std::string(table) + ")",
                  Error::Kind::kNotFound);
    return *columns;
  }

  // The declared type of a column named in `select`; kNone when unknown.
  ColumnType TypeOf(const ast::Select& select, const std::string& qualifier,
                    const std::string& name) {
    for (const std::string* table :
         {&select.from, select.join ? &select.join->table : nullptr}) {
      if (!table || table->empty() ||
          (!qualifier.empty() && !SameName(qualifier, *table))) {
        continue;
      }
      if (const auto* columns = Columns(*table)) {
        for (const ColumnInfo& column : *columns) {
          if (SameName(column.name, name))
            return DeclaredColumnType(column.declared_type);
        }
      }
    }
    return {};
  }

  ColumnType TypeOf(const ast::Select& select, const Expr& expr) {
    switch (expr.kind) {
      case Expr::Kind::kColumn:
        return TypeOf(select, expr.qualifier, expr.name);
      case Expr::Kind::kLiteral:
        if (expr.literal.type() == Value::Type::kInteger)
          return *JetColumnType("INTEGER", {});
        return {};
      case Expr::Kind::kFunction:
        if (expr.name == "COUNT") return *JetColumnType("INTEGER", {});
        if ((expr.name == "MAX" || expr.name == "MIN" || expr.name == "SUM") &&
            expr.args[0]->kind == Expr::Kind::kColumn) {
          return TypeOf(select, *expr.args[0]);
        }
        return {};
      default:
        return {};
    }
  }

  std::vector<OutputColumn> OutputColumns(const ast::Select& select) {
    std::vector<OutputColumn> output;
    for (const ast::SelectItem& item : select.items) {
      if (item.kind == ast::SelectItem::Kind::kExpr) {
        OutputColumn column{item.expr.get(), "", item.alias, TypeOf(select, *item.expr)};
        if (column.name.empty()) {
          column.name = item.expr->kind == Expr::Kind::kColumn
                            ? item.expr->name
                            : GeneratedColumnName(output.size());
        }
        output.push_back(std::move(column));
        continue;
      }
      for (const std::string* table : StarTables(select, item)) {
        for (const ColumnInfo& info : ExistingColumns(*table)) {
          output.push_back(
              {nullptr, *table, info.name, DeclaredColumnType(info.declared_type)});
        }
      }
    }
    return output;
  }

  std::vector<const std::string*> StarTables(const ast::Select& select,
                                             const ast::SelectItem& item) {
    if (item.kind == ast::SelectItem::Kind::kTableColumns) return {&item.table};
    if (select.from.empty())
      throw Error("SELECT * needs a FROM clause", Error::Kind::kInternal);
    if (select.join) return {&select.from, &select.join->table};
    return {&select.from};
  }

  // --- statements -------------------------------------------------------

  void Add(SqlBuilder& builder) { translation_.statements.push_back(builder.Finish()); }

  void Statement(const ast::Select& select) {
    if (!select.into.empty()) return SelectInto(select);
    SqlBuilder builder;
    builder.Append("SELECT ");
    if (options_.with_rowid && !select.from.empty() && !select.join &&
        select.group_by.empty() && !HasAggregate(select)) {
      builder.Name(select.from).Append(".rowid AS ").Name(kRowidColumn).Append(", ");
      translation_.base_table = select.from;
    }
    builder.SelectItems(select);
    builder.SelectTail(select);
    Add(builder);
    translation_.returns_rows = true;
  }

  void Statement(const ast::TableSource& source) {
    SqlBuilder builder;
    builder.Append("SELECT ");
    if (options_.with_rowid) {
      builder.Append("rowid AS ").Name(kRowidColumn).Append(", ");
      translation_.base_table = source.table;
    }
    builder.Append("* FROM ").Name(source.table);
    Add(builder);
    translation_.returns_rows = true;
  }

  void SelectInto(const ast::Select& select) {
    std::vector<OutputColumn> columns = OutputColumns(select);
    std::vector<ast::ColumnDefinition> definitions;
    for (OutputColumn& column : columns) {
      for (const ast::ColumnDefinition& earlier : definitions) {
        if (SameName(earlier.name, column.name)) {
          throw Error("Duplicate output destination '" + column.name + "'",
                      Error::Kind::kInternal);
        }
      }
      definitions.push_back({std::move(column.name), std::move(column.type), false});
    }
    SqlBuilder create;
    CreateTableText(create, select.into, definitions);
    Add(create);
    SqlBuilder insert;
    insert.Append("INSERT INTO ").Name(select.into).Append(" ");
    insert.WholeSelect(select);
    Add(insert);
    translation_.changes_schema = true;
  }

  void Statement(const ast::Insert& insert) {
    const std::vector<ColumnWrite> writes = TargetColumns(insert);
    SqlBuilder builder;
    builder.Append("INSERT INTO ").Name(insert.table);
    if (!insert.columns.empty()) {
      builder.Append(" (");
      for (size_t i = 0; i < insert.columns.size(); ++i) {
        if (i > 0) builder.Append(", ");
        builder.Name(insert.columns[i]);
      }
      builder.Append(")");
    }
    builder.Append(" ");
    if (insert.select) {
      InsertSelect(builder, *insert.select, writes);
    } else {
      CheckValueCount(writes, insert.values.size());
      builder.Append("VALUES (");
      for (size_t i = 0; i < insert.values.size(); ++i) {
        if (i > 0) builder.Append(", ");
        Written(builder, *insert.values[i], writes.empty() ? ColumnWrite{} : writes[i]);
      }
      builder.Append(")");
    }
    Add(builder);
  }

  // The writes into the target columns, in order. Empty when the target table
  // is unknown (SQLite then reports it missing); a column the table lacks
  // takes its value as it is (SQLite reports it missing).
  std::vector<ColumnWrite> TargetColumns(const ast::Insert& insert) {
    const std::vector<ColumnInfo>* columns = Columns(insert.table);
    if (!columns) return {};
    std::vector<ColumnWrite> writes;
    if (insert.columns.empty()) {
      for (const ColumnInfo& column : *columns) writes.push_back(WriteInto(column));
      return writes;
    }
    for (const std::string& name : insert.columns)
      writes.push_back(WriteNamed(*columns, name));
    return writes;
  }

  static ColumnWrite WriteNamed(const std::vector<ColumnInfo>& columns,
                                std::string_view name) {
    for (const ColumnInfo& column : columns) {
      if (SameName(column.name, name)) return WriteInto(column);
    }
    return {};
  }

  static void CheckValueCount(const std::vector<ColumnWrite>& targets, size_t values) {
    if (!targets.empty() && targets.size() != values) {
      throw Error("Number of query values and destination fields are not the same",
                  Error::Kind::kInternal);
    }
  }

  void InsertSelect(SqlBuilder& builder, const ast::Select& select,
                    const std::vector<ColumnWrite>& writes) {
    if (!select.into.empty())
      throw Error("SELECT ... INTO cannot be the source of an INSERT",
                  Error::Kind::kInternal);
    bool any_conversion = false;
    for (const ColumnWrite& write : writes) any_conversion |= Converts(write);
    bool has_star = false;
    for (const ast::SelectItem& item : select.items) {
      has_star |= item.kind != ast::SelectItem::Kind::kExpr;
    }
    if (!any_conversion) {
      if (!has_star) CheckValueCount(writes, select.items.size());
      builder.WholeSelect(select);
      return;
    }
    // Every selected value is written out one by one, so that each goes
    // through what its target column demands.
    const std::vector<OutputColumn> columns = OutputColumns(select);
    CheckValueCount(writes, columns.size());
    builder.Append("SELECT ");
    for (size_t i = 0; i < columns.size(); ++i) {
      if (i > 0) builder.Append(", ");
      BeginWrite(builder, writes[i]);
      if (columns[i].expr) {
        builder.Expression(*columns[i].expr);
      } else {
        builder.Name(columns[i].table).Append(".").Name(columns[i].name);
      }
      EndWrite(builder, writes[i]);
    }
    builder.SelectTail(select);
  }

  static void Written(SqlBuilder& builder, const Expr& value, const ColumnWrite& write) {
    BeginWrite(builder, write);
    builder.Expression(value);
    EndWrite(builder, write);
  }

  void Statement(const ast::Update& update) {
    const std::vector<ColumnInfo>* columns = Columns(update.table);
    SqlBuilder builder;
    builder.Append("UPDATE ").Name(update.table).Append(" SET ");
    for (size_t i = 0; i < update.assignments.size(); ++i) {
      const ast::Assignment& assignment = update.assignments[i];
      if (!assignment.qualifier.empty() &&
          !SameName(assignment.qualifier, update.table)) {
        throw Error("Cannot update '" + assignment.qualifier + "." + assignment.column +
                        "': only columns of table '" + update.table + "' can be set",
                    Error::Kind::kInternal);
      }
      const ColumnWrite write =
          columns ? WriteNamed(*columns, assignment.column) : ColumnWrite{};
      if (i > 0) builder.Append(", ");
      builder.Name(assignment.column).Append(" = ");
      Written(builder, *assignment.value, write);
    }
    if (update.join) builder.Append(" FROM ").Name(update.join->table);
    if (update.join || update.where) builder.Append(" WHERE ");
    if (update.join) builder.Expression(*update.join->on);
    if (update.join && update.where) builder.Append(" AND ");
    if (update.where) builder.Expression(*update.where);
    Add(builder);
  }

  void Statement(const ast::Delete& del) {
    SqlBuilder builder;
    builder.Append("DELETE FROM ").Name(del.table);
    if (del.where) {
      builder.Append(" WHERE ");
      builder.Expression(*del.where);
    }
    Add(builder);
  }

  void Statement(const ast::CreateTable& create) {
    SqlBuilder builder;
    CreateTableText(builder, create.table, create.columns);
    Add(builder);
    translation_.changes_schema = true;
  }

  // Every column compares text without regard to case, so that indexes on
  // it serve the translated comparisons. The width of VARCHAR(n) is kept in
  // the declared type and enforced on every write (ColumnWrite), not by a
  // constraint: a constraint would also refuse copies of rows stored before.
  // A working table goes into the temporary database; while the file holds a
  // table of its name the creation is refused as SQLite refuses it in the
  // file, so that no statement reaches a different table than before.
  void CreateTableText(SqlBuilder& builder, const std::string& table,
                       const std::vector<ast::ColumnDefinition>& columns) {
    const bool working = schema_.IsWorkingTable(table);
    if (working && schema_.FileHoldsTable(table))
      throw Error("table `" + table + "` already exists",
                  Error::Kind::kConstraint);  // SQLite's words
    builder.Append(working ? "CREATE TEMP TABLE " : "CREATE TABLE ")
        .Name(table)
        .Append(" (");
    for (size_t i = 0; i < columns.size(); ++i) {
      const ast::ColumnDefinition& column = columns[i];
      if (i > 0) builder.Append(", ");
      builder.Name(column.name);
      if (!column.type.declared.empty()) builder.Append(" ").Append(column.type.declared);
      builder.Append(kCollate);
      if (column.not_null) builder.Append(" NOT NULL");
    }
    builder.Append(")");
  }

  void Statement(const ast::CreateIndex& index) {
    SqlBuilder builder;
    builder.Append(index.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ")
        .Name(index.name)
        .Append(" ON ")
        .Name(index.table)
        .Append(" (");
    for (size_t i = 0; i < index.columns.size(); ++i) {
      if (i > 0) builder.Append(", ");
      builder.Name(index.columns[i].name).Append(kCollate);
      if (index.columns[i].descending) builder.Append(" DESC");
    }
    builder.Append(")");
    Add(builder);
    translation_.changes_schema = true;
  }

  void Statement(const ast::DropTable& drop) {
    SqlBuilder builder;
    builder.Append("DROP TABLE ").Name(drop.table);
    Add(builder);
    translation_.changes_schema = true;
  }

  void Statement(const ast::DropIndex& drop) {
    SqlBuilder builder;
    builder.Append("DROP INDEX ").Name(drop.name);
    Add(builder);
    translation_.changes_schema = true;
  }

  const Schema& schema_;
  const TranslateOptions& options_;
  Translation translation_;
  std::vector<std::pair<std::string, std::optional<std::vector<ColumnInfo>>>>
      schema_cache_;
};

}  // namespace

Translation EmitSqlite(const ast::Statement& statement, const Schema& schema,
                       const TranslateOptions& options) {
  return Emitter(schema, options).Emit(statement);
}

}  // namespace db::engine::jetsql

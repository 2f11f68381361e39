#include "db/engine/jetsql/emitter.h"

#include <utility>

#include "db/engine/error.h"
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
    if (!columns) throw Error("no such table: " + std::string(table));
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
    if (select.from.empty()) throw Error("SELECT * needs a FROM clause");
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
          throw Error("Duplicate output destination '" + column.name + "'");
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
    std::vector<bool> currency = TargetCurrencyColumns(insert);
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
      InsertSelect(builder, *insert.select, currency);
    } else {
      CheckValueCount(currency, insert.values.size());
      builder.Append("VALUES (");
      for (size_t i = 0; i < insert.values.size(); ++i) {
        if (i > 0) builder.Append(", ");
        Written(builder, *insert.values[i], !currency.empty() && currency[i]);
      }
      builder.Append(")");
    }
    Add(builder);
  }

  // Per target column: does it hold currency? Empty when the target table is
  // unknown (SQLite then reports it missing).
  std::vector<bool> TargetCurrencyColumns(const ast::Insert& insert) {
    const std::vector<ColumnInfo>* columns = Columns(insert.table);
    if (!columns) return {};
    std::vector<bool> currency;
    if (insert.columns.empty()) {
      for (const ColumnInfo& column : *columns) currency.push_back(IsCurrency(column));
      return currency;
    }
    for (const std::string& name : insert.columns) {
      bool is_currency = false;
      for (const ColumnInfo& column : *columns) {
        if (SameName(column.name, name)) is_currency = IsCurrency(column);
      }
      currency.push_back(is_currency);
    }
    return currency;
  }

  static bool IsCurrency(const ColumnInfo& column) {
    return DeclaredColumnType(column.declared_type).kind == ColumnType::Kind::kCurrency;
  }

  static void CheckValueCount(const std::vector<bool>& targets, size_t values) {
    if (!targets.empty() && targets.size() != values) {
      throw Error("Number of query values and destination fields are not the same");
    }
  }

  void InsertSelect(SqlBuilder& builder, const ast::Select& select,
                    const std::vector<bool>& currency) {
    if (!select.into.empty())
      throw Error("SELECT ... INTO cannot be the source of an INSERT");
    bool any_currency = false;
    for (bool is_currency : currency) any_currency |= is_currency;
    bool has_star = false;
    for (const ast::SelectItem& item : select.items) {
      has_star |= item.kind != ast::SelectItem::Kind::kExpr;
    }
    if (!any_currency) {
      if (!has_star) CheckValueCount(currency, select.items.size());
      builder.WholeSelect(select);
      return;
    }
    // Currency targets: every selected value is written out one by one, so
    // that those going into a CURRENCY column can be rounded.
    const std::vector<OutputColumn> columns = OutputColumns(select);
    CheckValueCount(currency, columns.size());
    builder.Append("SELECT ");
    for (size_t i = 0; i < columns.size(); ++i) {
      if (i > 0) builder.Append(", ");
      if (currency[i]) builder.Append("jet_currency(");
      if (columns[i].expr) {
        builder.Expression(*columns[i].expr);
      } else {
        builder.Name(columns[i].table).Append(".").Name(columns[i].name);
      }
      if (currency[i]) builder.Append(")");
    }
    builder.SelectTail(select);
  }

  // A value written into a column, rounded when the column holds currency.
  static void Written(SqlBuilder& builder, const Expr& value, bool currency) {
    if (!currency) return builder.Expression(value);
    builder.Append("jet_currency(");
    builder.Expression(value);
    builder.Append(")");
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
                    "': only columns of table '" + update.table + "' can be set");
      }
      bool currency = false;
      for (const ColumnInfo& column : columns ? *columns : std::vector<ColumnInfo>{}) {
        if (SameName(column.name, assignment.column)) currency = IsCurrency(column);
      }
      if (i > 0) builder.Append(", ");
      builder.Name(assignment.column).Append(" = ");
      Written(builder, *assignment.value, currency);
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
  // it serve the translated comparisons; VARCHAR(n) refuses longer texts.
  static void CreateTableText(SqlBuilder& builder, const std::string& table,
                              const std::vector<ast::ColumnDefinition>& columns) {
    builder.Append("CREATE TABLE ").Name(table).Append(" (");
    for (size_t i = 0; i < columns.size(); ++i) {
      const ast::ColumnDefinition& column = columns[i];
      if (i > 0) builder.Append(", ");
      builder.Name(column.name);
      if (!column.type.declared.empty()) builder.Append(" ").Append(column.type.declared);
      builder.Append(kCollate);
      if (column.not_null) builder.Append(" NOT NULL");
      if (column.type.max_chars > 0) {
        const std::string limit = std::to_string(column.type.max_chars);
        builder.Append(" CONSTRAINT ")
            .Name(column.name + ": text longer than " + limit + " characters")
            .Append(" CHECK (length(")
            .Name(column.name)
            .Append(") <= " + limit + ")");
      }
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

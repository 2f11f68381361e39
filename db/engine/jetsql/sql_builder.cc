#include "db/engine/jetsql/sql_builder.h"

#include "db/engine/core_types.h"
#include "db/engine/jetsql/like_pattern.h"

namespace db::engine::jetsql {
namespace {

using ast::Expr;
using Op = Expr::Op;

std::string_view BinaryOperator(Op op) {
  switch (op) {
    case Op::kAdd:
      return " + ";
    case Op::kSub:
      return " - ";
    case Op::kMul:
      return " * ";
    case Op::kDiv:
      return " * 1.0 / ";  // Jet divides as floating point, also integers
    case Op::kEq:
      return " = ";
    case Op::kNe:
      return " <> ";
    case Op::kLt:
      return " < ";
    case Op::kGt:
      return " > ";
    case Op::kLe:
      return " <= ";
    case Op::kGe:
      return " >= ";
    case Op::kAnd:
      return " AND ";
    case Op::kOr:
      return " OR ";
    default:
      return "";
  }
}

bool IsComparison(Op op) {
  return op == Op::kEq || op == Op::kNe || op == Op::kLt || op == Op::kGt ||
         op == Op::kLe || op == Op::kGe;
}

bool IsChain(Op op) {
  return op == Op::kAnd || op == Op::kOr || op == Op::kAdd || op == Op::kSub ||
         op == Op::kMul;
}

}  // namespace

std::string GeneratedColumnName(size_t position) {
  return "Expr" + std::to_string(1000 + position);
}

SqlBuilder& SqlBuilder::Name(std::string_view name) {
  std::string& sql = statement_.sql;
  sql += '`';
  if (name.find('`') == std::string_view::npos) {
    sql += name;
  } else {
    for (char c : name) {
      if (c == '`') sql += '`';
      sql += c;
    }
  }
  sql += '`';
  return *this;
}

SqlBuilder& SqlBuilder::Param(Value value) {
  statement_.sql += '?';
  statement_.params.push_back(std::move(value));
  return *this;
}

void SqlBuilder::Expression(const Expr& expr) {
  switch (expr.kind) {
    case Expr::Kind::kLiteral:
      Param(expr.literal);
      return;
    case Expr::Kind::kNull:
      Append("NULL");
      return;
    case Expr::Kind::kColumn:
      if (!expr.qualifier.empty()) Name(expr.qualifier).Append(".");
      Name(expr.name);
      return;
    case Expr::Kind::kUnary:
      Append(expr.op == Op::kNeg ? "(-" : "(NOT ");
      Expression(*expr.args[0]);
      Append(")");
      return;
    case Expr::Kind::kBinary:
      Binary(expr);
      return;
    case Expr::Kind::kLike:
      Like(expr);
      return;
    case Expr::Kind::kIsNull:
      Append("(");
      Expression(*expr.args[0]);
      Append(expr.negated ? " IS NOT NULL)" : " IS NULL)");
      return;
    case Expr::Kind::kInSubquery:
    case Expr::Kind::kInList:
      InTest(expr);
      return;
    case Expr::Kind::kFunction:
      Function(expr);
      return;
  }
}

void SqlBuilder::Collated(const Expr& expr) {
  Expression(expr);
  Append(kCollate);
}

void SqlBuilder::Binary(const Expr& expr) {
  if (expr.op == Op::kConcat) {  // NULL counts as empty text
    Append("jet_concat(");
    Expression(*expr.args[0]);
    Append(", ");
    Expression(*expr.args[1]);
    Append(")");
    return;
  }
  Append("(");
  BinaryTerms(expr);
  Append(")");
}

void SqlBuilder::BinaryTerms(const Expr& expr) {
  const Expr& left = *expr.args[0];
  if (IsComparison(expr.op)) {
    // Only text operands are affected by the collation; numbers compare as numbers.
    Collated(left);
  } else if (left.kind == Expr::Kind::kBinary && left.op == expr.op && IsChain(expr.op)) {
    // a OR b OR c is written without nesting: SQLite's parser stack is
    // shallow, and the operators associate to the left in both dialects.
    BinaryTerms(left);
  } else {
    Expression(left);
  }
  Append(BinaryOperator(expr.op));
  Expression(*expr.args[1]);
}

void SqlBuilder::Like(const Expr& expr) {
  const Expr& value = *expr.args[0];
  const Expr& pattern = *expr.args[1];
  if (pattern.kind == Expr::Kind::kLiteral) {
    std::string text = pattern.literal.ToText();
    const LikePattern compiled(text);  // refuses an invalid pattern now
    if (const auto& literal = compiled.literal_text()) {
      // No wildcard: an equality test, which an index on the column serves.
      Append("(");
      Collated(value);
      Append(expr.negated ? " <> " : " = ");
      Param(Value::Text(*literal));
      Append(")");
      return;
    }
    Append(expr.negated ? "(NOT jet_like(" : "(jet_like(");
    Param(Value::Text(std::move(text)));
  } else {
    Append(expr.negated ? "(NOT jet_like(" : "(jet_like(");
    Expression(pattern);
  }
  Append(", ");
  Expression(value);
  Append("))");
}

void SqlBuilder::Function(const Expr& expr) {
  if (expr.star_argument) {
    Append("count(*)");
    return;
  }
  const std::string& name = expr.name;
  if (name == "MID") {
    Append("substr(");
  } else if (name == "ROUND") {
    Append("round(");
  } else if (name == "ISNUMERIC") {
    Append("jet_isnumeric(");
  } else if (name == "MAX" || name == "MIN") {
    // The largest text is chosen without regard to case, too.
    Append(name == "MAX" ? "max(" : "min(");
    Collated(*expr.args[0]);
    Append(")");
    return;
  } else if (name == "COUNT" || name == "SUM" || name == "AVG") {
    Append(name == "COUNT" ? "count(" : name == "SUM" ? "sum(" : "avg(");
  } else {
    throw Error("Undefined function '" + name + "' in expression",
                Error::Kind::kInternal);
  }
  for (size_t i = 0; i < expr.args.size(); ++i) {
    if (i > 0) Append(", ");
    Expression(*expr.args[i]);
  }
  Append(")");
}

void SqlBuilder::InTest(const Expr& expr) {
  Append("(");
  Collated(*expr.args[0]);
  Append(expr.negated ? " NOT IN (" : " IN (");
  if (expr.kind == Expr::Kind::kInSubquery) {
    WholeSelect(*expr.subquery);
  } else {
    for (size_t i = 1; i < expr.args.size(); ++i) {
      if (i > 1) Append(", ");
      Expression(*expr.args[i]);
    }
  }
  Append("))");
}

void SqlBuilder::SelectItems(const ast::Select& select) {
  for (size_t i = 0; i < select.items.size(); ++i) {
    const ast::SelectItem& item = select.items[i];
    if (i > 0) Append(", ");
    switch (item.kind) {
      case ast::SelectItem::Kind::kAllColumns:
        Append("*");
        break;
      case ast::SelectItem::Kind::kTableColumns:
        Name(item.table).Append(".*");
        break;
      case ast::SelectItem::Kind::kExpr:
        Expression(*item.expr);
        if (!item.alias.empty()) {
          Append(" AS ").Name(item.alias);
        } else if (item.expr->kind != Expr::Kind::kColumn) {
          Append(" AS ").Name(GeneratedColumnName(i));
        }
        break;
    }
  }
}

void SqlBuilder::SelectTail(const ast::Select& select) {
  if (!select.from.empty()) {
    Append(" FROM ").Name(select.from);
    if (select.join) {
      Append(" INNER JOIN ").Name(select.join->table).Append(" ON ");
      Expression(*select.join->on);
    }
  }
  if (select.where) {
    Append(" WHERE ");
    Expression(*select.where);
  }
  for (size_t i = 0; i < select.group_by.size(); ++i) {
    Append(i == 0 ? " GROUP BY " : ", ");
    Collated(*select.group_by[i]);
  }
  for (size_t i = 0; i < select.order_by.size(); ++i) {
    Append(i == 0 ? " ORDER BY " : ", ");
    Collated(*select.order_by[i].expr);
    if (select.order_by[i].descending) Append(" DESC");
  }
}

void SqlBuilder::WholeSelect(const ast::Select& select) {
  Append("SELECT ");
  SelectItems(select);
  SelectTail(select);
}

}  // namespace db::engine::jetsql

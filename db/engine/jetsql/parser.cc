#include "db/engine/jetsql/parser.h"

#include <array>
#include <charconv>
#include <cstdint>

#include "db/engine/core_types.h"
#include "db/engine/jetsql/token.h"

namespace db::engine::jetsql {
namespace {

using ast::Expr;
using ast::ExprPtr;
using Op = Expr::Op;

// Expression trees deeper than this are refused instead of exhausting the
// stack (parsing, emitting and freeing all recurse over the tree).
constexpr int kMaxDepth = 250;

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

// Words that end or start a clause; they cannot be plain names.
bool IsReservedWord(std::string_view word) {
  static constexpr std::array<std::string_view, 41> kWords = {
      "SELECT", "FROM",    "WHERE",  "GROUP",  "ORDER",    "BY",     "INTO",
      "AS",     "AND",     "OR",     "NOT",    "LIKE",     "IS",     "NULL",
      "IN",     "INNER",   "JOIN",   "ON",     "SET",      "VALUES", "ASC",
      "DESC",   "UPDATE",  "INSERT", "DELETE", "CREATE",   "DROP",   "TABLE",
      "INDEX",  "UNIQUE",  "HAVING", "UNION",  "DISTINCT", "TOP",    "LEFT",
      "RIGHT",  "BETWEEN", "EXISTS", "XOR",    "MOD",      "ALTER"};
  for (std::string_view reserved : kWords) {
    if (EqualIgnoringAsciiCase(word, reserved)) return true;
  }
  return false;
}

struct FunctionArity {
  std::string_view name;
  size_t min_args;
  size_t max_args;
};

constexpr FunctionArity kFunctions[] = {
    {"MID", 2, 3}, {"ROUND", 1, 2}, {"ISNUMERIC", 1, 1}, {"COUNT", 1, 1},
    {"MAX", 1, 1}, {"MIN", 1, 1},   {"SUM", 1, 1},       {"AVG", 1, 1},
};

class Parser {
 public:
  explicit Parser(std::string_view sql) : tokens_(Tokenize(sql)) {}

  ast::Statement Statement(bool allow_table_name) {
    if (allow_table_name && IsLoneTableName()) {
      ast::TableSource source{TableName()};
      ExpectEnd();
      return source;
    }
    ast::Statement statement = StatementBody();
    ExpectEnd();
    return statement;
  }

 private:
  // Counts the tree levels added while it lives: one per nesting, and one
  // per operator of a chain such as a OR b OR c, which nests to the left.
  class DepthGuard {
   public:
    // A nesting point counts one level at once; a chain starts with none.
    explicit DepthGuard(int* depth, int levels = 1) : depth_(depth) {
      for (int i = 0; i < levels; ++i) Deepen();
    }
    ~DepthGuard() { *depth_ -= levels_; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;

    void Deepen() {
      ++*depth_;
      ++levels_;
      if (*depth_ > kMaxDepth)
        throw Error("SQL statement is nested too deeply", Error::Kind::kInternal);
    }

   private:
    int* depth_;
    int levels_ = 0;
  };

  // --- token helpers ---------------------------------------------------

  const Token& Peek(size_t ahead = 0) const {
    return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)];
  }

  bool PeekKeyword(std::string_view word, size_t ahead = 0) const {
    const Token& token = Peek(ahead);
    return token.kind == Token::Kind::kName && EqualIgnoringAsciiCase(token.text, word);
  }

  bool PeekSymbol(std::string_view symbol, size_t ahead = 0) const {
    const Token& token = Peek(ahead);
    return token.kind == Token::Kind::kSymbol && token.text == symbol;
  }

  bool AcceptKeyword(std::string_view word) {
    if (!PeekKeyword(word)) return false;
    ++pos_;
    return true;
  }

  bool AcceptSymbol(std::string_view symbol) {
    if (!PeekSymbol(symbol)) return false;
    ++pos_;
    return true;
  }

  void ExpectKeyword(std::string_view word) {
    if (!AcceptKeyword(word)) ThrowUnexpected();
  }

  void ExpectSymbol(std::string_view symbol) {
    if (!AcceptSymbol(symbol)) ThrowUnexpected();
  }

  void ExpectEnd() {
    AcceptSymbol(";");
    if (Peek().kind != Token::Kind::kEnd) ThrowUnexpected();
  }

  [[noreturn]] void ThrowUnexpected() const {
    const Token& token = Peek();
    if (token.kind == Token::Kind::kEnd) {
      throw Error("Syntax error in SQL statement: unexpected end of statement",
                  Error::Kind::kInternal);
    }
    const std::string shown =
        token.kind == Token::Kind::kString ? "'" + token.text + "'" : token.text;
    throw Error("Syntax error in SQL statement near '" + shown + "'",
                Error::Kind::kInternal);
  }

  bool PeekName(size_t ahead = 0) const {
    const Token& token = Peek(ahead);
    return token.kind == Token::Kind::kQuotedName ||
           (token.kind == Token::Kind::kName && !IsReservedWord(token.text));
  }

  std::string Name() {
    if (!PeekName()) ThrowUnexpected();
    return tokens_[pos_++].text;
  }

  std::string TableName() { return Name(); }

  bool IsLoneTableName() const {
    return PeekName() && (Peek(1).kind == Token::Kind::kEnd ||
                          (PeekSymbol(";", 1) && Peek(2).kind == Token::Kind::kEnd));
  }

  // --- statements ------------------------------------------------------

  ast::Statement StatementBody() {
    if (AcceptKeyword("SELECT")) return SelectBody();
    if (AcceptKeyword("INSERT")) return InsertBody();
    if (AcceptKeyword("UPDATE")) return UpdateBody();
    if (AcceptKeyword("DELETE")) return DeleteBody();
    if (AcceptKeyword("CREATE")) return CreateBody();
    if (AcceptKeyword("DROP")) return DropBody();
    const Token& token = Peek();
    if (token.kind == Token::Kind::kName) {
      throw Error("Unsupported SQL statement '" + token.text +
                      "': expected SELECT, INSERT, UPDATE, DELETE, CREATE or DROP",
                  Error::Kind::kInternal);
    }
    ThrowUnexpected();
  }

  ast::Select SelectBody() {
    ast::Select select;
    do {
      select.items.push_back(SelectItem());
    } while (AcceptSymbol(","));
    if (AcceptKeyword("INTO")) select.into = TableName();
    if (AcceptKeyword("FROM")) {
      select.from = TableName();
      select.join = OptionalJoin();
    }
    if (AcceptKeyword("WHERE")) select.where = Expression();
    if (AcceptKeyword("GROUP")) {
      ExpectKeyword("BY");
      do {
        select.group_by.push_back(Expression());
      } while (AcceptSymbol(","));
    }
    if (AcceptKeyword("ORDER")) {
      ExpectKeyword("BY");
      do {
        ast::OrderTerm term{Expression()};
        if (!AcceptKeyword("ASC")) term.descending = AcceptKeyword("DESC");
        select.order_by.push_back(std::move(term));
      } while (AcceptSymbol(","));
    }
    return select;
  }

  ast::SelectItem SelectItem() {
    ast::SelectItem item;
    if (AcceptSymbol("*")) {
      item.kind = ast::SelectItem::Kind::kAllColumns;
    } else if (PeekName() && PeekSymbol(".", 1) && PeekSymbol("*", 2)) {
      item.kind = ast::SelectItem::Kind::kTableColumns;
      item.table = Name();
      pos_ += 2;
    } else {
      item.expr = Expression();
      if (AcceptKeyword("AS")) item.alias = Name();
    }
    return item;
  }

  std::optional<ast::Join> OptionalJoin() {
    if (!AcceptKeyword("INNER")) {
      if (PeekKeyword("LEFT") || PeekKeyword("RIGHT") || PeekKeyword("JOIN")) {
        throw Error(
            "Unsupported join near '" + Peek().text + "': only INNER JOIN is supported",
            Error::Kind::kInternal);
      }
      return std::nullopt;
    }
    ExpectKeyword("JOIN");
    ast::Join join{TableName(), nullptr};
    ExpectKeyword("ON");
    join.on = Expression();
    return join;
  }

  ast::Insert InsertBody() {
    ExpectKeyword("INTO");
    ast::Insert insert{TableName(), {}, nullptr, {}};
    if (AcceptSymbol("(")) {
      do {
        insert.columns.push_back(Name());
      } while (AcceptSymbol(","));
      ExpectSymbol(")");
    }
    if (AcceptKeyword("SELECT")) {
      insert.select = std::make_unique<ast::Select>(SelectBody());
      if (!insert.select->into.empty()) ThrowUnexpectedInto();
      return insert;
    }
    ExpectKeyword("VALUES");
    ExpectSymbol("(");
    do {
      insert.values.push_back(Expression());
    } while (AcceptSymbol(","));
    ExpectSymbol(")");
    return insert;
  }

  [[noreturn]] static void ThrowUnexpectedInto() {
    throw Error("Syntax error in SQL statement: SELECT ... INTO is not allowed here",
                Error::Kind::kInternal);
  }

  ast::Update UpdateBody() {
    ast::Update update{TableName(), OptionalJoin(), {}, nullptr};
    ExpectKeyword("SET");
    do {
      ast::Assignment assignment;
      assignment.column = Name();
      if (AcceptSymbol(".")) {
        assignment.qualifier = std::move(assignment.column);
        assignment.column = Name();
      }
      ExpectSymbol("=");
      assignment.value = Expression();
      update.assignments.push_back(std::move(assignment));
    } while (AcceptSymbol(","));
    if (AcceptKeyword("WHERE")) update.where = Expression();
    return update;
  }

  ast::Delete DeleteBody() {
    // Jet also writes DELETE * FROM t and DELETE t.* FROM t.
    if (!AcceptSymbol("*") && PeekName() && PeekSymbol(".", 1) && PeekSymbol("*", 2)) {
      pos_ += 3;
    }
    ExpectKeyword("FROM");
    ast::Delete del{TableName(), nullptr};
    if (AcceptKeyword("WHERE")) del.where = Expression();
    return del;
  }

  ast::Statement CreateBody() {
    if (AcceptKeyword("TABLE")) return CreateTableBody();
    const bool unique = AcceptKeyword("UNIQUE");
    ExpectKeyword("INDEX");
    ast::CreateIndex index{Name(), "", unique, {}};
    ExpectKeyword("ON");
    index.table = TableName();
    ExpectSymbol("(");
    do {
      ast::IndexColumn column{Name()};
      if (!AcceptKeyword("ASC")) column.descending = AcceptKeyword("DESC");
      index.columns.push_back(std::move(column));
    } while (AcceptSymbol(","));
    ExpectSymbol(")");
    return index;
  }

  ast::CreateTable CreateTableBody() {
    ast::CreateTable create{TableName(), {}};
    ExpectSymbol("(");
    do {
      ast::ColumnDefinition column{Name(), ColumnTypeClause()};
      if (AcceptKeyword("NOT")) {
        ExpectKeyword("NULL");
        column.not_null = true;
      } else {
        AcceptKeyword("NULL");
      }
      create.columns.push_back(std::move(column));
    } while (AcceptSymbol(","));
    ExpectSymbol(")");
    return create;
  }

  ColumnType ColumnTypeClause() {
    if (Peek().kind != Token::Kind::kName) ThrowUnexpected();
    const std::string type_name = tokens_[pos_++].text;
    std::optional<int> size;
    if (AcceptSymbol("(")) {
      const Token& number = Peek();
      int value = 0;
      const char* end = number.text.data() + number.text.size();
      if (number.kind != Token::Kind::kNumber ||
          std::from_chars(number.text.data(), end, value).ptr != end || value < 1 ||
          value > 255) {
        throw Error("Invalid field size in CREATE TABLE near '" + number.text + "'",
                    Error::Kind::kInternal);
      }
      ++pos_;
      size = value;
      ExpectSymbol(")");
    }
    auto type = JetColumnType(type_name, size);
    if (!type)
      throw Error("Unsupported data type '" + type_name + "' in CREATE TABLE",
                  Error::Kind::kInternal);
    return *type;
  }

  ast::Statement DropBody() {
    if (AcceptKeyword("TABLE")) return ast::DropTable{TableName()};
    ExpectKeyword("INDEX");
    ast::DropIndex drop{Name(), ""};
    ExpectKeyword("ON");
    drop.table = TableName();
    return drop;
  }

  // --- expressions, loosest binding first -------------------------------

  ExprPtr Expression() {
    DepthGuard guard(&depth_);
    ExprPtr left = AndExpression();
    while (AcceptKeyword("OR")) {
      guard.Deepen();
      left = Binary(Op::kOr, std::move(left), AndExpression());
    }
    return left;
  }

  ExprPtr AndExpression() {
    DepthGuard chain(&depth_, 0);
    ExprPtr left = NotExpression();
    while (AcceptKeyword("AND")) {
      chain.Deepen();
      left = Binary(Op::kAnd, std::move(left), NotExpression());
    }
    return left;
  }

  ExprPtr NotExpression() {
    if (!AcceptKeyword("NOT")) return Comparison();
    DepthGuard guard(&depth_);
    return Unary(Op::kNot, NotExpression());
  }

  ExprPtr Comparison() {
    DepthGuard chain(&depth_, 0);
    ExprPtr left = Concatenation();
    while (true) {
      if (auto op = ComparisonOperator()) {
        chain.Deepen();
        left = Binary(*op, std::move(left), Concatenation());
        continue;
      }
      const bool negated =
          PeekKeyword("NOT") && (PeekKeyword("LIKE", 1) || PeekKeyword("IN", 1));
      if (negated) ++pos_;
      if (AcceptKeyword("LIKE")) {
        chain.Deepen();
        left = Node(Expr::Kind::kLike, negated, std::move(left), Concatenation());
      } else if (AcceptKeyword("IN")) {
        chain.Deepen();
        left = InTail(negated, std::move(left));
      } else if (AcceptKeyword("IS")) {
        chain.Deepen();
        const bool is_not = AcceptKeyword("NOT");
        ExpectKeyword("NULL");
        left = Node(Expr::Kind::kIsNull, is_not, std::move(left), nullptr);
      } else {
        return left;
      }
    }
  }

  std::optional<Op> ComparisonOperator() {
    static constexpr std::pair<std::string_view, Op> kOperators[] = {
        {"=", Op::kEq}, {"<>", Op::kNe}, {"<", Op::kLt},
        {">", Op::kGt}, {"<=", Op::kLe}, {">=", Op::kGe}};
    for (const auto& [symbol, op] : kOperators) {
      if (AcceptSymbol(symbol)) return op;
    }
    return std::nullopt;
  }

  ExprPtr InTail(bool negated, ExprPtr value) {
    ExpectSymbol("(");
    if (AcceptKeyword("SELECT")) {
      auto node = Node(Expr::Kind::kInSubquery, negated, std::move(value), nullptr);
      node->subquery = std::make_unique<ast::Select>(SelectBody());
      if (!node->subquery->into.empty()) ThrowUnexpectedInto();
      ExpectSymbol(")");
      return node;
    }
    auto node = Node(Expr::Kind::kInList, negated, std::move(value), nullptr);
    do {
      node->args.push_back(Expression());
    } while (AcceptSymbol(","));
    ExpectSymbol(")");
    return node;
  }

  ExprPtr Concatenation() {
    DepthGuard chain(&depth_, 0);
    ExprPtr left = Additive();
    while (AcceptSymbol("&")) {
      chain.Deepen();
      left = Binary(Op::kConcat, std::move(left), Additive());
    }
    return left;
  }

  ExprPtr Additive() {
    DepthGuard chain(&depth_, 0);
    ExprPtr left = Multiplicative();
    while (PeekSymbol("+") || PeekSymbol("-")) {
      chain.Deepen();
      const Op op = tokens_[pos_++].text == "+" ? Op::kAdd : Op::kSub;
      left = Binary(op, std::move(left), Multiplicative());
    }
    return left;
  }

  ExprPtr Multiplicative() {
    DepthGuard chain(&depth_, 0);
    ExprPtr left = Negation();
    while (PeekSymbol("*") || PeekSymbol("/")) {
      chain.Deepen();
      const Op op = tokens_[pos_++].text == "*" ? Op::kMul : Op::kDiv;
      left = Binary(op, std::move(left), Negation());
    }
    return left;
  }

  ExprPtr Negation() {
    const bool minus = PeekSymbol("-");
    if (!minus && !PeekSymbol("+")) return Primary();
    ++pos_;
    DepthGuard guard(&depth_);
    ExprPtr operand = Negation();
    if (!minus) return operand;
    if (operand->kind == Expr::Kind::kLiteral) {  // -.5 is one literal
      const Value& value = operand->literal;
      if (value.type() == Value::Type::kInteger) {
        operand->literal = Value::Integer(-value.integer());
        return operand;
      }
      if (value.type() == Value::Type::kDouble) {
        operand->literal = Value::Double(-value.real());
        return operand;
      }
    }
    return Unary(Op::kNeg, std::move(operand));
  }

  ExprPtr Primary() {
    const Token& token = Peek();
    switch (token.kind) {
      case Token::Kind::kNumber:
        ++pos_;
        return Literal(NumberLiteral(token.text));
      case Token::Kind::kString:
        ++pos_;
        return Literal(Value::Text(token.text));
      case Token::Kind::kSymbol:
        if (AcceptSymbol("(")) {
          if (PeekKeyword("SELECT")) {
            throw Error("Unsupported subquery: a subquery is only supported after IN",
                        Error::Kind::kInternal);
          }
          ExprPtr inner = Expression();
          ExpectSymbol(")");
          return inner;
        }
        break;
      case Token::Kind::kName:
        if (AcceptKeyword("NULL")) return std::make_unique<Expr>();
        if (PeekSymbol("(", 1)) return Function();
        break;
      default:
        break;
    }
    return ColumnReference();
  }

  ExprPtr ColumnReference() {
    auto column = std::make_unique<Expr>();
    column->kind = Expr::Kind::kColumn;
    column->name = Name();
    if (AcceptSymbol(".")) {
      column->qualifier = std::move(column->name);
      column->name = Name();
    }
    return column;
  }

  ExprPtr Function() {
    auto call = std::make_unique<Expr>();
    call->kind = Expr::Kind::kFunction;
    call->name = Upper(tokens_[pos_++].text);
    const FunctionArity* arity = nullptr;
    for (const FunctionArity& known : kFunctions) {
      if (call->name == known.name) arity = &known;
    }
    if (!arity)
      throw Error("Undefined function '" + tokens_[pos_ - 1].text + "' in expression",
                  Error::Kind::kInternal);
    DepthGuard guard(&depth_);
    ExpectSymbol("(");
    if (call->name == "COUNT" && AcceptSymbol("*")) {
      call->star_argument = true;
    } else {
      do {
        call->args.push_back(Expression());
      } while (AcceptSymbol(","));
      if (call->args.size() < arity->min_args || call->args.size() > arity->max_args) {
        throw Error("Wrong number of arguments used with function '" +
                        tokens_[pos_ - 1].text + "'",
                    Error::Kind::kInternal);
      }
    }
    ExpectSymbol(")");
    return call;
  }

  // --- node builders ----------------------------------------------------

  static ExprPtr Literal(Value value) {
    auto node = std::make_unique<Expr>();
    node->kind = Expr::Kind::kLiteral;
    node->literal = std::move(value);
    return node;
  }

  static ExprPtr Unary(Op op, ExprPtr operand) {
    auto node = Node(Expr::Kind::kUnary, false, std::move(operand), nullptr);
    node->op = op;
    return node;
  }

  static ExprPtr Binary(Op op, ExprPtr left, ExprPtr right) {
    auto node = Node(Expr::Kind::kBinary, false, std::move(left), std::move(right));
    node->op = op;
    return node;
  }

  static ExprPtr Node(Expr::Kind kind, bool negated, ExprPtr first, ExprPtr second) {
    auto node = std::make_unique<Expr>();
    node->kind = kind;
    node->negated = negated;
    node->args.push_back(std::move(first));
    if (second) node->args.push_back(std::move(second));
    return node;
  }

  std::vector<Token> tokens_;
  size_t pos_ = 0;
  int depth_ = 0;
};

}  // namespace

Value NumberLiteral(const std::string& text) {
  const char* end = text.data() + text.size();
  if (text.find_first_of(".eE") == std::string::npos) {
    int64_t integer = 0;
    if (std::from_chars(text.data(), end, integer).ec == std::errc()) {
      return Value::Integer(integer);
    }
  }
  double number = 0;
  const auto result = std::from_chars(text.data(), end, number);
  if (result.ec != std::errc() || result.ptr != end) {
    throw Error("Invalid number '" + text + "' in SQL statement", Error::Kind::kInternal);
  }
  return Value::Double(number);
}

ast::Statement ParseStatement(std::string_view sql, bool allow_table_name) {
  return Parser(sql).Statement(allow_table_name);
}

}  // namespace db::engine::jetsql

#include "tests/db/engine/mdb/oracles.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <sstream>

namespace mdb_test {
namespace {

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  return quoted + "'";
}

// The command's standard output; a failure to run or a non-zero exit fails
// the test and gives what was read.
std::string Run(const std::string& command) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    ADD_FAILURE() << "Cannot run: " << command;
    return output;
  }
  char buffer[65536];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, n);
  const int status = pclose(pipe);
  if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    ADD_FAILURE() << "Failed (status " << status << "): " << command;
  return output;
}

std::string MdbReader(const std::filesystem::path& file, const std::string& what) {
  const std::string oracle = PREISLISTE_MDB_ORACLE;
  if (!std::filesystem::exists(oracle + "/node_modules/mdb-reader"))
    ADD_FAILURE() << "mdb-reader is not installed in " << oracle
                  << "; scripts/bootstrap installs it";
  return Run("node " + Quoted(oracle + "/dump-table.mjs") + " " + Quoted(file.string()) +
             " " + Quoted(what));
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    switch (text[++i]) {
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case 'n':
        out += '\n';
        break;
      default:
        out += text[i];
    }
  }
  return out;
}

TaggedValue ParseTagged(const std::string& field) {
  if (field == "\\N") return {'N', ""};
  if (field.empty()) return {'?', ""};  // matches no value
  return {field[0], Unescape(field.substr(1))};
}

// RFC 4180 as mdb-export writes it: quotes doubled inside quoted fields,
// which may span lines.
std::vector<std::vector<CsvField>> ParseCsv(const std::string& text) {
  std::vector<std::vector<CsvField>> rows;
  std::vector<CsvField> row;
  CsvField field;
  bool in_quotes = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_quotes) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field.text += '"';
        ++i;
      } else if (c == '"') {
        in_quotes = false;
      } else {
        field.text += c;
      }
    } else if (c == '"') {
      in_quotes = field.quoted = true;
    } else if (c == ',') {
      row.push_back(std::move(field));
      field = {};
    } else if (c == '\n') {
      row.push_back(std::move(field));
      field = {};
      rows.push_back(std::move(row));
      row.clear();
    } else {
      field.text += c;
    }
  }
  if (in_quotes) ADD_FAILURE() << "mdb-export wrote an unterminated quote";
  return rows;
}

}  // namespace

std::vector<std::vector<TaggedValue>> MdbReaderRows(const std::filesystem::path& file,
                                                    const std::string& table) {
  std::vector<std::vector<TaggedValue>> rows;
  for (const std::string& line : Lines(MdbReader(file, table))) {
    std::vector<TaggedValue>& row = rows.emplace_back();
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');)
      row.push_back(ParseTagged(field));
  }
  return rows;
}

std::vector<std::string> MdbReaderTables(const std::filesystem::path& file) {
  return Lines(MdbReader(file, "--tables"));
}

std::optional<std::string> MdbReaderPassword(const std::filesystem::path& file) {
  const std::vector<std::string> lines = Lines(MdbReader(file, "--password"));
  if (lines.size() != 1) {
    ADD_FAILURE() << "mdb-reader printed no password line for " << file;
    return std::nullopt;
  }
  if (lines[0] == "\\N") return std::nullopt;
  return Unescape(lines[0]);
}

CsvTable MdbExport(const std::filesystem::path& file, const std::string& table) {
  const std::string format = "%Y-%m-%d %H:%M:%S";
  std::vector<std::vector<CsvField>> rows =
      ParseCsv(Run("mdb-export -D " + Quoted(format) + " -T " + Quoted(format) + " " +
                   Quoted(file.string()) + " " + Quoted(table)));
  CsvTable result;
  if (rows.empty()) {
    ADD_FAILURE() << "mdb-export wrote no header for " << table;
    return result;
  }
  for (const CsvField& name : rows.front()) result.header.push_back(name.text);
  result.rows.assign(rows.begin() + 1, rows.end());
  return result;
}

std::vector<std::string> MdbTables(const std::filesystem::path& file) {
  return Lines(Run("mdb-tables -1 " + Quoted(file.string())));
}

std::optional<int64_t> DecimalTicks(const std::string& text) {
  size_t i = 0;
  const bool negative = i < text.size() && text[i] == '-';
  if (negative) ++i;
  int64_t ticks = 0;
  int decimals = -1;
  for (; i < text.size(); ++i) {
    if (text[i] == '.' && decimals < 0) {
      decimals = 0;
    } else if (text[i] >= '0' && text[i] <= '9') {
      if (decimals >= 4) return std::nullopt;
      ticks = ticks * 10 + (text[i] - '0');
      if (decimals >= 0) ++decimals;
    } else {
      return std::nullopt;
    }
  }
  for (int d = decimals < 0 ? 0 : decimals; d < 4; ++d) ticks *= 10;
  return negative ? -ticks : ticks;
}

}  // namespace mdb_test

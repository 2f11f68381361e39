// Prints what mdb-reader reads from an .mdb file, for the reader tests.
//
//   node dump-table.mjs FILE --password        the database password, or "\N"
//   node dump-table.mjs FILE --tables          the user tables, one a line
//   node dump-table.mjs FILE TABLE             the table's rows, one a line
//
// A row is its values in column order, separated by tabs, each tagged:
// \N NULL, S text, B0/B1 Yes/No, M currency (decimal text as mdb-reader gives
// it), D number (shortest text that reads back the same double), T date
// (milliseconds since 1970). In texts, backslash, tab, CR and LF are escaped
// as \\ \t \r \n.
import { readFileSync } from "node:fs";
import MDBReader from "mdb-reader";

const [file, what] = process.argv.slice(2);
const reader = new MDBReader(readFileSync(file));

function escape(text) {
  return text.replace(/[\\\t\r\n]/g, (c) => ({ "\\": "\\\\", "\t": "\\t", "\r": "\\r", "\n": "\\n" })[c]);
}

function tag(value, column) {
  if (value === null || value === undefined) return "\\N";
  if (typeof value === "boolean") return value ? "B1" : "B0";
  if (value instanceof Date) return "T" + value.getTime();
  if (column.type === "currency") return "M" + value;
  if (typeof value === "number") return "D" + String(value);
  if (typeof value === "string") return "S" + escape(value);
  throw new Error(`column ${column.name}: unexpected value ${value}`);
}

const out = [];
if (what === "--password") {
  const password = reader.getPassword();
  out.push(password === null ? "\\N" : escape(password));
} else if (what === "--tables") {
  out.push(...reader.getTableNames());
} else {
  const table = reader.getTable(what);
  const columns = table.getColumns();
  for (const row of table.getData()) out.push(columns.map((c) => tag(row[c.name], c)).join("\t"));
}
process.stdout.write(out.map((line) => line + "\n").join(""));

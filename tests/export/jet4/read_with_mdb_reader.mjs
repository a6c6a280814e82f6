// Dumps every user table of an .mdb file with the npm package mdb-reader,
// for the Access writer's round-trip tests. Usage: node read_with_mdb_reader.mjs <file>
// Output lines (tab-separated; names and texts as hex of their UTF-8 bytes):
//   TABLES <name>...
//   TABLE <name> <rowCount>
//   COLUMN <name> <type> <size>
//   ROW <cell>...   cells: N null, T/F Boolean, #<number>, S<text>, X<bytes>,
//                   D<milliseconds since 1970 (mdb-reader reads dates as UTC)>
import fs from "fs";
import MDBReader from "mdb-reader";

const hex = (s) => Buffer.from(s, "utf8").toString("hex");
const cell = (v) => {
  if (v === null || v === undefined) return "N";
  if (typeof v === "boolean") return v ? "T" : "F";
  if (typeof v === "number") return "#" + String(v);
  if (typeof v === "string") return "S" + hex(v);
  if (Buffer.isBuffer(v)) return "X" + v.toString("hex");
  if (v instanceof Date) return "D" + String(v.getTime());
  return "?" + String(v);
};

const reader = new MDBReader(fs.readFileSync(process.argv[2]));
const names = reader.getTableNames();
const out = ["TABLES" + names.map((n) => "\t" + hex(n)).join("")];
for (const name of names) {
  const table = reader.getTable(name);
  out.push(`TABLE\t${hex(name)}\t${table.rowCount}`);
  const columns = table.getColumns();
  for (const c of columns) out.push(`COLUMN\t${hex(c.name)}\t${c.type}\t${c.size}`);
  for (const row of table.getData()) out.push("ROW" + columns.map((c) => "\t" + cell(row[c.name])).join(""));
}
process.stdout.write(out.join("\n") + "\n");

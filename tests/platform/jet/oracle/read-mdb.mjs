// Prints every user table of a Jet file as mdb-reader (an independent
// JavaScript reader) sees it, as JSON on one line:
//   {"TABLE": {"rowCount": N, "columns": [{"name", "type", "size"}], "rows": [[...]]}}
// Values: Date as its raw OLE day number (so early dates compare exactly),
// Buffer as hex, everything else as mdb-reader returns it.
// Usage: node read-mdb.mjs NODE_MODULES_DIR FILE.mdb
import { readFileSync } from "node:fs";
import { createRequire } from "node:module";
import path from "node:path";
import { pathToFileURL } from "node:url";

const [modules, file] = process.argv.slice(2);
const entry = createRequire(path.join(modules, "x.js")).resolve("mdb-reader");
const { default: MDBReader } = await import(pathToFileURL(entry).href);

const oleDay = (date) => date.getTime() / 86400000 + 25569;
const plain = (value) => {
  if (value instanceof Date) return { ole: oleDay(value) };
  if (Buffer.isBuffer(value) || value instanceof Uint8Array) return { hex: Buffer.from(value).toString("hex") };
  return value;
};

const reader = new MDBReader(readFileSync(file));
const result = {};
for (const name of reader.getTableNames()) {
  const table = reader.getTable(name);
  const columns = table.getColumns();
  result[name] = {
    rowCount: table.rowCount,
    columns: columns.map((c) => ({ name: c.name, type: c.type, size: c.size })),
    rows: table.getData().map((row) => columns.map((c) => plain(row[c.name]))),
  };
}
process.stdout.write(JSON.stringify(result) + "\n");

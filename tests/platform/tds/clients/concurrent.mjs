// 50 tedious connections insert into one table at once. Usage:
// node concurrent.mjs NODE_MODULES PORT PASSWORD; prints the rows the table then holds, as "client:n" lines.
import { createRequire } from 'node:module';
import path from 'node:path';

const [modules, port, password] = process.argv.slice(2);
const require = createRequire(path.join(modules, 'x.js'));
const { Connection, Request, TYPES } = require('tedious');
const kClients = 50, kRows = 20;

function open() {
  return new Promise((resolve, reject) => {
    const c = new Connection({
      server: '127.0.0.1', authentication: { type: 'default', options: { userName: 'sa', password } },
      options: { port: Number(port), encrypt: false, tdsVersion: '7_1', database: 'shared', requestTimeout: 0 } });
    c.on('connect', (err) => (err ? reject(err) : resolve(c)));
    c.connect();
  });
}

function run(c, sql, params = []) {
  return new Promise((resolve, reject) => {
    const rows = [];
    const r = new Request(sql, (err) => (err ? reject(err) : resolve(rows)));
    for (const [name, type, value] of params) r.addParameter(name, type, value);
    r.on('row', (columns) => rows.push(columns.map((col) => col.value)));
    if (params.length) c.execSql(r); else c.execSqlBatch(r);
  });
}

async function client(id) {
  const c = await open();
  for (let n = 0; n < kRows; ++n)
    await run(c, 'INSERT INTO t (client, n) VALUES (@client, @n)', [['client', TYPES.Int, id], ['n', TYPES.Int, n]]);
  c.close();
}

const first = await open();
await run(first, 'CREATE TABLE t (id int IDENTITY PRIMARY KEY, client int, n int)');
await Promise.all(Array.from({ length: kClients }, (_, i) => client(i)));
for (const [client, n] of await run(first, 'SELECT client, n FROM t ORDER BY client, n')) console.log(`${client}:${n}`);
first.close();

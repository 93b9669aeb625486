// Logs in through node's tedious and runs batches one by one on one
// connection. Usage:
// node statements.mjs NODE_MODULES PORT LOGIN PASSWORD ENCRYPT DATABASE BATCHES_JSON_FILE
// ENCRYPT: "true" asks for TLS for the whole session (trusting the server's
// self-signed certificate), "false" does not. Prints {"login": "ok"} or
// {"login": NUMBER, "message": TEXT}, then per batch {"error": NUMBER} (0
// when it ran without error; the first error's number otherwise).
import { createRequire } from 'node:module';
import { readFileSync } from 'node:fs';
import path from 'node:path';

const [modules, port, login, password, encrypt, database, file] = process.argv.slice(2);
const require = createRequire(path.join(modules, 'x.js'));
const { Connection, Request } = require('tedious');
const batches = JSON.parse(readFileSync(file, 'utf8'));
const out = (value) => console.log(JSON.stringify(value));

const connection = new Connection({
  server: '127.0.0.1',
  authentication: { type: 'default', options: { userName: login, password } },
  options: { port: Number(port), encrypt: encrypt === 'true', trustServerCertificate: true, tdsVersion: '7_1',
             database: database || undefined, requestTimeout: 0, connectTimeout: 30000 },
});

let firstError = null;
connection.on('errorMessage', (m) => { if (firstError === null) firstError = m; });

function run(sql) {
  return new Promise((resolve) => {
    firstError = null;
    connection.execSqlBatch(new Request(sql, () => resolve(firstError ? firstError.number : 0)));
  });
}

connection.on('connect', async (err) => {
  if (err) {
    out({ login: firstError ? firstError.number : -1, message: firstError ? firstError.message : err.message });
    process.exit(0);
  }
  out({ login: 'ok', encrypted: connection.config.options.encrypt });
  for (const sql of batches) out({ error: await run(sql) });
  connection.close();
});
connection.connect();

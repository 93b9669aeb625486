// The client scenario through node's tedious. Usage:
// node scenario.mjs NODE_MODULES PORT PASSWORD SETUP_SQL_FILE; prints one JSON object per line.
import { createRequire } from 'node:module';
import { createHash } from 'node:crypto';
import { readFileSync } from 'node:fs';
import path from 'node:path';

const [modules, port, password, setupFile] = process.argv.slice(2);
const require = createRequire(path.join(modules, 'x.js'));
const { Connection, Request, TYPES } = require('tedious');
const setup = readFileSync(setupFile, 'utf8');
const out = (key, value) => console.log(JSON.stringify({ [key]: value }));

function canonical(v) {
  if (v === null || v === undefined) return null;
  if (typeof v === 'boolean') return v ? '1' : '0';
  if (v instanceof Date) return v.toISOString().replace('T', ' ').replace('Z', '');
  if (Buffer.isBuffer(v)) return v.toString('hex');
  return String(v);
}

const connection = new Connection({
  server: '127.0.0.1',
  authentication: { type: 'default', options: { userName: 'sa', password } },
  options: { port: Number(port), encrypt: false, tdsVersion: '7_1', useUTC: true, database: 'master',
             requestTimeout: 0 },
});

// Runs SQL; resolves with the result sets (arrays of row objects), the row
// count and the values of output parameters (params marked true at their end).
function run(sql, params = []) {
  return new Promise((resolve, reject) => {
    const sets = [];
    const returned = {};
    let current = null;
    const request = new Request(sql, (err, rowCount) => (err ? reject(err) : resolve({ sets, rowCount, returned })));
    for (const [name, type, value, output] of params) {
      if (output) request.addOutputParameter(name, type, value); else request.addParameter(name, type, value);
    }
    request.on('returnValue', (name, value) => { returned[name] = canonical(value); });
    request.on('columnMetadata', () => { current = []; sets.push(current); });
    request.on('row', (columns) => {
      const row = {};
      for (const c of columns) row[c.metadata.colName] = c.value;
      current.push(row);
    });
    if (params.length) connection.execSql(request); else connection.execSqlBatch(request);
  });
}

function rowOf(row) {
  return Object.fromEntries(Object.entries(row).map(([k, v]) => [k, canonical(v)]));
}

// The last change of database the server announced: number, class, text.
let databaseChange = null;
connection.on('infoMessage', (m) => { if (m.number === 5701) databaseChange = [m.number, m.class, m.message]; });

async function main() {
  out('login', 'ok');
  await run('CREATE DATABASE scenario');
  await run('USE scenario');
  out('use_info', databaseChange);
  out('use', (await run('SELECT DB_NAME() AS d')).sets[0][0].d);
  await run(setup);
  const multi = await run("SELECT 1 AS a SELECT 'x' AS b, 2 AS c UNION ALL SELECT 'y', 3 SELECT name FROM sysobjects WHERE 1 = 0");
  out('results', multi.sets.map((s) => s.length));
  const all = (await run('SELECT * FROM every_type')).sets[0];
  out('types', rowOf(all[0]));
  out('nulls', rowOf(all[1]));

  const image = Buffer.alloc(2 * 1024 * 1024);
  for (let i = 0; i < image.length; ++i) image[i] = (i * 7) % 251;
  const inserted = await run('INSERT INTO params (id, vc, nvc, dt, m, img) VALUES (@id, @vc, @nvc, @dt, @m, @img)', [
    ['id', TYPES.Int, 7], ['vc', TYPES.VarChar, '中文vc'], ['nvc', TYPES.NVarChar, '中文nvc'],
    ['dt', TYPES.DateTime, new Date(Date.UTC(2023, 11, 31, 23, 59, 59, 998))], ['m', TYPES.Money, -42.4242],
    ['img', TYPES.Image, image]]);
  out('inserted', inserted.rowCount);
  const back = (await run('SELECT id, vc, nvc, dt, m, img FROM params WHERE id = @id', [['id', TYPES.Int, 7]])).sets[0][0];
  out('params', { id: canonical(back.id), vc: back.vc, nvc: back.nvc, dt: canonical(back.dt), m: canonical(back.m),
                  img_sha: createHash('sha256').update(back.img).digest('hex'), img_ok: back.img.equals(image) });

  const outputs = await run("SET @doubled = @n * 2 SET @greeting = N'你好' + @who", [
    ['n', TYPES.Int, 21], ['who', TYPES.NVarChar, '世界'], ['doubled', TYPES.Int, null, true],
    ['greeting', TYPES.NVarChar, null, true], ['kept', TYPES.Int, 5, true]]);
  out('outputs', outputs.returned);

  try {
    await run('SELECT * FROM nosuch');
    out('error', null);
  } catch (e) {
    out('error', [e.number === 208, e.message === "Invalid object name 'nosuch'."]);
  }
  try {
    await run('SELECT 1/0 AS q');
    out('divide', null);
  } catch (e) {
    out('divide', [e.number, e.class, e.message]);
  }

  const started = Date.now();
  setTimeout(() => connection.cancel(), 1000);
  let cancelled = false;
  try {
    await run('SELECT COUNT(*) AS n FROM sysobjects a, sysobjects b, sysobjects c, sysobjects d, ' +
              'sysobjects e, sysobjects f, sysobjects g');
  } catch (e) {
    cancelled = e.code === 'ECANCEL';
  }
  const after = (await run('SELECT 42 AS n')).sets[0][0].n;
  out('cancel', { cancelled, quick: Date.now() - started < 20000, after });
}

connection.on('connect', (err) => {
  if (err) { console.error(String(err)); process.exit(1); }
  main().then(() => connection.close(), (e) => { console.error(String(e)); process.exit(1); });
});
connection.connect();

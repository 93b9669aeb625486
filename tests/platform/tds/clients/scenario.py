# The client scenario through FreeTDS's ODBC driver (unixODBC, pyodbc).
# Usage: scenario.py PORT PASSWORD SETUP_SQL_FILE; prints one JSON object per line.
import datetime, decimal, hashlib, json, sys, threading, time
import pyodbc

port, password, setup = sys.argv[1], sys.argv[2], open(sys.argv[3], encoding="utf-8").read()
connect = ("DRIVER=FreeTDS;SERVER=127.0.0.1;PORT=%s;UID=sa;PWD=%s;TDS_Version=7.1;ClientCharset=UTF-8" % (port, password))


def out(key, value):
    print(json.dumps({key: value}, ensure_ascii=False), flush=True)


def canonical(v):
    if v is None:
        return None
    if isinstance(v, bool):
        return "1" if v else "0"
    if isinstance(v, decimal.Decimal):
        s = format(v, "f")
        return s.rstrip("0").rstrip(".") if "." in s else s
    if isinstance(v, float):
        return repr(v)
    if isinstance(v, datetime.datetime):
        return v.strftime("%Y-%m-%d %H:%M:%S.") + "%03d" % (v.microsecond // 1000)
    if isinstance(v, (bytes, bytearray)):
        return v.hex()
    return str(v).upper() if len(str(v)) == 36 and str(v).count("-") == 4 else str(v)


db = pyodbc.connect(connect, autocommit=True)
out("login", "ok")
cur = db.cursor()
cur.execute("CREATE DATABASE scenario")
cur.execute("USE scenario")
cur.execute("SELECT DB_NAME()")
out("use", cur.fetchone()[0])
cur.execute(setup)
while cur.nextset():
    pass

cur.execute("SELECT 1 AS a SELECT 'x' AS b, 2 AS c UNION ALL SELECT 'y', 3 SELECT name FROM sysobjects WHERE 1 = 0")
counts = [len(cur.fetchall())]
while cur.nextset():
    counts.append(len(cur.fetchall()))
out("results", counts)

cur.execute("SELECT * FROM every_type")
names = [c[0] for c in cur.description]
rows = cur.fetchall()
out("types", {n: canonical(v) for n, v in zip(names, rows[0])})
out("nulls", {n: canonical(v) for n, v in zip(names, rows[1])})

image = bytes(i * 7 % 251 for i in range(2 * 1024 * 1024))
# The driver sizes the parameters from the server's type catalogue: the
# image goes as a long binary value, the datetime with its milliseconds.
cur.execute("INSERT INTO params (id, vc, nvc, dt, m, img) VALUES (?, ?, ?, ?, ?, ?)",
            7, "中文vc", "中文nvc", datetime.datetime(2023, 12, 31, 23, 59, 59, 998000), decimal.Decimal("-42.4242"),
            image)
out("inserted", cur.rowcount)
cur.execute("SELECT id, vc, nvc, dt, m, img FROM params WHERE id = ?", 7)
r = cur.fetchone()
out("params", {"id": canonical(r[0]), "vc": r[1], "nvc": r[2], "dt": canonical(r[3]), "m": canonical(r[4]),
               "img_sha": hashlib.sha256(r[5]).hexdigest(), "img_ok": r[5] == image})

try:
    cur.execute("SELECT * FROM nosuch")
    out("error", None)
except pyodbc.Error as e:
    text = str(e.args[1])
    out("error", ["208" in e.args[0] or "[208]" in text or "(208)" in text,
                  "Invalid object name 'nosuch'." in text])

cancel_cur = db.cursor()
timer = threading.Timer(1.0, cancel_cur.cancel)
started = time.time()
timer.start()
try:
    cancel_cur.execute("SELECT COUNT(*) FROM sysobjects a, sysobjects b, sysobjects c, sysobjects d, "
                       "sysobjects e, sysobjects f, sysobjects g")
    cancel_cur.fetchall()
    cancelled = False
except pyodbc.Error:
    cancelled = True
timer.join()
cur.execute("SELECT 42")
out("cancel", {"cancelled": cancelled, "quick": time.time() - started < 20, "after": cur.fetchone()[0]})

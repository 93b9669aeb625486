// The client scenario through jTDS (JDBC). Usage: java Scenario PORT PASSWORD SETUP_SQL_FILE;
// prints one JSON object per line, as scenario.py does.
import java.math.BigDecimal;
import java.nio.charset.StandardCharsets;
import java.nio.file.Files;
import java.nio.file.Paths;
import java.security.MessageDigest;
import java.sql.*;
import java.text.SimpleDateFormat;
import java.util.*;

public class Scenario {
  static String quote(String s) {
    if (s == null) return "null";
    StringBuilder b = new StringBuilder("\"");
    for (char c : s.toCharArray()) {
      if (c == '"' || c == '\\') b.append('\\').append(c);
      else if (c < 0x20) b.append(String.format("\\u%04x", (int) c));
      else b.append(c);
    }
    return b.append('"').toString();
  }

  static void out(String key, String json) { System.out.println("{" + quote(key) + ": " + json + "}"); }

  static String hex(byte[] b) {
    StringBuilder s = new StringBuilder();
    for (byte x : b) s.append(String.format("%02x", x));
    return s.toString();
  }

  static String canonical(Object v) {
    if (v == null) return null;
    if (v instanceof Boolean) return ((Boolean) v) ? "1" : "0";
    if (v instanceof BigDecimal) {
      BigDecimal d = ((BigDecimal) v).stripTrailingZeros();
      return d.scale() < 0 ? d.setScale(0).toPlainString() : d.toPlainString();
    }
    if (v instanceof Timestamp) {
      SimpleDateFormat f = new SimpleDateFormat("yyyy-MM-dd HH:mm:ss.SSS");
      return f.format((Timestamp) v);
    }
    if (v instanceof byte[]) return hex((byte[]) v);
    if (v instanceof Clob) {
      try { Clob c = (Clob) v; return c.getSubString(1, (int) c.length()); } catch (SQLException e) { throw new RuntimeException(e); }
    }
    if (v instanceof Blob) {
      try { Blob c = (Blob) v; return hex(c.getBytes(1, (int) c.length())); } catch (SQLException e) { throw new RuntimeException(e); }
    }
    return v.toString();
  }

  static String row(ResultSet rs) throws SQLException {
    ResultSetMetaData md = rs.getMetaData();
    StringBuilder b = new StringBuilder("{");
    for (int i = 1; i <= md.getColumnCount(); ++i) {
      if (i > 1) b.append(", ");
      b.append(quote(md.getColumnName(i))).append(": ").append(quote(canonical(rs.getObject(i))));
    }
    return b.append("}").toString();
  }

  public static void main(String[] args) throws Exception {
    String url = "jdbc:jtds:sqlserver://127.0.0.1:" + args[0] + "/master;TDS=8.0";
    String setup = new String(Files.readAllBytes(Paths.get(args[2])), StandardCharsets.UTF_8);
    Class.forName("net.sourceforge.jtds.jdbc.Driver");  // the jar does not register itself
    Connection db = DriverManager.getConnection(url, "sa", args[1]);
    out("login", "\"ok\"");
    Statement st = db.createStatement();
    st.execute("CREATE DATABASE scenario");
    st.execute("USE scenario");
    out("use", quote(db.getCatalog()));
    st.execute(setup);

    boolean isResult = st.execute("SELECT 1 AS a SELECT 'x' AS b, 2 AS c UNION ALL SELECT 'y', 3 SELECT name FROM sysobjects WHERE 1 = 0");
    List<Integer> counts = new ArrayList<>();
    while (isResult || st.getUpdateCount() != -1) {
      if (isResult) {
        ResultSet rs = st.getResultSet();
        int n = 0;
        while (rs.next()) ++n;
        counts.add(n);
      }
      isResult = st.getMoreResults();
    }
    out("results", counts.toString());

    ResultSet rs = st.executeQuery("SELECT * FROM every_type");
    rs.next();
    out("types", row(rs));
    rs.next();
    out("nulls", row(rs).replace("\"null\"", "null"));

    byte[] image = new byte[2 * 1024 * 1024];
    for (int i = 0; i < image.length; ++i) image[i] = (byte) (i * 7 % 251);
    PreparedStatement ins = db.prepareStatement("INSERT INTO params (id, vc, nvc, dt, m, img) VALUES (?, ?, ?, ?, ?, ?)");
    ins.setInt(1, 7);
    ins.setString(2, "中文vc");
    ins.setString(3, "中文nvc");
    ins.setTimestamp(4, Timestamp.valueOf("2023-12-31 23:59:59.998"));
    ins.setBigDecimal(5, new BigDecimal("-42.4242"));
    ins.setBytes(6, image);
    out("inserted", Integer.toString(ins.executeUpdate()));
    PreparedStatement sel = db.prepareStatement("SELECT id, vc, nvc, dt, m, img FROM params WHERE id = ?");
    sel.setInt(1, 7);
    rs = sel.executeQuery();
    rs.next();
    byte[] back = rs.getBytes(6);
    String sha = hex(MessageDigest.getInstance("SHA-256").digest(back));
    out("params", "{\"id\": " + quote(canonical(rs.getObject(1))) + ", \"vc\": " + quote(rs.getString(2)) +
        ", \"nvc\": " + quote(rs.getString(3)) + ", \"dt\": " + quote(canonical(rs.getTimestamp(4))) +
        ", \"m\": " + quote(canonical(rs.getBigDecimal(5))) + ", \"img_sha\": " + quote(sha) +
        ", \"img_ok\": " + Arrays.equals(back, image) + "}");

    try {
      st.executeQuery("SELECT * FROM nosuch");
      out("error", "null");
    } catch (SQLException e) {
      out("error", "[" + (e.getErrorCode() == 208) + ", " + e.getMessage().equals("Invalid object name 'nosuch'.") + "]");
    }

    Statement slow = db.createStatement();
    long started = System.currentTimeMillis();
    Thread canceller = new Thread(() -> {
      try { Thread.sleep(1000); slow.cancel(); } catch (Exception e) { }
    });
    canceller.start();
    boolean cancelled;
    try {
      ResultSet r = slow.executeQuery("SELECT COUNT(*) FROM sysobjects a, sysobjects b, sysobjects c, sysobjects d, "
          + "sysobjects e, sysobjects f, sysobjects g");
      r.next();
      cancelled = false;
    } catch (SQLException e) {
      cancelled = true;
    }
    canceller.join();
    rs = st.executeQuery("SELECT 42");
    rs.next();
    out("cancel", "{\"cancelled\": " + cancelled + ", \"quick\": " + (System.currentTimeMillis() - started < 20000) +
        ", \"after\": " + rs.getInt(1) + "}");
    db.close();
  }
}

// Logs in through jTDS with an SSL mode and runs one query. Usage:
// java Connect PORT LOGIN PASSWORD SSL_MODE (off, request, require)
// Prints "ok VALUE" or "error CODE MESSAGE".
import java.sql.Connection;
import java.sql.DriverManager;
import java.sql.ResultSet;
import java.sql.SQLException;

public class Connect {
  public static void main(String[] args) throws Exception {
    Class.forName("net.sourceforge.jtds.jdbc.Driver");
    String url = "jdbc:jtds:sqlserver://127.0.0.1:" + args[0] + "/master;TDS=8.0;ssl=" + args[3];
    try (Connection db = DriverManager.getConnection(url, args[1], args[2])) {
      ResultSet rows = db.createStatement().executeQuery("SELECT N'加密' + 'ok'");
      rows.next();
      System.out.println("ok " + rows.getString(1));
    } catch (SQLException e) {
      System.out.println("error " + e.getErrorCode() + " " + e.getMessage());
    }
  }
}

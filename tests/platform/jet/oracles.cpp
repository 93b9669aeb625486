#include "oracles.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace court::jet::testing {
namespace {

// Splits mdb-export's CSV: fields quoted with ", a doubled quote inside,
// line breaks allowed within quotes.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += text[++i];
      else if (c == '"') quoted = false;
      else field += c;
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      row.push_back(std::move(field));
      field.clear();
    } else if (c == '\n') {
      row.push_back(std::move(field));
      field.clear();
      rows.push_back(std::move(row));
      row.clear();
    } else {
      field += c;
    }
  }
  return rows;
}

}  // namespace

std::string Run(const std::string& command, int* status) {
  // mdbtools converts names and text to the locale's charset: make it UTF-8
  // whatever locale the test runs under.
  FILE* pipe = popen(("LC_ALL=C.UTF-8 " + command).c_str(), "r");
  if (pipe == nullptr) throw std::runtime_error("cannot run " + command);
  std::string output;
  char buffer[65536];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
  int result = pclose(pipe);
  if (status != nullptr) *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
  return output;
}

std::string Quoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::vector<std::string> MdbTables(const std::string& file) {
  std::vector<std::string> names;
  const std::string text = Run("mdb-tables -1 " + Quoted(file));
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    names.push_back(text.substr(start, end - start));
  return names;
}

std::vector<std::vector<std::string>> MdbExport(const std::string& file, const std::string& table) {
  auto rows = ParseCsv(Run("mdb-export -b hex -T '%Y-%m-%d %H:%M:%S' " + Quoted(file) + " " + Quoted(table)));
  if (!rows.empty()) rows.erase(rows.begin());
  return rows;
}

std::vector<std::pair<std::string, std::string>> MdbSchema(const std::string& file, const std::string& table) {
  std::vector<std::pair<std::string, std::string>> columns;
  const std::string text = Run("mdb-schema -T " + Quoted(table) + " " + Quoted(file) + " access 2>/dev/null");
  // Column lines read "\t[name]\t\t\tType (size),"
  for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
    end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (line.rfind("\t[", 0) != 0) continue;
    std::size_t close = line.find(']');
    std::string type = line.substr(line.find_first_not_of('\t', close + 1));
    type = type.substr(0, type.find_last_not_of(", ") + 1);
    if (type.size() > 9 && type.ends_with(" NOT NULL")) type.resize(type.size() - 9);
    columns.emplace_back(line.substr(2, close - 2), type);
  }
  return columns;
}

std::optional<nlohmann::json> MdbReader(const std::string& file, std::string* why) {
  int status = 0;
  Run("command -v node npm >/dev/null", &status);
  if (status != 0) {
    *why = "node and npm are needed to run mdb-reader; install the Debian packages nodejs and npm";
    return std::nullopt;
  }
  const std::string prefix = COURT_BUILD_DIR "/jet-oracle";
  const std::string modules = prefix + "/node_modules";
  if (!std::filesystem::exists(modules + "/mdb-reader")) {
    std::filesystem::create_directories(prefix);
    // Test programs may start together: one installs, the others wait. A
    // registry that does not answer fails the install in bounded time, and
    // npm trusts the system's certificates even where nothing told it to.
    Run("flock " + Quoted(prefix + "/.lock") + " sh -c " +
            Quoted("[ -d " + Quoted(modules + "/mdb-reader") + " ] || "
                   "NODE_EXTRA_CA_CERTS=\"${NODE_EXTRA_CA_CERTS:-/etc/ssl/certs/ca-certificates.crt}\" "
                   "timeout 300 npm install --silent --no-audit --no-fund --prefix " +
                   Quoted(prefix) + " mdb-reader@3.2.0") + " >&2",
        &status);
    if (status != 0) throw std::runtime_error("npm could not install mdb-reader");
  }
  const std::string script = COURT_SOURCE_DIR "/tests/platform/jet/oracle/read-mdb.mjs";
  std::string output = Run("node " + Quoted(script) + " " + Quoted(modules) + " " + Quoted(file), &status);
  if (status != 0) throw std::runtime_error("mdb-reader could not read " + file);
  return nlohmann::json::parse(output);
}

}  // namespace court::jet::testing

// court-sqlcmd -S DIR [-d DATABASE] -Q "BATCH"
//
// Runs one T-SQL batch on the embedded server rooted at DIR and prints its
// result sets; errors go to standard error and make the exit status 1.

#include <iostream>
#include <string>

#include "platform/mssql/embedded_driver.h"
#include "platform/mssql/result_text.h"

namespace {

int Usage() {
  std::cerr << "usage: court-sqlcmd -S DIR [-d DATABASE] -Q \"BATCH\"\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string root, database = "master", batch;
  bool has_batch = false;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (i + 1 >= argc) return Usage();
    if (arg == "-S") root = argv[++i];
    else if (arg == "-d") database = argv[++i];
    else if (arg == "-Q") batch = argv[++i], has_batch = true;
    else return Usage();
  }
  if (root.empty() || !has_batch) return Usage();
  try {
    court::mssql::EmbeddedDriver driver(root);
    auto session = driver.Open(database);
    court::mssql::BatchResult result = session->Run(batch);
    for (std::size_t i = 0; i < result.results.size(); ++i)
      std::cout << (i ? "\n" : "") << court::mssql::ResultText(result.results[i]);
    bool failed = false;
    for (const court::access::Error& e : result.messages) {
      if (e.severity() <= 10) continue;
      std::cerr << court::mssql::ErrorText(e);
      failed = true;
    }
    return failed ? 1 : 0;
  } catch (const court::access::Error& e) {
    std::cerr << court::mssql::ErrorText(e);
    return 1;
  }
}

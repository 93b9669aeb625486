#include "screens/run_context.h"

#include "platform/jet/catalogue_driver.h"

#include <algorithm>
#include <filesystem>

namespace court::screens {
namespace {

access::DataSources Sources(access::Driver& server, access::Driver& catalogue,
                            const std::string& catalogue_file, access::Transcript* transcript) {
  access::DataSources sources;
  sources.server = &server;
  sources.catalogue = &catalogue;
  sources.catalogue_file = catalogue_file;
  sources.transcript = transcript;
  return sources;
}

}  // namespace

RunContext::RunContext(const Options& options)
    : server_(OpenServer(options)),
      catalogue_(std::make_unique<jet::CatalogueDriver>()),
      transcript_(options.transcript.empty() ? nullptr
                                             : std::make_unique<access::Transcript>(options.transcript)),
      sources_(Sources(*server_.driver, *catalogue_, options.catalogue, transcript_.get())),
      run_(sources_, *server_.files, *server_.local_files) {
  if (!options.no_backup) run_.backup_root = options.backup_dir.value_or(server_.backup_root);
  if (!options.log_dir.empty()) run_.archive = provisioning::ArchiveFile(options.log_dir, run_.started);
}

std::string RunContext::CurrentDrive() const {
  const auto* local = dynamic_cast<const system::Files*>(server_.files.get());
  if (!local) return "C:";  // a server elsewhere: this machine's directories are not its drives
  std::error_code error;
  const std::filesystem::path here = std::filesystem::weakly_canonical(std::filesystem::current_path(error), error);
  for (const std::string& drive : Drives()) {
    const std::filesystem::path root = std::filesystem::weakly_canonical(local->drives().Map(drive), error);
    auto [end, ignored] = std::mismatch(root.begin(), root.end(), here.begin(), here.end());
    if (end == root.end()) return drive;
  }
  return "C:";
}

}  // namespace court::screens

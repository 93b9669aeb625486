#include "screens/run_context.h"

#include "platform/jet/catalogue_driver.h"

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
      run_(sources_, *server_.files, *server_.local_files) {}

}  // namespace court::screens

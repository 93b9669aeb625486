#include "platform/access/data_sources.h"

#include <map>

#include "platform/access/error.h"
#include "platform/text/ascii.h"
#include "platform/text/trim.h"

namespace court::access {
namespace {

// Splits "k1=v1;k2=v2" into keys (lower case, as OLE DB treats them) and values.
std::map<std::string, std::string> ParseProperties(std::string_view text) {
  std::map<std::string, std::string> properties;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(';', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view item = text.substr(start, end - start);
    std::size_t equals = item.find('=');
    if (equals != std::string_view::npos) {
      properties[text::Lower(std::string(item.substr(0, equals)))] = std::string(item.substr(equals + 1));
    }
    start = end + 1;
  }
  return properties;
}

Driver* Require(Driver* driver, const std::string& provider) {
  if (driver == nullptr)
    throw Error(ado::kProviderNotFound, "Provider cannot be found. It may not be properly installed. (" +
                                            provider + ": no driver is configured)");
  return driver;
}

}  // namespace

ConnectionTarget Resolve(const DataSources& sources, std::string_view connection_string) {
  auto properties = ParseProperties(connection_string);
  const std::string provider = properties["provider"];
  if (provider == "SQLOLEDB.1") {
    std::string database = properties["initial catalog"];
    return {Require(sources.server, provider), database, database};
  }
  if (provider == "Microsoft.Jet.OLEDB.4.0") {
    std::filesystem::path file = sources.catalogue_file.empty()
                                     ? std::filesystem::current_path() / std::string(text::Trim(properties["data source"]))
                                     : sources.catalogue_file;
    return {Require(sources.catalogue, provider), file.string(), "catalogue"};
  }
  throw Error(ado::kProviderNotFound,
              "Provider cannot be found. It may not be properly installed. (" + provider + ")");
}

}  // namespace court::access

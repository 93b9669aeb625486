#include "upgrade/upgrade_driver.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "data/reference_data.h"
#include "platform/access/error.h"
#include "platform/access/recordset.h"
#include "provisioning/connections.h"
#include "schema/sync.h"
#include "provisioning/step_transaction.h"

namespace court::provisioning {
namespace {

// How a release number that is no whole number's worth fails: the classic
// run-time error numbers for a type mismatch and an overflowing conversion.
constexpr int kTypeMismatch = 13;
constexpr int kOverflow = 6;

long double NumberOf(const access::Value& value) {
  switch (value.type()) {
    case access::ValueType::kInteger: return static_cast<long double>(value.integer());
    case access::ValueType::kFloat: return value.floating();
    case access::ValueType::kCurrency: return static_cast<long double>(value.money().ten_thousandths) / 10000;
    case access::ValueType::kDecimal: return std::strtold(value.ToText().c_str(), nullptr);
    case access::ValueType::kText: {
      std::string text = access::RightTrim(value.text());
      double number = 0;
      auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
      if (error == std::errc() && end == text.data() + text.size() && !text.empty()) return number;
      break;
    }
    default: break;
  }
  throw access::Error(kTypeMismatch, "Type mismatch: the release number '" + value.ToText() + "' is not a number.");
}

// The whole number written to the version table: nearest, a half to the even
// neighbour, within a signed 32-bit range.
int WholeReleaseNumber(const access::Value& value) {
  long double rounded = std::nearbyint(NumberOf(value));
  if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max())
    throw access::Error(kOverflow, "Overflow: the release number " + value.ToText() + " does not fit a whole number.");
  return static_cast<int>(rounded);
}

long double FirstNumber(access::Recordset& release) { return NumberOf(release.Fields(0).value()); }

}  // namespace

bool UpgradeDue(access::Recordset& shipped, access::Recordset& installed) {
  if (installed.RecordCount() == 0) return true;
  if (shipped.RecordCount() == 0 || FirstNumber(shipped) <= 0) return false;
  return FirstNumber(shipped) > FirstNumber(installed);
}

void UpgradeCourtDatabase(RunState& run) {
  schema::SyncCourtTables(run);

  access::Connection catalogue(run.sources);
  access::Connection court(run.sources);
  OpenCatalogueConnection(run, catalogue);
  OpenCourtConnection(run, court);
  access::Recordset shipped;
  access::Recordset installed;
  access::OpenRecordset(catalogue, shipped, kReleaseQuery);
  access::OpenRecordset(court, installed, kReleaseQuery);

  // With nothing shipped, 0 is recorded: it does not count, so every later
  // run upgrades again until a release number ships.
  int release = shipped.RecordCount() > 0 ? WholeReleaseNumber(shipped.Fields(0).value()) : 0;
  if (UpgradeDue(shipped, installed)) {
    run.court_updated = true;
    data::RefreshReferenceData(run);
    // Written last: a refresh that stops half-way leaves the upgrade due.
    InTransaction(court, [&] {
      court.Execute("delete from 升级版本");
      court.Execute("insert into  升级版本 ( 升级版本号 ) values ( " + std::to_string(release) + " )");
    });
  }
  court.Close();
  catalogue.Close();
}

}  // namespace court::provisioning

#include "screens/failure.h"

#include "platform/access/error.h"

namespace court::screens {

Failure DescribeFailure(const std::exception& failure) {
  constexpr int kInternalError = 51;
  if (const auto* error = dynamic_cast<const access::Error*>(&failure))
    return Failure{error->number(), error->description()};
  return Failure{kInternalError, failure.what()};
}

}  // namespace court::screens

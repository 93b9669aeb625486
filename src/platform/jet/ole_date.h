// Jet's date/time storage: an OLE date, a double counting days from
// 1899-12-30. Before that day the whole part is negative while the fraction
// still counts forward from midnight (1899-12-29 06:00 is -1.25), which is
// why a plain linear conversion is wrong for early dates.

#ifndef COURT_PLATFORM_JET_OLE_DATE_H_
#define COURT_PLATFORM_JET_OLE_DATE_H_

#include "platform/access/value.h"

namespace court::jet {

// Whether the value is a date Jet can hold: 100-01-01 to 9999-12-31.
bool IsJetDate(double ole);

// Rounds to the nearest millisecond. The value must be a Jet date.
access::DateTime FromOleDate(double ole);
double ToOleDate(const access::DateTime& date);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_OLE_DATE_H_

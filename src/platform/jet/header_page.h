// Page 0 of a Jet 4 file: the signature, the version byte and the
// RC4-obscured block that carries the code page, a zero database key (no
// page encryption) and the default sort order.

#ifndef COURT_PLATFORM_JET_HEADER_PAGE_H_
#define COURT_PLATFORM_JET_HEADER_PAGE_H_

#include "platform/jet/page.h"

namespace court::jet {

Page DatabaseHeaderPage();

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_HEADER_PAGE_H_

#include "schema/target.h"

#include "provisioning/connections.h"

namespace court::schema {

const Target& CourtTarget() {
  static constexpr Target kCourt{
      provisioning::OpenCourtConnection,
      "SELECT  name FROM 表名 where not ( name = '邮箱' or  name = '邮箱附件')  "};
  return kCourt;
}

const Target& MailTarget() {
  static constexpr Target kMail{
      provisioning::OpenMailConnection,
      "SELECT  name FROM 表名 where  ( name = '邮箱' or  name = '邮箱附件')  "};
  return kMail;
}

}  // namespace court::schema

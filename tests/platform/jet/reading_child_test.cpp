// One reading child answers request after request; when it crashes, runs
// past its deadline or is stopped half-way through an answer, the request
// fails naming the file and the next request gets a new child.

#include "platform/jet/reading_child.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/access/error.h"
#include "platform/jet/mdb_file.h"

namespace court::jet {
namespace {

enum Request : std::uint32_t { kEcho, kCrash, kHang, kMany, kFail };

// Answers kEcho with its own process id, so a test can tell the children apart.
void Serve(std::uint32_t request, MessageSender& out) {
  switch (request) {
    case kEcho: out.Send('P', std::to_string(::getpid())); return;
    case kCrash: std::abort();
    case kHang: ::sleep(30); return;
    case kMany:
      for (int i = 0; i < 100000; ++i) out.Send('N', std::to_string(i));
      return;
    case kFail: throw access::Error(1234, "refused");
    default: return;
  }
}

std::string Echo(ReadingChild& child) {
  std::string pid;
  child.Ask(kEcho, [&](char, std::string_view bytes) { pid = bytes; });
  return pid;
}

// The error an answer ends with, or 0.
int NumberOf(ReadingChild& child, Request request, const MessageHandler& handle = [](char, std::string_view) {}) {
  try {
    child.Ask(request, handle);
  } catch (const access::Error& e) {
    EXPECT_NE(e.description().find("table.mdb"), std::string::npos) << e.description();
    return e.number();
  }
  return 0;
}

TEST(ReadingChildTest, OneChildAnswersUntilItFails) {
  ReadingChild child("table.mdb", 0, ReadLimits{.time = std::chrono::seconds(1)}, Serve);
  const std::string first = Echo(child);
  EXPECT_NE(first, std::to_string(::getpid()));
  EXPECT_EQ(Echo(child), first);  // the same child again

  // An error the reader throws is the request's; the child goes on.
  try {
    child.Ask(kFail, [](char, std::string_view) {});
    FAIL() << "the failure was not passed on";
  } catch (const access::Error& e) {
    EXPECT_EQ(e.number(), 1234);
    EXPECT_EQ(e.description(), "refused");
  }
  EXPECT_EQ(Echo(child), first);

  // A crash and a deadline passed each end that child; the next request starts another.
  EXPECT_EQ(NumberOf(child, kCrash), kDamagedFile);
  const std::string second = Echo(child);
  EXPECT_NE(second, first);
  EXPECT_EQ(NumberOf(child, kHang), kDamagedFile);
  const std::string third = Echo(child);
  EXPECT_NE(third, second);

  // A handler that gives up half-way stops the child, whose answer would
  // otherwise still be waiting in the pipe for the next request.
  int seen = 0;
  EXPECT_THROW(child.Ask(kMany,
                         [&](char, std::string_view) {
                           if (++seen == 10) throw std::runtime_error("enough");
                         }),
               std::runtime_error);
  EXPECT_NE(Echo(child), third);
  seen = 0;
  child.Ask(kMany, [&](char, std::string_view) { ++seen; });
  EXPECT_EQ(seen, 100000);
}

}  // namespace
}  // namespace court::jet

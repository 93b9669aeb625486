// A read-only stdio stream over a file that reads ahead in windows of
// consecutive pages and answers seeks from memory.
//
// libmdb reads a file through a FILE and, before every page, seeks to the
// end to learn the file's size, then to the page, then reads it: four system
// calls a page. Given this stream instead, it finds the size known and most
// pages already read with their neighbours.

#ifndef COURT_PLATFORM_JET_READ_AHEAD_STREAM_H_
#define COURT_PLATFORM_JET_READ_AHEAD_STREAM_H_

#include <cstdio>

namespace court::jet {

// A stream reading the file open as `fd` (which stays open; the stream reads
// a duplicate), or null when it cannot be made. Closing the stream frees
// what it holds. The size is taken once: the file must not change meanwhile.
std::FILE* OpenReadAheadStream(int fd);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_READ_AHEAD_STREAM_H_

#include "platform/jet/paged_rows.h"

namespace court::jet {

std::uint32_t PagedRows::Add(const ByteString& row) {
  if (open_ && !open_->Fits(row.size())) Flush();
  if (!open_) {
    open_.emplace(owner_);
    pages_.push_back(file_.Allocate());
  }
  return PageRow(pages_.back(), open_->Add(row));
}

void PagedRows::Flush() {
  if (!open_) return;
  file_.Write(pages_.back(), open_->bytes());
  open_.reset();
}

}  // namespace court::jet

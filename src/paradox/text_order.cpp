#include "paradox/text_order.h"

#include "paradox/codepage.h"
#include "paradox/text/collation.h"

namespace pdx {

TextOrder::TextOrder() : collation_(std::make_unique<Collation>()) {}
TextOrder::~TextOrder() = default;
TextOrder::TextOrder(TextOrder&&) noexcept = default;
TextOrder& TextOrder::operator=(TextOrder&&) noexcept = default;

Status TextOrder::ForTable(const TableInfo& info, TextOrder* out) {
  const CodePage* cp = nullptr;
  Status s = CodePage::Find(info.codePage, &cp);
  if (!s.ok()) return s;
  CodePageMap map{};
  for (int b = 0; b < 256; ++b) map[static_cast<size_t>(b)] = cp->CodePoint(static_cast<uint8_t>(b));
  auto c = std::make_unique<Collation>();
  s = Collation::Make(info.sortOrder, map, c.get());
  if (!s.ok()) return s;
  out->collation_ = std::move(c);
  return Status::OK();
}

int TextOrder::Compare(std::string_view a, std::string_view b) const {
  return collation_->CompareAlpha(a, b, false);
}

}  // namespace pdx

// Many short strings kept end to end in large blocks.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

namespace pix {

// A folder of 100,000 pictures has 100,000 names and as many sort keys: as
// strings of their own they would cost an allocation and its overhead each,
// and one growing buffer would copy itself over and over, for a while twice
// its size. Blocks are filled one after the other and never move.
template <class Char>
class PackedStrings {
 public:
  using View = std::basic_string_view<Char>;

  // Keeps a copy of `text`; its index is the count before the call.
  void Add(View text) {
    if (blocks_.empty() || blocks_.back().length - used_ < text.size()) {
      const std::size_t length = text.size() > kBlockLength ? text.size() : kBlockLength;
      blocks_.push_back({std::make_unique_for_overwrite<Char[]>(length), length});
      used_ = 0;
    }
    if (blocks_.size() > UINT32_MAX || used_ > UINT32_MAX || text.size() > UINT32_MAX) throw std::bad_alloc();
    Block& block = blocks_.back();
    text.copy(block.text.get() + used_, text.size());
    spans_.push_back({static_cast<std::uint32_t>(blocks_.size() - 1), static_cast<std::uint32_t>(used_),
                      static_cast<std::uint32_t>(text.size())});
    used_ += text.size();
  }

  View operator[](std::size_t index) const {
    const Span& span = spans_[index];
    return View(blocks_[span.block].text.get() + span.offset, span.length);
  }
  std::size_t size() const { return spans_.size(); }
  bool empty() const { return spans_.empty(); }

  // Lets go of everything, the memory too.
  void clear() {
    std::vector<Block>().swap(blocks_);
    std::vector<Span>().swap(spans_);
    used_ = 0;
  }

 private:
  // 64 KiB of characters a block: big enough that the blocks are few, small
  // enough that the last one wastes little.
  static constexpr std::size_t kBlockLength = std::size_t{64} * 1024 / sizeof(Char);

  struct Block {
    std::unique_ptr<Char[]> text;
    std::size_t length;
  };
  struct Span {
    std::uint32_t block, offset, length;
  };

  std::vector<Block> blocks_;
  std::vector<Span> spans_;
  std::size_t used_ = 0;  // characters taken in the last block
};

}  // namespace pix

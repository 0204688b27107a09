// A flag per row for the plain state; a fixed hash table for the rest, so
// that rendering never allocates.

#include "platform/player/PlayedRows.h"

namespace xm {
namespace {

constexpr size_t kLoopingSlots = size_t{1} << 14;
constexpr int32_t kLoopingLimit = kLoopingSlots * 3 / 4;  // keeps probe runs short

size_t Hash(const RowState& s) {  // FNV-1a over the state's bytes
    uint64_t h = 0xCBF29CE484222325u;
    auto mix = [&h](uint8_t b) { h = (h ^ b) * 0x100000001B3u; };
    mix(s.order);
    mix(s.row);
    mix(s.breakRow);
    for (uint8_t b : s.loopCounts) mix(b);
    return static_cast<size_t>(h ^ (h >> 32));
}

}  // namespace

void RowState::SetLoopCount(int32_t channel, int32_t count) {
    uint8_t& b = loopCounts[channel / 2];
    int32_t shift = (channel % 2) * 4;
    b = static_cast<uint8_t>((b & ~(0x0F << shift)) | ((count & 0x0F) << shift));
}

bool RowState::Plain() const {
    if (breakRow != 0) return false;
    for (uint8_t b : loopCounts)
        if (b != 0) return false;
    return true;
}

bool RowState::operator==(const RowState& other) const {
    return order == other.order && row == other.row && breakRow == other.breakRow && loopCounts == other.loopCounts;
}

PlayedRows::PlayedRows() : plain_(size_t{kMaxOrders} * kMaxRows), looping_(kLoopingSlots) {}

bool PlayedRows::Visit(const RowState& state) {
    if (!state.Plain()) return VisitLooping(state);
    uint8_t& flag = plain_[size_t{state.order} * kMaxRows + state.row];
    if (flag) return true;
    flag = 1;
    return false;
}

bool PlayedRows::VisitLooping(const RowState& state) {
    for (size_t i = Hash(state) % kLoopingSlots;; i = (i + 1) % kLoopingSlots) {
        Slot& slot = looping_[i];
        if (slot.used && slot.state == state) return true;
        if (slot.used) continue;
        if (loopingCount_ == kLoopingLimit) return true;
        slot.used = true;
        slot.state = state;
        ++loopingCount_;
        return false;
    }
}

}  // namespace xm

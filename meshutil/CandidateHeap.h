#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kx::meshutil {

// Binary min-heap of collapse candidates by cost. A parent and a child swap only
// when the child is strictly cheaper, so equal costs keep their places. Costs
// sit in the heap entries so that sifting reads one array.
class CandidateHeap {
  public:
    // Every candidate inserted in candidate order with its cost.
    explicit CandidateHeap(const std::vector<float>& costs) : slot_(costs.size()) {
        // Inserting candidate c into a heap of c entries; sifting up without
        // recording places, which are filled in below.
        heap_.resize(costs.size());
        for (std::uint32_t candidate = 0; candidate < costs.size(); ++candidate) {
            const Entry moving{costs[candidate], candidate};
            std::size_t i = candidate;
            while (i > 0 && moving.cost < heap_[(i - 1) / 2].cost) {
                heap_[i] = heap_[(i - 1) / 2];
                i = (i - 1) / 2;
            }
            heap_[i] = moving;
        }
        for (std::uint32_t i = 0; i < heap_.size(); ++i) {
            slot_[heap_[i].candidate] = i;
        }
    }

    bool Empty() const { return heap_.empty(); }

    void Set(std::uint32_t candidate, float cost) {
        const std::uint32_t at = slot_[candidate];
        if (at == kOut) {
            heap_.push_back({cost, candidate});
            SiftUp(heap_.size() - 1);
            return;
        }
        const float old = heap_[at].cost;
        heap_[at].cost = cost;
        if (cost < old) {
            SiftUp(at);
        } else if (old < cost) {
            SiftDown(at);
        }
    }

    std::uint32_t Pop() {
        const std::uint32_t top = heap_.front().candidate;
        slot_[top] = kOut;
        const Entry last = heap_.back();
        heap_.pop_back();
        if (!heap_.empty()) {
            heap_[0] = last;
            SiftDown(0);
        }
        return top;
    }

  private:
    struct Entry {
        float cost;
        std::uint32_t candidate;
    };
    static constexpr std::uint32_t kOut = 0xFFFFFFFFu;

    void Place(std::size_t i, const Entry& entry) {
        heap_[i] = entry;
        slot_[entry.candidate] = static_cast<std::uint32_t>(i);
    }
    void SiftUp(std::size_t i) {
        const Entry moving = heap_[i];
        while (i > 0) {
            const std::size_t parent = (i - 1) / 2;
            if (!(moving.cost < heap_[parent].cost)) {
                break;
            }
            Place(i, heap_[parent]);
            i = parent;
        }
        Place(i, moving);
    }
    void SiftDown(std::size_t i) {
        const Entry moving = heap_[i];
        for (;;) {
            std::size_t child = 2 * i + 1;
            if (child >= heap_.size()) {
                break;
            }
            if (child + 1 < heap_.size() && heap_[child + 1].cost < heap_[child].cost) {
                ++child;
            }
            if (!(heap_[child].cost < moving.cost)) {
                break;
            }
            Place(i, heap_[child]);
            i = child;
        }
        Place(i, moving);
    }

    std::vector<std::uint32_t> slot_;
    std::vector<Entry> heap_;
};

}  // namespace kx::meshutil

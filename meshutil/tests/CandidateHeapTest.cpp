#include "meshutil/CandidateHeap.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace kx::meshutil {
namespace {

std::vector<std::uint32_t> PopAll(CandidateHeap& heap) {
    std::vector<std::uint32_t> order;
    while (!heap.Empty()) {
        order.push_back(heap.Pop());
    }
    return order;
}

// Against a plain map of the live costs: raised, lowered and popped-then-set
// candidates all come out cheapest first.
TEST(CandidateHeap, PopsTheCheapestThroughRaisesLowersAndReinsertions) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> cost(0.0f, 1000.0f);
    std::vector<float> costs(200);
    std::map<std::uint32_t, float> live;
    for (std::uint32_t c = 0; c < costs.size(); ++c) {
        costs[c] = cost(random);
        live[c] = costs[c];
    }
    CandidateHeap heap(costs);
    std::uniform_int_distribution<std::uint32_t> pick(0, 199);
    for (int step = 0; step < 2000 && !live.empty(); ++step) {
        if (step % 3 == 0) {
            auto cheapest = live.begin();
            for (auto it = live.begin(); it != live.end(); ++it) {
                if (it->second < cheapest->second) {
                    cheapest = it;
                }
            }
            ASSERT_EQ(heap.Pop(), cheapest->first) << "step " << step;
            live.erase(cheapest);
        } else {
            const std::uint32_t c = pick(random);
            live[c] = cost(random);
            heap.Set(c, live[c]);
        }
    }
    EXPECT_EQ(PopAll(heap).size(), live.size());
}

// Ties are broken by place alone, so setting a cost it already has moves
// nothing: the pop order, and with it the reduction, stays the same.
TEST(CandidateHeap, SettingAnUnchangedCostMovesNothing) {
    const std::vector<float> costs = {3, 1, 1, 2, 1, 3, 2, 1};
    CandidateHeap plain(costs);
    CandidateHeap touched(costs);
    for (std::uint32_t c = 0; c < costs.size(); ++c) {
        touched.Set(c, costs[c]);
    }
    const std::vector<std::uint32_t> order = PopAll(plain);
    EXPECT_EQ(PopAll(touched), order);
    ASSERT_EQ(order.size(), costs.size());
    for (std::size_t i = 1; i < order.size(); ++i) {
        EXPECT_LE(costs[order[i - 1]], costs[order[i]]);
    }
}

}  // namespace
}  // namespace kx::meshutil

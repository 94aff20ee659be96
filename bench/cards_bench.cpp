// Speed of the hand evaluator on random seven-card deals made up front, so
// that only the evaluation is measured.

#include <array>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include "cards/Evaluator.h"
#include "cards/Showdown.h"
#include "settings/Language.h"
#include "settings/TextIds.h"

namespace {

using namespace scrivo;

constexpr std::size_t DealCount = 1 << 12; // a power of two, cycled through

struct Deal {
    colHand hole;
    colHand board;
};

// The same random deals twice: as hole and board hands, and as plain arrays
// of seven cards.
struct DealSet {
    std::vector<Deal> hands;
    std::vector<std::array<clsCard, 7>> cards;
};

const DealSet& Deals()
{
    static const DealSet deals = [] {
        DealSet out;
        std::mt19937_64 engine(20261206);
        std::array<int, 52> pack;
        std::iota(pack.begin(), pack.end(), 0);
        for (std::size_t n = 0; n < DealCount; ++n) {
            std::array<clsCard, 7> seven;
            for (int i = 0; i < 7; ++i) {
                std::uniform_int_distribution<int> pick(i, 51);
                std::swap(pack[i], pack[pick(engine)]);
                seven[i] = clsCard(pack[i] / 13, pack[i] % 13);
            }
            out.cards.push_back(seven);
            out.hands.push_back(Deal{colHand({seven[0], seven[1]}),
                                     colHand({seven[2], seven[3], seven[4], seven[5], seven[6]})});
        }
        return out;
    }();
    return deals;
}

// Ten million random seven-card deals as card ids (4 * facevalue + suit),
// seven bytes each, too many to sit in a cache.
constexpr std::size_t IdDealCount = 10000000;

const std::vector<std::uint8_t>& IdDeals()
{
    static const std::vector<std::uint8_t> ids = [] {
        std::vector<std::uint8_t> out;
        out.reserve(IdDealCount * 7);
        std::mt19937_64 engine(20261207);
        std::array<std::uint8_t, 52> pack;
        std::iota(pack.begin(), pack.end(), std::uint8_t{0});
        for (std::size_t n = 0; n < IdDealCount; ++n)
            for (int i = 0; i < 7; ++i) {
                std::uniform_int_distribution<int> pick(i, 51);
                std::swap(pack[i], pack[pick(engine)]);
                out.push_back(pack[i]);
            }
        return out;
    }();
    return ids;
}

// One pass over all ten million deals per iteration.
void BM_EvaluateSeven(benchmark::State& state)
{
    const auto& ids = IdDeals();
    benchmark::DoNotOptimize(EvaluateSeven(ids.data())); // tables made before timing
    for (auto _ : state) {
        for (std::size_t n = 0; n < IdDealCount; ++n) {
            double score = EvaluateSeven(&ids[7 * n]);
            benchmark::DoNotOptimize(score);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * IdDealCount));
}
BENCHMARK(BM_EvaluateSeven)->Unit(benchmark::kMillisecond);

void BM_BestScore(benchmark::State& state)
{
    const auto& deals = Deals().hands;
    std::size_t i = 0;
    for (auto _ : state) {
        const Deal& deal = deals[i++ & (DealCount - 1)];
        double score = BestScore(deal.hole, deal.board);
        benchmark::DoNotOptimize(score);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_BestScore);

void BM_BestScoreOfCards(benchmark::State& state)
{
    const auto& cards = Deals().cards;
    std::size_t i = 0;
    for (auto _ : state) {
        double score = BestScoreOfCards(cards[i++ & (DealCount - 1)]);
        benchmark::DoNotOptimize(score);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_BestScoreOfCards);

void BM_BestScoreReference(benchmark::State& state)
{
    const auto& deals = Deals().hands;
    std::size_t i = 0;
    for (auto _ : state) {
        const Deal& deal = deals[i++ & (DealCount - 1)];
        double score = BestScoreReference(deal.hole, deal.board);
        benchmark::DoNotOptimize(score);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_BestScoreReference);

void BM_EvaluateShowdown(benchmark::State& state)
{
    // English face names, so that descriptions are built as in a game.
    const char* faces[] = {"Two",  "Three", "Four", "Five",  "Six",  "Seven", "Eight",
                           "Nine", "Ten",   "Jack", "Queen", "King", "Ace"};
    const char* plurals[] = {"Twos",  "Threes", "Fours", "Fives",  "Sixes", "Sevens", "Eights",
                             "Nines", "Tens",   "Jacks", "Queens", "Kings", "Aces"};
    Language language;
    for (int f = 0; f < 13; ++f) {
        language.LangText[Msg::FaceFirst + f] = faces[f];
        language.LangText[Msg::FacePluralFirst + f] = plurals[f];
    }
    const auto& deals = Deals().hands;
    std::size_t i = 0;
    for (auto _ : state) {
        const Deal& deal = deals[i++ & (DealCount - 1)];
        ShowdownResult result = EvaluateShowdown(deal.hole, deal.board, language);
        benchmark::DoNotOptimize(result);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_EvaluateShowdown);

} // namespace

BENCHMARK_MAIN();

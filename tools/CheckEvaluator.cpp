// Walks every seven-card hand once and compares the fast evaluator with the
// plain 21-combination loop: BestScore and EvaluateSeven (on card ids) on
// every hand, BestHand on a spread-out share. The last line is
// "mismatches=N".
//
//   scrivo-check-evaluator [--limit N]     stop after N hands (for a quick run)

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "cards/Evaluator.h"

namespace {

using namespace scrivo;

constexpr std::uint64_t AllHands = 133784560;
constexpr std::uint64_t BestHandEvery = 97;
constexpr int ReportFirst = 10;

void Usage()
{
    std::fprintf(stderr, "usage: scrivo-check-evaluator [--limit N]\n");
}

// The next 7-card set after codes in increasing order; false after the last.
bool NextCombination(std::array<int, 7>& codes)
{
    int i = 6;
    while (i >= 0 && codes[static_cast<std::size_t>(i)] == 52 - 7 + i)
        --i;
    if (i < 0) return false;
    ++codes[static_cast<std::size_t>(i)];
    for (int j = i + 1; j < 7; ++j)
        codes[static_cast<std::size_t>(j)] = codes[static_cast<std::size_t>(j - 1)] + 1;
    return true;
}

std::string Describe(const colHand& hole, const colHand& board)
{
    return CardListText(hole.Cards()) + " | " + CardListText(board.Cards());
}

} // namespace

int main(int argc, char** argv)
{
    std::uint64_t limit = AllHands;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--limit") == 0 && i + 1 < argc) {
            char* end = nullptr;
            limit = std::strtoull(argv[++i], &end, 10);
            if (end == argv[i] || *end != '\0') {
                Usage();
                return 2;
            }
        } else {
            Usage();
            return 2;
        }
    }

    const auto start = std::chrono::steady_clock::now();
    colHand hole({clsCard(), clsCard()});
    colHand board({clsCard(), clsCard(), clsCard(), clsCard(), clsCard()});
    std::array<std::uint8_t, 7> ids{};
    std::uint64_t hands = 0, bestHandChecks = 0, scoreMismatches = 0, idMismatches = 0, handMismatches = 0;

    // Every 7-card set (card codes 13 * suit + face, increasing), each one
    // rotated by its number so that every card takes turns in the hole.
    std::array<int, 7> codes = {0, 1, 2, 3, 4, 5, 6};
    do {
        const std::size_t turn = hands % 7;
        for (std::size_t i = 0; i < 7; ++i) {
            const int code = codes[(i + turn) % 7];
            clsCard& card = i < 2 ? hole.Item(static_cast<std::int32_t>(i + 1))
                                  : board.Item(static_cast<std::int32_t>(i - 1));
            card.suit = code / 13;
            card.facevalue = code % 13;
            ids[i] = static_cast<std::uint8_t>(4 * card.facevalue + card.suit);
        }
        const double fast = BestScore(hole, board);
        const double plain = BestScoreReference(hole, board);
        if (fast != plain && ++scoreMismatches <= ReportFirst)
            std::printf("score mismatch: %s fast %.10f plain %.10f\n", Describe(hole, board).c_str(), fast,
                        plain);
        const double byIds = EvaluateSeven(ids.data());
        if (byIds != plain && ++idMismatches <= ReportFirst)
            std::printf("card id mismatch: %s ids %.10f plain %.10f\n", Describe(hole, board).c_str(), byIds,
                        plain);
        if (hands % BestHandEvery == 0) {
            ++bestHandChecks;
            if (BestHand(hole, board).ToVector() != BestHandReference(hole, board).ToVector() &&
                ++handMismatches <= ReportFirst)
                std::printf("best hand mismatch: %s\n", Describe(hole, board).c_str());
        }
        if (++hands % 10000000 == 0)
            std::fprintf(stderr, "%llu hands...\n", static_cast<unsigned long long>(hands));
    } while (hands < limit && NextCombination(codes));

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("hands=%llu best_hand_checks=%llu seconds=%.1f\n", static_cast<unsigned long long>(hands),
                static_cast<unsigned long long>(bestHandChecks), seconds);
    std::printf("score_mismatches=%llu card_id_mismatches=%llu best_hand_mismatches=%llu\n",
                static_cast<unsigned long long>(scoreMismatches),
                static_cast<unsigned long long>(idMismatches),
                static_cast<unsigned long long>(handMismatches));
    const std::uint64_t mismatches = scoreMismatches + idMismatches + handMismatches;
    std::printf("mismatches=%llu\n", static_cast<unsigned long long>(mismatches));
    return mismatches == 0 ? 0 : 1;
}

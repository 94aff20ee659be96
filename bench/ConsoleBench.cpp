// MsgRefresh of a long game's log: 20,000 message lines rebuilt under the
// quiet flag, and the memory the window holds afterwards.
//   QT_QPA_PLATFORM=offscreen build/console-release/bin/console_bench
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTextEdit>

#include "console/MainForm.h"
#include "engine/Table.h"
#include "gamefolder/Directory.h"
#include "gamefolder/RecordFile.h"
#include "platform/Paths.h"
#include "platform/Random.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"

namespace {

using namespace scrivo;

constexpr int LineCount = 20000;

long ResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        long value = 0;
        if (key == "VmRSS:" && status >> value) return value;
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

// A game in a new server directory whose message file holds a long game's
// lines, every kind.
GameSession MakeLongGame(std::string& dir)
{
    char pattern[] = "/tmp/scrivo-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) std::abort();
    dir = made;
    FolderResult<GameSession> game =
        CreateGame(dir + "/", CreateRequest{"Bench", "500", "5", "10", "$", "3", 2}, "Ann");
    if (!game) std::abort();
    const char* kinds[] = {
        "sAnn calls $10.",  "dDealing the flop", "c0_12,2_8,3_3",  "wBob folds.",
        "mAnn: nice hand",  "iHand 12",          "nBob: ",         "tFull house, Kings over Twos",
        "1sYour turn, Ann", "2sYour turn, Bob",  "bCarla is out.", "pDan joined."};
    auto file = OpenRecordFile(MessageFilePath(game->GameFolder), MessageRecordLength);
    if (!file) std::abort();
    for (int i = 0; i < LineCount; ++i)
        if (!file->AppendMessage(kinds[i % std::size(kinds)])) std::abort();
    return *game;
}

void BM_MsgRefresh20000(benchmark::State& state)
{
    static int argc = 1;
    static char name[] = "console_bench";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(argc, argv);
    Language language;
    // The suits and the faces.
    for (int i = 0; i <= 16; ++i)
        language.LangText[Msg::SuitFirst + i] = "Name" + std::to_string((Msg::SuitFirst + i).Number());
    language.LangText[Msg::CardName] = "% of $";
    Settings settings;
    settings.Animated = true; // the quiet flag must switch it off

    std::string dir;
    const GameSession game = MakeLongGame(dir);
    const long before = ResidentKb();
    {
        MainForm form(settings, language);
        form.resize(800, 600);
        form.show();
        form.SetPauseScale(0); // the first collection shows the lines live
        form.Init(game);
        form.Engine()->Tick();
        form.SetPauseScale(1);
        if (form.Engine()->LastMsgNo() < LineCount) state.SkipWithError("lines not collected");
        for (auto _ : state) {
            form.MsgRefresh();
            QApplication::processEvents();
        }
        auto* log = form.findChild<QTextEdit*>(QStringLiteral("RTB2"));
        state.counters["blocks"] = log->document()->blockCount();
        state.counters["window_MB"] = static_cast<double>(ResidentKb() - before) / 1024.0;
        state.counters["process_MB"] = static_cast<double>(ResidentKb()) / 1024.0;
    }
    if (std::system(("rm -rf '" + dir + "'").c_str()) != 0)
        state.SkipWithError("could not remove the game folder");
}
BENCHMARK(BM_MsgRefresh20000)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();

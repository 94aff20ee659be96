#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/Table.h"
#include "testsupport/EngineFixtures.h"

namespace scrivo {
namespace {

// Keeps every status line the table shows.
class StatusView : public test::RecordingView {
public:
    void ShowStatus(const std::string& text) override { shown.push_back(text); }
    std::vector<std::string> shown;
};

TEST(ClientStatusTest, NobodyIsWaitedForOnceTheHandIsOver)
{
    const Language language = test::NumberedLanguage();
    test::TempDir dir;
    test::RecordingMessageBox box;
    test::GameSetup setup;
    setup.names = {"Ann", "Bob", "Cy"};
    test::WriteGameFolder(dir.Path(), setup);
    StatusView view;
    Table table(view, test::SessionAt(dir.Path(), 2, setup.type), language);
    ASSERT_TRUE(table.Init());

    test::SetStatus(dir.Path(), "P3");
    table.Tick();
    ASSERT_FALSE(view.shown.empty());
    EXPECT_EQ(view.shown.back(), test::Numbered(Msg::WaitingFor, "Cy"));
    // The host may end the hand between two of this client's ticks.
    for (const char* status : {"GR", "GE"}) {
        test::SetStatus(dir.Path(), "P3");
        table.Tick();
        test::SetStatus(dir.Path(), status);
        view.shown.clear();
        table.Tick();
        EXPECT_EQ(table.State().CurrentPlayer, 0) << status;
        for (const std::string& text : view.shown)
            EXPECT_NE(text, test::Numbered(Msg::WaitingFor, "Cy")) << status;
    }
}

} // namespace
} // namespace scrivo

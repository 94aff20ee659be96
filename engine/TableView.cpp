#include "engine/TableView.h"

namespace scrivo {

int LogLine::PrivateTo() const
{
    if (!line.empty() && line[0] >= '1' && line[0] <= '9') return line[0] - '0';
    return 0;
}

bool LogLine::VisibleTo(int playerNo) const
{
    const int to = PrivateTo();
    return to == 0 || to == playerNo;
}

char LogLine::Kind() const
{
    const std::size_t at = PrivateTo() ? 1 : 0;
    return at < line.size() ? line[at] : '\0';
}

std::string LogLine::Text() const
{
    const std::size_t at = PrivateTo() ? 2 : 1;
    return at < line.size() ? line.substr(at) : std::string();
}

bool TableView::DrawsSeats() const
{
    return true;
}

void TableView::HandEnded(const Table&) {}
void TableView::GameEnded(const Table&) {}
void TableView::HostLeft(const Table&, const std::string&) {}

void TableView::LocalLine(const std::string& line)
{
    LogLines({LogLine{0, line}});
}

} // namespace scrivo

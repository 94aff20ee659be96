#include "engine/Lobby.h"

#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"

namespace scrivo {

namespace {

constexpr double MaxStartCash = 999999;

} // namespace

void ReportFailure(const std::string& prefix, const FolderStatus& status)
{
    if (!status.Ok() && status.error != FolderError::Cancelled) MsgBox(prefix + status.description);
}

Lobby::Lobby(const Settings& settings, const Language& language) : m_settings(settings), m_language(language)
{
}

FolderResult<GameList> Lobby::UpdateList(const std::string& selectedGameId)
{
    FolderResult<GameList> result = ListGames(m_settings.ServerDirectory, selectedGameId, m_current);
    if (result->serverMissing) MsgBox(m_language.AppText[Cap::FolderNotFound]);
    ReportFailure("Error updating list: ", result.status);
    return result;
}

RowSelection Lobby::SelectRow(const GameList& list, int row) const
{
    return scrivo::SelectRow(list, row, m_current.IsHost);
}

std::optional<CapId> Lobby::CheckCreate(const CreateRequest& request)
{
    if (Trim(request.gameName).empty()) return Cap::NeedTableName;
    const double cash = Val(request.startCash);
    if (cash <= 0) return Cap::StartCashPositive;
    if (cash >= MaxStartCash || !IsCreateAmount(cash)) return Cap::StartCashTooLarge;
    const double small = Val(request.smallBlind);
    const double big = Val(request.bigBlind);
    if (small <= 0 || small >= big || !IsCreateAmount(big)) return Cap::BlindsInvalid;
    return std::nullopt;
}

BrowserOutcome Lobby::CreateButton(const CreateRequest& request)
{
    BrowserOutcome outcome;
    outcome.caption = CheckCreate(request);
    if (outcome.caption) {
        const std::string& text = m_language.AppText[*outcome.caption];
        MsgBox(text);
        outcome.status = FolderStatus::Failure(text);
        return outcome;
    }
    FolderResult<GameSession> created =
        CreateGame(m_settings.ServerDirectory, request, m_settings.LastPlayer);
    outcome.status = created.status;
    if (!created) {
        ReportFailure("Error in Create Game: ", created.status);
        return outcome;
    }
    GameSession& session = *created;
    int seated = 0;
    for (int i = 1; i <= session.BotCount; ++i) {
        const FolderStatus bot = AddBot(session, m_settings.LastPlayer, m_language.BotNames, m_bots);
        if (bot.error == FolderError::NotThere) {
            MsgBox(bot.description);
            session.GameName.clear();
        } else {
            ReportFailure("Error in Bot Join: ", bot);
        }
        if (bot.Ok()) ++seated;
    }
    if (seated != session.BotCount) {
        // Seats the host plays are exactly the bots it seated: a player who
        // joins later must never be taken for a bot.
        session.BotCount = seated;
        ReportFailure("Error in Bot Join: ", SetBotCount(session.GameFolder, seated));
    }
    m_current = session;
    outcome.session = session;
    outcome.openTable = true;
    return outcome;
}

BrowserOutcome Lobby::JoinGame(const std::string& gameId)
{
    BrowserOutcome outcome;
    auto refuse = [&](CapId caption, MsgIcon icon) {
        const std::string& text = m_language.AppText[caption];
        MsgBox(text, MsgButtons::Ok, icon);
        outcome.caption = caption;
        outcome.status = FolderStatus::Failure(text);
        return outcome;
    };
    if (gameId.empty()) return refuse(Cap::ChooseGame, MsgIcon::Information);

    JoinResult joined = scrivo::JoinGame(m_settings.ServerDirectory, gameId, m_settings.LastPlayer);
    switch (joined.outcome) {
    case JoinOutcome::Joined:
    case JoinOutcome::Rejoined:
        m_current = joined.session;
        outcome.session = joined.session;
        outcome.openTable = true;
        return outcome;
    case JoinOutcome::Full:
        return refuse(Cap::TableFull, MsgIcon::Information);
    case JoinOutcome::Started:
        return refuse(Cap::GameStarted, MsgIcon::None);
    case JoinOutcome::NameTaken:
        return refuse(Cap::NameTaken, MsgIcon::None);
    case JoinOutcome::NoGame:
        MsgBox(joined.status.description);
        m_current.GameName.clear();
        break;
    case JoinOutcome::Failed:
        ReportFailure("Error in Join Game: ", joined.status);
        break;
    }
    outcome.status = joined.status;
    return outcome;
}

LeaveOutcome LeaveGame(GameSession& session, const std::string& ownName, const Language& language)
{
    LeaveOutcome outcome;
    const std::string& folder = session.GameFolder;
    if (folder.empty() || !FolderExists(GameFilePath(folder))) {
        outcome.status = FolderStatus::NotThere("No game to leave");
        return outcome;
    }
    outcome.status = WritePlayerRecord(folder, "D", session.MyPlayerNo);
    ReportFailure("Error writing player status: ", outcome.status);

    if (!HumansRemain(session)) {
        outcome.status = CleanUpGameFiles(folder);
        ReportFailure("Error cleaning up game files: ", outcome.status);
        outcome.removedGame = outcome.status.Ok();
        return outcome;
    }
    outcome.line = "w" + language.FormatText(session.IsHost ? Msg::HostLeft : Msg::PlayerLeft, ownName);
    const FolderResult<std::int64_t> told = AppendPlayerMessage(folder, outcome.line);
    ReportFailure("Error Sending player message: ", told.status);
    if (told) outcome.lineRecord = *told;
    if (!session.IsHost) return outcome;
    outcome.status = WriteGameRecord(folder, GameStatus::Ended, false);
    ReportFailure("Error writing status: ", outcome.status);
    outcome.endedGame = true;
    session.IsHost = false;
    return outcome;
}

} // namespace scrivo

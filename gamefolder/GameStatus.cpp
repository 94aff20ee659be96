#include "gamefolder/GameStatus.h"

#include <cassert>

#include "gamefolder/Records.h"

namespace scrivo {

GameStatus GameStatus::Turn(int playerNo)
{
    assert(playerNo >= 1 && playerNo <= MaxPlayers);
    return GameStatus('P', static_cast<char>('0' + playerNo));
}

GameStatus GameStatus::FromText(std::string_view text)
{
    return FromStored(EncodeText(text, StatusWidth));
}

std::string GameStatus::Text() const
{
    return DecodeText(Stored());
}

GameStatus GameStatus::FromStored(std::string_view bytes)
{
    GameStatus status('\0', '\0'); // bytes missing from a short record read as zero
    for (std::size_t i = 0; i < status.m_code.size() && i < bytes.size(); ++i)
        status.m_code[i] = bytes[i];
    return status;
}

int GameStatus::TurnPlayer() const
{
    const char digit = m_code[1];
    return m_code[0] == 'P' && digit >= '1' && digit <= '0' + MaxPlayers ? digit - '0' : 0;
}

bool GameStatus::IsKnown() const
{
    for (const GameStatus& named : {Waiting, StartHand, PrepareHand, HandOver, HandDone, Ended})
        if (*this == named) return true;
    return IsTurn();
}

} // namespace scrivo

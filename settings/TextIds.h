#pragma once

// Names of the numbered texts of a language file: Msg for the game messages
// ([Text]), Cap for the captions of the windows ([Application]). The numbers
// are the keys of the language files and must not change.

namespace scrivo {

namespace Msg {
inline constexpr int Welcome = 1;        // "Welcome to the table, %!"
inline constexpr int CurrencyNotice = 2; // "All amounts at this table are in %."
inline constexpr int SeatedPlayers = 3;
inline constexpr int HandHeader = 4; // "--- Hand % ---"
inline constexpr int ShufflingDealing = 5;
inline constexpr int HostLeft = 6; // "% has left the table as host. The game is over."
inline constexpr int PlayerLeft = 7;
inline constexpr int YouCall = 8;
inline constexpr int YouCheck = 9;
inline constexpr int YouFold = 10;
inline constexpr int YouAllIn = 11;
inline constexpr int TypeMessage = 12;
inline constexpr int TypeBet = 13;
inline constexpr int BetAboveCash = 14;  // "You cannot bet more than you have: %."
inline constexpr int LimitBetExact = 15; // "In a limit game the bet must be exactly %."
inline constexpr int PotLimitExceeded = 16;
inline constexpr int CallAtLeast = 17; // "You must put in at least % to call."
inline constexpr int ChatLine = 18;    // "% says: $"
inline constexpr int MessageSent = 19;
inline constexpr int PostsSmallBlind = 20;
inline constexpr int PostsBigBlind = 21;
inline constexpr int OutOfChips = 22;
inline constexpr int Checks = 23;
inline constexpr int GoesAllIn = 24;
inline constexpr int PutsInRaising = 25; // "% puts in $, raising the stake to *."
inline constexpr int Calls = 26;
inline constexpr int Folds = 27;
inline constexpr int MainPotUncontested = 28;
inline constexpr int ShowdownMainPot = 29;
inline constexpr int ShowdownSidePot = 30;
inline constexpr int PlayersSharePot = 31;
inline constexpr int Wins = 32; // "% wins $."
inline constexpr int Flop = 33;
inline constexpr int Turn = 34;
inline constexpr int River = 35;
inline constexpr int RestOfBoard = 36;
inline constexpr int DealingHoleCards = 37;
inline constexpr int YourCards = 38;
inline constexpr int Board = 39;
inline constexpr int YourTurn = 40;
inline constexpr int WaitingFor = 41;    // "Waiting for %..."
inline constexpr int SmallestBet = 42;   // "The smallest bet is %."
inline constexpr int PotLimitMost = 43;  // "In a pot limit game you can put in at most % now."
inline constexpr int BettingCapped = 44; // "The betting is capped: you may only call or fold."
inline constexpr int YouBet = 45;
inline constexpr int GameOver = 46; // "% has won all the chips. Game over!"
inline constexpr int SidePotUncontested = 48;
inline constexpr int AllInRaising = 49;
inline constexpr int AllInSmallBlind = 50;
inline constexpr int AllInBigBlind = 51;
inline constexpr int SuitFirst = 52;       // Hearts; 52..55 hearts, diamonds, spades, clubs
inline constexpr int FaceFirst = 56;       // Two; 56..68 two to ace
inline constexpr int FacePluralFirst = 69; // Twos; 69..81
inline constexpr int MinRaise = 92;        // "A raise must be at least %."
inline constexpr int CardName = 93;        // "% of $"
inline constexpr int PlayerJoined = 94;
inline constexpr int HostStartsRound = 95;
inline constexpr int TwoDecimals = 96;
inline constexpr int UncalledReturned = 82; // "% takes back $ that nobody called."
inline constexpr int TimedOutChecks = 83;   // "% ran out of time and checks."
inline constexpr int TimedOutFolds = 84;    // "% ran out of time and folds."
inline constexpr int AwayFolds = 85;        // "% is away and folds."
inline constexpr int HostGone = 86;         // "The host has left: the game is over."
inline constexpr int TimeLeft = 87;         // "Your turn: % seconds left."
inline constexpr int OnlyCallOrFold = 88;
inline constexpr int GameEnded = 97;
inline constexpr int GameFolderGone = 98;
inline constexpr int PressStartRound = 99; // "Press S or use \"%\" to deal." (% = the menu caption)
} // namespace Msg

namespace Cap {
inline constexpr int Ok = 1;
inline constexpr int Cancel = 2;
inline constexpr int LanguageLabel = 3;
inline constexpr int PlayerName = 4;
inline constexpr int FolderLocation = 5;
inline constexpr int WizardWelcome = 6;
inline constexpr int HostSuffix = 7; // "(host)"
inline constexpr int Players = 8;
inline constexpr int Blinds = 9;
inline constexpr int Status = 10;
inline constexpr int Join = 11;
inline constexpr int CreateGame = 12;
inline constexpr int Setup = 13;
inline constexpr int GameLabel = 14;
inline constexpr int TypeLabel = 15;
inline constexpr int TableName = 16;
inline constexpr int StartCash = 17;
inline constexpr int BlindsStakes = 18;
inline constexpr int BotsLabel = 19;
inline constexpr int CurrencyLabel = 20;
inline constexpr int CreateNow = 21;
inline constexpr int Hide = 22;
inline constexpr int NoActiveGames = 23;
inline constexpr int StartRound = 24;
inline constexpr int MessageButton = 25;
inline constexpr int CheckCall = 26;
inline constexpr int Fold = 27;
inline constexpr int BetRaise = 28;
inline constexpr int Cash = 29;
inline constexpr int Pot = 30;
inline constexpr int MenuFile = 31;
inline constexpr int MenuView = 32;
inline constexpr int MenuTools = 33;
inline constexpr int MenuHelp = 34;
inline constexpr int SaveText = 35;
inline constexpr int Speech = 36;
inline constexpr int Exit = 37;
inline constexpr int InfoPane = 38;
inline constexpr int StatusBar = 39;
inline constexpr int ScrivoMode = 40;
inline constexpr int MenuCheckCall = 41;
inline constexpr int MenuBetRaise = 42;
inline constexpr int MenuFold = 43;
inline constexpr int MenuAllIn = 44;
inline constexpr int MenuMessage = 45;
inline constexpr int MenuStartRound = 46;
inline constexpr int Options = 48;
inline constexpr int Instructions = 49;
inline constexpr int About = 50;
inline constexpr int OptionsTitle = 51;
inline constexpr int Font = 52;
inline constexpr int Size = 53;
inline constexpr int AllowBold = 54;
inline constexpr int AllowColour = 55;
inline constexpr int ShortCardNames = 56;
inline constexpr int SuitSymbols = 57;
inline constexpr int Animation = 58;
inline constexpr int FullCardText = 59;
inline constexpr int LeaveQuestion = 60;
inline constexpr int NeedTableName = 61;
inline constexpr int StartCashPositive = 62;
inline constexpr int StartCashTooLarge = 63;
inline constexpr int BlindsInvalid = 64;
inline constexpr int ChooseGame = 65;
inline constexpr int TableFull = 66;
inline constexpr int GameStarted = 67;
inline constexpr int NameTaken = 68;
inline constexpr int FolderNotFound = 69;
inline constexpr int ChooseCardLook = 70;
inline constexpr int NeedPlayerName = 71;
inline constexpr int FolderMissing = 72;
inline constexpr int Limit = 73;
inline constexpr int PotLimit = 74;
inline constexpr int NoLimit = 75;
inline constexpr int ExportHandHistory = 76;
inline constexpr int BotLevelLabel = 90;
inline constexpr int BotClassic = 91;
inline constexpr int BotStrong = 92;
inline constexpr int TurnTime = 80; // "Turn time (s)"
inline constexpr int ToCall = 93;
inline constexpr int DealerMark = 94;
} // namespace Cap

} // namespace scrivo

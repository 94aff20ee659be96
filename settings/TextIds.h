#pragma once

#include <compare>

// Names of the numbered texts of a language file: Msg for the game messages
// ([Text]), Cap for the captions of the windows ([Application]). The numbers
// are the keys of the language files and must not change.

namespace scrivo {

// The number of a text in one table of a language file. Messages and captions
// each have an id type of their own, so that a caption cannot pick a message
// (nor a plain number either): a number becomes an id only where it is
// spelled out, as when a language file is read.
template <typename Table> class TextId {
public:
    constexpr explicit TextId(int number) : m_number(number) {}
    constexpr int Number() const { return m_number; }
    // A text of a run, such as the four suits: SuitFirst + suit.
    constexpr TextId operator+(int offset) const { return TextId(m_number + offset); }
    constexpr auto operator<=>(const TextId&) const = default;

private:
    int m_number;
};

using MsgId = TextId<struct MessageTable>;
using CapId = TextId<struct CaptionTable>;

namespace Msg {
inline constexpr MsgId Welcome{1};        // "Welcome to the table, %!"
inline constexpr MsgId CurrencyNotice{2}; // "All amounts at this table are in %."
inline constexpr MsgId SeatedPlayers{3};
inline constexpr MsgId HandHeader{4}; // "--- Hand % ---"
inline constexpr MsgId ShufflingDealing{5};
inline constexpr MsgId HostLeft{6}; // "% has left the table as host. The game is over."
inline constexpr MsgId PlayerLeft{7};
inline constexpr MsgId YouCall{8};
inline constexpr MsgId YouCheck{9};
inline constexpr MsgId YouFold{10};
inline constexpr MsgId YouAllIn{11};
inline constexpr MsgId TypeMessage{12};
inline constexpr MsgId TypeBet{13};
inline constexpr MsgId BetAboveCash{14};  // "You cannot bet more than you have: %."
inline constexpr MsgId LimitBetExact{15}; // "In a limit game the bet must be exactly %."
inline constexpr MsgId PotLimitExceeded{16};
inline constexpr MsgId CallAtLeast{17}; // "You must put in at least % to call."
inline constexpr MsgId ChatLine{18};    // "% says: $"
inline constexpr MsgId MessageSent{19};
inline constexpr MsgId PostsSmallBlind{20};
inline constexpr MsgId PostsBigBlind{21};
inline constexpr MsgId OutOfChips{22};
inline constexpr MsgId Checks{23};
inline constexpr MsgId GoesAllIn{24};
inline constexpr MsgId PutsInRaising{25}; // "% puts in $, raising the stake to *."
inline constexpr MsgId Calls{26};
inline constexpr MsgId Folds{27};
inline constexpr MsgId MainPotUncontested{28};
inline constexpr MsgId ShowdownMainPot{29};
inline constexpr MsgId ShowdownSidePot{30};
inline constexpr MsgId PlayersSharePot{31};
inline constexpr MsgId Wins{32}; // "% wins $."
inline constexpr MsgId Flop{33};
inline constexpr MsgId Turn{34};
inline constexpr MsgId River{35};
inline constexpr MsgId RestOfBoard{36};
inline constexpr MsgId DealingHoleCards{37};
inline constexpr MsgId YourCards{38};
inline constexpr MsgId Board{39};
inline constexpr MsgId YourTurn{40};
inline constexpr MsgId WaitingFor{41};    // "Waiting for %..."
inline constexpr MsgId SmallestBet{42};   // "The smallest bet is %."
inline constexpr MsgId PotLimitMost{43};  // "In a pot limit game you can put in at most % now."
inline constexpr MsgId BettingCapped{44}; // "The betting is capped: you may only call or fold."
inline constexpr MsgId YouBet{45};
inline constexpr MsgId GameOver{46}; // "% has won all the chips. Game over!"
inline constexpr MsgId SidePotUncontested{48};
inline constexpr MsgId AllInRaising{49};
inline constexpr MsgId AllInSmallBlind{50};
inline constexpr MsgId AllInBigBlind{51};
inline constexpr MsgId SuitFirst{52};       // Hearts; 52..55 hearts, diamonds, spades, clubs
inline constexpr MsgId FaceFirst{56};       // Two; 56..68 two to ace
inline constexpr MsgId FacePluralFirst{69}; // Twos; 69..81
inline constexpr MsgId MinRaise{92};        // "A raise must be at least %."
inline constexpr MsgId CardName{93};        // "% of $"
inline constexpr MsgId PlayerJoined{94};
inline constexpr MsgId HostStartsRound{95};
inline constexpr MsgId TwoDecimals{96};
inline constexpr MsgId UncalledReturned{82}; // "% takes back $ that nobody called."
inline constexpr MsgId TimedOutChecks{83};   // "% ran out of time and checks."
inline constexpr MsgId TimedOutFolds{84};    // "% ran out of time and folds."
inline constexpr MsgId AwayFolds{85};        // "% is away and folds."
inline constexpr MsgId HostGone{86};         // "The host has left: the game is over."
inline constexpr MsgId TimeLeft{87};         // "Your turn: % seconds left."
inline constexpr MsgId OnlyCallOrFold{88};
inline constexpr MsgId GameEnded{97};
inline constexpr MsgId GameFolderGone{98};
inline constexpr MsgId PressStartRound{99}; // "Press S or use \"%\" to deal." (% = the menu caption)
inline constexpr MsgId ShareAway{140};      // "The shared folder cannot be reached; waiting."
inline constexpr MsgId ShareAwayFor{141};   // "The shared folder cannot be reached: waiting for % s."
inline constexpr MsgId ShareLost{142};  // "The shared folder could not be reached for % s: the game is over."
inline constexpr MsgId NowHosts{143};   // "% now hosts the table."
inline constexpr MsgId PlayerBack{144}; // "% is back."
// A hand of the journal that the rules do not give: % hand number, $ name, * amount.
inline constexpr MsgId HandPaidTooMuch{89};
inline constexpr MsgId HandPaidTooLittle{90};
inline constexpr MsgId HandIllegalMove{91};
inline constexpr MsgId HandDiffers{100};
inline constexpr MsgId HandStackOff{47};
inline constexpr MsgId AmountUnreadable{160};
inline constexpr MsgId YouAreAway{161};
inline constexpr MsgId YouAreBack{162};
inline constexpr MsgId NotYourTurnWaiting{163};
inline constexpr MsgId NotYourTurn{164};
inline constexpr MsgId WaitingForFile{165};
inline constexpr MsgId CallButton{166};
inline constexpr MsgId FileSaved{167};
// Protected tables: % hand number, $ name.
inline constexpr MsgId ShuffleFalsified{180};
inline constexpr MsgId CardFalsified{181};
inline constexpr MsgId DealStalled{182};
inline constexpr MsgId CardsUnreadable{183};
inline constexpr MsgId SeatKeyDiffers{184};  // % name
inline constexpr MsgId DealingWaitsFor{185}; // % name
inline constexpr MsgId UnsignedIgnored{186}; // % name
inline constexpr MsgId ProtectedWelcome{187};
inline constexpr MsgId OwnCardsUnreadable{188}; // % hand number
inline constexpr MsgId ProgramEndedVoid{189};   // % hand number, $ name
inline constexpr MsgId HandHigh{170};
inline constexpr MsgId HandPair{171};
inline constexpr MsgId HandTwoPairs{172};
inline constexpr MsgId HandThree{173};
inline constexpr MsgId HandStraight{174};
inline constexpr MsgId HandFlush{175};
inline constexpr MsgId HandFullThreeFirst{176};
inline constexpr MsgId HandFullTwoFirst{177};
inline constexpr MsgId HandFour{178};
inline constexpr MsgId HandStraightFlush{179};
} // namespace Msg

namespace Cap {
inline constexpr CapId Ok{1};
inline constexpr CapId Cancel{2};
inline constexpr CapId LanguageLabel{3};
inline constexpr CapId PlayerName{4};
inline constexpr CapId FolderLocation{5};
inline constexpr CapId WizardWelcome{6};
inline constexpr CapId HostSuffix{7}; // "(host)"
inline constexpr CapId Players{8};
inline constexpr CapId Blinds{9};
inline constexpr CapId Status{10};
inline constexpr CapId Join{11};
inline constexpr CapId CreateGame{12};
inline constexpr CapId Setup{13};
inline constexpr CapId GameLabel{14};
inline constexpr CapId TypeLabel{15};
inline constexpr CapId TableName{16};
inline constexpr CapId StartCash{17};
inline constexpr CapId BlindsStakes{18};
inline constexpr CapId BotsLabel{19};
inline constexpr CapId CurrencyLabel{20};
inline constexpr CapId CreateNow{21};
inline constexpr CapId Hide{22};
inline constexpr CapId NoActiveGames{23};
inline constexpr CapId StartRound{24};
inline constexpr CapId MessageButton{25};
inline constexpr CapId CheckCall{26};
inline constexpr CapId Fold{27};
inline constexpr CapId BetRaise{28};
inline constexpr CapId Cash{29};
inline constexpr CapId Pot{30};
inline constexpr CapId MenuFile{31};
inline constexpr CapId MenuView{32};
inline constexpr CapId MenuTools{33};
inline constexpr CapId MenuHelp{34};
inline constexpr CapId SaveText{35};
inline constexpr CapId Speech{36};
inline constexpr CapId Exit{37};
inline constexpr CapId InfoPane{38};
inline constexpr CapId StatusBar{39};
inline constexpr CapId ScrivoMode{40};
inline constexpr CapId MenuCheckCall{41};
inline constexpr CapId MenuBetRaise{42};
inline constexpr CapId MenuFold{43};
inline constexpr CapId MenuAllIn{44};
inline constexpr CapId MenuMessage{45};
inline constexpr CapId MenuStartRound{46};
inline constexpr CapId Options{48};
inline constexpr CapId Instructions{49};
inline constexpr CapId About{50};
inline constexpr CapId OptionsTitle{51};
inline constexpr CapId Font{52};
inline constexpr CapId Size{53};
inline constexpr CapId AllowBold{54};
inline constexpr CapId AllowColour{55};
inline constexpr CapId ShortCardNames{56};
inline constexpr CapId SuitSymbols{57};
inline constexpr CapId Animation{58};
inline constexpr CapId FullCardText{59};
inline constexpr CapId LeaveQuestion{60};
inline constexpr CapId NeedTableName{61};
inline constexpr CapId StartCashPositive{62};
inline constexpr CapId StartCashTooLarge{63};
inline constexpr CapId BlindsInvalid{64};
inline constexpr CapId ChooseGame{65};
inline constexpr CapId TableFull{66};
inline constexpr CapId GameStarted{67};
inline constexpr CapId NameTaken{68};
inline constexpr CapId FolderNotFound{69};
inline constexpr CapId ChooseCardLook{70};
inline constexpr CapId NeedPlayerName{71};
inline constexpr CapId FolderMissing{72};
inline constexpr CapId Limit{73};
inline constexpr CapId PotLimit{74};
inline constexpr CapId NoLimit{75};
inline constexpr CapId ExportHandHistory{76};
inline constexpr CapId BotLevelLabel{90};
inline constexpr CapId BotClassic{91};
inline constexpr CapId BotStrong{92};
inline constexpr CapId TurnTime{80};      // "Turn time (s)"
inline constexpr CapId RulesLabel{77};    // "Rules:"
inline constexpr CapId StandardRules{78}; // "Standard"
inline constexpr CapId ClassicRules{79};  // "Classic"
inline constexpr CapId ToCall{93};
inline constexpr CapId DealerMark{94};
inline constexpr CapId CheckButton{100};
inline constexpr CapId BetButton{101};
inline constexpr CapId RaiseButton{102};
inline constexpr CapId FoldButton{103};
inline constexpr CapId AllInButton{104};
inline constexpr CapId MinRaiseButton{105};
inline constexpr CapId HalfPotButton{106};
inline constexpr CapId PotButton{107};
inline constexpr CapId ImBack{108};
inline constexpr CapId AwayMark{109};
inline constexpr CapId TurnTimeHint{110};
inline constexpr CapId HostLeaveQuestion{111};
inline constexpr CapId WizardTitle{112};
inline constexpr CapId WizardSubtitle{113};
inline constexpr CapId AboutBlurb{114};
inline constexpr CapId OptionsPreview{115};
inline constexpr CapId SaveTextTitle{116};
inline constexpr CapId RtfFilter{117};
inline constexpr CapId TxtFilter{118};
inline constexpr CapId ExportTitle{119};
inline constexpr CapId HistoryFilter{120};
inline constexpr CapId NothingToExport{121};
inline constexpr CapId AboutTitle{122};
inline constexpr CapId DefaultCurrency{123};  // the currency of a new table until the player picks one
inline constexpr CapId HostColumn{124};       // the game list's column of the hosts' names
inline constexpr CapId AutoDeal{125};         // options: the host deals the next hand by itself
inline constexpr CapId WaitingStatus{126};    // the game list: a game still waiting for players
inline constexpr CapId InProgressStatus{127}; // the game list: a game already playing
inline constexpr CapId ProtectedTable{128};   // the create pane's check box "Protected"
inline constexpr CapId ProtectedHint{129};    // what a protected table does, in plain words
inline constexpr CapId ProtectedMark{130};    // the game list: after the rules of a protected table
} // namespace Cap

} // namespace scrivo

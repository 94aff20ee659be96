#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include <QFrame>
#include <QPoint>

#include "platform/Currency.h"

class QLabel;
class QPushButton;

namespace scrivo {

class Language;
struct PlayerRecord;
struct TableState;

// The floating tool box (ToolBox): a title bar to drag it by and a close
// mark, the own cash and the pot, the action buttons and one row per seat.
// It stays inside its parent while dragged.
class SeatPanel final : public QFrame {
    Q_OBJECT

public:
    explicit SeatPanel(QWidget* parent);

    void ApplyLang(const Language& language);
    // Grows (or shrinks) every control and its text with the log's font
    // size; 1 is the design size.
    void SetTextScale(double scale);
    void SetPlayerLabel(const std::string& text);
    // Names and cash of players 1..PlayerCount; the other rows hidden, and
    // the panel ends just below the last seat.
    void LoadSeats(const TableState& state, const std::function<std::string(Currency)>& formatCash);
    // One seat's row (index 0..8) from its record: cash, fold/all-in mark,
    // colours, the blind, underlined while it is that player's turn.
    void DrawSeat(int index, const PlayerRecord& record, bool current, const std::string& cash);
    // The seat's bet in this hand (empty: none) and whether it deals.
    void ShowSeatBet(int index, const std::string& bet, bool dealer);
    // The own cash, the pot of the hand and what the own player must put in
    // to call (empty: nothing).
    void ShowMoney(const std::string& cash, const std::string& pot, const std::string& toCall);
    void SetActionsEnabled(bool myTurn);
    // The action buttons' captions: what a press does now, and its key.
    void SetActionCaptions(const std::string& checkCall, const std::string& betRaise, const std::string& fold,
                           const std::string& allIn);
    void SetBetSizesEnabled(bool enabled);
    // The seat's away mark beside the name, and the own "I'm back" button.
    void SetAway(int index, bool away, const std::string& mark);
    void SetBackVisible(bool visible);
    void SetStartRoundAllowed(bool allowed);
    // No button offers a move once the game is over.
    void SetGameEnded();

signals:
    // A button's command letter (C, B, F, A, M; K for "I'm back").
    void commandRequested(const QString& letter);
    // A bet-size button: 0 minimum raise, 1 half the pot, 2 the pot.
    void betSizeRequested(int size);
    void startRoundRequested();
    void closeRequested();
    // The keyboard belongs to the log pane, not to the panel.
    void focusReturned();
    // The player has dragged the panel to a new place.
    void dragged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Lays the controls out for the captions they hold: the captions of
    // every language fit, and the panel grows when one needs more room.
    void FitCaptions();

    QLabel* ToolHandle = nullptr;
    QLabel* PlayerLbl = nullptr;
    QLabel* CloseLbl = nullptr;
    std::array<QLabel*, 9> PlayersLbl{};
    std::array<QLabel*, 9> PlayersCash{};
    std::array<QLabel*, 9> BlindsLbl{};
    std::array<QLabel*, 9> StateLbl{};
    std::array<QLabel*, 9> BetLbl{};
    std::array<QLabel*, 9> DealerLbl{};
    QLabel* CashCaption = nullptr;
    QLabel* PotCaption = nullptr;
    QLabel* CashLbl = nullptr;
    QLabel* PotLbl = nullptr;
    QLabel* CallCaption = nullptr;
    QLabel* CallLbl = nullptr;
    QPushButton* StartRoundBtn = nullptr;
    QPushButton* C_Button = nullptr;
    QPushButton* B_Button = nullptr;
    QPushButton* F_Button = nullptr;
    QPushButton* M_Button = nullptr;
    QPushButton* A_Button = nullptr;
    QPushButton* MinBtn = nullptr;
    QPushButton* HalfPotBtn = nullptr;
    QPushButton* PotBtn = nullptr;
    QPushButton* BackBtn = nullptr;
    std::array<QString, 9> m_names;
    std::array<bool, 9> m_away{};

    QPoint m_dragStart;
    bool m_dragging = false;

    struct DesignLook {
        QWidget* control;
        QRect geometry;
        double points;
    };
    std::vector<DesignLook> m_design; // taken at the first scaling
    QSize m_designSize;
    double m_scale = 1.0;
};

// Label and button helpers of the table window, sizes in twips.
QFont MakeFont(const QString& family, double points, bool bold = false);
QLabel* MakeLabel(QWidget* parent, const char* name, double left, double top, double width, double height,
                  const QString& text = {});

} // namespace scrivo

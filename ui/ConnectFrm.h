#pragma once

#include <string>

#include <QWidget>

#include "engine/Lobby.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace scrivo {

class Language;
struct Settings;

// The session browser: the games of the server directory, and the pane in
// which a game is created. One instance lives for the whole program; its
// lobby does the work behind the buttons, the window shows what comes back.
class ConnectFrm : public QWidget {
    Q_OBJECT
public:
    ConnectFrm(Settings& settings, Language& language, QWidget* parent = nullptr);

    void ApplyLang();
    // Refresh every 5 seconds, and at once.
    void StartTimer();
    // The player has left a table (or it could not be opened): the list
    // is back, refreshed, ready to join or create another game.
    void BackFromTable();
    void UpdateList();
    // Column positions in dialog units (a quarter of the average character
    // width), like list-box tab stops.
    void SetLBTabStops(int stop1, int stop2, int stop3);
    // The create pane's turn time, rules and protected box as the settings
    // hold them; the pane keeps the settings up to date as they are changed.
    void ShowCreateOptions(const Settings& settings);

    // Window height in twips; the pixel height follows the screen, and never
    // goes below what the controls need.
    void SetHeightTwips(long twips);
    long HeightTwips() const { return m_heightTwips; }

    // The handlers of the buttons and of a row selection.
    void JoinClick();      // Command1
    void CreateClick();    // Command2
    void HideClick();      // HideBtn
    void SetupClick();     // Command3
    void HelpClick();      // Command4
    void CreateNowClick(); // CreateButton
    void RowSelected(int row);
    // Opens the table window at the game (created, joined or started),
    // with the player's signing keys kept beside his settings.
    void OpenTable(const GameSession& session);

    const GameList& Games() const { return m_games; }
    const BotCounter& Bots() const { return m_lobby.Bots(); }
    // The game this client created or joined last (an empty GameName: none).
    const GameSession& CurrentGame() const { return m_lobby.Current(); }
    bool RefreshRunning() const;
    // The list row as a tab-separated line, for tests and tools.
    std::string RowText(int row) const;
    int RowCount() const;

    // SessionFrame
    QFrame* SessionFrame = nullptr;
    QTreeWidget* GList = nullptr;
    QLabel* ActiveLbl = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* PNameLbl = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    QTimer* Timer1 = nullptr;
    // CreateFrame
    QFrame* CreateFrame = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* GameTypeCombo = nullptr;
    QLabel* Label6 = nullptr;
    QComboBox* TypeCombo = nullptr;
    QLabel* RulesLbl = nullptr;
    QComboBox* RulesCombo = nullptr;
    QCheckBox* ProtectedChk = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* GameNametxt = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* StartPotTxt = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* SmallBlindTxt = nullptr;
    QLineEdit* BigBlindTxt = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* CurrencyTxt = nullptr;
    QLabel* Label15 = nullptr;
    QLineEdit* BotsTxt = nullptr;
    QLabel* BotLevelLbl = nullptr;
    QComboBox* BotLevelCombo = nullptr; // 0 Classic, 1 Strong
    QLabel* TurnTimeLbl = nullptr;
    QLineEdit* TurnTimeTxt = nullptr;
    QPushButton* CreateButton = nullptr;
    QPushButton* HideBtn = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const Language& m_language;
    void BuildWidgets();
    void BuildSessionPane();
    void BuildCreatePane();
    void LayOutCreatePane();
    void Load();
    void ClampBots();
    void PlaceActiveLbl();
    CreateRequest ReadCreatePane() const;

    Lobby m_lobby;
    GameList m_games;
    std::string m_selectedGameId;
    long m_heightTwips = 3230;
    bool m_filling = false;
    // The player has left the game the lobby created or joined last: it is
    // no longer his, and nothing in the list leads back to it by itself.
    bool m_leftCurrent = false;
    Settings& m_settings;
};

} // namespace scrivo

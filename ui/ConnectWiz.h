#pragma once

#include <QDialog>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace scrivo {

class Language;
struct Settings;

class ClickLabel;

// The start-up wizard: language, player name and the shared game folder.
// OK stores them in the program's settings and opens the session browser.
class ConnectWiz : public QDialog {
    Q_OBJECT
public:
    ConnectWiz(Settings& settings, Language& language, QWidget* parent = nullptr);

    void ApplyLang();
    // Handlers.
    void LangComboClick();
    void SelFolderClick();
    // OK: the checks in order; true when the entries were taken and the
    // wizard closed.
    bool ConnectClick();
    void LogoClick();

    QFrame* DetailFrame = nullptr;
    ClickLabel* LogoPic = nullptr;
    QLabel* VersionLbl = nullptr;
    QLabel* Label4 = nullptr;
    QComboBox* LangCombo = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* PName = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* ServerCombo = nullptr;
    QToolButton* SelFolderBtn = nullptr;
    QPushButton* ConnectButton = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;

protected:
    void reject() override;

private:
    Settings& m_settings;
    Language& m_language;
    void BuildWidgets();
    void Load();
    bool m_programClose = false;
};

} // namespace scrivo

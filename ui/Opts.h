#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTextEdit;

namespace scrivo {

class Language;
struct Settings;

// The options dialog: the log pane's font and size, colour, bold, suit
// symbols, animation and how cards are named. Stores into the program's
// settings on OK only.
class Opts : public QDialog {
    Q_OBJECT
public:
    Opts(Settings& settings, Language& language, QWidget* parent = nullptr);

    // Fills every control from the current settings, as on each opening.
    void LoadFromSettings();
    // OK: checks, stores, redraws the table log and closes. False when the
    // dialog stays open.
    bool Accept();
    void UpdatePreview();

    QComboBox* Combo1 = nullptr;
    QComboBox* Combo2 = nullptr;
    QTextEdit* RTBp = nullptr;
    QCheckBox* BoldChk = nullptr;
    QCheckBox* MonoChk = nullptr;
    QCheckBox* SymChk = nullptr;
    QCheckBox* AnimChk = nullptr;
    QCheckBox* ShortNmChk = nullptr;
    QCheckBox* CardTxtChk = nullptr;
    QCheckBox* AutoDealChk = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QGroupBox* OptFrame = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Settings& m_settings;
    Language& m_language;
    void ApplyLang();
    void FillLists();
    bool m_listsFilled = false;
};

} // namespace scrivo

#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace scrivo {

class Language;

class ClickLabel;

// The about box: program name, version and edition, and the logos.
class AboutFrm : public QDialog {
    Q_OBJECT
public:
    explicit AboutFrm(const Language& language, QWidget* parent = nullptr);

    // Captions and the version label, as on every opening.
    void Prepare();

    QLabel* VerLbl = nullptr;
    QLabel* Blurb = nullptr;
    QLabel* LogoPic = nullptr;
    QPushButton* OKBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    const Language& m_language;
    void ApplyLang();
};

} // namespace scrivo

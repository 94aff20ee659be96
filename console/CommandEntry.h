#pragma once

#include <string>

#include <QObject>
#include <QString>

class QKeyEvent;
class QLineEdit;
class QWidget;

namespace scrivo {

// The command entry under the log: the status line (StatusMsg) and the two
// boxes that cover it while the player types a bet amount (EnterBox) or a
// chat line (EnterMsgBox). Return hands the text over, Escape gives it up.
class CommandEntry final : public QObject {
    Q_OBJECT

public:
    explicit CommandEntry(QWidget* parent);

    // The command letter a key pressed in a pane stands for, or 0 for a key
    // that is no command.
    static char CommandLetter(const QKeyEvent& key);

    // Ignored while the chat box is open: the prompt would cover the line.
    void ShowStatus(const std::string& text);
    // What the status line says.
    std::string StatusText() const;
    void BeginAmount(const std::string& prompt);
    void BeginChat(const std::string& prompt);
    // Puts an amount into the open amount box, selected so that typing
    // replaces it.
    void SetAmount(const std::string& amount);
    // An amount or a chat line is being typed.
    bool IsOpen() const;
    bool AmountOpen() const;
    bool ChatOpen() const;
    // The typed text; the box closes.
    std::string TakeAmount();
    std::string TakeChat();
    void Cancel();
    // Takes the keyboard when a box is open; false when none is.
    bool FocusOpenBox();

    // The three lines lie on top of each other.
    void SetWidth(int pixels);
    void SetTop(int pixels);

signals:
    void amountEntered();
    void chatEntered();
    void cancelled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* StatusMsg = nullptr;
    QLineEdit* EnterBox = nullptr;
    QLineEdit* EnterMsgBox = nullptr;
};

} // namespace scrivo

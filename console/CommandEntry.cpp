#include "console/CommandEntry.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "console/QtPlatform.h"

namespace scrivo {

CommandEntry::CommandEntry(QWidget* parent) : QObject(parent)
{
    auto makeLine = [parent](const char* name) {
        auto* e = new QLineEdit(parent);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(0, TwipsToPixelsY(7200 - 1065), TwipsToPixelsX(9600), TwipsToPixelsY(300));
        return e;
    };
    StatusMsg = makeLine("StatusMsg");
    StatusMsg->setReadOnly(true);
    StatusMsg->setFocusPolicy(Qt::NoFocus);
    EnterBox = makeLine("EnterBox");
    EnterBox->hide();
    EnterMsgBox = makeLine("EnterMsgBox");
    EnterMsgBox->hide();
    connect(EnterBox, &QLineEdit::returnPressed, this, &CommandEntry::amountEntered);
    connect(EnterMsgBox, &QLineEdit::returnPressed, this, &CommandEntry::chatEntered);
    EnterBox->installEventFilter(this);
    EnterMsgBox->installEventFilter(this);
}

char CommandEntry::CommandLetter(const QKeyEvent& key)
{
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return 0; // copy, select all: the pane's own keys
    const int code = key.key();
    if (code < 0x21 || code >= 0x7F) return 0;
    return QChar(code).toUpper().toLatin1();
}

void CommandEntry::ShowStatus(const std::string& text)
{
    if (EnterMsgBox->isVisible()) return;
    StatusMsg->setText(QStringLiteral(" ") + ToQ(text));
}

std::string CommandEntry::StatusText() const
{
    const QString text = StatusMsg->text();
    return FromQ(text.startsWith(QLatin1Char(' ')) ? text.mid(1) : text);
}

void CommandEntry::SetAmount(const std::string& amount)
{
    if (!EnterBox->isVisible()) return;
    EnterBox->setText(ToQ(amount));
    EnterBox->selectAll();
    EnterBox->setFocus();
}

void CommandEntry::BeginAmount(const std::string& prompt)
{
    ShowStatus(prompt);
    // The box covers the status line: let it carry the prompt itself.
    EnterBox->setPlaceholderText(ToQ(prompt));
    EnterBox->clear();
    EnterBox->show();
    EnterBox->setFocus();
}

void CommandEntry::BeginChat(const std::string& prompt)
{
    ShowStatus(prompt);
    EnterMsgBox->setPlaceholderText(ToQ(prompt));
    EnterMsgBox->clear();
    EnterMsgBox->show();
    EnterMsgBox->setFocus();
}

bool CommandEntry::IsOpen() const
{
    return AmountOpen() || ChatOpen();
}

bool CommandEntry::AmountOpen() const
{
    return EnterBox->isVisible();
}

bool CommandEntry::ChatOpen() const
{
    return EnterMsgBox->isVisible();
}

std::string CommandEntry::TakeAmount()
{
    const std::string text = FromQ(EnterBox->text());
    EnterBox->clear();
    EnterBox->hide();
    return text;
}

std::string CommandEntry::TakeChat()
{
    const std::string text = FromQ(EnterMsgBox->text());
    EnterMsgBox->hide();
    EnterMsgBox->clear();
    return text;
}

void CommandEntry::Cancel()
{
    EnterBox->clear();
    EnterBox->hide();
    EnterMsgBox->clear();
    EnterMsgBox->hide();
    ShowStatus("");
}

bool CommandEntry::FocusOpenBox()
{
    if (EnterBox->isVisible())
        EnterBox->setFocus();
    else if (EnterMsgBox->isVisible())
        EnterMsgBox->setFocus();
    else
        return false;
    return true;
}

void CommandEntry::SetWidth(int pixels)
{
    for (QLineEdit* e : {EnterMsgBox, EnterBox, StatusMsg})
        e->resize(pixels, e->height());
}

void CommandEntry::SetTop(int pixels)
{
    for (QLineEdit* e : {EnterMsgBox, EnterBox, StatusMsg})
        e->move(e->x(), pixels);
}

bool CommandEntry::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        // Escape gives up the amount or the chat line; nothing is written.
        Cancel();
        emit cancelled();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace scrivo

// File > Export hand history: the hands of this game as this player saw them,
// in the text layout that hand-history trackers read or as Open Hand History.
#include "console/MainForm.h"

#include <optional>
#include <string>

#include <QDir>
#include <QFileDialog>
#include <QSaveFile>

#include "console/QtPlatform.h"
#include "engine/HandHistory.h"
#include "engine/Table.h"
#include "platform/MessageBox.h"

namespace scrivo {

void MainForm::ExportHandHistory()
{
    if (!m_table) return;
    StopTimer1();
    // The hands come from the game's journal, whatever language the host
    // wrote its lines in.
    std::string error;
    std::optional<HistoryText> history = TableHandHistory(*m_table, HistoryFormat::PokerStars, error);
    if (!history || history->handsWritten == 0) {
        if (!history)
            MsgBox("Error exporting hand history: " + error, MsgButtons::Ok, MsgIcon::Exclamation);
        else
            MsgBox("Nothing to Export.", MsgButtons::Ok);
        StartTimer1();
        return;
    }
    QFileDialog dialog(this, QStringLiteral("Export hand history"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QString ohh = QStringLiteral("Open Hand History (*.ohh)");
    dialog.setNameFilters({QStringLiteral("Text files (*.txt)"), ohh});
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setDirectory(QDir::homePath());
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        dialog.setDefaultSuffix(filter == ohh ? QStringLiteral("ohh") : QStringLiteral("txt"));
    });
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const QString path = dialog.selectedFiles().front();
        if (dialog.selectedNameFilter() == ohh || path.endsWith(QStringLiteral(".ohh"), Qt::CaseInsensitive))
            history = TableHandHistory(*m_table, HistoryFormat::Ohh, error);
        const QByteArray bytes = QByteArray::fromStdString(history ? history->text : std::string());
        QSaveFile file(path);
        if (!history)
            MsgBox("Error exporting hand history: " + error, MsgButtons::Ok, MsgIcon::Exclamation);
        else if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            MsgBox("Error saving text: " + FromQ(file.errorString()), MsgButtons::Ok, MsgIcon::Exclamation);
    }
    StartTimer1();
}

} // namespace scrivo

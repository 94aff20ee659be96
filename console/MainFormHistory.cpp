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
#include "settings/Language.h"
#include "settings/TextIds.h"

namespace scrivo {

void MainForm::ExportHandHistory()
{
    if (!m_table) return;
    // The table keeps going while the dialog is open. The hands come from
    // the game's journal, whatever language the host wrote its lines in.
    std::string error;
    std::optional<HistoryText> history = TableHandHistory(*m_table, HistoryFormat::PokerStars, error);
    if (!history || history->handsWritten == 0) {
        if (!history)
            MsgBox("Error exporting hand history: " + error, MsgButtons::Ok, MsgIcon::Exclamation);
        else
            MsgBox(FromQ(CaptionOr(Cap::NothingToExport, "Nothing to Export.")), MsgButtons::Ok);
        return;
    }
    QFileDialog dialog(this, CaptionOr(Cap::ExportTitle, "Export hand history"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QString ohh = QStringLiteral("Open Hand History (*.ohh)");
    dialog.setNameFilters({CaptionOr(Cap::HistoryFilter, "Text files (*.txt)"), ohh});
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setDirectory(QDir::homePath());
    dialog.selectFile(SuggestedFileName("txt"));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
        dialog.setDefaultSuffix(filter == ohh ? QStringLiteral("ohh") : QStringLiteral("txt"));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    const QString path = dialog.selectedFiles().front();
    if (dialog.selectedNameFilter() == ohh || path.endsWith(QStringLiteral(".ohh"), Qt::CaseInsensitive))
        history = TableHandHistory(*m_table, HistoryFormat::Ohh, error);
    if (!history) {
        MsgBox("Error exporting hand history: " + error, MsgButtons::Ok, MsgIcon::Exclamation);
        return;
    }
    const QByteArray bytes = QByteArray::fromStdString(history->text);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        MsgBox("Error saving text: " + FromQ(path) + ": " + FromQ(file.errorString()), MsgButtons::Ok,
               MsgIcon::Exclamation);
    } else {
        ShowStatus(m_language.LangText[Msg::FileSaved].empty()
                       ? "Saved to " + FromQ(path) + "."
                       : m_language.FormatText(Msg::FileSaved, FromQ(path)));
    }
}

} // namespace scrivo

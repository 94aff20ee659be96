// File > Export hand history: the hands of this game as this player saw them,
// in the text layout that hand-history trackers read.
#include "console/MainForm.h"

#include <ctime>
#include <memory>
#include <vector>

#include <QDir>
#include <QFileDialog>
#include <QSaveFile>

#include "console/QtPlatform.h"
#include "engine/HandHistory.h"
#include "engine/Table.h"
#include "platform/MessageBox.h"
#include "settings/Language.h"
#include "settings/Settings.h"
#include "settings/TextIds.h"

namespace scrivo {

void MainForm::ExportHandHistory()
{
    if (!m_table) return;
    // The table keeps going while the dialog is open.
    // The lines were written in the host's language, which may not be ours:
    // every language file beside the program is a candidate.
    std::vector<std::unique_ptr<Language>> loaded;
    std::vector<const Language*> languages;
    Settings scratch = m_settings;
    for (std::size_t i = 1; i < m_language.LangFiles.size(); ++i) {
        loaded.push_back(std::make_unique<Language>());
        loaded.back()->ReadLanguageFile(m_language.LangFiles[i], scratch);
        languages.push_back(loaded.back().get());
    }
    const HistoryText history =
        TableHandHistory(*m_table, languages, static_cast<long long>(std::time(nullptr)));
    if (history.handsWritten == 0) {
        MsgBox(FromQ(CaptionOr(Cap::NothingToExport, "Nothing to Export.")), MsgButtons::Ok);
        return;
    }
    QFileDialog dialog(this, CaptionOr(Cap::ExportTitle, "Export hand history"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({CaptionOr(Cap::HistoryFilter, "Text files (*.txt)")});
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setDirectory(QDir::homePath());
    dialog.selectFile(SuggestedFileName("txt"));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const QString path = dialog.selectedFiles().front();
        const QByteArray bytes = QByteArray::fromStdString(history.text);
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
}

} // namespace scrivo

#include "ui/hooks/TestHooks.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPixmap>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include "console/MainForm.h"
#include "engine/Table.h"
#include "engine/TableView.h"
#include "gamefolder/RecordFile.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "ui/AboutFrm.h"
#include "ui/ConnectFrm.h"
#include "ui/ConnectWiz.h"
#include "ui/MainMod.h"
#include "ui/Opts.h"
#include "ui/TableLink.h"
#include "ui/UiCommon.h"

namespace scrivo {

namespace {

// Answers every question the way that keeps a scripted run going.
class AnsweringMessageBox final : public MessageBoxService {
public:
    MsgAnswer Show(const MessageBoxRequest& request) override
    {
        std::cerr << "MSGBOX: " << request.text << std::endl;
        switch (request.buttons) {
        case MsgButtons::Ok:
            return MsgAnswer::Ok;
        case MsgButtons::OkCancel:
            return MsgAnswer::Ok;
        case MsgButtons::RetryCancel:
            return MsgAnswer::Cancel;
        case MsgButtons::YesNo:
            return MsgAnswer::Yes;
        case MsgButtons::YesNoCancel:
            return MsgAnswer::Yes;
        }
        return MsgAnswer::Ok;
    }
};

// The folder of the game this client plays: the open table's, else the one
// the browser created or joined last.
std::string CurrentFolder()
{
    if (TableWindowLoaded() && TableWindow()->Engine() != nullptr)
        return TableWindow()->Engine()->Session().GameFolder;
    return ConnectFrmLoaded() ? TheConnectFrm().CurrentGame().GameFolder : std::string();
}

class ScriptRunner : public QObject {
public:
    explicit ScriptRunner(std::vector<std::string> lines) : m_lines(std::move(lines))
    {
        const char* limit = std::getenv("SCRIVO_HOOK_TIMEOUT");
        m_timeoutMs = (limit != nullptr ? std::atoi(limit) : 90) * 1000;
        m_timer.setInterval(100);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] { Step(); });
        m_timer.start();
        m_waiting.start();
    }

private:
    static std::vector<std::string> Split(const std::string& line)
    {
        std::istringstream in(line);
        std::vector<std::string> words;
        std::string w;
        while (in >> w)
            words.push_back(w);
        return words;
    }

    static QTextEdit* Log()
    {
        MainForm* form = TableWindowLoaded() ? TableWindow() : nullptr;
        return form != nullptr ? form->findChild<QTextEdit*>("RTB2") : nullptr;
    }

    static bool Save(QWidget* w, const std::string& file)
    {
        if (w == nullptr) return false;
        QApplication::processEvents();
        return w->window()->grab().save(ToQ(file), "PNG");
    }

    void Fail(const std::string& why)
    {
        std::cerr << "HOOK FAILED: " << why << std::endl;
        std::fflush(stderr);
        std::_Exit(3);
    }

    using Words = std::vector<std::string>;

    static std::string Arg(const Words& w, std::size_t i) { return i < w.size() ? w[i] : std::string(); }

    // Runs the current line; false while it waits for something.
    bool Run(const Words& w)
    {
        if (const std::optional<bool> done = RunWizard(w)) return *done;
        if (const std::optional<bool> done = RunBrowser(w)) return *done;
        if (const std::optional<bool> done = RunWait(w)) return *done;
        if (const std::optional<bool> done = RunTable(w)) return *done;
        if (w[0] == "shot") return Shot(Arg(w, 1), Arg(w, 2));
        if (w[0] == "quit") {
            std::fflush(stdout);
            std::_Exit(0);
        }
        Fail("unknown command " + w[0]);
        return true;
    }

    // The set-up wizard. No value when the line is not one of its commands
    // (likewise below).
    std::optional<bool> RunWizard(const Words& w)
    {
        const std::string& cmd = w[0];
        if (cmd == "wizard") {
            if (!ConnectWizLoaded() || !TheConnectWiz().isVisible()) return false;
            ConnectWiz& wiz = TheConnectWiz();
            if (w.size() > 3) ChooseLanguage(wiz, Arg(w, 3));
            wiz.PName->setText(ToQ(Arg(w, 1)));
            wiz.ServerCombo->setText(ToQ(Arg(w, 2)));
            if (!wiz.ConnectClick()) Fail("wizard refused");
            return true;
        }
        if (cmd == "language") {
            if (!ConnectWizLoaded() || !TheConnectWiz().isVisible()) return false;
            ChooseLanguage(TheConnectWiz(), Arg(w, 1));
            return true;
        }
        if (cmd == "hidewizard") {
            if (ConnectWizLoaded()) TheConnectWiz().hide();
            UnloadConnectWiz();
            return true;
        }
        return std::nullopt;
    }

    // The session browser: creating, joining, showing and refreshing.
    std::optional<bool> RunBrowser(const Words& w)
    {
        const std::string& cmd = w[0];
        if (cmd == "create") {
            if (!ConnectFrmLoaded() || !TheConnectFrm().isVisible()) return false;
            ConnectFrm& frm = TheConnectFrm();
            frm.CreateClick();
            frm.GameNametxt->setText(ToQ(Arg(w, 1)));
            frm.BotsTxt->setText(ToQ(Arg(w, 2)));
            if (w.size() > 3) frm.StartPotTxt->setText(ToQ(Arg(w, 3)));
            // "create NAME BOTS CASH protected"
            frm.ProtectedChk->setChecked(w.size() > 4 && Arg(w, 4) == "protected");
            frm.CreateNowClick();
            return true;
        }
        if (cmd == "expand") {
            TheConnectFrm().CreateClick();
            if (w.size() > 1) TheConnectFrm().GameNametxt->setText(ToQ(Arg(w, 1)));
            return true;
        }
        if (cmd == "showbrowser") {
            ConnectFrm& frm = TheConnectFrm();
            frm.show();
            frm.UpdateList();
            return true;
        }
        if (cmd == "hidebrowser") {
            TheConnectFrm().hide();
            return true;
        }
        if (cmd == "refresh") {
            TheConnectFrm().UpdateList();
            return true;
        }
        if (cmd == "join") {
            if (!ConnectFrmLoaded() || !TheConnectFrm().isVisible()) return false;
            ConnectFrm& frm = TheConnectFrm();
            frm.UpdateList();
            if (frm.RowCount() == 0 || frm.Games().rows[0].status != WaitingStatusText) return false;
            frm.GList->setCurrentItem(frm.GList->topLevelItem(0));
            frm.JoinClick();
            return TableWindowVisible() || (Fail("join did not open the table"), true);
        }
        return std::nullopt;
    }

    void ChooseLanguage(ConnectWiz& wiz, const std::string& name)
    {
        const int pos = wiz.LangCombo->findText(ToQ(name));
        if (pos < 0) Fail("no language " + name);
        wiz.LangCombo->setCurrentIndex(pos);
        wiz.LangComboClick();
    }

    // Lines that wait: for the game folder, the table log or some time.
    std::optional<bool> RunWait(const Words& w)
    {
        const std::string& cmd = w[0];
        if (cmd == "waitplayers") {
            const std::string folder = CurrentFolder();
            if (folder.empty()) return false;
            FolderResult<GameRecord> game = ReadGameRecord(folder);
            return game.Ok() && game->PlayerCount >= std::atoi(Arg(w, 1).c_str());
        }
        if (cmd == "waitstatus") {
            const std::string folder = CurrentFolder();
            if (folder.empty()) return false;
            FolderResult<GameRecord> game = ReadGameRecord(folder);
            if (!game.Ok()) return false;
            // Alternatives are separated by "|": "GR|GE".
            std::istringstream codes(Arg(w, 1));
            std::string code;
            while (std::getline(codes, code, '|')) {
                if (!code.empty() && game->Status.Text().rfind(code, 0) == 0) return true;
            }
            return false;
        }
        if (cmd == "waitread") {
            // The window is between polls and holds every line of the message
            // file (line n is record n): its log shows all that was sent so far.
            const std::string folder = CurrentFolder();
            if (folder.empty() || !TableWindowLoaded() || TableWindow()->Polling()) return false;
            std::error_code error;
            const auto bytes = std::filesystem::file_size(JoinPath(folder, MessageFileName), error);
            return !error && TableWindow()->Engine()->MsgLines().size() > bytes / MessageRecordLength;
        }
        if (cmd == "waitlog") {
            QTextEdit* log = Log();
            std::string text;
            for (std::size_t i = 1; i < w.size(); ++i)
                text += (i > 1 ? " " : "") + w[i];
            return log != nullptr && log->toPlainText().contains(ToQ(text));
        }
        if (cmd == "sleep") return m_waiting.elapsed() >= std::atoi(Arg(w, 1).c_str());
        return std::nullopt;
    }

    // The table window: keys, its size, leaving, and saving what it shows.
    std::optional<bool> RunTable(const Words& w)
    {
        const std::string& cmd = w[0];
        if (cmd == "key") {
            if (!TableWindowVisible()) return false;
            TableWindow()->DoCommand(Arg(w, 1));
            return true;
        }
        if (cmd == "autocall") {
            // From now on, check or call whenever it is this player's turn.
            m_autoCall = Arg(w, 1) != "off";
            return true;
        }
        if (cmd == "savelog") {
            QTextEdit* log = Log();
            if (log == nullptr) Fail("no table log");
            std::ofstream out(Arg(w, 1), std::ios::binary);
            out << FromQ(log->toPlainText());
            return true;
        }
        if (cmd == "savepublic") {
            SavePublicLines(Arg(w, 1));
            return true;
        }
        if (cmd == "resize") {
            if (TableWindowLoaded())
                TableWindow()->resize(std::atoi(Arg(w, 1).c_str()), std::atoi(Arg(w, 2).c_str()));
            return true;
        }
        if (cmd == "leave") {
            if (TableWindowLoaded()) TableWindow()->close();
            return true;
        }
        return std::nullopt;
    }

    // Every line of the game that all players see, one per line, in the order
    // this table received them (the local welcome left out).
    void SavePublicLines(const std::string& file)
    {
        const Table* table = TableWindowLoaded() ? TableWindow()->Engine() : nullptr;
        if (table == nullptr) Fail("no table");
        std::ofstream out(file, std::ios::binary);
        const std::vector<std::string>& lines = table->MsgLines();
        for (std::size_t r = 1; r < lines.size(); ++r)
            if (LogLine{static_cast<long>(r), lines[r]}.PrivateTo() == 0) out << lines[r] << "\n";
    }

    // A picture of one window; the dialogs are shown without their modality
    // for it and hidden again.
    bool Shot(const std::string& which, const std::string& file)
    {
        bool ok = false;
        if (which == "browser") {
            ok = Save(&TheConnectFrm(), file);
        } else if (which == "wizard") {
            ConnectWiz& wiz = TheConnectWiz();
            if (!wiz.isVisible()) wiz.show();
            ok = Save(&wiz, file);
        } else if (which == "table") {
            ok = Save(TableWindow(), file);
        } else if (which == "options") {
            ok = SaveDialog(TheOpts(), file);
        } else if (which == "about") {
            ok = SaveDialog(TheAboutFrm(), file);
        }
        if (!ok) Fail("could not save " + file);
        std::cerr << "SHOT: " << file << std::endl;
        return true;
    }

    static bool SaveDialog(QDialog& dialog, const std::string& file)
    {
        dialog.setModal(false);
        dialog.show();
        const bool ok = Save(&dialog, file);
        dialog.hide();
        return ok;
    }

    void Step()
    {
        if (m_busy) return;
        m_busy = true;
        if (m_autoCall && TableWindowVisible() && ++m_autoTicks % 3 == 0) TableWindow()->DoCommand("C");
        while (m_next < m_lines.size()) {
            const Words w = Split(m_lines[m_next]);
            if (w.empty() || w[0][0] == '#') {
                ++m_next;
                continue;
            }
            if (!Run(w)) {
                if (m_waiting.elapsed() > m_timeoutMs) Fail("timed out at: " + m_lines[m_next]);
                break;
            }
            std::cerr << "HOOK: " << m_lines[m_next] << std::endl;
            ++m_next;
            m_waiting.restart();
        }
        m_busy = false;
    }

    std::vector<std::string> m_lines;
    std::size_t m_next = 0;
    QTimer m_timer;
    QElapsedTimer m_waiting;
    qint64 m_timeoutMs = 90000;
    bool m_busy = false;
    bool m_autoCall = false;
    int m_autoTicks = 0;
};

} // namespace

void InstallTestHooks()
{
    const char* path = std::getenv("SCRIVO_HOOK_SCRIPT");
    if (path == nullptr || *path == '\0') return;
    static AnsweringMessageBox answers;
    SetMessageBoxService(&answers);
    // Scripted games need not hold every dealer and win line for seconds.
    if (const char* scale = std::getenv("SCRIVO_HOOK_PAUSE_SCALE")) SetTablePauseScale(std::atof(scale));
    std::ifstream in(path);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    new ScriptRunner(std::move(lines));
}

} // namespace scrivo

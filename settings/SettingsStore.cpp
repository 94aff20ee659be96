#include "settings/SettingsStore.h"

#include <algorithm>

#include <stdexcept>

#include "platform/MessageBox.h"
#include "platform/Paths.h"
#include "settings/Convert.h"
#include "settings/cInifile.h"

namespace scrivo {

namespace {

// A value that does not fit its destination; the text is the description
// shown after the operation's message.
class SettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

long LongOf(const std::string& text)
{
    const LongConversion r = ToLong(text);
    if (!r.ok) throw SettingsError(r.error);
    return r.value;
}

int IntegerOf(const std::string& text)
{
    const LongConversion r = ToInteger(text);
    if (!r.ok) throw SettingsError(r.error);
    return static_cast<int>(r.value);
}

double SingleOf(const std::string& text)
{
    const DoubleConversion r = ToSingle(text);
    if (!r.ok) throw SettingsError(r.error);
    return r.value;
}

bool BooleanOf(const std::string& text)
{
    const BoolConversion r = ToBoolean(text);
    if (!r.ok) throw SettingsError(r.error);
    return r.value;
}

void CheckComboIndex(int index, int count)
{
    if (index < -1 || index >= count) throw SettingsError("Invalid property value");
}

// The games' folders are formed by appending to the server directory, so a
// folder must end with a separator. A path naming a plain file is left as it
// is: it is no folder to append to.
std::string WithSeparator(std::string folder)
{
    if (folder.empty() || folder.back() == PathSeparator) return folder;
    if (FolderExists(folder) && !IsDirectory(folder)) return folder;
    return folder + PathSeparator;
}

// Tracks every write, not just the last, so that no failed write goes unreported.
class Writer {
public:
    explicit Writer(cInifile& ini) : m_ini(ini), m_failedBefore(ini.FailedWrites()) {}
    void Put(const std::string& key, const std::string& value)
    {
        m_ini.SetKey(key);
        m_ini.SetValue(value);
    }
    bool Failed() const { return m_ini.FailedWrites() != m_failedBefore || !m_ini.Success(); }

private:
    cInifile& m_ini;
    long m_failedBefore;
};

// The value of key in the current section, or the default when it is
// missing or empty.
std::string ReadIniValue(cInifile& ini, const std::string& key, const std::string& defaultValue)
{
    ini.SetKey(key);
    std::string value = ini.Value();
    return value.empty() ? defaultValue : value;
}

} // namespace

std::string SettingsFilePath()
{
    return JoinPath(SettingsFolder(), "SPK.ini");
}

void LoadSettings(Settings& settings, SettingsControls* controls)
{
    using Field = SettingsControls::Field;
    try {
        cInifile ini;
        const auto read = [&ini](const std::string& key, const std::string& defaultValue) {
            return ReadIniValue(ini, key, defaultValue);
        };
        ini.SetPath(SettingsFilePath());

        ini.SetSection("System");
        settings.ServerDelay = LongOf(read("Server Delay", std::to_string(DefaultServerDelay)));
        settings.ServerDirectory = WithSeparator(read("Server Directory", ProgramFolder()));

        ini.SetSection("Game");
        settings.LastPlayer = read("Last Player", "");
        settings.TurnSeconds = std::clamp<long>(LongOf(read("Turn Time", "60")), 0, 86400);
        settings.Rules = read("Rules", "standard") == "classic" ? "classic" : "standard";
        // Like an unknown bot level, a value this program cannot read leaves
        // the option off instead of failing the whole load.
        const BoolConversion protectedTable = ToBoolean(read("Protected", "False"));
        settings.Protected = protectedTable.ok && protectedTable.value;
        if (controls) controls->ShowCreateOptions(settings);
        if (controls) controls->SetPlayerNameCaption(settings.LastPlayer);
        const int game = IntegerOf(read("Game", "0"));
        if (controls) {
            CheckComboIndex(game, controls->GameTypeComboCount());
            controls->SetGameTypeComboIndex(game);
        }
        const int type = IntegerOf(read("Type", "2"));
        if (controls) {
            CheckComboIndex(type, controls->TypeComboCount());
            controls->SetTypeComboIndex(type);
        }
        // A level this program does not know (a later version's, or a typing
        // slip) falls back to the first instead of failing the whole load.
        const int level = IntegerOf(read("BotLevel", "0"));
        if (controls && controls->BotLevelComboCount() > 0)
            controls->SetBotLevelComboIndex(level >= 0 && level < controls->BotLevelComboCount() ? level : 0);
        const struct {
            const char* key;
            const char* defaultValue;
            Field field;
        } fields[] = {{"Name", "", Field::GameName},     {"StartCash", "500", Field::StartCash},
                      {"BB", "10", Field::BigBlind},     {"SB", "5", Field::SmallBlind},
                      {"Currency", "", Field::Currency}, {"Bots", "2", Field::Bots}};
        for (const auto& f : fields) {
            const std::string text = read(f.key, f.defaultValue);
            if (controls) controls->SetFieldText(f.field, text);
        }

        ini.SetSection("Options");
        settings.Language = read("Language", "");
        settings.FontName = read("FontName", "Arial");
        settings.FontSize = LongOf(read("FontSize", "10"));
        settings.ColourText = BooleanOf(read("Colour Text", "True"));
        settings.BoldText = BooleanOf(read("Bold Text", "True"));
        settings.Symbols = BooleanOf(read("Symbols", "True"));
        settings.Animated = BooleanOf(read("Animated", "True"));
        settings.StatusBar = BooleanOf(read("Status Bar", "True"));
        settings.CardText = BooleanOf(read("Card Text", "False"));
        settings.ShortText = BooleanOf(read("Short Text", "True"));
        settings.ScrivoMode = BooleanOf(read("ScrivoMode", "False"));
        settings.AutoDeal = BooleanOf(read("Auto Deal", "False"));

        if (controls) {
            if (FormGeometry* table = controls->TableWindow()) {
                ini.SetSection("MainForm");
                ini.LoadFormPosition(*table, 3000, 3000, controls->Screen());
            }
            if (FormGeometry* browser = controls->Browser()) {
                ini.SetSection("ConnectFrm");
                ini.LoadFormPosition(*browser, 3000, 3000, controls->Screen());
            }
        }

        ini.SetSection("Tool Window");
        // A negative left: docked at the table window's right edge.
        const double left = SingleOf(read("Left", "-1"));
        if (controls) controls->SetToolBoxLeft(left);
        const double top = SingleOf(read("Top", "1620"));
        if (controls) controls->SetToolBoxTop(top);
    } catch (const std::exception& e) {
        MsgBox(std::string("Error loading settings from .ini file.\r\n") + e.what());
    }
}

void SaveSettings(const Settings& settings, SettingsControls* controls)
{
    using Field = SettingsControls::Field;
    cInifile ini;
    Writer w(ini);
    try {
        ini.SetPath(SettingsFilePath());

        ini.SetSection("System");
        w.Put("Server Delay", std::to_string(settings.ServerDelay));
        w.Put("Server Directory", settings.ServerDirectory);

        ini.SetSection("Game");
        w.Put("Last Player", settings.LastPlayer);
        w.Put("Turn Time", std::to_string(settings.TurnSeconds));
        w.Put("Rules", settings.Rules);
        w.Put("Protected", BooleanText(settings.Protected));
        if (controls) {
            w.Put("Game", std::to_string(controls->GameTypeComboIndex()));
            w.Put("Type", std::to_string(controls->TypeComboIndex()));
            if (controls->BotLevelComboCount() > 0)
                w.Put("BotLevel", std::to_string(controls->BotLevelComboIndex()));
            w.Put("Name", controls->FieldText(Field::GameName));
            w.Put("StartCash", controls->FieldText(Field::StartCash));
            w.Put("BB", controls->FieldText(Field::BigBlind));
            w.Put("SB", controls->FieldText(Field::SmallBlind));
            w.Put("Currency", controls->FieldText(Field::Currency));
            w.Put("Bots", controls->FieldText(Field::Bots));
        }

        ini.SetSection("Options");
        w.Put("Language", settings.Language);
        w.Put("FontName", settings.FontName);
        w.Put("FontSize", std::to_string(settings.FontSize));
        w.Put("Colour Text", BooleanText(settings.ColourText));
        w.Put("Bold Text", BooleanText(settings.BoldText));
        w.Put("Short Text", BooleanText(settings.ShortText));
        w.Put("Card Text", BooleanText(settings.CardText));
        w.Put("Symbols", BooleanText(settings.Symbols));
        w.Put("Animated", BooleanText(settings.Animated));
        w.Put("Status Bar", BooleanText(settings.StatusBar));
        w.Put("ScrivoMode", BooleanText(settings.ScrivoMode));
        w.Put("Auto Deal", BooleanText(settings.AutoDeal));

        if (controls) {
            if (const FormGeometry* table = controls->TableWindow()) {
                ini.SetSection("MainForm");
                ini.SaveFormPosition(*table);
            }
            if (const FormGeometry* browser = controls->Browser()) {
                ini.SetSection("ConnectFrm");
                ini.SaveFormPosition(*browser);
            }
            ini.SetSection("Tool Window");
            w.Put("Left", NumberText(controls->ToolBoxLeft()));
            w.Put("Top", NumberText(controls->ToolBoxTop()));
        }
    } catch (const std::exception& e) {
        MsgBox(std::string("Error saving settings to .ini file.\r\n") + e.what());
        return;
    }
    if (w.Failed()) MsgBox("Ini file write error.", MsgButtons::Ok, MsgIcon::Information);
}

} // namespace scrivo

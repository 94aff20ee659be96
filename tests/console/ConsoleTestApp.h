#pragma once

#include <string>
#include <vector>

#include <QColor>

class QApplication;
class QTextEdit;
class QWidget;

namespace scrivo::test {

// The one application object of a console test program (created on first
// use, offscreen when no platform is set).
QApplication& ConsoleApp();

// Puts the display settings and the language texts the table uses back to
// the program's defaults, so that every test starts from the same looks.
void ResetDisplaySettings();

// One run of text with its looks, as read back from a pane or an RTF file.
struct StyledRun {
    std::string text;
    QColor colour;
    bool bold = false;
    bool italic = false;
    std::string family;
    double points = 0;
};

// The runs of a rich text pane, neighbours with equal looks merged.
std::vector<StyledRun> RunsOf(const QTextEdit& pane);

// Reads the RTF this program writes: text (\par as "\n", \uN escapes),
// colours of \colortbl, \b, \i, \f, \fs. Throws on a malformed file.
std::vector<StyledRun> ParseRtf(const std::string& rtf);

// The first run whose text contains the piece; fails the test when none.
StyledRun RunWith(const std::vector<StyledRun>& runs, const std::string& piece);

// Concatenated text of runs.
std::string TextOf(const std::vector<StyledRun>& runs);

// Saves a grab of the widget as <build>/screenshots/<name>.png and returns
// the path.
std::string SaveScreenshot(QWidget& widget, const std::string& name);

} // namespace scrivo::test

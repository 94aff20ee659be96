#pragma once

#include <string>

class QTextDocument;

namespace scrivo {

// The document as rich text that word processors open with the same looks:
// font, size, colour, bold, italic and underline of every run, paragraphs as
// \par, characters outside ASCII as Unicode escapes (with "?" for readers
// that know none). The result is plain ASCII.
std::string DocumentToRtf(const QTextDocument& document);

} // namespace scrivo

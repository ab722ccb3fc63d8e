#pragma once

#include <QByteArray>
#include <QString>

namespace viewer {

// Carriage return and line feed: the line end the viewer puts after every line.
[[nodiscard]] QString NL();

// Applies the viewer's line rule to a text file's bytes, in place: a carriage return ends a
// line, a line feed right after it belongs to that line end, and a lone line feed is an
// ordinary character. Every line, the last one included, ends with exactly one carriage
// return and line feed; a line end at the very end of the file starts no further line.
// Carriage returns and line feeds are single bytes in every encoding the viewer reads, so the
// rule works on the bytes and leaves every other byte as it was. The array grows in place
// (no second copy) unless it is shared.
void applyLineRule(QByteArray& bytes);

} // namespace viewer

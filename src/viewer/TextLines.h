#pragma once

#include <QString>
#include <QStringView>

namespace viewer {

// Carriage return and line feed: the line end the viewer puts after every line.
[[nodiscard]] QString NL();

// The viewer's text for a file's decoded contents, read line by line: a carriage return ends a
// line, a line feed right after it belongs to that line end, and a lone line feed is an
// ordinary character. Every line, the last one included, is followed by exactly one NL(); a
// line end at the very end of the file starts no further line.
[[nodiscard]] QString LinesWithLineEnds(QStringView contents);

} // namespace viewer

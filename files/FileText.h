// Text-file helpers of the data log and the setting files: the comma-separated row splitter
// the register list and the upload file use, reading such a file in bounded pieces, and
// writing a line so that it reaches the file whole or not at all.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace files {

// Longest piece of a line taken as one row; a longer line gives two or more rows.
constexpr int kPieceBytes = 255;

// Splits a row into fields: "," separates; a field that starts with a double quote runs to the
// next lone quote (a doubled quote stands for one, commas and blanks inside do not split; an
// unclosed quote takes the rest); any other field ends at the first control character, blank
// or ","; control characters and blanks around the separators are passed over; a "," that is
// the very last character adds one empty field. An empty or blank row gives no field.
QStringList SplitDelimited(const QString& row);

// The rows of a text file: each line without its CR, cut into pieces of at most kPieceBytes
// bytes (never inside a UTF-8 character); a line's last piece ends in "\n" when the line had
// one (the line end counts against the piece's size). A line that is not valid UTF-8 is read
// as Latin-1. False when the file cannot be opened or read (rows then empty).
bool ReadRows(const QString& path, std::vector<QString>& rows);

// Appends bytes to an existing file (vcl::AppendFileWhole): they reach the file whole or not at
// all. False, with *error naming the file and why, when it is missing or cannot be written.
bool AppendWhole(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// Writes bytes as a new file that must not exist yet, so an earlier file is never emptied
// (vcl::WriteFileWhole). False, with *error naming the file and why, when the file exists or
// cannot be made or written; nothing is left behind.
bool WriteNewFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace files

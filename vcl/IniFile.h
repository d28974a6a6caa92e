// INI files with the Windows profile semantics the program's settings and layout files rely on,
// and the kit's strict text-to-number conversions (shared with common/ StrToIntSafe and friends).
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace vcl {

// The class library's whole-number conversion: leading blanks (space, tab), an optional sign,
// then decimal digits, or hex digits after "$", "0x", "0X", "x" or "X" (up to eight; eight
// digits wrap into the negative range). Nothing may follow. False for anything else, for an
// empty text and for a decimal value outside the 32-bit signed range.
bool TryStrToInt(const QString& text, int& value);

// Decimal number: leading and trailing blanks, an optional sign, digits with an optional
// decimal separator ("." or ",", whatever the locale) and an optional exponent. No thousands
// separators, no "inf" or "nan", no hex. False for anything else and for a value out of range.
bool TryStrToFloat(const QString& text, long double& value);

// An INI file read and written key by key, like the Windows private-profile functions:
// - section and key names match without regard to letter case; values are trimmed;
// - a write replaces the key where it stands, or adds it after the last line of its section,
//   or adds the section at the end of the file; every other line stays byte for byte;
// - comment lines (";" or "#") and lines the format does not know are kept;
// - the file's line ending (CR LF or LF) is used for added lines;
// - text is UTF-8; a line that is not valid UTF-8 is read as Latin-1;
// - a missing file reads as empty and is never created: a write to it fails;
// - every write goes to the file at once, whole or not at all (vcl/FileWrite.h); a write
//   that fails returns false, leaves the file as it was and sets LastError() to
//   "Unable to write to <path>: <cause>" so the caller can report it (a text the format
//   refuses, or a missing file, gives "Unable to write to <path>");
// - between BeginUpdate() and EndUpdate() the writes change the text in memory only, and
//   EndUpdate() writes the file once, whole or not at all: a save of hundreds of keys costs one
//   write of the file, not one per key.
// A missing or unparsable number reads as the caller's default.
class TIniFile {
public:
    explicit TIniFile(const QString& path);

    const QString& FileName() const { return path_; }

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    int ReadInteger(const QString& section, const QString& key, int def) const;
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    double ReadFloat(const QString& section, const QString& key, double def) const;

    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInteger(const QString& section, const QString& key, int value);
    bool WriteBool(const QString& section, const QString& key, bool value);
    bool WriteFloat(const QString& section, const QString& key, double value);

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    // The keys of a section in file order (first spelling of each); empty when absent.
    QStringList ReadSection(const QString& section) const;
    // The values of a section's keys, each as ReadString reads it, by the key's case-folded
    // name (QString::toCaseFolded): a whole section read at once instead of key by key.
    QHash<QString, QString> ReadSectionValues(const QString& section) const;
    // The section names in file order.
    QStringList ReadSections() const;
    // Removes a section with all its lines; true when absent or removed.
    bool EraseSection(const QString& section);
    // Removes one key; true when absent or removed.
    bool DeleteKey(const QString& section, const QString& key);

    // Every write already went to the file; kept for callers that flush explicitly.
    // False when the last write failed.
    bool UpdateFile() const { return error_.isEmpty(); }

    // Starts a group of writes (WriteString and the other writers, EraseSection, DeleteKey):
    // the file is read once now, and the writes that follow change only the text in memory.
    // A write that the format refuses, or any write to a missing file, still returns false at
    // once, with LastError() set, and fails the whole group.
    void BeginUpdate();
    // Ends the group: writes the file once when anything changed, whole or not at all.
    // False, with LastError() set and the file as it was, when the file could not be written
    // or a write of the group failed; true otherwise (also when nothing changed).
    bool EndUpdate();
    bool Updating() const { return updating_; }

    // Reads the file again (a change made by someone else becomes visible).
    void Reload();
    // True when the file existed at the last (re)load.
    bool FileFound() const { return found_; }
    // The message of the last failed write, empty when none failed.
    const QString& LastError() const { return error_; }

private:
    struct Line {
        QByteArray raw;      // the line as it stands in the file, without its line ending
        QByteArray ending;   // "\r\n", "\n", "\r" or empty on a last line without one
        QString text;        // decoded
        int kind = 0;        // 0 other, 1 section header, 2 key
        QString name;        // section or key name, trimmed
        QString value;       // key value, trimmed
    };
    static void Classify(Line& line);
    int FindSection(const QString& section) const;            // index of the header line or -1
    int SectionEnd(int header) const;                         // index past the section's last line
    int FindKey(int header, const QString& key) const;        // index of the key line or -1
    bool Store(const std::vector<Line>& lines);
    bool Prepare();   // reads the file outside a group; false (LastError set) when it is missing
    static Line MakeLine(const QString& text, const QByteArray& ending);
    QByteArray NewLineEnding() const;

    QString path_;
    std::vector<Line> lines_;
    bool found_ = false;
    QString error_;
    bool updating_ = false;
    bool dirty_ = false;
    bool groupFailed_ = false;
};

} // namespace vcl

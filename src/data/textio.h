#pragma once

#include "platform/outcome.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <QVarLengthArray>

// Reading and writing the installation's text files: code page 932 (Shift-JIS with the
// Windows extensions such as ①, Ⅰ and ～) in the free value syntax shared by every text
// file of the system:
//   - a value ends at a comma or at the end of a line (CR LF, LF or a lone CR);
//   - a value that starts with a double quote runs to the next double quote and may hold
//     commas; anything between the closing quote and the next comma is dropped;
//   - spaces and tabs around an unquoted value are ignored;
//   - a line holding n commas holds n + 1 values; an empty line holds none in the line
//     view and one empty value in the stream view (like a delimiting comma);
//   - the last line may lack its line end.
namespace kz {

QString decodeCp932(const QByteArray& bytes);
// Refused, naming the first such character, when a character has no code in CP932.
Outcome<QByteArray> encodeCp932(const QString& text);

// A line of a text file that is not code page 932: saved as UTF-8, or bytes that are no
// character. The data is still read as code page 932 (and comes out garbled).
struct EncodingProblem {
    enum Kind { LooksUtf8, InvalidBytes };
    int line = 0; // 1-based
    Kind kind = InvalidBytes;
};
QList<EncodingProblem> cp932Problems(const QByteArray& bytes);
// One message naming the file and its first lines with problems; empty when none.
QString describeEncodingProblems(const QString& path, const QList<EncodingProblem>& problems);
// Line numbers as ranges in ascending order: "1～45、47、50～52"; past maxRanges ranges
// "ほか N 行" closes the text.
QString lineRanges(const QList<int>& lines, int maxRanges = 6);
QString lineRanges(const QList<EncodingProblem>& problems, int maxRanges = 6);

// How the bytes of a text file were turned into text.
enum class TextEncoding {
    Cp932, // the installation's own encoding
    Utf8,  // the whole file is UTF-8 (files saved by other tools); read as such
};

// How a file was read, and its lines that are not code page 932.
struct TextEncodingFacts {
    TextEncoding encoding = TextEncoding::Cp932;
    bool utf8Throughout = false; // every byte is UTF-8, with characters beyond ASCII
    bool byteOrderMark = false;  // it starts with the UTF-8 byte order mark EF BB BF
    QList<EncodingProblem> problems;
};

// One text about a file's encoding, for the companion's check: its lines that are not
// code page 932, what the program makes of them, and the fix (for a file that is UTF-8
// throughout, the command that converts it). Empty when there is nothing to tell.
QString encodingSummary(const QString& path, const TextEncodingFacts& facts);

// A text for a message or a report line: a value longer than maxChars keeps its start
// and its end around "…", so a path still shows its file name.
QString shortenForMessage(const QString& text, int maxChars = 120);

struct TextLine {
    int number = 0; // 1-based line number in the file
    QList<QString> values;
};

class FreeValueText {
public:
    static FreeValueText parse(const QString& decoded);
    static FreeValueText fromCp932(const QByteArray& bytes) { return parse(decodeCp932(bytes)); }
    // Reads and parses a file. NotFound when there is no such file, else Unreadable; the
    // message names the file, the system's text follows.
    static Outcome<FreeValueText> load(const QString& path);
    // The same for a file that other programs may have saved as UTF-8: when every byte of
    // it is valid UTF-8 and it holds characters beyond ASCII (or starts with the UTF-8
    // byte order mark), it is read as UTF-8 without the mark, and encodingProblems()
    // lists its lines beyond ASCII as LooksUtf8; anything else is read as code page 932.
    static Outcome<FreeValueText> loadAcceptingUtf8(const QString& path);
    // The bytes of a file, read as load() (acceptUtf8 false) or loadAcceptingUtf8() do.
    static FreeValueText fromFileBytes(const QByteArray& bytes, bool acceptUtf8);
    // What fromFileBytes() would tell of the bytes' encoding, without decoding the text.
    static TextEncodingFacts encodingOfBytes(const QByteArray& bytes, bool acceptUtf8);
    // The text of the bytes in the encoding encodingOfBytes() told (without a UTF-8 byte
    // order mark), as fromFileBytes() reads it.
    static QString decodeFileBytes(const QByteArray& bytes, const TextEncodingFacts& facts);

    // The values of one line (text without its line end), in the syntax above, as views
    // into it; a line without characters holds none.
    using LineValues = QVarLengthArray<QStringView, 16>;
    static void splitLine(QStringView line, LineValues* values);
    // Calls onLine(number, line) for every line of a decoded text, numbered from 1, with
    // the line ends the syntax knows; parse() reads its lines so.
    template <typename OnLine> static void forEachLine(QStringView text, OnLine&& onLine);
    // At least as many as forEachLine() finds, for reserving room.
    static qsizetype lineCountBound(QStringView text) { return text.count(u'\n') + text.count(u'\r') + 1; }

    TextEncodingFacts encodingFacts() const {
        return {encoding_, utf8Throughout_, byteOrderMark_, encodingProblems_};
    }

    const QList<TextLine>& lines() const { return lines_; }
    // Lines that were not code page 932 (filled by load()).
    const QList<EncodingProblem>& encodingProblems() const { return encodingProblems_; }

    // Stream view: the values of all lines one after another, as the readers that take
    // "the next n values" regardless of line breaks see them.
    qsizetype valueCount() const { return stream_.size(); }
    const QString& value(qsizetype i) const;
    int lineOfValue(qsizetype i) const { return lines_[stream_[i].lineIndex].number; }

private:
    // Where a value of the stream view is among the lines; a blank line is one empty value
    // (valueIndex -1).
    struct StreamValue {
        qint32 lineIndex;
        qint32 valueIndex;
    };
    QList<TextLine> lines_;
    QList<StreamValue> stream_;
    QList<EncodingProblem> encodingProblems_;
    TextEncoding encoding_ = TextEncoding::Cp932;
    bool utf8Throughout_ = false;
    bool byteOrderMark_ = false;
};

template <typename OnLine> void FreeValueText::forEachLine(QStringView s, OnLine&& onLine) {
    const qsizetype n = s.size();
    qsizetype i = 0;
    int lineNo = 0;
    while (i < n) {
        ++lineNo;
        qsizetype end = i;
        while (end < n && s[end] != u'\n' && s[end] != u'\r')
            ++end;
        onLine(lineNo, s.sliced(i, end - i));
        // Consume the line end: CR LF, LF or a lone CR.
        i = end;
        if (i < n && s[i] == u'\r')
            ++i;
        if (i < n && s[i] == u'\n' && (i == end || s[i - 1] == u'\r'))
            ++i;
    }
}

// Cursor over the stream view.
class ValueStream {
public:
    explicit ValueStream(const FreeValueText& text) : text_(text) {}
    bool atEnd() const { return pos_ >= text_.valueCount(); }
    // Next value, or an empty text past the end.
    QString next();
    int line() const; // line of the value that next() would return (or of the last one)
    qsizetype position() const { return pos_; }

private:
    const FreeValueText& text_;
    qsizetype pos_ = 0;
};

// Reads the leading number of a text the way the data files' numeric fields are read:
// leading spaces skipped, an optional sign, digits, an optional point and digits, an
// optional exponent ("1e3", "2.5E-2"; also "D" as older tools write it); reading stops at the first character
// that cannot continue the number. Text without a leading number gives 0; a number beyond the range of a
// double gives ±infinity. The program and the companion read every numeric field through this. *complete
// tells whether the whole (trimmed) text was the number.
double leadingNumber(QStringView text, bool* complete = nullptr);

// Writes text lines as CP932 with CR LF after every line, replacing the file only once
// everything has been written (a failed write leaves the old file untouched). Refused
// when a character has no code in CP932, WriteFailed when the file cannot be written.
Status writeCp932Lines(const QString& path, const QList<QString>& lines);

} // namespace kz

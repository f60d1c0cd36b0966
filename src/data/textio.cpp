#include "data/textio.h"

#include "platform/datafile.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace kz {

namespace {
constexpr const char* kCodec = "windows-31j";

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}
bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
} // namespace

QString decodeCp932(const QByteArray& bytes) {
    QStringDecoder decoder(kCodec);
    return decoder.decode(bytes);
}

Outcome<QByteArray> encodeCp932(const QString& text) {
    QStringEncoder encoder(kCodec, QStringConverter::Flag::ConvertInvalidToNull);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError()) {
        QString bad;
        for (QChar c : text) {
            QStringEncoder one(kCodec);
            (void)QByteArray(one.encode(QString(c)));
            if (one.hasError() && !c.isSurrogate()) {
                bad = QString(c);
                break;
            }
        }
        return makeError(ErrorKind::Refused,
                         QStringLiteral("Shift-JIS にできない文字があります: %1").arg(bad));
    }
    return bytes;
}

void FreeValueText::splitLine(QStringView s, LineValues* values) {
    values->clear();
    const qsizetype end = s.size();
    if (end == 0)
        return;
    qsizetype p = 0;
    while (true) {
        while (p < end && isBlank(s[p]))
            ++p;
        if (p < end && s[p] == u'"') {
            const qsizetype close = s.indexOf(u'"', p + 1);
            const qsizetype stop = close < 0 ? end : close;
            values->append(s.sliced(p + 1, stop - p - 1));
            p = stop < end ? stop + 1 : end;
            while (p < end && s[p] != u',')
                ++p;
        } else {
            const qsizetype start = p;
            while (p < end && s[p] != u',')
                ++p;
            qsizetype last = p;
            while (last > start && isBlank(s[last - 1]))
                --last;
            values->append(s.sliced(start, last - start));
        }
        if (p < end && s[p] == u',') {
            ++p;
            continue;
        }
        break;
    }
}

FreeValueText FreeValueText::parse(const QString& s) {
    FreeValueText result;
    // Room for every line and value at once (a roster has tens of thousands of values).
    const qsizetype lineEnds = lineCountBound(s);
    result.lines_.reserve(lineEnds);
    result.stream_.reserve(lineEnds + s.count(u','));
    LineValues views;
    forEachLine(s, [&](int lineNo, QStringView text) {
        splitLine(text, &views);
        TextLine line;
        line.number = lineNo;
        line.values.reserve(views.size());
        for (QStringView v : views)
            line.values.append(v.toString());
        const auto lineIndex = static_cast<qint32>(result.lines_.size());
        for (qsizetype v = 0; v < line.values.size(); ++v)
            result.stream_.append({lineIndex, static_cast<qint32>(v)});
        // A blank line reads as one empty value in the stream, as a delimiting comma does,
        // so files written one value per line keep their positions.
        if (line.values.isEmpty())
            result.stream_.append({lineIndex, -1});
        result.lines_.append(std::move(line));
    });
    return result;
}

const QString& FreeValueText::value(qsizetype i) const {
    static const QString blank;
    const StreamValue& at = stream_[i];
    return at.valueIndex < 0 ? blank : lines_[at.lineIndex].values[at.valueIndex];
}

namespace {

// Whether the whole file reads as UTF-8 and would read differently as code page 932.
bool isUtf8Beyond7Bit(QByteArrayView bytes) {
    bool high = false;
    for (char c : bytes)
        high = high || static_cast<unsigned char>(c) >= 0x80;
    return high && bytes.isValidUtf8();
}

} // namespace

TextEncodingFacts FreeValueText::encodingOfBytes(const QByteArray& bytes, bool acceptUtf8) {
    TextEncodingFacts facts;
    facts.utf8Throughout = isUtf8Beyond7Bit(bytes);
    facts.byteOrderMark = bytes.startsWith("\xEF\xBB\xBF");
    if (!acceptUtf8 || !facts.utf8Throughout) {
        facts.problems = cp932Problems(bytes);
        return facts;
    }
    facts.encoding = TextEncoding::Utf8;
    const QByteArrayView body = QByteArrayView(bytes).sliced(facts.byteOrderMark ? 3 : 0);
    // Every line beyond ASCII is one that other programs of the installation read garbled.
    for (const EncodingProblem& p : cp932Problems(body.toByteArray()))
        facts.problems.append({p.line, EncodingProblem::LooksUtf8});
    if (facts.byteOrderMark && (facts.problems.isEmpty() || facts.problems.first().line != 1))
        facts.problems.prepend({1, EncodingProblem::LooksUtf8});
    return facts;
}

FreeValueText FreeValueText::fromFileBytes(const QByteArray& bytes, bool acceptUtf8) {
    TextEncodingFacts facts = encodingOfBytes(bytes, acceptUtf8);
    FreeValueText text = parse(decodeFileBytes(bytes, facts));
    text.encoding_ = facts.encoding;
    text.utf8Throughout_ = facts.utf8Throughout;
    text.byteOrderMark_ = facts.byteOrderMark;
    text.encodingProblems_ = std::move(facts.problems);
    return text;
}

QString FreeValueText::decodeFileBytes(const QByteArray& bytes, const TextEncodingFacts& facts) {
    return facts.encoding == TextEncoding::Utf8
               ? QString::fromUtf8(QByteArrayView(bytes).sliced(facts.byteOrderMark ? 3 : 0))
               : decodeCp932(bytes);
}

Outcome<FreeValueText> FreeValueText::load(const QString& path) {
    const Outcome<QByteArray> bytes = readDataFile(path);
    if (!bytes)
        return bytes.error();
    return fromFileBytes(*bytes, false);
}

Outcome<FreeValueText> FreeValueText::loadAcceptingUtf8(const QString& path) {
    const Outcome<QByteArray> bytes = readDataFile(path);
    if (!bytes)
        return bytes.error();
    return fromFileBytes(*bytes, true);
}

QString ValueStream::next() {
    if (atEnd()) {
        ++pos_;
        return {};
    }
    return text_.value(pos_++);
}

int ValueStream::line() const {
    if (text_.valueCount() == 0)
        return 0;
    return text_.lineOfValue(qMin(pos_, text_.valueCount() - 1));
}

double leadingNumber(QStringView text, bool* complete) {
    qsizetype p = 0;
    const qsizetype n = text.size();
    while (p < n && isBlank(text[p]))
        ++p;
    const qsizetype start = p;
    if (p < n && (text[p] == u'+' || text[p] == u'-'))
        ++p;
    const qsizetype digitsStart = p;
    while (p < n && isDigit(text[p]))
        ++p;
    const qsizetype digitsEnd = p;
    bool anyDigits = p > digitsStart;
    if (p < n && text[p] == u'.') {
        const qsizetype afterPoint = p + 1;
        qsizetype q = afterPoint;
        while (q < n && isDigit(text[q]))
            ++q;
        if (anyDigits || q > afterPoint) {
            anyDigits = anyDigits || q > afterPoint;
            p = q;
        }
    }
    // An exponent ("1e3", "2.5E-2", "3D2" as older tools write it) continues the number
    // only when digits follow it; "12e" reads as 12.
    if (anyDigits && p < n && (text[p] == u'e' || text[p] == u'E' || text[p] == u'd' || text[p] == u'D')) {
        qsizetype q = p + 1;
        if (q < n && (text[q] == u'+' || text[q] == u'-'))
            ++q;
        const qsizetype expDigits = q;
        while (q < n && isDigit(text[q]))
            ++q;
        if (q > expDigits)
            p = q;
    }
    double value = 0.0;
    if (anyDigits && p == digitsEnd && p - digitsStart <= 15) {
        // Digits alone (most fields): read in place; up to 15 digits a double holds them
        // exactly, as from_chars would.
        for (qsizetype d = digitsStart; d < p; ++d)
            value = value * 10 + (text[d].unicode() - u'0');
        if (text[start] == u'-')
            value = -value;
    } else if (anyDigits) {
        QByteArray number = text.mid(start, p - start).toLatin1();
        number.replace('d', 'e').replace('D', 'e');
        const bool negative = number.startsWith('-');
        if (negative || number.startsWith('+'))
            number.remove(0, 1);
        // from_chars reads the same in every locale.
        const auto [end, ec] = std::from_chars(number.constData(), number.constData() + number.size(), value);
        Q_UNUSED(end);
        if (ec == std::errc::result_out_of_range) {
            // Too large or too small for a double: infinity, or zero.
            const qsizetype e = number.indexOf('e');
            value = (e >= 0 && number.mid(e + 1).startsWith('-')) ? 0.0 : HUGE_VAL;
        } else if (ec != std::errc()) {
            value = 0.0;
        }
        if (negative)
            value = -value;
    } else {
        p = start;
    }
    if (complete) {
        qsizetype rest = p;
        while (rest < n && isBlank(text[rest]))
            ++rest;
        *complete = anyDigits && rest == n;
    }
    return value;
}

QString shortenForMessage(const QString& text, int maxChars) {
    if (text.size() <= maxChars)
        return text;
    const int keep = qMax(2, maxChars - 1);
    const int head = keep * 2 / 3;
    const int tail = keep - head;
    return text.left(head) + QStringLiteral("…") + text.right(tail);
}

QList<EncodingProblem> cp932Problems(const QByteArray& bytes) {
    QList<EncodingProblem> problems;
    // One decoder for the whole file, reset for every line (opening the code page's
    // converter costs more than decoding a line), decoding into one buffer.
    QStringDecoder decoder(kCodec, QStringDecoder::Flag::Stateless);
    QList<QChar> decoded;
    int lineNo = 0;
    qsizetype start = 0;
    while (start < bytes.size()) {
        ++lineNo;
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        const QByteArrayView line(bytes.constData() + start, end - start);
        bool high = false;
        for (char c : line)
            high = high || static_cast<unsigned char>(c) >= 0x80;
        if (high) {
            if (line.isValidUtf8()) {
                problems.append({lineNo, EncodingProblem::LooksUtf8});
            } else {
                decoder.resetState();
                decoded.resize(decoder.requiredSpace(line.size()));
                const QChar* stop = decoder.appendToBuffer(decoded.data(), line);
                if (decoder.hasError() ||
                    std::find(decoded.constData(), stop, QChar::ReplacementCharacter) != stop)
                    problems.append({lineNo, EncodingProblem::InvalidBytes});
            }
        }
        start = end;
        if (start < bytes.size() && bytes[start] == '\r')
            ++start;
        if (start < bytes.size() && bytes[start] == '\n' && (start == end || bytes[start - 1] == '\r'))
            ++start;
    }
    return problems;
}

QString lineRanges(const QList<int>& lines, int maxRanges) {
    QList<int> sorted = lines;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    QStringList ranges;
    qsizetype i = 0;
    while (i < sorted.size() && ranges.size() < maxRanges) {
        qsizetype j = i;
        while (j + 1 < sorted.size() && sorted[j + 1] == sorted[j] + 1)
            ++j;
        ranges << (j == i ? QString::number(sorted[i])
                          : QStringLiteral("%1～%2").arg(sorted[i]).arg(sorted[j]));
        i = j + 1;
    }
    if (i < sorted.size())
        ranges << QStringLiteral("ほか %1 行").arg(sorted.size() - i);
    return ranges.join(QStringLiteral("、"));
}

QString lineRanges(const QList<EncodingProblem>& problems, int maxRanges) {
    QList<int> lines;
    for (const EncodingProblem& p : problems)
        lines << p.line;
    return lineRanges(lines, maxRanges);
}

QString encodingSummary(const QString& path, const TextEncodingFacts& facts) {
    if (facts.problems.isEmpty())
        return {};
    const QString lines = lineRanges(facts.problems);
    if (facts.utf8Throughout) {
        const QFileInfo info(path);
        const QString name = info.fileName();
        // A byte order mark has no code in CP932: it goes first.
        const QString convert =
            facts.byteOrderMark
                ? QStringLiteral("sed '1s/^\\xEF\\xBB\\xBF//' %1 | iconv -f UTF-8 -t CP932").arg(name)
                : QStringLiteral("iconv -f UTF-8 -t CP932 %1").arg(name);
        return QStringLiteral("%1 行目が Shift-JIS（CP932）ではなく UTF-8 で書かれています。%2"
                              "Shift-JIS に変換してください: cd '%3' && %4 > %5.sjis && mv %5.sjis %5")
            .arg(lines,
                 facts.encoding == TextEncoding::Utf8
                     ? QStringLiteral("このプログラムは UTF-8 として読みますが、同じファイルを使うほかの"
                                      "プログラムでは文字化けします。")
                     : QStringLiteral("文字化けして読まれます。"),
                 QDir::toNativeSeparators(info.absolutePath()), convert, name);
    }
    bool invalid = false;
    for (const EncodingProblem& p : facts.problems)
        invalid = invalid || p.kind == EncodingProblem::InvalidBytes;
    return QStringLiteral("%1 行目%2。文字化けして読まれます。その行を Shift-JIS（CP932）で書き直して"
                          "ください（メモ帳などで「ANSI」または「Shift-JIS」を選んで保存）。")
        .arg(lines, invalid ? QStringLiteral("に Shift-JIS（CP932）にない文字のバイトがあります")
                            : QStringLiteral("が UTF-8 で書かれています（ほかの行は Shift-JIS です）"));
}

QString describeEncodingProblems(const QString& path, const QList<EncodingProblem>& problems) {
    if (problems.isEmpty())
        return {};
    bool utf8 = false;
    for (const EncodingProblem& p : problems)
        utf8 = utf8 || p.kind == EncodingProblem::LooksUtf8;
    return QStringLiteral(
               "%1 の %2 行目が Shift-JIS（CP932）の文字になっていません%3。文字化けして読まれます。"
               "メモ帳などで「ANSI」または「Shift-JIS」を選んで保存し直してください。")
        .arg(shortenForMessage(path), lineRanges(problems),
             utf8 ? QStringLiteral("（UTF-8 で保存されているようです）") : QString());
}

Status writeCp932Lines(const QString& path, const QList<QString>& lines) {
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    const Outcome<QByteArray> bytes = encodeCp932(text);
    if (!bytes)
        return bytes.error();
    return writeFileSafely(path, *bytes);
}

} // namespace kz

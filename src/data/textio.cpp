#include "data/textio.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace kz {

namespace {
constexpr const char* kCodec = "windows-31j";

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}
} // namespace

QString decodeCp932(const QByteArray& bytes) {
    QStringDecoder decoder(kCodec);
    return decoder.decode(bytes);
}

bool encodeCp932(const QString& text, QByteArray* out, QString* error) {
    QStringEncoder encoder(kCodec, QStringConverter::Flag::ConvertInvalidToNull);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError()) {
        if (error) {
            QString bad;
            for (QChar c : text) {
                QStringEncoder one(kCodec);
                (void)QByteArray(one.encode(QString(c)));
                if (one.hasError() && !c.isSurrogate()) {
                    bad = QString(c);
                    break;
                }
            }
            *error = QStringLiteral("Shift-JIS にできない文字があります: %1").arg(bad);
        }
        return false;
    }
    *out = std::move(bytes);
    return true;
}

FreeValueText FreeValueText::parse(const QString& s) {
    FreeValueText result;
    const qsizetype n = s.size();
    qsizetype i = 0;
    int lineNo = 0;
    while (i < n) {
        ++lineNo;
        // Find the end of this line.
        qsizetype end = i;
        while (end < n && s[end] != u'\n' && s[end] != u'\r')
            ++end;
        TextLine line;
        line.number = lineNo;
        qsizetype p = i;
        if (end > i) {
            while (true) {
                while (p < end && isBlank(s[p]))
                    ++p;
                QString value;
                if (p < end && s[p] == u'"') {
                    const qsizetype close = s.indexOf(u'"', p + 1);
                    const qsizetype stop = (close < 0 || close > end) ? end : close;
                    value = s.mid(p + 1, stop - p - 1);
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
                    value = s.mid(start, last - start);
                }
                line.values.append(value);
                if (p < end && s[p] == u',') {
                    ++p;
                    continue;
                }
                break;
            }
        }
        for (const QString& v : std::as_const(line.values))
            result.stream_.append({v, lineNo});
        // A blank line reads as one empty value in the stream, as a delimiting comma does,
        // so files written one value per line keep their positions.
        if (line.values.isEmpty())
            result.stream_.append({QString(), lineNo});
        result.lines_.append(std::move(line));
        // Consume the line end: CR LF, LF or a lone CR.
        i = end;
        if (i < n && s[i] == u'\r')
            ++i;
        if (i < n && s[i] == u'\n' && (i == end || s[i - 1] == u'\r'))
            ++i;
    }
    return result;
}

bool FreeValueText::load(const QString& path, FreeValueText* out, TextReadError* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            error->kind = QFileInfo::exists(path) ? TextReadError::Unreadable : TextReadError::NotFound;
            error->message =
                error->kind == TextReadError::NotFound
                    ? QStringLiteral("ファイルがありません: %1").arg(path)
                    : QStringLiteral("ファイルを読めません: %1 (%2)").arg(path, file.errorString());
        }
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error) {
            error->kind = TextReadError::Unreadable;
            error->message = QStringLiteral("ファイルを読めません: %1 (%2)").arg(path, file.errorString());
        }
        return false;
    }
    *out = fromCp932(bytes);
    return true;
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
    while (p < n && text[p] >= u'0' && text[p] <= u'9')
        ++p;
    bool anyDigits = p > digitsStart;
    if (p < n && text[p] == u'.') {
        const qsizetype afterPoint = p + 1;
        qsizetype q = afterPoint;
        while (q < n && text[q] >= u'0' && text[q] <= u'9')
            ++q;
        if (anyDigits || q > afterPoint) {
            anyDigits = anyDigits || q > afterPoint;
            p = q;
        }
    }
    double value = 0.0;
    if (anyDigits) {
        bool ok = false;
        value = text.mid(start, p - start).toString().toDouble(&ok);
        if (!ok)
            value = 0.0;
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

bool writeCp932Lines(const QString& path, const QList<QString>& lines, QString* error) {
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    QByteArray bytes;
    if (!encodeCp932(text, &bytes, error))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("ファイルを書けません: %1 (%2)").arg(path, file.errorString());
        return false;
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = QStringLiteral("ファイルを書けません: %1 (%2)").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace kz

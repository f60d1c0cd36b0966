// The free value reader over any bytes: line numbers, the stream view and the leading
// number reading stay consistent, and values that a writer puts on a line unquoted read
// back as they were written.
#include "fuzzsupport.h"

#include "data/textio.h"

#include <cmath>

namespace {

// Whether a value can be written unquoted and read back unchanged.
bool writableUnquoted(const QString& v) {
    if (v.isEmpty())
        return false;
    if (v.front() == u' ' || v.front() == u'\t' || v.back() == u' ' || v.back() == u'\t' || v.front() == u'"')
        return false;
    return !v.contains(u',') && !v.contains(u'\r') && !v.contains(u'\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const kz::FreeValueText text = kz::FreeValueText::fromCp932(bytes);

    int expectedLine = 0;
    qsizetype streamValues = 0;
    QList<QString> rewritten;
    QList<QList<QString>> expected;
    for (const kz::TextLine& line : text.lines()) {
        KZ_FUZZ_CHECK(line.number == ++expectedLine);
        streamValues += qMax<qsizetype>(1, line.values.size());
        bool plain = !line.values.isEmpty();
        for (const QString& v : line.values)
            plain = plain && writableUnquoted(v);
        if (plain) {
            rewritten.append(line.values.join(u','));
            expected.append(line.values);
        }
    }
    KZ_FUZZ_CHECK(streamValues == text.valueCount());

    kz::ValueStream stream(text);
    while (!stream.atEnd()) {
        const int line = stream.line();
        KZ_FUZZ_CHECK(line >= 1 && line <= text.lines().size());
        bool complete = false;
        const double number = kz::leadingNumber(stream.next(), &complete);
        KZ_FUZZ_CHECK(!std::isnan(number));
    }
    KZ_FUZZ_CHECK(stream.next().isEmpty());

    const kz::FreeValueText again = kz::FreeValueText::parse(rewritten.join(QStringLiteral("\r\n")));
    KZ_FUZZ_CHECK(again.lines().size() == expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        KZ_FUZZ_CHECK(again.lines()[i].values == expected[i]);
    return 0;
}

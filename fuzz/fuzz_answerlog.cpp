// The answer log reader over any file: the first byte chooses the student the reader
// keeps (0: everyone), the rest is the file. Every line it keeps is in range, and the
// summary and the comparison with an empty results file take whatever it keeps.
#include "fuzzsupport.h"

#include "data/answerlog.h"
#include "data/answerlogaudit.h"
#include "data/factsummary.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    kz::AnswerLogFilter filter;
    filter.student = data[0] % 4 == 0 ? 0 : data[0] % 20;
    const QString path = kzfuzz::writeScratch(QStringLiteral("問題別記録.csv"),
                                              reinterpret_cast<const char*>(data) + 1, size - 1);
    const kz::Outcome<kz::AnswerLogContents> log = kz::readAnswerLog(path, filter);
    KZ_FUZZ_CHECK(log.ok());
    KZ_FUZZ_CHECK(log->lines.size() <= static_cast<size_t>(log->totalLines));
    for (const kz::AnswerLogLine& line : log->lines) {
        KZ_FUZZ_CHECK(line.date.isValid() && line.time.isValid());
        KZ_FUZZ_CHECK(line.student >= 1 && line.student <= 5000);
        KZ_FUZZ_CHECK(filter.student == 0 || line.student == filter.student);
        KZ_FUZZ_CHECK(line.multiplicand >= 14 && line.multiplicand <= 16);
        KZ_FUZZ_CHECK(line.multiplier >= 1 && line.multiplier <= 20);
        KZ_FUZZ_CHECK(line.responseMs >= 0);
    }
    // The same bytes in memory read the same.
    const kz::AnswerLogContents again = kz::parseAnswerLog(
        QByteArray(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1)), filter);
    KZ_FUZZ_CHECK(again.lines.size() == log->lines.size());
    KZ_FUZZ_CHECK(again.problems.size() == log->problems.size());
    const std::map<int, kz::FactMatrix> facts =
        kz::summariseFacts(log->lines, kz::FactPeriod{QDate(2026, 12, 1), 7, 0});
    for (const auto& [student, matrix] : facts)
        KZ_FUZZ_CHECK(matrix.wrong <= matrix.answers);
    const kz::AnswerLogAudit audit = kz::auditAnswerLog(kz::ResultsFileContents{}, *log);
    KZ_FUZZ_CHECK(audit.attemptsWithoutAnswers.empty());
    return 0;
}

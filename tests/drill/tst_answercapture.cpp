// The answers the drill engine reports for the answer log, and the log lines they make.
#include "data/answerlog.h"
#include "drill/drillengine.h"
#include "support/fakes.h"
#include "support/testsupport.h"

#include <QTest>

using namespace kz;

namespace {

class AnswerObserver final : public DrillObserver {
public:
    QList<AnsweredQuestion> answers;
    int answersAtEnd = -1;
    void answerJudged(const AnsweredQuestion& answer) override { answers << answer; }
    void attemptEnded(const DrillEnding&) override { answersAtEnd = static_cast<int>(answers.size()); }
};

struct Rig {
    test::FakeClock clock;
    test::ScriptedRandom random;
    test::NullCues cues;
    AnswerObserver observer;
    DrillEngine engine{clock, random, cues, observer};

    // Waits ms on the shown question, then types the text and judges it.
    void answer(qint64 ms, const QString& text) {
        clock.advanceMs(ms);
        for (QChar c : text + u' ')
            engine.onKeyPress(c.unicode());
    }
    void confirmAfter(qint64 ms) {
        clock.advanceMs(ms);
        engine.onKeyPress('+');
        engine.onKeyPress('+');
    }
};

} // namespace

class TestAnswerCapture : public QObject {
    Q_OBJECT
private slots:
    void level3WithOneWrongAnswer();
    void timedOutAttemptLogsAnswersUpToTheTimeOut();
};

void TestAnswerCapture::level3WithOneWrongAnswer() {
    Rig rig;
    QVERIFY(rig.engine.startAttempt(3, 30));
    int shown = 0;
    while (!rig.engine.ended()) {
        ++shown;
        const int expected = rig.engine.expectedAnswer();
        if (shown == 3) {
            rig.answer(4000, QStringLiteral("180")); // 14 x 13 answered 180
            rig.confirmAfter(9000);                  // reading the answer: not part of any response time
        } else {
            rig.answer(1000 + 100 * shown, QString::number(expected));
        }
    }
    const QList<AnsweredQuestion>& a = rig.observer.answers;
    QCOMPARE(a.size(), 16);
    QCOMPARE(rig.observer.answersAtEnd, 16); // the last answer comes before the hand-off

    const QByteArray lines =
        formatAttemptAnswers(QDateTime(QDate(2004, 3, 15), QTime(14, 30, 5)), 17, 3, rig.observer.answers);
    const QList<QByteArray> split = lines.split('\n');
    QCOMPARE(split.size(), 17); // 16 lines and the text after the last line end
    QCOMPARE(split[0], QByteArray("2004-03-15,14:30:05,17,3,1,14,11,154,1,0,1100"));
    QCOMPARE(split[2], QByteArray("2004-03-15,14:30:05,17,3,3,14,13,180,0,0,4000"));
    QCOMPARE(split[5], QByteArray("2004-03-15,14:30:05,17,3,6,14,13,182,1,1,1600"));
    QCOMPARE(split[15], QByteArray("2004-03-15,14:30:05,17,3,16,14,15,210,1,0,2600"));
    int wrong = 0;
    for (const AnsweredQuestion& q : a)
        wrong += q.correct ? 0 : 1;
    QCOMPARE(wrong, 1);
}

void TestAnswerCapture::timedOutAttemptLogsAnswersUpToTheTimeOut() {
    Rig rig;
    QVERIFY(rig.engine.startAttempt(1, 4)); // limit 20 s
    rig.answer(3000, QStringLiteral("14"));
    rig.answer(5000, QString()); // space alone: wrong, 10 s penalty
    rig.confirmAfter(1000);
    rig.answer(2000, QStringLiteral("42"));
    rig.clock.advanceMs(1000); // 12 s of clock, 22 s with the penalty
    rig.engine.onClockTick();
    QVERIFY(rig.engine.timedOut());
    rig.answer(500, QStringLiteral("56")); // after the time-out: nothing is judged
    QCOMPARE(rig.observer.answers.size(), 3);
    QCOMPARE(rig.observer.answers[1], (AnsweredQuestion{14, 2, QString(), false, false, 5000}));
    QCOMPARE(rig.observer.answers[2], (AnsweredQuestion{14, 3, QStringLiteral("42"), true, false, 2000}));
}

QTEST_GUILESS_MAIN(TestAnswerCapture)
#include "tst_answercapture.moc"

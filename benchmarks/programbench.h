#pragma once

// What the screen benchmarks share: a generated school on disk, the program's navigator
// over it, real key and mouse events, and the wait until a screen has been painted.
// Figures are what a student waits for: from the event until the screen's new state has
// been painted (the offscreen platform paints into memory as a window system would).

#include "app/appnavigator.h"
#include "benchsupport.h"
#include "core/catalogue.h"
#include "core/gui/retrynotice.h"
#include "core/gui/startupsteps.h"
#include "core/programrun.h"
#include "core/runstate.h"
#include "data/textio.h"
#include "platform/gui/messagebox.h"
#include "support/fakes.h"
#include "support/scriptedrun.h"
#include "support/testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace kz::bench {

inline const QDateTime kBenchNow(QDate(2026, 12, 1), QTime(15, 0));

// common/パスデータ.txt, the program folder common/kazurin2, data/ with the settings,
// the roster of `students` students, the criteria of the 25 levels, a sound list
// without sounds and `records` results of the last `days` days.
struct School {
    QTemporaryDir dir;
    QString common;
    QString programFolder;
    QString data;
    bool ok = false;

    School(int students, int records, int days = 60) {
        // KZ_BENCH_KEEP_SCHOOL=1 keeps the school on disk for profiling the program over it.
        if (qEnvironmentVariableIsSet("KZ_BENCH_KEEP_SCHOOL")) {
            dir.setAutoRemove(false);
            qWarning("school kept in %s", qPrintable(dir.path()));
        }
        common = dir.path() + QStringLiteral("/common/");
        programFolder = common + QStringLiteral("kazurin2");
        data = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(programFolder);
        QDir().mkpath(data + QStringLiteral("kazurin2"));
        QDir().mkpath(data + QStringLiteral("音フォルダ"));
        QStringList roster;
        static const QStringList family{QStringLiteral("山田"), QStringLiteral("佐藤"),
                                        QStringLiteral("鈴木"), QStringLiteral("高橋"),
                                        QStringLiteral("田中"), QStringLiteral("伊藤")};
        for (int b = 1; b <= students; ++b)
            roster
                << QStringLiteral("%1,%2,0,0,%3　%4,0,,").arg(b).arg(2008 + b % 12).arg(family[b % 6]).arg(b);
        QStringList criteria{
            QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,")};
        for (int level = 1; level <= 25; ++level)
            criteria << QStringLiteral("%1,%2,50,3,1.5,10,300,7,1,,,").arg(60 + level).arg(200);
        ok = writeLines(common + QStringLiteral("パスデータ.txt"), {data, QStringLiteral("0")}) &&
             writeLines(data + QStringLiteral("共通データ.txt"),
                        {QStringLiteral("4,00123さくら塾,0,,,1414,,,,")}) &&
             writeLines(data + QStringLiteral("新名簿.txt"), roster) &&
             writeLines(data + QStringLiteral("kazurin2/タイム回数データ.txt"), criteria) &&
             writeLines(data + QStringLiteral("音フォルダ/新音ファイル.txt"),
                        {QStringLiteral("正解音1,pinpon,*"), QStringLiteral("間違い音1,bubu,*")}) &&
             writeSounds({QStringLiteral("pinpon"), QStringLiteral("bubu"), QStringLiteral("最高1"),
                          QStringLiteral("合格"), QStringLiteral("警告1")}) &&
             writeSampleResults(resultsPath(), {.records = records,
                                                .students = students,
                                                .now = kBenchNow,
                                                .days = days,
                                                .siteCode = QStringLiteral("00123")});
    }

    QString resultsPath() const { return data + QStringLiteral("kazurin2/成績累積データ.dat"); }
    QString rosterPath() const { return data + QStringLiteral("新名簿.txt"); }

private:
    // A tenth of a second of a quiet tone for each name, so that the start-up finds every
    // sound it checks and shows no notice.
    bool writeSounds(const QStringList& names) const {
        constexpr int kRate = 22050;
        constexpr int kSamples = kRate / 10;
        QByteArray wav;
        auto u32 = [&wav](quint32 v) {
            for (int i = 0; i < 4; ++i)
                wav += static_cast<char>((v >> (8 * i)) & 0xff);
        };
        auto u16 = [&wav](quint16 v) {
            wav += static_cast<char>(v & 0xff);
            wav += static_cast<char>(v >> 8);
        };
        wav += "RIFF";
        u32(36 + kSamples * 2);
        wav += "WAVEfmt ";
        u32(16);
        u16(1); // PCM
        u16(1); // mono
        u32(kRate);
        u32(kRate * 2);
        u16(2);
        u16(16);
        wav += "data";
        u32(kSamples * 2);
        for (int i = 0; i < kSamples; ++i)
            u16(static_cast<quint16>((i / 25) % 2 ? 2000 : -2000));
        for (const QString& name : names) {
            QFile f(data + QStringLiteral("音フォルダ/") + name + QStringLiteral(".wav"));
            if (!f.open(QIODevice::WriteOnly) || f.write(wav) != wav.size())
                return false;
        }
        return true;
    }

    static bool writeLines(const QString& path, const QStringList& lines) {
        return writeCp932Lines(path, lines).ok();
    }
};

// The program's navigator with a fixed clock, no sounds or boxes, and a run whose waits
// keep the screens alive without the retry notice.
struct Program {
    School& school;
    test::FakeClock clock{kBenchNow};
    ProgramRun run{clock, test::fileWaitsCalling(
                              [](const QString&, const QString&, int ms) { waitKeepingScreensAlive(ms); })};
    RunState* state = &RunStateSetUp::of(run);
    test::ScriptedRandom random;
    PresetMessageBox messages;
    test::NullCues cues;
    test::RefusingLauncher launcher;
    std::unique_ptr<AppNavigator> navigator;

    explicit Program(School& s) : school(s) {
        run.prepareRun(random);
        if (!resolveAndReport(school.programFolder, run, messages, nullptr))
            qFatal("the benchmark school does not resolve");
        navigator = std::make_unique<AppNavigator>(run, clock, random, messages, cues, launcher);
    }
    ~Program() {
        navigator.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The current student as the name screen's confirmation sets it; a teacher's name
    // opens the teachers' panel.
    void chooseStudent(int bangou, bool teacher = false) {
        (void)run.readRoster();
        run.chooseStudent(bangou);
        if (teacher)
            state->student.currentName = QStringLiteral("★山本　恵子");
    }
};

// Counts the paints of one window's widgets that happen once the screen's new state is
// there (done() holds while the paint event is delivered).
class PaintWatch final : public QObject {
public:
    PaintWatch(std::function<QWidget*()> window, std::function<bool()> done)
        : window_(std::move(window)), done_(std::move(done)) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~PaintWatch() override { QCoreApplication::instance()->removeEventFilter(this); }
    Q_DISABLE_COPY_MOVE(PaintWatch)

    bool paintedWhenDone() const { return painted_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            auto* widget = qobject_cast<QWidget*>(watched);
            QWidget* window = window_();
            if (widget && window && widget->window() == window && done_())
                painted_ = true;
        }
        return false;
    }

private:
    std::function<QWidget*()> window_;
    std::function<bool()> done_;
    bool painted_ = false;
};

// Runs the event loop until the window has been painted with done() holding: the paint
// and its flush run in one pass of the loop, so the screen shows the new state when this
// returns. False after timeoutMs.
inline bool untilPainted(const std::function<QWidget*()>& window, const std::function<bool()>& done,
                         int timeoutMs = 60000) {
    PaintWatch watch(window, done);
    QElapsedTimer t;
    t.start();
    while (!watch.paintedWhenDone()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return true;
}

// Runs the event loop until done() holds.
inline bool spinUntil(const std::function<bool()>& done, int timeoutMs = 60000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Per-iteration times: the benchmark's counters carry their median and minimum (the
// figures of a shared, noisy machine), the mean stays Google Benchmark's own.
class Samples {
public:
    void add(qint64 nanoseconds) { ms_.push_back(static_cast<double>(nanoseconds) / 1e6); }
    void report(benchmark::State& st) {
        if (ms_.empty())
            return;
        std::sort(ms_.begin(), ms_.end());
        st.counters["median_ms"] = ms_[ms_.size() / 2];
        st.counters["min_ms"] = ms_.front();
        st.counters["max_ms"] = ms_.back();
    }

private:
    std::vector<double> ms_;
};

// The name screen's line of the student, chosen as a click would choose it.
inline bool chooseNameLine(QWidget* nameScreen, int row) {
    auto* list = nameScreen ? nameScreen->findChild<QListWidget*>(QStringLiteral("List1")) : nullptr;
    if (!list || list->count() <= row)
        return false;
    list->setCurrentRow(row);
    return true;
}

} // namespace kz::bench

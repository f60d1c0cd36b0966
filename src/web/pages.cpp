#include "web/pages.h"

#include "core/catalogue.h"
#include "data/grade.h"
#include "reports/resultsdisplay.h"
#include "web/html.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace kz::web {

namespace {

QLocale japanese() {
    return QLocale(QLocale::Japanese, QLocale::Japan);
}

QString option(const QString& value, const QString& text, bool selected) {
    return QStringLiteral("<option value=\"%1\"%2>%3</option>")
        .arg(escape(value), selected ? QStringLiteral(" selected") : QString(), escape(text));
}

QString gradeSelect(int gradeIndex) {
    QString html = QStringLiteral("<label>学年 <select name=\"grade\">");
    const QList<QString>& filters = gradeFilters();
    for (qsizetype i = 0; i < filters.size(); ++i)
        html += option(QString::number(i), filters[i], i == gradeIndex);
    return html + QStringLiteral("</select></label>");
}

QString daysText(int days) {
    return days == 0 ? QStringLiteral("全期間") : QStringLiteral("%1日間").arg(days);
}

QString daysSelect(int days) {
    QString html = QStringLiteral("<label>期間 <select name=\"days\">");
    for (int d : factDayChoices())
        html += option(QString::number(d), daysText(d), d == days);
    return html + QStringLiteral("</select></label>");
}

// A form that sends its choices by GET; the script sends it as soon as a choice changes.
QString choiceForm(const QString& action, const QString& fields) {
    return QStringLiteral("<form class=\"choices autosubmit\" method=\"get\" action=\"%1\">%2"
                          "<button type=\"submit\">表示</button></form>")
        .arg(escape(action), fields);
}

QString hidden(const QString& name, const QString& value) {
    return QStringLiteral("<input type=\"hidden\" name=\"%1\" value=\"%2\">")
        .arg(escape(name), escape(value));
}

QString linesBlock(const QStringList& lines, const QString& extraClass = {}) {
    QString html =
        QStringLiteral("<div class=\"lines%1\">").arg(extraClass.isEmpty() ? QString() : u' ' + extraClass);
    for (const QString& line : lines)
        html += QStringLiteral("<span class=\"line\">") + escape(line) + QStringLiteral("</span>");
    return html + QStringLiteral("</div>");
}

QString studentName(const QString& name, int bangou) {
    return name.isEmpty() ? QStringLiteral("（名簿にない番号 %1）").arg(bangou) : name;
}

QString colourClass(ListColour colour) {
    switch (colour) {
    case ListColour::Green:
        return QStringLiteral(" colour-green");
    case ListColour::LightGreen:
        return QStringLiteral(" colour-lightgreen");
    case ListColour::Grey:
        return QStringLiteral(" colour-grey");
    case ListColour::Plain:
    case ListColour::Unchanged:
        break;
    }
    return {};
}

QString notesBlock(const QStringList& notes) {
    QString html;
    for (const QString& note : notes)
        html += QStringLiteral("<p class=\"note\" role=\"status\">") + escape(note) + QStringLiteral("</p>");
    return html;
}

} // namespace

QList<QList<int>> reportLevelGroups() {
    QList<QList<int>> groups;
    for (int first = 1; first <= kLevelCount; first += 3) {
        QList<int> group;
        const int last = first + 3 > kLevelCount ? kLevelCount : first + 2;
        for (int level = first; level <= last; ++level)
            group << level;
        groups << group;
        if (last == kLevelCount)
            break;
    }
    return groups;
}

QList<int> factDayChoices() {
    return {0, 7, 30, 90, 365};
}

QString recordCountText(const SchoolSnapshot& snapshot) {
    return groupedNumber(snapshot.totalRecords);
}

QString lastRecordText(const SchoolSnapshot& snapshot, const QDateTime& now) {
    if (!snapshot.lastRecord.isValid())
        return QStringLiteral("なし");
    const QDate day = snapshot.lastRecord.date();
    const QString time = snapshot.lastRecord.time().toString(QStringLiteral("H:mm:ss"));
    if (day == now.date())
        return QStringLiteral("今日 ") + time;
    if (day.year() == now.date().year())
        return QStringLiteral("%1月%2日 ").arg(day.month()).arg(day.day()) + time;
    return day.toString(QStringLiteral("yyyy/MM/dd ")) + time;
}

QByteArray statusJson(const SchoolSnapshot& snapshot, const QDateTime& now) {
    QJsonObject o;
    o.insert(QStringLiteral("records"), recordCountText(snapshot));
    o.insert(QStringLiteral("last"), lastRecordText(snapshot, now));
    o.insert(QStringLiteral("token"), QString::fromLatin1(snapshot.token));
    o.insert(QStringLiteral("notes"), snapshot.notes.join(QStringLiteral("　")));
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QString pageDocument(const PageFrame& frame) {
    struct Item {
        Section section;
        const char16_t* path;
        const char16_t* text;
    };
    static const Item items[] = {{Section::Classroom, u"/", u"今日の教室"},
                                 {Section::Tables, u"/tables", u"成績一覧"},
                                 {Section::Students, u"/students", u"生徒"},
                                 {Section::Class, u"/class", u"クラスの問題別"}};
    QString html = QStringLiteral("<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"utf-8\">"
                                  "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                                  "<title>") +
                   escape(frame.title) + QStringLiteral(" – ") + escape(programTitle()) +
                   QStringLiteral("</title><link rel=\"stylesheet\" href=\"/static/kazurin2-web.css\">"
                                  "<script src=\"/static/kazurin2-web.js\" defer></script></head>\n");
    if (frame.snapshot)
        html += QStringLiteral("<body data-status=\"/api/status\" data-token=\"%1\">")
                    .arg(escape(QString::fromLatin1(frame.snapshot->token)));
    else
        html += QStringLiteral("<body>");
    html += QStringLiteral("<header class=\"top\"><div class=\"brand\">") + escape(programTitle()) +
            QStringLiteral("</div>");
    if (frame.snapshot) {
        html += QStringLiteral("<nav>");
        for (const Item& item : items) {
            const bool current = item.section == frame.section;
            html += QStringLiteral("<a href=\"%1\"%2>%3</a>")
                        .arg(QString::fromUtf16(item.path),
                             current ? QStringLiteral(" class=\"current\" aria-current=\"page\"") : QString(),
                             QString::fromUtf16(item.text));
        }
        html += QStringLiteral("</nav>");
    }
    if (frame.showLogout)
        html += QStringLiteral("<form class=\"logout\" method=\"post\" action=\"/logout\">"
                               "<button type=\"submit\">ログアウト</button></form>");
    html += QStringLiteral("</header>\n");
    if (frame.snapshot) {
        const SchoolSnapshot& s = *frame.snapshot;
        html +=
            QStringLiteral("<div class=\"status\" id=\"status\" role=\"status\">"
                           "<span class=\"live-dot\" id=\"status-live\" title=\"自動で更新します\"></span>"
                           "記録 <b id=\"status-records\">%1</b> 件　最後の記録 <b id=\"status-last\">%2</b>"
                           "<span class=\"notes\" id=\"status-notes\">%3</span></div>\n")
                .arg(escape(recordCountText(s)), escape(lastRecordText(s, frame.now)),
                     escape(s.notes.join(QStringLiteral("　"))));
    }
    html += QStringLiteral("<main>") + frame.body + QStringLiteral("</main></body></html>\n");
    return html;
}

QString classroomBody(const Classroom& room, int gradeIndex) {
    const QString day = japanese().toString(room.day, QStringLiteral("yyyy年M月d日（ddd）"));
    QString html =
        QStringLiteral("<h1>今日の教室 <span class=\"sub\">") + escape(day) + QStringLiteral("</span></h1>");
    html += choiceForm(QStringLiteral("/"), gradeSelect(gradeIndex));
    html += QStringLiteral("<div id=\"live\" data-live=\"%1\">")
                .arg(href(u"/classroom/live", {{u"grade", QString::number(gradeIndex)}}));
    html += classroomLive(room);
    return html + QStringLiteral("</div>");
}

QString classroomLive(const Classroom& room) {
    QString html = QStringLiteral("<div class=\"summary\"><span>成績 <b>%1</b> 回</span>"
                                  "<span>生徒 <b>%2</b> 人</span>"
                                  "<span class=\"timeout\">時間切れ <b>%3</b> 回</span>"
                                  "<span class=\"wrong\">まちがい <b>%4</b> 問</span></div>")
                       .arg(room.attempts.size())
                       .arg(room.students.size())
                       .arg(room.timeOuts)
                       .arg(room.wrongAnswers);
    if (room.attempts.isEmpty())
        return html + QStringLiteral("<p class=\"empty\">今日の成績はまだありません。</p>");

    html += QStringLiteral("<section><h2>生徒ごと</h2><div class=\"cards\">");
    for (const ClassroomStudent& s : room.students) {
        QString classes = QStringLiteral("card");
        if (s.timeOuts > 0)
            classes += QStringLiteral(" has-timeout");
        if (s.wrongAnswers > 0)
            classes += QStringLiteral(" has-wrong");
        html +=
            QStringLiteral("<a class=\"%1\" href=\"%2\"><span class=\"who\"><span class=\"name\">%3</span>"
                           "<span class=\"grade\">%4</span></span>"
                           "<span class=\"figures\">%5回・%6点・最後 %7</span>")
                .arg(classes, href(u"/student", {{u"n", QString::number(s.bangou)}}),
                     escape(studentName(s.name, s.bangou)), escape(s.gradeLabel))
                .arg(s.attempts)
                .arg(s.points)
                .arg(s.lastAttempt.toString(QStringLiteral("H:mm")));
        if (s.timeOuts > 0 || s.wrongAnswers > 0) {
            html += QStringLiteral("<span class=\"flags\">");
            if (s.timeOuts > 0)
                html += QStringLiteral("<span class=\"flag timeout\">時間切れ %1</span>").arg(s.timeOuts);
            if (s.wrongAnswers > 0)
                html += QStringLiteral("<span class=\"flag wrong\">まちがい %1</span>").arg(s.wrongAnswers);
            html += QStringLiteral("</span>");
        }
        html += QStringLiteral("<span class=\"cleared\">");
        if (s.levelsCleared.isEmpty())
            html += QStringLiteral("<span class=\"none\">クリアしたレベルはまだありません</span>");
        for (int level : s.levelsCleared)
            html += QStringLiteral("<span class=\"chip\">クリア %1 %2</span>")
                        .arg(level)
                        .arg(escape(catalogueLevelName(level)));
        html += QStringLiteral("</span></a>");
    }
    html += QStringLiteral("</div></section>");

    html +=
        QStringLiteral("<section><h2>今日の成績 <span class=\"sub\">新しい順</span></h2>"
                       "<div class=\"table-wrap\"><table class=\"attempts\"><thead><tr><th>時刻</th>"
                       "<th>生徒</th><th>レベル</th><th class=\"num\">タイム</th><th class=\"num\">点</th>"
                       "<th class=\"num\">まちがい</th></tr></thead><tbody>");
    for (const ClassroomAttempt& a : room.attempts) {
        QStringList classes;
        if (a.timedOut)
            classes << QStringLiteral("timeout");
        if (a.wrongAnswers.value_or(0) > 0)
            classes << QStringLiteral("wrong");
        const QString time =
            a.timedOut ? QStringLiteral("時間切れ") : QString::number(a.recordedTime) + u'秒';
        const QString wrong = a.wrongAnswers ? QString::number(*a.wrongAnswers) : QStringLiteral("－");
        html +=
            QStringLiteral(
                "<tr data-record=\"%1\"%2><td>%3</td><td><a href=\"%4\">%5</a> "
                "<span class=\"grade\">%6</span></td><td><span class=\"level-num\">%7</span> %8</td>"
                "<td class=\"num\">%9</td>")
                .arg(a.recordNumber)
                .arg(classes.isEmpty() ? QString() : QStringLiteral(" class=\"%1\"").arg(classes.join(u' ')))
                .arg(a.time.toString(QStringLiteral("H:mm:ss")),
                     href(u"/student", {{u"n", QString::number(a.bangou)}}),
                     escape(studentName(a.name, a.bangou)), escape(a.gradeLabel))
                .arg(a.level)
                .arg(escape(a.levelCaption), escape(time));
        html += QStringLiteral("<td class=\"num\">%1</td><td class=\"num\">%2</td></tr>")
                    .arg(a.points)
                    .arg(escape(wrong));
    }
    return html + QStringLiteral("</tbody></table></div></section>");
}

QString tablesBody(const ResultsTables& tables, const TablesView& view) {
    QString html = QStringLiteral("<h1>成績一覧");
    if (!tables.title.isEmpty())
        html += QStringLiteral(" <span class=\"sub\">") + escape(tables.title) + QStringLiteral("</span>");
    html += QStringLiteral("</h1>");

    QString fields = QStringLiteral("<label>表示 <select name=\"display\">") +
                     option(QStringLiteral("time"), QStringLiteral("ﾀｲﾑ表示"), !view.points) +
                     option(QStringLiteral("points"), QStringLiteral("ﾎﾟｲﾝﾄ表示"), view.points) +
                     QStringLiteral("</select></label><label>一覧 <select name=\"option\">");
    const QStringList captions = ResultsDisplay::tableCaptions(view.points ? ResultsDisplay::Display::Points
                                                                           : ResultsDisplay::Display::Times);
    for (qsizetype i = 0; i < captions.size(); ++i)
        fields += option(QString::number(i + 1), captions[i], view.option == i + 1);
    fields += QStringLiteral("</select></label>");
    if (view.option == 3) {
        fields += QStringLiteral("<label>期間 <select name=\"period\">");
        const QStringList periods = ResultsDisplay::periodItems();
        for (qsizetype i = 0; i < periods.size(); ++i)
            fields += option(QString::number(i + 1), periods[i].trimmed(), view.period == i + 1);
        fields += QStringLiteral("</select></label>");
    } else {
        fields += hidden(QStringLiteral("period"), QString::number(view.period));
    }
    fields += gradeSelect(view.grade);
    html += choiceForm(QStringLiteral("/tables"), fields);

    const bool pointsColumns = view.points && view.option != 3;
    html += QStringLiteral("<div class=\"levels\">");
    for (int level = 1; level < static_cast<int>(tables.levels.size()); ++level) {
        const LevelList& list = tables.levels[static_cast<size_t>(level)];
        html += QStringLiteral(
                    "<section class=\"level%1\" id=\"level-%2\"><h2><span class=\"num\">%2</span> %3</h2>")
                    .arg(colourClass(list.colour))
                    .arg(level)
                    .arg(escape(catalogueLevelName(level)));
        if (pointsColumns)
            html += QStringLiteral("<div class=\"captions\"><span>今日</span><span>今まで</span></div>");
        QStringList lines;
        for (const TableLine& line : list.lines)
            lines << line.text;
        if (lines.isEmpty())
            html += QStringLiteral("<p class=\"none\">なし</p>");
        else
            html += linesBlock(lines);
        html += QStringLiteral("</section>");
    }
    return html + QStringLiteral("</div>");
}

QString studentsBody(const QList<StudentLink>& students, int gradeIndex) {
    QString html = QStringLiteral("<h1>生徒 <span class=\"sub\">%1 人</span></h1>").arg(students.size());
    html += choiceForm(QStringLiteral("/students"), gradeSelect(gradeIndex));
    if (students.isEmpty())
        return html + QStringLiteral("<p class=\"empty\">この学年の生徒はいません。</p>");
    html += QStringLiteral("<ul class=\"students\">");
    for (const StudentLink& s : students) {
        html +=
            QStringLiteral("<li><a href=\"%1\"><span class=\"grade\">%2</span><span class=\"name\">%3</span>"
                           "<span class=\"number\">%4</span>%5</a></li>")
                .arg(href(u"/student", {{u"n", QString::number(s.bangou)}}), escape(s.gradeLabel),
                     escape(studentName(s.name, s.bangou)))
                .arg(s.bangou)
                .arg(s.attemptsToday > 0
                         ? QStringLiteral("<span class=\"today\">今日 %1回</span>").arg(s.attemptsToday)
                         : QString());
    }
    return html + QStringLiteral("</ul>");
}

QString studentBody(const StudentView& view) {
    const QString n = QString::number(view.bangou);
    QString html =
        QStringLiteral("<h1>") + escape(studentName(view.name, view.bangou)) +
        QStringLiteral(" <span class=\"sub\">%1　番号 %2</span></h1>").arg(escape(view.gradeLabel), n);
    html += notesBlock(view.notes);
    html += QStringLiteral(
                "<div class=\"downloads\"><a class=\"button\" href=\"%1\" download>個人成績表（PDF）</a>"
                "<a class=\"button\" href=\"%2\" download>問題別の記録（PDF）</a></div>")
                .arg(href(u"/student/reports.pdf", {{u"n", n}}),
                     href(u"/student/facts.pdf", {{u"n", n}, {u"days", QString::number(view.days)}}));

    html += QStringLiteral("<section><h2>個人成績表</h2>");
    if (view.reports.isEmpty())
        html += QStringLiteral("<p class=\"empty\">まだ成績がありません。</p>");
    for (qsizetype i = 0; i < view.reports.size(); ++i) {
        const PersonalReport& report = view.reports[i];
        html += QStringLiteral("<article class=\"report\" id=\"report-%1\"><h3>").arg(report.figures.level) +
                escape(report.title) +
                QStringLiteral("</h3><div class=\"report-body\"><div class=\"lines report-summary\">");
        for (const SummaryLine& line : report.lines)
            html += QStringLiteral("<span class=\"line%1\">")
                        .arg(line.halfLineLower ? QStringLiteral(" half") : QString()) +
                    escape(line.text) + QStringLiteral("</span>");
        html += QStringLiteral("</div><div class=\"chart\">") +
                (i < view.charts.size() ? view.charts[i] : QString()) +
                QStringLiteral("</div></div></article>");
    }
    html += QStringLiteral("</section>");

    html += QStringLiteral("<section><h2>問題別の記録</h2>");
    html += choiceForm(QStringLiteral("/student"), hidden(QStringLiteral("n"), n) + daysSelect(view.days));
    html += QStringLiteral("<div class=\"factmap\">") + view.factMapSvg + QStringLiteral("</div></section>");

    html += QStringLiteral("<section><h2>個人別タイム</h2><div class=\"history\">");
    bool any = false;
    for (int level = 1; level < static_cast<int>(view.history.size()); ++level) {
        const QList<TableLine>& lines = view.history[static_cast<size_t>(level)];
        if (lines.isEmpty())
            continue;
        any = true;
        QStringList texts;
        for (const TableLine& line : lines)
            texts << line.text;
        html +=
            QStringLiteral(
                "<div class=\"history-level\" id=\"history-%1\"><h3><span class=\"num\">%1</span> %2</h3>")
                .arg(level)
                .arg(escape(catalogueLevelName(level))) +
            linesBlock(texts) + QStringLiteral("</div>");
    }
    if (!any)
        html += QStringLiteral("<p class=\"empty\">まだ成績がありません。</p>");
    return html + QStringLiteral("</div></section>");
}

QString classBody(const ClassView& view) {
    const QString grade = gradeFilters().value(view.grade);
    QString html = QStringLiteral("<h1>クラスの問題別 <span class=\"sub\">") + escape(grade) +
                   QStringLiteral("　%1 人</span></h1>").arg(view.students.size());
    html += choiceForm(QStringLiteral("/class"), gradeSelect(view.grade) + daysSelect(view.days));
    html += notesBlock(view.notes);

    const QString g = QString::number(view.grade);
    const QList<QList<int>> groups = reportLevelGroups();
    QString levels = QStringLiteral("<label>成績表のレベル <select name=\"levels\">");
    for (qsizetype i = 0; i < groups.size(); ++i)
        levels +=
            option(QString::number(i), QStringLiteral("%1〜%2").arg(groups[i].first()).arg(groups[i].last()),
                   i == view.levelsGroup);
    levels += QStringLiteral("</select></label>");
    html += QStringLiteral("<div class=\"downloads\">"
                           "<form class=\"choices\" method=\"get\" action=\"/class/reports.pdf\">%1%2"
                           "<button type=\"submit\">クラスの個人成績表（PDF）</button></form>"
                           "<a class=\"button\" href=\"%3\" download>クラスの問題別の記録（PDF）</a></div>")
                .arg(hidden(QStringLiteral("grade"), g), levels,
                     href(u"/class/facts.pdf", {{u"grade", g}, {u"days", QString::number(view.days)}}));

    html += QStringLiteral("<div class=\"two-columns\"><section><h2>クラス全体</h2><div class=\"factmap\">") +
            view.factMapSvg + QStringLiteral("</div></section>");
    html += QStringLiteral("<section><h2>生徒</h2>");
    if (view.students.isEmpty()) {
        html += QStringLiteral("<p class=\"empty\">この学年の生徒はいません。</p>");
    } else {
        html += QStringLiteral("<ul class=\"students\">");
        for (const StudentLink& s : view.students)
            html += QStringLiteral(
                        "<li><a href=\"%1\"><span class=\"grade\">%2</span><span class=\"name\">%3</span>"
                        "<span class=\"number\">%4</span></a></li>")
                        .arg(href(u"/student",
                                  {{u"n", QString::number(s.bangou)}, {u"days", QString::number(view.days)}}),
                             escape(s.gradeLabel), escape(studentName(s.name, s.bangou)))
                        .arg(s.bangou);
        html += QStringLiteral("</ul>");
    }
    return html + QStringLiteral("</section></div>");
}

QString loginBody(const QString& message) {
    QString html =
        QStringLiteral("<div class=\"login\"><h1>ログイン</h1>"
                       "<p>この画面には生徒の名前と成績があります。パスワードを入れてください。</p>");
    if (!message.isEmpty())
        html += QStringLiteral("<p class=\"error\" id=\"login-message\" role=\"alert\">") + escape(message) +
                QStringLiteral("</p>");
    html += QStringLiteral("<form method=\"post\" action=\"/login\"><label>パスワード "
                           "<input type=\"password\" name=\"password\" id=\"password\" "
                           "autocomplete=\"current-password\" required autofocus></label>"
                           "<button type=\"submit\" id=\"login-button\">ログイン</button></form></div>");
    return html;
}

QString messageBody(const QString& heading, const QString& message) {
    return QStringLiteral("<h1>") + escape(heading) + QStringLiteral("</h1><p class=\"message\">") +
           escape(message) + QStringLiteral("</p><p><a class=\"button\" href=\"/\">今日の教室へ</a></p>");
}

} // namespace kz::web

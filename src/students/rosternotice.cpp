#include "students/rosternotice.h"

namespace kz {

QString rosterNoticeText(const Outcome<RosterLoadResult>& load, const QString& rosterPath) {
    if (!load)
        return load.error().text();
    const RosterLoadResult& loaded = *load;
    if (loaded.problems.isEmpty())
        return {};
    constexpr int kShown = 10;
    QString text = QStringLiteral("名簿ファイル %1 に読めない行があります。その行の人は表示しません。\n")
                       .arg(rosterPath);
    for (qsizetype i = 0; i < loaded.problems.size() && i < kShown; ++i)
        text += QStringLiteral("\n%1 行目: %2").arg(loaded.problems[i].line).arg(loaded.problems[i].text);
    if (loaded.problems.size() > kShown)
        text += QStringLiteral("\nほか %1 行").arg(loaded.problems.size() - kShown);
    return text;
}

QString standingNameScreenNotice(const RunState& state, const Outcome<RosterLoadResult>& loaded) {
    QStringList notices;
    if (!state.settings.recordingProblem.isEmpty())
        notices << state.settings.recordingProblem;
    if (loaded)
        if (const QString roster = rosterEncodingShortNotice(loaded->encoding); !roster.isEmpty())
            notices << roster;
    return notices.join(u'\n');
}

} // namespace kz

#include "fakes.h"

namespace kz::test {

void RecordingCues::record(const QString& cue) {
    played << cue;
    if (onPlay)
        onPlay(cue);
}

void RecordingNavigator::record(const QString& call) {
    calls << call;
    if (onCall)
        onCall(call);
}

} // namespace kz::test

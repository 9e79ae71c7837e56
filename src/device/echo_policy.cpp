#include "device/echo_policy.h"

namespace corvane::device {

bool EchoPolicy::Echoes(const ReportPacket& request, const ReportPacket& answer) {
    return answer.CommandByte() == request.CommandByte() && answer.Offset() == request.Offset();
}

EchoPolicy::Check EchoPolicy::Examine(const ReportPacket& request, const ReportPacket& answer) const {
    if (ReturnsData(request.CommandByte()) && answer.Length() != request.Length()) {
        return Check::WrongLength;
    }
    if (EchoRequired() && !Echoes(request, answer)) return Check::NoEcho;
    return Check::Taken;
}

void EchoPolicy::Note(const ReportPacket& request, const ReportPacket& answer) {
    if (!inLesson_) return;
    if (Echoes(request, answer)) {
        ++echoed_;
    } else {
        ++notEchoed_;
    }
}

void EchoPolicy::BeginLesson() {
    inLesson_ = known_ == Known::Nothing;
    echoed_ = 0;
    notEchoed_ = 0;
}

std::optional<EchoPolicy::Lesson> EchoPolicy::EndLesson(bool complete) {
    if (!inLesson_) return std::nullopt;
    inLesson_ = false;
    // A read that did not go through proves nothing; one whose answers disagree is left for the
    // next read to settle: a device repeats its requests always or never.
    if (!complete || (echoed_ > 0 && notEchoed_ > 0) || echoed_ + notEchoed_ == 0) {
        return Lesson::Inconclusive;
    }
    known_ = notEchoed_ == 0 ? Known::Echoes : Known::DoesNotEcho;
    return known_ == Known::Echoes ? Lesson::Echoes : Lesson::DoesNotEcho;
}

void EchoPolicy::Forget() {
    known_ = Known::Nothing;
    inLesson_ = false;
    echoed_ = 0;
    notEchoed_ = 0;
}

}  // namespace corvane::device

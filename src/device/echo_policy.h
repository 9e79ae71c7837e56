#pragma once

#include <cstddef>
#include <optional>

#include "device/report_packet.h"

namespace corvane::device {

// Which report a link may take as the answer to its request, and what it learns about that from
// the device.
//
// An answer is laid out as its request. Whether a device fills in the request's command and
// offset again is up to the device, so the link learns it from a full read of the device's state:
// when every answer of such a read repeated its request's command and offset, the device is known
// to repeat them, and from then on a report that does not is no answer to the request (it is a
// late answer to an earlier request, or noise). Until then, and for a device that does not repeat
// them, any whole answer report is taken, and the link waits for a late answer after a request
// that went unanswered instead (DeviceLink). Whatever the device: a read's answer carries the
// length the read asked for.
//
// Forgotten when a device is opened again: another device may have taken its place. Not
// thread-safe; the link keeps it under its lock.
class EchoPolicy {
public:
    enum class Check {
        Taken,
        WrongLength,  // a read's answer with another length than asked for
        NoEcho,       // the device repeats requests, and this report does not repeat this one
    };
    enum class Lesson {
        Echoes,        // every answer of the read repeated its request: required from now on
        DoesNotEcho,   // no answer did: the device's answers are taken as they come
        Inconclusive,  // the read was not complete, or its answers disagree: nothing learnt
    };

    [[nodiscard]] Check Examine(const ReportPacket& request, const ReportPacket& answer) const;
    // Notes an answer that was taken, for the lesson under way (if any).
    void Note(const ReportPacket& request, const ReportPacket& answer);

    // A full read of the device begins; its answers are noted until it ends.
    void BeginLesson();
    // The read ended, `complete` when every command of it succeeded. What it taught, or nullopt
    // when nothing new was learnt (no lesson under way, or the echo was known before).
    std::optional<Lesson> EndLesson(bool complete);

    void Forget();
    bool EchoRequired() const { return known_ == Known::Echoes; }
    // A device whose answers cannot be told apart by their request: a late answer must be waited
    // out, not taken by the next request.
    bool AnswersNeedSettling() const { return !EchoRequired(); }

    static bool Echoes(const ReportPacket& request, const ReportPacket& answer);

private:
    enum class Known { Nothing, Echoes, DoesNotEcho };

    Known known_ = Known::Nothing;
    bool inLesson_ = false;
    std::size_t echoed_ = 0;
    std::size_t notEchoed_ = 0;
};

}  // namespace corvane::device

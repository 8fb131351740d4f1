#pragma once

#include <QString>

// What the meeting place on Windows names a user and a session by. Any thread.
namespace quillmorph::meeting {

// The SID of the user this process runs as, as text ("S-1-5-21-…"); empty when unknown.
QString thisUserSid();

// The session (console or remote desktop) this process runs in.
quint32 thisSession();

// The tag of one user's lock and pipe in one session: their SID and the session's number.
QString userTagOf(const QString& sid, quint32 session);

} // namespace quillmorph::meeting

// Who is logged on: counted over the Terminal Services sessions.
#ifndef KV_SUITE_USER_SESSIONS_H
#define KV_SUITE_USER_SESSIONS_H

// 1 when more than one session (active, connected or disconnected) has a
// logged-on user, else 0. The session functions come from "Wtsapi32.dll",
// loaded from the system directory for this call only. When the local
// server gives no handle, its sessions are listed through
// WTS_CURRENT_SERVER_HANDLE. Every other failure (no library, a missing
// function, a failed enumeration) answers 0, and a session whose user cannot
// be read is not counted.
int HasOtherUserSessions();

#endif  // KV_SUITE_USER_SESSIONS_H

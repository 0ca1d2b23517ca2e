// Tells systemd how the service stands ("READY=1" once it listens,
// "STOPPING=1" when it ends) through $NOTIFY_SOCKET; the unit is of type
// notify, so the service counts as running only from READY=1 on.
#pragma once

// False when there is no such socket (not started by systemd) or the
// message could not be sent.
bool NotifyServiceManager(const char* state);

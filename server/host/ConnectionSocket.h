// FindConnectionSocket: the socket of the connection a request came on.
// civetweb does not hand it out; reading a request body needs to know how
// many bytes have arrived, so that no read waits for bytes a slow client
// has not sent yet.
#pragma once

struct mg_request_info;

// The descriptor whose peer and local port are the request's, -1 when none
// is found. The connection keeps it: never close it.
int FindConnectionSocket(const mg_request_info* info);
// How many bytes can be read from the socket without waiting (0 on error).
int ArrivedBytes(int socket);

// SendTextReply: a plain-text HTTP/1.1 reply written to the connection in
// one piece (status line, headers, body). civetweb's header functions send
// every header line as a segment of its own.
#pragma once

#include <string>

struct mg_connection;

// Content-Type text/plain (UTF-8), Content-Length, Server "Lumeno", Date and
// the Connection header civetweb would choose with keep-alive enabled, or
// "close" when the caller leaves the request unread.
void SendTextReply(mg_connection* conn, int status, const std::string& body, bool close = false);

#include "HttpReply.h"

#include <civetweb.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <strings.h>

namespace {

// A Connection header that lists keep-alive keeps the connection; without
// one, HTTP/1.1 does.
bool KeepAlive(const mg_connection* conn) {
    const char* header = mg_get_header(conn, "Connection");
    if (header) {
        for (const char* p = header; *p;) {
            while (*p == ' ' || *p == '\t' || *p == ',') ++p;
            const char* end = p;
            while (*end && *end != ',' && *end != ' ' && *end != '\t') ++end;
            if (end - p == 10 && strncasecmp(p, "keep-alive", 10) == 0) return true;
            p = end;
        }
        return false;
    }
    const mg_request_info* info = mg_get_request_info(conn);
    return info && info->http_version && strcmp(info->http_version, "1.1") == 0;
}

// RFC 7231 date; the names are fixed, whatever the locale.
void FormatDate(char* out, size_t size) {
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const time_t now = time(nullptr);
    struct tm t;
    gmtime_r(&now, &t);
    snprintf(out, size, "%s, %02d %s %04d %02d:%02d:%02d GMT", days[t.tm_wday], t.tm_mday,
             months[t.tm_mon], t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
}

}  // namespace

void SendTextReply(mg_connection* conn, int status, const std::string& body, bool close) {
    char date[64];
    FormatDate(date, sizeof date);
    const char* reason = mg_get_response_code_text(conn, status);
    std::string reply;
    reply.reserve(body.size() + 256);
    reply += "HTTP/1.1 ";
    reply += std::to_string(status);
    reply += ' ';
    reply += reason ? reason : "";
    reply += "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: ";
    reply += std::to_string(body.size());
    reply += "\r\nServer: Lumeno\r\nDate: ";
    reply += date;
    reply += !close && KeepAlive(conn) ? "\r\nConnection: keep-alive\r\n\r\n" : "\r\nConnection: close\r\n\r\n";
    reply += body;
    mg_write(conn, reply.data(), reply.size());
}

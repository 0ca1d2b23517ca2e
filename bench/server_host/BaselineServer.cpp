#include "BaselineServer.h"

#include "HttpReply.h"

#include <civetweb.h>

#include <cstring>

namespace {

// "ok" as the server writes a command reply; under /headers through
// civetweb's header functions instead.
int AnswerOk(mg_connection* conn) {
    const mg_request_info* info = mg_get_request_info(conn);
    if (info->local_uri && strcmp(info->local_uri, "/headers") == 0) {
        mg_response_header_start(conn, 200);
        mg_response_header_add(conn, "Content-Type", "text/plain; charset=utf-8", -1);
        mg_response_header_add(conn, "Content-Length", "2", -1);
        mg_response_header_add(conn, "Server", "Lumeno", -1);
        mg_response_header_send(conn);
        mg_write(conn, "ok", 2);
        return 200;
    }
    SendTextReply(conn, 200, "ok");
    return 200;
}

}  // namespace

void CBaselineServer::ContextStopper::operator()(mg_context* context) const {
    mg_stop(context);
}

CBaselineServer::~CBaselineServer() {
    Stop();
}

void CBaselineServer::Stop() {
    m_context.reset();
}

bool CBaselineServer::Start(int port) {
    Stop();
    mg_callbacks callbacks;
    memset(&callbacks, 0, sizeof callbacks);
    callbacks.begin_request = AnswerOk;
    const std::string listen = "127.0.0.1:" + std::to_string(port);
    const char* options[] = {"listening_ports", listen.c_str(),
                             "num_threads", "16",
                             "request_timeout_ms", "30000",
                             "enable_keep_alive", "yes",
                             nullptr};
    mg_context* context = mg_start(&callbacks, nullptr, options);
    if (!context) {
        m_error = "civetweb cannot listen on " + listen;
        return false;
    }
    m_context.reset(context);
    m_port = port;
    return true;
}

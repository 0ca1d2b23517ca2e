#include "CWebServer.h"

#include "CommandHandlers.h"
#include "ConnectionSocket.h"
#include "HttpReply.h"
#include "LogMask.h"
#include "LogWriter.h"

#include <civetweb.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>
#include <vector>

namespace {

// CGI programs see the server as Lumeno: env sets the variable and a shell
// runs the program, which civetweb names relative to its folder.
const char kCgiStarter[] =
    "-SSERVER_SOFTWARE=Lumeno/1.4 /bin/sh -c "
    "'case \"$0\" in */*) exec \"$0\" ;; *) exec \"./$0\" ;; esac'";

// The command name: the second segment of the path.
bool SecondSegment(const std::string& path, std::string& name) {
    size_t first = path.find('/');
    if (first == std::string::npos) return false;
    size_t second = path.find('/', first + 1);
    if (second == std::string::npos) return false;
    size_t end = path.find('/', second + 1);
    name = path.substr(second + 1, end == std::string::npos ? std::string::npos : end - second - 1);
    return !name.empty();
}

// True when the path lies under the form root: the root itself, or the root
// and "/" and more ("/Lumenox" is not under "/Lumeno").
bool UnderFormRoot(const std::string& path, const std::string& root) {
    return path.compare(0, root.size(), root) == 0 &&
           (path.size() == root.size() || path[root.size()] == '/' || root.back() == '/');
}

// True when a segment of the decoded path starts with a dot: hidden files
// (".htpasswd" among them) and "." or ".." are never served.
bool HasHiddenSegment(const std::string& path) {
    return path.find("/.") != std::string::npos || (!path.empty() && path[0] == '.');
}

// How many headers of this name the request holds.
int HeaderCount(const mg_request_info* info, const char* name) {
    int count = 0;
    for (int i = 0; i < info->num_headers; ++i)
        count += strcasecmp(info->http_headers[i].name, name) == 0 ? 1 : 0;
    return count;
}

// The password file guarding the folder a file lies in, empty when none.
std::string GuardOf(const std::string& file) {
    const std::string guard = file.substr(0, file.rfind('/') + 1) + ".htpasswd";
    struct stat info;
    return stat(guard.c_str(), &info) == 0 ? guard : std::string();
}

bool IsCommandName(const std::string& name) {
    const auto& names = CommandNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

// civetweb's messages may quote a request: its session id and password
// stay out of the log.
std::string MaskRequestSecrets(std::string text) {
    for (const char* name : {"session_id=", "password=", "id="}) {
        for (size_t at = 0; (at = text.find(name, at)) != std::string::npos;) {
            const size_t value = at + strlen(name);
            size_t end = text.find_first_of("& \t\r\n\"'", value);
            if (end == std::string::npos) end = text.size();
            text.replace(value, end - value, kMaskedValue);
            at = value + strlen(kMaskedValue);
        }
    }
    return text;
}

}  // namespace

void CWebServer::ContextStopper::operator()(mg_context* context) const {
    mg_stop(context);
}

CWebServer::CWebServer(CServerState& state) : m_state(state) {}

CWebServer::~CWebServer() {
    Stop();
}

void CWebServer::Stop() {
    m_context.reset();
}

bool CWebServer::Start(const std::string& documentRoot, int port, int retries) {
    Stop();
    m_documentRoot = documentRoot;
    const std::string cgiPattern = documentRoot + "/cgi-bin/**";
    mg_callbacks callbacks;
    memset(&callbacks, 0, sizeof callbacks);
    callbacks.begin_request = OnBeginRequest;
    callbacks.log_message = OnLogMessage;
    const CServerConfig& c = m_state.config;
    const std::string threads = std::to_string(c.numThreads);
    const std::string queue = std::to_string(c.connectionQueue);
    const std::string requestSize = std::to_string(static_cast<long long>(c.maxRequestKb) * 1024);
    const std::string requestTimeout = std::to_string(c.requestTimeoutMs);
    const std::string keepAliveTimeout = std::to_string(c.keepAliveTimeoutMs);
    // Room for the bodies of 16 largest requests at once; beyond it a
    // request is refused (503) until others are done.
    m_bodyBudget.SetLimit(16 * static_cast<size_t>(c.maxRequestKb) * 1024);
    for (int p = port; p <= port + retries; ++p) {
        std::string listen = std::to_string(p);
        if (!c.bindAddress.empty()) listen = c.bindAddress + ":" + listen;
        const char* options[] = {"document_root", documentRoot.c_str(),
                                 "listening_ports", listen.c_str(),
                                 "index_files", "index.htm",
                                 "cgi_pattern", cgiPattern.c_str(),
                                 "cgi_interpreter", "/usr/bin/env",
                                 "cgi_interpreter_args", kCgiStarter,
                                 "num_threads", threads.c_str(),
                                 "connection_queue", queue.c_str(),
                                 "max_request_size", requestSize.c_str(),
                                 "request_timeout_ms", requestTimeout.c_str(),
                                 "keep_alive_timeout_ms", keepAliveTimeout.c_str(),
                                 "enable_keep_alive", "yes",
                                 "enable_directory_listing", "no",
                                 "decode_url", "no",
                                 "additional_header", "Server: Lumeno",
                                 nullptr};
        mg_context* context = mg_start(&callbacks, this, options);
        if (context) {
            m_context.reset(context);
            m_port = p;
            // Port 0 lets the system choose: report the one it chose.
            mg_server_port ports[4];
            if (mg_get_server_ports(context, 4, ports) > 0) m_port = ports[0].port;
            return true;
        }
    }
    m_error = "Open port " + std::to_string(port) +
              " fail,Please ensure that the port can be used, the system will exit!";
    return false;
}

int CWebServer::OnBeginRequest(mg_connection* conn) {
    auto* self = static_cast<CWebServer*>(mg_get_user_data(mg_get_context(conn)));
    return self->HandleRequest(conn);
}

int CWebServer::OnLogMessage(const mg_connection*, const char* message) {
    LogMessage("%s\n", ClientTextForLog(MaskRequestSecrets(message)).c_str());
    return 1;
}

int CWebServer::HandleRequest(mg_connection* conn) {
    const mg_request_info* info = mg_get_request_info(conn);
    // Two lengths leave the end of the body to whoever reads it.
    if (HeaderCount(info, "Content-Length") > 1) {
        SendTextReply(conn, 400, "Bad Request: more than one Content-Length", true);
        return 400;
    }
    // civetweb leaves the path as it came (decode_url is off): a %00 in it
    // is seen here, before any C text could end at it.
    const std::string raw = info->local_uri ? info->local_uri : "";
    const std::string path = PercentDecode(raw);
    if (path.find('\0') != std::string::npos) {
        SendTextReply(conn, 400, "Bad Request: the path holds a NUL character", true);
        return 400;
    }
    // Checked on the decoded path: an escaped dot hides nothing.
    if (HasHiddenSegment(path)) {
        mg_send_http_error(conn, 404, "%s", "Error 404: Not Found");
        return 404;
    }
    if (path.empty() || path == "/") {
        mg_response_header_start(conn, 302);
        mg_response_header_add(conn, "Location", "/index.htm", -1);
        mg_response_header_add(conn, "Content-Length", "0", -1);
        mg_response_header_add(conn, "Server", "Lumeno", -1);
        mg_response_header_send(conn);
        return 302;
    }
    const bool isForm = strcmp(info->request_method, "GET") == 0 ||
                        strcmp(info->request_method, "POST") == 0;
    if (!isForm) return 0;
    const std::string& root = m_state.config.webFormRoot;
    std::string name;
    const bool hasName = SecondSegment(path, name);
    if (root.empty()) {
        // Without a form root every path is a form; files that exist are
        // still served.
        if (!hasName || !IsCommandName(name)) {
            if (IsServedPath(path)) return ServeFile(conn, raw, path);
            SendTextReply(conn, 200,
                          hasName ? "Form " + name + " is not defined" : "Missing form name");
            return 200;
        }
    } else if (!UnderFormRoot(path, root)) {
        return ServeFile(conn, raw, path);
    } else if (!hasName) {
        SendTextReply(conn, 200, "Missing form name");
        return 200;
    }
    return ServeCommand(conn, name);
}

bool CWebServer::IsServedPath(const std::string& path) const {
    if (path.compare(0, 9, "/cgi-bin/") == 0) return true;
    struct stat info;
    return stat((m_documentRoot + path).c_str(), &info) == 0;
}

int CWebServer::ServeFile(mg_connection* conn, const std::string& raw, const std::string& path) {
    // A plain path means the same to civetweb: it serves the file, the
    // folder's index or a CGI program itself.
    if (path == raw) return 0;
    // An escaped one names a file by its decoded name (no segment of it is
    // hidden: see HandleRequest); only plain files and folder indexes under
    // the root are served that way, behind the folder's password file as
    // civetweb keeps a plain path.
    std::string file = m_documentRoot + path;
    struct stat info;
    if (path.compare(0, 9, "/cgi-bin/") != 0 && stat(file.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) file += "/index.htm";
        if (stat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            const std::string guard = GuardOf(file);
            if (!guard.empty() && mg_check_digest_access_authentication(conn, nullptr, guard.c_str()) <= 0) {
                mg_send_digest_access_authentication_request(conn, nullptr);
                return 401;
            }
            mg_send_file(conn, file.c_str());
            return 200;
        }
    }
    mg_send_http_error(conn, 404, "%s", "Error 404: Not Found");
    return 404;
}

// The body of a POST request, read only while it stays within the limit,
// the shared budget and the request time, which counts from the end of the
// headers. mg_read waits until it has all it was asked for, however slowly
// the bytes come: it is asked for no more than have arrived (one byte when
// that is unknown, as in a chunked body), and the deadline is checked after
// every read.
int CWebServer::ReadBody(mg_connection* conn, CBodyBudget::CShare& share, std::string& body) {
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(m_state.config.requestTimeoutMs);
    const mg_request_info* info = mg_get_request_info(conn);
    const size_t limit = static_cast<size_t>(m_state.config.maxRequestKb) * 1024;
    if (info->content_length > static_cast<long long>(limit)) return 413;
    const int socket = info->content_length > 0 ? FindConnectionSocket(info) : -1;
    const size_t kShare = 1024;  // the budget is taken a KiB at a time
    size_t taken = 0;
    for (;;) {
        size_t want = socket >= 0 ? static_cast<size_t>(ArrivedBytes(socket)) : 0;
        want = std::max<size_t>(1, std::min(want, limit + 1 - body.size()));
        while (taken < body.size() + want) {
            if (!share.Take(kShare)) return 503;
            taken += kShare;
        }
        const size_t at = body.size();
        body.resize(at + want);
        const int got = mg_read(conn, &body[at], want);
        body.resize(at + static_cast<size_t>(std::max(got, 0)));
        if (got <= 0) break;
        if (body.size() > limit) return 413;
        if (std::chrono::steady_clock::now() > deadline) return 408;
    }
    // A read that waited a whole request time without a byte ends early.
    if (info->content_length > 0 && static_cast<long long>(body.size()) < info->content_length)
        return 408;
    return 200;
}

int CWebServer::ServeCommand(mg_connection* conn, const std::string& name) {
    const mg_request_info* info = mg_get_request_info(conn);
    CCommandRequest request;
    if (info->query_string) ParseQueryVariables(info->query_string, request);
    CBodyBudget::CShare share(m_bodyBudget);
    if (strcmp(info->request_method, "POST") == 0) {
        std::string body;
        const int status = ReadBody(conn, share, body);
        if (status != 200) {
            // The rest of the body stays unread; the reply asks the client
            // to close the connection.
            SendTextReply(conn, status, status == 413 ? "request body too large"
                                        : status == 503 ? "server busy, try again"
                                                        : "request body too slow", true);
            return status;
        }
        ParseFormBody(body, request);
    }
    bool known = true;
    m_executor.Run([&] {
        try {
            known = DispatchCommand(m_state, name, request);
        } catch (const std::exception& e) {
            // Nothing may unwind into the web server's C code.
            LogMessage("command %s failed: %s\n", name.c_str(), ClientTextForLog(e.what()).c_str());
            request.ClearReply();
            request.Write(ErrorReply(m_state, std::string("internal error: ") + e.what()));
        }
    });
    if (!known) {
        SendTextReply(conn, 200, "Form " + name + " is not defined");
        return 200;
    }
    SendTextReply(conn, 200, request.GetReply());
    return 200;
}

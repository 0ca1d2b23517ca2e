#include "AddressClient.h"

#include "ServerFixture.h"

#include <curl/curl.h>

#include <memory>

namespace {

// md5("admin"): the seed's admin account with use_pass_encode=1.
const char kAdminDigest[] = "21232f297a57a5a743894a0e4a801fc3";

size_t Collect(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

struct CEasyCleanup {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

}  // namespace

bool CAddressClient::Get(const std::string& pathAndQuery, std::string& body) const {
    body.clear();
    std::unique_ptr<CURL, CEasyCleanup> handle(curl_easy_init());
    if (!handle) {
        body = "curl_easy_init failed";
        return false;
    }
    CURL* curl = handle.get();
    const std::string url = "http://127.0.0.1:" + std::to_string(m_port) + pathAndQuery;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_INTERFACE, m_address.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 60L);
    curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    const CURLcode rc = curl_easy_perform(curl);
    if (rc != CURLE_OK) {
        body = std::string("transfer failed: ") + curl_easy_strerror(rc);
        return false;
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) {
        body = "status " + std::to_string(status) + ": " + body;
        return false;
    }
    return true;
}

bool CAddressClient::Login() {
    std::string reply;
    if (!Get("/Lumeno/web_login?" +
                 CServerFixture::Escape(std::string("account=admin&password=") + kAdminDigest),
             reply) ||
        reply.size() < 17 || reply.compare(0, 2, "-1") == 0)
        return false;
    m_session = reply;
    return true;
}

bool CAddressClient::Command(const std::string& cmd, const std::string& params,
                             std::string& reply) {
    const std::string path = "/Lumeno/" + cmd + "?" + CServerFixture::Escape(params) + "&session_id=";
    if (!Get(path + m_session, reply)) return false;
    if (reply != "deny") return true;
    ++m_relogins;
    if (!Login()) return true;  // "deny" stays the reply
    return Get(path + m_session, reply);
}

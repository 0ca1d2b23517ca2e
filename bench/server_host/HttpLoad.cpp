#include "HttpLoad.h"

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

size_t Collect(char* data, size_t size, size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

struct CEasyHandle {
    CURL* curl = curl_easy_init();
    ~CEasyHandle() {
        if (curl) curl_easy_cleanup(curl);
    }
};

// Runs clients that take request numbers from next until more() says stop.
CLoadResult Run(int threads, const std::function<bool(long)>& more, const UrlMaker& url,
                const ReplyCheck& check) {
    std::atomic<long> next{0}, done{0}, failed{0};
    std::mutex failureMutex;
    std::string firstFailure;
    auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> clients;
    for (int t = 0; t < threads; ++t) {
        clients.emplace_back([&, t] {
            std::string body;
            for (;;) {
                const long i = next++;
                if (!more(i)) break;
                const bool ok = FetchOnce(url(t, i), body) && check(body);
                if (ok) {
                    ++done;
                    continue;
                }
                ++failed;
                std::lock_guard<std::mutex> lock(failureMutex);
                if (firstFailure.empty()) firstFailure = body.substr(0, 300);
            }
        });
    }
    for (auto& c : clients) c.join();
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    CLoadResult result;
    result.requests = done;
    result.failures = failed;
    result.seconds = elapsed.count();
    result.firstFailure = firstFailure;
    return result;
}

}  // namespace

bool FetchOnce(const std::string& url, std::string& body) {
    body.clear();
    CEasyHandle handle;
    if (!handle.curl) {
        body = "curl_easy_init failed";
        return false;
    }
    CURL* curl = handle.curl;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
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

CLoadResult RunForTime(int threads, double seconds, const UrlMaker& url, const ReplyCheck& check) {
    const auto until = std::chrono::steady_clock::now() +
                       std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                           std::chrono::duration<double>(seconds));
    return Run(
        threads, [until](long) { return std::chrono::steady_clock::now() < until; }, url, check);
}

CLoadResult RunCount(int threads, long total, const UrlMaker& url, const ReplyCheck& check) {
    return Run(threads, [total](long i) { return i < total; }, url, check);
}

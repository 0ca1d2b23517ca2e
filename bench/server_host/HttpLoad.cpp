#include "HttpLoad.h"

#include "AddressClient.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

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

bool FetchOnce(const std::string& url, std::string& body) { return FetchFrom("", url, body); }

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

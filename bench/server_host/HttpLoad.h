// Load generation as the client does it: every request on a new libcurl
// easy handle and a new connection, from one or more threads at once.
#pragma once

#include <functional>
#include <string>

struct CLoadResult {
    long requests = 0;  // answered and accepted by the check
    long failures = 0;  // transfer failed, status not 200, or check refused
    double seconds = 0;
    std::string firstFailure;

    double Rate() const { return seconds > 0 ? requests / seconds : 0; }
};

// The URL of request number i of client thread t.
typedef std::function<std::string(int t, long i)> UrlMaker;
// True when a reply body is what the request should get.
typedef std::function<bool(const std::string& body)> ReplyCheck;

// One GET on a fresh handle and connection; false when the transfer failed
// or the status was not 200 (the reason in body).
bool FetchOnce(const std::string& url, std::string& body);

// threads clients, each sending requests one after another until seconds
// have passed.
CLoadResult RunForTime(int threads, double seconds, const UrlMaker& url, const ReplyCheck& check);
// threads clients sharing total requests.
CLoadResult RunCount(int threads, long total, const UrlMaker& url, const ReplyCheck& check);

#pragma once
// One HTTP exchange on libcurl that another thread can abort at any moment: the abort wakes
// libcurl's wait at once, and the handles are always freed by the thread that runs the exchange.

#include "web/cookie_store.h"
#include "web/http_target.h"

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

namespace dropship {

struct CurlExchange {
    HttpTarget target;
    bool post = false;
    std::string body; // sent only by a POST
    std::string userAgent;
    std::vector<std::string> headers; // header lines in order, "Name: value"; "Name:" suppresses one
    long stallSeconds = 60;           // connect time-out, and the longest stretch without a byte
};

class CurlTransfer {
  public:
    // Runs the exchange; true and the whole body when it completed, false (body cleared) on any
    // failure or abort. Call once.
    bool run(CookieStore& store, const CurlExchange& exchange, std::string& body);
    // Safe from any thread, before, during or after run.
    void abort();
    bool aborted() const { return aborted_.load(); }

  private:
    std::atomic<bool> aborted_{false};
    std::mutex multiMutex_; // guards multi_ against a concurrent abort while it is freed
    void* multi_ = nullptr; // the CURLM* of the exchange under way
};

} // namespace dropship

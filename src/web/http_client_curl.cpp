#include "web/http_client_curl.h"

#include "web/curl_transfer.h"
#include "web/gbk.h"

#include <algorithm>
#include <condition_variable>
#include <list>
#include <mutex>
#include <optional>
#include <thread>

namespace dropship {
namespace {

constexpr const char* kPlainUserAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
constexpr const char* kTimedUserAgent = "Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; Trident/5.0)";
constexpr const char* kTimedAccept =
    "Accept: image/gif, image/bmp, image/x-xbitmap, image/jpeg, image/pjpeg, "
    "application/x-shockwave-flash, application/vnd.ms-excel, "
    "application/vnd.ms-powerpoint, application/msword, */*";
constexpr const char* kFormType = "Content-Type: application/x-www-form-urlencoded";

// The plain operation sends the same four lines for GET and POST; libcurl adds Content-Length to a
// POST, and "Expect:" keeps it from ever adding "Expect: 100-continue".
std::optional<CurlExchange> plainExchange(const std::string& url, int method, const std::string& body) {
    auto target = httpTarget(url);
    if (!target)
        return std::nullopt;
    CurlExchange exchange{*target, method == 1, method == 1 ? body : std::string(), kPlainUserAgent, {}};
    exchange.headers = {"Accept: */*", "Referer: " + url, "Accept-Language: zh-cn", kFormType, "Expect:"};
    return exchange;
}

// The timed operation names the form type only for a POST that has a body (libcurl then adds the
// length); "Content-Type:" stops libcurl from adding its own for an empty POST.
std::optional<CurlExchange> timedExchange(const std::string& url, int method, const Bytes& body) {
    auto target = httpTarget(url);
    if (!target)
        return std::nullopt;
    const bool post = method == 1;
    CurlExchange exchange{*target, post, post ? body : std::string(), kTimedUserAgent, {}};
    exchange.headers = {kTimedAccept, "Referer: " + url, "Accept-Language: zh-cn"};
    exchange.headers.push_back(post && !body.empty() ? kFormType : "Content-Type:");
    exchange.headers.push_back("Expect:");
    return exchange;
}

// A transfer run by a worker thread on behalf of a waiting caller.
struct Worker {
    CurlTransfer transfer;
    std::mutex mutex;
    std::condition_variable_any finished;
    bool done = false;
    Bytes body;
    std::thread thread;
};

} // namespace

const Bytes& timedOutAnswer() {
    static const Bytes text =
        utf8ToGbk("超时返回，指定网站不能访问，或者你的网络出现问题，你可以把参数中的＂超时＂值设置长一些。");
    return text;
}

struct CurlHttpClient::Impl {
    Impl(CookieStore& s, CurlHttpClientOptions o) : store(s), options(std::move(o)) {}

    CookieStore& store;
    CurlHttpClientOptions options;
    std::mutex workersMutex;
    std::list<std::shared_ptr<Worker>> workers;

    // Joins workers whose transfer has ended; those of abandoned requests end soon after the abort.
    void reapFinished() {
        std::lock_guard lock(workersMutex);
        for (auto it = workers.begin(); it != workers.end();) {
            bool done = false;
            {
                std::lock_guard workerLock((*it)->mutex);
                done = (*it)->done;
            }
            if (done) {
                (*it)->thread.join();
                it = workers.erase(it);
            } else {
                ++it;
            }
        }
    }
};

CurlHttpClient::CurlHttpClient(CookieStore& store, CurlHttpClientOptions options)
    : impl_(std::make_unique<Impl>(store, std::move(options))) {}

CurlHttpClient::~CurlHttpClient() {
    std::lock_guard lock(impl_->workersMutex);
    for (auto& worker : impl_->workers)
        worker->transfer.abort();
    for (auto& worker : impl_->workers)
        worker->thread.join();
}

Bytes CurlHttpClient::httpRequest(const std::string& url, int method, const std::string& body,
                                  std::stop_token stop) {
    auto exchange = plainExchange(url, method, body);
    if (!exchange || stop.stop_requested())
        return {};
    exchange->stallSeconds = std::max<long>(1, static_cast<long>(impl_->options.stallTimeout.count()));
    CurlTransfer transfer;
    std::stop_callback onStop(stop, [&transfer] { transfer.abort(); });
    Bytes answer;
    transfer.run(impl_->store, *exchange, answer);
    return answer;
}

Bytes CurlHttpClient::httpRequestTimed(const std::string& url, int method, const Bytes& body,
                                       int timeoutSeconds, std::stop_token stop) {
    impl_->reapFinished();
    auto exchange = timedExchange(url, method, body);
    if (exchange)
        exchange->stallSeconds = std::max<long>(1, static_cast<long>(impl_->options.stallTimeout.count()));
    if (!exchange || stop.stop_requested())
        return {};
    const auto seconds = timeoutSeconds > 0 ? timeoutSeconds : 60;
    const auto timeout = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double, std::milli>(seconds * 1000.0 * impl_->options.timeoutScale));

    auto worker = std::make_shared<Worker>();
    CookieStore& store = impl_->store;
    try {
        worker->thread = std::thread([worker, &store, exchange = std::move(*exchange)] {
            Bytes answer;
            worker->transfer.run(store, exchange, answer);
            std::lock_guard lock(worker->mutex);
            worker->body = std::move(answer);
            worker->done = true;
            worker->finished.notify_all();
        });
    } catch (const std::system_error&) {
        return {}; // no thread to run it: a failed request
    }
    {
        std::lock_guard lock(impl_->workersMutex);
        impl_->workers.push_back(worker);
    }

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const auto slice = impl_->options.whileWaiting ? impl_->options.waitSlice : timeout;
    std::unique_lock lock(worker->mutex);
    for (;;) {
        const auto wakeAt = std::min(deadline, std::chrono::steady_clock::now() + slice);
        worker->finished.wait_until(lock, stop, wakeAt, [&] { return worker->done; });
        if (worker->done)
            return std::move(worker->body);
        if (stop.stop_requested() || std::chrono::steady_clock::now() >= deadline)
            break;
        if (impl_->options.whileWaiting) {
            lock.unlock();
            impl_->options.whileWaiting();
            lock.lock();
        }
    }
    lock.unlock();
    worker->transfer.abort();
    return stop.stop_requested() ? Bytes{} : timedOutAnswer();
}

} // namespace dropship

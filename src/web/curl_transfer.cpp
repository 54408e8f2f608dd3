#include "web/curl_transfer.h"

#include "web/curl_global.h"

#include <curl/curl.h>

namespace dropship {
namespace {

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

int checkAbort(void* transfer, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<CurlTransfer*>(transfer)->aborted() ? 1 : 0;
}

struct HeaderList {
    curl_slist* list = nullptr;
    ~HeaderList() { curl_slist_free_all(list); }
};

void configure(CURL* easy, CookieStore& store, const CurlExchange& exchange, curl_slist* headers,
               std::string& body, CurlTransfer* self) {
    const std::string url = effectiveUrl(exchange.target);
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str()); // libcurl copies strings it is given
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 30L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_SHARE, store.share());
    curl_easy_setopt(easy, CURLOPT_COOKIEFILE, ""); // switches the cookie engine on, reads no file
    curl_easy_setopt(easy, CURLOPT_USERAGENT, exchange.userAgent.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &appendBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, exchange.stallSeconds);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, exchange.stallSeconds);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &checkAbort);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, self);
    if (exchange.post) {
        curl_easy_setopt(easy, CURLOPT_POST, 1L);
        curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(exchange.body.size()));
        curl_easy_setopt(easy, CURLOPT_COPYPOSTFIELDS, exchange.body.data());
    } else {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }
}

} // namespace

bool CurlTransfer::run(CookieStore& store, const CurlExchange& exchange, std::string& body) {
    ensureCurlGlobalInit();
    body.clear();
    HeaderList headers;
    for (const std::string& line : exchange.headers)
        headers.list = curl_slist_append(headers.list, line.c_str());
    CURL* easy = curl_easy_init();
    CURLM* multi = curl_multi_init();
    bool completed = false;
    if (easy && multi && headers.list) {
        configure(easy, store, exchange, headers.list, body, this);
        {
            std::lock_guard lock(multiMutex_);
            multi_ = multi;
        }
        curl_multi_add_handle(multi, easy);
        int running = 1;
        while (!aborted()) {
            if (curl_multi_perform(multi, &running) != CURLM_OK || running == 0)
                break;
            if (curl_multi_poll(multi, nullptr, 0, 1000, nullptr) != CURLM_OK)
                break;
        }
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left))
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy)
                completed = message->data.result == CURLE_OK;
        curl_multi_remove_handle(multi, easy);
        std::lock_guard lock(multiMutex_);
        multi_ = nullptr;
    }
    curl_easy_cleanup(easy);
    curl_multi_cleanup(multi);
    store.syncAfterTransfer();
    if (!completed || aborted()) {
        body.clear();
        return false;
    }
    return true;
}

void CurlTransfer::abort() {
    aborted_.store(true);
    std::lock_guard lock(multiMutex_);
    if (multi_)
        curl_multi_wakeup(multi_);
}

} // namespace dropship

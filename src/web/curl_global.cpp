#include "web/curl_global.h"

#include <curl/curl.h>
#include <mutex>

namespace dropship {

void ensureCurlGlobalInit() {
    static std::once_flag once;
    // Never cleaned up: handles may live until the very end of the process.
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace dropship

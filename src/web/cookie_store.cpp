#include "web/cookie_store.h"

#include "web/curl_global.h"
#include "web/http_target.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <ctime>
#include <curl/curl.h>
#include <deque>
#include <mutex>

namespace dropship {
namespace {

constexpr std::string_view kHttpOnlyPrefix = "#HttpOnly_";

std::int64_t now() {
    return static_cast<std::int64_t>(std::time(nullptr));
}

bool isLive(const Cookie& cookie) {
    return cookie.expires == 0 || cookie.expires > now();
}

bool hasByteOf(std::string_view text, bool (*bad)(unsigned char)) {
    return std::any_of(text.begin(), text.end(),
                       [bad](char c) { return bad(static_cast<unsigned char>(c)); });
}

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}
bool badInName(unsigned char c) {
    return isControl(c) || c == ' ' || c == '=' || c == ';' || c == ',';
}
bool badInValue(unsigned char c) {
    return isControl(c) || c == ';';
}
bool badInDomain(unsigned char c) {
    return isControl(c) || c == ' ' || c == ';' || c == '/' || c == ',';
}
bool badInPath(unsigned char c) {
    return isControl(c) || c == ';';
}

bool wellFormed(const Cookie& c) {
    const std::string_view bareDomain = c.isDomainCookie() ? std::string_view(c.domain).substr(1) : c.domain;
    return !c.name.empty() && !hasByteOf(c.name, badInName) && !hasByteOf(c.value, badInValue) &&
           !bareDomain.empty() && bareDomain.front() != '.' && !hasByteOf(c.domain, badInDomain) &&
           !c.path.empty() && c.path.front() == '/' && !hasByteOf(c.path, badInPath);
}

std::string lowerAscii(std::string text) {
    for (char& ch : text)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    return text;
}

// One line of libcurl's cookie list: [#HttpOnly_]domain TAB tailmatch TAB path TAB secure TAB
// expires TAB name TAB value.
std::string toNetscapeLine(const Cookie& c, std::int64_t expires) {
    std::string line = c.httpOnly ? std::string(kHttpOnlyPrefix) : std::string();
    line += c.domain + '\t' + (c.isDomainCookie() ? "TRUE" : "FALSE") + '\t' + c.path + '\t' +
            (c.secure ? "TRUE" : "FALSE") + '\t' + std::to_string(expires) + '\t' + c.name + '\t' + c.value;
    return line;
}

std::optional<Cookie> fromNetscapeLine(std::string_view line) {
    Cookie c;
    if (line.substr(0, kHttpOnlyPrefix.size()) == kHttpOnlyPrefix) {
        c.httpOnly = true;
        line.remove_prefix(kHttpOnlyPrefix.size());
    }
    std::array<std::string_view, 7> fields{};
    std::size_t count = 0;
    while (count < fields.size()) {
        const std::size_t tab = count + 1 < fields.size() ? line.find('\t') : std::string_view::npos;
        fields[count++] = line.substr(0, tab);
        if (tab == std::string_view::npos)
            break;
        line.remove_prefix(tab + 1);
    }
    if (count < 6)
        return std::nullopt;
    const bool tailmatch = fields[1] == "TRUE";
    c.domain = std::string(tailmatch && fields[0].substr(0, 1) != "." ? "." : "") + std::string(fields[0]);
    c.path = std::string(fields[2]);
    c.secure = fields[3] == "TRUE";
    std::from_chars(fields[4].data(), fields[4].data() + fields[4].size(), c.expires);
    c.name = std::string(fields[5]);
    c.value = count > 6 ? std::string(fields[6]) : std::string();
    return c;
}

bool pathMatches(std::string_view cookiePath, std::string_view requestPath) {
    if (requestPath.empty())
        requestPath = "/";
    if (requestPath.substr(0, cookiePath.size()) != cookiePath)
        return false;
    return requestPath.size() == cookiePath.size() || cookiePath.back() == '/' ||
           requestPath[cookiePath.size()] == '/';
}

struct Change {
    Cookie cookie;
    bool removed = false;
    CookieStore::Source source = CookieStore::Source::Http;
};

} // namespace

bool cookieDomainMatches(std::string_view cookieDomain, std::string_view host) {
    if (cookieDomain.empty() || cookieDomain.front() != '.')
        return cookieDomain == host;
    const std::string_view bare = cookieDomain.substr(1);
    if (host == bare)
        return true;
    return host.size() > cookieDomain.size() &&
           host.substr(host.size() - cookieDomain.size()) == cookieDomain;
}

struct CookieStore::Impl {
    CURLSH* share = nullptr;
    std::array<std::mutex, CURL_LOCK_DATA_LAST> shareLocks;

    mutable std::mutex stateMutex; // guards control and known
    CURL* control = nullptr;       // used only to read and write the shared cookie list
    struct Known {
        Cookie cookie;
        std::uint64_t order = 0;
    };
    std::vector<Known> known; // the engine's live cookies as last seen, in order of first appearance
    std::uint64_t nextOrder = 0;

    std::mutex queueMutex; // pending notifications, filled under stateMutex in the order of changes
    std::deque<Change> queue;
    std::recursive_mutex notifyMutex; // one delivery at a time; a listener may call back in

    std::mutex listenersMutex;
    std::vector<std::pair<ListenerId, Listener>> listeners;
    ListenerId nextListener = 1;

    static void lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
        static_cast<Impl*>(self)->shareLocks[static_cast<std::size_t>(data)].lock();
    }
    static void unlock(CURL*, curl_lock_data data, void* self) {
        static_cast<Impl*>(self)->shareLocks[static_cast<std::size_t>(data)].unlock();
    }

    std::vector<Cookie> readEngine() const {
        std::vector<Cookie> cookies;
        curl_slist* list = nullptr;
        if (curl_easy_getinfo(control, CURLINFO_COOKIELIST, &list) != CURLE_OK)
            return cookies;
        for (const curl_slist* item = list; item; item = item->next)
            if (auto cookie = fromNetscapeLine(item->data); cookie && isLive(*cookie))
                cookies.push_back(std::move(*cookie));
        curl_slist_free_all(list);
        return cookies;
    }

    const Cookie* findKnown(const Cookie& identity) const {
        for (const Known& k : known)
            if (k.cookie.sameIdentity(identity))
                return &k.cookie;
        return nullptr;
    }

    // Brings `known` up to the engine's list and queues every difference. A difference on the
    // identity `own` is attributed to ownSource, every other one to an HTTP answer.
    void sync(const Cookie* own = nullptr, Source ownSource = Source::Http) {
        const std::vector<Cookie> current = readEngine();
        std::vector<Change> changes;
        auto sourceOf = [&](const Cookie& c) {
            return own && own->sameIdentity(c) ? ownSource : Source::Http;
        };
        std::vector<Known> next;
        for (const Known& k : known) {
            auto it = std::find_if(current.begin(), current.end(),
                                   [&](const Cookie& c) { return c.sameIdentity(k.cookie); });
            if (it == current.end()) {
                changes.push_back({k.cookie, true, sourceOf(k.cookie)});
                continue;
            }
            if (!(*it == k.cookie))
                changes.push_back({*it, false, sourceOf(*it)});
            next.push_back({*it, k.order});
        }
        for (const Cookie& c : current) {
            const bool seen = std::any_of(next.begin(), next.end(),
                                          [&](const Known& k) { return k.cookie.sameIdentity(c); });
            if (!seen) {
                next.push_back({c, nextOrder++});
                changes.push_back({c, false, sourceOf(c)});
            }
        }
        known = std::move(next);
        std::lock_guard queueLock(queueMutex);
        queue.insert(queue.end(), changes.begin(), changes.end());
    }

    bool write(const Cookie& c, std::int64_t expires) {
        const std::string line = toNetscapeLine(c, expires);
        return curl_easy_setopt(control, CURLOPT_COOKIELIST, line.c_str()) == CURLE_OK;
    }

    void deliver() {
        std::lock_guard notifyLock(notifyMutex);
        for (;;) {
            Change change;
            {
                std::lock_guard queueLock(queueMutex);
                if (queue.empty())
                    return;
                change = std::move(queue.front());
                queue.pop_front();
            }
            std::vector<Listener> targets;
            {
                std::lock_guard listenersLock(listenersMutex);
                for (const auto& entry : listeners)
                    targets.push_back(entry.second);
            }
            for (const Listener& listener : targets)
                listener(change.cookie, change.removed, change.source);
        }
    }
};

CookieStore::CookieStore() : impl_(std::make_unique<Impl>()) {
    ensureCurlGlobalInit();
    impl_->share = curl_share_init();
    curl_share_setopt(impl_->share, CURLSHOPT_LOCKFUNC, &Impl::lock);
    curl_share_setopt(impl_->share, CURLSHOPT_UNLOCKFUNC, &Impl::unlock);
    curl_share_setopt(impl_->share, CURLSHOPT_USERDATA, impl_.get());
    curl_share_setopt(impl_->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    impl_->control = curl_easy_init();
    curl_easy_setopt(impl_->control, CURLOPT_SHARE, impl_->share);
}

CookieStore::~CookieStore() {
    curl_easy_cleanup(impl_->control);
    curl_share_cleanup(impl_->share);
}

bool CookieStore::set(const Cookie& cookie, Source source) {
    Cookie c = cookie;
    c.domain = lowerAscii(c.domain);
    bool accepted = false;
    {
        std::lock_guard lock(impl_->stateMutex);
        impl_->sync();
        const Cookie* existing = impl_->findKnown(c);
        const bool touchesHttpOnly = c.httpOnly || (existing && existing->httpOnly);
        if (wellFormed(c) && !(source == Source::Api && touchesHttpOnly)) {
            if (!isLive(c)) {
                // An expiry in the past deletes; without a cookie to delete there is nothing to do.
                accepted = !existing || impl_->write(*existing, 1);
            } else {
                accepted = impl_->write(c, c.expires);
            }
            impl_->sync(&c, source);
            if (accepted && isLive(c)) {
                const Cookie* stored = impl_->findKnown(c);
                accepted = stored && stored->value == c.value && stored->httpOnly == c.httpOnly;
            }
        }
    }
    impl_->deliver();
    return accepted;
}

bool CookieStore::remove(const std::string& name, const std::string& domain, const std::string& path,
                         Source source) {
    Cookie identity;
    identity.name = name;
    identity.domain = lowerAscii(domain);
    identity.path = path;
    bool removed = false;
    {
        std::lock_guard lock(impl_->stateMutex);
        impl_->sync();
        const Cookie* existing = impl_->findKnown(identity);
        if (existing && !(source == Source::Api && existing->httpOnly)) {
            const Cookie victim = *existing;
            impl_->write(victim, 1);
            impl_->sync(&victim, source);
            removed = impl_->findKnown(victim) == nullptr;
        }
    }
    impl_->deliver();
    return removed;
}

std::vector<Cookie> CookieStore::all() const {
    std::vector<Cookie> cookies;
    {
        std::lock_guard lock(impl_->stateMutex);
        impl_->sync();
        for (const Impl::Known& k : impl_->known)
            cookies.push_back(k.cookie);
    }
    impl_->deliver();
    return cookies;
}

std::vector<Cookie> CookieStore::cookiesFor(std::string_view url, bool includeHttpOnly) const {
    const auto target = httpTarget(url);
    if (!target)
        return {};
    const std::string_view path = requestPath(target->objectPath);
    std::vector<Impl::Known> matching;
    {
        std::lock_guard lock(impl_->stateMutex);
        impl_->sync();
        for (const Impl::Known& k : impl_->known) {
            const Cookie& c = k.cookie;
            if ((includeHttpOnly || !c.httpOnly) && (target->secure || !c.secure) &&
                cookieDomainMatches(c.domain, target->host) && pathMatches(c.path, path))
                matching.push_back(k);
        }
    }
    impl_->deliver();
    std::stable_sort(matching.begin(), matching.end(), [](const Impl::Known& a, const Impl::Known& b) {
        return a.cookie.path.size() != b.cookie.path.size() ? a.cookie.path.size() > b.cookie.path.size()
                                                            : a.order < b.order;
    });
    std::vector<Cookie> cookies;
    for (Impl::Known& k : matching)
        cookies.push_back(std::move(k.cookie));
    return cookies;
}

CookieStore::ListenerId CookieStore::addListener(Listener listener) {
    std::lock_guard lock(impl_->listenersMutex);
    const ListenerId id = impl_->nextListener++;
    impl_->listeners.emplace_back(id, std::move(listener));
    return id;
}

void CookieStore::removeListener(ListenerId id) {
    std::lock_guard lock(impl_->listenersMutex);
    std::erase_if(impl_->listeners, [id](const auto& entry) { return entry.first == id; });
}

CURLSH* CookieStore::share() const {
    return impl_->share;
}

void CookieStore::syncAfterTransfer() {
    {
        std::lock_guard lock(impl_->stateMutex);
        impl_->sync();
    }
    impl_->deliver();
}

} // namespace dropship

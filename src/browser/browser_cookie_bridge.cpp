#include "browser/browser_cookie_bridge.h"

#include <QDateTime>
#include <QTimer>
#include <QWebEngineCookieStore>
#include <algorithm>
#include <mutex>

namespace dropship {

namespace {

const QByteArray markerName = QByteArrayLiteral("dropship_bridge_sync");

QString fromStd(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

// State the store's listener reaches from other threads. alive turns false before the bridge
// goes away, under the same lock the listener posts under.
struct BrowserCookieBridge::Shared {
    std::mutex mutex;
    bool alive = true;
    bool drainPosted = false;
    std::vector<std::pair<Cookie, bool>> pending; // cookie, removed

    // Queues a change for the GUI thread; one drain call is posted for any number of changes.
    void post(BrowserCookieBridge* bridge, const Cookie& cookie, bool removed) {
        std::lock_guard lock(mutex);
        if (!alive)
            return;
        pending.emplace_back(cookie, removed);
        if (!drainPosted) {
            drainPosted = true;
            QMetaObject::invokeMethod(bridge, &BrowserCookieBridge::applyStoreChanges, Qt::QueuedConnection);
        }
    }
};

QString BrowserCookieBridge::markerHost() {
    return QStringLiteral("bridge-sync.dropship.invalid");
}

QNetworkCookie BrowserCookieBridge::toBrowserCookie(const Cookie& cookie) {
    QNetworkCookie result(QByteArray::fromStdString(cookie.name), QByteArray::fromStdString(cookie.value));
    // A Domain attribute always makes a domain cookie in Chromium; a host-only cookie is written
    // without one and takes its host from the origin URL.
    if (cookie.isDomainCookie())
        result.setDomain(fromStd(cookie.domain));
    result.setPath(fromStd(cookie.path));
    result.setSecure(cookie.secure);
    result.setHttpOnly(cookie.httpOnly);
    if (cookie.expires > 0)
        result.setExpirationDate(QDateTime::fromSecsSinceEpoch(cookie.expires, Qt::UTC));
    return result;
}

QUrl BrowserCookieBridge::browserOrigin(const Cookie& cookie) {
    const std::string host = cookie.isDomainCookie() ? cookie.domain.substr(1) : cookie.domain;
    QUrl url;
    url.setScheme(cookie.secure ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(fromStd(host));
    url.setPath(fromStd(cookie.path.empty() ? std::string("/") : cookie.path));
    return url;
}

Cookie BrowserCookieBridge::fromBrowserCookie(const QNetworkCookie& cookie) {
    Cookie result;
    result.name = cookie.name().toStdString();
    result.value = cookie.value().toStdString();
    result.domain = cookie.domain().toLower().toStdString();
    result.path = cookie.path().isEmpty() ? std::string("/") : cookie.path().toStdString();
    result.secure = cookie.isSecure();
    result.httpOnly = cookie.isHttpOnly();
    result.expires = cookie.isSessionCookie() ? 0 : cookie.expirationDate().toSecsSinceEpoch();
    return result;
}

BrowserCookieBridge::BrowserCookieBridge(CookieStore& store, QWebEngineCookieStore& browserCookies,
                                         QObject* parent)
    : QObject(parent), store_(store), browser_(browserCookies), shared_(std::make_shared<Shared>()) {
    connect(&browser_, &QWebEngineCookieStore::cookieAdded, this, &BrowserCookieBridge::onBrowserAdded);
    connect(&browser_, &QWebEngineCookieStore::cookieRemoved, this, &BrowserCookieBridge::onBrowserRemoved);

    listenerId_ = store_.addListener(
        [shared = shared_, self = this](const Cookie& cookie, bool removed, CookieStore::Source source) {
            if (source != CookieStore::Source::Browser)
                shared->post(self, cookie, removed);
        });
    // all() may itself report changes (cookies that expired since the last look) to the listener
    // above, which takes shared_->mutex: so read before locking.
    const std::vector<Cookie> existing = store_.all();
    {
        std::lock_guard lock(shared_->mutex);
        for (const Cookie& cookie : existing)
            shared_->pending.emplace_back(cookie, false);
    }
    applyStoreChanges();
}

BrowserCookieBridge::~BrowserCookieBridge() {
    store_.removeListener(listenerId_);
    std::lock_guard lock(shared_->mutex);
    shared_->alive = false;
}

void BrowserCookieBridge::applyStoreChanges() {
    std::vector<std::pair<Cookie, bool>> changes;
    {
        std::lock_guard lock(shared_->mutex);
        changes.swap(shared_->pending);
        shared_->drainPosted = false;
    }
    if (changes.empty())
        return;
    const quint64 batch = ++lastBatch_;
    for (const auto& [cookie, removed] : changes) {
        const QNetworkCookie browserCookie = toBrowserCookie(cookie);
        // Both a write (over an older value) and a deletion are reported as a removal.
        expectations_.push_back({batch, true, cookie});
        if (removed) {
            browser_.deleteCookie(browserCookie, browserOrigin(cookie));
        } else {
            expectations_.push_back({batch, false, cookie});
            browser_.setCookie(browserCookie, browserOrigin(cookie));
        }
    }
    QNetworkCookie marker(markerName, QByteArray::number(batch));
    QUrl markerUrl;
    markerUrl.setScheme(QStringLiteral("http"));
    markerUrl.setHost(markerHost());
    markerUrl.setPath(QStringLiteral("/"));
    browser_.setCookie(marker, markerUrl);
}

bool BrowserCookieBridge::consumeExpectation(const Cookie& cookie, bool removal) {
    const auto found = std::find_if(expectations_.begin(), expectations_.end(), [&](const Expectation& e) {
        return e.removal == removal && e.cookie.sameIdentity(cookie) &&
               (removal || e.cookie.value == cookie.value);
    });
    if (found == expectations_.end())
        return false;
    expectations_.erase(found);
    return true;
}

std::optional<Cookie> BrowserCookieBridge::collateralRemoval(const Cookie& cookie) const {
    const bool nameBeingDeleted =
        std::any_of(expectations_.begin(), expectations_.end(),
                    [&](const Expectation& e) { return e.removal && e.cookie.name == cookie.name; });
    if (!nameBeingDeleted)
        return std::nullopt;
    for (const Cookie& held : store_.all()) {
        if (held.sameIdentity(cookie) && held.value == cookie.value)
            return held;
    }
    return std::nullopt;
}

void BrowserCookieBridge::onBrowserAdded(const QNetworkCookie& browserCookie) {
    if (browserCookie.domain() == markerHost()) {
        if (browserCookie.name() == markerName)
            batchConfirmed(browserCookie.value().toULongLong());
        return;
    }
    const Cookie cookie = fromBrowserCookie(browserCookie);
    if (consumeExpectation(cookie, false))
        return;
    store_.set(cookie, CookieStore::Source::Browser);
}

void BrowserCookieBridge::onBrowserRemoved(const QNetworkCookie& browserCookie) {
    if (browserCookie.domain() == markerHost())
        return;
    const Cookie cookie = fromBrowserCookie(browserCookie);
    if (consumeExpectation(cookie, true))
        return;
    if (const auto held = collateralRemoval(cookie)) {
        // Put it back as a change of the store, so it is written and confirmed like any other.
        shared_->post(this, *held, false);
        return;
    }
    store_.remove(cookie.name, cookie.domain, cookie.path, CookieStore::Source::Browser);
}

void BrowserCookieBridge::batchConfirmed(quint64 batch) {
    confirmedBatch_ = std::max(confirmedBatch_, batch);
    // Every echo of these batches has arrived before the marker; what is still expected never comes.
    std::erase_if(expectations_, [&](const Expectation& e) { return e.batch <= confirmedBatch_; });
    std::vector<Waiter> ready;
    for (auto it = waiters_.begin(); it != waiters_.end();) {
        if (it->batch <= confirmedBatch_) {
            ready.push_back(std::move(*it));
            it = waiters_.erase(it);
        } else {
            ++it;
        }
    }
    for (Waiter& waiter : ready)
        waiter.done();
}

void BrowserCookieBridge::whenBrowserSynced(std::function<void()> done, std::chrono::milliseconds timeout) {
    applyStoreChanges();
    const quint64 id = ++nextWaiterId_;
    waiters_.push_back({lastBatch_, std::move(done), id});
    if (lastBatch_ <= confirmedBatch_) {
        batchConfirmed(confirmedBatch_);
        return;
    }
    QTimer::singleShot(timeout, this, [this, id] {
        const auto found =
            std::find_if(waiters_.begin(), waiters_.end(), [id](const Waiter& w) { return w.id == id; });
        if (found == waiters_.end())
            return;
        const std::function<void()> done = std::move(found->done);
        waiters_.erase(found);
        done();
    });
}

} // namespace dropship

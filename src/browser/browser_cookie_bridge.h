#pragma once
// Keeps the embedded browsers' cookie store (QWebEngineCookieStore of the shared profile) and the
// application's CookieStore the same, so a login in the browser is carried by every HTTP request
// and every cookie an HTTP answer sets or deletes is seen by the pages.
//
// Directions:
// - browser -> store: cookieAdded / cookieRemoved become CookieStore::set / remove with
//   Source::Browser, which the store does not report back to its listeners.
// - store -> browser: every change the store reports (HTTP answers, cookie operations) is queued
//   from whatever thread made it and applied on the GUI thread with setCookie / deleteCookie,
//   HttpOnly cookies included.
// Chromium reports our own writes back through cookieAdded / cookieRemoved. Those echoes are
// recognised and dropped, so nothing ping-pongs and a newer store value is never overwritten by a
// late echo of an older one. Chromium deletes by name and address, which can also hit a cookie of
// the same name on a parent domain or a shorter path; such a collateral removal is undone when the
// store still holds that cookie.
//
// Completion: QWebEngineCookieStore has no completion callbacks. After each batch of writes the
// bridge sets a marker cookie on a host nobody visits; Chromium applies cookie operations in order,
// so when the marker is reported every earlier write has reached the browser's store.
// whenBrowserSynced uses this to run code (the first navigation at start) only after that point.

#include "web/cookie_store.h"

#include <QNetworkCookie>
#include <QObject>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWebEngineCookieStore;

namespace dropship {

class BrowserCookieBridge : public QObject {
    Q_OBJECT
  public:
    // Copies every cookie the store already holds into the browser. Lives on the GUI thread; both
    // the store and the browser's cookie store must outlive it.
    BrowserCookieBridge(CookieStore& store, QWebEngineCookieStore& browserCookies, QObject* parent = nullptr);
    ~BrowserCookieBridge() override;

    // Calls done on the GUI thread once every store change reported before this call has been
    // applied in the browser (at once when nothing is outstanding), or when timeout passes first.
    void whenBrowserSynced(std::function<void()> done,
                           std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));

    // The marker cookie's host; cookies of this host are never copied into the store.
    static QString markerHost();

    // Conversions between the two cookie types. The URL is the address the browser is told the
    // cookie came from (https for a secure cookie).
    static QNetworkCookie toBrowserCookie(const Cookie& cookie);
    static QUrl browserOrigin(const Cookie& cookie);
    static Cookie fromBrowserCookie(const QNetworkCookie& cookie);

  private:
    struct Shared;
    struct Expectation {
        quint64 batch;
        bool removal;
        Cookie cookie;
    };
    struct Waiter {
        quint64 batch;
        std::function<void()> done;
        quint64 id;
    };

    Q_INVOKABLE void applyStoreChanges();
    void onBrowserAdded(const QNetworkCookie& cookie);
    void onBrowserRemoved(const QNetworkCookie& cookie);
    bool consumeExpectation(const Cookie& cookie, bool removal);
    void batchConfirmed(quint64 batch);
    std::optional<Cookie> collateralRemoval(const Cookie& cookie) const;

    CookieStore& store_;
    QWebEngineCookieStore& browser_;
    std::shared_ptr<Shared> shared_;
    CookieStore::ListenerId listenerId_ = 0;
    quint64 lastBatch_ = 0;
    quint64 confirmedBatch_ = 0;
    quint64 nextWaiterId_ = 0;
    std::vector<Expectation> expectations_;
    std::vector<Waiter> waiters_;
};

} // namespace dropship

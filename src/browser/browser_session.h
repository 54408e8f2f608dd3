#pragma once
// The browser side of the one login session: one profile shared by both embedded browsers, its
// cookies bridged to the application's CookieStore.
//
// The profile is off the record (kept in memory only). The CookieStore is the only place login
// state lives; a profile on disk would be a second store that brings back old cookies at every
// start and would have to be reconciled with it. Cache and history are not worth keeping for the
// few pages these browsers show.

#include "browser/browser_cookie_bridge.h"

#include <QObject>
#include <QPointer>
#include <memory>
#include <vector>

class QWebEngineProfile;
class QWebEngineView;

namespace dropship {

class SameViewPage;

class BrowserSession : public QObject {
    Q_OBJECT
  public:
    // Lives on the GUI thread; store must outlive it.
    explicit BrowserSession(CookieStore& store, QObject* parent = nullptr);
    // Deletes the pages it gave out before the profile, as Qt WebEngine requires; views that
    // outlive the session are left without a page.
    ~BrowserSession() override;

    QWebEngineProfile& profile() { return *profile_; }
    BrowserCookieBridge& cookieBridge() { return *bridge_; }

    // Gives view a page of the shared profile that keeps new windows in the view. The page
    // belongs to the view.
    SameViewPage* attach(QWebEngineView& view);

  private:
    std::unique_ptr<QWebEngineProfile> profile_;
    std::unique_ptr<BrowserCookieBridge> bridge_;
    std::vector<QPointer<SameViewPage>> pages_;
};

} // namespace dropship

#include "browser/browser_session.h"

#include "browser/same_view_page.h"

#include <QWebEngineProfile>
#include <QWebEngineView>

namespace dropship {

BrowserSession::BrowserSession(CookieStore& store, QObject* parent)
    : QObject(parent), profile_(std::make_unique<QWebEngineProfile>()),
      bridge_(std::make_unique<BrowserCookieBridge>(store, *profile_->cookieStore())) {}

BrowserSession::~BrowserSession() {
    for (const QPointer<SameViewPage>& page : pages_)
        delete page.data();
    bridge_.reset();
    profile_.reset();
}

SameViewPage* BrowserSession::attach(QWebEngineView& view) {
    auto* page = new SameViewPage(profile_.get(), &view);
    view.setPage(page);
    pages_.emplace_back(page);
    return page;
}

} // namespace dropship

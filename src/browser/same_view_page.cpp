#include "browser/same_view_page.h"

#include <QWebEngineNewWindowRequest>

namespace dropship {

SameViewPage::SameViewPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {
    connect(this, &QWebEnginePage::newWindowRequested, this, [this](QWebEngineNewWindowRequest& request) {
        if (!request.requestedUrl().isEmpty())
            setUrl(request.requestedUrl());
    });
}

QWebEnginePage* SameViewPage::createWindow(WebWindowType) {
    return nullptr;
}

} // namespace dropship

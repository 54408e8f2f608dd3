#pragma once
// The page both embedded browsers show. A page never gets a window of its own: a link with a
// new-window target, window.open or a middle click is turned into a navigation of the same view.
//
// How: createWindow answers nullptr, so Qt WebEngine raises newWindowRequested with the address the
// new window would show; the page navigates there itself and leaves the request unhandled, so the
// engine drops the new window. (Qt 6 passes no new-window type to acceptNavigationRequest; the
// request reaches the page only through these two calls.) A request without an address (a script
// that opens an empty window to write into it) opens nothing.

#include <QWebEnginePage>

namespace dropship {

class SameViewPage : public QWebEnginePage {
    Q_OBJECT
  public:
    SameViewPage(QWebEngineProfile* profile, QObject* parent);

  protected:
    QWebEnginePage* createWindow(WebWindowType type) override;
};

} // namespace dropship

#include "StandInView.h"

#include <QTimer>

namespace {

QList<StandInView*>& liveViews() {
    static QList<StandInView*> views;
    return views;
}

std::function<void(StandInView&)>& createdHandler() {
    static std::function<void(StandInView&)> handler;
    return handler;
}

}  // namespace

void StandInView::install(std::function<void(StandInView&)> created) {
    createdHandler() = std::move(created);
    webhost::WebEngine::useStandIn([](QWidget* parent, int x, int y, int width, int height) {
        auto view = std::make_unique<StandInView>(parent);
        view->widget()->setGeometry(x, y, width, height);
        if (createdHandler()) {
            createdHandler()(*view);
        }
        return std::unique_ptr<webhost::WebView>(std::move(view));
    });
}

QList<StandInView*> StandInView::views() {
    return liveViews();
}

StandInView::StandInView(QWidget* parent) : m_widget(new QWidget(parent)) {
    liveViews().append(this);
}

StandInView::~StandInView() {
    liveViews().removeAll(this);
    delete m_widget.data();  // null when the window has deleted it with its children
}

webhost::JsValue StandInView::call(const QByteArray& name, const QList<webhost::JsValue>& args) {
    const auto binding = m_bindings.find(name);
    if (binding == m_bindings.end()) {
        return webhost::JsValue();
    }
    // Copied: the function may rebind or release this view.
    const Binding bound = binding->second;
    return bound.function(webhost::JsCall(args), bound.boundParam);
}

QWidget* StandInView::widget() {
    return m_widget.data();
}

void StandInView::bindFunction(const QByteArray& name, webhost::NativeFunction function,
                               void* boundParam, int declaredCount) {
    m_bindings[name] = Binding{std::move(function), boundParam, declaredCount};
}

void StandInView::loadUrl(const QString& url) {
    m_url = url;
    // As the engine does: the load finishes later, from the event loop.
    QTimer::singleShot(0, m_widget.data(), [this] {
        if (m_events.loadingFinished) {
            m_events.loadingFinished();
        }
    });
}

void StandInView::runScript(const QString&) {
    countPageCall("<script>");
}

webhost::JsValue StandInView::callGlobal(const QByteArray& name, const QList<webhost::JsValue>&) {
    countPageCall(name);
    return webhost::JsValue();
}

void StandInView::postGlobal(const QByteArray& name, const QList<webhost::JsValue>&) {
    countPageCall(name);
}

void StandInView::setGlobal(const QByteArray& name, const webhost::JsValue&) {
    countPageCall(name);
}

void StandInView::setEvents(webhost::ViewEvents events) {
    m_events = std::move(events);
}

void StandInView::countPageCall(const QByteArray& name) {
    ++m_pageCalls;
    m_lastPageCall = name;
}

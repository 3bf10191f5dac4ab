#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <random>

#include "webhost/JsValue.h"

// Random page values of every kind a page can pass: missing and extra arguments, every type,
// huge and odd texts (lone surrogates as a page's UTF-16 turns them into, NUL, invalid UTF-8,
// CJK, paths), negative, huge and non-finite numbers, deep nesting and large objects. Window
// handles are drawn now and then from the live windows so that calls reach real windows.
class ArgumentMaker {
public:
    explicit ArgumentMaker(quint32 seed) : m_random(seed) {}

    // Handles worth passing: the windows alive now.
    void setLiveHandles(std::function<QList<qint64>()> handles) { m_handles = std::move(handles); }

    // 0 to 7 arguments of any kind.
    QList<webhost::JsValue> anyArguments();
    webhost::JsValue anyValue(int depth = 0);
    webhost::JsValue anyNumber();
    QByteArray anyText();
    webhost::JsValue handle();

    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(m_random); }
    bool oneIn(int n) { return below(n) == 0; }
    template <class T>
    const T& pick(const QList<T>& items) {
        return items[below(items.size())];
    }

private:
    webhost::JsValue deepNesting();
    webhost::JsValue largeObject();
    webhost::JsValue largeArray();

    std::mt19937 m_random;
    std::function<QList<qint64>()> m_handles;
};

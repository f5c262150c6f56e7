#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace korvex::test {

// Waits (serving events) for a modal widget that `is` accepts, then hands it to `answer`. Gives up with a
// test failure after about five seconds so that a missing dialog cannot hang the run.
inline void AnswerModal(std::function<bool(QWidget*)> is, std::function<void(QWidget*)> answer, int triesLeft = 500)
{
    QTimer::singleShot(10, [is = std::move(is), answer = std::move(answer), triesLeft]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && is(modal)) {
            answer(modal);
        } else if (triesLeft > 0) {
            AnswerModal(std::move(is), std::move(answer), triesLeft - 1);
        } else {
            ADD_FAILURE() << "no modal widget appeared";
        }
    });
}

inline std::function<bool(QWidget*)> Named(const QString& name)
{
    return [name](QWidget* w) { return w->objectName() == name; };
}

}  // namespace korvex::test

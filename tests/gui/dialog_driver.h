#pragma once
// Answers a modal dialog that the code under test is about to open: waits
// (bounded) in the event loop until a Dialog is the active modal widget and
// hands it to Act, which confirms or cancels it. BoundMs: how long to wait
// (longer where the dialog follows a download).

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <gtest/gtest.h>

namespace tw::test {

template <typename Dialog> void onNextDialog(std::function<void(Dialog &)> act, int boundMs = 3000)
{
    auto *poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, tries, act, boundMs] {
        if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(*dialog);
            return;
        }
        if (++*tries * 10 > boundMs) {
            poll->stop();
            poll->deleteLater();
            ADD_FAILURE() << "the expected dialog did not open";
            if (QWidget *other = QApplication::activeModalWidget())
                other->close();
        }
    });
    poll->start();
}

} // namespace tw::test

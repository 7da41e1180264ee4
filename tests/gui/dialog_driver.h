#pragma once
// Answers a modal dialog that the code under test is about to open: waits
// (bounded) in the event loop until a Dialog is the active modal widget and
// hands it to Act, which confirms or cancels it. BoundMs: how long to wait
// (longer where the dialog follows a download).

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
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

// Accepts a file dialog with Path typed into its name field. The dialog
// lists its folders in the background, so a file picked from the listing may
// not be there yet; an absolute path typed into the name field is taken as it
// stands. A dialog without that field fails the test and is cancelled.
inline void acceptFileDialogWith(QFileDialog &dialog, const QString &path)
{
    auto *name = dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    if (!name) {
        ADD_FAILURE() << "the file dialog has no name field";
        return dialog.reject();
    }
    name->setText(path);
    static_cast<QDialog &>(dialog).accept();
}

} // namespace tw::test

// Times the "Deleted mail" window with 10,000 kept messages: reading the
// folder and its index, opening the window until it is drawn, each letter
// typed into the search box, sorting by subject, and deleting one copy for
// good (which writes the index again). Also reading a folder whose index was
// lost, which rebuilds it from the files. Runs on the offscreen platform
// unless another is chosen.
//
//   bench_deleted_mail_window [copies]   (10000 by default)

#include "bench_measures.h"
#include "keep/kept_file_name.h"
#include "keep/ui/deleted_mail_model.h"
#include "keep/ui/deleted_mail_window.h"
#include "platform/prompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <cstdio>

using namespace tw;

namespace {

// Always answers Yes, so Delete now goes ahead.
struct YesPrompts : ConsolePrompts {
    bool yesNo(const std::string &) override { return true; }
};

double millisecondsOf(const std::function<void()> &step)
{
    QElapsedTimer clock;
    clock.start();
    step();
    return clock.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;

    QTemporaryDir folder;
    DeletedMailStore store(folder.filePath(QStringLiteral("deleted")).toStdString());
    store.prepareFolder();
    std::vector<KeptMessage> rows;
    const qint64 start = QDateTime::currentSecsSinceEpoch() - count * 60LL;
    for (int n = 0; n < count; ++n) {
        KeptMessage row;
        row.deletedAt = start + n * 60LL;
        row.mailbox = 1 + n % 3;
        row.server = "pop.example.org";
        row.user = "ann";
        row.uidl = "uid" + std::to_string(n);
        row.fileName = keptFileName(row.deletedAt, row.mailbox, row.uidl);
        row.subject = (n % 7 == 0 ? "Cheap VIAGRA offer " : "Newsletter issue ") + std::to_string(n);
        row.senderAddress = "sender" + std::to_string(n % 500) + "@example.org";
        row.why = {"Message from " + row.senderAddress, "Subject of   " + row.subject, "",
                   "Subject contains viagra (rule 3)"};
        const std::string text = "From: " + row.senderAddress + "\r\nSubject: " + row.subject + "\r\n\r\n" +
                                 std::string(2000, 'x') + "\r\n";
        row.size = row.storedBytes = (long long)text.size();
        writeKeptFile(store.pathOf(row.fileName), text, nullptr);
        rows.push_back(std::move(row));
    }
    store.addRows(rows);
    std::printf("%d kept messages\n", count);

    std::printf("%-40s %10.1f ms\n", "reading folder and index", millisecondsOf([&] { store.load(); }));
    std::unique_ptr<TfrmDeletedMail> window;
    std::printf("%-40s %10.1f ms\n", "opening the window until drawn", millisecondsOf([&] {
                    window = std::make_unique<TfrmDeletedMail>(store, DeletedMailCommands{});
                    window->show();
                    window->grab();
                }));
    double slowest = 0;
    QString typed;
    for (const QChar letter : QStringLiteral("viagra")) {
        typed += letter;
        slowest = std::max(slowest, millisecondsOf([&] {
                               window->edSearch->setText(typed);
                               window->grab();
                           }));
    }
    std::printf("%-40s %10.1f ms (%d rows shown)\n", "slowest letter typed into the search", slowest,
                window->model()->rowCount());
    window->edSearch->clear();
    std::printf("%-40s %10.1f ms\n", "sorting by subject", millisecondsOf([&] {
                    window->lvDeleted->sortByColumn(DeletedMailModel::Subject, Qt::AscendingOrder);
                    window->grab();
                }));
    YesPrompts yes;
    Prompts::install(&yes);
    window->lvDeleted->selectRow(0);
    std::printf("%-40s %10.1f ms\n", "deleting one copy for good", millisecondsOf([&] { window->btDeleteNowClick(); }));
    Prompts::install(nullptr);
    window.reset();

    QFile::remove(QString::fromStdString(store.pathOf("index.txt")));
    std::printf("%-40s %10.1f ms\n", "rebuilding a lost index from the files", millisecondsOf([&] { store.load(); }));
    std::printf("peak memory %ld MB\n", peakMegabytes());
    return 0;
}

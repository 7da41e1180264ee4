// The spam settings window's "Learned score" page: the test's switch, its
// cutoff and mark, how much has been trained, and training from files.

#include "settings/ui/optsmain.h"

#include "classify/learned_filter.h"
#include "classify/ui/learnfiles.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tw {

QWidget *TfrmOptionsMain::makeLearnedTab()
{
    auto *page = new QWidget(this);
    cbLearned = new QCheckBox(QStringLiteral("Mark messages by a score learned from the mail you delete and keep?"),
                              page);
    cbLearned->setObjectName(QStringLiteral("cbLearned"));
    pnlLearned = new QWidget(page);
    pnlLearned->setObjectName(QStringLiteral("pnlLearned"));
    nLearnedCutoff = new QDoubleSpinBox(pnlLearned);
    nLearnedCutoff->setObjectName(QStringLiteral("nLearnedCutoff"));
    nLearnedCutoff->setAccessibleName(QStringLiteral("Learned score cut-off"));
    nLearnedCutoff->setDecimals(3);
    nLearnedCutoff->setRange(kLearnedCutoffMin, 1.0);
    nLearnedCutoff->setSingleStep(0.01);
    // The decimal point, as the settings file writes it, whatever the desktop's language.
    nLearnedCutoff->setLocale(QLocale::c());
    rbLearnedCheck = new QRadioButton(QStringLiteral("&check mark"), pnlLearned);
    rbLearnedCheck->setObjectName(QStringLiteral("rbLearnedCheck"));
    rbLearnedQuestion = new QRadioButton(QStringLiteral("&question mark"), pnlLearned);
    rbLearnedQuestion->setObjectName(QStringLiteral("rbLearnedQuestion"));
    rbLearnedCheck->setIcon(QIcon(QStringLiteral(":/pictures/B0.png")));
    rbLearnedQuestion->setIcon(QIcon(QStringLiteral(":/pictures/B1.png")));
    auto *marks = new QButtonGroup(pnlLearned);
    marks->addButton(rbLearnedCheck);
    marks->addButton(rbLearnedQuestion);
    lblLearnedCounts = new QLabel(page);
    lblLearnedCounts->setObjectName(QStringLiteral("lblLearnedCounts"));
    lblLearnedCounts->setWordWrap(true);
    btLearnFiles = new QPushButton(QStringLiteral("Train from &files..."), page);
    btLearnFiles->setObjectName(QStringLiteral("btLearnFiles"));
    connect(btLearnFiles, &QPushButton::clicked, this, [this] { btLearnFilesClick(); });
    connect(cbLearned, &QCheckBox::toggled, this, [this] { updateEnabling(); });

    auto *panel = new QGridLayout(pnlLearned);
    panel->addWidget(new QLabel(QStringLiteral("If the learned score is at or above"), pnlLearned), 0, 0);
    panel->addWidget(nLearnedCutoff, 0, 1);
    panel->addWidget(new QLabel(QStringLiteral("mark the message with:"), pnlLearned), 1, 0, 1, 2);
    panel->addWidget(rbLearnedCheck, 2, 0);
    panel->addWidget(rbLearnedQuestion, 3, 0);
    panel->setColumnStretch(2, 1);
    auto *note = new QLabel(QStringLiteral("Rules and exceptions come first: the score only marks messages that "
                                           "nothing else marked. Tidewell learns from the messages you delete, the "
                                           "marks you take away, your exceptions and the list's \"Junk\" and \"Not "
                                           "junk\"; automatic deletions never teach it."),
                            page);
    note->setWordWrap(true);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(cbLearned);
    layout->addWidget(pnlLearned);
    layout->addWidget(note);
    layout->addWidget(lblLearnedCounts);
    auto *trainRow = new QHBoxLayout;
    trainRow->addWidget(btLearnFiles);
    trainRow->addStretch(1);
    layout->addLayout(trainRow);
    layout->addStretch(1);
    return page;
}

void TfrmOptionsMain::setLearnedFilter(LearnedFilter *filter)
{
    m_learned = filter;
    updateLearnedCounts();
}

void TfrmOptionsMain::updateLearnedCounts()
{
    btLearnFiles->setEnabled(m_learned && m_learned->available());
    if (!m_learned) {
        lblLearnedCounts->clear();
        return;
    }
    if (!m_learned->available()) {
        lblLearnedCounts->setText(QStringLiteral("The store ") + QString::fromStdString(m_learned->path()) +
                                  QStringLiteral(" could not be read; nothing is learned until Tidewell is started "
                                                 "again with a store it can read."));
        return;
    }
    QString text = QStringLiteral("Trained so far: %1 junk and %2 ordinary messages.")
                       .arg(m_learned->spamTrained())
                       .arg(m_learned->hamTrained());
    if (!m_learned->ready())
        text += QStringLiteral(" The score marks once %1 of each are trained.").arg(kLearnedMinimumTrained);
    lblLearnedCounts->setText(text);
}

void TfrmOptionsMain::btLearnFilesClick()
{
    if (!m_learned)
        return;
    TfrmLearnFiles dialog(*m_learned, this);
    dialog.exec();
    updateLearnedCounts();
}

} // namespace tw

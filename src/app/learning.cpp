// TfrmMain: where the user's decisions reach the learned score: the list
// menu's "Junk" and "Not junk", the list left behind by a check or a
// deletion, and the store's reading and writing. What counts as a decision
// is DecisionLearner's (classify/learning_decisions.h).

#include "app/rmmain.h"

#include "app/splash.h"
#include "platform/prompts.h"

namespace tw {

void TfrmMain::loadLearnedScore()
{
    const std::string problem = learnedFilter.load();
    if (problem.empty())
        return;
    if (m_splash)
        m_splash->hide();
    Prompts::current().warning(problem);
}

void TfrmMain::saveLearnedScore()
{
    std::string why;
    if (learnedFilter.save(&why))
        return;
    const std::string text = "Cannot save the learned score to " + learnedFilter.path() + ": " + why +
                             ". What it learned is kept until the next try.";
    if (visibleOrManual())
        Prompts::current().error(text);
    else
        setStatus(text);
}

void TfrmMain::learnFromListLeft(const std::vector<int> &deleted, bool userStartedDeletion)
{
    learner.listLeft(messages, mailSession().listed(), deleted, userStartedDeletion);
}

void TfrmMain::NotJunk1Click() { trainSelected(TrainedAs::Ham); }

void TfrmMain::Junk1Click() { trainSelected(TrainedAs::Spam); }

void TfrmMain::trainSelected(TrainedAs as)
{
    const std::vector<int> rows = selectedRows();
    if (rows.empty()) {
        NadaSelected();
        return;
    }
    if (!learnedFilter.available()) {
        Prompts::current().error("The learned score's store " + learnedFilter.path() +
                                 " could not be read when Tidewell started, so nothing can be trained.");
        return;
    }
    const bool junk = as == TrainedAs::Spam;
    for (int row : rows) {
        if (row >= mailSession().listed().Count())
            continue;
        learner.userSays(mailSession().listed().Items(row).Headers, as);
        // The mark follows what the user said: junk is marked for deletion,
        // ordinary mail loses a deletion or question mark.
        int &mark = messages.row(row).mark;
        if (junk && !isMarkedForDeletion(mark))
            mark = mark::CheckMark;
        else if (!junk && (isMarkedForDeletion(mark) || mark == mark::QuestionMark))
            mark = mark::None;
    }
    showMarks();
    ShowTotalCount();
    setStatus(std::to_string(rows.size()) +
              (junk ? " message(s) trained as junk" : " message(s) trained as ordinary mail"));
    saveLearnedScore();
}

} // namespace tw

#include "runs/flagged_transfer.h"
#include "runs/pop3_session.h"

namespace tw {

TPop3Session::TPop3Session(TmsRemotePOP &pop) : TMailboxSession(pop), m_pop(pop)
{
    takeOverEvents(m_pop);
}

bool TPop3Session::confirmUnchanged(int index)
{
    m_pop.OpenMailbox();
    return m_pop.VerifyMessage(index);
}

void TPop3Session::removeConfirmed(const std::vector<int> &indexes, TmsDeletionCopies *copies)
{
    transferFlagged(m_pop, indexes, copies);
}

} // namespace tw
